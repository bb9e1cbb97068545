#include "model/Derivation.h"
#include "model/Driver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double Gravity = 9.80665;
constexpr double ReferencePressure = 2e-5;

// Standard air as data sheets quote it; set explicitly so the tests do not depend
// on the air of the program's settings.
constexpr double SoundSpeed = 343.68;
constexpr double Density = 1.2;

char LetterOf(const TDriverObject& driver, int letter) {
    return driver.Data.ParState[static_cast<std::size_t>(letter)];
}

double& Value(TDriverObject& driver, int letter) {
    return *ParameterOfLetter(driver.Data, letter);
}

// A driver with nothing known but the air, as the editor starts it.
TDriverObject EmptyDriver() {
    TDriverObject driver;
    driver.Data.c = SoundSpeed;
    driver.Data.roo = Density;
    return driver;
}

// Types a value into the driver as the editor does: the value and the letter "E".
void Enter(TDriverObject& driver, int letter, double value) {
    Value(driver, letter) = value;
    driver.Data.ParState[static_cast<std::size_t>(letter)] = ParEntered;
}

TDriverObject DriverWith(std::initializer_list<std::pair<int, double>> entries) {
    TDriverObject driver = EmptyDriver();
    for (const auto& [letter, value] : entries)
        Enter(driver, letter, value);
    return driver;
}

TEST(Derivation, QtsIsDerivedAndDerivedAgainAfterAChange) {
    TDriverObject driver = DriverWith({{DriverPar::Qms, 4.0}, {DriverPar::Qes, 0.4}});
    driver.CalcParameters();
    EXPECT_NEAR(driver.Data.Qts, 4.0 * 0.4 / 4.4, 1e-15);
    EXPECT_EQ(LetterOf(driver, DriverPar::Qts), ParCalculated);

    Enter(driver, DriverPar::Qes, 0.5);
    driver.CalcParameters();
    EXPECT_NEAR(driver.Data.Qts, 4.0 * 0.5 / 4.5, 1e-15);
    EXPECT_EQ(LetterOf(driver, DriverPar::Qts), ParCalculated);
    EXPECT_EQ(driver.Data.Qes, 0.5);
    EXPECT_EQ(LetterOf(driver, DriverPar::Qes), ParEntered);
}

TEST(Derivation, RemovingAnInputClearsWhatWasDerivedFromIt) {
    TDriverObject driver = DriverWith({{DriverPar::Qms, 4.0}, {DriverPar::Qes, 0.4}});
    driver.CalcParameters();
    ASSERT_GT(driver.Data.Qts, 0.0);

    Value(driver, DriverPar::Qes) = 0.0;
    driver.Data.ParState[DriverPar::Qes] = ParNotDetermined;
    driver.CalcParameters();
    EXPECT_EQ(driver.Data.Qts, 0.0);
}

TEST(Derivation, EfficiencyChainFromFsQesVas) {
    TDriverObject driver = DriverWith({{DriverPar::Fs, 30.0}, {DriverPar::Qes, 0.4}, {DriverPar::Vas, 0.05}});
    driver.CalcParameters();

    const double efficiency = 4.0 * Pi * Pi * std::pow(30.0, 3) * 0.05 / (std::pow(SoundSpeed, 3) * 0.4);
    EXPECT_NEAR(driver.Data.no, efficiency, 1e-15);
    EXPECT_NEAR(driver.Data.EBP, 75.0, 1e-12);
    // Sensitivity at 1 W / 1 m of a piston in half space: about 112.1 dB + 10·log10(η0).
    EXPECT_NEAR(driver.Data.SPL, 112.1 + 10.0 * std::log10(efficiency), 0.1);
    for (int letter : {DriverPar::no, DriverPar::EBP, DriverPar::SPL})
        EXPECT_EQ(LetterOf(driver, letter), ParCalculated) << letter;
    EXPECT_EQ(driver.Data.USPL, 0.0);
    EXPECT_EQ(LetterOf(driver, DriverPar::USPL), ParNotDetermined);
    EXPECT_TRUE(driver.CheckConsistency());
}

struct TZnomCase {
    double Re;
    double Znom;
};

class DerivationZnom : public ::testing::TestWithParam<TZnomCase> {};

