#include "model/Derivation.h"
#include "model/Driver.h"

#include "tests/CaseNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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
    // No longer calculated: the editor must not show it as such, nor a file store it so.
    EXPECT_EQ(LetterOf(driver, DriverPar::Qts), ParNotDetermined);
    // A calculated letter on a position that no rule fills is not the derivation's to clear.
    driver.Data.ParState[DriverPar::Le] = ParCalculated;
    driver.Data.Le = 1e-3;
    driver.CalcParameters();
    EXPECT_EQ(driver.Data.Le, 1e-3);
    EXPECT_EQ(LetterOf(driver, DriverPar::Le), ParCalculated);
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
                                           TZnomCase{0.5, 0}),
                         [](const ::testing::TestParamInfo<TZnomCase>& info) {
                             return CaseName(info.index, "Re" + std::to_string(info.param.Re));
                         });

TEST(Derivation, ZnomOfZeroIsMarkedDerivedAndDoesNotStopTheOtherRules) {
    // Rule order puts SPL (from the efficiency) before the efficiency itself, so SPL
    // needs a second pass; a Znom of 0 must not cut the passes short.
    TDriverObject driver = DriverWith(
        {{DriverPar::Re, 0.5}, {DriverPar::Fs, 30.0}, {DriverPar::Qes, 0.4}, {DriverPar::Vas, 0.05}});
    driver.CalcParameters();
    EXPECT_EQ(driver.Data.Znom, 0.0);
    EXPECT_EQ(LetterOf(driver, DriverPar::Znom), ParCalculated);
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
        TInconsistentCase{22, {{DriverPar::SPLmaxLF, 100}, {DriverPar::Vd, 1e-4}}, "SPLmaxLF, rho, Vd"}),
    [](const ::testing::TestParamInfo<TInconsistentCase>& info) {
        return CaseName(info.index, info.param.label);
    });

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

// One driver in which every parameter a rule or relation names is known and all of
// them agree. The base values are a data sheet plus the motor and frame dimensions;
// the rest follow from the textbook relations, each written here in its own form.
class TCompleteDriver {
public:
    TCompleteDriver() {
        Set(DriverPar::Fs, 42.0);
        Set(DriverPar::Qes, 0.42);
        Set(DriverPar::Qms, 3.6);
        Set(DriverPar::Vas, 0.0215);
        Set(DriverPar::Sd, 0.0137);
        Set(DriverPar::Re, 5.6);
        Set(DriverPar::Xmax, 5e-3);
        Set(DriverPar::Pe, 60.0);
        Set(DriverPar::Le, 0.6e-3);
        Set(DriverPar::fLe, 1000.0);
        // An overhung coil: 16 mm of winding in a 6 mm gap leaves 5 mm either way.
        Set(DriverPar::Hc, 0.016);
        Set(DriverPar::Hg, 0.006);
        Set(DriverPar::Depth, 0.075);
        Set(DriverPar::MagDepth, 0.03);
        Set(DriverPar::Magnet, 0.09);
        Set(DriverPar::Vcd, 0.025);

        const double omega = 2.0 * Pi * Of(DriverPar::Fs);
        // The suspension's compliance is the air spring of Vas over the cone area.
        const double cms =
            Of(DriverPar::Vas) / (Density * SoundSpeed * SoundSpeed * Squared(Of(DriverPar::Sd)));
        const double mms = 1.0 / (omega * omega * cms);
        // Qes = ω0·Mms / (BL²/Re): the electrical damping against the moving mass.
        const double bl = std::sqrt(omega * mms * Of(DriverPar::Re) / Of(DriverPar::Qes));
        const double rme = bl * bl / Of(DriverPar::Re);
        // Reference efficiency of a piston radiating into half space.
        const double efficiency = Density / (2.0 * Pi * SoundSpeed) * Squared(bl * Of(DriverPar::Sd)) /
                                  (Of(DriverPar::Re) * mms * mms);
        // 1 W at 1 m over a hemisphere: I = η0/(2π), p² = ρ·c·I.
        const double pressure = std::sqrt(Density * SoundSpeed * efficiency / (2.0 * Pi));
        const double spl = 20.0 * std::log10(pressure / ReferencePressure);
        const double vd = Of(DriverPar::Sd) * Of(DriverPar::Xmax);
        // Peak volume displacement at 20 Hz: p = ρ·ω²·Vd/(2π·1 m), as an rms level.
        const double lowOmega = 2.0 * Pi * 20.0;
        const double lowPressure = Density * lowOmega * lowOmega * vd / (2.0 * Pi) / std::sqrt(2.0);
        const double gap = std::min(Of(DriverPar::Hc), Of(DriverPar::Hg));
        // The cone as a disc of area Sd.
        const double dd = 2.0 * std::sqrt(Of(DriverPar::Sd) / Pi);
        // The frame as a frustum from the cone's to the coil's diameter, then the magnet's cylinder.
        const double frustumHeight = Of(DriverPar::Depth) - Of(DriverPar::MagDepth);
        const double r1 = dd / 2.0, r2 = Of(DriverPar::Vcd) / 2.0;
        const double volume = Pi * frustumHeight / 3.0 * (r1 * r1 + r1 * r2 + r2 * r2) +
                              Pi * Squared(Of(DriverPar::Magnet) / 2.0) * Of(DriverPar::MagDepth);

        Set(DriverPar::Cms, cms);
        Set(DriverPar::Mms, mms);
        Set(DriverPar::BL, bl);
        Set(DriverPar::Rms, omega * mms / Of(DriverPar::Qms));
        Set(DriverPar::Qts, 1.0 / (1.0 / Of(DriverPar::Qms) + 1.0 / Of(DriverPar::Qes)));
        Set(DriverPar::Rme, rme);
        Set(DriverPar::no, efficiency);
        Set(DriverPar::SPL, spl);
        // The level at rated power is quoted 3 dB (a round figure, not 10·log10 2) below the
        // 1 W level scaled by Pe.
        Set(DriverPar::SPLmax, spl + 10.0 * std::log10(Of(DriverPar::Pe)) - 3.0);
        Set(DriverPar::USPL, spl + 20.0 * std::log10(2.83) - 10.0 * std::log10(Of(DriverPar::Re)));
        Set(DriverPar::Vd, vd);
        Set(DriverPar::SPLmaxLF, 20.0 * std::log10(lowPressure / ReferencePressure));
        Set(DriverPar::Dd, dd);
        Set(DriverPar::gamma, bl / mms);
        Set(DriverPar::EBP, Of(DriverPar::Fs) / Of(DriverPar::Qes));
        Set(DriverPar::Mpow, std::sqrt(rme));
        Set(DriverPar::Mcost, rme * (gap + Of(DriverPar::Xmax)) / gap);
        // Static sag of the cone under its own weight, g/ω0², relative to Xmax.
        Set(DriverPar::Gloss, Gravity / (omega * omega) / Of(DriverPar::Xmax));
        Set(DriverPar::KLe, Of(DriverPar::Le) * std::sqrt(2.0 * Pi * Of(DriverPar::fLe)));
        Set(DriverPar::DVol, volume);
        // 1.5·5.6 = 8.4: the even nominal impedance 8 Ω.
        Set(DriverPar::Znom, 8.0);
    }

