#include "model/SaveToFile_Utils.h"

#include "model/Units.h"
#include "shell/Settings.h"
#include "simulation/Lowpass.h"
#include "simulation/ParametricEQ.h"
#include "simulation/StaticGain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

fs::path DataFile(const std::string& name) {
    if (const char* root = std::getenv("BORVIK_TEST_DATA"))
        return fs::path(root) / "files" / name;
    return fs::path(BORVIK_GOLDEN_FILES) / name;
}

platform::IniFile Document(const std::string& text) {
    platform::IniFile file;
    file.SetText(text);
    return file;
}

// The driver of the golden files.
TDriverObject GoldenDriver() {
    TDriverObject driver;
    TDriverData& d = driver.Data;
    d.Brand = "Acme";
    d.Model = "W8 \"Pro\"";
    d.Manufacturer = "Acme Audio";
    d.ProvidedBy = "Test bench";
    d.Comment = "Line one\r\nLine two";
    d.DateAdded = {2024, 1, 31};
    d.DateModified = {2024, 2, 15};
    d.Qts = 0.38;
    d.Znom = 8;
    d.Fs = 31.5;
    d.Pe = 60;
    d.SPL = 88.5;
    d.Re = 5.6;
    d.Le = 0.00045;
    d.fLe = 1000;
    d.KLe = 0.0356;
    d.BL = 7.2;
    d.Xmax = 0.005;
    d.Cms = 0.00123;
    d.Qms = 4.1;
    d.Qes = 0.42;
    d.Rms = 1.25;
    d.Mms = 0.0215;
    d.Sd = 0.022;
    d.Vas = 0.0385;
    d.Dia = 0.2;
    d.Vd = 0.00011;
    d.no = 0.0045;
    d.Dd = 0.167;
    d.EBP = 75;
    d.numVC = 2;
    d.Hc = 0.012;
    d.Hg = 0.006;
    d.SPLmax = 106.3;
    d.SPLmaxLF = 98;
    d.USPL = 89.1;
    d.alfaVC = 0.0039;
    d.Rt = 2.5;
    d.Ct = 30;
    d.gamma = 334.88;
    d.Rme = 9.257;
    d.Mpow = 3.04;
    d.Mcost = 16.5;
    d.Gloss = 0.05;
    d.VCCon = 2;
    d.c = 343.68;
    d.roo = 1.2009;
    d.Thick = 0.004;
    d.Depth = 0.09;
    d.MagDepth = 0.03;
    d.Magnet = 0.1;
    d.Basket = 0.21;
    d.Outer = 0.22;
    d.Vcd = 0.025;
    d.DVol = 1.5e-6;
    const std::string letters = "EEEEECCCEENCEEECCEEECENECEEEEEEECCCCCCENNNNNNNNNC";
    std::copy(letters.begin(), letters.end(), d.ParState.begin());
    return driver;
}

// Every stored field of the driver record, so that a round trip is checked whole.
constexpr double TDriverData::*StoredReals[] = {
    &TDriverData::Znom,     &TDriverData::Fs,       &TDriverData::Pe,     &TDriverData::SPL,
    &TDriverData::Re,       &TDriverData::Le,       &TDriverData::fLe,    &TDriverData::KLe,
    &TDriverData::BL,       &TDriverData::Xmax,     &TDriverData::Cms,    &TDriverData::Qms,
    &TDriverData::Qes,      &TDriverData::Qts,      &TDriverData::Rms,    &TDriverData::Mms,
    &TDriverData::Sd,       &TDriverData::Vd,       &TDriverData::Vas,    &TDriverData::Dia,
    &TDriverData::Dd,       &TDriverData::no,       &TDriverData::Hc,     &TDriverData::Hg,
    &TDriverData::SPLmax,   &TDriverData::SPLmaxLF, &TDriverData::USPL,   &TDriverData::alfaVC,
    &TDriverData::Rt,       &TDriverData::Ct,       &TDriverData::gamma,  &TDriverData::EBP,
    &TDriverData::Rme,      &TDriverData::Mpow,     &TDriverData::Mcost,  &TDriverData::Gloss,
    &TDriverData::c,        &TDriverData::roo,      &TDriverData::Thick,  &TDriverData::Depth,
    &TDriverData::MagDepth, &TDriverData::Magnet,   &TDriverData::Basket, &TDriverData::Outer,
    &TDriverData::Vcd,      &TDriverData::DVol,
};