TEST_P(DerivationZnom, IsTheEvenNumberNearestOneAndAHalfRe) {
    TDriverObject driver = DriverWith({{DriverPar::Re, GetParam().Re}});
    driver.CalcParameters();
    EXPECT_EQ(driver.Data.Znom, GetParam().Znom);
}

// 0.75·Re on an exact half goes to the even neighbour: 4.5 gives 4, 7.5 gives 8, 1.5 gives 2.
INSTANTIATE_TEST_SUITE_P(Cases, DerivationZnom,
                         ::testing::Values(TZnomCase{6.4, 10}, TZnomCase{6.0, 8}, TZnomCase{10.0, 16},
                                           TZnomCase{2.0, 4}, TZnomCase{3.2, 4}, TZnomCase{3.4, 6},
                                           TZnomCase{0.5, 0}));

TEST(Derivation, ZnomOfZeroStoresNothingAndDoesNotStopTheOtherRules) {
    // Rule order puts SPL (from the efficiency) before the efficiency itself, so SPL
    // needs a second pass; a Znom of 0 must not cut the passes short.
    TDriverObject driver = DriverWith(
        {{DriverPar::Re, 0.5}, {DriverPar::Fs, 30.0}, {DriverPar::Qes, 0.4}, {DriverPar::Vas, 0.05}});
    driver.CalcParameters();
    EXPECT_EQ(driver.Data.Znom, 0.0);
    EXPECT_EQ(LetterOf(driver, DriverPar::Znom), ParNotDetermined);
    EXPECT_GT(driver.Data.SPL, 0.0);
    EXPECT_NEAR(driver.Data.USPL, 10.0 * std::log10(2.83 * 2.83 / 0.5) + driver.Data.SPL, 1e-12);
}

TEST(Derivation, FsFromGlossAndXmaxLeavesTheEnteredGlossAlone) {
    const double gloss = 0.6;
    const double xmax = 0.004;
    TDriverObject driver = DriverWith({{DriverPar::Gloss, gloss}, {DriverPar::Xmax, xmax}});
    driver.CalcParameters();
    // The static sag g/ω0² of the suspension equals Gloss·Xmax.
    const double omega = std::sqrt(Gravity / (gloss * xmax));
    EXPECT_NEAR(driver.Data.Fs, omega / (2.0 * Pi), 1e-12);
    EXPECT_EQ(LetterOf(driver, DriverPar::Fs), ParCalculated);
    EXPECT_EQ(driver.Data.Gloss, gloss);
    EXPECT_EQ(LetterOf(driver, DriverPar::Gloss), ParEntered);
}

TEST(Derivation, GlossFromFsAndXmax) {
    TDriverObject driver = DriverWith({{DriverPar::Fs, 25.0}, {DriverPar::Xmax, 0.01}});
    driver.CalcParameters();
    const double sag = Gravity / std::pow(2.0 * Pi * 25.0, 2);
    EXPECT_NEAR(driver.Data.Gloss, sag / 0.01, 1e-14);
    EXPECT_TRUE(driver.CheckConsistency());
}

// Inputs whose rule lands exactly on 0 or on no real value: the derivation ends,
// the target stays missing and keeps its letter.
struct TNoValueCase {
    const char* name;
    std::vector<std::pair<int, double>> entries;
    int target;
};

class DerivationWithoutValue : public ::testing::TestWithParam<TNoValueCase> {};

