// Calculator definitions: reading the files, the calculator table, and the sheet's calculation;
// the shipped samples checked against the circuits they design.
#include "calculators/Filter.h"

#include "../platform/TempFolders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <string>

namespace {

using platformtest::TempFolder;

class CalculatorFile : public ::testing::Test {
protected:
    std::filesystem::path Write(const std::string& text, const char* name = "test.flt") {
        const auto path = folder_.path() / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    TFilter Load(const std::string& text) {
        TFilter filter;
        const auto result = LoadCalculatorFile(Write(text), filter);
        EXPECT_TRUE(result.ok) << result.error;
        return filter;
    }

    TempFolder folder_{"borvik-calculators"};
};

const char* const kDivider = R"([Main]
Name=Voltage divider
BMPFile=divider.png
Category=Basics
InputPages=1
OutputPages=1
[InputPage1]
PageName=Values
Items=3
Item1=Input voltage
Symbol1=U
Item2=Upper resistor
Symbol2=R1
Item3=Lower resistor
Symbol3=R2
[OutputPage1]
PageName=Result
Items=2
Item1=RATIO
RATIO=R2 / (R1 + R2)
Prec1=4
Unit1=V/V
Item2=Output voltage
Output voltage=U * RATIO
Prec2=2
Unit2=V
)";

TEST_F(CalculatorFile, ReadsEveryField) {
    const TFilter filter = Load(kDivider);
    EXPECT_EQ(filter.Name, "Voltage divider");
    EXPECT_EQ(filter.BMPFile, "divider.png");
    EXPECT_EQ(filter.Category, "Basics");
    EXPECT_EQ(filter.InputPages, 1);
    EXPECT_EQ(filter.OutputPages, 1);
    EXPECT_EQ(filter.InputPage[0].PageName, "Values");
    EXPECT_EQ(filter.InputPage[0].Items, 3);
    EXPECT_EQ(filter.InputPage[0].Item[2], "Lower resistor");
    EXPECT_EQ(filter.InputPage[0].Symbol[2], "R2");
    const auto& out = filter.OutputPage[0];
    EXPECT_EQ(out.Items, 2);
    EXPECT_EQ(out.Item[1], "Output voltage");
    EXPECT_EQ(out.Formula[1], "U * RATIO");
    EXPECT_EQ(out.Prec[0], 4);
    EXPECT_EQ(out.Unit[1], "V");
}

TEST_F(CalculatorFile, MissingKeysTakeTheirDefaults) {
    const TFilter empty = Load("");
    EXPECT_EQ(empty.Name, "error");
    EXPECT_EQ(empty.BMPFile, "error");
    EXPECT_EQ(empty.Category, "Miscellannous");
    EXPECT_EQ(empty.InputPages, 0);
    EXPECT_EQ(empty.OutputPages, 0);

    const TFilter sparse = Load("[main]\nNAME = Sparse \nInputPages=1\nOutputPages=1\n"
                                "[InputPage1]\nItems=1\n[outputpage1]\nItems=1\nItem1=A\n");
    EXPECT_EQ(sparse.Name, "Sparse"); // sections and keys without regard to case, blanks stripped
    EXPECT_EQ(sparse.InputPage[0].PageName, "error");
    EXPECT_EQ(sparse.InputPage[0].Item[0], "error");
    EXPECT_EQ(sparse.InputPage[0].Symbol[0], "error");
    EXPECT_EQ(sparse.OutputPage[0].Formula[0], "error");
    EXPECT_EQ(sparse.OutputPage[0].Unit[0], "error");
    EXPECT_EQ(sparse.OutputPage[0].Prec[0], 0);
}

TEST_F(CalculatorFile, KeepsWithinItsLimits) {
    std::string text = "[Main]\nName=" + std::string(300, 'n') + "\nInputPages=50\nOutputPages=-3\n";
    for (int page = 1; page <= 12; ++page)
        text += "[InputPage" + std::to_string(page) + "]\nItems=99\nItem1=" + std::string(30, 'c') +
                "\nSymbol1=ABCDEFGHIJKLMNOPQRSTUVWXYZ\n";
    const TFilter filter = Load(text);
    EXPECT_EQ(filter.Name.size(), 255u);
    EXPECT_EQ(filter.InputPages, kMaxCalculatorPages);
    EXPECT_EQ(filter.OutputPages, 0);
    EXPECT_EQ(filter.InputPage[9].Items, kMaxCalculatorItems);
    EXPECT_EQ(filter.InputPage[0].Item[0], std::string(20, 'c'));
    EXPECT_EQ(filter.InputPage[0].Symbol[0], "ABCDEFGHIJKLMNOPQRST");

    // A window shows and calculates five pages of each kind.
    TCalculatorSheet sheet(&filter);
    EXPECT_EQ(sheet.InputPageCount(), kShownCalculatorPages);
    EXPECT_EQ(sheet.OutputPageCount(), 0);
}

TEST_F(CalculatorFile, CutsByCharactersAndReadsWindowsFiles) {
    // UTF-8: 20 characters, not 20 bytes; the formula key is the cut caption.
    const TFilter utf8 = Load("[Main]\nOutputPages=1\n[OutputPage1]\nItems=1\n"
                              "Item1=Größe Größe Größe Größe\nGröße Größe Größe Gr=1\nUnit1=µµµµµµµµµµµµ\n");
    EXPECT_EQ(utf8.OutputPage[0].Item[0], "Größe Größe Größe Gr");
    EXPECT_EQ(utf8.OutputPage[0].Formula[0], "1");
    EXPECT_EQ(utf8.OutputPage[0].Unit[0], "µµµµµµµµµµ");
    // A stored line break (a lone 0xA4, allowed in UTF-8 files) is a character of its own, so it
    // cannot stretch a caption beyond its 20 characters.
    const TFilter breaks =
        Load("[Main]\nInputPages=1\n[InputPage1]\nItems=1\nItem1=a" + std::string(300, '\xA4') + "\n");
    EXPECT_LE(breaks.InputPage[0].Item[0].size(), 20u * 4u);
    // Windows-1252: "Größe" and "µF" come out as UTF-8.
    const TFilter legacy = Load("[Main]\nName=Gr\xF6\xDF"
                                "e\nOutputPages=1\n[OutputPage1]\nItems=1\nItem1=C\nUnit1=\xB5"
                                "F\n");
    EXPECT_EQ(legacy.Name, "Größe");
    EXPECT_EQ(legacy.OutputPage[0].Unit[0], "µF");
}

TEST_F(CalculatorFile, RefusesFilesTooLargeToBeDefinitions) {
    TFilter filter;
    const auto result = LoadCalculatorFile(Write(std::string(kMaxCalculatorFileSize + 1, ';')), filter);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("test.flt"), std::string::npos);
    // A missing file is an empty definition, as the profile functions read it.
    EXPECT_TRUE(LoadCalculatorFile(folder_.path() / "missing.flt", filter).ok);
    EXPECT_EQ(filter.Name, "error");
}

