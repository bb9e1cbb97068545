#include "model/SaveToFile_Utils.h"

#include "model/Airmodel.h"
#include "model/Units.h"
#include "shell/Settings.h"
#include "simulation/AllPass.h"
#include "simulation/Highpass.h"
#include "simulation/LinkwitzTransform.h"
#include "simulation/Lowpass.h"
#include "simulation/ParametricEQ.h"
#include "simulation/PeakHighpass.h"
#include "simulation/StaticGain.h"
#include "simulation/boxmath2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

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
    EXPECT_FALSE(report.HasNotes());
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
    EXPECT_EQ(DateToText({INT32_MAX, 12, 31}), DateToText(today)); // no overflow on the way
    EXPECT_EQ(DateToText({2024, -200000, 1}), DateToText(today));
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

// --- random round trips --------------------------------------------------------------------

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Random valid records: every field that the file stores, with numbers of every size and
// texts of every kind of character the files must carry.
class RecordMaker {
public:
    explicit RecordMaker(std::uint64_t seed) : m_Random(seed) {}

    std::int32_t Integer(std::int32_t low, std::int32_t high) {
        return std::uniform_int_distribution<std::int32_t>(low, high)(m_Random);
    }
    bool Flag() { return Integer(0, 1) == 1; }

    // Any finite double: random bit patterns (tiny, huge, subnormal, negative), the
    // short decimals people type, and zero.
    double Real() {
        switch (Integer(0, 9)) {
        case 0:
            return 0;
        case 1:
        case 2:
        case 3:
            return TypedReal();
        default:
            for (;;) {
                const std::uint64_t bits = m_Random();
                double value = 0;
                std::memcpy(&value, &bits, sizeof value);
                if (std::isfinite(value) && value != 0)
                    return value;
            }
        }
    }

    // A number of at most 15 significant digits, as a user types it and as the filter
    // parameter texts keep it.
    double TypedReal() {
        const std::int64_t mantissa =
            std::uniform_int_distribution<std::int64_t>(-999999999999999, 999999999999999)(m_Random);
        const std::string text = std::to_string(mantissa) + "E" + std::to_string(Integer(-20, 20));
        return Str2Float(text);
    }

    std::string Text(bool multiLine) {
        static const char* const Pieces[] = {"a",        "Z",
                                             "7",        " ",
                                             "\xC3\xA4", "\xC3\xB6",
                                             "\xC3\x9F", "\xE2\x82\xAC",
                                             "\xC2\xA4", "\xF0\x9F\x94\x8A",
                                             "=",        ";",
                                             "[",        "]",
                                             "\"",       "%d",
                                             "\\",       "#"};
        std::string text;
        const int count = Integer(0, 12);
        for (int i = 0; i < count; ++i) {
            if (multiLine && Integer(0, 5) == 0)
                text += "\r\n";
            else
                text += Pieces[Integer(0, static_cast<std::int32_t>(std::size(Pieces)) - 1)];
        }
        // The profile format keeps no blanks around a value.
        while (!text.empty() && text.front() == ' ')
            text.erase(0, 1);
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        return text;
    }

    TDate Date() { return {Integer(1900, 2100), Integer(1, 12), Integer(1, 28)}; }

    TDriverData Driver() {
        TDriverData d;
        d.Brand = Text(false);
        d.Model = Text(false);
        d.Manufacturer = Text(false);
        d.ProvidedBy = Text(false);
        d.Comment = Text(true);
        d.DateAdded = Date();
        d.DateModified = Date();
        for (auto field : StoredReals)
            d.*field = Real();
        // The editor refuses negative entries and no rule derives these negative; air has
        // density and sound. A file with other values does not give them back
        // (UnusableValuesAreListedAndNotTaken). Qes, Qms, Xmax and the rest keep any sign:
        // derivation stores them negative where the data sheet disagrees with itself.
        for (auto field : {&TDriverData::Qts, &TDriverData::Znom, &TDriverData::Fs, &TDriverData::Pe,
                           &TDriverData::Re, &TDriverData::Le, &TDriverData::Cms, &TDriverData::Mms,
                           &TDriverData::Sd, &TDriverData::Vas, &TDriverData::Dia, &TDriverData::Vd})
            d.*field = std::fabs(d.*field);
        d.roo = Positive(d.roo);
        d.c = Positive(d.c);
        d.numVC = Integer(1, 1000);
        d.VCCon = Integer(1, 2);
        for (char& letter : d.ParState)
            letter = "NEC"[Integer(0, 2)];
        return d;
    }

    // The chamber volume may be typed negative and the length sized negative; tuning, sizes and
    // area never are.
    TVentData Vent() {
        return {Integer(1, 8), Integer(1, 2), Size(), Real(), Size(), Size(),
                Size(),        Real(),        Real(), 0,      Flag()};
    }

    // A value that cannot be negative, any bits otherwise; and one above 0.
    double Size() { return std::fabs(Real()); }
    static double Positive(double value) { return value == 0 ? 1 : std::fabs(value); }

    TBoxData Box() {
        TBoxData box;
        box.BType = Integer(0, 4);
        for (double* field :
             {&box.Vf,  &box.Ff,     &box.Qlf,    &box.Qaf,    &box.Qpf,  &box.Vr,      &box.Fr,
              &box.Qlr, &box.Qar,    &box.Qpr,    &box.Vc,     &box.Fc,   &box.Qlc,     &box.Qac,
              &box.Qpc, &box.Qiclfr, &box.Qiclfc, &box.Qiclcr, &box.T,    &box.p,       &box.phi,
              &box.d,   &box.Angle,  &box.Med,    &box.alfaVC, &box.dTVC, &box.Sdfport, &box.Sdrport})
            *field = Real();
        // Volumes and the added mass are taken as typed, whatever their sign; the loss factors a
        // box type divides by are at least the loss editor's minimum.
        for (double* size : {&box.Ff, &box.Fr, &box.Vc, &box.Fc, &box.Sdfport, &box.Sdrport})
            *size = std::fabs(*size);
        for (const TLossFactorKey& loss : BoxLossFactors(box.BType))
            box.*loss.Factor = 0.1 + std::fabs(box.*loss.Factor);
        box.T = Positive(box.T);
        box.p = Positive(box.p);
        box.phi = std::fabs(box.phi) / (1 + std::fabs(box.phi));
        box.Nd = Integer(0, 1000);
        box.Isobarik = Flag();
        box.FrontVent = Vent();
        box.RearVent = Vent();
        box.Npr = Integer(0, 1000);
        box.PassiveRadiator = {Size(), Size(), Size(), Size(), Real(), Real()};
        return box;
    }

