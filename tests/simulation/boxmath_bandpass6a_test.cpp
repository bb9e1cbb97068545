#include "simulation/boxmath_bandpass6a.h"

#include "tests/simulation/bandpass_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

using namespace boxtest;

namespace {

Caller Bandpass6() {
    return Caller{&Bandpass6_Func, Bandpass6Box()};
}

TEST(Bandpass6, DispatchHandsOutTheCurveFunction) {
    EXPECT_EQ(BoxMath_GetFunc(btBandpass6), &Bandpass6_Func);
}

TEST(Bandpass6, SetUpReportsNothing) {
    for (TCurveKind kind : AllSetUpKinds) {
        Caller c = Bandpass6();
        EXPECT_TRUE(IsZero(c.SetUp(kind)));
        EXPECT_TRUE(c.reports.empty()) << int(kind);
    }
}

TEST(Bandpass6, MissingVolumeOrTuningAnswersZeroForEveryKind) {
    double TBoxData::*const fields[] = {&TBoxData::Vr, &TBoxData::Vf, &TBoxData::Ff, &TBoxData::Fr};
    for (double TBoxData::*field : fields) {
        for (TCurveKind kind : AllSetUpKinds) {
            SCOPED_TRACE(int(kind));
            Caller c = Bandpass6();
            c.SetUp(kind);
            c.box.*field = 0;
            EXPECT_TRUE(IsZero(c.SetUp(kind)));
            EXPECT_TRUE(c.reports.empty());
            for (double f : {10.0, 40.0, 300.0})
                EXPECT_TRUE(IsZero(c.At(f)));
        }
    }
}

TEST(Bandpass6, CircuitThatDoesNotExistLeavesTheCurveEmpty) {
    struct Row {
        const char* name;
        void (*spoil)(Caller&);
    };
    const Row rows[] = {
        {"no drivers", [](Caller& c) { c.box.Nd = 0; }},
        {"driver without Vas", [](Caller& c) { c.driver.Data.Vas = 0; }},
        {"driver without Fs", [](Caller& c) { c.driver.Data.Fs = 0; }},
        {"leak between chambers 0", [](Caller& c) { c.box.Qiclfr = 0; }},
        {"rear port loss 0", [](Caller& c) { c.box.Qpr = 0; }},
        {"front leakage negative", [](Caller& c) { c.box.Qlf = -1; }},
        {"rear tuning infinite", [](Caller& c) { c.box.Fr = std::numeric_limits<double>::infinity(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Caller c = Bandpass6();
        row.spoil(c);
        ExpectNoCurveOfAnyKind(c, {5.0, 40.0, 2000.0}, ReportsOfNoCircuit::None);
    }
}

TEST(Bandpass6, AnswersItsKindsOnly) {
    ExpectAnswersExactly(Bandpass6(),
                         {ckTransfer, ckFrontPortGain, ckRearPortGain, ckFrontPortVelocity,
                          ckRearPortVelocity, ckExcursion, ckImpedance, ckMaxPower, ckGroupDelay, ckSPL,
                          ckMaxSPL},
                         {15.0, 40.0, 150.0});
}

// Without losses the box radiates only through its ports: the front port pushes out what the
// rear port draws in, so the transfer is the front gain less the rear gain.
TEST(Bandpass6, RadiatesThroughBothPortsOnly) {
    Caller c = Bandpass6();
    MakeLossless(c.box);
    for (double f : {8.0, 20.0, 40.0, 63.46, 300.0}) {
        const TComplex transfer = c.Value(ckTransfer, f);
        const TComplex ports = ComplexSub(c.Value(ckFrontPortGain, f), c.Value(ckRearPortGain, f));
        EXPECT_NEAR(ComplexAbs(ComplexSub(transfer, ports)), 0.0, 1e-6 * ComplexAbs(transfer)) << f;
    }
}

// At either chamber's Helmholtz resonance that chamber blocks the cone, and its port carries the
// flow the source pressure drives through its mass: |U| = ps·ω·Cab with ps = BL·sqrt(P/Re)/Sd.
TEST(Bandpass6, EachPortCarriesTheSourceFlowAtItsTuning) {
    struct Row {
        const char* name;
        TCurveKind velocity;
        bool front;
    };
    for (const Row& row : {Row{"front", ckFrontPortVelocity, true}, Row{"rear", ckRearPortVelocity, false}}) {
        SCOPED_TRACE(row.name);
        Caller c = Bandpass6();
        MakeLossless(c.box);
        c.point.P = 4;
        const TDriverData& d = c.driver.Data;
        const double tuning = row.front ? c.box.Ff : c.box.Fr;
        const double volume = row.front ? c.box.Vf : c.box.Vr;
        const double area = row.front ? c.box.Sdfport : c.box.Sdrport;
        const double sourcePressure = d.BL * std::sqrt(c.point.P / d.Re) / d.Sd;
        const double portFlow = sourcePressure * 2 * Pi * tuning * volume / RhoC2();

        EXPECT_NEAR(c.Magnitude(row.velocity, tuning) * area, portFlow, portFlow * 1e-4);
        EXPECT_LT(c.Magnitude(ckExcursion, tuning), 1e-4 * c.Magnitude(ckExcursion, tuning * 1.3));
    }
}

TEST(Bandpass6, PortAreaNotPositiveEmptiesOnlyItsVelocity) {
    Caller c = Bandpass6();
    c.box.Sdrport = 0;
    EXPECT_TRUE(IsZero(c.Value(ckRearPortVelocity, 30)));
    EXPECT_FALSE(IsZero(c.Value(ckFrontPortVelocity, 30)));
    EXPECT_FALSE(IsZero(c.Value(ckRearPortGain, 30)));
    c.box.Sdrport = 0.004;
    c.box.Sdfport = -1;
    EXPECT_TRUE(IsZero(c.Value(ckFrontPortVelocity, 30)));
    EXPECT_FALSE(IsZero(c.Value(ckRearPortVelocity, 30)));
}

// Below the band the rear chamber and its port act as a vented box (fourth-order high-pass,
// 24 dB per octave); above it the front chamber and port form a second-order low-pass.
TEST(Bandpass6, SlopesAreThoseOfAVentedBoxAndASecondOrderLowPass) {
    Caller c = Bandpass6();
    MakeLossless(c.box);
    c.SetUp(ckTransfer);
    const double below = Db(ComplexAbs(c.At(1)) / ComplexAbs(c.At(0.5)));
    const double above = Db(ComplexAbs(c.At(4000)) / ComplexAbs(c.At(8000)));
    EXPECT_NEAR(below, 24.08, 0.2);
    EXPECT_NEAR(above, 12.04, 0.2);
}

// A leak that shorts the two chambers leaves the driver in free air: its impedance peaks at Fs.
TEST(Bandpass6, ChamberLeakShortsTheDriver) {
    Caller c = Bandpass6();
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
}

TEST(Bandpass6, CallersDoNotDisturbEachOther) {
    Caller first = Bandpass6();
    Caller second = Bandpass6();
    second.box.Fr = 30;
    const double alone = first.Magnitude(ckRearPortGain, 25);
    first.SetUp(ckRearPortGain);
    second.SetUp(ckRearPortGain);
    EXPECT_NE(ComplexAbs(second.At(25)), alone);
    EXPECT_EQ(ComplexAbs(first.At(25)), alone);
}

} // namespace