TEST(CalculatorTable, NumbersAndCategoriesAreBounded) {
    TCalculatorTable table;
    std::string error;
    TFilter filter;
    filter.Category = "Bass";
    EXPECT_FALSE(table.Store(0, filter, error));
    EXPECT_FALSE(table.Store(kCalculatorTableSize + 1, filter, error));
    EXPECT_TRUE(table.Store(1, filter, error));
    EXPECT_TRUE(table.Store(2, filter, error));
    filter.Category = "bass"; // letter case makes another category
    EXPECT_TRUE(table.Store(3, filter, error));
    EXPECT_EQ(table.Categories(), (std::vector<std::string>{"Bass", "bass"}));
    for (int i = 3; i <= kCalculatorCategoryTableSize; ++i) {
        filter.Category = "C" + std::to_string(i);
        EXPECT_TRUE(table.Store(i + 1, filter, error)) << error;
    }
    filter.Category = "one too many";
    EXPECT_FALSE(table.Store(40, filter, error));
    EXPECT_NE(error.find("30"), std::string::npos);
    EXPECT_EQ(table.Count(), kCalculatorCategoryTableSize + 1);
    ASSERT_NE(table.Calculator(3), nullptr);
    EXPECT_EQ(table.Calculator(3)->Category, "bass");
    EXPECT_EQ(table.Calculator(60), nullptr);
}