    // Every kind once and a few more, in random order.
    TFilterList Filters() {
        std::vector<std::int32_t> kinds = {0, 1, 2, 3, 4, 5, 6};
        for (int extra = Integer(0, 4); extra > 0; --extra)
            kinds.push_back(Integer(0, 6));
        std::shuffle(kinds.begin(), kinds.end(), m_Random);
        TFilterList filters;
        for (std::int32_t kind : kinds) {
            std::unique_ptr<TFilterBase> filter = CreateFilter(kind);
            filter->Enabled = Flag();
            filter->SubType = Integer(0, 3);
            if (auto* f = dynamic_cast<TLowpass*>(filter.get()))
                *f = Crossover<TLowpass>(*f);
            else if (auto* f = dynamic_cast<THighpass*>(filter.get()))
                *f = Crossover<THighpass>(*f);
            else if (auto* f = dynamic_cast<TAllpass*>(filter.get())) {
                f->Order = Integer(1, 2);
                f->Delay = TypedReal();
                f->Q = TypedReal();
            } else if (auto* f = dynamic_cast<TLinkwitzTransform*>(filter.get())) {
                f->Q0 = TypedReal();
                f->F0 = TypedReal();
                f->Qp = TypedReal();
                f->Fp = TypedReal();
            } else if (auto* f = dynamic_cast<TParametricEQ*>(filter.get())) {
                f->Fc = TypedReal();
                f->Q = TypedReal();
                f->Gain = TypedReal();
            } else if (auto* f = dynamic_cast<TPeakHighpass*>(filter.get())) {
                f->Fpk = TypedReal();
                f->Gpk = TypedReal();
            } else if (auto* f = dynamic_cast<TStaticGain*>(filter.get())) {
                f->Gain = TypedReal();
            }
            filters.push_back(std::move(filter));
        }
        return filters;
    }

private:
    template <typename Stage> Stage Crossover(Stage stage) {
        // Linkwitz-Riley exists in the fourth order only; computing it sets that order.
        stage.Order = stage.SubType == 1 ? 4 : Integer(1, 8);
        stage.Fc = TypedReal();
        stage.Q = TypedReal();
        return stage;
    }

    std::mt19937_64 m_Random;
};

void ExpectSameBits(const TDriverData& read, const TDriverData& written) {
    EXPECT_EQ(read.Brand, written.Brand);
    EXPECT_EQ(read.Model, written.Model);
    EXPECT_EQ(read.Manufacturer, written.Manufacturer);
    EXPECT_EQ(read.ProvidedBy, written.ProvidedBy);
    EXPECT_EQ(read.Comment, written.Comment);
    EXPECT_EQ(read.DateAdded, written.DateAdded);
    EXPECT_EQ(read.DateModified, written.DateModified);
    for (std::size_t i = 0; i < std::size(StoredReals); ++i)
        EXPECT_TRUE(SameBits(read.*StoredReals[i], written.*StoredReals[i]))
            << "driver real " << i << ": " << read.*StoredReals[i] << " for " << written.*StoredReals[i];
    EXPECT_EQ(read.numVC, written.numVC);
    EXPECT_EQ(read.VCCon, written.VCCon);
    EXPECT_EQ(read.ParState, written.ParState);
}

void ExpectSameBits(const TVentData& read, const TVentData& written) {
    EXPECT_EQ(read.Num, written.Num);
    EXPECT_EQ(read.Shape, written.Shape);
    for (auto field : {&TVentData::Fb, &TVentData::Vb, &TVentData::dia1, &TVentData::dia2, &TVentData::carea,
                       &TVentData::len, &TVentData::endcorrection})
        EXPECT_TRUE(SameBits(read.*field, written.*field)) << read.*field << " for " << written.*field;
    EXPECT_EQ(read.crosscalc, written.crosscalc);
}

// The stored fields of a box record, without the counts and vents, which are compared
// on their own.
constexpr double TBoxData::*StoredBoxReals[] = {
    &TBoxData::Vf,     &TBoxData::Ff,      &TBoxData::Qlf,     &TBoxData::Qaf, &TBoxData::Qpf,
    &TBoxData::Vr,     &TBoxData::Fr,      &TBoxData::Qlr,     &TBoxData::Qar, &TBoxData::Qpr,
    &TBoxData::Vc,     &TBoxData::Fc,      &TBoxData::Qlc,     &TBoxData::Qac, &TBoxData::Qpc,
    &TBoxData::Qiclfr, &TBoxData::Qiclfc,  &TBoxData::Qiclcr,  &TBoxData::T,   &TBoxData::p,
    &TBoxData::phi,    &TBoxData::d,       &TBoxData::Angle,   &TBoxData::Med, &TBoxData::alfaVC,
    &TBoxData::dTVC,   &TBoxData::Sdfport, &TBoxData::Sdrport,
};

TEST_F(FileSectionsTest, RandomProjectsSurviveSaveAndLoadBitForBit) {
    RecordMaker make(0x5eed2024);
    const fs::path projectPath = folder / "random.bvp";
    const fs::path driverPath = folder / "random.bvd";
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const char writtenWith = make.Flag() ? ',' : '.';
        SetDecimalSeparator(writtenWith);

        TProjectInfo info{make.Text(true), make.Text(false), make.Date(), make.Date()};
        TDriverObject driver;
        driver.Data = make.Driver();
        TBoxData box = make.Box();
        std::int32_t color = make.Integer(INT32_MIN, INT32_MAX);
        std::int32_t width = make.Integer(1, 100);
        TSignalSource signal{0, make.Size(), make.Size()};
        TFilterList filters = make.Filters();
        ASSERT_TRUE(SaveProjectFile(projectPath, {info, driver, box, color, width, signal, filters}));
        ASSERT_TRUE(SaveDriverFile(driverPath, driver));

        // Read on a machine of either kind.
        SetDecimalSeparator(make.Flag() ? ',' : '.');
        TProjectInfo readInfo;
        TDriverObject readDriver;
        TBoxData readBox;
        readBox.Npr = -1; // a box of another type leaves its radiator alone
        readBox.PassiveRadiator.Vas = -1;
        std::int32_t readColor = 0, readWidth = 0;
        TSignalSource readSignal;
        TFilterList readFilters;
        const TReadReport report = LoadProjectFile(
            projectPath, {readInfo, readDriver, readBox, readColor, readWidth, readSignal, readFilters});
        ASSERT_TRUE(report) << report.error;
        EXPECT_FALSE(report.HasNotes());

        EXPECT_EQ(readInfo.Description, info.Description);
        EXPECT_EQ(readInfo.Creator, info.Creator);
        EXPECT_EQ(readInfo.CreateDate, info.CreateDate);
        EXPECT_EQ(readInfo.ModifyDate, info.ModifyDate);
        ExpectSameBits(readDriver.Data, driver.Data);
        EXPECT_EQ(readBox.BType, box.BType);
        for (auto field : StoredBoxReals)
            EXPECT_TRUE(SameBits(readBox.*field, box.*field)) << readBox.*field << " for " << box.*field;
        EXPECT_EQ(readBox.Nd, box.Nd);
        EXPECT_EQ(readBox.Isobarik, box.Isobarik);
        ExpectSameBits(readBox.FrontVent, box.FrontVent);
        ExpectSameBits(readBox.RearVent, box.RearVent);
        if (box.BType == 4) {
            EXPECT_EQ(readBox.Npr, box.Npr);
            const TPassiveRadiatorData& a = readBox.PassiveRadiator;
            const TPassiveRadiatorData& b = box.PassiveRadiator;
            for (auto field :
                 {&TPassiveRadiatorData::Vas, &TPassiveRadiatorData::Qms, &TPassiveRadiatorData::Fs,
                  &TPassiveRadiatorData::Sd, &TPassiveRadiatorData::Xmax, &TPassiveRadiatorData::Me})
                EXPECT_TRUE(SameBits(a.*field, b.*field)) << a.*field << " for " << b.*field;
        } else {
            EXPECT_EQ(readBox.Npr, -1);
            EXPECT_EQ(readBox.PassiveRadiator.Vas, -1);
        }
        EXPECT_EQ(readColor, color);
        EXPECT_EQ(readWidth, width);
        EXPECT_TRUE(SameBits(readSignal.Rg, signal.Rg));
        EXPECT_TRUE(SameBits(readSignal.P, signal.P));

        ASSERT_EQ(readFilters.size(), filters.size());
        for (std::size_t i = 0; i < filters.size(); ++i) {
            EXPECT_EQ(readFilters[i]->Kind, filters[i]->Kind);
            EXPECT_EQ(typeid(*readFilters[i]), typeid(*filters[i]));
            EXPECT_EQ(readFilters[i]->Enabled, filters[i]->Enabled);
            EXPECT_EQ(readFilters[i]->SubType, filters[i]->SubType);
            // The parameter text holds every field; equal texts of a stage read back in
            // another locale mean equal fields.
            SetDecimalSeparator('.');
            EXPECT_EQ(readFilters[i]->SaveToString(), filters[i]->SaveToString());
        }
        if (auto* a = dynamic_cast<TParametricEQ*>(readFilters[0].get())) {
            const auto& b = static_cast<const TParametricEQ&>(*filters[0]);
            EXPECT_TRUE(SameBits(a->Fc, b.Fc) && SameBits(a->Q, b.Q) && SameBits(a->Gain, b.Gain));
        }

        TDriverObject alone;
        ASSERT_TRUE(LoadDriverFile(driverPath, alone));
        ExpectSameBits(alone.Data, driver.Data);
    }
}

