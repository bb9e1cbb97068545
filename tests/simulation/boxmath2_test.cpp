#include "simulation/boxmath2.h"

#include "tests/CaseNames.h"

#include <gtest/gtest.h>

#include <string>

#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double SpeedOfSound = 343.7;

TVentData makeVent(int num, int shape, double dia1, double dia2, double vb, double endCorrection) {
    TVentData vent;
    vent.Num = num;
    vent.Shape = shape;
    vent.dia1 = dia1;
    vent.dia2 = dia2;
    vent.Vb = vb;
    vent.endcorrection = endCorrection;
    return vent;
}

// Helmholtz resonator: fb = c/(2π)·sqrt(S/(V·(L + ΔL))) with ΔL the end
// corrections of both ends, each factor·r for the equivalent round vent.
double helmholtzTuning(double totalArea, double volume, double length, double endCorrectionLength) {
    return SpeedOfSound / (2.0 * Pi) * std::sqrt(totalArea / (volume * (length + endCorrectionLength)));
}

struct VentCase {
    int num, shape;
    double dia1, dia2, vb, endCorrection, fb;
};

class VentSizing : public ::testing::TestWithParam<VentCase> {};

TEST_P(VentSizing, LengthFromTuningAndBack) {
    const VentCase& c = GetParam();
    TVentData vent = makeVent(c.num, c.shape, c.dia1, c.dia2, c.vb, c.endCorrection);
    vent.Fb = c.fb;
    BoxMath_CalcPort(vent, SpeedOfSound);

    const double area = c.shape == 1 ? Pi * c.dia1 * c.dia1 / 4.0 : c.dia1 * c.dia2;
    const double radius = std::sqrt(area / Pi);
    const double correction = 2.0 * c.endCorrection * radius;
    EXPECT_NEAR(vent.carea, area, 1e-15);
    // Solving the Helmholtz relation for L independently.
    const double omega = 2.0 * Pi * c.fb;
    const double expectedLength =
        SpeedOfSound * SpeedOfSound * c.num * area / (omega * omega * c.vb) - correction;
    EXPECT_NEAR(vent.len, expectedLength, 1e-12 * std::fabs(expectedLength));
    EXPECT_NEAR(helmholtzTuning(c.num * area, c.vb, vent.len, correction), c.fb, 1e-9 * c.fb);
    EXPECT_EQ(vent.Fb, c.fb);
    EXPECT_NEAR(vent.firstResonance, SpeedOfSound / (2.0 * vent.len), 1e-9);

    // A typed length with the tuning cleared gives the tuning back.
    TVentData typed = makeVent(c.num, c.shape, c.dia1, c.dia2, c.vb, c.endCorrection);
    typed.len = vent.len;
    BoxMath_CalcPort(typed, SpeedOfSound);
    EXPECT_NEAR(typed.Fb, c.fb, 1e-9 * c.fb);
    EXPECT_EQ(typed.len, vent.len);
    EXPECT_NEAR(typed.carea, area, 1e-15);
}

INSTANTIATE_TEST_SUITE_P(BoxMath2, VentSizing,
                         ::testing::Values(VentCase{1, 1, 0.1, 0.0, 0.05, 0.732, 35.0},
                                           VentCase{2, 1, 0.07, 0.0, 0.08, 0.614, 28.0},
                                           VentCase{1, 1, 0.05, 0.0, 0.02, 0.85, 45.0},
                                           VentCase{1, 2, 0.2, 0.03, 0.12, 0.85, 25.0},
                                           VentCase{4, 2, 0.05, 0.05, 0.3, 0.732, 20.0},
                                           VentCase{8, 1, 0.02, 0.0, 0.004, 0.614, 60.0}),
                         [](const ::testing::TestParamInfo<VentCase>& info) {
                             return CaseName(info.index, "Fb" + std::to_string(info.param.fb) + "Vents" +
                                                             std::to_string(info.param.num));
                         });

TEST(BoxMath2, RoundVentArea) {
    TVentData vent = makeVent(1, 1, 0.1, 0.0, 0.05, 0.732);
    vent.Fb = 35.0;
    BoxMath_CalcPort(vent, SpeedOfSound);
    EXPECT_NEAR(vent.carea, 0.0078540, 1e-7);
    // r = 0.05 m: the end corrections are 2·0.732·0.05 = 0.0732 m.
    const double withoutCorrection = vent.carea / (std::pow(2.0 * Pi * 35.0 / SpeedOfSound, 2) * 0.05);
    EXPECT_NEAR(withoutCorrection - vent.len, 0.0732, 1e-12);
}