// ---- calculation -----------------------------------------------------------------------------

TEST_F(CalculatorFile, CalculatesOutputsFromInputsAndOtherOutputs) {
    const TFilter filter = Load(kDivider);
    TCalculatorSheet sheet(&filter);
    sheet.InputValue(0, 0) = "12";
    sheet.InputValue(0, 1) = "R2 * 2"; // a value cell may hold a formula over other symbols
    sheet.InputValue(0, 2) = "1000";
    EXPECT_EQ(sheet.Calculate(), std::nullopt);
    EXPECT_EQ(sheet.OutputText(0, 0), "0.3333 V/V");
    EXPECT_EQ(sheet.OutputText(0, 1), "4 V");
}

// One output formula per row, with the rounding and the unit of the row.
struct OutputRow {
    const char* formula;
    int prec;
    const char* unit;
    const char* text; // the output cell, or "!" and the error message
};

TEST_F(CalculatorFile, WritesRoundedValuesAndUnits) {
    const OutputRow rows[] = {
        {"2.5", 0, "x", "2 x"},      // halves to even
        {"3.5", 0, "x", "4 x"},      //
        {"1234", -2, "x", "1200 x"}, // negative decimals round to hundreds
        {"2 / 3", 3, "V", "0.667 V"},
        {"1 < 2", 0, "x", "1 x"},     // a truth value shows 1
        {"'a' + 'b'", 0, "x", "0 x"}, // text by "+" shows 0
        {"'a'", 0, "x", "!Cannot read String as Float"},
        {"error", 0, "x", "!Unknown Identifier ERROR"},
        {"IN(1)", 0, "x", "!Identifier IN does not require parameters"},
        {"in", 0, "x", "!Unknown Identifier IN"}, // the symbol is written in small letters
    };
    for (const auto& row : rows) {
        const std::string text = std::string("[Main]\nInputPages=1\nOutputPages=1\n") +
                                 "[InputPage1]\nItems=1\nItem1=In\nSymbol1=in\n"
                                 "[OutputPage1]\nItems=1\nItem1=Out\nOut=" +
                                 row.formula + "\nPrec1=" + std::to_string(row.prec) + "\nUnit1=" + row.unit +
                                 "\n";
        const TFilter filter = Load(text);
        TCalculatorSheet sheet(&filter);
        sheet.InputValue(0, 0) = "5";
        const auto error = sheet.Calculate();
        EXPECT_EQ(error ? "!" + *error : sheet.OutputText(0, 0), row.text) << row.formula;
    }
}

TEST_F(CalculatorFile, StopsAtTheFirstErrorKeepingWhatWasWritten) {
    const TFilter filter =
        Load("[Main]\nInputPages=1\nOutputPages=1\n[InputPage1]\nItems=1\nItem1=x\nSymbol1=X\n"
             "[OutputPage1]\nItems=3\nItem1=A\nA=X + 1\nUnit1=u\nItem2=B\nB=1 / (X - X)\n"
             "Unit2=u\nItem3=C\nC=2\nUnit3=u\n");
    TCalculatorSheet sheet(&filter);
    sheet.InputValue(0, 0) = "4";
    EXPECT_EQ(sheet.Calculate(), "Division by zero");
    EXPECT_EQ(sheet.OutputText(0, 0), "5 u");
    EXPECT_EQ(sheet.OutputText(0, 2), "");
    // An empty value cell that is referred to is named.
    for (const char* empty : {"", "  "}) {
        sheet.InputValue(0, 0) = empty;
        EXPECT_EQ(sheet.Calculate(), "Enter a value for \"x\"");
    }
}

