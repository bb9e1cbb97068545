#include "model/Driver.h"
#include "model/Airmodel.h"
#include "shell/Settings.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

// Restores the program's settings record after a test changed its air.
class DriverObject : public ::testing::Test {
protected:
    void TearDown() override { TC = saved; }
    TConfig saved = TC;
};

std::string Letters(const TDriverData& data) {
    return std::string(data.ParState.begin(), data.ParState.end());
}

// A driver with every kind of field set, so that Clear and Assign have something to reset or copy.
TDriverObject FilledDriver() {
    TDriverObject driver;
    driver.Data.Manufacturer = "Maker";
    driver.Data.Brand = "Brand";
    driver.Data.Model = "M-10";
    driver.Data.ProvidedBy = "Lab";
    driver.Data.Comment = "first line\nsecond line";
    driver.Data.DateAdded = TDate{2001, 2, 3};
    driver.Data.DateModified = TDate{2004, 5, 6};
    driver.Data.Fs = 35;
    driver.Data.Qes = 0.4;
    driver.Data.Qms = 4;
    driver.Data.Qts = 0.3636;
    driver.Data.Vas = 0.05;
    driver.Data.Re = 6;
    driver.Data.BL = 7;
    driver.Data.Sd = 0.022;
    driver.Data.DVol = 0.001;
    driver.Data.numVC = 2;
    driver.Data.VCCon = 2;
    driver.Data.c = 340;
    driver.Data.roo = 1.1;
    driver.Data.ParState.fill(ParEntered);
    driver.Data.Errors[5] = 0.25;
    driver.Rs = 0.5;
    driver.AddedMass = 0.01;
    driver.dTVC = 40;
    driver.NumDrivers = 3;
    driver.Isobaric = true;
    driver.c = 344;
    driver.rho = 1.19;
    driver.PrepareModel();
    return driver;
}

TEST_F(DriverObject, CreatedDriverIsEmptyWithTheSettingsAir) {
    const TDriverObject driver;
    EXPECT_EQ(Letters(driver.Data), std::string(23, 'N') + "E" + std::string(23, 'N') + "CC");
    EXPECT_EQ(driver.NumDrivers, 1);
    EXPECT_EQ(driver.Data.numVC, 1);
    EXPECT_EQ(driver.Data.VCCon, 1);
    EXPECT_EQ(driver.Data.Fs, 0);
    EXPECT_EQ(driver.Data.DVol, 0);
    EXPECT_TRUE(driver.Data.Brand.empty());
    EXPECT_NEAR(driver.Data.roo, 1.20095, 2e-5);
    EXPECT_NEAR(driver.Data.c, 343.68, 0.01);
    EXPECT_FALSE(driver.ModelReady);
}

TEST_F(DriverObject, ClearResetsEverythingAndReadsTheCurrentAir) {
    TC.Environment_Temperature = 303.15;
    TC.Environment_AirPressure = 95000;
    TC.Environment_Humidy = 0.8;
    TDriverObject driver = FilledDriver();
    ASSERT_TRUE(driver.ModelReady);

    const TDate before = TDate::Today();
    driver.Clear();
    const TDate after = TDate::Today();

    const TDriverObject empty;
    EXPECT_EQ(Letters(driver.Data), Letters(empty.Data));
    EXPECT_TRUE(driver.Data.Manufacturer.empty());
    EXPECT_TRUE(driver.Data.Comment.empty());
    EXPECT_TRUE(driver.Data.DateAdded == before || driver.Data.DateAdded == after);
    EXPECT_EQ(driver.Data.DateModified, driver.Data.DateAdded);
    EXPECT_EQ(driver.Data.Fs, 0);
    EXPECT_EQ(driver.Data.DVol, 0);
    EXPECT_EQ(driver.Data.Errors[5], 0);
    EXPECT_EQ(driver.Data.numVC, 1);
    EXPECT_EQ(driver.Data.VCCon, 1);
    EXPECT_EQ(driver.Rs, 0);
    EXPECT_EQ(driver.AddedMass, 0);
    EXPECT_EQ(driver.dTVC, 0);
    EXPECT_EQ(driver.NumDrivers, 1);
    EXPECT_FALSE(driver.Isobaric);
    EXPECT_EQ(driver.c, 0);
    EXPECT_EQ(driver.rho, 0);
    EXPECT_FALSE(driver.ModelReady);
    EXPECT_FALSE(driver.CouplingKnown);
    EXPECT_FALSE(driver.MassAdded);
    EXPECT_EQ(driver.Cas, 0);
    EXPECT_EQ(driver.VasTotal, 0);

    const double rho = AirDensity(303.15, 95000, 0.8);
    EXPECT_DOUBLE_EQ(driver.Data.roo, rho);
    EXPECT_DOUBLE_EQ(driver.Data.c, SpeedOfSound(95000, rho));
    EXPECT_LT(driver.Data.roo, 1.2); // warmer, thinner and wetter than the defaults
}