void ExpectSameDriver(const TDriverData& a, const TDriverData& b) {
    EXPECT_EQ(a.Brand, b.Brand);
    EXPECT_EQ(a.Model, b.Model);
    EXPECT_EQ(a.Manufacturer, b.Manufacturer);
    EXPECT_EQ(a.ProvidedBy, b.ProvidedBy);
    EXPECT_EQ(a.Comment, b.Comment);
    EXPECT_EQ(a.DateAdded, b.DateAdded);
    EXPECT_EQ(a.DateModified, b.DateModified);
    for (auto field : StoredReals)
        EXPECT_NEAR(a.*field, b.*field, std::fabs(b.*field) * 1e-14);
    EXPECT_EQ(a.numVC, b.numVC);
    EXPECT_EQ(a.VCCon, b.VCCon);
    EXPECT_EQ(std::string(a.ParState.begin(), a.ParState.end()),
              std::string(b.ParState.begin(), b.ParState.end()));
}

struct GoldenProject {
    TProjectInfo info;
    TDriverObject driver = GoldenDriver();
    TBoxData box;
    std::int32_t color = 0xFF00FF;
    std::int32_t width = 2;
    TSignalSource signal;
    TFilterList filters;

    GoldenProject() {
        info = {"Closed box for the living room\r\nsecond line", "tester", {2024, 1, 1}, {2024, 3, 1}};
        box.BType = 4;
        box.Vr = 0.05;
        box.Fr = 28;
        box.Qlr = 10;
        box.Qar = 100;
        box.T = 293.15;
        box.p = 101325;
        box.phi = 0.3;
        box.d = 1;
        box.Med = 0.002;
        box.Nd = 2;
        box.Angle = 0.5235987755983;
        box.Isobarik = true;
        box.alfaVC = 0.0039;
        box.dTVC = 20;
        box.Sdrport = 0.00817;
        box.Npr = 2;
        box.FrontVent = {1, 1, 0, 0, 0.102, 0, 0, 0, 0.732, 0, false};
        box.RearVent = {2, 2, 28, 0.05, 0.1, 0.04, 0.004, 0.25, 0.85, 0, true};
        box.PassiveRadiator = {0.06, 6, 22, 0.033, 0.012, 0.015};
        signal = {0, 0.5, 2.83};
        auto lowpass = std::make_unique<TLowpass>();
        lowpass->Enabled = true;
        lowpass->Order = 2;
        lowpass->Fc = 80;
        lowpass->Q = 0.707;
        auto gain = std::make_unique<TStaticGain>();
        gain->Enabled = true;
        gain->Gain = -3;
        auto equaliser = std::make_unique<TParametricEQ>();
        equaliser->Enabled = true;
        equaliser->Fc = 40;
        equaliser->Q = 2;
        equaliser->Gain = -6;
        filters.push_back(std::move(lowpass));
        filters.push_back(std::move(gain));
        filters.push_back(std::move(equaliser));
    }

    TProjectParts Parts() { return {info, driver, box, color, width, signal, filters}; }
};

class FileSectionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDecimalSeparator('.');
        std::random_device seed;
        folder = fs::temp_directory_path() / ("borvik-files-" + std::to_string(seed()));
        fs::create_directories(folder);
    }
    void TearDown() override {
        SetDecimalSeparator(0);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    fs::path folder;
};

// --- golden files ----------------------------------------------------------------------------

