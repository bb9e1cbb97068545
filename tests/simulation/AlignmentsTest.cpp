#include "simulation/BP4Alignments.h"
#include "simulation/ClosedAlignments.h"
#include "simulation/VentedAlignments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr double Fs = 40;
constexpr double Vas = 0.06;

// A driver known only by its total Q; the model then uses that Q as it is.
TDriverObject DriverWithQts(double qts) {
    TDriverObject driver;
    driver.Data.Fs = Fs;
    driver.Data.Vas = Vas;
    driver.Data.Qts = qts;
    driver.rho = 1.2;
    driver.c = 343;
    return driver;
}

// A box record with the usual losses and recognisable values everywhere else.
TBoxData LossyBox() {
    TBoxData box;
    box.Qlf = 10;
    box.Qaf = 100;
    box.Qpf = 100;
    box.Qlr = 10;
    box.Qar = 100;
    box.Vf = 0.123;
    box.Ff = 45.6;
    box.Vr = 0.789;
    box.Fr = 12.3;
    return box;
}

bool SameBox(const TBoxData& a, const TBoxData& b) {
    return std::memcmp(&a, &b, sizeof(TBoxData)) == 0;
}

const std::vector<std::string> ClosedTexts = {
    "0.500 Critically damped",     "0.577 Max flat delay response", "0.707 Max flat amplitude response",
    "0.800 Equal ripple response", "0.900 Equal ripple response",   "1.000 Equal ripple response",
    "1.100 Equal ripple response", "1.200 Equal ripple response",   "1.500 Equal ripple response",
};
const double ClosedQtc[] = {0.5, 0.577, std::sqrt(0.5), 0.8, 0.9, 1.0, 1.1, 1.2, 1.5};

struct ClosedListCase {
    double qts;
    int firstRow; // first row offered; 9 for none
    int selected;
};

void PrintTo(const ClosedListCase& c, std::ostream* os) {
    *os << "Qts " << c.qts;
}

class ClosedList : public ::testing::TestWithParam<ClosedListCase> {};

TEST_P(ClosedList, OffersTheRowsAboveTheDriversQ) {
    const ClosedListCase& c = GetParam();
    std::vector<std::string> list = {"kept"};
    const int selected = ClosedAlignments_GetList(list, DriverWithQts(c.qts));
    std::vector<std::string> expected = {"kept"};
    expected.insert(expected.end(), ClosedTexts.begin() + c.firstRow, ClosedTexts.end());
    EXPECT_EQ(list, expected);
    EXPECT_EQ(selected, c.selected);
}

INSTANTIATE_TEST_SUITE_P(Drivers, ClosedList,
                         ::testing::Values(ClosedListCase{0.4, 0, 2}, ClosedListCase{0.55, 1, 1},
                                           ClosedListCase{0.6, 2, 0}, ClosedListCase{0.75, 3, 0},
                                           ClosedListCase{1.6, 9, 0}));

TEST(ClosedAlignments, LookupByExactText) {
    for (int row = 0; row < 9; ++row) {
        EXPECT_EQ(ClosedAlignments_IndexOf(ClosedTexts[row]), row);
    }
    EXPECT_EQ(ClosedAlignments_IndexOf(""), 8);
    EXPECT_EQ(ClosedAlignments_IndexOf("0.500 critically damped"), 8);
    EXPECT_EQ(ClosedAlignments_IndexOf("0.500 Critically damped "), 8);
}

TEST(ClosedAlignments, VolumeGivesTheRowsQtcWithTheAirSpring) {
    const double qts = 0.35;
    for (int row = 0; row < 9; ++row) {
        TBoxData box = LossyBox();
        ASSERT_TRUE(ClosedAlignments_Calc(row, DriverWithQts(qts), box)) << row;
        // The box loss in parallel with the driver; the air spring raises Q by sqrt(1 + Vas/Vb).
        const double qt = 1 / (1 / qts + 1 / 100.0);
        const double expected = Vas / (std::pow(ClosedQtc[row] / qt, 2) - 1);
        EXPECT_NEAR(box.Vr, expected, expected * 1e-12) << row;
        EXPECT_NEAR(qt * std::sqrt(1 + Vas / box.Vr), ClosedQtc[row], 1e-12) << row;
        EXPECT_NEAR(box.Fr, Fs, 1e-9) << row;
        EXPECT_EQ(box.Vf, 0.123);
    }
}

TEST(ClosedAlignments, UsesTheDriversAsMounted) {
    // Two drivers behind a source resistance: twice the volume, a higher electrical Q.
    TDriverObject driver = DriverWithQts(0);
    driver.Data.Qms = 4;
    driver.Data.Qes = 0.4;
    driver.Data.Re = 6;
    driver.Rs = 0.6;
    driver.NumDrivers = 2;
    TBoxData box = LossyBox();
    ASSERT_TRUE(ClosedAlignments_Calc(2, driver, box));
    const double qts = 1 / (1 / 4.0 + 1 / (0.4 * 1.1));
    const double qt = 1 / (1 / qts + 1 / 100.0);
    const double expected = 2 * Vas / (0.5 / (qt * qt) - 1);
    EXPECT_NEAR(box.Vr, expected, expected * 1e-12);
}