// --- files made on Windows ------------------------------------------------------------------

TEST_F(FileSectionsTest, ProjectMadeOnWindowsReadsRight) {
    // Windows-1252 text, CR LF line ends and decimal commas, as the program wrote its files
    // on a German system.
    const std::string windowsFile =
        "[ProjectInfo]\r\n"
        "Description=F\xFCr das Wohnzimmer\xA4zweite Zeile\r\n"
        "Creator=J\xF6rg\r\n"
        "CreateDate=20230105\r\n"
        "ModifyDate=20230210\r\n"
        "\r\n"
        "[Driver]\r\n"
        "Brand=M\xFCller\r\n"
        "Model=W 8\x96"
        "20\r\n"
        "Comment=Hocht\xF6ner\xA4"
        "Daten \x84gemessen\x93\r\n"
        "DateAdded=20240131\r\n"
        "Qts=0,38\r\n"
        "Fs=31,5\r\n"
        "Vas=0,0385\r\n"
        "Le=4,5E-4\r\n"
        "numVC=2\r\n"
        "roo=1,2009\r\n"
        "ParState=EEC\r\n"
        "\r\n"
        "[Box]\r\n"
        "BType=1\r\n"
        "Vr=0,05\r\n"
        "Fr=28,25\r\n"
        "Nd=2\r\n"
        "Isobarik=1\r\n"
        "\r\n"
        "[VentRear]\r\n"
        "Num=2\r\n"
        "dia1=0,1\r\n"
        "endcorrection=0,85\r\n"
        "crosscalc=1\r\n"
        "\r\n"
        "[PlotSettings]\r\n"
        "Color=255\r\n"
        "Width=3\r\n"
        "\r\n"
        "[SignalSource]\r\n"
        "Rg=0,1\r\n"
        "P=2,83\r\n"
        "\r\n"
        "[Filters]\r\n"
        "Count=1\r\n"
        "filter0type=4\r\n"
        "filter0params=0;1;5,00000000000000E+001;7,07000000000000E-001;-3,00000000000000E+000\r\n";
    const fs::path path = folder / "windows.bvp";
    WriteBytes(path, windowsFile);
    for (char separator : {'.', ','}) {
        SetDecimalSeparator(separator);
        GoldenProject project;
        project.box = {};
        const TReadReport report = LoadProjectFile(path, project.Parts());
        ASSERT_TRUE(report) << report.error;
        const TDriverData& d = project.driver.Data;
        EXPECT_EQ(project.info.Description, "F\xC3\xBCr das Wohnzimmer\r\nzweite Zeile");
        EXPECT_EQ(project.info.Creator, "J\xC3\xB6rg");
        EXPECT_EQ(project.info.CreateDate, (TDate{2023, 1, 5}));
        EXPECT_EQ(d.Brand, "M\xC3\xBCller");
        EXPECT_EQ(d.Model, "W 8\xE2\x80\x93"
                           "20"); // en dash
        EXPECT_EQ(d.Comment, "Hochtöner\r\nDaten \xE2\x80\x9Egemessen\xE2\x80\x9C");
        EXPECT_EQ(d.DateAdded, (TDate{2024, 1, 31}));
        EXPECT_EQ(d.Qts, 0.38);
        EXPECT_EQ(d.Fs, 31.5);
        EXPECT_EQ(d.Vas, 0.0385);
        EXPECT_EQ(d.Le, 0.00045);
        EXPECT_EQ(d.numVC, 2);
        EXPECT_EQ(d.roo, 1.2009);
        EXPECT_EQ(d.ParState[0], 'E');
        EXPECT_EQ(d.ParState[2], 'C');
        EXPECT_EQ(project.box.BType, 1);
        EXPECT_EQ(project.box.Vr, 0.05);
        EXPECT_EQ(project.box.Fr, 28.25);
        EXPECT_EQ(project.box.Nd, 2);
        EXPECT_TRUE(project.box.Isobarik);
        EXPECT_EQ(project.box.T, 293.15);
        EXPECT_EQ(project.box.RearVent.Num, 2);
        EXPECT_EQ(project.box.RearVent.dia1, 0.1);
        EXPECT_EQ(project.box.RearVent.endcorrection, 0.85);
        EXPECT_TRUE(project.box.RearVent.crosscalc);
        EXPECT_EQ(project.box.FrontVent.endcorrection, 0.732);
        EXPECT_EQ(project.color, 255);
        EXPECT_EQ(project.width, 3);
        EXPECT_EQ(project.signal.Rg, 0.1);
        EXPECT_EQ(project.signal.P, 2.83);
        ASSERT_EQ(project.filters.size(), 1u);
        const auto& equaliser = dynamic_cast<const TParametricEQ&>(*project.filters[0]);
        EXPECT_TRUE(equaliser.Enabled);
        EXPECT_EQ(equaliser.Fc, 50);
        EXPECT_EQ(equaliser.Q, 0.707);
        EXPECT_EQ(equaliser.Gain, -3);
    }

    // Saved again, the texts are UTF-8 and read back unchanged.
    GoldenProject project;
    ASSERT_TRUE(LoadProjectFile(path, project.Parts()));
    const fs::path again = folder / "again.bvp";
    ASSERT_TRUE(SaveProjectFile(again, project.Parts()));
    EXPECT_TRUE(IsStoredUtf8(ReadBytes(again)));
    GoldenProject reread;
    ASSERT_TRUE(LoadProjectFile(again, reread.Parts()));
    EXPECT_EQ(reread.driver.Data.Comment, project.driver.Data.Comment);
    EXPECT_EQ(reread.driver.Data.Model, project.driver.Data.Model);
    EXPECT_EQ(reread.info.Description, project.info.Description);
}

TEST_F(FileSectionsTest, FiltersAreStoredByTheirClassWithoutGaps) {
    // A stage's own kind field does not decide how it is stored, and a stage that stores
    // nothing leaves no hole in the numbering.
    struct Silent : TStaticGain {
        std::string SaveToString() const override { return {}; }
    };
    TFilterList filters;
    auto lowpass = std::make_unique<TLowpass>();
    lowpass->Order = 2;
    lowpass->Fc = 80;
    lowpass->Kind = fkStaticGain;
    filters.push_back(std::move(lowpass));
    filters.push_back(std::make_unique<Silent>());
    filters.push_back(nullptr);
    auto gain = std::make_unique<TStaticGain>();
    gain->Gain = -3;
    filters.push_back(std::move(gain));
    platform::IniFile file;
    WriteFilters(file, filters);
    EXPECT_EQ(file.ReadInteger("Filters", "Count", -1), 2);
    EXPECT_EQ(file.ReadInteger("Filters", "filter0type", -1), fkLowpass);
    EXPECT_EQ(file.ReadInteger("Filters", "filter1type", -1), fkStaticGain);
    EXPECT_FALSE(file.ValueExists("Filters", "filter2type"));
    TFilterList back;
    EXPECT_TRUE(ReadFilters(file, back).warnings.empty());
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(dynamic_cast<TLowpass&>(*back[0]).Fc, 80);
    EXPECT_EQ(dynamic_cast<TStaticGain&>(*back[1]).Gain, -3);
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

// Lets no file grow beyond a few bytes while it lives, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_Old);
        m_OldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_Old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_Old);
        std::signal(SIGXFSZ, m_OldHandler);
    }