TEST_F(DriverObject, AssignCopiesDataAndProjectBlockAsValues) {
    TDriverObject source = FilledDriver();
    TDriverObject copy;
    copy.Assign(source);

    EXPECT_EQ(copy.Data.Manufacturer, "Maker");
    EXPECT_EQ(copy.Data.Comment, "first line\nsecond line");
    EXPECT_EQ(copy.Data.DateAdded, (TDate{2001, 2, 3}));
    EXPECT_EQ(copy.Data.DateModified, (TDate{2004, 5, 6}));
    EXPECT_EQ(copy.Data.Fs, 35);
    EXPECT_EQ(copy.Data.numVC, 2);
    EXPECT_EQ(copy.Data.VCCon, 2);
    EXPECT_EQ(copy.Data.roo, 1.1);
    EXPECT_EQ(Letters(copy.Data), std::string(ParStateLength, 'E'));
    EXPECT_EQ(copy.Data.Errors[5], 0.25);
    EXPECT_EQ(copy.Rs, 0.5);
    EXPECT_EQ(copy.AddedMass, 0.01);
    EXPECT_EQ(copy.dTVC, 40);
    EXPECT_EQ(copy.NumDrivers, 3);
    EXPECT_TRUE(copy.Isobaric);
    EXPECT_EQ(copy.c, 344);
    EXPECT_EQ(copy.rho, 1.19);

    copy.Data.Brand = "Changed";
    EXPECT_EQ(source.Data.Brand, "Brand");
}

TEST_F(DriverObject, AssignRebuildsTheModelInsteadOfCopyingIt) {
    TDriverObject source = FilledDriver();
    const double preparedCas = source.Cas;
    // A stale model in the source must not travel to the copy.
    source.Cas = 123;
    source.ModelReady = false;
    source.CouplingKnown = false;

    TDriverObject copy;
    copy.Assign(source);
    EXPECT_TRUE(copy.ModelReady);
    EXPECT_TRUE(copy.CouplingKnown);
    EXPECT_DOUBLE_EQ(copy.Cas, preparedCas);
    // Three drivers in isobaric pairs: 1.5 times the compliance volume of one.
    EXPECT_DOUBLE_EQ(copy.Cas, 1.5 * 0.05 / (1.19 * 344 * 344));

    // And a target whose own model was ready loses it when the source cannot build one.
    TDriverObject broken = FilledDriver();
    broken.rho = 0;
    copy.Assign(broken);
    EXPECT_FALSE(copy.ModelReady);
}

TEST_F(DriverObject, AssignToItselfKeepsTheData) {
    TDriverObject driver = FilledDriver();
    driver.Assign(driver);
    EXPECT_EQ(driver.Data.Brand, "Brand");
    EXPECT_EQ(driver.NumDrivers, 3);
    EXPECT_TRUE(driver.ModelReady);
}

