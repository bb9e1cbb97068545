#include "model/Units.h"

#include "tests/CaseNames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

// Keeps every test on "." unless it asks for another separator.
class SeparatorGuard : public ::testing::Test {
protected:
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { SetDecimalSeparator(0); }
};

struct ConversionCase {
    int kind;
    int index;
    double si;
    double display;
    // How close the table comes to the fact, in display units: exact quotients to rounding
    // noise, the rows with rounded factors to well inside their shown decimals.
    double tolerance;
    const char* fact;
};

constexpr double Exact = 1e-12;

// Each display value is an independent physical fact, not the factor of the unit table.
const ConversionCase ConversionCases[] = {
    {qkLength, 1, 0.0254, 25.4, Exact, "1 in = 25.4 mm"},
    {qkLength, 3, 0.0254, 1.0, Exact, "1 in"},
    {qkLength, 2, 0.3048, 30.48, Exact, "1 ft = 30.48 cm"},
    {qkLength, 4, 0.9144, 3.0, Exact, "1 yd = 3 ft"},
    {qkLength, 5, 0.9144, 1.0, Exact, "1 yd"},
    {qkLength, 3, 0.3048, 12.0, Exact, "1 ft = 12 in"},
    {qkVolume, 1, 0.028316846592, 28.316846592, Exact, "1 ft^3 = 28.316846592 l"},
    {qkVolume, 3, 0.028316846592, 1.0, 1e-5, "1 ft^3"},
    {qkVolume, 2, 16.387064e-6, 1.0, 1e-8, "1 in^3 = 16.387064 cm^3"},
    {qkVolume, 4, 16.387064e-6, 16.387064, Exact, "1 in^3 in cm^3"},
    {qkVolume, 2, 0.028316846592, 1728.0, 1e-5, "1 ft^3 = 1728 in^3"},
    {qkArea, 1, 0.0254 * 0.0254, 6.4516, Exact, "1 in^2 = 6.4516 cm^2"},
    {qkArea, 3, 0.3048 * 0.3048, 144.0, 3e-4, "1 ft^2 = 144 in^2"},
    {qkArea, 4, 0.9144 * 0.9144, 9.0, 1e-5, "1 yd^2 = 9 ft^2"},
    {qkArea, 5, 0.9144 * 0.9144, 1.0, 1e-6, "1 yd^2"},
    {qkArea, 2, 1e-4, 100.0, Exact, "1 cm^2 = 100 mm^2"},
    {qkFrequency, 1, 2500, 2.5, Exact, "2.5 kHz"},
    {qkResistance, 0, 8, 8, Exact, "ohm"},
    {qkInductance, 1, 0.00125, 1.25, Exact, "1.25 mH"},
    {qkLevel, 0, 90, 90, Exact, "levels are stored in dB already"},
    {qkPower, 0, 100, 100, Exact, "W"},
    {qkVelocity, 1, 1, 100, Exact, "1 m/s = 100 cm/s"},
    {qkVelocity, 2, 0.3048, 1, 1e-8, "1 ft/s"},
    {qkVelocity, 3, 1, 3.6, Exact, "1 m/s = 3.6 km/h"},
    {qkVelocity, 4, 1609.344 / 3600, 1, 1e-8, "1 mph = 1.609344 km/h"},
    {qkTemperature, 1, 293.15, 20, Exact, "20 degC"},
    {qkTemperature, 2, 293.15, 68, 0.005, "20 degC = 68 degF"},
    {qkTemperature, 2, 373.15, 212, 0.005, "water boils at 212 degF"},
    {qkTemperature, 2, 233.15, -40, 0.005, "-40 degC = -40 degF"},
    {qkTemperature, 2, 0, -459.67, 0.005, "absolute zero in degF"},
    {qkTemperature, 1, 0, -273.15, Exact, "absolute zero in degC"},
    {qkPressure, 1, 101325, 101.325, Exact, "1 atm in kPa"},
    {qkPressure, 2, 101325, 1.01325, Exact, "1 atm in bar"},
    {qkPressure, 3, 101325, 1, 1e-8, "1 atm"},
    {qkPressure, 4, 0.45359237 * 9.80665 / (0.0254 * 0.0254), 1, 1e-7, "1 psi = 1 lbf/in^2"},
    {qkMass, 1, 0.0125, 12.5, Exact, "12.5 g"},
    {qkMechanicalResistance, 1, 2.5, 2.5, Exact, "Ns/m = kg/s"},
    {qkCompliance, 1, 0.0004, 0.4, Exact, "0.4 mm/N"},
    {qkCompliance, 2, 0.0004, 400, Exact, "400 um/N"},
    {qkRatio, 0, 0.5, 50, Exact, "50 %"},
    {qkTemperatureCoefficient, 1, 0.0039, 3.9, Exact, "per 1000 K"},
    {qkTemperatureCoefficient, 2, 0.0039, 0.0039, Exact, "a kelvin is a degree Celsius"},
    {qkTemperatureCoefficient, 4, 0.0039, 0.0039 / 1.8, Exact, "a degree Fahrenheit is 5/9 K"},
    {qkTemperatureCoefficient, 5, 0.0039, 3.9 / 1.8, Exact, "per 1000 degF"},
    {qkForceFactor, 1, 7.5, 7.5, Exact, "T m = N/A"},
    {qkInductanceConstant, 1, 0.002, 2, Exact, "mH sqrt(Hz)"},
    {qkDensity, 0, 1.2, 1.2, Exact, "kg/m^3"},
    {qkTemperatureDifference, 1, 10, 10, Exact, "a difference has no offset"},
    {qkTemperatureDifference, 2, 10, 18, Exact, "10 K rise = 18 degF rise"},
    {qkAngle, 1, std::numbers::pi, 180, Exact, "pi rad = 180 deg"},
    {qkAngle, 2, std::numbers::pi / 2, 100, Exact, "a right angle is 100 grad"},
};

class ConversionTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ConversionTest, BothWaysAgreeWithPhysics) {
    const ConversionCase& c = GetParam();
    const double tolerance = c.tolerance * std::max(1.0, std::fabs(c.display));
    EXPECT_NEAR(Val2Display(c.kind, c.index, c.si), c.display, tolerance) << c.fact;
    const TUnitInfo unit = GetUnitInfo(c.kind, c.index);
    EXPECT_NEAR(Display2Val(c.kind, c.index, c.display), c.si,
                tolerance / unit.Factor + Exact * std::fabs(c.si))
        << c.fact;
}

INSTANTIATE_TEST_SUITE_P(Units, ConversionTest, ::testing::ValuesIn(ConversionCases),
                         [](const ::testing::TestParamInfo<ConversionCase>& info) {
                             return CaseName(info.index, "Kind" + std::to_string(info.param.kind) + "Unit" +
                                                             std::to_string(info.param.index));
                         });

struct UnitRow {
    const char* name;
    double factor;
    int decimals;
    double offset;
};

// The rows of every kind in their stored order: "UNITINDEX.DAT" keeps row numbers, so a
// row moved, renamed or re-scaled changes what every saved field choice shows.
const std::vector<std::vector<UnitRow>> KindRows = {
    {{"", 1, 3, 0}},
    {{"m", 1, 3, 0},
     {"mm", 1000, 1, 0},
     {"cm", 100, 2, 0},
     {"in", 1 / 0.0254, 2, 0},
     {"ft", 3.2808398950131235, 3, 0},
     {"yd", 1 / 0.9144, 3, 0}},
    {{"m^3", 1, 4, 0},
     {"l", 1000, 2, 0},
     {"in^3", 61023.744, 1, 0},
     {"ft^3", 35.3147, 3, 0},
     {"cm^3", 1e6, 0, 0}},
    {{"m^2", 1, 4, 0},
     {"cm^2", 10000, 1, 0},
     {"mm^2", 1e6, 0, 0},
     {"in^2", 1550, 2, 0},
     {"ft^2", 10.7639, 4, 0},
     {"yd^2", 1.19599, 4, 0}},
    {{"Hz", 1, 2, 0}, {"kHz", 0.001, 5, 0}},
    {{"ohm", 1, 3, 0}},
    {{"H", 1, 6, 0}, {"mH", 1000, 2, 0}},
    {{"dB", 1, 2, 0}},
    {{"W", 1, 1, 0}},
    {{"m/s", 1, 2, 0},
     {"cm/s", 100, 1, 0},
     {"ft/s", 3.2808399, 2, 0},
     {"km/h", 3.6, 2, 0},
     {"mph", 2.2369363, 2, 0}},
    {{"K", 1, 2, 0}, {"\u00B0C", 1, 2, -273.15}, {"\u00B0F", 1.8, 2, -255.37}},
    {{"Pa", 1, 1, 0},
     {"kPa", 0.001, 3, 0},
     {"bar", 0.00001, 5, 0},
     {"atm", 9.86923267e-6, 6, 0},
     {"psi", 0.00014503774, 5, 0}},
    {{"kg", 1, 5, 0}, {"g", 1000, 1, 0}},
    {{"Ns/m", 1, 5, 0}, {"kg/s", 1, 5, 0}},
    {{"m/N", 1, 7, 0}, {"mm/N", 1000, 4, 0}, {"um/N", 1e6, 1, 0}},
    {{"%", 100, 4, 0}},
    {{"1/K", 1, 7, 0},
     {"1000/K", 1000, 4, 0},
     {"1/\u00B0C", 1, 7, 0},
     {"1000/\u00B0C", 1000, 4, 0},
     {"1/\u00B0F", 1 / 1.8, 7, 0},
     {"1000/\u00B0F", 1000 / 1.8, 4, 0}},
    {{"Tm", 1, 5, 0}, {"N/A", 1, 5, 0}},
    {{"K/W", 1, 5, 0}},
    {{"J/K", 1, 5, 0}},
    {{"N/(A*kg)", 1, 5, 0}},
    {{"N/sqrt(W)", 1, 5, 0}},
    {{"H*sqrt(Hz)", 1, 6, 0}, {"mH*sqrt(Hz)", 1000, 3, 0}},
    {{"kg/m^3", 1, 5, 0}},
    {{"K", 1, 2, 0}, {"\u00B0C", 1, 2, 0}, {"\u00B0F", 1.8, 2, 0}},
    {{"rad", 1, 4, 0}, {"deg", 180 / std::numbers::pi, 3, 0}, {"grad", 200 / std::numbers::pi, 3, 0}},
};

