#include "simulation/boxmath_bandpass4.h"
#include "simulation/boxmath_bandpass6a.h"
#include "simulation/boxmath_passiveradiator.h"

#include "tests/simulation/bandpass_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

using namespace boxtest;

namespace {

Caller Bandpass4() {
    return Caller{&Bandpass4_Func, Bandpass4Box()};
}

TEST(Bandpass4, DispatchHandsOutTheCurveFunction) {
    EXPECT_EQ(BoxMath_GetFunc(btBandpass4), &Bandpass4_Func);
}

TEST(Bandpass4, SetUpCallAnswersZero) {
    Caller c = Bandpass4();
    EXPECT_TRUE(IsZero(c.SetUp(ckTransfer)));
}

// The driver's resonance in the sealed rear chamber: its compliance in series with the
// chamber's, Fs·sqrt(1 + Vas/Vr) for the drivers as mounted, and the mass ratio when a mass is
// added to the cones. Losses play no part.
TEST(Bandpass4, ReportsTheResonanceInTheSealedChamberOnly) {
    struct Row {
        const char* name;
        std::int32_t Nd;
        bool isobaric;
        double Med;
        double Qlr;
    };
    const Row rows[] = {
        {"one driver", 1, false, 0, 10},    {"lossless", 1, false, 0, Lossless},
        {"two drivers", 2, false, 0, 10},   {"isobaric pair", 2, true, 0, 10},
        {"added mass", 1, false, 0.02, 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Caller c = Bandpass4();
        c.box.Nd = row.Nd;
        c.box.Isobarik = row.isobaric;
        c.box.Med = row.Med;
        c.box.Qlr = row.Qlr;
        c.SetUp(ckTransfer);

        const TDriverData& d = c.driver.Data;
        const double vasMounted = d.Vas * row.Nd / (row.isobaric ? 2 : 1);
        // Mass added to a cone lowers its resonance by sqrt(Mms/(Mms + Med)); Mms from the
        // suspension compliance Cms = Vas/(rho·c²·Sd²).
        const double Cms = d.Vas / (RhoC2() * d.Sd * d.Sd);
        const double Mms = 1 / ((2 * Pi * d.Fs) * (2 * Pi * d.Fs) * Cms);
        const double fsLoaded = d.Fs * std::sqrt(Mms / (Mms + row.Med));
        const double expected = fsLoaded * std::sqrt(1 + vasMounted / c.box.Vr);

        ASSERT_EQ(c.reports.size(), 1u);
        EXPECT_EQ(c.reports[0].first, rcFc);
        EXPECT_NEAR(c.reports[0].second, expected, expected * 1e-9);
    }
}

// Evaluations send nothing; only set-up calls report.
TEST(Bandpass4, EvaluationsReportNothing) {
    Caller c = Bandpass4();
    c.SetUp(ckExcursion);
    c.reports.clear();
    c.At(40);
    c.At(80);
    EXPECT_TRUE(c.reports.empty());
}

TEST(Bandpass4, MissingVolumeOrTuningAnswersZeroForEveryKindAndReportsNothing) {
    struct Row {
        const char* name;
        double TBoxData::*field;
        double value;
    };
    const Row rows[] = {
        {"rear volume 0", &TBoxData::Vr, 0},
        {"front volume 0", &TBoxData::Vf, 0},
        {"front tuning 0", &TBoxData::Ff, 0},
        {"negative rear volume", &TBoxData::Vr, -0.01},
        {"negative front tuning", &TBoxData::Ff, -50},
        {"front tuning NaN", &TBoxData::Ff, std::numeric_limits<double>::quiet_NaN()},
    };
    for (const Row& row : rows) {
        for (TCurveKind kind : AllSetUpKinds) {
            SCOPED_TRACE(std::string(row.name) + ", kind " + std::to_string(int(kind)));
            Caller c = Bandpass4();
            // A curve set up before must not shine through once the box loses its dimensions.
            c.SetUp(kind);
            c.box.*row.field = row.value;
            c.reports.clear();
            EXPECT_TRUE(IsZero(c.SetUp(kind)));
            EXPECT_TRUE(c.reports.empty());
            for (double f : {10.0, 58.9, 300.0})
                EXPECT_TRUE(IsZero(c.At(f)));
        }
    }
}

// Values for which the circuit does not exist leave the curve empty; nothing that is not finite
// is ever answered or reported.
TEST(Bandpass4, CircuitThatDoesNotExistLeavesTheCurveEmpty) {
    struct Row {
        const char* name;
        void (*spoil)(Caller&);
    };
    const Row rows[] = {
        {"no drivers", [](Caller& c) { c.box.Nd = 0; }},
        {"negative driver count", [](Caller& c) { c.box.Nd = -3; }},
        {"driver without Vas (no Cas)", [](Caller& c) { c.driver.Data.Vas = 0; }},
        {"driver without Fs (no Mas)", [](Caller& c) { c.driver.Data.Fs = 0; }},
        {"driver without any Q",
         [](Caller& c) { c.driver.Data.Qes = c.driver.Data.Qms = c.driver.Data.Qts = 0; }},
        {"leak between chambers 0", [](Caller& c) { c.box.Qiclfr = 0; }},
        {"rear leakage 0", [](Caller& c) { c.box.Qlr = 0; }},
        {"front absorption 0", [](Caller& c) { c.box.Qaf = 0; }},
        {"front port loss negative", [](Caller& c) { c.box.Qpf = -5; }},
        {"rear absorption infinite", [](Caller& c) { c.box.Qar = std::numeric_limits<double>::infinity(); }},
        {"front volume infinite", [](Caller& c) { c.box.Vf = std::numeric_limits<double>::infinity(); }},
        {"no air pressure", [](Caller& c) { c.box.p = 0; }},
        {"temperature NaN", [](Caller& c) { c.box.T = std::numeric_limits<double>::quiet_NaN(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Caller c = Bandpass4();
        row.spoil(c);
        ExpectNoCurveOfAnyKind(c, {5.0, 58.9, 2000.0}, ReportsOfNoCircuit::OnlyFinite);
    }
}

// Frequencies at which no curve exists answer 0 even for a sound box.
TEST(Bandpass4, FrequencyNotPositiveAnswersZero) {
    Caller c = Bandpass4();
    c.SetUp(ckImpedance);
    for (double f : {0.0, -10.0, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_TRUE(IsZero(c.At(f)));
    EXPECT_FALSE(IsZero(c.At(10)));
}

TEST(Bandpass4, AnswersItsKindsOnly) {
    ExpectAnswersExactly(Bandpass4(),
                         {ckTransfer, ckFrontPortGain, ckFrontPortVelocity, ckExcursion, ckImpedance,
                          ckMaxPower, ckGroupDelay, ckSPL, ckMaxSPL},
                         {20.0, 58.9, 150.0});
}

// The default alignment with negligible losses: a passband with 0 dB gain centred on the front
// tuning, geometrically symmetric about it, with second-order slopes on both sides.
TEST(Bandpass4, IsBandpassShaped) {
    Caller c = Bandpass4();
    MakeLossless(c.box);
    c.SetUp(ckTransfer);
    const double center = c.box.Ff;

    double peak = 0;
    double peakFrequency = 0;
    for (double f : Sweep(center / 8, center * 8, 801)) {
        const double magnitude = ComplexAbs(c.At(f));
        if (magnitude > peak) {
            peak = magnitude;
            peakFrequency = f;
        }
    }
    EXPECT_NEAR(Db(peak), 0.0, 0.1);
    EXPECT_GT(peakFrequency, center / 1.3);
    EXPECT_LT(peakFrequency, center * 1.3);
    EXPECT_NEAR(Db(ComplexAbs(c.At(center))), 0.0, 0.1);

    for (double k : {1.5, 2.0, 4.0})
        EXPECT_NEAR(Db(ComplexAbs(c.At(center * k))), Db(ComplexAbs(c.At(center / k))), 0.05) << k;

    // 12 dB per octave far below and far above the band.
    const double below = Db(ComplexAbs(c.At(center / 32)) / ComplexAbs(c.At(center / 64)));
    const double above = Db(ComplexAbs(c.At(center * 32)) / ComplexAbs(c.At(center * 64)));
    EXPECT_NEAR(below, 12.04, 0.1);
    EXPECT_NEAR(above, 12.04, 0.1);
}

// A leak through the front chamber passes high frequencies around the port's mass: the top
// slope flattens towards 6 dB per octave.
TEST(Bandpass4, FrontLeakFlattensTheUpperSlope) {
    Caller c = Bandpass4();
    MakeLossless(c.box);
    c.box.Qlf = 1;
    c.SetUp(ckTransfer);
    const double center = c.box.Ff;
    EXPECT_NEAR(Db(ComplexAbs(c.At(center * 512)) / ComplexAbs(c.At(center * 1024))), 6.02, 0.2);
}

// A leaky rear chamber lets air in where the cone draws it out: at low frequencies that inflow
// cancels what the port pushes out, and the lower slope steepens from 12 to 18 dB per octave.
TEST(Bandpass4, RearLeakSteepensTheLowerSlope) {
    for (double leakage : {1.0, 0.1}) {
        Caller c = Bandpass4();
        MakeLossless(c.box);
        c.box.Qlr = leakage;
        c.SetUp(ckTransfer);
        const double center = c.box.Ff;
        EXPECT_NEAR(Db(ComplexAbs(c.At(center / 512)) / ComplexAbs(c.At(center / 1024))), 18.06, 0.2)
            << leakage;
    }
}

// At the front chamber's Helmholtz resonance the chamber blocks the cone, and the port carries
// the flow the source pressure drives through its mass: |U| = ps·ωf·Cabf, with
// ps = BL·sqrt(P/Re)/Sd. The port's velocity is that volume velocity over its area.
TEST(Bandpass4, PortCarriesTheSourceFlowAtTheTuning) {
    for (double area : {0.002, 0.02}) {
        for (double power : {1.0, 10.0}) {
            SCOPED_TRACE(std::to_string(area) + " m², " + std::to_string(power) + " W");
            Caller c = Bandpass4();
            MakeLossless(c.box);
            c.box.Sdfport = area;
            c.point.P = power;
            const TDriverData& d = c.driver.Data;
            const double ff = c.box.Ff;
            const double sourcePressure = d.BL * std::sqrt(power / d.Re) / d.Sd;
            const double portFlow = sourcePressure * 2 * Pi * ff * c.box.Vf / RhoC2();

            const double velocity = c.Magnitude(ckFrontPortVelocity, ff);
            EXPECT_NEAR(velocity * area, portFlow, portFlow * 1e-4);

            // The cone stands still there.
            const double excursion = c.Magnitude(ckExcursion, ff);
            EXPECT_LT(excursion, 1e-4 * c.Magnitude(ckExcursion, ff / 1.5));
        }
    }
}

// Away from the tuning too, velocity times area is the same volume velocity for any port.
TEST(Bandpass4, PortVelocityIsVolumeVelocityOverArea) {
    for (double f : {20.0, 45.0, 120.0}) {
        Caller narrow = Bandpass4();
        narrow.box.Sdfport = 0.001;
        Caller wide = Bandpass4();
        wide.box.Sdfport = 0.01;
        const double a = narrow.Magnitude(ckFrontPortVelocity, f) * 0.001;
        const double b = wide.Magnitude(ckFrontPortVelocity, f) * 0.01;
        EXPECT_NEAR(a, b, b * 1e-12) << f;
    }
}

// A port area that does not exist empties only the velocity curve.
TEST(Bandpass4, PortAreaNotPositiveEmptiesOnlyTheVelocity) {
    for (double area : {0.0, -0.01}) {
        Caller c = Bandpass4();
        c.box.Sdfport = area;
        EXPECT_TRUE(IsZero(c.Value(ckFrontPortVelocity, 58.9)));
        EXPECT_FALSE(IsZero(c.Value(ckFrontPortGain, 58.9)));
        EXPECT_FALSE(IsZero(c.Value(ckTransfer, 58.9)));
    }
}

// Without losses all sound leaves through the port: the box's transfer is the port's gain.
// With a leaky front chamber the leak radiates too and the two part.
TEST(Bandpass4, RadiatesThroughThePortOnly) {
    Caller c = Bandpass4();
    MakeLossless(c.box);
    for (double f : {15.0, 40.0, 58.9, 90.0, 400.0}) {
        const TComplex transfer = c.Value(ckTransfer, f);
        const TComplex port = c.Value(ckFrontPortGain, f);
        EXPECT_NEAR(ComplexAbs(ComplexSub(transfer, port)), 0.0, 1e-6 * ComplexAbs(port)) << f;
    }
    Caller leaky = Bandpass4();
    leaky.box.Qlf = 2;
    const TComplex transfer = leaky.Value(ckTransfer, 400);
    const TComplex port = leaky.Value(ckFrontPortGain, 400);
    EXPECT_GT(ComplexAbs(ComplexSub(transfer, port)), 0.1 * ComplexAbs(port));
}

// A leak that shorts the two chambers leaves the driver in free air: its impedance peaks at Fs.
TEST(Bandpass4, ChamberLeakShortsTheDriver) {
    Caller c = Bandpass4();
    c.box.Qiclfr = 1e-6;
    c.SetUp(ckImpedance);
    double peak = 0;
    double peakFrequency = 0;
    for (double f : Sweep(10, 100, 2001)) {
        const double magnitude = ComplexAbs(c.At(f));
        if (magnitude > peak) {
            peak = magnitude;
            peakFrequency = f;
        }
    }
    EXPECT_NEAR(peakFrequency, c.driver.Data.Fs, 0.01 * c.driver.Data.Fs);
    EXPECT_LT(c.Magnitude(ckTransfer, c.box.Ff), 1e-3);
}

// Far field of a piston whose volume velocity U radiates into half space: p = rho·ω·|U|/(2π·r)
// at r = 1 m. The transfer is ω·|U|·Mms/(Sd·F) with F = BL·sqrt(P/Re), so SPL over transfer is
// rho·Sd·BL·sqrt(P/Re)/(2π·Mms) against 20 µPa.
TEST(Bandpass4, SoundPressureFollowsFromTheTransfer) {
    Caller c = Bandpass4();
    c.point.P = 2;
    const TDriverData& d = c.driver.Data;
    const double Cms = d.Vas / (RhoC2() * d.Sd * d.Sd);
    const double Mms = 1 / ((2 * Pi * d.Fs) * (2 * Pi * d.Fs) * Cms);
    const double ratio = Rho() * d.Sd * d.BL * std::sqrt(c.point.P / d.Re) / (2 * Pi * Mms) / 2e-5;
    for (double f : {30.0, 58.9, 200.0}) {
        const double spl = c.Magnitude(ckSPL, f);
        const double transfer = c.Magnitude(ckTransfer, f);
        EXPECT_NEAR(spl / transfer, ratio, ratio * 1e-9) << f;
    }
}

// Maximum SPL is the SPL at the maximum power, which never exceeds the thermal rating.
TEST(Bandpass4, MaximumSplIsTheSplAtMaximumPower) {
    Caller c = Bandpass4();
    for (double f : {20.0, 58.9, 150.0}) {
        const double power = c.Value(ckMaxPower, f).re;
        EXPECT_GT(power, 0.0);
        EXPECT_LE(power, c.driver.Data.Pe);
        const double maxSpl = c.Magnitude(ckMaxSPL, f);
        c.point.P = power;
        EXPECT_NEAR(c.Magnitude(ckSPL, f), maxSpl, maxSpl * 1e-9) << f;
        c.point.P = 1;
    }
}

// The group delay is the slope of the transfer's phase, computed here by a wide difference.
TEST(Bandpass4, GroupDelayIsThePhaseSlope) {
    Caller c = Bandpass4();
    for (double f : {30.0, 58.9, 120.0}) {
        const double step = f * 1e-4;
        c.SetUp(ckTransfer);
        const double phaseUp = ComplexArg(c.At(f + step));
        const double phaseDown = ComplexArg(c.At(f - step));
        const double expected = -(phaseUp - phaseDown) / (2 * Pi * 2 * step);
        const double delay = c.Value(ckGroupDelay, f).re;
        EXPECT_NEAR(delay, expected, std::abs(expected) * 1e-3) << f;
    }
}

// The bandpass has no directivity factor: only the ports and leaks radiate.
TEST(Bandpass4, AngleChangesNothing) {
    Caller straight = Bandpass4();
    Caller aside = Bandpass4();
    aside.box.Angle = Pi / 2;
    for (TCurveKind kind : {ckTransfer, ckSPL}) {
        const TComplex a = straight.Value(kind, 500);
        const TComplex b = aside.Value(kind, 500);
        EXPECT_EQ(a.re, b.re);
        EXPECT_EQ(a.im, b.im);
    }
}

// Each caller keeps its own curve: interleaving two projects changes neither.
TEST(Bandpass4, CallersDoNotDisturbEachOther) {
    Caller first = Bandpass4();
    Caller second = Bandpass4();
    second.box.Vf *= 2;
    second.box.Ff *= 0.7;
    const double alone = first.Magnitude(ckFrontPortGain, 50);

    first.SetUp(ckFrontPortGain);
    second.SetUp(ckExcursion);
    const double interleaved = ComplexAbs(first.At(50));
    EXPECT_EQ(interleaved, alone);
    EXPECT_NE(ComplexAbs(second.At(50)), alone);

    // A state set up for this box answers nothing through another box's function.
    TComplex out = MakeComplex(1, 1);
    first.point.f = 50;
    Bandpass6_Func(ckEvaluate, first.point, Bandpass6Box(), out, {}, first.driver, first.state);
    EXPECT_TRUE(IsZero(out));
}

} // namespace

namespace {

// Numbers beyond the curve kinds are no curve of any of these boxes.
TEST(BandpassAndRadiatorBoxes, NumbersBeyondTheKindsAnswerNothing) {
    const Caller boxes[] = {Caller(&Bandpass4_Func, Bandpass4Box()), Caller(&Bandpass6_Func, Bandpass6Box()),
                            Caller(&PassiveRadiator_Func, PassiveRadiatorBox())};
    for (const Caller& box : boxes) {
        for (int kind : {15, 20, 255}) {
            Caller c = box;
            EXPECT_TRUE(IsZero(c.SetUp(static_cast<TCurveKind>(kind))));
            for (double f : {20.0, 60.0, 300.0})
                EXPECT_TRUE(IsZero(c.At(f))) << "box " << c.box.BType << ", kind " << kind << " at " << f;
        }
    }
}

} // namespace