private:
    rlimit m_Old{};
    void (*m_OldHandler)(int) = nullptr;
};

TEST_F(FileSectionsTest, SaveThatCannotBeWrittenKeepsTheOldFileAndSaysWhy) {
    const fs::path driverPath = folder / "old.bvd";
    const fs::path projectPath = folder / "old.bvp";
    const std::string oldDriver = "[Driver]\nBrand=Old\n";
    const std::string oldProject = "[Box]\nBType=1\n";
    WriteBytes(driverPath, oldDriver);
    WriteBytes(projectPath, oldProject);
    GoldenProject project;
    platform::IniResult driverResult, projectResult;
    {
        const FileSizeLimit full(64);
        driverResult = SaveDriverFile(driverPath, GoldenDriver());
        projectResult = SaveProjectFile(projectPath, project.Parts());
    }
    EXPECT_FALSE(driverResult);
    EXPECT_NE(driverResult.error.find(driverPath.filename().string()), std::string::npos)
        << driverResult.error;
    EXPECT_FALSE(projectResult);
    EXPECT_FALSE(projectResult.error.empty());
    EXPECT_EQ(ReadBytes(driverPath), oldDriver);
    EXPECT_EQ(ReadBytes(projectPath), oldProject);
    // No half-written temporary file is left beside them.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"old.bvd", "old.bvp"}));
}

TEST_F(FileSectionsTest, APipeOrADeviceIsRefusedNotWaitedFor) {
    const fs::path pipe = folder / "pipe.bvd";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const fs::path& path : {pipe, fs::path("/dev/zero")}) {
        TDriverObject driver;
        driver.Data.Brand = "kept";
        const TReadReport report = LoadDriverFile(path, driver);
        EXPECT_FALSE(report);
        EXPECT_FALSE(report.error.empty());
        EXPECT_EQ(driver.Data.Brand, "kept");
    }
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

TEST_F(FileSectionsTest, HostileValuesUnderEveryKeyKeepTheRecordsValid) {
    // Every key of every section, each given values a damaged or foreign file may hold;
    // whatever is read, counts stay in range and numbers finite.
    const std::vector<std::pair<std::string, std::vector<std::string>>> keys = {
        {"Driver", {"Brand", "Comment", "DateAdded", "Fs", "Qts", "numVC", "VCCon", "c", "roo", "ParState"}},
        {"Box", {"BType", "Vr", "T", "p", "Nd", "Npr", "Isobarik", "Angle"}},
        {"VentFront", {"Num", "Shape", "Fb", "len", "endcorrection", "crosscalc"}},
        {"VentRear", {"Num", "Shape", "Fb", "len", "endcorrection", "crosscalc"}},
        {"PlotSettings", {"Color", "Width"}},
        {"SignalSource", {"Rg", "P"}},
        {"PassiveRadiator", {"Vas", "Fs", "Me"}},
        {"ProjectInfo", {"Description", "Creator", "CreateDate"}},
        {"Filters", {"Count", "filter0type", "filter0params", "filter1type", "filter1params"}},
    };
    const std::vector<std::string> values = {"",
                                             "0",
                                             "-1",
                                             "4",
                                             "2147483647",
                                             "-2147483648",
                                             "99999999999999999999",
                                             "$FFFFFFFF",
                                             "0x7FFFFFFF",
                                             "1e308",
                                             "1e309",
                                             "-1e400",
                                             "nan",
                                             "inf",
                                             "1,5",
                                             "1.5.5",
                                             "\xA4\xA4",
                                             "\xFF\xFE",
                                             "20241399",
                                             "99991231",
                                             "0;1;2;1e999;-1e999",
                                             "7;1;99999;5;5",
                                             ";;;;;;;;",
                                             std::string(3000, '9')};
    std::mt19937 random(77);
    const fs::path path = folder / "hostile.bvp";
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (const auto& [section, names] : keys) {
            text += "[" + section + "]\r\n";
            for (const std::string& name : names)
                if (random() % 4 != 0)
                    text += name + "=" + values[random() % values.size()] + "\r\n";
        }
        WriteBytes(path, text);
        GoldenProject project;
        const TReadReport report = LoadProjectFile(path, project.Parts());
        if (!report)
            continue; // a box type of none of the kinds
        const TDriverData& d = project.driver.Data;
        EXPECT_GE(d.numVC, 1);
        EXPECT_LE(d.numVC, 1000);
        EXPECT_TRUE(d.VCCon == 1 || d.VCCon == 2);
        for (auto field : StoredReals)
            EXPECT_TRUE(std::isfinite(d.*field));
        EXPECT_GE(project.box.BType, 0);
        EXPECT_LE(project.box.BType, 4);
        for (auto field : StoredBoxReals)
            EXPECT_TRUE(std::isfinite(project.box.*field));
        EXPECT_GE(project.box.Nd, 0);
        EXPECT_LE(project.box.Nd, 1000);
        EXPECT_GE(project.box.Npr, 0);
        EXPECT_LE(project.box.Npr, 1000);
        for (const TVentData* vent : {&project.box.FrontVent, &project.box.RearVent}) {
            EXPECT_GE(vent->Num, 1);
            EXPECT_LE(vent->Num, MaximumVentCount);
            EXPECT_TRUE(vent->Shape == 1 || vent->Shape == 2);
            EXPECT_TRUE(std::isfinite(vent->len) && std::isfinite(vent->endcorrection));
        }
        EXPECT_GE(project.width, 1);
        EXPECT_LE(project.width, 100);
        EXPECT_TRUE(std::isfinite(project.signal.Rg) && std::isfinite(project.signal.P));
        EXPECT_LE(project.filters.size(), static_cast<std::size_t>(MaximumFilterCount));
        EXPECT_FALSE(DateToText(project.info.CreateDate).empty());
        EXPECT_EQ(DateToText(d.DateAdded).size(), 8u);
        // What was read can be saved and read again.
        ASSERT_TRUE(SaveProjectFile(folder / "again.bvp", project.Parts()));
        GoldenProject again;
        ASSERT_TRUE(LoadProjectFile(folder / "again.bvp", again.Parts()));
        EXPECT_EQ(again.driver.Data.Comment, d.Comment);
        EXPECT_EQ(again.filters.size(), project.filters.size());
    }
}

} // namespace

// --- what a save must never change ------------------------------------------------------------

namespace {

struct LoadedProject {
    TProjectInfo info;
    TDriverObject driver;
    TBoxData box;
    std::int32_t color = 0, width = 0;
    TSignalSource signal;
    TFilterList filters;
    TProjectParts Parts() { return {info, driver, box, color, width, signal, filters}; }
};

} // namespace