struct ConnectionCase {
    std::int32_t numVC;
    std::int32_t from;
    std::int32_t mode;
    double BL;
    double Re;
    double expectedBL;
    double expectedRe;
    std::int32_t expectedConnection;
};

void PrintTo(const ConnectionCase& c, std::ostream* os) {
    *os << c.numVC << " coils, " << c.from << " to " << c.mode << ", BL " << c.BL << ", Re " << c.Re;
}

class VoiceCoilConnection : public ::testing::TestWithParam<ConnectionCase> {};

TEST_P(VoiceCoilConnection, ConvertsForceFactorAndResistance) {
    const ConnectionCase& c = GetParam();
    TDriverObject driver;
    driver.Data.numVC = c.numVC;
    driver.Data.VCCon = c.from;
    driver.Data.BL = c.BL;
    driver.Data.Re = c.Re;
    const auto lettersBefore = driver.Data.ParState;
    driver.SetVCConnection(c.mode);
    EXPECT_DOUBLE_EQ(driver.Data.BL, c.expectedBL);
    EXPECT_DOUBLE_EQ(driver.Data.Re, c.expectedRe);
    EXPECT_EQ(driver.Data.VCCon, c.expectedConnection);
    EXPECT_EQ(driver.Data.ParState, lettersBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, VoiceCoilConnection,
    ::testing::Values(
        // two coils: parallel to series and back
        ConnectionCase{2, 1, 2, 10, 4, 20, 16, 2}, ConnectionCase{2, 2, 1, 20, 16, 10, 4, 1},
        // three coils: n and n² factors
        ConnectionCase{3, 1, 2, 5, 2, 15, 18, 2}, ConnectionCase{3, 2, 1, 15, 18, 5, 2, 1},
        // already in the asked connection, or an unknown mode
        ConnectionCase{2, 1, 1, 10, 4, 10, 4, 1}, ConnectionCase{2, 2, 2, 20, 16, 20, 16, 2},
        ConnectionCase{2, 1, 3, 10, 4, 10, 4, 1}, ConnectionCase{2, 1, 0, 10, 4, 10, 4, 1},
        // one coil, or BL or Re unknown: nothing to convert
        ConnectionCase{1, 1, 2, 10, 4, 10, 4, 1}, ConnectionCase{2, 1, 2, 10, 0, 10, 0, 1},
        ConnectionCase{2, 1, 2, 0, 4, 0, 4, 1}));

TEST_F(DriverObject, SeriesAndBackRestoresTheParallelValues) {
    TDriverObject driver;
    driver.Data.numVC = 4;
    driver.Data.BL = 7.3;
    driver.Data.Re = 3.3;
    driver.SetVCConnection(2);
    driver.SetVCConnection(1);
    EXPECT_DOUBLE_EQ(driver.Data.BL, 7.3);
    EXPECT_DOUBLE_EQ(driver.Data.Re, 3.3);
    EXPECT_EQ(driver.Data.VCCon, 1);
}

TEST(DriverDate, NumberFormRoundTripsAndRejectsImpossibleDates) {
    EXPECT_EQ((TDate{2024, 2, 29}).ToYmd(), 20240229);
    EXPECT_EQ(TDate::FromYmd(20240229), (TDate{2024, 2, 29}));
    EXPECT_EQ(TDate::FromYmd(20000229), (TDate{2000, 2, 29}));
    for (std::int32_t invalid :
         {0, -20240101, 20230229, 19000229, 20241301, 20240001, 20240100, 20240431, 99}) {
        EXPECT_TRUE(TDate::FromYmd(invalid).IsEmpty()) << invalid;
    }
    const TDate today = TDate::Today();
    EXPECT_EQ(TDate::FromYmd(today.ToYmd()), today);
    EXPECT_LT((TDate{2001, 12, 31}), (TDate{2002, 1, 1}));
}

} // namespace