TEST_F(CalculatorFile, ReportsFormulasThatReferToThemselves) {
    const TFilter filter =
        Load("[Main]\nInputPages=1\nOutputPages=1\n[InputPage1]\nItems=1\nItem1=x\nSymbol1=X\n"
             "[OutputPage1]\nItems=3\nItem1=A\nA=B + 1\nItem2=B\nB=C * 2\nItem3=C\nC=A\n");
    TCalculatorSheet sheet(&filter);
    EXPECT_EQ(sheet.Calculate(), "The formula of B refers back to itself");

    const TFilter input =
        Load("[Main]\nInputPages=1\nOutputPages=1\n[InputPage1]\nItems=1\nItem1=x\nSymbol1=X\n"
             "[OutputPage1]\nItems=1\nItem1=A\nA=X\n");
    TCalculatorSheet selfish(&input);
    selfish.InputValue(0, 0) = "X + 1";
    EXPECT_EQ(selfish.Calculate(), "The formula of X refers back to itself");
    // The same name used twice without a cycle is fine.
    selfish.InputValue(0, 0) = "3";
    const TFilter twice = Load("[Main]\nOutputPages=1\n[OutputPage1]\nItems=2\nItem1=A\nA=2\nUnit1=\n"
                               "Item2=B\nB=A * A + A\nUnit2=\n");
    TCalculatorSheet doubled(&twice);
    EXPECT_EQ(doubled.Calculate(), std::nullopt);
    EXPECT_EQ(doubled.OutputText(0, 1), "6 ");
}

TEST_F(CalculatorFile, ReferencesPilingUpAreCutOff) {
    // Each output uses the one before twice: the last would need 2^99 parses.
    std::string text = "[Main]\nOutputPages=5\n";
    for (int page = 1; page <= 5; ++page) {
        text += "[OutputPage" + std::to_string(page) + "]\nItems=20\n";
        for (int item = 1; item <= 20; ++item) {
            const int n = (page - 1) * 20 + item;
            text +=
                "Item" + std::to_string(item) + "=O" + std::to_string(n) + "\nO" + std::to_string(n) + "=" +
                (n == 1 ? std::string("1") : "O" + std::to_string(n - 1) + " + O" + std::to_string(n - 1)) +
                "\nUnit" + std::to_string(item) + "=\n";
        }
    }
    const TFilter filter = Load(text);
    TCalculatorSheet sheet(&filter);
    const auto error = sheet.Calculate();
    ASSERT_TRUE(error.has_value());
    EXPECT_TRUE(*error == "Formula too large" || *error == "Formula takes too much work") << *error;
    EXPECT_EQ(sheet.OutputText(0, 9), "512 "); // the early outputs were still worked out
}

TEST_F(CalculatorFile, LastMatchingNameWinsAndHiddenPagesAreNotCalculated) {
    // The input symbol A and the caption A of the first output: the output, found last, wins.
    std::string text = "[Main]\nInputPages=1\nOutputPages=6\n[InputPage1]\nItems=1\nItem1=x\nSymbol1=A\n"
                       "[OutputPage1]\nItems=1\nItem1=A\nA=3\nUnit1=\n";
    for (int page = 2; page <= 6; ++page)
        text += "[OutputPage" + std::to_string(page) +
                "]\nItems=1\nItem1=P\nP=" + (page == 6 ? "1 / 0" : "A * 2") + "\nUnit1=\n";
    const TFilter filter = Load(text);
    TCalculatorSheet sheet(&filter);
    sheet.InputValue(0, 0) = "7";
    // Page 6 is not shown, so its division is never evaluated.
    EXPECT_EQ(sheet.Calculate(), std::nullopt);
    EXPECT_EQ(sheet.OutputText(0, 0), "3 ");
    EXPECT_EQ(sheet.OutputText(4, 0), "6 ");
}

TEST(CalculatorSheet, WithoutACalculatorHasNothingToDo) {
    TCalculatorSheet sheet(nullptr);
    EXPECT_EQ(sheet.InputPageCount(), 0);
    EXPECT_EQ(sheet.OutputPageCount(), 0);
    EXPECT_EQ(sheet.Calculate(), std::nullopt);
}

// ---- shipped samples against their circuits ---------------------------------------------------

double Number(const std::string& cell) {
    return std::stod(cell.substr(0, cell.find(' ')));
}

TFilter LoadShipped(const char* name) {
    TFilter filter;
    EXPECT_TRUE(LoadCalculatorFile(std::filesystem::path(BORVIK_SHIPPED_FILTERS) / name, filter).ok);
    EXPECT_NE(filter.Name, "error") << name;
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(BORVIK_SHIPPED_FILTERS) / filter.BMPFile))
        << filter.BMPFile;
    return filter;
}