TEST_F(FileSectionsTest, LinesEndingInTwoCarriageReturnsKeepTheirIntegers) {
    LoadedProject project;
    ASSERT_TRUE(LoadProjectFile(DataFile("crcrlf_project.bvp"), project.Parts()));
    EXPECT_EQ(project.box.BType, 1) << "a vented box, not the closed default";
    EXPECT_EQ(project.box.Nd, 2);
    EXPECT_EQ(project.driver.Data.numVC, 2);
    EXPECT_EQ(project.color, 255);
    EXPECT_EQ(project.width, 3);
    ASSERT_EQ(project.filters.size(), 1u);
    EXPECT_DOUBLE_EQ(project.driver.Data.Qts, 0.42);
    EXPECT_EQ(project.driver.Data.Brand, "Halvern");
    EXPECT_EQ(project.driver.Data.ParState[0], 'N');

    // Saved and loaded again, nothing changes.
    const fs::path saved = folder / "saved.bvp";
    ASSERT_TRUE(SaveProjectFile(saved, project.Parts()));
    LoadedProject again;
    ASSERT_TRUE(LoadProjectFile(saved, again.Parts()));
    EXPECT_EQ(again.box.BType, 1);
    EXPECT_EQ(again.color, 255);
    EXPECT_EQ(again.filters.size(), 1u);
    EXPECT_EQ(again.driver.Data.ParState, project.driver.Data.ParState);
}

TEST_F(FileSectionsTest, TwoByteOrderMarksHideNoSection) {
    TDriverObject driver;
    ASSERT_TRUE(LoadDriverFile(DataFile("double_bom.bvd"), driver));
    EXPECT_EQ(driver.Data.Brand, "Halvern");
    EXPECT_EQ(driver.Data.numVC, 2);
}

TEST_F(FileSectionsTest, OneStrayByteDoesNotTurnTheOtherTextsIntoWindows1252) {
    TDriverObject driver;
    ASSERT_TRUE(LoadDriverFile(DataFile("stray_byte_parstate.bvd"), driver));
    EXPECT_EQ(driver.Data.Brand, "M\xC3\xBCller");
    EXPECT_EQ(driver.Data.Model, "Kl\xC3\xA4nge 8");
    EXPECT_EQ(driver.Data.Comment, "Erste Zeile\r\nZweite \xC3\xA4");
    EXPECT_EQ(driver.Data.ParState[47], 'N');
    EXPECT_EQ(driver.Data.ParState[48], ParEntered) << "an unknown letter counts as entered";
    // Each save and load gives the same texts again.
    for (int round = 0; round < 3; ++round) {
        const fs::path saved = folder / "saved.bvd";
        ASSERT_TRUE(SaveDriverFile(saved, driver));
        TDriverObject back;
        ASSERT_TRUE(LoadDriverFile(saved, back));
        EXPECT_EQ(back.Data.Brand, "M\xC3\xBCller") << round;
        EXPECT_EQ(back.Data.Model, driver.Data.Model);
        EXPECT_EQ(back.Data.Comment, driver.Data.Comment);
        EXPECT_EQ(back.Data.ParState, driver.Data.ParState);
        EXPECT_TRUE(IsStoredUtf8(ReadBytes(saved)));
        driver = back;
    }
}

TEST_F(FileSectionsTest, ParStateIsWrittenAsItsLettersWhateverItHolds) {
    TDriverObject driver = GoldenDriver();
    driver.Data.ParState[3] = '\r';
    driver.Data.ParState[ParStateLength - 1] = ' ';
    const fs::path saved = folder / "letters.bvd";
    ASSERT_TRUE(SaveDriverFile(saved, driver));
    platform::IniFile file(saved);
    const std::string letters = file.ReadString("Driver", "ParState", "");
    ASSERT_EQ(letters.size(), static_cast<std::size_t>(ParStateLength));
    EXPECT_EQ(letters.find_first_not_of("NEC"), std::string::npos);
    TDriverObject back;
    ASSERT_TRUE(LoadDriverFile(saved, back));
    EXPECT_EQ(back.Data.ParState[3], ParEntered);
    EXPECT_EQ(back.Data.ParState[ParStateLength - 1], ParEntered);
    EXPECT_EQ(back.Data.ParState[0], driver.Data.ParState[0]);
}

TEST_F(FileSectionsTest, CarriageReturnsInsideTextsReadTheSameAfterASave) {
    LoadedProject first;
    ASSERT_TRUE(LoadProjectFile(DataFile("cr_in_texts.bvp"), first.Parts()));
    // One-line texts take a blank for a break, multi-line texts a break, on reading as on writing.
    EXPECT_EQ(first.driver.Data.Brand, "A B");
    EXPECT_EQ(first.info.Creator, "Jo Ann");
    EXPECT_EQ(first.driver.Data.Comment, "one\r\ntwo");
    EXPECT_EQ(first.info.Description, "x\r\ny");
    EXPECT_EQ(first.driver.Data.ParState[47], ParEntered);
    EXPECT_EQ(first.driver.Data.ParState[48], 'C');

    const fs::path saved = folder / "saved.bvp";
    ASSERT_TRUE(SaveProjectFile(saved, first.Parts()));
    LoadedProject second;
    ASSERT_TRUE(LoadProjectFile(saved, second.Parts()));
    EXPECT_EQ(second.driver.Data.Brand, first.driver.Data.Brand);
    EXPECT_EQ(second.info.Creator, first.info.Creator);
    EXPECT_EQ(second.driver.Data.Comment, first.driver.Data.Comment);
    EXPECT_EQ(second.info.Description, first.info.Description);
    EXPECT_EQ(second.driver.Data.ParState, first.driver.Data.ParState);
}

TEST_F(FileSectionsTest, ASaveOverAReadOnlyFileIsRefusedAndNamesIt) {
    const fs::path path = folder / "locked.bvd";
    WriteBytes(path, "[Driver]\nBrand=old\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const platform::IniResult result = SaveDriverFile(path, GoldenDriver());
    fs::permissions(path, fs::perms::owner_all);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("locked.bvd"), std::string::npos) << result.error;
    EXPECT_NE(result.error.find("read-only"), std::string::npos) << result.error;
    EXPECT_EQ(ReadBytes(path), "[Driver]\nBrand=old\n");
}

// --- files that hold no project, values that cannot be used, long texts ----------------------

namespace {

// Files without any section of a project or driver file: none of them is taken for an empty
// project or driver, and the records keep what they held.
TEST_F(FileSectionsTest, AFileThatHoldsNoProjectOrDriverIsRefusedAndChangesNothing) {
    std::mt19937 random(4096);
    std::string randomBytes(4096, '\0');
    for (char& byte : randomBytes)
        byte = static_cast<char>(random() % 256);
    std::string sections;
    for (int i = 0; i < 100000; ++i)
        sections += "[Section" + std::to_string(i) + "]\nkey=1\n";
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"empty", ""},
        {"random bytes", randomBytes},
        {"10 MB on one line", std::string(10 * 1024 * 1024, 'x')},
        {"100000 foreign sections", sections},
    };
    for (const auto& row : rows) {
        const fs::path path = folder / "none.bvp";
        WriteBytes(path, row.bytes);
        GoldenProject project;
        const TReadReport report = LoadProjectFile(path, project.Parts());
        EXPECT_FALSE(report.ok) << row.name;
        EXPECT_EQ(report.error,
                  "The file \"" + path.string() + "\" holds no project: it has none of the sections of a project file");
        EXPECT_EQ(project.box.Vr, 0.05) << row.name;
        EXPECT_EQ(project.info.Description, GoldenProject().info.Description) << row.name;
        EXPECT_EQ(project.filters.size(), 3u) << row.name;

        TDriverObject driver = GoldenDriver();
        const TReadReport driverReport = LoadDriverFile(path, driver);
        EXPECT_FALSE(driverReport.ok) << row.name;
        EXPECT_EQ(driverReport.error, "The file \"" + path.string() + "\" holds no driver: it has no section [Driver]");
        ExpectSameDriver(driver.Data, GoldenDriver().Data);
    }
}

