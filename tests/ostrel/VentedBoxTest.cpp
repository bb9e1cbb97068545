#include "StartDriver.h"

#include "ostrel/VentedBox.h"

#include "tests/CaseNames.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include <cmath>
#include <numbers>

namespace ostrel {
namespace {

VentedDesign design(const VentedInputs& in, Alignment alignment) {
    return designVentedBox(in, lookupAlignment(alignment, in.qts).values);
}

double displacedVolume(const VentedInputs& in) {
    const double radius = in.diameter / 200.0; // m
    return std::numbers::pi * radius * radius * in.xmax / 1000.0;
}

TEST(OstrelVentedBox, StartDriverWithSBB4) {
    const VentedDesign d = design(startDriver(), Alignment::SBB4);
    ASSERT_TRUE(d.usable);
    EXPECT_NEAR(d.vb, 96.2336, 5e-4);
    EXPECT_FLOAT_EQ(d.fb, 24.0f);
    EXPECT_NEAR(d.f3, 34.249, 5e-4);
    EXPECT_NEAR(d.lp, 35.1882, 5e-4);
    EXPECT_NEAR(d.minimumVentDiameter, 19.13, 0.01);
    EXPECT_FALSE(d.portTooSmall);
    EXPECT_FALSE(d.ventTooShort);
    EXPECT_NEAR(d.output[34 - FirstFrequency], -3.07, 0.01);
    EXPECT_NEAR(d.output[100 - FirstFrequency], -0.20, 0.01);
}

// QB3 and SC4 for the same driver, interpolated here between the knots at 0.34 and 0.35
// (v = 0.2) from the published rows.
struct AlignmentCase {
    Alignment alignment;
    double h34, alpha34, f3_34;
    double h35, alpha35, f3_35;
};

class OstrelSameDriverTest : public ::testing::TestWithParam<AlignmentCase> {};

TEST_P(OstrelSameDriverTest, ResultsFollowTheInterpolatedRow) {
    const AlignmentCase& c = GetParam();
    const VentedInputs in = startDriver();
    const VentedDesign d = design(in, c.alignment);
    const double h = c.h34 + 0.2 * (c.h35 - c.h34);
    const double alpha = c.alpha34 + 0.2 * (c.alpha35 - c.alpha34);
    const double f3 = c.f3_34 + 0.2 * (c.f3_35 - c.f3_34);
    ASSERT_TRUE(d.usable);
    EXPECT_NEAR(d.vb, in.vas / alpha, 1e-4);
    EXPECT_NEAR(d.fb, h * in.fs, 1e-4);
    EXPECT_NEAR(d.f3, f3 * in.fs, 1e-4);
    // The response really is 3 dB down at the F3 it reports.
    EXPECT_NEAR(outputResponse(d.f3, in.fs, h, alpha, in.qts), -3.0, 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    Alignments, OstrelSameDriverTest,
    ::testing::Values(AlignmentCase{Alignment::QB3, 1.1702, 1.9699, 1.3258, 1.1395, 1.7964, 1.2702},
                      AlignmentCase{Alignment::SC4, 1.1012, 2.0125, 1.3679, 1.0926, 1.8347, 1.2986}),
    [](const ::testing::TestParamInfo<AlignmentCase>& info) {
        return CaseName(info.index, "Alignment" + std::to_string(static_cast<int>(info.param.alignment)));
    });

TEST(OstrelVentedBox, ResultsAndCurvesUseTheStoredSinglePrecisionBox) {
    const VentedInputs in = startDriver();
    const VentedDesign d = design(in, Alignment::QB3);
    const double h = static_cast<double>(d.fb) / in.fs;
    const double alpha = in.vas / static_cast<double>(d.vb);
    for (int f : {10, 37, 500, 999})
        EXPECT_DOUBLE_EQ(d.output[f - FirstFrequency], outputResponse(f, in.fs, h, alpha, in.qts));
}

TEST(OstrelVentedBox, VentLengthIsTheHelmholtzResonatorWithEndCorrection) {
    VentedInputs in = startDriver();
    for (double ports : {1.0, 2.0, 3.0}) {
        in.ports = ports;
        const VentedDesign d = design(in, Alignment::SC4);
        // Lv = c^2 Av / (4 pi^2 Fb^2 Vb) minus the 0.732 D end correction, with c = 344.1 m/s.
        const double c = 344.1;
        const double area = ports * std::numbers::pi * std::pow(in.dp / 200.0, 2); // m^2
        const double length =
            c * c * area / (4 * std::numbers::pi * std::numbers::pi * d.fb * d.fb * d.vb / 1000.0);
        EXPECT_NEAR(d.lp, length * 100.0 - 0.732 * in.dp, 0.05) << ports;
    }
}

TEST(OstrelVentedBox, MaximumLevelCurvesFollowTheSmallPowerRelations) {
    const VentedInputs in = startDriver();
    const VentedDesign d = design(in, Alignment::SBB4);
    const double rho = 1.18;
    const double c = 345.0;
    const double vd = displacedVolume(in);
    // Far above Fs the box is transparent: displacement-limited acoustic power is
    // 4 pi^3 rho / c f^4 Vd^2, and the thermal limit is eta0 P with eta0 = 4 pi^2 / c^3 Fs^3 Vas / Qes.
    const double f = 999.0;
    const double displacement =
        112.0 + 10.0 * std::log10(4 * std::pow(std::numbers::pi, 3) * rho / c * std::pow(f, 4) * vd * vd);
    EXPECT_NEAR(d.displacement[f - FirstFrequency], displacement, 0.1);
    const double eta0 = 4 * std::numbers::pi * std::numbers::pi / (c * c * c) * std::pow(in.fs, 3) *
                        (in.vas / 1000.0) / in.qes;
    EXPECT_NEAR(d.thermal[f - FirstFrequency], 112.0 + 10.0 * std::log10(eta0 * in.pmax), 0.1);
    // The thermal curve is the response shifted by one constant.
    const double shift = d.thermal[0] - d.output[0];
    for (int i = 0; i < CurvePoints; ++i)
        EXPECT_NEAR(d.thermal[i] - d.output[i], shift, 1e-9) << i;
}

TEST(OstrelVentedBox, PortWarningComesAboveTwiceTheVentDiameterPerVent) {
    VentedInputs in = startDriver();
    const double vd = displacedVolume(in);
    // Small's minimum vent diameter, D = 20.3 (Vd^2 / Fb)^(1/4) m, for Fb = Fs (SBB4).
    const double minimum = 20.3 * std::pow(vd * vd / in.fs, 0.25) * 100.0;
    EXPECT_NEAR(design(in, Alignment::SBB4).minimumVentDiameter, minimum, 0.01);
    for (double ports : {1.0, 4.0}) {
        in.ports = ports;
        const double threshold = minimum / std::sqrt(ports) / 2.0;
        in.dp = threshold * 1.002;
        EXPECT_FALSE(design(in, Alignment::SBB4).portTooSmall) << ports;
        in.dp = threshold * 0.998;
        EXPECT_TRUE(design(in, Alignment::SBB4).portTooSmall) << ports;
    }
}

TEST(OstrelVentedBox, AVentTooWideForTheBoxComesOutAsSuch) {
    VentedInputs in = startDriver();
    in.dp = 60.0;
    in.ports = 1.0;
    VentedDesign d = design(in, Alignment::SBB4);
    EXPECT_TRUE(d.usable);
    EXPECT_GT(d.lp, 0.0f);
    in.ports = 0.01;
    d = design(in, Alignment::SBB4);
    EXPECT_LE(d.lp, 0.0f);
    EXPECT_TRUE(d.ventTooShort);
}

TEST(OstrelVentedBox, ABoxThePolynomialsCannotMakeIsNotUsable) {
    VentedInputs in = startDriver();
    // Far outside every table the fits give a negative or vanishing volume ratio or tuning.
    for (double qts : {2.0, 5.0, 0.01}) {
        in.qts = qts;
        for (Alignment alignment : {Alignment::SBB4, Alignment::QB3, Alignment::SC4}) {
            const AlignmentValues v = alignmentPolynomial(alignment, qts);
            const VentedDesign d = designVentedBox(in, v);
            const bool sound = v.alpha > 0 && v.h > 0 && v.f3Ratio > 0 && std::isfinite(d.lp);
            EXPECT_EQ(d.usable, sound) << qts;
            if (!d.usable) {
                EXPECT_FALSE(d.portTooSmall);
            }
        }
    }
}

TEST(OstrelVentedBox, CurvePointsThatAreNotFiniteAreGaps) {
    VentedInputs in = startDriver();
    in.pmax = 1e308;
    in.fs = 1e100; // Fs^4 overflows
    AlignmentValues v{1.0, 1.0, 1.0};
    const VentedDesign d = designVentedBox(in, v);
    for (int i = 0; i < CurvePoints; ++i) {
        EXPECT_TRUE(std::isnan(d.displacement[i]) || std::isfinite(d.displacement[i]));
        EXPECT_TRUE(std::isnan(d.thermal[i]) || std::isfinite(d.thermal[i]));
    }
    EXPECT_TRUE(std::isnan(d.displacement[0]));
}

struct CheckCase {
    const char* name;
    VentedInputs inputs;
    const char* message;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.name;
}

VentedInputs with(double VentedInputs::*field, double value) {
    VentedInputs in = startDriver();
    in.*field = value;
    return in;
}

class OstrelInputCheckTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(OstrelInputCheckTest, FirstInputNotAboveZeroStopsTheCalculation) {
    const auto problem = checkInputs(GetParam().inputs);
    if (GetParam().message == nullptr) {
        EXPECT_FALSE(problem.has_value());
        return;
    }
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(*problem, GetParam().message);
}

VentedInputs allZero() {
    return VentedInputs{};
}

VentedInputs zeroFromFs() {
    VentedInputs in = startDriver();
    in.fs = 0;
    in.pmax = 0;
    in.xmax = -1;
    in.ports = 0;
    return in;
}

INSTANTIATE_TEST_SUITE_P(
    Order, OstrelInputCheckTest,
    ::testing::Values(
        CheckCase{"StartDriver", startDriver(), nullptr},
        CheckCase{"QtsZero", with(&VentedInputs::qts, 0), "Calculation Stopped: Qts can't equal 0"},
        CheckCase{"QtsNegative", with(&VentedInputs::qts, -0.3), "Calculation Stopped: Qts must be above 0"},
        CheckCase{"QesZero", with(&VentedInputs::qes, 0), "Calculation Stopped: Qes can't equal 0"},
        CheckCase{"VasNegative", with(&VentedInputs::vas, -1), "Calculation Stopped: Vas must be above 0"},
        CheckCase{"FsZero", with(&VentedInputs::fs, 0), "Calculation Stopped: Fs can't equal 0"},
        CheckCase{"PmaxZero", with(&VentedInputs::pmax, 0), "Calculation Stopped: Pmax can't equal 0"},
        CheckCase{"DiameterZero", with(&VentedInputs::diameter, 0),
                  "Calculation Stopped: Speaker Diameter can't equal 0"},
        CheckCase{"XmaxZero", with(&VentedInputs::xmax, 0), "Calculation Stopped: Xmax can't equal 0"},
        CheckCase{"PortDiameterNegative", with(&VentedInputs::dp, -2),
                  "Calculation Stopped: Port Diameter must be above 0"},
        CheckCase{"PortsZero", with(&VentedInputs::ports, 0), "Calculation Stopped: # Ports can't equal 0"},
        CheckCase{"QesNotANumber", with(&VentedInputs::qes, NAN), "Calculation Stopped: Qes must be above 0"},
        CheckCase{"AllZero", allZero(), "Calculation Stopped: Qts can't equal 0"},
        CheckCase{"ZeroFromFs", zeroFromFs(), "Calculation Stopped: Fs can't equal 0"}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(OstrelVentedBox, TheCoreRefusesInputsTheDialogWouldRefuse) {
    const AlignmentValues alignment{1.0, 1.4, 1.0};
    ASSERT_TRUE(designVentedBox(startDriver(), alignment).usable);
    for (const VentedInputs& in : {with(&VentedInputs::qes, 0), with(&VentedInputs::qts, -0.3),
                                   with(&VentedInputs::vas, NAN), with(&VentedInputs::ports, 0)}) {
        const VentedDesign d = designVentedBox(in, alignment);
        EXPECT_FALSE(d.usable);
        EXPECT_FALSE(d.portTooSmall);
        for (int i = 0; i < CurvePoints; ++i)
            ASSERT_TRUE(std::isnan(d.output[i]) && std::isnan(d.thermal[i]) && std::isnan(d.displacement[i]));
    }
    EXPECT_FALSE(designVentedBox(startDriver(), AlignmentValues{-1.0, 1.4, 1.0}).usable);
}

TEST(OstrelUnitConversion, FactorsAreTheInternationalInchAndFoot) {
    constexpr double inch = 2.54;              // cm, exact
    constexpr double cubicFoot = 28.316846592; // litres
    EXPECT_NEAR(units::CentimetresToInches * inch, 1.0, 1e-10);
    EXPECT_NEAR(units::InchesToCentimetres, inch, 1e-10);
    EXPECT_NEAR(units::MillimetresToInches * 10 * inch, 1.0, 1e-8);
    EXPECT_NEAR(units::LitresToCubicFeet * cubicFoot, 1.0, 1e-8);
    EXPECT_NEAR(units::LitresToCubicInches * std::pow(inch, 3) / 1000.0, 1.0, 1e-10);
    // Each way back is the reciprocal of the way there.
    EXPECT_DOUBLE_EQ(units::CubicFeetToLitres, 1.0 / units::LitresToCubicFeet);
    EXPECT_DOUBLE_EQ(units::InchesToCentimetres, 1.0 / units::CentimetresToInches);
    EXPECT_DOUBLE_EQ(units::InchesToMillimetres, 1.0 / units::MillimetresToInches);
    EXPECT_DOUBLE_EQ(units::CubicInchesToLitres, 1.0 / units::LitresToCubicInches);
}

TEST(OstrelUnitConversion, EnglishInputsDesignTheSameBox) {
    const VentedInputs metric = startDriver();
    VentedInputs english = metric;
    english.vas = metric.vas * units::LitresToCubicFeet;
    english.diameter = metric.diameter * units::CentimetresToInches;
    english.xmax = metric.xmax * units::MillimetresToInches;
    english.dp = metric.dp * units::CentimetresToInches;
    const VentedInputs back = toMetric(english);
    EXPECT_NEAR(back.vas, metric.vas, 1e-9);
    EXPECT_NEAR(back.diameter, metric.diameter, 1e-9);
    EXPECT_NEAR(back.xmax, metric.xmax, 1e-9);
    EXPECT_NEAR(back.dp, metric.dp, 1e-9);
    EXPECT_EQ(back.qts, metric.qts);
    EXPECT_EQ(back.fs, metric.fs);
    EXPECT_EQ(back.pmax, metric.pmax);
    EXPECT_EQ(back.ports, metric.ports);
    const VentedDesign a = design(metric, Alignment::SBB4);
    const VentedDesign b = design(back, Alignment::SBB4);
    EXPECT_FLOAT_EQ(a.vb, b.vb);
    EXPECT_FLOAT_EQ(a.lp, b.lp);
}

} // namespace
} // namespace ostrel