TEST(UnitTable, RowsOfEveryKindInStoredOrder) {
    ASSERT_EQ(KindRows.size(), static_cast<std::size_t>(QuantityKindCount + 1));
    for (int kind = 0; kind <= QuantityKindCount; ++kind) {
        const auto& rows = KindRows[static_cast<std::size_t>(kind)];
        ASSERT_EQ(UnitCount(kind), static_cast<int>(rows.size())) << "kind " << kind;
        for (std::size_t index = 0; index < rows.size(); ++index) {
            const TUnitInfo unit = GetUnitInfo(kind, static_cast<int>(index));
            EXPECT_EQ(unit.Name, rows[index].name) << "kind " << kind << " row " << index;
            EXPECT_EQ(unit.Factor, rows[index].factor) << unit.Name;
            EXPECT_EQ(unit.Decimals, rows[index].decimals) << unit.Name;
            EXPECT_EQ(unit.Offset, rows[index].offset) << unit.Name;
        }
    }
}

TEST(UnitTable, EveryRowOfEveryKindConvertsBack) {
    const int expectedRows[QuantityKindCount + 1] = {1, 6, 5, 6, 2, 1, 2, 1, 1, 5, 3, 5, 2,
                                                     2, 3, 1, 6, 2, 1, 1, 1, 1, 2, 1, 3, 3};
    for (int kind = 0; kind <= QuantityKindCount; ++kind) {
        ASSERT_EQ(UnitCount(kind), expectedRows[kind]) << "kind " << kind;
        for (int index = 0; index < UnitCount(kind); ++index) {
            const TUnitInfo unit = GetUnitInfo(kind, index);
            EXPECT_LE(unit.Name.size(), 12u);
            EXPECT_GT(unit.Factor, 0);
            for (double si : {0.0, 1e-6, 0.3, 293.15, 12345.678})
                EXPECT_NEAR(Display2Val(kind, index, Val2Display(kind, index, si)), si,
                            1e-9 * std::max(1.0, si))
                    << "kind " << kind << " row " << index;
        }
    }
}