TEST(ClosedAlignments, RefusesRowsWithoutAPositiveVolume) {
    const struct {
        int row;
        double qts;
        double qar;
    } cases[] = {
        {0, 0.6, 100},                  // Qtc below the driver's Q
        {0, 0.5, 1e300},                // Qtc equal to it: infinite box
        {-1, 0.3, 100},  {9, 0.3, 100}, // no such row
        {4, 0.3, 0},                    // no absorption loss known
        {4, 0, 100},                    // no Q known
    };
    for (const auto& c : cases) {
        TBoxData box = LossyBox();
        box.Qar = c.qar;
        const TBoxData before = box;
        EXPECT_FALSE(ClosedAlignments_Calc(c.row, DriverWithQts(c.qts), box)) << c.row << " " << c.qts;
        EXPECT_TRUE(SameBox(box, before)) << c.row << " " << c.qts;
    }
}

const std::vector<std::string> VentedTexts = {
    "QB3 Quasi-butterworth",          "BB4/SBB4 (Super-)boom-box",      "C4/SC4 (Sub-)Chebyshev",
    "EBS3 extended bass shelf -3 dB", "EBS6 extended bass shelf -6 dB",
};

TEST(VentedAlignments, OffersEveryRowAndSuggestsByQ) {
    const struct {
        double qts;
        int suggested;
    } cases[] = {{0.15, 4}, {0.2, 1}, {0.3, 1}, {0.349, 1}, {0.38, 0}, {0.399, 0}, {0.41, 2}, {0.5, 2}};
    for (const auto& c : cases) {
        std::vector<std::string> list;
        EXPECT_EQ(VentedAlignments_GetList(list, DriverWithQts(c.qts)), c.suggested) << c.qts;
        EXPECT_EQ(list, VentedTexts);
    }
}

TEST(VentedAlignments, LookupGivesTheCalculationNumber) {
    const struct {
        const char* text;
        int number;
    } cases[] = {
        {"QB3 Quasi-butterworth", 0},          {"BB4/SBB4 (Super-)boom-box", 1},
        {"EBS3 extended bass shelf -3 dB", 2}, {"EBS6 extended bass shelf -6 dB", 3},
        {"C4/SC4 (Sub-)Chebyshev", 4},         {"", 0},
        {"c4/sc4 (sub-)chebyshev", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VentedAlignments_IndexOf(c.text), c.number) << c.text;
    }
}

TEST(VentedAlignments, QuasiButterworthAtItsButterworthEnd) {
    TBoxData box = LossyBox();
    ASSERT_TRUE(VentedAlignments_Calc(0, DriverWithQts(0.4), box));
    EXPECT_NEAR(Vas / box.Vr, 1.102, 1e-3);
    EXPECT_NEAR(box.Fr / Fs, 1.004, 1e-3);
}

TEST(VentedAlignments, QuasiButterworthAndChebyshevMeetAtTheButterworthPoint) {
    // Both families pass through the fourth-order Butterworth alignment, tuned to the driver's
    // resonance; their fits must nearly agree there.
    TBoxData qb3 = LossyBox();
    TBoxData c4 = LossyBox();
    ASSERT_TRUE(VentedAlignments_Calc(0, DriverWithQts(0.4), qb3));
    ASSERT_TRUE(VentedAlignments_Calc(4, DriverWithQts(0.4), c4));
    EXPECT_NEAR(c4.Vr / qb3.Vr, 1, 0.015);
    EXPECT_NEAR(c4.Fr / qb3.Fr, 1, 0.015);
    EXPECT_NEAR(qb3.Fr / Fs, 1, 0.01);
}

TEST(VentedAlignments, FamiliesBehaveAlongTheirRanges) {
    // Towards low Q the quasi-Butterworth tuning moves well above the driver's resonance.
    const double qb3Low = [] {
        TBoxData box = LossyBox();
        EXPECT_TRUE(VentedAlignments_Calc(0, DriverWithQts(0.3), box));
        return box.Fr;
    }();
    EXPECT_GT(qb3Low, 1.2 * Fs);
    for (int number : {2, 3}) {
        for (double qts : {0.15, 0.25, 0.35}) {
            TBoxData box = LossyBox();
            EXPECT_TRUE(VentedAlignments_Calc(number, DriverWithQts(qts), box)) << number << " " << qts;
            EXPECT_GT(box.Vr, 0);
            EXPECT_GT(box.Fr, 0);
        }
    }
}

TEST(VentedAlignments, BoomBoxIsTunedToResonanceWithTheLeakageSettingTheVolume) {
    const double qts = 0.3;
    TBoxData box = LossyBox();
    box.Qlr = 7;
    ASSERT_TRUE(VentedAlignments_Calc(1, DriverWithQts(qts), box));
    EXPECT_NEAR(box.Fr, Fs, 1e-9);
    const double half = (1 / qts - 1 / 7.0) / 2;
    EXPECT_NEAR(box.Vr, Vas / (half * half), 1e-12);
}