TEST_F(FileSectionsTest, DriverFileMatchesTheGoldenFile) {
    const fs::path path = folder / "driver.bvd";
    ASSERT_TRUE(SaveDriverFile(path, GoldenDriver()));
    EXPECT_EQ(ReadBytes(path), ReadBytes(DataFile("driver.bvd")));
}

TEST_F(FileSectionsTest, GoldenDriverFileReadsBack) {
    TDriverObject driver;
    ASSERT_TRUE(LoadDriverFile(DataFile("driver.bvd"), driver));
    ExpectSameDriver(driver.Data, GoldenDriver().Data);
}

TEST_F(FileSectionsTest, ProjectFileMatchesTheGoldenFile) {
    GoldenProject project;
    const fs::path path = folder / "project.bvp";
    ASSERT_TRUE(SaveProjectFile(path, project.Parts()));
    EXPECT_EQ(ReadBytes(path), ReadBytes(DataFile("project_radiator.bvp")));
}

TEST_F(FileSectionsTest, GoldenProjectFileReadsBack) {
    GoldenProject expected;
    TProjectInfo info;
    TDriverObject driver;
    TBoxData box;
    std::int32_t color = 0, width = 0;
    TSignalSource signal;
    TFilterList filters;
    const TReadReport report =
        LoadProjectFile(DataFile("project_radiator.bvp"), {info, driver, box, color, width, signal, filters});
    ASSERT_TRUE(report) << report.error;
    EXPECT_TRUE(report.warnings.empty());
    EXPECT_EQ(info.Description, expected.info.Description);
    EXPECT_EQ(info.Creator, "tester");
    EXPECT_EQ(info.CreateDate, (TDate{2024, 1, 1}));
    EXPECT_EQ(info.ModifyDate, (TDate{2024, 3, 1}));
    ExpectSameDriver(driver.Data, expected.driver.Data);
    EXPECT_EQ(box.BType, 4);
    EXPECT_EQ(box.Npr, 2);
    EXPECT_EQ(box.Nd, 2);
    EXPECT_TRUE(box.Isobarik);
    EXPECT_EQ(box.Angle, 0.5235987755983);
    EXPECT_EQ(box.Sdrport, 0.00817);
    EXPECT_EQ(box.RearVent.Num, 2);
    EXPECT_EQ(box.RearVent.Shape, 2);
    EXPECT_EQ(box.RearVent.len, 0.25);
    EXPECT_TRUE(box.RearVent.crosscalc);
    EXPECT_EQ(box.FrontVent.dia1, 0.102);
    EXPECT_EQ(box.PassiveRadiator.Me, 0.015);
    EXPECT_EQ(color, 0xFF00FF);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(signal.P, 2.83);
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[0]->Kind, fkLowpass);
    EXPECT_EQ(filters[1]->Kind, fkStaticGain);
    EXPECT_EQ(filters[2]->Kind, fkParametricEQ);
    EXPECT_EQ(static_cast<TLowpass&>(*filters[0]).Fc, 80);
    EXPECT_EQ(static_cast<TStaticGain&>(*filters[1]).Gain, -3);
    EXPECT_EQ(static_cast<TParametricEQ&>(*filters[2]).Q, 2);
    // Read stages have their response computed: -3 dB of gain is a factor 10^(-3/20).
    EXPECT_NEAR(ComplexAbs(filters[1]->GetResponse(100)), std::pow(10.0, -3.0 / 20), 1e-12);
}

// --- round trips ---------------------------------------------------------------------------

