#include "simulation/boxmath_passiveradiator.h"

#include "tests/simulation/bandpass_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

using namespace boxtest;

namespace {

Caller Radiator() {
    return Caller{&PassiveRadiator_Func, PassiveRadiatorBox()};
}

// The radiators' own resonance with the added mass, from their mechanical values:
// Cms = Vas/(rho·c²·Sd²), Mmd = 1/((2π·Fs)²·Cms), f = 1/(2π·sqrt(Cms·(Mmd + Me))).
double RadiatorResonance(const TPassiveRadiatorData& radiator) {
    const double Cms = radiator.Vas / (RhoC2() * radiator.Sd * radiator.Sd);
    const double Mmd = 1 / ((2 * Pi * radiator.Fs) * (2 * Pi * radiator.Fs) * Cms);
    return 1 / (2 * Pi * std::sqrt(Cms * (Mmd + radiator.Me)));
}

TEST(PassiveRadiator, DispatchHandsOutTheCurveFunction) {
    EXPECT_EQ(BoxMath_GetFunc(btPassiveRadiator), &PassiveRadiator_Func);
}

// Report 2, the radiators' resonance, comes first, then report 1, the system tuning: the
// radiators' mass against their compliance in parallel with the box's,
// f·sqrt(1 + Npr·Vas/Vr).
TEST(PassiveRadiator, ReportsRadiatorResonanceThenTuning) {
    struct Row {
        std::int32_t count;
        double Me;
    };
    for (const Row& row : {Row{1, 0}, Row{2, 0}, Row{3, 0}, Row{1, 0.05}, Row{2, 0.2}}) {
        SCOPED_TRACE(std::to_string(row.count) + " radiators, Me " + std::to_string(row.Me));
        Caller c = Radiator();
        c.box.Npr = row.count;
        c.box.PassiveRadiator.Me = row.Me;
        EXPECT_TRUE(IsZero(c.SetUp(ckTransfer)));

        const TPassiveRadiatorData& radiator = c.box.PassiveRadiator;
        const double resonance = RadiatorResonance(radiator);
        const double tuning = resonance * std::sqrt(1 + row.count * radiator.Vas / c.box.Vr);
        ASSERT_EQ(c.reports.size(), 2u);
        EXPECT_EQ(c.reports[0].first, rcRadiatorResonance);
        EXPECT_NEAR(c.reports[0].second, resonance, resonance * 1e-9);
        EXPECT_EQ(c.reports[1].first, rcFc);
        EXPECT_NEAR(c.reports[1].second, tuning, tuning * 1e-9);
        // The box air stiffens the radiators: the tuning lies above their own resonance, so the
        // notch of the output sits below the tuning.
        EXPECT_GT(c.reports[1].second, c.reports[0].second);
        if (row.Me == 0) {
            EXPECT_NEAR(c.reports[0].second, radiator.Fs, radiator.Fs * 1e-12);
        }
    }
}

TEST(PassiveRadiator, MissingVolumeAnswersZeroForEveryKindAndReportsNothing) {
    for (double volume : {0.0, -0.05}) {
        for (TCurveKind kind : AllSetUpKinds) {
            SCOPED_TRACE(int(kind));
            Caller c = Radiator();
            c.SetUp(kind);
            c.box.Vr = volume;
            c.reports.clear();
            EXPECT_TRUE(IsZero(c.SetUp(kind)));
            EXPECT_TRUE(c.reports.empty());
            for (double f : {10.0, 27.5, 300.0})
                EXPECT_TRUE(IsZero(c.At(f)));
        }
    }
}

TEST(PassiveRadiator, RadiatorThatDoesNotExistLeavesTheCurveEmpty) {
    struct Row {
        const char* name;
        void (*spoil)(Caller&);
    };
    const Row rows[] = {
        {"no radiators", [](Caller& c) { c.box.Npr = 0; }},
        {"negative radiator count", [](Caller& c) { c.box.Npr = -2; }},
        {"radiator Vas 0", [](Caller& c) { c.box.PassiveRadiator.Vas = 0; }},
        {"radiator Fs 0", [](Caller& c) { c.box.PassiveRadiator.Fs = 0; }},
        {"radiator Qms 0", [](Caller& c) { c.box.PassiveRadiator.Qms = 0; }},
        {"radiator Sd 0", [](Caller& c) { c.box.PassiveRadiator.Sd = 0; }},
        {"radiator Sd negative", [](Caller& c) { c.box.PassiveRadiator.Sd = -0.05; }},
        {"radiator Fs NaN",
         [](Caller& c) { c.box.PassiveRadiator.Fs = std::numeric_limits<double>::quiet_NaN(); }},
        {"added mass that leaves no mass", [](Caller& c) { c.box.PassiveRadiator.Me = -1; }},
        {"no drivers", [](Caller& c) { c.box.Nd = 0; }},
        {"driver without Vas", [](Caller& c) { c.driver.Data.Vas = 0; }},
        {"driver without Fs", [](Caller& c) { c.driver.Data.Fs = 0; }},
        {"leakage 0", [](Caller& c) { c.box.Qlr = 0; }},
        {"absorption 0", [](Caller& c) { c.box.Qar = 0; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Caller c = Radiator();
        row.spoil(c);
        ExpectNoCurveOfAnyKind(c, {5.0, 27.5, 2000.0}, ReportsOfNoCircuit::None);
    }
}

TEST(PassiveRadiator, AnswersItsKindsOnly) {
    ExpectAnswersExactly(Radiator(),
                         {ckTransfer, ckPRTransfer, ckExcursion, ckPRExcursion, ckImpedance, ckMaxPower,
                          ckGroupDelay, ckSPL, ckMaxSPL},
                         {10.0, 40.0, 150.0});
}

// Like a vented box: the cone stands still at the system tuning, and at the radiators' own
// resonance their branch shorts the box and the output has a notch.
TEST(PassiveRadiator, ConeRestsAtTheTuningAndOutputNotchesAtTheRadiatorResonance) {
    Caller c = Radiator();
    MakeLossless(c.box);
    c.box.PassiveRadiator.Qms = Lossless;
    c.box.PassiveRadiator.Me = 0.03;
    c.SetUp(ckExcursion);
    ASSERT_EQ(c.reports.size(), 2u);
    const double resonance = c.reports[0].second;
    const double tuning = c.reports[1].second;
    EXPECT_LT(ComplexAbs(c.At(tuning)), 1e-4 * ComplexAbs(c.At(tuning * 1.2)));
    EXPECT_LT(ComplexAbs(c.At(tuning)), 1e-4 * ComplexAbs(c.At(tuning / 1.2)));

    c.SetUp(ckTransfer);
    EXPECT_LT(ComplexAbs(c.At(resonance)), 1e-4 * ComplexAbs(c.At(resonance * 1.2)));
    EXPECT_LT(ComplexAbs(c.At(resonance)), 1e-4 * ComplexAbs(c.At(resonance / 1.2)));
}

// Below the notch the radiators are a compliance, not a port: the output falls at 12 dB per
// octave, not at a vented box's 24. A leak vents the box and steepens it to 18.
TEST(PassiveRadiator, LowerSlopeIsSecondOrderUnlessTheBoxLeaks) {
    struct Row {
        double leakage;
        double slope;
    };
    for (const Row& row : {Row{Lossless, 12.04}, Row{0.1, 18.06}}) {
        Caller c = Radiator();
        MakeLossless(c.box);
        c.box.PassiveRadiator.Qms = Lossless;
        c.box.Qlr = row.leakage;
        c.SetUp(ckTransfer);
        EXPECT_NEAR(Db(ComplexAbs(c.At(0.01)) / ComplexAbs(c.At(0.005))), row.slope, 0.2) << row.leakage;
    }
}

// Far below every resonance the air the cone moves divides between the box and the radiators
// as their compliances: radiator volume displacement = cone displacement · Cap/(Cab + Cap),
// with Cap/Cab = Npr·Vas/Vr.
TEST(PassiveRadiator, RadiatorTakesItsComplianceShareAtLowFrequencies) {
    for (std::int32_t count : {1, 2}) {
        Caller c = Radiator();
        MakeLossless(c.box);
        c.box.PassiveRadiator.Qms = Lossless;
        c.box.Npr = count;
        const TPassiveRadiatorData& radiator = c.box.PassiveRadiator;
        const double f = radiator.Fs / 40;
        const double cone = c.Magnitude(ckExcursion, f) * c.driver.Data.Sd;
        const double moved = c.Magnitude(ckPRExcursion, f) * count * radiator.Sd;
        const double share = count * radiator.Vas / c.box.Vr;
        EXPECT_NEAR(moved / cone, share / (1 + share), 1e-3) << count;
    }
}

// Radiator excursion grows with the square root of the power, and the radiator's Xmax is the
// third limit of the maximum power: it binds near the tuning where the radiators move most.
TEST(PassiveRadiator, RadiatorXmaxLimitsTheMaximumPower) {
    Caller c = Radiator();
    c.SetUp(ckTransfer);
    const double tuning = c.reports.at(1).second;

    const double atOneWatt = c.Magnitude(ckPRExcursion, tuning);
    c.point.P = 9;
    EXPECT_NEAR(c.Magnitude(ckPRExcursion, tuning), 3 * atOneWatt, 3 * atOneWatt * 1e-12);
    c.point.P = 1;

    c.box.PassiveRadiator.Xmax = 1;
    const double free = c.Value(ckMaxPower, tuning).re;
    c.box.PassiveRadiator.Xmax = 0.001;
    const double limited = c.Value(ckMaxPower, tuning).re;
    const double expected = std::pow(0.001 / (std::sqrt(2.0) * atOneWatt), 2);
    EXPECT_LT(limited, free);
    EXPECT_NEAR(limited, expected, expected * 1e-9);

    // Far above the tuning nothing moves far and the thermal rating rules.
    EXPECT_EQ(c.Value(ckMaxPower, 2000).re, c.driver.Data.Pe);
}

// Two radiators are one radiator of twice the area, compliance volume and added mass.
TEST(PassiveRadiator, TwoRadiatorsActAsOneOfDoubleSize) {
    Caller two = Radiator();
    two.box.Npr = 2;
    two.box.PassiveRadiator.Me = 0.04;
    Caller one = Radiator();
    one.box.PassiveRadiator.Vas *= 2;
    one.box.PassiveRadiator.Sd *= 2;
    one.box.PassiveRadiator.Me = 0.08;
    for (TCurveKind kind : {ckTransfer, ckPRTransfer, ckPRExcursion, ckExcursion}) {
        for (double f : {12.0, 25.0, 60.0}) {
            const TComplex a = two.Value(kind, f);
            const TComplex b = one.Value(kind, f);
            EXPECT_NEAR(ComplexAbs(ComplexSub(a, b)), 0.0, 1e-9 * ComplexAbs(b)) << int(kind) << " at " << f;
        }
    }
}

// A radiator that hardly yields, by stiffness or by mass, leaves a closed box. Its absorption
// and leak are scaled by the radiator's impedance, so the comparison is made with negligible
// losses in both boxes.
TEST(PassiveRadiator, StiffOrHeavyRadiatorDegeneratesToAClosedBox) {
    struct Row {
        const char* name;
        double Vas;
        double Me;
        double lowest;
    };
    for (const Row& row : {Row{"stiff", 1e-9, 0, 10}, Row{"heavy", 0.08, 1e5, 20}}) {
        SCOPED_TRACE(row.name);
        Caller radiator = Radiator();
        radiator.box.Qlr = radiator.box.Qar = 1e30;
        radiator.box.PassiveRadiator.Vas = row.Vas;
        radiator.box.PassiveRadiator.Me = row.Me;
        Caller closed{&ClosedBox_Func, radiator.box};
        closed.box.BType = btClosed;
        for (TCurveKind kind : {ckTransfer, ckExcursion, ckImpedance}) {
            for (double f : {row.lowest, 50.0, 200.0}) {
                const TComplex a = radiator.Value(kind, f);
                const TComplex b = closed.Value(kind, f);
                ASSERT_FALSE(IsZero(b));
                EXPECT_NEAR(ComplexAbs(ComplexSub(a, b)), 0.0, 1e-3 * ComplexAbs(b))
                    << int(kind) << " at " << f;
            }
        }
    }
}

// Off the axis the cone's output falls by the piston directivity 2·J1(ka·sin θ)/(ka·sin θ);
// the radiator's own transfer carries no such factor.
TEST(PassiveRadiator, OffAxisResponseFollowsThePistonDirectivity) {
    Caller straight = Radiator();
    Caller aside = Radiator();
    aside.box.Angle = Pi / 3;
    for (double f : {300.0, 1500.0}) {
        const double ka = 2 * Pi * f / SoundSpeed() * std::sqrt(straight.driver.Data.Sd / Pi);
        const double x = ka * std::sin(aside.box.Angle);
        const double factor = 2 * std::cyl_bessel_j(1.0, x) / x;
        for (TCurveKind kind : {ckTransfer, ckSPL, ckMaxSPL}) {
            const double ratio = aside.Magnitude(kind, f) / straight.Magnitude(kind, f);
            EXPECT_NEAR(ratio, std::abs(factor), 1e-6) << int(kind) << " at " << f;
        }
        EXPECT_EQ(aside.Magnitude(ckPRTransfer, f), straight.Magnitude(ckPRTransfer, f));
    }
}

TEST(PassiveRadiator, CallersDoNotDisturbEachOther) {
    Caller first = Radiator();
    Caller second = Radiator();
    second.box.PassiveRadiator.Me = 0.1;
    const double alone = first.Magnitude(ckPRExcursion, 20);
    first.SetUp(ckPRExcursion);
    second.SetUp(ckPRExcursion);
    EXPECT_NE(ComplexAbs(second.At(20)), alone);
    EXPECT_EQ(ComplexAbs(first.At(20)), alone);
}

} // namespace