// A file with the sections but without their keys is a project (or driver) that takes the
// defaults of every missing key.
TEST_F(FileSectionsTest, SectionsWithoutKeysTakeTheDefaults) {
    const fs::path path = folder / "bare.bvp";
    for (const char* text : {"[ProjectInfo]\n", "[Filters]\n", "[Driver]\n"}) {
        WriteBytes(path, text);
        GoldenProject project;
        ASSERT_TRUE(LoadProjectFile(path, project.Parts())) << text;
        EXPECT_EQ(project.box.BType, 0);
        EXPECT_EQ(project.box.T, 293.15);
        EXPECT_EQ(project.box.p, 101325);
        EXPECT_EQ(project.box.Nd, 1);
        EXPECT_TRUE(project.filters.empty());
    }
    TDriverObject driver = GoldenDriver();
    const TReadReport report = LoadDriverFile(path, driver);
    ASSERT_TRUE(report.ok) << report.error;
    EXPECT_FALSE(report.HasNotes());
    EXPECT_EQ(driver.Data.Brand, "");
    EXPECT_EQ(driver.Data.Fs, 0);
}

// Values no part of the program stores are listed, one line each in the order of the sections'
// keys, and read as 0, or as a missing key does where that value is usable (the air); every other
// value opens as it is.
TEST_F(FileSectionsTest, UnusableValuesAreListedAndNotTaken) {
    const struct {
        const char* key;
        const char* text;
        double TBoxData::*field;
        double read;
        const char* line; // the message's line after "[Box] "
    } rows[] = {
        // A vented box divides by its rear chamber's three loss factors: a missing one is named.
        {"Vf", "inf", &TBoxData::Vf, 0, "Vf = inf"},
        {"Vr", "nan", &TBoxData::Vr, 0, "Vr = nan"},
        {"Fr", "abc", &TBoxData::Fr, 0, "Fr = abc"},
        {"Qar", nullptr, &TBoxData::Qar, 0, "Qar has no value"},
        {"Qpr", "0", &TBoxData::Qpr, 0, "Qpr = 0"},
        {"Vc", "-0.05", &TBoxData::Vc, 0, "Vc = -0.05"},
        {"T", "-300", &TBoxData::T, 293.15, "T = -300, read as 293.15"},
        {"p", "0", &TBoxData::p, 101325, "p = 0, read as 101325"},
        {"phi", "1.5", &TBoxData::phi, 0, "phi = 1.5"},
    };
    std::string text =
        "[Driver]\nFs=-30\nVas=1e999\nQts=0.4\nroo=0\n[Box]\nBType=1\nAngle=-0.5\nd=2\nQlr=7\n";
    std::string expected;
    for (const auto& row : rows) {
        if (row.text != nullptr)
            text += std::string(row.key) + "=" + row.text + "\n";
        expected += "\n[Box] " + std::string(row.line);
    }
    text += "[VentRear]\ndia1=0.05\ncarea=-1\n[SignalSource]\nP=-1\nRg=0.5\n";
    const fs::path path = folder / "unusable.bvp";
    WriteBytes(path, text);
    GoldenProject project;
    const TReadReport report = LoadProjectFile(path, project.Parts());
    ASSERT_TRUE(report.ok) << report.error;
    EXPECT_TRUE(report.warnings.empty());
    const double density =
        AirDensity(TC.Environment_Temperature, TC.Environment_AirPressure, TC.Environment_Humidy);
    EXPECT_EQ(LoadNotesMessage(path, report),
              "Some values in \"" + path.string() +
                  "\" cannot be used and were not taken (a number reads as 0):\n"
                  "[Driver] Fs = -30\n[Driver] Vas = 1e999\n[Driver] roo = 0, read as " +
                  Float2Str(density) + expected + "\n[VentRear] carea = -1\n[SignalSource] P = -1");
    for (const auto& row : rows)
        EXPECT_EQ(project.box.*row.field, row.read) << row.key;
    EXPECT_EQ(project.driver.Data.Fs, 0);
    EXPECT_EQ(project.driver.Data.roo, density);
    EXPECT_EQ(project.driver.Data.c, SpeedOfSound(TC.Environment_AirPressure, density));
    EXPECT_EQ(project.driver.Data.Qts, 0.4);
    EXPECT_EQ(project.box.Angle, -0.5);
    EXPECT_EQ(project.box.d, 2);
    EXPECT_EQ(project.box.Qlr, 7);
    EXPECT_EQ(project.box.RearVent.carea, 0);
    EXPECT_EQ(project.box.RearVent.dia1, 0.05);
    EXPECT_EQ(project.signal.P, 0);
    EXPECT_EQ(project.signal.Rg, 0.5);

    // A driver file lists its own the same way; sound in unusable air is that of the air read.
    WriteBytes(path, "[Driver]\nFs=31.5\nVas=-0.1\nc=nan\nroo=1.1\n");
    TDriverObject driver;
    const TReadReport driverReport = LoadDriverFile(path, driver);
    ASSERT_TRUE(driverReport.ok);
    const double sound = SpeedOfSound(TC.Environment_AirPressure, 1.1);
    EXPECT_EQ(
        driverReport.unusable,
        (std::vector<std::string>{"[Driver] Vas = -0.1", "[Driver] c = nan, read as " + Float2Str(sound)}));
    EXPECT_EQ(driver.Data.Fs, 31.5);
    EXPECT_EQ(driver.Data.Vas, 0);
    EXPECT_EQ(driver.Data.roo, 1.1);
    EXPECT_EQ(driver.Data.c, sound);
}