TEST(BoxMath2, TuningNeedingLessThanTheEndCorrectionsGivesANegativeLength) {
    // A large vent in a small box tuned high needs almost no pipe.
    TVentData vent = makeVent(1, 1, 0.15, 0.0, 0.01, 0.85);
    vent.Fb = 300.0;
    BoxMath_CalcPort(vent, SpeedOfSound);
    EXPECT_LT(vent.len, 0.0);
    EXPECT_EQ(vent.firstResonance, 0.0);
    EXPECT_EQ(vent.Fb, 300.0);
}

TEST(BoxMath2, BothGivenOnlyAreaAndResonanceFollow) {
    TVentData vent = makeVent(1, 2, 0.1, 0.02, 0.05, 0.732);
    vent.Fb = 30.0;
    vent.len = 0.25;
    BoxMath_CalcPort(vent, SpeedOfSound);
    EXPECT_EQ(vent.Fb, 30.0);
    EXPECT_EQ(vent.len, 0.25);
    EXPECT_NEAR(vent.carea, 0.002, 1e-15);
    EXPECT_NEAR(vent.firstResonance, SpeedOfSound / 0.5, 1e-12);
}

TEST(BoxMath2, IncompleteVentsAreLeftAlone) {
    struct Case {
        const char* what;
        TVentData vent;
        double c;
    };
    TVentData base = makeVent(1, 1, 0.1, 0.0, 0.05, 0.732);
    base.Fb = 35.0;
    base.carea = 123.0;
    base.firstResonance = 456.0;
    auto with = [&](auto change) {
        TVentData v = base;
        change(v);
        return v;
    };
    const Case cases[] = {
        {"no vents", with([](TVentData& v) { v.Num = 0; }), SpeedOfSound},
        {"negative count", with([](TVentData& v) { v.Num = -2; }), SpeedOfSound},
        {"no volume", with([](TVentData& v) { v.Vb = 0.0; }), SpeedOfSound},
        {"no shape", with([](TVentData& v) { v.Shape = 0; }), SpeedOfSound},
        {"unknown shape", with([](TVentData& v) { v.Shape = 3; }), SpeedOfSound},
        {"no diameter", with([](TVentData& v) { v.dia1 = 0.0; }), SpeedOfSound},
        {"flat slot", with([](TVentData& v) { v.Shape = 2, v.dia2 = 0.0; }), SpeedOfSound},
        {"neither tuning nor length", with([](TVentData& v) { v.Fb = 0.0; }), SpeedOfSound},
        {"no speed of sound", base, 0.0},
        {"volume not a number", with([](TVentData& v) { v.Vb = std::nan(""); }), SpeedOfSound},
    };
    for (const Case& c : cases) {
        TVentData vent = c.vent;
        BoxMath_CalcPort(vent, c.c);
        EXPECT_EQ(vent.carea, 123.0) << c.what;
        EXPECT_EQ(vent.len, c.vent.len) << c.what;
        EXPECT_EQ(vent.Fb, c.vent.Fb) << c.what;
        EXPECT_EQ(vent.firstResonance, 456.0) << c.what;
    }
}

TDriverData makeDriver(double fs, double qts, double vas) {
    TDriverData data;
    data.Fs = fs;
    data.Qts = qts;
    data.Vas = vas;
    return data;
}

TBoxData makeBox(int drivers) {
    TBoxData box;
    box.Nd = drivers;
    return box;
}

TEST(BoxMath2, ClosedDefaultReachesItsTargetQ) {
    struct Case {
        double qts, targetQ;
        int drivers;
    };
    for (const Case& c :
         {Case{0.5, 0.707, 1}, Case{0.3, 0.707, 2}, Case{0.8, 0.9, 1}, Case{0.707, 0.807, 1}}) {
        const TDriverData data = makeDriver(30.0, c.qts, 0.08);
        for (int type : {0, 4}) {
            TBoxData box = makeBox(c.drivers);
            ASSERT_TRUE(BoxMath_DefaultBox(type, data, box)) << c.qts;
            ASSERT_GT(box.Vr, 0.0);
            // Textbook closed box: Qtc = Qts·sqrt(1 + Vas/Vb), fc = Fs·sqrt(1 + Vas/Vb).
            const double rise = std::sqrt(1.0 + c.drivers * 0.08 / box.Vr);
            EXPECT_NEAR(c.qts * rise, c.targetQ, 1e-12) << c.qts;
            EXPECT_NEAR(box.Fr, 30.0 * rise, 1e-12) << c.qts;
            EXPECT_EQ(box.Qlr, 10.0);
            EXPECT_EQ(box.Qar, 100.0);
            EXPECT_EQ(box.Npr, type == 4 ? 1 : 0);
        }
    }
    TBoxData box = makeBox(1);
    ASSERT_TRUE(BoxMath_DefaultBox(0, makeDriver(30.0, 0.5, 0.08), box));
    EXPECT_NEAR(box.Fr, 1.414 * 30.0, 1e-9);
}