    double Of(int letter) const { return values[static_cast<std::size_t>(letter)]; }

private:
    static double Squared(double x) { return x * x; }
    void Set(int letter, double value) { values[static_cast<std::size_t>(letter)] = value; }
    std::array<double, DriverParameterCount> values{};
};

struct TRuleCase {
    int rule;
    int target;
    std::vector<int> inputs;
};

class DerivationRule : public ::testing::TestWithParam<TRuleCase> {};

// Only the rule's own inputs are known: the target must come out as the complete
// driver has it, whichever way a rule could get a sign, an operand or a constant wrong.
TEST_P(DerivationRule, FillsItsTargetFromItsInputsAlone) {
    const TCompleteDriver complete;
    TDriverObject driver = EmptyDriver();
    for (const int letter : GetParam().inputs)
        Enter(driver, letter, complete.Of(letter));
    driver.CalcParameters();
    const double expected = complete.Of(GetParam().target);
    EXPECT_NEAR(Value(driver, GetParam().target), expected, 1e-11 * std::fabs(expected));
    EXPECT_EQ(LetterOf(driver, GetParam().target), ParCalculated);
    for (const int letter : GetParam().inputs)
        EXPECT_EQ(LetterOf(driver, letter), ParEntered) << letter;
}

using namespace DriverPar;

