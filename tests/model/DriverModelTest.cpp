// The driver's equivalent circuit checked against the mechanical-domain textbook relations,
// computed here from a driver described by its mass, compliance, losses and motor.

#include "model/Driver.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <complex>
#include <ostream>

namespace {

using Complex = std::complex<double>;

constexpr double Pi = 3.14159265358979323846;
constexpr double Rho = 1.2;
constexpr double C = 343;

// Mechanical description of the test driver.
constexpr double Mms = 0.02;  // kg
constexpr double Cms = 1e-3;  // m/N
constexpr double Rms = 1.5;   // N·s/m
constexpr double BL = 7;      // T·m
constexpr double Re = 6;      // ohm
constexpr double Le = 0.5e-3; // H
constexpr double Sd = 0.022;  // m²

const double Fs = 1 / (2 * Pi * std::sqrt(Mms * Cms));
const double Qms = 2 * Pi * Fs * Mms / Rms;
const double Qes = 2 * Pi * Fs * Mms * Re / (BL * BL);
const double Qts = Qms * Qes / (Qms + Qes);
const double Vas = Rho * C * C * Sd * Sd * Cms;

TDriverObject TestDriver(double le = Le) {
    TDriverObject driver;
    driver.Data.Fs = Fs;
    driver.Data.Qms = Qms;
    driver.Data.Qes = Qes;
    driver.Data.Qts = Qts;
    driver.Data.Vas = Vas;
    driver.Data.Re = Re;
    driver.Data.Le = le;
    driver.Data.BL = BL;
    driver.Data.Sd = Sd;
    driver.Data.Mms = Mms;
    driver.Data.Cms = Cms;
    driver.Data.Rms = Rms;
    driver.rho = Rho;
    driver.c = C;
    driver.PrepareModel();
    return driver;
}

Complex ToStd(TComplex z) {
    return {z.re, z.im};
}
TComplex FromStd(Complex z) {
    return MakeComplex(z.real(), z.imag());
}

// Acoustic impedance of a sealed chamber of volume vb.
Complex ChamberLoad(double vb, double f) {
    const double cab = vb / (Rho * C * C);
    return 1.0 / (Complex(0, 2 * Pi * f) * cab);
}

// Cone velocity from the mechanical circuit: force BL·i against Rms, Mms, 1/Cms, the electrical
// damping and the load's mechanical image Sd²·Za. The voltage is that which gives the power p
// into the coil and source resistance at DC.
Complex ConeVelocity(double f, double p, double rs, Complex acousticLoad) {
    const Complex jw(0, 2 * Pi * f);
    const double volts = std::sqrt(p * (Re + rs));
    const Complex electrical = Re + rs + jw * Le;
    const Complex mechanical =
        Rms + jw * Mms + 1.0 / (jw * Cms) + Sd * Sd * acousticLoad + BL * BL / electrical;
    return BL * volts / electrical / mechanical;
}

TEST(DriverModel, OneDriverReproducesItsOwnParameters) {
    const TDriverObject driver = TestDriver();
    ASSERT_TRUE(driver.ModelReady);
    EXPECT_TRUE(driver.CouplingKnown);
    EXPECT_TRUE(driver.MassAdded);
    EXPECT_NEAR(driver.FsTotal, Fs, Fs * 1e-12);
    EXPECT_NEAR(driver.QesTotal, Qes, Qes * 1e-12);
    EXPECT_NEAR(driver.QmsTotal, Qms, Qms * 1e-12);
    EXPECT_NEAR(driver.QtsTotal, Qts, Qts * 1e-12);
    EXPECT_DOUBLE_EQ(driver.VasTotal, Vas);
    EXPECT_DOUBLE_EQ(driver.SdTotal, Sd);
    // The acoustic elements are the mechanical ones seen through the cone area.
    EXPECT_NEAR(driver.Cas, Cms * Sd * Sd, Cms * Sd * Sd * 1e-12);
    EXPECT_NEAR(driver.Mas, Mms / (Sd * Sd), Mms / (Sd * Sd) * 1e-12);
    EXPECT_NEAR(driver.Ras, Rms / (Sd * Sd), Rms / (Sd * Sd) * 1e-12);
    EXPECT_NEAR(driver.Rae, BL * BL / (Re * Sd * Sd), BL * BL / (Re * Sd * Sd) * 1e-12);
    EXPECT_NEAR(driver.Cae * driver.Rae, Le / Re, Le / Re * 1e-12);
}

struct MountingCase {
    std::int32_t drivers;
    bool isobaric;
    double vasFactor;
    double sdFactor;
};

void PrintTo(const MountingCase& m, std::ostream* os) {
    *os << m.drivers << (m.isobaric ? " isobaric" : " drivers");
}

class DriverMounting : public ::testing::TestWithParam<MountingCase> {};

TEST_P(DriverMounting, TotalsFollowTheNumberAndMounting) {
    const MountingCase& m = GetParam();
    TDriverObject driver = TestDriver();
    driver.NumDrivers = m.drivers;
    driver.Isobaric = m.isobaric;
    driver.PrepareModel();
    ASSERT_TRUE(driver.ModelReady);
    EXPECT_DOUBLE_EQ(driver.VasTotal, m.vasFactor * Vas);
    EXPECT_DOUBLE_EQ(driver.SdTotal, m.sdFactor * Sd);
    // Identical drivers side by side, or pairs, keep the resonance and the Q.
    EXPECT_NEAR(driver.FsTotal, Fs, Fs * 1e-12);
    EXPECT_NEAR(driver.QtsTotal, Qts, Qts * 1e-12);
    // The coil's corner frequency belongs to each coil and does not move with the count.
    EXPECT_NEAR(driver.Cae * driver.Rae, Le / Re, Le / Re * 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Counts, DriverMounting,
                         ::testing::Values(MountingCase{1, false, 1, 1}, MountingCase{2, false, 2, 2},
                                           MountingCase{5, false, 5, 5}, MountingCase{2, true, 1, 2},
                                           MountingCase{4, true, 2, 4}));

TEST(DriverModel, IsobaricMountingDoublesTheCoupledImpedance) {
    TDriverObject normal = TestDriver();
    normal.NumDrivers = 2;
    normal.PrepareModel();
    TDriverObject isobaric = normal;
    isobaric.Isobaric = true;
    isobaric.PrepareModel();
    const TComplex load = FromStd(ChamberLoad(0.03, 50));
    // The isobaric pair's mechanical branch is twice as stiff (half the volume) at the same
    // coupling, so compare the coupled terms at the respective mechanical impedances.
    const double w = 2 * Pi * 50;
    const Complex zmNormal = Complex(normal.Ras, w * normal.Mas - 1 / (w * normal.Cas)) + ToStd(load);
    const Complex zmIsobaric = Complex(isobaric.Ras, w * isobaric.Mas - 1 / (w * isobaric.Cas)) + ToStd(load);
    const Complex coupledNormal = ToStd(normal.InputImpedance(load, 50)) - Complex(Re, w * Le);
    const Complex coupledIsobaric = ToStd(isobaric.InputImpedance(load, 50)) - Complex(Re, w * Le);
    const Complex ratio = (coupledIsobaric * zmIsobaric) / (coupledNormal * zmNormal);
    EXPECT_NEAR(ratio.real(), 2, 1e-9);
    EXPECT_NEAR(ratio.imag(), 0, 1e-9);
}

struct LossCase {
    double rs;
    double alfaVC;
    double dTVC;
    double expectedRaise; // factor on Qes
};

void PrintTo(const LossCase& l, std::ostream* os) {
    *os << "Rs " << l.rs << ", alfaVC " << l.alfaVC << ", dT " << l.dTVC;
}

class ElectricalDamping : public ::testing::TestWithParam<LossCase> {};

TEST_P(ElectricalDamping, SourceResistanceAndHotCoilRaiseQes) {
    const LossCase& l = GetParam();
    TDriverObject driver = TestDriver();
    driver.Rs = l.rs;
    driver.Data.alfaVC = l.alfaVC;
    driver.dTVC = l.dTVC;
    driver.PrepareModel();
    ASSERT_TRUE(driver.ModelReady);
    // Qes = ω0·Mms·R/BL² with R the whole resistance in the coil's loop: a hot coil of
    // Re·(1 + α·ΔT) in series with the source.
    const double loop = Re * (1 + l.alfaVC * l.dTVC) + l.rs;
    const double expectedQes = 2 * Pi * Fs * Mms * loop / (BL * BL);
    EXPECT_NEAR(driver.QesTotal, expectedQes, expectedQes * 1e-12);
    EXPECT_NEAR(driver.QesTotal / Qes, l.expectedRaise, 1e-12);
    EXPECT_NEAR(driver.QtsTotal, 1 / (1 / Qms + 1 / expectedQes), 1e-12);
    EXPECT_NEAR(driver.QmsTotal, Qms, Qms * 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Losses, ElectricalDamping,
                         ::testing::Values(LossCase{0, 0, 0, 1}, LossCase{0.6, 0, 0, 1.1},
                                           // copper: 0.0039 per kelvin
                                           LossCase{0, 0.0039, 100, 1.39}, LossCase{0.6, 0.0039, 100, 1.49}));

class AddedMass : public ::testing::TestWithParam<MountingCase> {};

TEST_P(AddedMass, LowersTheResonanceForAnyNumberOfDrivers) {
    const MountingCase& m = GetParam();
    const double added = 0.01; // kg on each cone
    TDriverObject driver = TestDriver();
    driver.NumDrivers = m.drivers;
    driver.Isobaric = m.isobaric;
    driver.AddedMass = added;
    driver.PrepareModel();
    ASSERT_TRUE(driver.ModelReady);
    ASSERT_TRUE(driver.MassAdded);
    const double loadedFs = Fs * std::sqrt(Mms / (Mms + added));
    EXPECT_NEAR(driver.FsTotal, loadedFs, loadedFs * 1e-12);
    // Same losses, heavier cone: both Qs grow with the mass, i.e. by Fs/Fs'.
    EXPECT_NEAR(driver.QmsTotal, 2 * Pi * loadedFs * (Mms + added) / Rms, Qms * 1e-12);
    EXPECT_NEAR(driver.QesTotal, Qes * Fs / loadedFs, Qes * 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Counts, AddedMass,
                         ::testing::Values(MountingCase{1, false, 1, 1}, MountingCase{3, false, 3, 3},
                                           MountingCase{2, true, 1, 2}));

TEST(DriverModel, ImpedancePeaksAtResonanceWithTheMotionalResistance) {
    const TDriverObject driver = TestDriver();
    const Complex z = ToStd(driver.InputImpedance(MakeComplex(0, 0), Fs));
    // At resonance the motional branch is BL²/Rms = Re·Qms/Qes, purely resistive.
    const double res = Re * Qms / Qes;
    EXPECT_NEAR(res, BL * BL / Rms, 1e-9);
    EXPECT_NEAR(z.real(), Re + res, 1e-9);
    EXPECT_NEAR(z.imag(), 2 * Pi * Fs * Le, 1e-9);
}

TEST(DriverModel, ImpedanceTendsToTheBlockedCoilAtHighFrequency) {
    const TDriverObject driver = TestDriver();
    for (double f : {5000.0, 20000.0}) {
        const double w = 2 * Pi * f;
        const Complex blocked(Re, w * Le);
        const Complex z = ToStd(driver.InputImpedance(MakeComplex(0, 0), f));
        // What is left above the blocked coil is the mass-controlled motional term BL²/(jωMms).
        EXPECT_NEAR(std::abs(z - blocked), BL * BL / (w * Mms), 0.01 * BL * BL / (w * Mms)) << f;
        EXPECT_LT(std::abs(z - blocked), 0.01 * std::abs(blocked)) << f;
    }
}

TEST(DriverModel, ImpedanceInAClosedBoxMatchesTheMechanicalCircuit) {
    const TDriverObject driver = TestDriver();
    const double vb = 0.02;
    for (double f : {10.0, 47.0, 80.0, 300.0}) {
        const Complex load = ChamberLoad(vb, f);
        const Complex jw(0, 2 * Pi * f);
        const Complex mechanical = Rms + jw * Mms + 1.0 / (jw * Cms) + Sd * Sd * load;
        const Complex expected = Re + jw * Le + BL * BL / mechanical;
        const Complex z = ToStd(driver.InputImpedance(FromStd(load), f));
        EXPECT_LT(std::abs(z - expected), 1e-9 * std::abs(expected)) << f;
    }
}

// Drivers side by side in one chamber: the impedance shown is that of each driver, whose cone
// works against the air spring that all the cones compress together.
TEST(DriverModel, ImpedanceOfEachOfSeveralDriversSharingABox) {
    TDriverObject driver = TestDriver();
    driver.NumDrivers = 3;
    driver.PrepareModel();
    const double vb = 0.05;
    for (double f : {15.0, 60.0, 250.0}) {
        const Complex load = ChamberLoad(vb, f);
        const Complex jw(0, 2 * Pi * f);
        const Complex mechanical = Rms + jw * Mms + 1.0 / (jw * Cms) + 3.0 * Sd * Sd * load;
        const Complex expected = Re + jw * Le + BL * BL / mechanical;
        const Complex z = ToStd(driver.InputImpedance(FromStd(load), f));
        EXPECT_LT(std::abs(z - expected), 1e-9 * std::abs(expected)) << f;
    }
}

TEST(DriverModel, ExcursionAtLowFrequencyIsForceOverTotalStiffness) {
    TDriverObject driver = TestDriver();
    driver.Rs = 0.5;
    driver.PrepareModel();
    const double vb = 0.03;
    const double power = 10;
    // Quasi-static: the DC current drives against the suspension and the air spring in series.
    const double force = BL * std::sqrt(power * (Re + 0.5)) / (Re + 0.5);
    const double stiffness = 1 / Cms + Rho * C * C * Sd * Sd / vb;
    const double f = 0.2;
    const Complex x = ToStd(driver.Excursion(FromStd(ChamberLoad(vb, f)), f, power));
    EXPECT_NEAR(std::abs(x), force / stiffness, force / stiffness * 1e-3);
    // In phase with the force: the cone moves outward with the current.
    EXPECT_NEAR(std::arg(x), 0, 0.02);
}

// Several drivers in one box, side by side or as isobaric pairs: k elements of c coils each
// (c = 2 for a pair, whose two motors push one cone area against two suspensions). The power
// divides equally among all coils, each in series with the source resistance.
struct DriveCase {
    std::int32_t drivers; // NumDrivers: drivers, or pairs when isobaric
    bool isobaric;
};

void PrintTo(const DriveCase& m, std::ostream* os) {
    *os << m.drivers << (m.isobaric ? " isobaric pairs" : " drivers");
}

class DriverDrive : public ::testing::TestWithParam<DriveCase> {};

TEST_P(DriverDrive, ExcursionAtLowFrequencyIsForceOverTotalStiffness) {
    const DriveCase& m = GetParam();
    const double rs = 0.4;
    const double vb = 0.05;
    const double power = 8;
    TDriverObject driver = TestDriver();
    driver.NumDrivers = m.drivers;
    driver.Isobaric = m.isobaric;
    driver.Rs = rs;
    driver.PrepareModel();
    ASSERT_TRUE(driver.ModelReady);

    const double elements = m.drivers;
    const double coils = m.isobaric ? 2 : 1;
    const double current = std::sqrt(power / (elements * coils * (Re + rs)));
    const double force = coils * BL * current;
    // The element's own suspensions, and its share of the air spring of the common chamber.
    const double stiffness = coils / Cms + elements * Rho * C * C * Sd * Sd / vb;
    const double f = 0.2;
    const Complex x = ToStd(driver.Excursion(FromStd(ChamberLoad(vb, f)), f, power));
    EXPECT_NEAR(std::abs(x), force / stiffness, force / stiffness * 1e-3);
}

// Above resonance the cones are mass controlled. At the same total power n drivers side by side
// play 10·log10(n) dB louder than one; an isobaric pair has twice the mass for its one cone
// area and plays 3 dB below a single driver.
TEST_P(DriverDrive, MassControlledLevelFollowsTheMounting) {
    const DriveCase& m = GetParam();
    const TDriverObject single = TestDriver(0);
    TDriverObject mounted = TestDriver(0);
    mounted.NumDrivers = m.drivers;
    mounted.Isobaric = m.isobaric;
    mounted.PrepareModel();
    ASSERT_TRUE(mounted.ModelReady);
    const double coils = m.isobaric ? 2 : 1;
    const double expected = 10 * std::log10(m.drivers / coils);
    EXPECT_NEAR(20 * std::log10((mounted.SplFactor / mounted.Mas) / (single.SplFactor / single.Mas)),
                expected, 1e-9);
    // The force factor and the small-signal parameters describe the same drive.
    TDriverObject smallSignal = mounted;
    smallSignal.Data.BL = 0;
    smallSignal.PrepareModel();
    EXPECT_NEAR(smallSignal.DriveFactor, mounted.DriveFactor, mounted.DriveFactor * 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Mountings, DriverDrive,
                         ::testing::Values(DriveCase{1, false}, DriveCase{3, false}, DriveCase{1, true},
                                           DriveCase{2, true}));

TEST(DriverModel, ExcursionFollowsTheMechanicalCircuitAtEveryFrequency) {
    TDriverObject driver = TestDriver();
    driver.Rs = 0.3;
    driver.PrepareModel();
    const double vb = 0.015;
    for (double f : {5.0, 30.0, 60.0, 200.0, 2000.0}) {
        const Complex load = ChamberLoad(vb, f);
        const Complex expected = ConeVelocity(f, 2, 0.3, load) / Complex(0, 2 * Pi * f);
        const Complex x = ToStd(driver.Excursion(FromStd(load), f, 2));
        EXPECT_LT(std::abs(x - expected), 1e-9 * std::abs(expected)) << f;
    }
}

TEST(DriverModel, ExcursionOfTheFreeConeIsFinite) {
    const TDriverObject driver = TestDriver();
    const Complex expected = ConeVelocity(Fs, 1, 0, 0) / Complex(0, 2 * Pi * Fs);
    const Complex x = ToStd(driver.Excursion(MakeComplex(0, 0), Fs, 1));
    EXPECT_LT(std::abs(x - expected), 1e-9 * std::abs(expected));
}

TEST(DriverModel, LoadedResponseDividesTheSourceBetweenDriverAndLoad) {
    const TDriverObject driver = TestDriver();
    const double vb = 0.02;
    const double gain = 3.5;
    for (double f : {20.0, 50.0, 500.0}) {
        const Complex jw(0, 2 * Pi * f);
        const Complex load = ChamberLoad(vb, f);
        // Electrical side seen from the acoustic circuit: BL²/(Sd²·(Re + jωLe)).
        const Complex coil = BL * BL / (Sd * Sd * (Re + jw * Le));
        const Complex series = coil + Rms / (Sd * Sd) + jw * Mms / (Sd * Sd) + 1.0 / (jw * Cms * Sd * Sd);
        const Complex expected = gain * coil * load / (series + load);
        const Complex response = ToStd(driver.LoadedResponse(FromStd(load), f, gain));
        EXPECT_LT(std::abs(response - expected), 1e-9 * std::abs(expected)) << f;
    }
}

TEST(DriverModel, PressureScaleGivesTheReferenceEfficiencyLevel) {
    const TDriverObject driver = TestDriver(0);
    // Above resonance the cone is mass controlled: the source pressure per sqrt(W) over the
    // acoustic mass is the volume acceleration, and SplFactor carries it to the level at 1 m in
    // half space. That must be the level of the reference efficiency η0 at 1 W.
    const double eta0 = 4 * Pi * Pi * Fs * Fs * Fs * Vas / (C * C * C * Qes);
    const double referenceSpl = 10 * std::log10(Rho * C * eta0 / (2 * Pi * 2e-5 * 2e-5));
    EXPECT_NEAR(20 * std::log10(driver.SplFactor / driver.Mas), referenceSpl, 1e-9);
    EXPECT_NEAR(20 * std::log10(driver.SplOverRae / driver.MasOverRae), referenceSpl, 1e-9);
    // Without a motor the same level follows from the small-signal parameters alone.
    TDriverObject smallSignal = TestDriver(0);
    smallSignal.Data.BL = 0;
    smallSignal.PrepareModel();
    EXPECT_NEAR(20 * std::log10(smallSignal.SplFactor / smallSignal.Mas), referenceSpl, 1e-9);
}

TEST(DriverModel, OnlyTotalQKnownSplitsItEvenly) {
    TDriverObject driver;
    driver.Data.Fs = 40;
    driver.Data.Qts = 0.4;
    driver.Data.Vas = 0.06;
    driver.rho = Rho;
    driver.c = C;
    driver.PrepareModel();
    ASSERT_TRUE(driver.ModelReady);
    EXPECT_NEAR(driver.QesTotal, 0.8, 1e-12);
    EXPECT_NEAR(driver.QmsTotal, 0.8, 1e-12);
    EXPECT_NEAR(driver.QtsTotal, 0.4, 1e-12);
    EXPECT_FALSE(driver.CouplingKnown); // neither BL nor Re
    EXPECT_FALSE(driver.MassAdded);     // no cone area
    // Without a motor the drive comes from the Q alone: the square of the pressure scale is Rae.
    EXPECT_NEAR(driver.DriveFactor * driver.DriveFactor, driver.Rae, driver.Rae * 1e-12);
}

struct BrokenCase {
    const char* what;
    void (*spoil)(TDriverObject&);
};

void PrintTo(const BrokenCase& b, std::ostream* os) {
    *os << b.what;
}

class UnusableDriver : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(UnusableDriver, LeavesTheModelNotReadyAndNothingNonFinite) {
    TDriverObject driver = TestDriver();
    ASSERT_TRUE(driver.ModelReady);
    GetParam().spoil(driver);
    driver.PrepareModel();
    EXPECT_FALSE(driver.ModelReady);
    EXPECT_FALSE(driver.CouplingKnown);
    for (double value : {driver.Cas, driver.Mas, driver.Ras, driver.Rae, driver.Cae, driver.MasOverRae,
                         driver.DriveOverRae, driver.SplOverRae, driver.VasTotal, driver.QtsTotal,
                         driver.QesTotal, driver.QmsTotal, driver.FsTotal, driver.SdTotal}) {
        EXPECT_TRUE(std::isfinite(value));
    }
    const TComplex load = FromStd(ChamberLoad(0.02, 50));
    for (TComplex z : {driver.LoadedResponse(load, 50, 1), driver.InputImpedance(load, 50),
                       driver.Excursion(load, 50, 1)}) {
        EXPECT_EQ(z.re, 0);
        EXPECT_EQ(z.im, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, UnusableDriver,
    ::testing::Values(BrokenCase{"no resonance", [](TDriverObject& d) { d.Data.Fs = 0; }},
                      BrokenCase{"no compliance volume", [](TDriverObject& d) { d.Data.Vas = 0; }},
                      BrokenCase{"no Q at all",
                                 [](TDriverObject& d) { d.Data.Qes = d.Data.Qms = d.Data.Qts = 0; }},
                      BrokenCase{"no air density", [](TDriverObject& d) { d.rho = 0; }},
                      BrokenCase{"no speed of sound", [](TDriverObject& d) { d.c = 0; }},
                      BrokenCase{"no drivers", [](TDriverObject& d) { d.NumDrivers = 0; }},
                      BrokenCase{"not a number", [](TDriverObject& d) { d.Data.Fs = std::nan(""); }}));

TEST(DriverModel, MissingAirStillGivesTheMountedTotals) {
    TDriverObject driver = TestDriver();
    driver.NumDrivers = 2;
    driver.Rs = 0.6;
    driver.rho = 0;
    driver.PrepareModel();
    EXPECT_FALSE(driver.ModelReady);
    EXPECT_DOUBLE_EQ(driver.VasTotal, 2 * Vas);
    EXPECT_DOUBLE_EQ(driver.SdTotal, 2 * Sd);
    EXPECT_NEAR(driver.QesTotal, 1.1 * Qes, 1e-12);
}

// A driver without what the circuit needs gets no circuit, and the model finds that out before it
// divides: with the floating-point traps armed, a division by zero or an invalid operation ends
// the test program.
TEST(DriverModel, ADriverWithoutWhatTheCircuitNeedsGetsNoneAndDividesByNothing) {
    const struct {
        const char* name;
        void (*change)(TDriverData&);
    } rows[] = {
        {"Fs 0", [](TDriverData& d) { d.Fs = 0; }},
        {"Vas 0", [](TDriverData& d) { d.Vas = 0; }},
        {"Qts alone", [](TDriverData& d) { d = TDriverData{}; d.Qts = 0.4; }},
        {"nothing", [](TDriverData& d) { d = TDriverData{}; }},
        {"Qes 0 and Qts 0", [](TDriverData& d) { d.Qes = 0; d.Qts = 0; }},
        {"negative Vas", [](TDriverData& d) { d.Vas = -0.05; }},
        {"infinite Fs", [](TDriverData& d) { d.Fs = HUGE_VAL; }},
    };
    for (const auto& row : rows) {
        TDriverObject driver = TestDriver();
        row.change(driver.Data);
        ::feclearexcept(FE_ALL_EXCEPT);
        ::feenableexcept(FE_DIVBYZERO | FE_INVALID);
        driver.PrepareModel();
        ::fedisableexcept(FE_ALL_EXCEPT);
        EXPECT_FALSE(driver.ModelReady) << row.name;
        EXPECT_EQ(driver.Rae, 0) << row.name;
        EXPECT_EQ(driver.Cas, 0) << row.name;
    }
    // The complete driver still gets its circuit with the traps armed.
    TDriverObject complete = TestDriver();
    ::feenableexcept(FE_DIVBYZERO | FE_INVALID);
    complete.PrepareModel();
    ::fedisableexcept(FE_ALL_EXCEPT);
    EXPECT_TRUE(complete.ModelReady);
}

} // namespace