// What derivation, vent sizing and the project window store is read back exactly and silently,
// negative values included: a file the program wrote opens as it was saved.
TEST_F(FileSectionsTest, NegativeValuesTheProgramStoresReadBackUnchangedWithoutAWord) {
    const struct {
        const char* name;
        void (*enter)(TDriverData&);
        double TDriverData::*derived;
        double expected;
    } drivers[] = {
        // Qts 0.5 with Qms 0.4: 1/(1/0.5 - 1/0.4) = -2.
        {"Qes from Qts and Qms",
         [](TDriverData& d) {
             d.Qts = 0.5;
             d.Qms = 0.4;
             d.Fs = 30;
         },
         &TDriverData::Qes, -2},
        {"Qms from Qts and Qes",
         [](TDriverData& d) {
             d.Qts = 0.5;
             d.Qes = 0.4;
         },
         &TDriverData::Qms, -2},
        // (Mcost/Rme - 1)·min(Hc, Hg) with Mcost below Rme; with Hc = Hg, |Hg - Hc|/2 gives nothing.
        {"Xmax from the motor figure",
         [](TDriverData& d) {
             d.Rme = 10;
             d.Mcost = 5;
             d.Hc = 0.006;
             d.Hg = 0.006;
         },
         &TDriverData::Xmax, -0.003},
    };
    for (const auto& row : drivers) {
        SCOPED_TRACE(row.name);
        TDriverObject driver;
        row.enter(driver.Data);
        for (char& letter : driver.Data.ParState)
            letter = ParNotDetermined;
        driver.CalcParameters();
        ASSERT_NEAR(driver.Data.*row.derived, row.expected, 1e-12);
        const double derived = driver.Data.*row.derived;

        const fs::path driverPath = folder / "derived.bvd";
        ASSERT_TRUE(SaveDriverFile(driverPath, driver));
        TDriverObject read;
        const TReadReport report = LoadDriverFile(driverPath, read);
        ASSERT_TRUE(report.ok) << report.error;
        EXPECT_FALSE(report.HasNotes()) << LoadNotesMessage(driverPath, report);
        EXPECT_EQ(read.Data.*row.derived, derived);
        ExpectSameDriver(read.Data, driver.Data);
        // Derived once more, the negative value is neither an input nor derived again.
        TDriverObject again = read;
        again.CalcParameters();
        EXPECT_EQ(again.Data.*row.derived, derived);
    }

    // A tuning too high for the vent's end corrections: the length is sized negative.
    GoldenProject project;
    project.box.BType = 1;
    project.box.Qpr = 100;
    project.box.Vr = -0.02; // volumes are taken as typed
    project.box.Med = -0.001;
    TVentData& vent = project.box.RearVent;
    vent = {};
    vent.Num = 1;
    vent.Shape = 1;
    vent.Fb = 400;
    vent.Vb = 0.005;
    vent.dia1 = 0.1;
    vent.len = 0;
    vent.endcorrection = 0.732;
    BoxMath_CalcPort(vent, 343.68);
    // Helmholtz: L + 2·0.732·r = S·c²/((2π·Fb)²·Vb) = 0.02937 m, with r = 0.05 m.
    ASSERT_NEAR(vent.len, -0.04383, 1e-5);
    const fs::path path = folder / "sized.bvp";
    ASSERT_TRUE(SaveProjectFile(path, project.Parts()));
    GoldenProject read;
    const TReadReport report = LoadProjectFile(path, read.Parts());
    ASSERT_TRUE(report.ok) << report.error;
    EXPECT_FALSE(report.HasNotes()) << LoadNotesMessage(path, report);
    EXPECT_EQ(read.box.RearVent.len, vent.len);
    EXPECT_EQ(read.box.RearVent.Vb, 0.005);
    EXPECT_EQ(read.box.Vr, -0.02);
    EXPECT_EQ(read.box.Med, -0.001);

    // A radiator's excursion and added mass are taken as typed too.
    project.box.BType = 4;
    project.box.PassiveRadiator.Xmax = -0.004;
    project.box.PassiveRadiator.Me = -0.01;
    ASSERT_TRUE(SaveProjectFile(path, project.Parts()));
    GoldenProject radiator;
    const TReadReport radiatorReport = LoadProjectFile(path, radiator.Parts());
    ASSERT_TRUE(radiatorReport.ok) << radiatorReport.error;
    EXPECT_FALSE(radiatorReport.HasNotes()) << LoadNotesMessage(path, radiatorReport);
    EXPECT_EQ(radiator.box.PassiveRadiator.Xmax, -0.004);
    EXPECT_EQ(radiator.box.PassiveRadiator.Me, -0.01);
}

// A loss factor that the box type's model divides by and that is not above 0 leaves the curve
// empty: opening says so, missing or stored. A factor of a chamber the box does not have is left
// alone, whatever it holds.
TEST_F(FileSectionsTest, ALossFactorTheBoxDividesByIsNamedWhenItIsNotAboveZero) {
    const struct {
        int type;
        std::vector<std::string> named;
    } rows[] = {
        {0, {"Qlr", "Qar"}},
        {1, {"Qlr", "Qar", "Qpr"}},
        {2, {"Qlf", "Qaf", "Qpf", "Qlr", "Qar", "Qiclfr"}},
        {3, {"Qlf", "Qaf", "Qpf", "Qlr", "Qar", "Qpr", "Qiclfr"}},
        {4, {"Qlr", "Qar"}},
    };
    const char* const factors[] = {"Qlf", "Qaf", "Qpf", "Qlr", "Qar", "Qpr", "Qiclfr"};
    const fs::path path = folder / "losses.bvp";
    for (const auto& row : rows) {
        SCOPED_TRACE("box type " + std::to_string(row.type));
        const std::string head = "[Box]\nBType=" + std::to_string(row.type) + "\n";
        // Missing: each factor reads as 0.
        WriteBytes(path, head);
        GoldenProject missing;
        TReadReport report = LoadProjectFile(path, missing.Parts());
        ASSERT_TRUE(report.ok) << report.error;
        std::vector<std::string> expected;
        for (const std::string& key : row.named)
            expected.push_back("[Box] " + key + " has no value");
        EXPECT_EQ(report.unusable, expected);

        // Stored as 0 or below: named with its text; every factor of the box above 0: nothing.
        std::string zero = head, positive = head;
        for (const char* key : factors) {
            zero += std::string(key) + "=" + (std::string(key) == "Qar" ? "-5" : "0") + "\n";
            positive +=
                std::string(key) + "=" +
                (std::find(row.named.begin(), row.named.end(), key) != row.named.end() ? "0.1\n" : "0\n");
        }
        WriteBytes(path, zero);
        GoldenProject stored;
        report = LoadProjectFile(path, stored.Parts());
        expected.clear();
        for (const std::string& key : row.named)
            expected.push_back("[Box] " + key + " = " + (key == "Qar" ? "-5" : "0"));
        EXPECT_EQ(report.unusable, expected);
        EXPECT_EQ(stored.box.Qar, 0);

        WriteBytes(path, positive);
        GoldenProject sound;
        report = LoadProjectFile(path, sound.Parts());
        EXPECT_FALSE(report.HasNotes()) << LoadNotesMessage(path, report);
        EXPECT_EQ(sound.box.Qlr, 0.1);
    }
}

// Values that cannot be used and filters that were skipped are two things: each has a heading.
TEST_F(FileSectionsTest, SkippedFiltersHaveAHeadingOfTheirOwn) {
    const fs::path path = folder / "notes.bvp";
    const std::string filters = "[Filters]\nCount=2\nfilter0type=9\nfilter1type=6\nfilter1params=0;1;1\n";
    WriteBytes(path, "[Box]\nBType=0\nQlr=10\nQar=100\n" + filters);
    GoldenProject project;
    TReadReport report = LoadProjectFile(path, project.Parts());
    ASSERT_TRUE(report.ok) << report.error;
    EXPECT_TRUE(report.unusable.empty());
    EXPECT_EQ(LoadNotesMessage(path, report), "Some parts of \"" + path.string() +
                                                  "\" could not be read and were skipped:\n"
                                                  "Filter 0 is of unknown kind 9 and was skipped");

    WriteBytes(path, "[Box]\nBType=0\nQlr=10\nQar=100\nVr=nan\n" + filters);
    report = LoadProjectFile(path, project.Parts());
    EXPECT_EQ(LoadNotesMessage(path, report),
              "Some values in \"" + path.string() +
                  "\" cannot be used and were not taken (a number reads as 0):\n"
                  "[Box] Vr = nan\n\n"
                  "Some parts of \"" +
                  path.string() +
                  "\" could not be read and were skipped:\n"
                  "Filter 0 is of unknown kind 9 and was skipped");
    EXPECT_EQ(LoadNotesMessage(path, TReadReport{}), "");
}