TEST(BoxMath2, PassiveRadiatorDefaultClearsTheAddedMass) {
    TBoxData box = makeBox(1);
    box.Npr = 3;
    box.PassiveRadiator.Me = 0.05;
    box.PassiveRadiator.Fs = 22.0;
    ASSERT_TRUE(BoxMath_DefaultBox(4, makeDriver(30.0, 0.4, 0.05), box));
    EXPECT_EQ(box.Npr, 1);
    EXPECT_EQ(box.PassiveRadiator.Me, 0.0);
    EXPECT_EQ(box.PassiveRadiator.Fs, 22.0);
}

TEST(BoxMath2, VentedDefault) {
    for (double qts : {0.25, 0.38, 0.45}) {
        TBoxData box = makeBox(2);
        ASSERT_TRUE(BoxMath_DefaultBox(1, makeDriver(25.0, qts, 0.1), box));
        const double n = 0.2;
        EXPECT_NEAR(box.Vr, 20.0 * std::pow(qts, 3.3) * n, 1e-12 * box.Vr);
        EXPECT_NEAR(box.Fr, std::pow(n / box.Vr, 0.31) * 25.0, 1e-10);
        EXPECT_EQ(box.Qlr, 10.0);
        EXPECT_EQ(box.Qar, 100.0);
        EXPECT_EQ(box.Qpr, 100.0);
    }
}

TEST(BoxMath2, FourthOrderBandpassDefault) {
    TBoxData box = makeBox(1);
    ASSERT_TRUE(BoxMath_DefaultBox(2, makeDriver(40.0, 0.5, 0.06), box));
    const double sealedQ = 1.0 / 1.4;
    EXPECT_NEAR(box.Vf, 0.49 * 0.06, 1e-15);
    EXPECT_NEAR(box.Ff / 40.0, 1.4286, 1e-4);
    // The sealed chamber raises the driver's Q to 1/(2·0.7).
    EXPECT_NEAR(0.5 * std::sqrt(1.0 + 0.06 / box.Vr), sealedQ, 1e-12);
    EXPECT_EQ(box.Qlf, 10.0);
    EXPECT_EQ(box.Qaf, 100.0);
    EXPECT_EQ(box.Qpf, 100.0);
    EXPECT_EQ(box.Qiclfr, 100.0);

    // A driver whose Q is above the target gets 0.1 more.
    TBoxData high = makeBox(1);
    ASSERT_TRUE(BoxMath_DefaultBox(2, makeDriver(40.0, 0.8, 0.06), high));
    EXPECT_NEAR(high.Ff, 0.9 / 0.8 * 40.0, 1e-12);
    EXPECT_NEAR(0.8 * std::sqrt(1.0 + 0.06 / high.Vr), 0.9, 1e-12);
}

TEST(BoxMath2, SixthOrderBandpassDefaultIsFixed) {
    TBoxData box = makeBox(0);
    ASSERT_TRUE(BoxMath_DefaultBox(3, TDriverData{}, box));
    EXPECT_EQ(box.Vf, 0.0262);
    EXPECT_EQ(box.Ff, 63.46);
    EXPECT_EQ(box.Vr, 0.1);
    EXPECT_EQ(box.Fr, 20.0);
    EXPECT_EQ(box.Qpr, 100.0);
    EXPECT_EQ(box.Qiclfr, 100.0);
}

TEST(BoxMath2, DefaultBoxRefusals) {
    struct Case {
        const char* what;
        int type;
        TDriverData data;
        int drivers;
    };
    const Case cases[] = {
        {"type 5", 5, makeDriver(30.0, 0.4, 0.05), 1}, {"negative type", -1, makeDriver(30.0, 0.4, 0.05), 1},
        {"no Qts", 0, makeDriver(30.0, 0.0, 0.05), 1}, {"no Fs", 1, makeDriver(0.0, 0.4, 0.05), 1},
        {"no Vas", 2, makeDriver(30.0, 0.4, 0.0), 1},  {"no drivers", 4, makeDriver(30.0, 0.4, 0.05), 0},
    };
    for (const Case& c : cases) {
        TBoxData box = makeBox(c.drivers);
        box.Vr = 0.5;
        box.Fr = 33.0;
        box.Npr = 2;
        EXPECT_FALSE(BoxMath_DefaultBox(c.type, c.data, box)) << c.what;
        EXPECT_EQ(box.Vr, 0.5) << c.what;
        EXPECT_EQ(box.Fr, 33.0) << c.what;
        EXPECT_EQ(box.Npr, 2) << c.what;
    }
}

} // namespace