TEST_P(DerivationWithoutValue, EndsAndLeavesTheTargetMissing) {
    TDriverObject driver = EmptyDriver();
    for (const auto& [letter, value] : GetParam().entries)
        Enter(driver, letter, value);
    driver.CalcParameters();
    EXPECT_EQ(Value(driver, GetParam().target), 0.0);
    EXPECT_EQ(LetterOf(driver, GetParam().target), ParNotDetermined);
    for (const auto& [letter, value] : GetParam().entries)
        EXPECT_EQ(Value(driver, letter), value) << letter;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DerivationWithoutValue,
    ::testing::Values(
        TNoValueCase{"CoilAsHighAsGap", {{DriverPar::Hc, 0.012}, {DriverPar::Hg, 0.012}}, DriverPar::Xmax},
        TNoValueCase{
            "MotorFigureEqualsDamping",
            {{DriverPar::Hc, 0.008}, {DriverPar::Hg, 0.008}, {DriverPar::Mcost, 5.0}, {DriverPar::Rme, 5.0}},
            DriverPar::Xmax},
        TNoValueCase{"GapOfZeroHeight", {{DriverPar::Hc, 0.01}, {DriverPar::Xmax, 0.005}}, DriverPar::Hg},
        TNoValueCase{"LevelOfZeroDecibels", {{DriverPar::SPL, 3.0}, {DriverPar::Pe, 1.0}}, DriverPar::SPLmax},
        TNoValueCase{"QtsEqualToQms", {{DriverPar::Qts, 0.5}, {DriverPar::Qms, 0.5}}, DriverPar::Qes},
        TNoValueCase{"MagnetWithoutRealDiameter",
                     {{DriverPar::Dd, 0.13},
                      {DriverPar::Depth, 0.08},
                      {DriverPar::MagDepth, 0.03},
                      {DriverPar::DVol, 1e-5},
                      {DriverPar::Vcd, 0.025}},
                     DriverPar::Magnet}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Derivation, NegativeResultIsStoredButFeedsNoOtherRule) {
    // Qts above Qms has no positive Qes; the negative value is kept for the user to see.
    TDriverObject driver = DriverWith({{DriverPar::Qts, 0.5}, {DriverPar::Qms, 0.4}, {DriverPar::Fs, 40.0}});
    driver.CalcParameters();
    EXPECT_NEAR(driver.Data.Qes, 1.0 / (1.0 / 0.5 - 1.0 / 0.4), 1e-12);
    EXPECT_LT(driver.Data.Qes, 0.0);
    EXPECT_EQ(LetterOf(driver, DriverPar::Qes), ParCalculated);
    EXPECT_EQ(driver.Data.EBP, 0.0);

    // Corrected input: the negative value is cleared with the other calculated ones.
    Enter(driver, DriverPar::Qms, 4.0);
    driver.CalcParameters();
    EXPECT_NEAR(driver.Data.Qes, 1.0 / (1.0 / 0.5 - 1.0 / 4.0), 1e-12);
    EXPECT_NEAR(driver.Data.EBP, 40.0 / driver.Data.Qes, 1e-12);
}

TEST(Derivation, StoredAirOfZeroDerivesNothingThatDividesByIt) {
    TDriverObject driver = DriverWith({{DriverPar::Fs, 30.0},
                                       {DriverPar::Qes, 0.4},
                                       {DriverPar::Vas, 0.05},
                                       {DriverPar::Sd, 0.02},
                                       {DriverPar::Re, 6.0},
                                       {DriverPar::SPLmaxLF, 100.0}});
    driver.Data.c = 0.0;
    driver.Data.roo = 0.0;
    driver.CalcParameters();
    for (int letter : {DriverPar::no, DriverPar::Cms, DriverPar::Vd, DriverPar::BL}) {
        EXPECT_EQ(Value(driver, letter), 0.0) << letter;
        EXPECT_EQ(LetterOf(driver, letter), ParNotDetermined) << letter;
    }
    EXPECT_NEAR(driver.Data.EBP, 75.0, 1e-12);

    // A relation through the air cannot be judged without it.
    Enter(driver, DriverPar::Cms, 1e-3);
    EXPECT_TRUE(driver.CheckConsistency());
    EXPECT_EQ(driver.Data.Errors[10], 0.0);
}

TEST(Derivation, VdFromMaximumLevelPassesItsRelation) {
    TDriverObject driver = DriverWith({{DriverPar::SPLmaxLF, 104.0}});
    driver.CalcParameters();
    // Far-field pressure of a volume velocity ω·Vd at 1 m in half space, as an rms
    // level at 20 Hz: p = ρ·ω²·Vd/(2π·r)/√2.
    const double omega = 2.0 * Pi * 20.0;
    const double pressure = std::pow(10.0, 104.0 / 20.0) * ReferencePressure;
    EXPECT_NEAR(driver.Data.Vd, pressure * std::sqrt(2.0) * 2.0 * Pi / (Density * omega * omega), 1e-15);
    EXPECT_TRUE(driver.CheckConsistency());
}

TEST(Derivation, DisplacedVolumeRoundTripsThroughEachDimension) {
    const double dd = 0.13, depth = 0.075, magDepth = 0.03, magnet = 0.09, vcd = 0.025;
    // Frustum of the cone plus the magnet's cylinder.
    const double frustum = Pi * (depth - magDepth) / 12.0 * (dd * dd + dd * vcd + vcd * vcd);
    const double volume = frustum + Pi / 4.0 * magnet * magnet * magDepth;

    TDriverObject full = DriverWith({{DriverPar::Dd, dd},
                                     {DriverPar::Depth, depth},
                                     {DriverPar::MagDepth, magDepth},
                                     {DriverPar::Magnet, magnet},
                                     {DriverPar::Vcd, vcd}});
    full.CalcParameters();
    EXPECT_NEAR(full.Data.DVol, volume, 1e-15);

    const std::pair<int, double> dimensions[] = {
        {DriverPar::Depth, depth}, {DriverPar::MagDepth, magDepth}, {DriverPar::Magnet, magnet}};
    for (const auto& [missing, expected] : dimensions) {
        TDriverObject driver = DriverWith({{DriverPar::Dd, dd},
                                           {DriverPar::Depth, depth},
                                           {DriverPar::MagDepth, magDepth},
                                           {DriverPar::Magnet, magnet},
                                           {DriverPar::Vcd, vcd},
                                           {DriverPar::DVol, volume}});
        Value(driver, missing) = 0.0;
        driver.Data.ParState[static_cast<std::size_t>(missing)] = ParNotDetermined;
        driver.CalcParameters();
        EXPECT_NEAR(Value(driver, missing), expected, 1e-12) << missing;
    }
}

// Data-sheet inputs of three real-world driver kinds.
struct TDataSheet {
    const char* name;
    double Fs, Qes, Qms, Vas, Sd, Re, Le, Xmax, Pe;
};

class DerivationOfDataSheet : public ::testing::TestWithParam<TDataSheet> {
protected:
    TDriverObject Derived() const {
        const TDataSheet& s = GetParam();
        TDriverObject driver = DriverWith({{DriverPar::Fs, s.Fs},
                                           {DriverPar::Qes, s.Qes},
                                           {DriverPar::Qms, s.Qms},
                                           {DriverPar::Vas, s.Vas},
                                           {DriverPar::Sd, s.Sd},
                                           {DriverPar::Re, s.Re},
                                           {DriverPar::Le, s.Le},
                                           {DriverPar::Xmax, s.Xmax},
                                           {DriverPar::Pe, s.Pe}});
        driver.CalcParameters();
        return driver;
    }
};

TEST_P(DerivationOfDataSheet, AgreesWithTheTextbookRelationsAndIsConsistent) {
    const TDataSheet& s = GetParam();
    const TDriverObject driver = Derived();
    const TDriverData& d = driver.Data;

    const double cms = s.Vas / (Density * SoundSpeed * SoundSpeed * s.Sd * s.Sd);
    const double mms = 1.0 / (std::pow(2.0 * Pi * s.Fs, 2) * cms);
    const double bl = std::sqrt(2.0 * Pi * s.Fs * mms * s.Re / s.Qes);
    const double efficiency = 4.0 * Pi * Pi * std::pow(s.Fs, 3) * s.Vas / (std::pow(SoundSpeed, 3) * s.Qes);
    const double relative = 1e-12;
    EXPECT_NEAR(d.Cms, cms, relative * cms);
    EXPECT_NEAR(d.Mms, mms, relative * mms);
    EXPECT_NEAR(d.BL, bl, relative * bl);
    EXPECT_NEAR(d.no, efficiency, relative * efficiency);
    EXPECT_NEAR(d.Qts, s.Qms * s.Qes / (s.Qms + s.Qes), relative);
    EXPECT_NEAR(d.Rms, 2.0 * Pi * s.Fs * mms / s.Qms, relative * d.Rms);
    EXPECT_NEAR(d.Vd, s.Sd * s.Xmax, 1e-18);
    EXPECT_NEAR(d.Dd, std::sqrt(4.0 * s.Sd / Pi), 1e-12);
    EXPECT_NEAR(d.SPL, 112.1 + 10.0 * std::log10(efficiency), 0.1);
    EXPECT_NEAR(d.SPLmax, d.SPL + 10.0 * std::log10(s.Pe) - 3.0, 1e-12);
    // The same efficiency from the motor: η0 = ρ/(2πc)·(BL·Sd)²/(Re·Mms²).
    EXPECT_NEAR(d.no, Density / (2.0 * Pi * SoundSpeed) * std::pow(bl * s.Sd, 2) / (s.Re * mms * mms),
                relative * efficiency);

    // Everything that a data sheet's inputs can give is given, and marked as derived.
    for (int letter : {DriverPar::Znom, DriverPar::SPL, DriverPar::BL, DriverPar::Cms, DriverPar::Qts,
                       DriverPar::Rms, DriverPar::Mms, DriverPar::Vd, DriverPar::Dd, DriverPar::no,
                       DriverPar::SPLmax, DriverPar::SPLmaxLF, DriverPar::USPL, DriverPar::gamma,
                       DriverPar::EBP, DriverPar::Rme, DriverPar::Mpow, DriverPar::Gloss}) {
        EXPECT_GT(*ParameterOfLetter(d, letter), 0.0) << letter;
        EXPECT_EQ(LetterOf(driver, letter), ParCalculated) << letter;
    }

    TDriverObject checked = driver;
    EXPECT_TRUE(checked.CheckConsistency());
    for (int k = 1; k <= ConsistencyRelationCount; ++k)
        EXPECT_LE(std::fabs(checked.Data.Errors[static_cast<std::size_t>(k)]), 1e-12) << k;
}

TEST_P(DerivationOfDataSheet, DerivingAgainGivesTheSameDriver) {
    TDriverObject driver = Derived();
    const TDriverData first = driver.Data;
    driver.CalcParameters();
    for (int letter = 0; letter < DriverParameterCount; ++letter) {
        double* value = ParameterOfLetter(driver.Data, letter);
        if (value != nullptr) {
            EXPECT_EQ(*value, *ParameterOfLetter(first, letter)) << letter;
        }
    }
    EXPECT_EQ(driver.Data.ParState, first.ParState);
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, DerivationOfDataSheet,
    ::testing::Values(TDataSheet{"Woofer6", 42.0, 0.42, 3.6, 0.0215, 0.0137, 5.6, 0.6e-3, 5e-3, 60.0},
                      TDataSheet{"Subwoofer12", 22.0, 0.38, 4.5, 0.130, 0.0480, 3.3, 2.1e-3, 12e-3, 400.0},
                      TDataSheet{"Midrange4", 85.0, 0.55, 2.8, 0.0035, 0.0055, 6.2, 0.35e-3, 2.5e-3, 40.0}),
    [](const auto& info) { return std::string(info.param.name); });

// The same woofer, described by different sets of known parameters: every set that
// determines it must lead to the same driver, whichever rules it takes.
struct TReferenceWoofer {
    double Fs = 42.0, Qes = 0.42, Qms = 3.6, Vas = 0.0215, Sd = 0.0137, Re = 5.6, Xmax = 5e-3;
    double Cms = Vas / (Density * SoundSpeed * SoundSpeed * Sd * Sd);
    double Mms = 1.0 / (std::pow(2.0 * Pi * Fs, 2) * Cms);
    double BL = std::sqrt(2.0 * Pi * Fs * Mms * Re / Qes);
    double Rms = 2.0 * Pi * Fs * Mms / Qms;
    double Qts = Qms * Qes / (Qms + Qes);
    double no = 4.0 * Pi * Pi * std::pow(Fs, 3) * Vas / (std::pow(SoundSpeed, 3) * Qes);
    double Rme = BL * BL / Re;
    double Dd = std::sqrt(4.0 * Sd / Pi);
    double Gloss = Gravity / (std::pow(2.0 * Pi * Fs, 2) * Xmax);
    double SPL =
        10.0 * std::log10(no * Density * SoundSpeed / (2.0 * Pi * ReferencePressure * ReferencePressure));

    double Of(int letter) const {
        switch (letter) {
        case DriverPar::Fs:
            return Fs;
        case DriverPar::Qes:
            return Qes;
        case DriverPar::Qms:
            return Qms;
        case DriverPar::Qts:
            return Qts;
        case DriverPar::Vas:
            return Vas;
        case DriverPar::Sd:
            return Sd;
        case DriverPar::Dd:
            return Dd;
        case DriverPar::Re:
            return Re;
        case DriverPar::Xmax:
            return Xmax;
        case DriverPar::Cms:
            return Cms;
        case DriverPar::Mms:
            return Mms;
        case DriverPar::BL:
            return BL;
        case DriverPar::Rms:
            return Rms;
        case DriverPar::no:
            return no;
        case DriverPar::Rme:
            return Rme;
        case DriverPar::Mpow:
            return BL / std::sqrt(Re);
        case DriverPar::gamma:
            return BL / Mms;
        case DriverPar::EBP:
            return Fs / Qes;
        case DriverPar::Gloss:
            return Gloss;
        case DriverPar::SPL:
            return SPL;
        case DriverPar::Vd:
            return Sd * Xmax;
        default:
            return 0.0;
        }
    }
};

struct TKnownSet {
    const char* name;
    std::vector<int> known;
};

class DerivationFromAnyKnownSet : public ::testing::TestWithParam<TKnownSet> {};

TEST_P(DerivationFromAnyKnownSet, GivesTheSameWoofer) {
    const TReferenceWoofer woofer;
    TDriverObject driver = EmptyDriver();
    for (int letter : GetParam().known)
        Enter(driver, letter, woofer.Of(letter));
    driver.CalcParameters();
    for (int letter : {DriverPar::Fs,   DriverPar::Qes,   DriverPar::Qms, DriverPar::Qts,   DriverPar::Vas,
                       DriverPar::Sd,   DriverPar::Dd,    DriverPar::Re,  DriverPar::Xmax,  DriverPar::Cms,
                       DriverPar::Mms,  DriverPar::BL,    DriverPar::Rms, DriverPar::no,    DriverPar::Rme,
                       DriverPar::Mpow, DriverPar::gamma, DriverPar::EBP, DriverPar::Gloss, DriverPar::SPL,
                       DriverPar::Vd}) {
        const double expected = woofer.Of(letter);
        EXPECT_NEAR(Value(driver, letter), expected, 1e-9 * expected) << letter;
    }
    EXPECT_TRUE(driver.CheckConsistency());
}

INSTANTIATE_TEST_SUITE_P(
    Sets, DerivationFromAnyKnownSet,
    ::testing::Values(TKnownSet{"DataSheet",
                                {DriverPar::Fs, DriverPar::Qes, DriverPar::Qms, DriverPar::Vas, DriverPar::Sd,
                                 DriverPar::Re, DriverPar::Xmax}},
                      TKnownSet{"Mechanical",
                                {DriverPar::Mms, DriverPar::Cms, DriverPar::BL, DriverPar::Re, DriverPar::Rms,
                                 DriverPar::Sd, DriverPar::Xmax}},
                      TKnownSet{"DampingAndForce",
                                {DriverPar::Mms, DriverPar::Cms, DriverPar::Rme, DriverPar::BL,
                                 DriverPar::Qms, DriverPar::Dd, DriverPar::Vd}},
                      TKnownSet{"EfficiencyAndQts",
                                {DriverPar::Fs, DriverPar::no, DriverPar::Qes, DriverPar::Qts, DriverPar::Sd,
                                 DriverPar::Re, DriverPar::Xmax}},
                      TKnownSet{"EfficiencyAndMass",
                                {DriverPar::no, DriverPar::Sd, DriverPar::Mms, DriverPar::Re, DriverPar::Fs,
                                 DriverPar::Qms, DriverPar::Xmax}},
                      TKnownSet{"SensitivityAndMotor",
                                {DriverPar::SPL, DriverPar::Sd, DriverPar::BL, DriverPar::Re, DriverPar::Cms,
                                 DriverPar::Qts, DriverPar::Xmax}},
                      TKnownSet{"GammaAndMotorStrength",
                                {DriverPar::gamma, DriverPar::BL, DriverPar::Mpow, DriverPar::Cms,
                                 DriverPar::Qms, DriverPar::Sd, DriverPar::Gloss}},
                      TKnownSet{"BandwidthAndSag",
                                {DriverPar::EBP, DriverPar::Qes, DriverPar::Vas, DriverPar::Dd, DriverPar::Re,
                                 DriverPar::Qts, DriverPar::Gloss}},
                      TKnownSet{"EfficiencyWithoutFs",
                                {DriverPar::no, DriverPar::Qes, DriverPar::Vas, DriverPar::Sd, DriverPar::Re,
                                 DriverPar::Qms, DriverPar::Xmax}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Consistency, DriverWithNothingKnownPasses) {
    TDriverObject driver = EmptyDriver();
    driver.Data.Errors.fill(0.5);
    EXPECT_TRUE(driver.CheckConsistency());
    for (double error : driver.Data.Errors)
        EXPECT_EQ(error, 0.0);
}

TEST(Consistency, OnePartInABillionFails) {
    TDriverObject driver = DriverWith({{DriverPar::Qms, 4.0}, {DriverPar::Qes, 0.4}});
    const double qts = 1.0 / (1.0 / 4.0 + 1.0 / 0.4);
    Enter(driver, DriverPar::Qts, qts * (1.0 - 1e-9));
    EXPECT_FALSE(driver.CheckConsistency());
    EXPECT_NEAR(driver.Data.Errors[5], -1e-9, 1e-15);

    Enter(driver, DriverPar::Qts, qts * (1.0 - 1e-11));
    EXPECT_TRUE(driver.CheckConsistency());
    EXPECT_NEAR(driver.Data.Errors[5], -1e-11, 1e-15);
}

// One inconsistent group per case: only its relation fails, with its own label.
struct TInconsistentCase {
    int relation;
    std::vector<std::pair<int, double>> entries;
    const char* label;
};

class ConsistencyFailure : public ::testing::TestWithParam<TInconsistentCase> {};

TEST_P(ConsistencyFailure, NamesOnlyTheFailingRelation) {
    TDriverObject driver = EmptyDriver();
    for (const auto& [letter, value] : GetParam().entries)
        Enter(driver, letter, value);
    EXPECT_FALSE(driver.CheckConsistency());
    for (int k = 1; k <= ConsistencyRelationCount; ++k) {
        const bool fails = ConsistencyErrorFails(driver.Data.Errors[static_cast<std::size_t>(k)]);
        EXPECT_EQ(fails, k == GetParam().relation) << k;
    }
    EXPECT_STREQ(ConsistencyRelationName(GetParam().relation), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConsistencyFailure,
    ::testing::Values(
        TInconsistentCase{
            1,
            {{DriverPar::Qms, 3}, {DriverPar::Fs, 40}, {DriverPar::Cms, 1e-3}, {DriverPar::Rms, 1}},
            "Qms, Fs, Cms, Rms"},
        TInconsistentCase{6, {{DriverPar::Sd, 0.02}, {DriverPar::Dd, 0.2}}, "Sd, Dd"},
        TInconsistentCase{7,
                          {{DriverPar::Mcost, 10},
                           {DriverPar::Rme, 5},
                           {DriverPar::Hc, 0.01},
                           {DriverPar::Hg, 0.006},
                           {DriverPar::Xmax, 0.002}},
                          "Mcost, Rme, Hc, Hg, Xmax"},
        TInconsistentCase{
            10, {{DriverPar::Cms, 1e-3}, {DriverPar::Vas, 0.05}, {DriverPar::Sd, 0.02}}, "Cms, Vas, Sd"},
        TInconsistentCase{
            14,
            {{DriverPar::no, 0.01}, {DriverPar::Fs, 30}, {DriverPar::Qes, 0.4}, {DriverPar::Vas, 0.05}},
            "no, c, Fs, Qes, Vas"},
        TInconsistentCase{18, {{DriverPar::no, 0.01}, {DriverPar::SPL, 80}}, "no, SPL, rho, c"},
        TInconsistentCase{22, {{DriverPar::SPLmaxLF, 100}, {DriverPar::Vd, 1e-4}}, "SPLmaxLF, rho, Vd"}));

TEST(Consistency, ErrorThatIsNotANumberFails) {
    EXPECT_TRUE(ConsistencyErrorFails(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_TRUE(ConsistencyErrorFails(std::numeric_limits<double>::infinity()));
    EXPECT_TRUE(ConsistencyErrorFails(-2e-10));
    EXPECT_FALSE(ConsistencyErrorFails(-1e-10));
    EXPECT_FALSE(ConsistencyErrorFails(0.0));
}

TEST(Consistency, RelationNamesAreTheListLabels) {
    EXPECT_STREQ(ConsistencyRelationName(2), "Bl, Fs, Mms, Re, Qes");
    EXPECT_STREQ(ConsistencyRelationName(11), "fs, Mms, Cms");
    EXPECT_STREQ(ConsistencyRelationName(13), "Gamma, Bl, Mms");
    EXPECT_STREQ(ConsistencyRelationName(0), "");
    EXPECT_STREQ(ConsistencyRelationName(23), "");
}

} // namespace