INSTANTIATE_TEST_SUITE_P(
    Rules, DerivationRule,
    ::testing::Values(
        TRuleCase{1, Qts, {Qms, Qes}}, TRuleCase{2, SPL, {no}}, TRuleCase{3, BL, {Re, Sd, Fs, Qes, Vas}},
        TRuleCase{4, BL, {no, Sd, Mms, Re}}, TRuleCase{5, BL, {Fs, Mms, Re, Qes}},
        TRuleCase{6, BL, {DriverPar::gamma, Mms}}, TRuleCase{7, BL, {Mpow, Re}}, TRuleCase{8, BL, {Rme, Re}},
        TRuleCase{9, Fs, {Mms, Cms}}, TRuleCase{10, Fs, {Qes, Vas, no}},
        TRuleCase{11, Fs, {Qes, BL, Mms, Re}}, TRuleCase{12, Fs, {Rme, Qes, Mms}},
        TRuleCase{13, Fs, {EBP, Qes}}, TRuleCase{14, Fs, {Gloss, Xmax}},
        TRuleCase{15, Qes, {Fs, Mms, Re, BL}}, TRuleCase{16, Qes, {Fs, Mms, Rme}},
        TRuleCase{17, Qes, {no, Fs, Vas}}, TRuleCase{18, Qes, {Qts, Qms}}, TRuleCase{19, Qes, {Fs, EBP}},
        TRuleCase{20, Qms, {Fs, Cms, Rms}}, TRuleCase{21, Qms, {Qts, Qes}}, TRuleCase{22, Cms, {Vas, Sd}},
        TRuleCase{23, Cms, {Fs, Mms}}, TRuleCase{24, Mms, {Fs, Cms}}, TRuleCase{25, Mms, {no, Sd, BL, Re}},
        TRuleCase{26, Mms, {Qes, BL, Re, Fs}}, TRuleCase{27, Mms, {Rme, Qes, Fs}},
        TRuleCase{28, Mms, {DriverPar::gamma, BL}}, TRuleCase{29, Rms, {Fs, Cms, Qms}},
        TRuleCase{30, EBP, {Fs, Qes}}, TRuleCase{31, no, {Fs, Qes, Vas}},
        TRuleCase{32, no, {Sd, BL, Mms, Re}}, TRuleCase{33, no, {SPL}}, TRuleCase{34, Vas, {Fs, no, Qes}},
        TRuleCase{35, Vas, {Cms, Sd}}, TRuleCase{36, Vd, {Sd, Xmax}}, TRuleCase{37, Vd, {SPLmaxLF}},
        TRuleCase{38, Znom, {Re}}, TRuleCase{39, SPLmax, {SPL, Pe}}, TRuleCase{40, Xmax, {Hg, Hc}},
        TRuleCase{41, Xmax, {Sd, Vd}}, TRuleCase{43, Xmax, {Fs, Gloss}}, TRuleCase{44, Hc, {Hg, Xmax}},
        TRuleCase{45, Hg, {Hc, Xmax}}, TRuleCase{46, Sd, {Dd}}, TRuleCase{47, Sd, {Xmax, Vd}},
        TRuleCase{48, Sd, {no, BL, Mms, Re}}, TRuleCase{49, Sd, {Vas, Cms}}, TRuleCase{50, USPL, {Re, SPL}},
        TRuleCase{51, Dd, {Sd}}, TRuleCase{52, Re, {no, Sd, BL, Mms}}, TRuleCase{53, Re, {Mms, Qes, BL, Fs}},
        TRuleCase{54, Re, {Mpow, BL}}, TRuleCase{55, Re, {Rme, BL}}, TRuleCase{56, Rme, {Fs, Mms, Qes}},
        TRuleCase{57, Rme, {BL, Re}}, TRuleCase{58, Rme, {Mpow}}, TRuleCase{59, Rme, {Mcost, Hc, Hg, Xmax}},
        TRuleCase{60, SPLmaxLF, {Vd}}, TRuleCase{61, DriverPar::gamma, {BL, Mms}},
        TRuleCase{62, Mpow, {BL, Re}}, TRuleCase{63, Mpow, {Rme}}, TRuleCase{64, Pe, {SPL, SPLmax}},
        TRuleCase{65, Mcost, {Rme, Hc, Hg, Xmax}}, TRuleCase{66, KLe, {Le, fLe}},
        TRuleCase{67, Gloss, {Fs, Xmax}}, TRuleCase{68, DVol, {Dd, Depth, MagDepth, Magnet, Vcd}},
        TRuleCase{69, Magnet, {Dd, Depth, MagDepth, DVol, Vcd}},
        TRuleCase{70, Depth, {Dd, DVol, MagDepth, Magnet, Vcd}},
        TRuleCase{71, MagDepth, {Dd, Depth, DVol, Magnet, Vcd}}),
    [](const auto& info) { return "Rule" + std::to_string(info.param.rule); });

// Xmax from the motor figure is reached only when the heights alone give none
// (rule 40 comes first): coil and gap of one height.
TEST(Derivation, XmaxFromTheMotorFigureWhenCoilAndGapAgree) {
    const double height = 0.006, xmax = 0.004, rme = 12.0;
    TDriverObject driver = DriverWith({{DriverPar::Rme, rme},
                                       {DriverPar::Hc, height},
                                       {DriverPar::Hg, height},
                                       {DriverPar::Mcost, rme * (height + xmax) / height}});
    driver.CalcParameters();
    EXPECT_NEAR(driver.Data.Xmax, xmax, 1e-15);
    EXPECT_EQ(LetterOf(driver, DriverPar::Xmax), ParCalculated);
}