TEST(VentedAlignments, NumbersAboveTheTableGiveTheDriversOwnValues) {
    TBoxData box = LossyBox();
    ASSERT_TRUE(VentedAlignments_Calc(5, DriverWithQts(0.3), box));
    EXPECT_NEAR(box.Vr, Vas, 1e-15);
    EXPECT_NEAR(box.Fr, Fs, 1e-9);
}

TEST(VentedAlignments, RefusesWhatGivesNoPositiveVolume) {
    const struct {
        int number;
        double qts;
        double qlr;
    } cases[] = {
        {0, 0, 10}, // ln of an unknown Q
        {4, 0, 10},
        {1, 0.3, -1}, // boom-box where driver and leakage Q coincide: no finite box
        {-1, 0.3, 10},
    };
    for (const auto& c : cases) {
        TBoxData box = LossyBox();
        box.Qlr = c.qlr;
        if (c.qlr < 0) {
            TDriverObject prepared = DriverWithQts(c.qts);
            prepared.PrepareModel();
            box.Qlr = prepared.QtsTotal;
        }
        const TBoxData before = box;
        EXPECT_FALSE(VentedAlignments_Calc(c.number, DriverWithQts(c.qts), box)) << c.number << " " << c.qts;
        EXPECT_TRUE(SameBox(box, before)) << c.number;
    }
}

const std::vector<std::string> BandpassTexts = {
    "0.00 dB passband ripple, 0 dB passband gain",  "0.35 dB passband ripple, 0 dB passband gain",
    "1.25 dB passband ripple, 0 dB passband gain",  "2.70 dB passband ripple, 0 dB passband gain",
    "0.00 dB passband ripple, -3 dB passband gain", "0.35 dB passband ripple, -3 dB passband gain",
    "1.25 dB passband ripple, -3 dB passband gain", "2.70 dB passband ripple, -3 dB passband gain",
};
const double BandpassS[] = {0.7, 0.6, 0.5, 0.4, 0.7, 0.6, 0.5, 0.4};
const double BandpassGain[] = {0, 0, 0, 0, -3, -3, -3, -3};

TEST(BP4Alignments, OffersTheRowsThatGivePositiveVolumes) {
    std::vector<std::string> list;
    EXPECT_EQ(BP4Alignments_GetList(list, DriverWithQts(0.3)), 0);
    EXPECT_EQ(list, BandpassTexts);

    // Qt 0.64 with the usual losses: too high only for S 0.7 at -3 dB.
    list.clear();
    EXPECT_EQ(BP4Alignments_GetList(list, DriverWithQts(0.65)), 0);
    std::vector<std::string> expected = BandpassTexts;
    expected.erase(expected.begin() + 4);
    EXPECT_EQ(list, expected);

    list.clear();
    EXPECT_EQ(BP4Alignments_GetList(list, DriverWithQts(2)), 0);
    EXPECT_TRUE(list.empty());
}

TEST(BP4Alignments, LookupByExactText) {
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(BP4Alignments_IndexOf(BandpassTexts[row]), row);
    }
    EXPECT_EQ(BP4Alignments_IndexOf("2.70 dB passband ripple"), 0);
    EXPECT_EQ(BP4Alignments_IndexOf(""), 0);
}

TEST(BP4Alignments, FrontIsTunedToTheSealedChamberResonance) {
    const double qts = 0.35;
    for (int row = 0; row < 8; ++row) {
        TBoxData box = LossyBox();
        box.Qaf = 50;
        box.Qar = 80;
        ASSERT_TRUE(BP4Alignments_Calc(row, DriverWithQts(qts), box)) << row;
        const double qt = 1 / (1 / qts + 1 / 50.0 + 1 / 80.0);
        // Driver on the sealed rear chamber: resonance and Q rise by sqrt(1 + Vas/Vr).
        const double rise = std::sqrt(1 + Vas / box.Vr);
        EXPECT_NEAR(box.Ff, Fs * rise, 1e-9) << row;
        EXPECT_NEAR(qt * rise, std::pow(10, BandpassGain[row] / 40) / (2 * BandpassS[row]), 1e-12) << row;
        EXPECT_NEAR(box.Vf, Vas * std::pow(2 * BandpassS[row] * qt, 2), 1e-15) << row;
        EXPECT_EQ(box.Fr, 12.3);
    }
}

TEST(BP4Alignments, RowOutsideTheTableUsesTheFirstRow) {
    TBoxData first = LossyBox();
    TBoxData outside = LossyBox();
    ASSERT_TRUE(BP4Alignments_Calc(0, DriverWithQts(0.3), first));
    ASSERT_TRUE(BP4Alignments_Calc(99, DriverWithQts(0.3), outside));
    EXPECT_TRUE(SameBox(first, outside));
}

TEST(BP4Alignments, RefusesRowsWithoutPositiveVolumes) {
    for (double qts : {0.75, 2.0, 0.0}) {
        TBoxData box = LossyBox();
        const TBoxData before = box;
        EXPECT_FALSE(BP4Alignments_Calc(0, DriverWithQts(qts), box)) << qts;
        EXPECT_TRUE(SameBox(box, before)) << qts;
    }
}

} // namespace