TEST_F(FileSectionsTest, EverySectionSurvivesARoundTripInBothSeparators) {
    for (char separator : {'.', ','}) {
        SetDecimalSeparator(separator);
        GoldenProject written;
        written.box.Vr = 1.0 / 3;
        written.box.T = 273.15 + 1e-9;
        written.box.PassiveRadiator.Vas = 2.5e-7;
        written.signal.Rg = 0.1;
        const fs::path path = folder / "roundtrip.bvp";
        ASSERT_TRUE(SaveProjectFile(path, written.Parts()));
        if (separator == ',') {
            EXPECT_NE(ReadBytes(path).find("Fs=31,5\n"), std::string::npos);
        }

        SetDecimalSeparator(separator == '.' ? ',' : '.'); // read on a machine of the other kind
        GoldenProject read;
        read.box = {};
        read.filters.clear();
        ASSERT_TRUE(LoadProjectFile(path, read.Parts()));
        ExpectSameDriver(read.driver.Data, written.driver.Data);
        EXPECT_NEAR(read.box.Vr, 1.0 / 3, 1e-15);
        EXPECT_NEAR(read.box.T, 273.15 + 1e-9, 1e-12);
        EXPECT_EQ(read.box.PassiveRadiator.Vas, 2.5e-7);
        EXPECT_EQ(read.box.RearVent.endcorrection, 0.85);
        EXPECT_EQ(read.box.FrontVent.endcorrection, 0.732);
        EXPECT_EQ(read.signal.Rg, 0.1);
        EXPECT_EQ(read.info.Description, written.info.Description);
        ASSERT_EQ(read.filters.size(), 3u);
        EXPECT_EQ(static_cast<TLowpass&>(*read.filters[0]).Q, 0.707);
        EXPECT_EQ(static_cast<TParametricEQ&>(*read.filters[2]).Gain, -6);
    }
}

TEST_F(FileSectionsTest, CommentsKeepTheirLinesAndUmlauts) {
    const struct {
        const char* comment;
        const char* stored;
        const char* readBack;
    } cases[] = {
        {"two\r\nlines", "two\xA4lines", "two\r\nlines"},
        {"bare\nbreak",
         "bare\xA4"
         "break",
         "bare\r\nbreak"},
        {"old\rMac", "old\xA4Mac", "old\r\nMac"},
        {"Gr\xC3\xB6\xC3\x9F"
         "e \xC3\xA4\r\nZeile 2",
         "Gr\xC3\xB6\xC3\x9F"
         "e \xC3\xA4\xA4Zeile 2",
         "Gr\xC3\xB6\xC3\x9F"
         "e \xC3\xA4\r\nZeile 2"},
        {"currency \xC2\xA4 sign", "currency \xC2\xA4 sign", "currency \xC2\xA4 sign"},
        {"\r\n\r\n", "\xA4\xA4", "\r\n\r\n"},
    };
    for (const auto& c : cases) {
        TDriverObject driver;
        driver.Data.Comment = c.comment;
        driver.Data.Brand = "M\xC3\xBCller";
        platform::IniFile file;
        WriteDriver(file, driver);
        EXPECT_EQ(file.ReadString("Driver", "Comment", "?"), c.stored);
        const std::string text = file.Text();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 57) << "one line per key";
        TDriverObject back;
        ReadDriver(Document(text), back);
        EXPECT_EQ(back.Data.Comment, c.readBack);
        EXPECT_EQ(back.Data.Brand, "M\xC3\xBCller");
    }
}

TEST_F(FileSectionsTest, FilesMadeOnWindowsReadAsWindows1252) {
    const std::string text =
        "[Driver]\nBrand=M\xFCller\nModel=\x80 Woofer \xA4\nComment=Zeile1\xA4Zeile2 \x93gut\x94\n";
    TDriverObject driver;
    ReadDriver(Document(text), driver);
    EXPECT_EQ(driver.Data.Brand, "M\xC3\xBCller");
    EXPECT_EQ(driver.Data.Model, "\xE2\x82\xAC Woofer \xC2\xA4");
    EXPECT_EQ(driver.Data.Comment, "Zeile1\r\nZeile2 \xE2\x80\x9Cgut\xE2\x80\x9D");
}