TEST(UnitTable, NamesAndDefaultRow) {
    EXPECT_EQ(GetUnitInfo(qkLength, 1).Name, "mm");
    EXPECT_EQ(GetUnitInfo(qkVolume, 1).Name, "l");
    EXPECT_EQ(GetUnitInfo(qkTemperature, 1).Name, "\u00B0C");
    EXPECT_EQ(GetUnitInfo(qkInductanceConstant, 1).Name, "mH*sqrt(Hz)");
    EXPECT_EQ(GetUnitInfo(qkFrequency, 1).Decimals, 5);
    for (int kind : {0, -1, 26, 1000}) {
        const TUnitInfo unit = GetUnitInfo(kind, 0);
        EXPECT_EQ(unit.Name, "");
        EXPECT_EQ(unit.Factor, 1);
        EXPECT_EQ(unit.Decimals, 3);
        EXPECT_EQ(unit.Offset, 0);
        EXPECT_EQ(UnitCount(kind), 1);
    }
    // A stale index outside the kind's rows shows the base unit.
    EXPECT_EQ(GetUnitInfo(qkFrequency, 7).Name, "Hz");
    EXPECT_EQ(GetUnitInfo(qkFrequency, -1).Name, "Hz");
}

struct Val2StrCase {
    int kind;
    int index;
    double si;
    char separator;
    const char* text;
};

const Val2StrCase Val2StrCases[] = {
    {qkFrequency, 0, 100, '.', "100.00"},
    {qkFrequency, 1, 100, '.', "0.10000"},
    {qkFrequency, 0, 31.5, ',', "31,50"},
    {qkTemperature, 2, 0, '.', "-459.67"},
    {qkTemperature, 2, 293.15, '.', "68.00"},
    {qkTemperature, 1, 293.15, '.', "20.00"},
    {qkLength, 1, 0.0123456, '.', "12.3"},
    {qkVolume, 4, 1, '.', "1000000"},
    {qkNone, 0, 1.23456, '.', "1.235"},
    {qkNone, 0, -0.0001, '.', "0.000"}, // no "-0.000"
    {qkMass, 0, 0.0000123456789, '.', "0.00001"},
    {qkFrequency, 0, 123456789.123, '.', "123456789.00"}, // nine significant digits, padded
    {qkFrequency, 0, 1234567.891, '.', "1234567.89"},
    {qkFrequency, 0, 1234567890, '.', "1.23456789E9"},
    {qkFrequency, 0, -2.5, ',', "-2,50"},
    {qkFrequency, 0, 0.005, '.', "0.01"}, // 0.005 lies a little above the halfway point
    {qkRatio, 0, 0.25, '.', "25.0000"},
};

class Val2StrTest : public SeparatorGuard, public ::testing::WithParamInterface<Val2StrCase> {};

TEST_P(Val2StrTest, FixedWithTheRowsDecimals) {
    const Val2StrCase& c = GetParam();
    SetDecimalSeparator(c.separator);
    EXPECT_EQ(Val2Str(c.kind, c.index, c.si), c.text);
}

INSTANTIATE_TEST_SUITE_P(Units, Val2StrTest, ::testing::ValuesIn(Val2StrCases),
                         [](const ::testing::TestParamInfo<Val2StrCase>& info) {
                             return CaseName(info.index, info.param.text);
                         });

struct CrossUnitCase {
    const char* typed;
    int kind;
    int typedIndex;
    int shownIndex;
    const char* shown;
};

// Typed in one unit, shown in another: the rounded factors of the table never show in the
// decimals of the row (textbook values: 68 degF = 20 degC, 1 ft^3 = 28.3168 l,
// 14.7 psi = 101.3529 kPa, 1 mph = 1.609344 km/h, 1 ft^2 = 929.0304 cm^2).
const CrossUnitCase CrossUnitCases[] = {
    {"68", qkTemperature, 2, 1, "20.00"},   {"32", qkTemperature, 2, 1, "0.00"},
    {"212", qkTemperature, 2, 0, "373.15"}, {"-40", qkTemperature, 1, 2, "-40.00"},
    {"1", qkVolume, 3, 1, "28.32"},         {"1728", qkVolume, 2, 3, "1.000"},
    {"14.7", qkPressure, 4, 1, "101.353"},  {"1", qkVelocity, 4, 3, "1.61"},
    {"1", qkArea, 4, 1, "929.0"},           {"144", qkArea, 3, 4, "1.0000"},
    {"12", qkLength, 3, 4, "1.000"},        {"100", qkAngle, 2, 1, "90.000"},
};

TEST(UnitTable, ValueTypedInOneUnitReadsRightInAnother) {
    SetDecimalSeparator('.');
    for (const CrossUnitCase& c : CrossUnitCases) {
        const TStr2ValResult typed = Str2Val(c.typed, c.kind, c.typedIndex);
        ASSERT_TRUE(typed.Converted);
        EXPECT_EQ(Val2Str(c.kind, c.shownIndex, typed.Value), c.shown)
            << c.typed << " " << GetUnitInfo(c.kind, c.typedIndex).Name;
    }
    SetDecimalSeparator(0);
}

