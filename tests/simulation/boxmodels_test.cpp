// The closed and the vented box through their curve functions, checked against textbook
// relations of sealed and vented enclosures computed here, and the calling protocol they share.

#include "model/Airmodel.h"
#include "model/Driver.h"
#include "simulation/boxmath.h"
#include "simulation/boxmath_closed.h"
#include "simulation/hv_cubic_roots.h"

#include "tests/CaseNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

// Air of every test box.
constexpr double AirT = 293.15;
constexpr double AirP = 101325.0;
constexpr double AirPhi = 0.3;

double Rho() {
    return AirDensity(AirT, AirP, AirPhi);
}
double SoundSpeed() {
    return SpeedOfSound(AirP, Rho());
}

struct DriverSpec {
    double Fs = 30;
    double Qms = 5;
    double Qes = 0.4;
    double Vas = 0.05;
    double Sd = 0.0216;
    double Re = 6;
    double Xmax = 0.005;
    double Pe = 100;
};

// A driver whose electro-mechanical parameters agree with its small-signal ones in the test air,
// so that every path of the driver model describes the same loudspeaker.
TDriverObject MakeDriver(const DriverSpec& spec = {}) {
    TDriverObject driver;
    TDriverData& d = driver.Data;
    d.Fs = spec.Fs;
    d.Qms = spec.Qms;
    d.Qes = spec.Qes;
    d.Qts = 1 / (1 / spec.Qms + 1 / spec.Qes);
    d.Vas = spec.Vas;
    d.Sd = spec.Sd;
    d.Re = spec.Re;
    d.Xmax = spec.Xmax;
    d.Pe = spec.Pe;
    const double rho = Rho();
    const double c = SoundSpeed();
    if (spec.Sd > 0 && spec.Vas > 0 && spec.Fs > 0) {
        d.Cms = spec.Vas / (rho * c * c * spec.Sd * spec.Sd);
        d.Mms = 1 / (std::pow(2 * Pi * spec.Fs, 2) * d.Cms);
        d.BL = std::sqrt(2 * Pi * spec.Fs * d.Mms * spec.Re / spec.Qes);
    }
    return driver;
}

TBoxData MakeBox(TBoxType type) {
    TBoxData box;
    box.BType = type;
    box.T = AirT;
    box.p = AirP;
    box.phi = AirPhi;
    box.Nd = 1;
    box.alfaVC = 0.0039;
    box.Vr = 0.03;
    box.Fr = type == btVented ? 35 : 0;
    box.Qlr = 7;
    box.Qar = 100;
    box.Qpr = 50;
    box.Sdrport = 0.005;
    return box;
}

// Negligible box losses.
void MakeLossless(TBoxData& box) {
    box.Qlr = 1e9;
    box.Qar = 1e9;
    box.Qpr = 1e9;
}

struct Report {
    int code;
    double value;
};

struct Recorder {
    std::vector<Report> reports;
    void operator()(std::uint8_t code, double value) { reports.push_back({code, value}); }
};

// One curve: a set-up call with kind, then evaluations.
class Curve {
public:
    Curve(TBoxMathFunc func, TBoxData box, TDriverObject driver, double Rg = 0, double P = 1)
        : func_(func), box_(box), driver_(std::move(driver)) {
        point_.Rg = Rg;
        point_.P = P;
    }

    TComplex SetUp(TCurveKind kind) {
        TComplex out = MakeComplex(12345, 6789);
        const ProjectResultCallback callback = ProjectResultCallback::Of(recorder_);
        func_(kind, point_, box_, out, callback, driver_, state_);
        return out;
    }

    TComplex At(double f) {
        point_.f = f;
        TComplex out = MakeComplex(12345, 6789);
        const ProjectResultCallback callback = ProjectResultCallback::Of(recorder_);
        func_(ckEvaluate, point_, box_, out, callback, driver_, state_);
        return out;
    }

    TComplex Value(TCurveKind kind, double f) {
        SetUp(kind);
        return At(f);
    }

    const std::vector<Report>& Reports() const { return recorder_.reports; }
    TBoxModelState& State() { return state_; }
    TDriverObject& Driver() { return driver_; }

private:
    TBoxMathFunc func_;
    TBoxData box_;
    TDriverObject driver_;
    TEvaluationPoint point_;
    TBoxModelState state_;
    Recorder recorder_;
};

double Db(TComplex z) {
    return 20 * std::log10(ComplexAbs(z));
}

bool IsZero(TComplex z) {
    return z.re == 0.0 && z.im == 0.0;
}

const std::array<double, 6> ProbeFrequencies = {10, 31.6, 50, 200, 1000, 15000};

// ----------------------------------------------------------------------------------------------
// CubicRoots

struct CubicCase {
    const char* name;
    double a2, a1, a0;
    bool complexPair;
    std::array<TComplex, 3> roots; // in any order
};

class CubicRootsTest : public ::testing::TestWithParam<CubicCase> {};