TEST(TextCodecs, Utf8CheckAllowsOnlyLoneLineBreakBytes) {
    EXPECT_TRUE(IsStoredUtf8("plain"));
    EXPECT_TRUE(IsStoredUtf8("\xC3\xA4\xA4\xC3\xB6"));
    EXPECT_FALSE(IsStoredUtf8("M\xFCller"));
    EXPECT_FALSE(IsStoredUtf8("\xC0\xAF"));                          // overlong "/"
    EXPECT_FALSE(IsStoredUtf8("\xED\xA0\x80"));                      // surrogate
    EXPECT_FALSE(IsStoredUtf8("\xE2\x82"));                          // cut short
    EXPECT_TRUE(IsStoredUtf8("\xF0\x9F\x94\x8A"));                   // a loudspeaker
    EXPECT_EQ(DecodeText("\xE2\x82", true), "\xC3\xA2\xE2\x80\x9A"); // stray bytes as Windows-1252
}

TEST_F(FileSectionsTest, SingleLineTextsCannotSplitTheFile) {
    TDriverObject driver;
    driver.Data.Brand = "two\nlines";
    platform::IniFile file;
    WriteDriver(file, driver);
    EXPECT_EQ(file.ReadString("Driver", "Brand", ""), "two lines");
    TProjectInfo info{"a\nb", "me\r\n", {2024, 1, 1}, {2024, 1, 2}};
    WriteProjectInfo(file, info);
    TProjectInfo back;
    ReadProjectInfo(Document(file.Text()), back);
    EXPECT_EQ(back.Description, "a\r\nb");
    EXPECT_EQ(back.Creator, "me");
}

// --- reading rules -------------------------------------------------------------------------

TEST_F(FileSectionsTest, DecimalCommaReadsOnAnySystem) {
    for (char separator : {'.', ','}) {
        SetDecimalSeparator(separator);
        TDriverObject driver;
        ReadDriver(Document("[Driver]\nFs=31,5\nQts=0.38\nRe=abc\n"), driver);
        EXPECT_EQ(driver.Data.Fs, 31.5);
        EXPECT_EQ(driver.Data.Qts, 0.38);
        EXPECT_EQ(driver.Data.Re, 0);
    }
}

TEST_F(FileSectionsTest, Dates) {
    const TDate today = TDate::Today();
    const struct {
        const char* line;
        TDate expected;
    } cases[] = {
        {"DateAdded=20240131\n", {2024, 1, 31}},
        {"DateAdded=20240229\n", {2024, 2, 29}},
        {"DateAdded=\n", today},
        {"DateAdded=2024ab01\n", today},
        {"DateAdded=20241399\n", today},
        {"DateAdded=20230229\n", today},
        {"DateAdded=2024131\n", today},
        {"", today},
    };
    for (const auto& c : cases) {
        TDriverObject driver;
        driver.Data.DateAdded = {1999, 9, 9};
        ReadDriver(Document(std::string("[Driver]\n") + c.line), driver);
        EXPECT_EQ(driver.Data.DateAdded, c.expected) << c.line;
    }
    EXPECT_EQ(DateToText({2024, 1, 31}), "20240131");
    EXPECT_EQ(DateToText({999, 12, 1}), "09991201");
    EXPECT_EQ(DateToText({}), DateToText(today));
    EXPECT_EQ(DateToText({2024, 2, 30}), DateToText(today));
}