// An underhung coil takes the other branch of rules 44 and 45: the gap is the taller part.
TEST(Derivation, UnderhungCoilHeightsFromTheGap) {
    const double hc = 0.006, hg = 0.016, xmax = 0.005;
    TDriverObject coil = DriverWith({{DriverPar::Hg, hg}, {DriverPar::Xmax, xmax}});
    // With the gap taller than 2·Xmax the coil is taken as the shorter part.
    coil.CalcParameters();
    EXPECT_NEAR(coil.Data.Hc, hc, 1e-15);
    TDriverObject gap = DriverWith({{DriverPar::Hc, hc}, {DriverPar::Xmax, xmax}});
    gap.CalcParameters();
    EXPECT_NEAR(gap.Data.Hg, hg, 1e-15);
    EXPECT_TRUE(coil.CheckConsistency());
    EXPECT_TRUE(gap.CheckConsistency());
}

TEST(Consistency, CompleteDriverHoldsEveryRelation) {
    const TCompleteDriver complete;
    TDriverObject driver = EmptyDriver();
    for (int letter = 0; letter < DriverParameterCount; ++letter)
        if (ParameterOfLetter(driver.Data, letter) != nullptr)
            Enter(driver, letter, complete.Of(letter));
    EXPECT_TRUE(driver.CheckConsistency());
    for (int k = 1; k <= ConsistencyRelationCount; ++k)
        EXPECT_LE(std::fabs(driver.Data.Errors[static_cast<std::size_t>(k)]), 1e-12) << k;
}

struct TRelationCase {
    int relation;
    int given;
    const char* label;
};

class ConsistencyRelation : public ::testing::TestWithParam<TRelationCase> {};

// The given quantity of one relation off by a part in a million: that relation
// reports exactly this error, under its own label, and the driver fails.
TEST_P(ConsistencyRelation, MeasuresItsGivenQuantity) {
    const TCompleteDriver complete;
    TDriverObject driver = EmptyDriver();
    for (int letter = 0; letter < DriverParameterCount; ++letter)
        if (ParameterOfLetter(driver.Data, letter) != nullptr)
            Enter(driver, letter, complete.Of(letter));
    const double offset = 1e-6;
    Value(driver, GetParam().given) *= 1.0 + offset;
    EXPECT_FALSE(driver.CheckConsistency());
    EXPECT_NEAR(driver.Data.Errors[static_cast<std::size_t>(GetParam().relation)], offset / (1.0 + offset),
                1e-11);
    EXPECT_STREQ(ConsistencyRelationName(GetParam().relation), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(
    Relations, ConsistencyRelation,
    ::testing::Values(
        TRelationCase{1, Qms, "Qms, Fs, Cms, Rms"}, TRelationCase{2, Qes, "Bl, Fs, Mms, Re, Qes"},
        TRelationCase{3, Rme, "Rme, Bl, Re"}, TRelationCase{4, Rme, "Rme, Fs, Mms, Qes"},
        TRelationCase{5, Qts, "Qts, Qms, Qes"}, TRelationCase{6, Sd, "Sd, Dd"},
        TRelationCase{7, Mcost, "Mcost, Rme, Hc, Hg, Xmax"}, TRelationCase{8, Mpow, "Mpow, Bl, Re"},
        TRelationCase{9, Mpow, "Mpow, Rme"}, TRelationCase{10, Cms, "Cms, Vas, Sd"},
        TRelationCase{11, Mms, "fs, Mms, Cms"}, TRelationCase{12, EBP, "EBP, fs, Qes"},
        TRelationCase{13, DriverPar::gamma, "Gamma, Bl, Mms"}, TRelationCase{14, no, "no, c, Fs, Qes, Vas"},
        TRelationCase{15, no, "no, Sd, Bl, Mms, Re"}, TRelationCase{16, SPLmax, "SPLmax, Pe, SPL"},
        TRelationCase{17, USPL, "USPL, SPL, Re"}, TRelationCase{18, SPL, "no, SPL, rho, c"},
        TRelationCase{19, Xmax, "Xmax, Hc, Hg"}, TRelationCase{20, Vd, "Vd, Sd, Xmax"},
        TRelationCase{21, Gloss, "Gloss, fs, Xmax"}, TRelationCase{22, SPLmaxLF, "SPLmaxLF, rho, Vd"}),
    [](const auto& info) { return "Relation" + std::to_string(info.param.relation); });

} // namespace