TEST_P(CubicRootsTest, FindsTheRootsOfKnownPolynomials) {
    const CubicCase& c = GetParam();
    std::array<TComplex, 3> roots{};
    EXPECT_EQ(CubicRoots(c.a2, c.a1, c.a0, roots), c.complexPair);
    for (const TComplex& expected : c.roots) {
        const double nearest =
            std::min({ComplexAbs(ComplexSub(roots[0], expected)), ComplexAbs(ComplexSub(roots[1], expected)),
                      ComplexAbs(ComplexSub(roots[2], expected))});
        EXPECT_LT(nearest, 1e-6) << expected.re << " " << expected.im;
    }
    for (const TComplex& r : roots) {
        // Each root satisfies the polynomial.
        const TComplex r2 = ComplexMul(r, r);
        const TComplex value = ComplexAdd(ComplexAdd(ComplexMul(r2, r), ComplexScale(r2, c.a2)),
                                          ComplexAdd(ComplexScale(r, c.a1), MakeComplex(c.a0, 0)));
        EXPECT_LT(ComplexAbs(value), 1e-6 * (1 + std::fabs(c.a0)));
    }
    if (c.complexPair) {
        EXPECT_EQ(roots[0].im, 0.0);
        EXPECT_EQ(roots[1].re, roots[2].re);
        EXPECT_EQ(roots[1].im, -roots[2].im);
    } else {
        for (const TComplex& r : roots)
            EXPECT_EQ(r.im, 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Polynomials, CubicRootsTest,
    ::testing::Values(CubicCase{"CubeRootsOfOne",
                                0,
                                0,
                                -1,
                                true,
                                {{{1, 0}, {-0.5, std::sqrt(3.0) / 2}, {-0.5, -std::sqrt(3.0) / 2}}}},
                      CubicCase{"OneTwoThree", -6, 11, -6, false, {{{1, 0}, {2, 0}, {3, 0}}}},
                      // (x + 2)(x² + 2x + 5): a damped resonance and a real pole
                      CubicCase{"DampedPair", 4, 9, 10, true, {{{-2, 0}, {-1, 2}, {-1, -2}}}},
                      // (x + 0.1)(x + 100)(x + 400): an overdamped system with a slow leak pole
                      CubicCase{"Overdamped", 500.1, 40050, 4000, false, {{{-0.1, 0}, {-100, 0}, {-400, 0}}}},
                      // (x + 1)²(x + 4): the two nearest zero coincide
                      CubicCase{"DoubleRoot", 6, 9, 4, true, {{{-1, 0}, {-1, 0}, {-4, 0}}}},
                      CubicCase{"TripleRoot", 3, 3, 1, true, {{{-1, 0}, {-1, 0}, {-1, 0}}}}),
    [](const ::testing::TestParamInfo<CubicCase>& info) { return std::string(info.param.name); });

// ----------------------------------------------------------------------------------------------
// Resonance and Q of the closed box from the roots

struct ResonanceCase {
    const char* name;
    std::array<TComplex, 3> roots;
    bool complexPair;
    double Fc, Qtc;
};

class ClosedResonanceTest : public ::testing::TestWithParam<ResonanceCase> {};

TEST_P(ClosedResonanceTest, TakesTheResonancePair) {
    const ResonanceCase& c = GetParam();
    std::array<TComplex, 3> roots = c.roots;
    // The pair is chosen by value, not by position (for three real roots).
    const int orders = c.complexPair ? 1 : 6;
    for (int order = 0; order < orders; ++order) {
        double Fc = -1;
        double Qtc = -1;
        ASSERT_TRUE(ClosedBox_ResonanceFromRoots(roots, c.complexPair, Fc, Qtc));
        EXPECT_NEAR(Fc, c.Fc, 1e-9 * c.Fc);
        EXPECT_NEAR(Qtc, c.Qtc, 1e-9);
        std::next_permutation(roots.begin(), roots.end(),
                              [](const TComplex& a, const TComplex& b) { return a.re < b.re; });
    }
}

const double W0 = 2 * Pi * 40; // a 40 Hz resonance
const double Q07 = 0.707;      // its Q
const double Sigma = W0 / (2 * Q07);
const double Wd = W0 * std::sqrt(1 - 1 / (4 * Q07 * Q07));

INSTANTIATE_TEST_SUITE_P(
    Roots, ClosedResonanceTest,
    ::testing::Values(
        ResonanceCase{"ComplexPair", {{{-5, 0}, {-Sigma, Wd}, {-Sigma, -Wd}}}, true, 40, Q07},
        ResonanceCase{"LeakPoleDropped", {{{-0.1, 0}, {-100, 0}, {-400, 0}}}, false, 200 / (2 * Pi), 0.4},
        // The two nearest zero tie: that equal pair is the critically damped resonance.
        ResonanceCase{"TiedPairNearestZero", {{{-1, 0}, {-1, 0}, {-4, 0}}}, false, 1 / (2 * Pi), 0.5},
        // A tie further out leaves the single root nearest zero to the leak.
        ResonanceCase{"TiedPairFurtherOut", {{{-1, 0}, {-4, 0}, {-4, 0}}}, false, 4 / (2 * Pi), 0.5}),
    [](const ::testing::TestParamInfo<ResonanceCase>& info) { return std::string(info.param.name); });

TEST(ClosedResonance, RootsWithoutAResonanceGiveNoValues) {
    double Fc = 7;
    double Qtc = 8;
    const std::array<std::array<TComplex, 3>, 3> cases = {{
        {{{-1, 0}, {2, 0}, {3, 0}}}, // growing roots
        {{{0, 0}, {0, 0}, {0, 0}}},  // no motion at all
        {{{-1, 0}, {std::nan(""), 0}, {-3, 0}}},
    }};
    for (const auto& roots : cases) {
        EXPECT_FALSE(ClosedBox_ResonanceFromRoots(roots, false, Fc, Qtc));
        EXPECT_EQ(Fc, 7);
        EXPECT_EQ(Qtc, 8);
    }
}

// ----------------------------------------------------------------------------------------------
// Protocol

TEST(BoxMathGetFunc, KnowsTheFiveBoxTypesOnly) {
    EXPECT_EQ(BoxMath_GetFunc(btClosed), &ClosedBox_Func);
    EXPECT_EQ(BoxMath_GetFunc(btVented), &VentedBox_Func);
    EXPECT_EQ(BoxMath_GetFunc(btBandpass4), &Bandpass4_Func);
    EXPECT_EQ(BoxMath_GetFunc(btBandpass6), &Bandpass6_Func);
    EXPECT_EQ(BoxMath_GetFunc(btPassiveRadiator), &PassiveRadiator_Func);
    for (const std::int32_t unknown : {-1, 5, 99, std::numeric_limits<std::int32_t>::min()})
        EXPECT_EQ(BoxMath_GetFunc(unknown), nullptr) << unknown;
}

// Boxes, or drivers, for which no circuit exists. Each one answers 0 for every kind at every
// frequency and reports nothing.
struct InvalidCase {
    const char* name;
    TBoxType type;
    void (*spoil)(TBoxData& box, DriverSpec& spec);
};

class InvalidCircuitTest : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidCircuitTest, AnswersZeroAndReportsNothing) {
    const InvalidCase& c = GetParam();
    TBoxData box = MakeBox(c.type);
    DriverSpec spec;
    c.spoil(box, spec);
    Curve curve(BoxMath_GetFunc(c.type), box, MakeDriver(spec));
    for (int kind = ckTransfer; kind < ckEvaluate; ++kind) {
        EXPECT_TRUE(IsZero(curve.SetUp(static_cast<TCurveKind>(kind)))) << kind;
        for (const double f : ProbeFrequencies) {
            const TComplex value = curve.At(f);
            EXPECT_TRUE(IsZero(value))
                << "kind " << kind << " at " << f << " Hz: " << value.re << " " << value.im;
        }
    }
    EXPECT_TRUE(curve.Reports().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InvalidCircuitTest,
    ::testing::Values(
        InvalidCase{"ClosedWithoutVolume", btClosed, [](TBoxData& b, DriverSpec&) { b.Vr = 0; }},
        InvalidCase{"ClosedWithNegativeVolume", btClosed, [](TBoxData& b, DriverSpec&) { b.Vr = -0.01; }},
        InvalidCase{"ClosedWithNaNVolume", btClosed, [](TBoxData& b, DriverSpec&) { b.Vr = std::nan(""); }},
        InvalidCase{"VentedWithoutVolume", btVented, [](TBoxData& b, DriverSpec&) { b.Vr = 0; }},
        InvalidCase{"VentedWithoutTuning", btVented, [](TBoxData& b, DriverSpec&) { b.Fr = 0; }},
        InvalidCase{"VentedWithInfiniteTuning", btVented,
                    [](TBoxData& b, DriverSpec&) { b.Fr = std::numeric_limits<double>::infinity(); }},
        InvalidCase{"VentedWithInfiniteVolume", btVented,
                    [](TBoxData& b, DriverSpec&) { b.Vr = std::numeric_limits<double>::infinity(); }},
        InvalidCase{"ClosedWithInfiniteVolume", btClosed,
                    [](TBoxData& b, DriverSpec&) { b.Vr = std::numeric_limits<double>::infinity(); }},
        InvalidCase{"ClosedWithoutDrivers", btClosed, [](TBoxData& b, DriverSpec&) { b.Nd = 0; }},
        InvalidCase{"VentedWithNegativeDriverCount", btVented, [](TBoxData& b, DriverSpec&) { b.Nd = -3; }},
        InvalidCase{"ClosedDriverWithoutVas", btClosed, [](TBoxData&, DriverSpec& s) { s.Vas = 0; }},
        InvalidCase{"ClosedDriverWithoutFs", btClosed, [](TBoxData&, DriverSpec& s) { s.Fs = 0; }},
        InvalidCase{"VentedDriverWithoutVas", btVented, [](TBoxData&, DriverSpec& s) { s.Vas = 0; }},
        InvalidCase{"ClosedWithoutAbsorptionFactor", btClosed, [](TBoxData& b, DriverSpec&) { b.Qar = 0; }},
        InvalidCase{"VentedWithoutVentLossFactor", btVented, [](TBoxData& b, DriverSpec&) { b.Qpr = 0; }},
        // Both losses infinite leave the closed box's cubic without its leading coefficient.
        InvalidCase{"ClosedWithInfiniteLosses", btClosed,
                    [](TBoxData& b, DriverSpec&) {
                        b.Qlr = 0;
                        b.Qar = std::numeric_limits<double>::infinity();
                    }},
        InvalidCase{"ClosedWithoutAir", btClosed, [](TBoxData& b, DriverSpec&) { b.T = 0; }}),
    [](const ::testing::TestParamInfo<InvalidCase>& info) { return std::string(info.param.name); });

TEST(VentedBox, RearPortVelocityNeedsAVentArea) {
    TBoxData box = MakeBox(btVented);
    box.Sdrport = 0;
    Curve curve(&VentedBox_Func, box, MakeDriver());
    for (const double f : ProbeFrequencies)
        EXPECT_TRUE(IsZero(curve.Value(ckRearPortVelocity, f))) << f;
    // The other curves do not need it.
    EXPECT_GT(ComplexAbs(curve.Value(ckTransfer, 50)), 0);
    EXPECT_GT(ComplexAbs(curve.Value(ckRearPortGain, 50)), 0);
}

// Which box answers which kind; every other kind is exactly 0 + 0j.
struct AnswerCase {
    const char* name;
    TBoxType type;
    std::vector<int> answered;
};

class AnsweredKindsTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnsweredKindsTest, AnswersItsKindsOnly) {
    const AnswerCase& c = GetParam();
    Curve curve(BoxMath_GetFunc(c.type), MakeBox(c.type), MakeDriver());
    // Numbers beyond the kinds are no curve either.
    std::vector<int> kinds = {15, 20, 255};
    for (int kind = ckTransfer; kind < ckEvaluate; ++kind)
        kinds.push_back(kind);
    for (const int kind : kinds) {
        const bool answered = std::find(c.answered.begin(), c.answered.end(), kind) != c.answered.end();
        EXPECT_TRUE(IsZero(curve.SetUp(static_cast<TCurveKind>(kind)))) << "set-up of kind " << kind;
        for (const double f : ProbeFrequencies) {
            const TComplex value = curve.At(f);
            ASSERT_TRUE(std::isfinite(value.re) && std::isfinite(value.im));
            if (answered)
                EXPECT_GT(ComplexAbs(value), 0) << "kind " << kind << " at " << f;
            else
                EXPECT_TRUE(IsZero(value)) << "kind " << kind << " at " << f;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, AnsweredKindsTest,
    ::testing::Values(AnswerCase{"Closed", btClosed, {0, 7, 9, 10, 11, 12, 13}},
                      AnswerCase{"Vented", btVented, {0, 3, 4, 6, 7, 9, 10, 11, 12, 13}}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST(VentedBox, SpareKindIsOneEverywhere) {
    Curve curve(&VentedBox_Func, MakeBox(btVented), MakeDriver());
    curve.SetUp(ckSpare);
    for (const double f : {1.0, 10.0, 35.0, 1234.5, 40000.0}) {
        const TComplex value = curve.At(f);
        EXPECT_EQ(value.re, 1.0);
        EXPECT_EQ(value.im, 0.0);
    }
}

TEST(BoxProtocol, ReportsQtcThenFcOnEverySetUpOfTheClosedBoxOnly) {
    Curve closed(&ClosedBox_Func, MakeBox(btClosed), MakeDriver());
    Curve vented(&VentedBox_Func, MakeBox(btVented), MakeDriver());
    for (int kind = ckTransfer; kind < ckEvaluate; ++kind) {
        closed.SetUp(static_cast<TCurveKind>(kind));
        vented.SetUp(static_cast<TCurveKind>(kind));
        for (const double f : ProbeFrequencies) {
            closed.At(f);
            vented.At(f);
        }
    }
    ASSERT_EQ(closed.Reports().size(), 2u * ckEvaluate);
    for (std::size_t i = 0; i < closed.Reports().size(); i += 2) {
        EXPECT_EQ(closed.Reports()[i].code, rcQtc);
        EXPECT_EQ(closed.Reports()[i + 1].code, rcFc);
        EXPECT_EQ(closed.Reports()[i].value, closed.Reports()[0].value);
        EXPECT_EQ(closed.Reports()[i + 1].value, closed.Reports()[1].value);
    }
    EXPECT_TRUE(vented.Reports().empty());
}

TEST(BoxProtocol, EvaluationWithoutASetUpOfThisTypeAnswersZero) {
    const TBoxData box = MakeBox(btVented);
    TDriverObject driver = MakeDriver();
    TEvaluationPoint point{50, 0, 1};
    TComplex out = MakeComplex(1, 1);
    TBoxModelState state;
    VentedBox_Func(ckEvaluate, point, box, out, {}, driver, state);
    EXPECT_TRUE(IsZero(out));

    // A state prepared by the closed box is no vented curve, even for a box that has both.
    ClosedBox_Func(ckTransfer, point, box, out, {}, driver, state);
    ClosedBox_Func(ckEvaluate, point, box, out, {}, driver, state);
    EXPECT_GT(ComplexAbs(out), 0);
    VentedBox_Func(ckEvaluate, point, box, out, {}, driver, state);
    EXPECT_TRUE(IsZero(out));
}

TEST(BoxProtocol, FailedSetUpForgetsThePreviousCurve) {
    TBoxData box = MakeBox(btClosed);
    TDriverObject driver = MakeDriver();
    TEvaluationPoint point{50, 0, 1};
    TComplex out{};
    TBoxModelState state;
    ClosedBox_Func(ckSPL, point, box, out, {}, driver, state);
    ClosedBox_Func(ckEvaluate, point, box, out, {}, driver, state);
    ASSERT_GT(ComplexAbs(out), 0);

    TBoxData empty = box;
    empty.Vr = 0;
    ClosedBox_Func(ckSPL, point, empty, out, {}, driver, state);
    ClosedBox_Func(ckEvaluate, point, box, out, {}, driver, state);
    EXPECT_TRUE(IsZero(out));
}

TEST(BoxProtocol, TwoCurvesOfOneBoxTypeDoNotDisturbEachOther) {
    TBoxData small = MakeBox(btVented);
    TBoxData large = MakeBox(btVented);
    large.Vr = 0.12;
    large.Fr = 22;
    large.Nd = 2;

    Curve alone(&VentedBox_Func, small, MakeDriver());
    alone.SetUp(ckSPL);
    std::vector<TComplex> expected;
    for (const double f : ProbeFrequencies)
        expected.push_back(alone.At(f));

    Curve first(&VentedBox_Func, small, MakeDriver());
    Curve second(&VentedBox_Func, large, MakeDriver());
    first.SetUp(ckSPL);
    second.SetUp(ckImpedance);
    for (std::size_t i = 0; i < ProbeFrequencies.size(); ++i) {
        const TComplex a = first.At(ProbeFrequencies[i]);
        const TComplex b = second.At(ProbeFrequencies[i]);
        EXPECT_EQ(a.re, expected[i].re);
        EXPECT_EQ(a.im, expected[i].im);
        EXPECT_GT(ComplexAbs(b), 0);
        second.SetUp(ckExcursion); // a set-up in between changes nothing for the first curve
    }
}

TEST(BoxProtocol, NothingNonFiniteIsAnswered) {
    for (const TBoxType type : {btClosed, btVented}) {
        Curve curve(BoxMath_GetFunc(type), MakeBox(type), MakeDriver());
        for (int kind = ckTransfer; kind < ckEvaluate; ++kind) {
            curve.SetUp(static_cast<TCurveKind>(kind));
            for (const double f :
                 {0.0, -10.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e300}) {
                const TComplex value = curve.At(f);
                EXPECT_TRUE(std::isfinite(value.re) && std::isfinite(value.im))
                    << type << " " << kind << " " << f;
            }
        }
    }
}

// No curve exists at 0 Hz or below: a sound box answers nothing there for any kind, where the
// formulas alone would give mirrored values at -f and a limiting delay at 0.
TEST(BoxProtocol, FrequencyNotAboveZeroAnswersZero) {
    for (const TBoxType type : {btClosed, btVented}) {
        Curve curve(BoxMath_GetFunc(type), MakeBox(type), MakeDriver());
        for (int kind = ckTransfer; kind < ckEvaluate; ++kind) {
            curve.SetUp(static_cast<TCurveKind>(kind));
            for (const double f : {0.0, -0.0, -30.0, -std::numeric_limits<double>::infinity(), std::nan("")})
                EXPECT_TRUE(IsZero(curve.At(f))) << type << " " << kind << " " << f;
        }
        curve.SetUp(ckImpedance);
        EXPECT_FALSE(IsZero(curve.At(30))) << type;
    }
}

// ----------------------------------------------------------------------------------------------
// Shared pieces

TEST(OffAxis, IsThePistonDirectivity) {
    const double c = 343.7;
    const double Sd = 0.0216;
    const TComplex value = MakeComplex(0.3, -0.4);
    for (const double f : {20.0, 500.0, 2000.0, 8000.0}) {
        const TComplex onAxis = BoxMath_OffAxis(value, f, c, Sd, 0.0);
        EXPECT_EQ(onAxis.re, value.re);
        EXPECT_EQ(onAxis.im, value.im);

        const double ka = 2 * Pi * f / c * std::sqrt(Sd / Pi);
        const double factor = 2 * std::cyl_bessel_j(1.0, ka) / ka;
        const TComplex side = BoxMath_OffAxis(value, f, c, Sd, Pi / 2);
        EXPECT_NEAR(side.re, value.re * factor, 1e-6);
        EXPECT_NEAR(side.im, value.im * factor, 1e-6);
    }
    // Without a cone area there is no directivity to apply.
    const TComplex noArea = BoxMath_OffAxis(value, 2000, c, 0.0, Pi / 2);
    EXPECT_EQ(noArea.re, value.re);
}

TEST(OffAxis, ScalesTheClosedBoxSplAndTransferButNotItsImpedance) {
    TBoxData onAxis = MakeBox(btClosed);
    TBoxData side = onAxis;
    side.Angle = Pi / 2;
    const double f = 3000;
    const double ka = 2 * Pi * f / SoundSpeed() * std::sqrt(0.0216 / Pi);
    const double factor = 2 * std::cyl_bessel_j(1.0, ka) / ka;
    for (const TCurveKind kind : {ckTransfer, ckSPL, ckMaxSPL, ckImpedance}) {
        Curve a(&ClosedBox_Func, onAxis, MakeDriver());
        Curve b(&ClosedBox_Func, side, MakeDriver());
        const double ratio = ComplexAbs(b.Value(kind, f)) / ComplexAbs(a.Value(kind, f));
        EXPECT_NEAR(ratio, kind == ckImpedance ? 1.0 : std::fabs(factor), 1e-6) << kind;
    }
}

// The phase of a vented box's transfer turns through 360°, so it crosses ±π once; the delay at
// the crossing must agree with its neighbours.
TEST(GroupDelay, IsContinuousWhereTheVentedPhaseCrossesPi) {
    Curve transfer(&VentedBox_Func, MakeBox(btVented), MakeDriver());
    transfer.SetUp(ckTransfer);
    double low = 0;
    double high = 0;
    for (double f = 5; f < 500; f *= 1.01) {
        const double a = ComplexArg(transfer.At(f));
        const double b = ComplexArg(transfer.At(f * 1.01));
        if (std::fabs(a - b) > Pi) {
            low = f;
            high = f * 1.01;
            break;
        }
    }
    ASSERT_GT(low, 0) << "no phase wrap found";
    const double lowPhase = ComplexArg(transfer.At(low));
    for (int i = 0; i < 200 && high - low > 0; ++i) {
        const double mid = 0.5 * (low + high);
        if (mid <= low || mid >= high)
            break;
        if (std::fabs(ComplexArg(transfer.At(mid)) - lowPhase) < Pi)
            low = mid;
        else
            high = mid;
    }
    Curve delay(&VentedBox_Func, MakeBox(btVented), MakeDriver());
    delay.SetUp(ckGroupDelay);
    const double atWrap = delay.At(low).re;
    const double neighbour = delay.At(low * 1.0001).re;
    EXPECT_GT(neighbour, 0);
    EXPECT_NEAR(atWrap, neighbour, 0.02 * neighbour);
}

// The delay agrees with the slope of the transfer's phase taken over a wider step here.
TEST(GroupDelay, IsTheSlopeOfTheTransferPhase) {
    for (const TBoxType type : {btClosed, btVented}) {
        Curve transfer(BoxMath_GetFunc(type), MakeBox(type), MakeDriver());
        Curve delay(BoxMath_GetFunc(type), MakeBox(type), MakeDriver());
        transfer.SetUp(ckTransfer);
        delay.SetUp(ckGroupDelay);
        for (const double f : {15.0, 40.0, 80.0, 300.0}) {
            const double df = f * 1e-4;
            double d = ComplexArg(transfer.At(f + df)) - ComplexArg(transfer.At(f - df));
            if (d > Pi)
                d -= 2 * Pi;
            if (d < -Pi)
                d += 2 * Pi;
            const double slope = -d / (2 * Pi * 2 * df);
            EXPECT_NEAR(delay.At(f).re, slope, 0.01 * std::fabs(slope) + 1e-7) << type << " " << f;
        }
    }
}

// ----------------------------------------------------------------------------------------------
// Physics of the closed box

struct ClosedCase {
    double boxToVas; // Vb / Vas
    double Qes;
};

class ClosedBoxPhysicsTest : public ::testing::TestWithParam<ClosedCase> {
protected:
    // The standard driver with the case's Qes.
    static DriverSpec Spec() {
        DriverSpec spec;
        spec.Qes = GetParam().Qes;
        return spec;
    }
    // Its lossless closed box of the case's size.
    static TBoxData Box(const DriverSpec& spec) {
        TBoxData box = MakeBox(btClosed);
        MakeLossless(box);
        box.Vr = spec.Vas * GetParam().boxToVas;
        return box;
    }
};

TEST_P(ClosedBoxPhysicsTest, ReportsTheTextbookQtcAndFc) {
    const ClosedCase& c = GetParam();
    const DriverSpec spec = Spec();
    TBoxData box = Box(spec);
    box.alfaVC = 0;
    Curve curve(&ClosedBox_Func, box, MakeDriver(spec));
    curve.SetUp(ckTransfer);
    ASSERT_EQ(curve.Reports().size(), 2u);
    const double Qts = 1 / (1 / spec.Qms + 1 / spec.Qes);
    const double alpha = 1 / c.boxToVas;
    EXPECT_NEAR(curve.Reports()[0].value, Qts * std::sqrt(1 + alpha), 1e-6);
    EXPECT_NEAR(curve.Reports()[1].value, spec.Fs * std::sqrt(1 + alpha), 1e-6);
}

TEST_P(ClosedBoxPhysicsTest, ImpedancePeaksAtFcWithTheTextbookHeight) {
    const ClosedCase& c = GetParam();
    const DriverSpec spec = Spec();
    Curve curve(&ClosedBox_Func, Box(spec), MakeDriver(spec));
    curve.SetUp(ckImpedance);
    const double Fc = spec.Fs * std::sqrt(1 + 1 / c.boxToVas);
    // Zmax = Re·(1 + Qmc/Qec), and both Qs grow by the same factor in the box.
    EXPECT_NEAR(ComplexAbs(curve.At(Fc)), spec.Re * (1 + spec.Qms / spec.Qes), 1e-6 * spec.Re);
    EXPECT_LT(ComplexAbs(curve.At(Fc * 0.95)), ComplexAbs(curve.At(Fc)));
    EXPECT_LT(ComplexAbs(curve.At(Fc * 1.05)), ComplexAbs(curve.At(Fc)));
    EXPECT_NEAR(ComplexAbs(curve.At(Fc * 300)), spec.Re, 0.01 * spec.Re);
}

TEST_P(ClosedBoxPhysicsTest, TransferIsTheSecondOrderHighPass) {
    const ClosedCase& c = GetParam();
    const DriverSpec spec = Spec();
    Curve curve(&ClosedBox_Func, Box(spec), MakeDriver(spec));
    curve.SetUp(ckTransfer);
    const double Qts = 1 / (1 / spec.Qms + 1 / spec.Qes);
    const double Qtc = Qts * std::sqrt(1 + 1 / c.boxToVas);
    const double Fc = spec.Fs * std::sqrt(1 + 1 / c.boxToVas);
    for (const double ratio : {0.25, 0.5, 1.0, 2.0, 5.0}) {
        // |H|² = u⁴ / ((1 - u²)² + u²/Q²), u = f/Fc
        const double u2 = ratio * ratio;
        const double expected = 10 * std::log10(u2 * u2 / ((1 - u2) * (1 - u2) + u2 / (Qtc * Qtc)));
        EXPECT_NEAR(Db(curve.At(ratio * Fc)), expected, 0.01) << ratio;
    }
}

INSTANTIATE_TEST_SUITE_P(Alignments, ClosedBoxPhysicsTest,
                         ::testing::Values(ClosedCase{1.0, 0.4}, ClosedCase{0.3, 0.4}, ClosedCase{2.5, 0.25},
                                           ClosedCase{0.1, 0.9}),
                         [](const ::testing::TestParamInfo<ClosedCase>& info) {
                             return CaseName(info.index, "VbOverVas" + std::to_string(info.param.boxToVas) +
                                                             "Qes" + std::to_string(info.param.Qes));
                         });

TEST(ClosedBox, QtcAboveTheDriversAndFcAboveFs) {
    Curve curve(&ClosedBox_Func, MakeBox(btClosed), MakeDriver());
    curve.SetUp(ckSPL);
    ASSERT_EQ(curve.Reports().size(), 2u);
    EXPECT_GT(curve.Reports()[0].value, 1 / (1 / 5.0 + 1 / 0.4));
    EXPECT_GT(curve.Reports()[1].value, 30);
}

// Reference efficiency η0 = 4π²·Fs³·Vas/(c³·Qes) radiated into half space gives, at 1 m and 1 W,
// SPL = 10·log10(ρc·η0/(2π·p0²)), about 112.1 dB + 10·log10(η0). The boxes are lossless here:
// the models count air that leaks out of the chamber as lost.
double ReferenceSpl(const DriverSpec& spec) {
    const double c = SoundSpeed();
    const double eta0 = 4 * Pi * Pi * std::pow(spec.Fs, 3) * spec.Vas / (std::pow(c, 3) * spec.Qes);
    return 10 * std::log10(Rho() * c * eta0 / (2 * Pi * 2e-5 * 2e-5));
}

TEST(BoxSpl, MatchesTheReferenceEfficiencyWellAboveResonance) {
    const DriverSpec spec;
    EXPECT_NEAR(ReferenceSpl(spec),
                112.1 + 10 * std::log10(4 * Pi * Pi * std::pow(spec.Fs, 3) * spec.Vas /
                                        (std::pow(SoundSpeed(), 3) * spec.Qes)),
                0.1);
    for (const TBoxType type : {btClosed, btVented}) {
        for (const double power : {1.0, 4.0}) {
            TBoxData box = MakeBox(type);
            MakeLossless(box);
            Curve curve(BoxMath_GetFunc(type), box, MakeDriver(spec), 0, power);
            curve.SetUp(ckSPL);
            EXPECT_NEAR(Db(curve.At(100 * spec.Fs)), ReferenceSpl(spec) + 10 * std::log10(power), 0.01)
                << type << " " << power;
        }
    }
    // The same from the small-signal parameters alone (no force factor known).
    TDriverObject smallSignal = MakeDriver(spec);
    smallSignal.Data.BL = 0;
    TBoxData box = MakeBox(btClosed);
    MakeLossless(box);
    Curve curve(&ClosedBox_Func, box, smallSignal);
    curve.SetUp(ckSPL);
    EXPECT_NEAR(Db(curve.At(100 * spec.Fs)), ReferenceSpl(spec), 0.01);
}

// Far below resonance the suspension and the chamber in series hold the cone:
// x = p·Ct/Sd with p = BL·sqrt(P/Re)/Sd and Ct = Cas·Cab/(Cas + Cab).
TEST(ClosedBox, ExcursionAndMaximumPowerFarBelowAndAboveResonance) {
    const DriverSpec spec;
    const TDriverObject driver = MakeDriver(spec);
    TBoxData box = MakeBox(btClosed);
    MakeLossless(box);
    const double rhoc2 = Rho() * SoundSpeed() * SoundSpeed();
    const double Cas = spec.Vas / rhoc2;
    const double Cab = box.Vr / rhoc2;
    const double Ct = Cas * Cab / (Cas + Cab);
    const double pressure = driver.Data.BL * std::sqrt(1.0 / spec.Re) / spec.Sd;
    const double x = pressure * Ct / spec.Sd;

    Curve excursion(&ClosedBox_Func, box, driver);
    excursion.SetUp(ckExcursion);
    EXPECT_NEAR(ComplexAbs(excursion.At(0.5)), x, 0.002 * x);

    Curve power(&ClosedBox_Func, box, driver);
    power.SetUp(ckMaxPower);
    const double excursionLimited = std::pow(spec.Xmax / (std::sqrt(2.0) * x), 2);
    EXPECT_NEAR(power.At(0.5).re, excursionLimited, 0.005 * excursionLimited);
    EXPECT_EQ(power.At(2000).re, spec.Pe);

    box.Nd = 2;
    box.Isobarik = true;
    Curve isobaric(&ClosedBox_Func, box, driver);
    isobaric.SetUp(ckMaxPower);
    EXPECT_EQ(isobaric.At(2000).re, 4 * spec.Pe);

    // Maximum SPL is the SPL at the maximum power.
    TBoxData lossless = MakeBox(btClosed);
    MakeLossless(lossless);
    Curve maxSpl(&ClosedBox_Func, lossless, driver);
    maxSpl.SetUp(ckMaxSPL);
    EXPECT_NEAR(Db(maxSpl.At(100 * spec.Fs)), ReferenceSpl(spec) + 10 * std::log10(spec.Pe), 0.01);
}

// ----------------------------------------------------------------------------------------------
// Physics of the vented box

// The fourth-order Butterworth alignment: Qts 0.3827, Vb = Vas/sqrt(2), Fb = Fs.
// |H|² = u⁸/(1 + u⁸), u = f/Fs, so it is 3 dB down at Fs.
TEST(VentedBox, LosslessB4IsTheFourthOrderButterworth) {
    DriverSpec spec;
    spec.Qms = 1e7;
    spec.Qes = 1 / (1 / 0.3827 - 1 / spec.Qms);
    TBoxData box = MakeBox(btVented);
    MakeLossless(box);
    box.Vr = spec.Vas / std::sqrt(2.0);
    box.Fr = spec.Fs;
    Curve curve(&VentedBox_Func, box, MakeDriver(spec));
    curve.SetUp(ckTransfer);
    EXPECT_NEAR(Db(curve.At(spec.Fs)), -3.01, 0.02);
    for (const double u : {0.5, 0.7, 1.4, 2.0, 4.0}) {
        const double u8 = std::pow(u, 8);
        EXPECT_NEAR(Db(curve.At(u * spec.Fs)), 10 * std::log10(u8 / (1 + u8)), 0.02) << u;
    }
}

TEST(VentedBox, ConeRestsAtTheTuningWhileTheVentCarriesTheSound) {
    TBoxData box = MakeBox(btVented);
    box.Qlr = 1e4;
    box.Qar = 1e4;
    box.Qpr = 1e4;
    Curve excursion(&VentedBox_Func, box, MakeDriver());
    excursion.SetUp(ckExcursion);
    const double atTuning = ComplexAbs(excursion.At(box.Fr));
    EXPECT_LT(atTuning, 0.05 * ComplexAbs(excursion.At(box.Fr * 0.7)));
    EXPECT_LT(atTuning, 0.05 * ComplexAbs(excursion.At(box.Fr * 1.4)));
}

// Far below the tuning the chamber's pressure stays small: the air the cone moves goes through
// the vent, so vent velocity · vent area = cone velocity · cone area.
TEST(VentedBox, VentVelocityCarriesTheConeFlowFarBelowTuning) {
    const DriverSpec spec;
    TBoxData box = MakeBox(btVented);
    box.Qlr = 1e4;
    for (const double power : {1.0, 9.0}) {
        Curve excursion(&VentedBox_Func, box, MakeDriver(spec), 0, power);
        Curve velocity(&VentedBox_Func, box, MakeDriver(spec), 0, power);
        excursion.SetUp(ckExcursion);
        velocity.SetUp(ckRearPortVelocity);
        const double f = 2.0;
        const double coneFlow = ComplexAbs(excursion.At(f)) * 2 * Pi * f * spec.Sd;
        const double ventFlow = ComplexAbs(velocity.At(f)) * box.Sdrport;
        EXPECT_NEAR(ventFlow, coneFlow, 0.01 * coneFlow) << power;
    }
}

TEST(VentedBox, VentGainTakesOverBelowTuning) {
    TBoxData box = MakeBox(btVented);
    box.Qlr = 1e4;
    box.Qar = 1e4;
    box.Qpr = 1e4;
    Curve port(&VentedBox_Func, box, MakeDriver());
    Curve total(&VentedBox_Func, box, MakeDriver());
    port.SetUp(ckRearPortGain);
    total.SetUp(ckTransfer);
    // At the tuning the vent carries almost all of the sound; far above it hardly any.
    EXPECT_NEAR(Db(port.At(box.Fr)), Db(total.At(box.Fr)), 1.0);
    EXPECT_LT(Db(port.At(20 * box.Fr)), Db(total.At(20 * box.Fr)) - 40);
}

} // namespace

namespace {

// The impedance of a vented box has two peaks, at the zeros of the reactance of the cone's
// mechanical branch loaded by chamber and vent. With ωs, ωb the resonances of driver and vent
// and α = Vas/Vb these are the roots of (1 - ω²/ωs²)(1 - ω²/ωb²) = α·ω²/ωb², so that
// fL·fH = Fs·Fb and fL² + fH² = Fb² + (1 + α)·Fs². Between them, at Fb, chamber and vent
// block the cone and only the coil's resistance is left.
TEST(VentedBox, ImpedanceHasTwoPeaksAroundTheTuningAndItsMinimumThere) {
    struct Row {
        double Vb, Fb;
    };
    for (const Row& row : {Row{0.03, 35}, Row{0.08, 25}, Row{0.02, 45}}) {
        SCOPED_TRACE(std::to_string(row.Vb) + " m³, " + std::to_string(row.Fb) + " Hz");
        DriverSpec spec;
        spec.Qms = 200; // small mechanical losses: the peaks sit at the reactance zeros
        TBoxData box = MakeBox(btVented);
        MakeLossless(box);
        box.Vr = row.Vb;
        box.Fr = row.Fb;
        Curve curve(&VentedBox_Func, box, MakeDriver(spec));
        curve.SetUp(ckImpedance);

        // Local maxima and the minimum between them on a fine logarithmic sweep.
        std::vector<double> peaks;
        double previous = 0;
        double current = ComplexAbs(curve.At(5));
        double f = 5;
        const double step = 1.0002;
        while (f < 300) {
            const double next = ComplexAbs(curve.At(f * step));
            if (current > previous && current > next)
                peaks.push_back(f);
            previous = current;
            current = next;
            f *= step;
        }
        ASSERT_EQ(peaks.size(), 2u);
        const double fL = peaks[0];
        const double fH = peaks[1];
        const double alpha = spec.Vas / row.Vb;
        EXPECT_LT(fL, row.Fb);
        EXPECT_GT(fH, row.Fb);
        EXPECT_NEAR(fL * fH, spec.Fs * row.Fb, 1e-3 * spec.Fs * row.Fb);
        const double sumOfSquares = row.Fb * row.Fb + (1 + alpha) * spec.Fs * spec.Fs;
        EXPECT_NEAR(fL * fL + fH * fH, sumOfSquares, 1e-3 * sumOfSquares);

        double minimum = std::numeric_limits<double>::infinity();
        double minimumAt = 0;
        for (double g = fL; g < fH; g *= step) {
            const double magnitude = ComplexAbs(curve.At(g));
            if (magnitude < minimum) {
                minimum = magnitude;
                minimumAt = g;
            }
        }
        EXPECT_NEAR(minimumAt, row.Fb, 1e-3 * row.Fb);
        EXPECT_NEAR(ComplexAbs(curve.At(row.Fb)), spec.Re, 1e-4 * spec.Re);
    }
}

// At the tuning the chamber and vent block the cone, so the chamber holds the source pressure
// ps = BL·sqrt(P/Re)/Sd and the vent carries |U| = ps·ωb·Cab; its air velocity is U over the
// vent's area.
TEST(VentedBox, VentCarriesTheSourceFlowAtTheTuning) {
    for (const double area : {0.002, 0.01}) {
        TBoxData box = MakeBox(btVented);
        MakeLossless(box);
        box.Sdrport = area;
        const double power = 4;
        const TDriverObject driver = MakeDriver();
        const double sourcePressure = driver.Data.BL * std::sqrt(power / driver.Data.Re) / driver.Data.Sd;
        const double flow = sourcePressure * 2 * Pi * box.Fr * box.Vr / (Rho() * SoundSpeed() * SoundSpeed());
        Curve velocity(&VentedBox_Func, box, driver, 0, power);
        velocity.SetUp(ckRearPortVelocity);
        EXPECT_NEAR(ComplexAbs(velocity.At(box.Fr)) * area, flow, 1e-4 * flow) << area;
    }
}

} // namespace