TEST_F(FileSectionsTest, DriverDefaultsAndLetters) {
    TDriverObject driver;
    driver.Data.Xlim = 0.01;
    driver.NumDrivers = 3;
    driver.Rs = 0.2;
    ReadDriver(Document("[Driver]\nroo=1.1\nParState=CCE\n"), driver);
    EXPECT_EQ(driver.Data.numVC, 1);
    EXPECT_EQ(driver.Data.VCCon, 1);
    EXPECT_EQ(driver.Data.roo, 1.1);
    // The default speed of sound is that of the density just read: c = sqrt(kappa p / rho).
    EXPECT_NEAR(driver.Data.c, std::sqrt(1.4 * TC.Environment_AirPressure / 1.1), 1e-9);
    EXPECT_EQ(driver.Data.Xlim, 0.01);
    EXPECT_EQ(driver.NumDrivers, 3);
    EXPECT_EQ(driver.Rs, 0.2);
    const std::string letters(driver.Data.ParState.begin(), driver.Data.ParState.end());
    EXPECT_EQ(letters.substr(0, 3), "CCE");
    const auto empty = EmptyParState();
    EXPECT_EQ(letters.substr(3), std::string(empty.begin() + 3, empty.end()));

    TDriverObject noLetters;
    ReadDriver(Document("[Driver]\nFs=30\n"), noLetters);
    EXPECT_EQ(std::string(noLetters.Data.ParState.begin(), noLetters.Data.ParState.end()),
              std::string(ParStateLength, 'E'));
    EXPECT_NEAR(noLetters.Data.roo, 1.2009, 1e-3); // humid air of the settings

    TDriverObject longLetters;
    ReadDriver(Document("[Driver]\nParState=" + std::string(60, 'C') + "\n"), longLetters);
    EXPECT_EQ(std::string(longLetters.Data.ParState.begin(), longLetters.Data.ParState.end()),
              std::string(ParStateLength, 'C'));
}

TEST_F(FileSectionsTest, HostileIntegersAreBounded) {
    TDriverObject driver;
    ReadDriver(Document("[Driver]\nnumVC=0\nVCCon=3\n"), driver);
    EXPECT_EQ(driver.Data.numVC, 1);
    EXPECT_EQ(driver.Data.VCCon, 1);
    ReadDriver(Document("[Driver]\nnumVC=2147483647\nVCCon=-1\n"), driver);
    EXPECT_EQ(driver.Data.numVC, 1);
    EXPECT_EQ(driver.Data.VCCon, 1);

    TVentData vent;
    ReadVent(Document("[VentRear]\nNum=1000000\nShape=7\n"), vent, "Rear");
    EXPECT_EQ(vent.Num, MaximumVentCount);
    EXPECT_EQ(vent.Shape, 1);
    ReadVent(Document("[VentRear]\nNum=-4\n"), vent, "Rear");
    EXPECT_EQ(vent.Num, 1);

    TBoxData box;
    ASSERT_TRUE(ReadBox(Document("[Box]\nBType=4\nNd=-7\nNpr=99999999\n"), box));
    EXPECT_EQ(box.Nd, 1);
    EXPECT_EQ(box.Npr, 1);

    std::int32_t color = 0, width = 0;
    ReadPlotSettings(Document("[PlotSettings]\nWidth=2000000000\n"), color, width);
    EXPECT_EQ(color, 16777215);
    EXPECT_EQ(width, 1);
}

TEST_F(FileSectionsTest, ProjectWithoutBoxGetsTheDefaults) {
    TBoxData box;
    box.Npr = 5;
    ASSERT_TRUE(ReadBox(Document("[Driver]\nFs=30\n"), box));
    EXPECT_EQ(box.BType, 0);
    EXPECT_EQ(box.T, 293.15);
    EXPECT_EQ(box.p, 101325);
    EXPECT_EQ(box.phi, 0.3);
    EXPECT_EQ(box.d, 1);
    EXPECT_EQ(box.Nd, 1);
    EXPECT_EQ(box.alfaVC, 0.0039);
    EXPECT_FALSE(box.Isobarik);
    EXPECT_EQ(box.Npr, 5); // only a passive-radiator box reads its count

    TVentData vent;
    ReadVent(Document(""), vent, "Front");
    EXPECT_EQ(vent.Num, 1);
    EXPECT_EQ(vent.Shape, 1);
    EXPECT_EQ(vent.endcorrection, 0.732);
    TSignalSource signal;
    ReadSignalSource(Document(""), signal);
    EXPECT_EQ(signal.Rg, 0);
    EXPECT_EQ(signal.P, 1);
    TProjectInfo info{"kept", "kept too", {}, {}};
    ReadProjectInfo(Document(""), info);
    EXPECT_EQ(info.Description, "kept");
    EXPECT_EQ(info.Creator, "kept too");
    EXPECT_EQ(info.CreateDate, TDate::Today());
}