// Texts in files have no length of their own: a long text opens whole and saves back whole, in
// whatever encoding the file held it. The rows mix the shapes a user could have typed or pasted:
// one long line, many lines, a text of non-ASCII characters in a file made on Windows.
TEST_F(FileSectionsTest, LongTextsOpenAndSaveBackWhole) {
    const std::string megabyte(1024 * 1024, 'a');
    std::string manyLines;
    while (manyLines.size() < 1024 * 1024)
        manyLines += "Line " + std::to_string(manyLines.size()) + " of the description\xA4";
    std::string manyLinesRead = manyLines;
    for (std::size_t at = 0; (at = manyLinesRead.find('\xA4', at)) != std::string::npos; at += 2)
        manyLinesRead.replace(at, 1, "\r\n");
    const std::string accents(9000, '\xE9'); // "é" in Windows-1252: 9,000 bytes, 18,000 in UTF-8
    std::string accentsRead;
    for (int i = 0; i < 9000; ++i)
        accentsRead += "\xC3\xA9";
    const struct {
        const char* name;
        std::string file;
        std::string TDriverData::*driverText;
        std::string TProjectInfo::*projectText;
        std::string read;
    } rows[] = {
        {"Windows-1252 comment", "[Driver]\nBrand=M\xFCller\nComment=" + accents + "\n",
         &TDriverData::Comment, nullptr, accentsRead},
        {"one-line comment", "[Driver]\nComment=" + megabyte + "\n", &TDriverData::Comment, nullptr,
         megabyte},
        {"brand", "[Driver]\nBrand=" + megabyte + "\n", &TDriverData::Brand, nullptr, megabyte},
        {"model", "[Driver]\nModel=" + megabyte + "\n", &TDriverData::Model, nullptr, megabyte},
        {"manufacturer", "[Driver]\nManufacturer=" + megabyte + "\n", &TDriverData::Manufacturer, nullptr,
         megabyte},
        {"provided by", "[Driver]\nProvidedBy=" + megabyte + "\n", &TDriverData::ProvidedBy, nullptr,
         megabyte},
        {"one-line description", "[ProjectInfo]\nDescription=" + megabyte + "\n", nullptr,
         &TProjectInfo::Description, megabyte},
        {"many-line description", "[ProjectInfo]\nDescription=" + manyLines + "\n", nullptr,
         &TProjectInfo::Description, manyLinesRead},
        {"creator", "[ProjectInfo]\nCreator=" + megabyte + "\n", nullptr, &TProjectInfo::Creator, megabyte},
        {"30 MB description", "[ProjectInfo]\nDescription=" + std::string(30 * 1024 * 1024, 'd') + "\n",
         nullptr, &TProjectInfo::Description, std::string(30 * 1024 * 1024, 'd')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path opened = folder / "opened.bvp";
        const fs::path saved = folder / "saved.bvp";
        const fs::path again = folder / "again.bvp";
        WriteBytes(opened, row.file);
        const auto text = [&](GoldenProject& project) -> const std::string& {
            return row.driverText != nullptr ? project.driver.Data.*row.driverText
                                             : project.info.*row.projectText;
        };
        GoldenProject project;
        const TReadReport report = LoadProjectFile(opened, project.Parts());
        ASSERT_TRUE(report.ok) << report.error;
        EXPECT_TRUE(text(project) == row.read) << text(project).size() << " bytes read";
        const platform::IniResult written = SaveProjectFile(saved, project.Parts());
        ASSERT_TRUE(written.ok) << written.error;
        GoldenProject back;
        ASSERT_TRUE(LoadProjectFile(saved, back.Parts()));
        EXPECT_TRUE(text(back) == row.read) << text(back).size() << " bytes read back";
        // A file the program wrote saves back byte for byte.
        ASSERT_TRUE(SaveProjectFile(again, back.Parts()).ok);
        EXPECT_TRUE(ReadBytes(again) == ReadBytes(saved));

        if (row.driverText == nullptr)
            continue;
        const fs::path driverFile = folder / "opened.bvd";
        WriteBytes(driverFile, row.file);
        TDriverObject driver = GoldenDriver();
        ASSERT_TRUE(LoadDriverFile(driverFile, driver).ok);
        EXPECT_TRUE(driver.Data.*row.driverText == row.read);
        const platform::IniResult driverWritten = SaveDriverFile(folder / "saved.bvd", driver);
        ASSERT_TRUE(driverWritten.ok) << driverWritten.error;
        TDriverObject driverBack;
        ASSERT_TRUE(LoadDriverFile(folder / "saved.bvd", driverBack).ok);
        EXPECT_TRUE(driverBack.Data.*row.driverText == row.read);
    }
}

// A save that would make a file larger than the readers take is refused and leaves the old file:
// what cannot be opened again is not written. Texts of Windows-1252 files grow on saving, as
// each character beyond ASCII takes two or three bytes in UTF-8.
TEST_F(FileSectionsTest, ASaveTooLargeToOpenAgainIsRefusedAndKeepsTheOldFile) {
    const fs::path path = folder / "large.bvp";
    WriteBytes(path, "[ProjectInfo]\nDescription=old\n");
    GoldenProject project;
    project.info.Description = std::string(platform::IniFile::MaximumFileSize, 'x');
    const platform::IniResult saved = SaveProjectFile(path, project.Parts());
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.error.rfind("Cannot save \"" + path.string() + "\": the file would hold ", 0), 0u)
        << saved.error;
    EXPECT_NE(saved.error.find("more than the 64 MiB a file may hold to be opened again"), std::string::npos)
        << saved.error;
    EXPECT_EQ(ReadBytes(path), "[ProjectInfo]\nDescription=old\n");

    TDriverObject driver = GoldenDriver();
    driver.Data.Comment = std::string(platform::IniFile::MaximumFileSize / 2, '\n');
    EXPECT_TRUE(SaveDriverFile(folder / "d.bvd", driver).ok) << "each break is one byte stored";
    driver.Data.Comment.append(platform::IniFile::MaximumFileSize / 2, 'c');
    EXPECT_FALSE(SaveDriverFile(folder / "d.bvd", driver).ok);
}

// Opening measures as saving does: a Windows-1252 file within the size the reader takes, whose
// text grows beyond it as UTF-8, could not be saved again, so it is not opened and nothing changes.
TEST_F(FileSectionsTest, AFileThatWouldBeTooLargeToSaveAgainIsNotOpened) {
    const std::string euros(25 * 1024 * 1024, '\x80'); // each "€" is three bytes in UTF-8
    const fs::path path = folder / "euros.bvp";
    WriteBytes(path, "[ProjectInfo]\nDescription=" + euros + "\n[Box]\nBType=1\nVr=0.07\n");
    GoldenProject project;
    const TReadReport report = LoadProjectFile(path, project.Parts());
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.error.rfind(
                  "The file \"" + path.string() + "\" is not opened: saved again, the file would hold ", 0),
              0u)
        << report.error;
    EXPECT_NE(report.error.find("more than the 64 MiB a file may hold to be opened"), std::string::npos)
        << report.error;
    EXPECT_EQ(project.box.Vr, 0.05);
    EXPECT_EQ(project.info.Description, GoldenProject().info.Description);
    EXPECT_EQ(project.filters.size(), 3u);

    const fs::path driverPath = folder / "euros.bvd";
    WriteBytes(driverPath, "[Driver]\nBrand=Euro\nComment=" + euros + "\n");
    TDriverObject driver = GoldenDriver();
    EXPECT_FALSE(LoadDriverFile(driverPath, driver).ok);
    ExpectSameDriver(driver.Data, GoldenDriver().Data);

    // A third fewer opens, and saves back.
    WriteBytes(path, "[ProjectInfo]\nDescription=" + euros.substr(0, 20 * 1024 * 1024) + "\n");
    GoldenProject fits;
    ASSERT_TRUE(LoadProjectFile(path, fits.Parts()).ok);
    EXPECT_TRUE(SaveProjectFile(folder / "back.bvp", fits.Parts()).ok);
}

} // namespace