using Complex = std::complex<double>;

TEST(ShippedCalculators, CrossoverMeetsAtMinusSixDecibels) {
    const TFilter filter = LoadShipped("crossover.flt");
    const double frequencies[] = {300, 2500};
    for (const double fc : frequencies) {
        TCalculatorSheet sheet(&filter);
        sheet.InputValue(0, 0) = std::to_string(static_cast<int>(fc));
        sheet.InputValue(0, 1) = "8";
        sheet.InputValue(0, 2) = "6";
        ASSERT_EQ(sheet.Calculate(), std::nullopt);
        const double l1 = Number(sheet.OutputText(0, 0)) * 1e-3;
        const double c1 = Number(sheet.OutputText(0, 1)) * 1e-6;
        const double c2 = Number(sheet.OutputText(0, 2)) * 1e-6;
        const double l2 = Number(sheet.OutputText(0, 3)) * 1e-3;
        const Complex s(0, 2 * M_PI * fc);
        // Low-pass: series L, C parallel to the load; high-pass: series C, L parallel to the load.
        const auto parallel = [](Complex a, Complex b) { return a * b / (a + b); };
        const Complex wooferLoad = parallel(8.0, 1.0 / (s * c1));
        const Complex low = wooferLoad / (s * l1 + wooferLoad);
        const Complex tweeterLoad = parallel(6.0, s * l2);
        const Complex high = tweeterLoad / (1.0 / (s * c2) + tweeterLoad);
        EXPECT_NEAR(std::abs(low), 0.5, 0.005) << fc;
        EXPECT_NEAR(std::abs(high), 0.5, 0.005) << fc;
        // In phase once the tweeter is reversed: the two outputs sum flat at the crossover.
        EXPECT_NEAR(std::abs(low - high), 1.0, 0.01) << fc;
    }
}

TEST(ShippedCalculators, ZobelMakesTheCoilLookResistive) {
    const TFilter filter = LoadShipped("zobel.flt");
    TCalculatorSheet sheet(&filter);
    sheet.InputValue(0, 0) = "6.2";
    sheet.InputValue(0, 1) = "0.45";
    ASSERT_EQ(sheet.Calculate(), std::nullopt);
    const double r = Number(sheet.OutputText(0, 0));
    const double c = Number(sheet.OutputText(0, 1)) * 1e-6;
    for (const double f : {100.0, 1000.0, 5000.0, 20000.0}) {
        const Complex s(0, 2 * M_PI * f);
        const Complex coil = 6.2 + s * 0.45e-3;
        const Complex network = r + 1.0 / (s * c);
        const Complex total = coil * network / (coil + network);
        EXPECT_NEAR(total.real(), 6.2, 0.03) << f;
        EXPECT_NEAR(total.imag(), 0.0, 0.03) << f;
    }
}

TEST(ShippedCalculators, LPadAttenuatesAndKeepsTheImpedance) {
    const TFilter filter = LoadShipped("lpad.flt");
    for (const double attenuation : {3.0, 6.0, 10.0}) {
        TCalculatorSheet sheet(&filter);
        sheet.InputValue(0, 0) = "8";
        sheet.InputValue(0, 1) = std::to_string(attenuation);
        ASSERT_EQ(sheet.Calculate(), std::nullopt);
        const double r1 = Number(sheet.OutputText(0, 1));
        const double r2 = Number(sheet.OutputText(0, 2));
        const double shunt = r2 * 8 / (r2 + 8);
        EXPECT_NEAR(r1 + shunt, 8.0, 0.02) << attenuation;
        EXPECT_NEAR(20 * std::log10(shunt / (r1 + shunt)), -attenuation, 0.02) << attenuation;
    }
    // No attenuation needs an infinite parallel resistor: an error, not a number.
    TCalculatorSheet none(&filter);
    none.InputValue(0, 0) = "8";
    none.InputValue(0, 1) = "0";
    EXPECT_EQ(none.Calculate(), "Division by zero");
}

} // namespace