TEST_F(FileSectionsTest, RadiatorCountIsWrittenOnlyForRadiatorBoxes) {
    TBoxData box;
    box.BType = 1;
    box.Npr = 3;
    platform::IniFile file;
    WriteBox(file, box);
    EXPECT_FALSE(file.ValueExists("Box", "Npr"));
    box.BType = 4;
    WriteBox(file, box);
    EXPECT_EQ(file.ReadInteger("Box", "Npr", 0), 3);
}

TEST_F(FileSectionsTest, ForeignBoxTypeIsRefusedAndNothingIsTaken) {
    for (const char* type : {"5", "-1", "2147483647"}) {
        TBoxData box;
        box.Vr = 0.07;
        const TReadReport report =
            ReadBox(Document(std::string("[Box]\nBType=") + type + "\nVr=0.02\n"), box);
        EXPECT_FALSE(report);
        EXPECT_NE(report.error.find(type), std::string::npos) << report.error;
        EXPECT_EQ(box.BType, 0);
        EXPECT_EQ(box.Vr, 0.07);
    }

    const fs::path path = folder / "foreign.bvp";
    WriteBytes(path, "[Driver]\nBrand=Foreign\n\n[Box]\nBType=9\n");
    GoldenProject project;
    const TReadReport report = LoadProjectFile(path, project.Parts());
    EXPECT_FALSE(report);
    EXPECT_EQ(project.driver.Data.Brand, "Acme");
    EXPECT_EQ(project.filters.size(), 3u);
}

TEST_F(FileSectionsTest, FilterListReadingIsBoundedAndReportsWhatItSkips) {
    {
        TFilterList filters;
        filters.push_back(std::make_unique<TStaticGain>());
        const TReadReport report =
            ReadFilters(Document("[Filters]\nCount=3\nfilter0type=6\nfilter0params=0;1;-2,5\nfilter1type=6\n"
                                 "filter1params=0;1;1\nfilter2type=9\nfilter2params=0;1;1\n"),
                        filters);
        ASSERT_EQ(filters.size(), 2u); // the old stage is gone, the unknown kind skipped
        EXPECT_EQ(static_cast<TStaticGain&>(*filters[0]).Gain, -2.5);
        EXPECT_EQ(report.warnings.size(), 1u);
    }
    {
        TFilterList filters;
        const TReadReport report = ReadFilters(
            Document("[Filters]\nCount=2\nfilter0type=0\nfilter0params=x;1;2;50;0.7\nfilter1type=0\n"
                     "filter1params=0;1;2;50;0.7\n"),
            filters);
        ASSERT_EQ(filters.size(), 1u);
        EXPECT_EQ(static_cast<TLowpass&>(*filters[0]).Fc, 50);
        ASSERT_EQ(report.warnings.size(), 1u);
        EXPECT_NE(report.warnings[0].find("Filter 0"), std::string::npos);
    }
    for (const char* count : {"-5", "abc"}) {
        TFilterList filters;
        ReadFilters(Document(std::string("[Filters]\nCount=") + count + "\n"), filters);
        EXPECT_TRUE(filters.empty());
    }
    {
        // A hostile count costs at most the bounded number of stages.
        TFilterList filters;
        const TReadReport report = ReadFilters(Document("[Filters]\nCount=2147483647\n"), filters);
        EXPECT_EQ(filters.size(), static_cast<std::size_t>(MaximumFilterCount));
        EXPECT_FALSE(report.warnings.empty());
    }
}