TEST_F(SeparatorGuard, Val2StrOfNonFiniteValuesIsVisible) {
    EXPECT_EQ(Val2Str(qkFrequency, 0, std::nan("")), "NAN");
}

TEST_F(SeparatorGuard, AValueBeyondTheUnitsRangeShowsANumberThatReadsBack) {
    SetDecimalSeparator('.');
    // The largest finite number, rounded down to nine digits.
    EXPECT_EQ(Val2Str(qkFrequency, 0, INFINITY), "1.79769313E308");
    EXPECT_EQ(Val2Str(qkFrequency, 0, -INFINITY), "-1.79769313E308");
    int scaled = -1;
    for (int index = 0; index < UnitCount(qkLength); ++index)
        if (GetUnitInfo(qkLength, index).Factor > 1)
            scaled = index;
    ASSERT_GE(scaled, 0);
    for (const double si : {1e307, -1e307, std::numeric_limits<double>::max()}) {
        const std::string shown = Val2Str(qkLength, scaled, si);
        const TStr2ValResult back = Str2Val(shown, qkLength, scaled);
        EXPECT_TRUE(back.Converted) << shown;
        EXPECT_TRUE(std::isfinite(back.Value)) << shown;
        EXPECT_EQ(std::signbit(back.Value), std::signbit(si)) << shown;
    }
    SetDecimalSeparator(0);
}

struct Str2ValCase {
    const char* text;
    int kind;
    int index;
    double si;
    bool converted;
};

const Str2ValCase Str2ValCases[] = {
    {"1,5", qkNone, 0, 1.5, true},
    {"1.5", qkNone, 0, 1.5, true},
    {"", qkNone, 0, 0, true},
    {"   ", qkNone, 0, 0, true},
    {"", qkTemperature, 1, 0, true}, // empty is unknown, not 0 degC
    {" ", qkTemperature, 2, 0, true},
    {" 2.5 ", qkNone, 0, 2.5, true},
    {"+3", qkNone, 0, 3, true},
    {"-3,25", qkNone, 0, -3.25, true},
    {"1e3", qkNone, 0, 1000, true},
    {"5.00000000000000E+001", qkNone, 0, 50, true},
    {".5", qkNone, 0, 0.5, true},
    {"20", qkTemperature, 1, 293.15, true},
    // The table's degF offset of -255.37 puts 68 degF 0.0022 K below 20 degC, which the
    // two decimals of either unit do not show.
    {"68", qkTemperature, 2, 293.1477777777778, true},
    {"250", qkLength, 1, 0.25, true},
    {"abc", qkNone, 0, 0, false},
    {"abc", qkTemperature, 1, 273.15, false}, // a failed entry means 0 of the shown unit
    {"1.2.3", qkNone, 0, 0, false},
    {"1,234.5", qkNone, 0, 0, false},
    {"12abc", qkNone, 0, 0, false},
    {"inf", qkNone, 0, 0, false},
    {"nan", qkNone, 0, 0, false},
    {"1e999", qkNone, 0, 0, false},
    {"-", qkNone, 0, 0, false},
    {"+-1", qkNone, 0, 0, false},
    {"0x10", qkNone, 0, 0, false},
};

class Str2ValTest : public SeparatorGuard, public ::testing::WithParamInterface<Str2ValCase> {};