TEST_F(FileSectionsTest, FiltersKeepKindAndOrder) {
    GoldenProject project;
    platform::IniFile file;
    WriteFilters(file, project.filters);
    EXPECT_EQ(file.ReadInteger("Filters", "Count", 0), 3);
    EXPECT_EQ(file.ReadInteger("Filters", "filter0type", -1), 0);
    EXPECT_EQ(file.ReadInteger("Filters", "filter1type", -1), 6);
    EXPECT_EQ(file.ReadInteger("Filters", "filter2type", -1), 4);
    TFilterList back;
    EXPECT_TRUE(ReadFilters(file, back).warnings.empty());
    ASSERT_EQ(back.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back[i]->Kind, project.filters[i]->Kind);
        EXPECT_EQ(back[i]->SaveToString(), project.filters[i]->SaveToString());
    }
}

// --- whole files ---------------------------------------------------------------------------

TEST_F(FileSectionsTest, SavingReplacesTheWholeFile) {
    const fs::path path = folder / "old.bvd";
    WriteBytes(path, "[Driver]\nBrand=Old\nObsoleteKey=1\n\n[Foreign]\nx=1\n");
    ASSERT_TRUE(SaveDriverFile(path, GoldenDriver()));
    EXPECT_EQ(ReadBytes(path), ReadBytes(DataFile("driver.bvd")));

    GoldenProject project;
    const fs::path projectPath = folder / "old.bvp";
    ASSERT_TRUE(SaveProjectFile(projectPath, project.Parts()));
    EXPECT_NE(ReadBytes(projectPath).find("[PassiveRadiator]"), std::string::npos);
    project.box.BType = 1;
    ASSERT_TRUE(SaveProjectFile(projectPath, project.Parts()));
    const std::string vented = ReadBytes(projectPath);
    EXPECT_EQ(vented.find("[PassiveRadiator]"), std::string::npos);
    EXPECT_EQ(vented.find("Npr="), std::string::npos);
}

TEST_F(FileSectionsTest, FailedSaveSaysWhyAndLeavesTheOldFile) {
    const platform::IniResult missingFolder = SaveDriverFile(folder / "missing" / "a.bvd", GoldenDriver());
    EXPECT_FALSE(missingFolder);
    EXPECT_FALSE(missingFolder.error.empty());

    // A folder in the way cannot be replaced by the new file; what it holds stays.
    const fs::path blocked = folder / "blocked.bvd";
    fs::create_directories(blocked);
    WriteBytes(blocked / "keep", "data");
    EXPECT_FALSE(SaveDriverFile(blocked, GoldenDriver()));
    EXPECT_EQ(ReadBytes(blocked / "keep"), "data");
}

TEST_F(FileSectionsTest, LoadingAMissingFileFails) {
    TDriverObject driver;
    driver.Data.Brand = "kept";
    EXPECT_FALSE(LoadDriverFile(folder / "none.bvd", driver));
    EXPECT_EQ(driver.Data.Brand, "kept");
    GoldenProject project;
    EXPECT_FALSE(LoadProjectFile(folder / "none.bvp", project.Parts()));
}

TEST_F(FileSectionsTest, RandomBytesNeverCrashTheReaders) {
    std::mt19937 random(2024);
    for (int round = 0; round < 200; ++round) {
        std::string text = "[Driver]\nComment=";
        const int length = static_cast<int>(random() % 200);
        for (int i = 0; i < length; ++i)
            text += static_cast<char>(random() % 256);
        text += "\n[Box]\nBType=" + std::to_string(random() % 6) +
                "\n[Filters]\nCount=3\nfilter0type=" + std::to_string(random() % 8) +
                "\nfilter0params=" + std::to_string(random()) + ";;" + std::to_string(random() % 3) + "\n";
        const platform::IniFile file = Document(text);
        TDriverObject driver;
        ReadDriver(file, driver);
        TBoxData box;
        ReadBox(file, box);
        TFilterList filters;
        ReadFilters(file, filters);
        EXPECT_LE(filters.size(), 3u);
        EXPECT_TRUE(IsStoredUtf8(EncodeLineBreaks(driver.Data.Comment)));
    }
}

} // namespace