TEST_P(Str2ValTest, AcceptsPointAndCommaWhateverTheLocale) {
    const Str2ValCase& c = GetParam();
    for (char separator : {'.', ','}) {
        SetDecimalSeparator(separator);
        const TStr2ValResult result = Str2Val(c.text, c.kind, c.index);
        EXPECT_EQ(result.Converted, c.converted) << '"' << c.text << '"';
        EXPECT_NEAR(result.Value, c.si, 1e-9) << '"' << c.text << '"';
        if (c.kind == qkNone) {
            EXPECT_NEAR(Str2Float(c.text), c.si, 1e-12) << '"' << c.text << '"';
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Units, Str2ValTest, ::testing::ValuesIn(Str2ValCases),
                         [](const ::testing::TestParamInfo<Str2ValCase>& info) {
                             return CaseName(info.index, info.param.text);
                         });

TEST(NumberCodec, UnreadableNumbersBecomeZero) {
    for (const char* text : {"", "x", "1.2.3", "1;2", "nan", "--5", "1e999"})
        EXPECT_EQ(Str2Float(text), 0) << '"' << text << '"';
    EXPECT_EQ(Str2Float("31,5"), 31.5);
    EXPECT_EQ(Str2Float("31.5"), 31.5);
    double value = 7;
    EXPECT_FALSE(TryStr2Float("", value));
    EXPECT_EQ(value, 7);
}

struct Float2StrCase {
    double value;
    const char* point;
};

const Float2StrCase Float2StrCases[] = {
    {0, "0"},
    {-0.0, "0"},
    {1, "1"},
    {0.1, "0.1"},
    {31.5, "31.5"},
    {-2.5, "-2.5"},
    {100, "100"},
    {293.15, "293.15"},
    {0.0039, "0.0039"},
    {1.0 / 3, "0.3333333333333333"},
    {2.0 / 3, "0.6666666666666666"},
    {0.1 + 0.2, "0.30000000000000004"},
    {343.68, "343.68"},
    {1.2009512345678e-3, "0.0012009512345678"},
    {123456789012345, "123456789012345"},
    {1e15, "1E15"},
    {1.5e20, "1.5E20"},
    {1e-5, "0.00001"},
    {1.5e-6, "1.5E-6"},
    {-3.25e-9, "-3.25E-9"},
    {0.000123, "0.000123"},
    {1.2009e-3, "0.0012009"},
    {9.99999999999999999, "10"},
};

class Float2StrTest : public ::testing::TestWithParam<Float2StrCase> {};

TEST_P(Float2StrTest, ShortestGeneralForm) {
    const Float2StrCase& c = GetParam();
    EXPECT_EQ(Float2Str(c.value), c.point);
    std::string comma = c.point;
    for (char& ch : comma)
        if (ch == '.')
            ch = ',';
    EXPECT_EQ(Float2Str(c.value, ','), comma);
    EXPECT_EQ(Str2Float(comma), Str2Float(c.point));
}

INSTANTIATE_TEST_SUITE_P(Units, Float2StrTest, ::testing::ValuesIn(Float2StrCases),
                         [](const ::testing::TestParamInfo<Float2StrCase>& info) {
                             return CaseName(info.index, info.param.point);
                         });

TEST(NumberCodec, NonFiniteIsWrittenAsZero) {
    EXPECT_EQ(Float2Str(std::nan("")), "0");
    EXPECT_EQ(Float2Str(INFINITY), "0");
}

TEST(NumberCodec, EveryFiniteDoubleSurvivesARoundTripBitForBit) {
    std::mt19937_64 random(20240131);
    std::vector<double> values = {std::numbers::pi,
                                  6.02214076e23,
                                  1.6e-19,
                                  0.0254,
                                  -1e-300,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::min(),
                                  1e15 - 1,
                                  99999.999999999985,
                                  1e-5};
    while (values.size() < 20000) {
        double value = 0;
        const std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value) && value != 0)
            values.push_back(value);
    }
    for (double value : values) {
        for (char separator : {'.', ','}) {
            const std::string text = Float2Str(value, separator);
            ASSERT_EQ(text.find(separator == '.' ? ',' : '.'), std::string::npos) << text;
            const double back = Str2Float(text);
            ASSERT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text;
        }
    }
}

TEST(NumberCodec, SeparatorCanBeSetAndRestored) {
    SetDecimalSeparator(',');
    EXPECT_EQ(DecimalSeparator(), ',');
    SetDecimalSeparator('.');
    EXPECT_EQ(DecimalSeparator(), '.');
    SetDecimalSeparator('x'); // anything else goes back to the user's locale
    EXPECT_TRUE(DecimalSeparator() == '.' || DecimalSeparator() == ',');
    SetDecimalSeparator(0);
}

TEST(Amplitude, FactorsOfTheThreeScales) {
    EXPECT_EQ(AmplitudeFactor(0), 1);
    EXPECT_NEAR(AmplitudeFactor(1), std::sqrt(2.0), 1e-11);
    EXPECT_NEAR(AmplitudeFactor(2), 2 * std::sqrt(2.0), 1e-11);
    EXPECT_EQ(AmplitudeFactor(3), 1);
    EXPECT_EQ(AmplitudeFactor(-1), 1);
    EXPECT_EQ(AmplitudeKinds[1].Name, "peak");
}

} // namespace
