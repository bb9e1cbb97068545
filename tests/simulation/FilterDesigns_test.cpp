#include "simulation/AllPass.h"
#include "simulation/Besselap.h"
#include "simulation/Highpass.h"
#include "simulation/LinkwitzTransform.h"
#include "simulation/Lowpass.h"
#include "simulation/ParametricEQ.h"
#include "simulation/PeakHighpass.h"
#include "simulation/StaticGain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

namespace {

std::complex<double> toStd(TComplex z) {
    return {z.re, z.im};
}
double magnitude(const TFilterBase& filter, double f) {
    return ComplexAbs(filter.GetResponse(f));
}

TEST(ButterworthDesign, MagnitudeIsMaximallyFlatForEveryOrder) {
    for (std::int32_t order = 1; order <= 10; ++order) {
        TLowpass lowpass;
        lowpass.Order = order, lowpass.Fc = 100.0;
        THighpass highpass;
        highpass.Order = order, highpass.Fc = 100.0;
        ASSERT_TRUE(lowpass.Calculate()) << order;
        ASSERT_TRUE(highpass.Calculate()) << order;
        EXPECT_EQ(lowpass.TF.DenOrder, order);
        EXPECT_EQ(highpass.TF.NumOrder, order);
        for (double f : {3.0, 37.0, 100.0, 180.0, 2500.0}) {
            // |H|^2 = 1 / (1 + (f/fc)^2n), and (fc/f)^2n for the high-pass.
            const double lowExpected = 1.0 / std::sqrt(1.0 + std::pow(f / 100.0, 2 * order));
            const double highExpected = 1.0 / std::sqrt(1.0 + std::pow(100.0 / f, 2 * order));
            EXPECT_NEAR(magnitude(lowpass, f), lowExpected, 1e-9 * (1 + lowExpected)) << order << " " << f;
            EXPECT_NEAR(magnitude(highpass, f), highExpected, 1e-9 * (1 + highExpected)) << order << " " << f;
        }
        EXPECT_NEAR(magnitude(lowpass, 100.0), 1.0 / std::sqrt(2.0), 1e-12);
    }
}

TEST(ButterworthDesign, ThirdOrderIsAFirstOrderPartAndAUnitQSection) {
    TLowpass filter;
    filter.Order = 3, filter.Fc = 100.0;
    ASSERT_TRUE(filter.Calculate());
    const double w = 2.0 * HV_Pi * 100.0;
    // (1 + s/w)(1 + s/w + s^2/w^2): Q = 1 for the section.
    EXPECT_NEAR(filter.TF.Den[0], 1.0, 1e-15);
    EXPECT_NEAR(filter.TF.Den[1] * w, 2.0, 1e-12);
    EXPECT_NEAR(filter.TF.Den[2] * w * w, 2.0, 1e-12);
    EXPECT_NEAR(filter.TF.Den[3] * w * w * w, 1.0, 1e-12);
}

TEST(LinkwitzRileyDesign, FourthOrderSixDecibelsDownAndSumsFlat) {
    TLowpass lowpass;
    lowpass.SubType = 1, lowpass.Order = 2, lowpass.Fc = 80.0;
    THighpass highpass;
    highpass.SubType = 1, highpass.Order = 2, highpass.Fc = 80.0;
    ASSERT_TRUE(lowpass.Calculate());
    ASSERT_TRUE(highpass.Calculate());
    EXPECT_EQ(lowpass.Order, 4);
    EXPECT_EQ(highpass.Order, 4);
    EXPECT_NEAR(magnitude(lowpass, 80.0), 0.5, 1e-12);
    EXPECT_NEAR(magnitude(highpass, 80.0), 0.5, 1e-12);
    for (double f : {10.0, 50.0, 80.0, 120.0, 1000.0}) {
        // The square of the second-order Butterworth: |H| = 1 / (1 + (f/fc)^4).
        EXPECT_NEAR(magnitude(lowpass, f), 1.0 / (1.0 + std::pow(f / 80.0, 4)), 1e-12) << f;
        EXPECT_NEAR(magnitude(highpass, f), 1.0 / (1.0 + std::pow(80.0 / f, 4)), 1e-12) << f;
        // The two outputs are in phase at every frequency, so they add up to an all-pass.
        const std::complex<double> sum = toStd(lowpass.GetResponse(f)) + toStd(highpass.GetResponse(f));
        EXPECT_NEAR(std::abs(sum), 1.0, 1e-12) << f;
    }
}

// Reverse Bessel polynomials from their three-term recurrence
// theta_n = (2n - 1)·theta_(n-1) + s^2·theta_(n-2), theta_0 = 1, theta_1 = 1 + s.
std::vector<std::vector<double>> reverseBesselPolynomials(int maxOrder) {
    std::vector<std::vector<double>> theta = {{1.0}, {1.0, 1.0}};
    for (int n = 2; n <= maxOrder; ++n) {
        std::vector<double> next(n + 1, 0.0);
        for (std::size_t k = 0; k < theta[n - 1].size(); ++k)
            next[k] += (2 * n - 1) * theta[n - 1][k];
        for (std::size_t k = 0; k < theta[n - 2].size(); ++k)
            next[k + 2] += theta[n - 2][k];
        theta.push_back(next);
    }
    return theta;
}

TEST(BesselDesign, PrototypesAreNormalisedReverseBesselPolynomials) {
    const auto theta = reverseBesselPolynomials(10);
    for (int n = 1; n <= 10; ++n) {
        TTransferFunction tf;
        ASSERT_TRUE(BesselLowpassPrototype(n, tf)) << n;
        ASSERT_EQ(tf.DenOrder, n);
        ASSERT_EQ(tf.NumOrder, 0);
        EXPECT_EQ(tf.Num[0], 1.0);
        // s -> alpha·s with alpha^n = theta_n(0) makes the first and last coefficients 1.
        const double alpha = std::pow(theta[n][0], 1.0 / n);
        for (int k = 0; k <= n; ++k) {
            const double expected = theta[n][k] * std::pow(alpha, k) / theta[n][0];
            EXPECT_NEAR(tf.Den[k], expected, 1e-12 * expected) << n << " " << k;
        }
    }
    // Rows as they were tabulated to 14 significant digits.
    TTransferFunction tf;
    ASSERT_TRUE(BesselLowpassPrototype(3, tf));
    EXPECT_NEAR(tf.Den[1], 2.46621207433047, 1e-13);
    EXPECT_NEAR(tf.Den[2], 2.43288079822936, 1e-13);
    ASSERT_TRUE(BesselLowpassPrototype(10, tf));
    const double row10[] = {1,
                            7.613882366494,
                            27.460044327222,
                            61.948902899604,
                            97.108871055188,
                            110.906328143578,
                            93.825304020548,
                            58.316312474526,
                            25.616165955503,
                            7.223647195029,
                            1};
    for (int k = 0; k <= 10; ++k)
        EXPECT_NEAR(tf.Den[k], row10[k], 1e-11 * row10[k]) << k;
}

// The reverse Bessel polynomial over its constant, theta_n(s)/theta_n(0), delays
// by exactly 1 s at DC; the prototypes are that polynomial at s·alpha with
// alpha = theta_n(0)^(1/n) = ((2n)!/(2^n·n!))^(1/n), so that both asymptotes of
// the magnitude meet at the corner. Their DC delay is therefore alpha/wc, not 1/wc
// (delay-normalised) nor the delay of a -3 dB-normalised design.
TEST(BesselDesign, CornerIsWhereTheAsymptotesMeet) {
    for (std::int32_t order = 1; order <= 10; ++order) {
        double theta0 = 1.0; // (2n)! / (2^n n!) = (n+1)(n+2)...(2n) / 2^n
        for (int k = order + 1; k <= 2 * order; ++k)
            theta0 *= k;
        theta0 /= std::pow(2.0, order);
        const double alpha = std::pow(theta0, 1.0 / order);
        TLowpass filter;
        filter.SubType = 2, filter.Order = order, filter.Fc = 100.0;
        ASSERT_TRUE(filter.Calculate());
        const double wc = 2.0 * HV_Pi * 100.0;
        EXPECT_NEAR(filter.GetGroupDelay(0.01), alpha / wc, 2e-6) << order;
        // Far above the corner |H| = (fc/f)^n, the same asymptote as every pole-only design.
        EXPECT_NEAR(magnitude(filter, 1e5) * std::pow(1e3, order), 1.0, 1e-2) << order;
    }
    // Second order: 1/(1 + sqrt(3)·s + s^2) is 1/sqrt(3) at the corner (-4.77 dB).
    TLowpass second;
    second.SubType = 2, second.Order = 2, second.Fc = 100.0;
    ASSERT_TRUE(second.Calculate());
    EXPECT_NEAR(magnitude(second, 100.0), 1.0 / std::sqrt(3.0), 1e-12);
}

TEST(BesselDesign, OrdersOutsideTheTablesLeaveTheRecord) {
    for (int n : {-1, 0, 11, 100}) {
        TTransferFunction tf;
        tf.Num[0] = 7.0;
        EXPECT_FALSE(BesselLowpassPrototype(n, tf)) << n;
        EXPECT_FALSE(BesselHighpassPrototype(n, tf)) << n;
        EXPECT_EQ(tf.Num[0], 7.0);
        EXPECT_EQ(tf.DenOrder, 0);
    }
}

TEST(BesselDesign, HighpassIsTheMirroredLowpass) {
    for (std::int32_t order = 1; order <= 10; ++order) {
        TLowpass lowpass;
        lowpass.SubType = 2, lowpass.Order = order, lowpass.Fc = 200.0;
        THighpass highpass;
        highpass.SubType = 2, highpass.Order = order, highpass.Fc = 200.0;
        ASSERT_TRUE(lowpass.Calculate()) << order;
        ASSERT_TRUE(highpass.Calculate()) << order;
        EXPECT_EQ(highpass.TF.NumOrder, order);
        EXPECT_EQ(highpass.TF.DenOrder, order);
        // H_hp(s) = H_lp(wc^2/s): at f = fc·r the high-pass equals the conjugate
        // low-pass response at fc/r.
        for (double r : {0.1, 0.5, 1.0, 1.7, 8.0}) {
            const std::complex<double> high = toStd(highpass.GetResponse(200.0 * r));
            const std::complex<double> low = std::conj(toStd(lowpass.GetResponse(200.0 / r)));
            EXPECT_NEAR(std::abs(high - low), 0.0, 1e-9) << order << " " << r;
        }
        EXPECT_NEAR(magnitude(highpass, 1e6), 1.0, 1e-6);
        // Both asymptotes meet at the corner: far below it |H| = (f/fc)^n.
        EXPECT_NEAR(magnitude(highpass, 0.2) / std::pow(1e-3, order), 1.0, 1e-2) << order;
    }
}

TEST(BesselDesign, LowpassDelayIsFlatAtLowFrequencies) {
    TLowpass filter;
    filter.SubType = 2, filter.Order = 4, filter.Fc = 100.0;
    ASSERT_TRUE(filter.Calculate());
    // The delay at DC is Den[1] of the scaled record; a Bessel filter holds it well past the corner.
    const double delay0 = filter.TF.Den[1] / filter.TF.Den[0];
    EXPECT_NEAR(filter.GetGroupDelay(1.0), delay0, 1e-6);
    EXPECT_NEAR(filter.GetGroupDelay(50.0), delay0, 0.01 * delay0);
}

TEST(CrossoverDesigns, RefusedParametersContributeNothing) {
    struct Case {
        std::int32_t subType, order;
        double fc, q;
    };
    const Case refused[] = {
        {0, 2, 0.0, 0.7},   {0, 2, -50.0, 0.7}, {0, 2, std::nan(""), 0.7}, {0, 2, HUGE_VAL, 0.7},
        {0, 0, 50.0, 0.7},  {0, 11, 50.0, 0.7}, {0, -3, 50.0, 0.7},        {2, 0, 50.0, 0.7},
        {2, 11, 50.0, 0.7}, {3, 2, 50.0, 0.0},  {3, 2, 50.0, -1.0},        {3, 2, 0.0, 0.7},
        {1, 2, 0.0, 0.7},   {4, 2, 50.0, 0.7},  {-1, 2, 50.0, 0.7},
    };
    for (const Case& c : refused) {
        TLowpass lowpass;
        THighpass highpass;
        // First a valid design, so that the refusal has something to replace.
        lowpass.Order = highpass.Order = 2;
        lowpass.Fc = highpass.Fc = 100.0;
        ASSERT_TRUE(lowpass.Calculate() && highpass.Calculate());
        const TTransferFunction previous = highpass.TF;
        lowpass.SubType = highpass.SubType = c.subType;
        lowpass.Order = highpass.Order = c.order;
        lowpass.Fc = highpass.Fc = c.fc;
        lowpass.Q = highpass.Q = c.q;
        for (TFilterBase* filter :
             {static_cast<TFilterBase*>(&lowpass), static_cast<TFilterBase*>(&highpass)}) {
            EXPECT_FALSE(filter->Calculate())
                << filter->Kind << " " << c.subType << " " << c.order << " " << c.fc;
            EXPECT_FALSE(filter->HasResponse());
            const TComplex response = filter->GetResponse(100.0);
            EXPECT_EQ(response.re, 1.0);
            EXPECT_EQ(response.im, 0.0);
            EXPECT_EQ(filter->GetGroupDelay(100.0), 0.0);
        }
        // The record itself is kept as it was.
        EXPECT_EQ(highpass.TF.DenOrder, previous.DenOrder);
        EXPECT_EQ(highpass.TF.Den[1], previous.Den[1]);
        // Valid parameters again bring the response back.
        highpass.SubType = 0, highpass.Order = 2, highpass.Fc = 100.0;
        EXPECT_TRUE(highpass.Calculate());
        EXPECT_NEAR(magnitude(highpass, 100.0), 1.0 / std::sqrt(2.0), 1e-12);
    }
}

TEST(CrossoverDesigns, SecondOrderSectionHasItsQAtTheCorner) {
    for (double q : {0.5, 0.707, 1.2, 3.0}) {
        TLowpass lowpass;
        lowpass.SubType = 3, lowpass.Order = 2, lowpass.Fc = 60.0, lowpass.Q = q;
        THighpass highpass;
        highpass.SubType = 3, highpass.Order = 2, highpass.Fc = 60.0, highpass.Q = q;
        ASSERT_TRUE(lowpass.Calculate() && highpass.Calculate());
        EXPECT_NEAR(magnitude(lowpass, 60.0), q, 1e-12);
        EXPECT_NEAR(magnitude(highpass, 60.0), q, 1e-12);
        EXPECT_NEAR(magnitude(lowpass, 0.01), 1.0, 1e-6);
        EXPECT_NEAR(magnitude(highpass, 1e5), 1.0, 1e-5);
        // Phase -90° and +90° at the corner.
        EXPECT_NEAR(ComplexArg(lowpass.GetResponse(60.0)), -HV_Pi / 2, 1e-12);
        EXPECT_NEAR(ComplexArg(highpass.GetResponse(60.0)), HV_Pi / 2, 1e-12);
    }
}

TEST(AllpassDesign, UnitMagnitudeAndItsDelay) {
    TAllpass first;
    first.Order = 1, first.Delay = 0.001, first.Q = 0.707;
    ASSERT_TRUE(first.Calculate());
    TAllpass second;
    second.Order = 2, second.Delay = 0.001, second.Q = 0.5;
    ASSERT_TRUE(second.Calculate());
    const double w = 2.0 / 0.001;
    for (double f = 1.0; f < 20000.0; f *= 1.5) {
        EXPECT_NEAR(magnitude(first, f), 1.0, 1e-12) << f;
        EXPECT_NEAR(magnitude(second, f), 1.0, 1e-12) << f;
        // (1 - s/w)/(1 + s/w) delays by (2/w) / (1 + (2πf/w)^2).
        const double x = 2.0 * HV_Pi * f / w;
        EXPECT_NEAR(first.GetGroupDelay(f), (2.0 / w) / (1.0 + x * x), 1e-6) << f;
    }
    EXPECT_NEAR(first.GetGroupDelay(1.0), 0.001, 1e-6);
    // The second-order section delays low frequencies by 2/(w·Q) = Delay/Q.
    EXPECT_NEAR(second.GetGroupDelay(1.0), 0.002, 1e-6);
}

TEST(AllpassDesign, Refusals) {
    struct Case {
        std::int32_t order;
        double delay, q;
    };
    const Case refused[] = {{1, 0.001, 0.0},  {2, 0.001, 0.0},  {1, 0.0, 0.7},
                            {1, -0.001, 0.7}, {3, 0.001, -0.5}, {0, std::nan(""), 0.7}};
    for (const Case& c : refused) {
        TAllpass filter;
        filter.Order = c.order, filter.Delay = c.delay, filter.Q = c.q;
        EXPECT_FALSE(filter.Calculate()) << c.order << " " << c.delay << " " << c.q;
        EXPECT_EQ(magnitude(filter, 100.0), 1.0);
        EXPECT_EQ(filter.GetGroupDelay(100.0), 0.0);
    }
}

// Projects store the order as it was typed; every order but 1 is the second-order stage.
TEST(AllpassDesign, EveryOrderButOneIsTheSecondOrderStage) {
    const double delay = 0.002, q = 0.6;
    const double w = 2.0 / delay;
    for (std::int32_t order : {2, 0, 3, -1, 11, 1000}) {
        TAllpass filter;
        filter.Order = order, filter.Delay = delay, filter.Q = q;
        ASSERT_TRUE(filter.Calculate()) << order;
        for (double f : {1.0, 30.0, 159.0, 2000.0}) {
            // (s^2 - (w/Q)s + w^2)/(s^2 + (w/Q)s + w^2): phase -2·atan((w/Q)·ω/(w^2 - ω^2)).
            const double omega = 2.0 * HV_Pi * f;
            const std::complex<double> s(0.0, omega);
            const std::complex<double> expected =
                (s * s - (w / q) * s + w * w) / (s * s + (w / q) * s + w * w);
            EXPECT_NEAR(std::abs(toStd(filter.GetResponse(f)) - expected), 0.0, 1e-12) << order << " " << f;
        }
        EXPECT_EQ(filter.Order, order);
    }
}

// The orders that matter to the crossover designs. Butterworth and Bessel build
// one section per order and the record holds degree 10 at most. Linkwitz-Riley
// is fourth order whatever was typed, and the second-order section has no use for
// the order at all, so the low-pass takes any order there (stored projects carry
// whatever the editor passed). The high-pass refuses an order below 1 in every
// subtype.
TEST(CrossoverDesigns, OrdersPerSubtype) {
    struct Case {
        std::int32_t subType, order;
        bool lowpassAccepted, highpassAccepted;
        std::int32_t orderAfter; // for an accepted design
    };
    const Case cases[] = {
        {0, 1, true, true, 1},   {0, 10, true, true, 10},  {0, 0, false, false, 0}, {0, 11, false, false, 11},
        {2, 1, true, true, 1},   {2, 10, true, true, 10},  {2, 0, false, false, 0}, {2, 11, false, false, 11},
        {1, 2, true, true, 4},   {1, 4, true, true, 4},    {1, 12, true, true, 4},  {1, 0, true, false, 4},
        {1, -3, true, false, 4}, {3, 2, true, true, 2},    {3, 1, true, true, 1},   {3, 12, true, true, 12},
        {3, 0, true, false, 0},  {3, -5, true, false, -5},
    };
    const double fc = 80.0, q = 0.9;
    for (const Case& c : cases) {
        TLowpass lowpass;
        lowpass.SubType = c.subType, lowpass.Order = c.order, lowpass.Fc = fc, lowpass.Q = q;
        THighpass highpass;
        highpass.SubType = c.subType, highpass.Order = c.order, highpass.Fc = fc, highpass.Q = q;
        EXPECT_EQ(lowpass.Calculate(), c.lowpassAccepted) << c.subType << " " << c.order;
        EXPECT_EQ(highpass.Calculate(), c.highpassAccepted) << c.subType << " " << c.order;
        EXPECT_EQ(lowpass.Order, c.lowpassAccepted ? c.orderAfter : c.order) << c.subType << " " << c.order;
        EXPECT_EQ(highpass.Order, c.highpassAccepted ? c.orderAfter : c.order) << c.subType << " " << c.order;
        const double expectedAtCorner = c.subType == 1 ? 0.5 : c.subType == 3 ? q : 0.0;
        if (c.lowpassAccepted && expectedAtCorner > 0.0) {
            EXPECT_NEAR(magnitude(lowpass, fc), expectedAtCorner, 1e-12) << c.subType << " " << c.order;
        }
        if (c.highpassAccepted && expectedAtCorner > 0.0) {
            EXPECT_NEAR(magnitude(highpass, fc), expectedAtCorner, 1e-12) << c.subType << " " << c.order;
        }
        if (!c.highpassAccepted) {
            EXPECT_EQ(magnitude(highpass, fc), 1.0) << c.subType << " " << c.order;
        }
    }
}

// Closed-box response s^2/(s^2 + (w0/Q)s + w0^2) as a second-order high-pass.
std::complex<double> closedBox(double f, double fc, double q) {
    const std::complex<double> s(0.0, 2.0 * HV_Pi * f);
    const double w = 2.0 * HV_Pi * fc;
    return s * s / (s * s + (w / q) * s + w * w);
}

TEST(LinkwitzTransformDesign, MovesTheClosedBoxRollOff) {
    TLinkwitzTransform filter;
    filter.F0 = 45.0, filter.Q0 = 1.1, filter.Fp = 20.0, filter.Qp = 0.6;
    ASSERT_TRUE(filter.Calculate());
    for (double f : {5.0, 20.0, 45.0, 100.0, 1000.0}) {
        const std::complex<double> transformed = closedBox(f, 45.0, 1.1) * toStd(filter.GetResponse(f));
        const std::complex<double> target = closedBox(f, 20.0, 0.6);
        EXPECT_NEAR(std::abs(transformed - target), 0.0, 1e-12 * (1 + std::abs(target))) << f;
    }
    EXPECT_NEAR(magnitude(filter, 1e-3), (45.0 / 20.0) * (45.0 / 20.0), 1e-6);
    for (int refused = 0; refused < 4; ++refused) {
        TLinkwitzTransform bad = filter;
        double* fields[] = {&bad.Q0, &bad.F0, &bad.Qp, &bad.Fp};
        *fields[refused] = 0.0;
        EXPECT_FALSE(bad.Calculate()) << refused;
        EXPECT_EQ(magnitude(bad, 30.0), 1.0);
    }
}

TEST(ParametricEqDesign, GainAtTheCentreOnlyThere) {
    for (double gain : {6.0, -6.0, 0.0, 12.5}) {
        TParametricEQ filter;
        filter.Fc = 30.0, filter.Q = 2.0, filter.Gain = gain;
        ASSERT_TRUE(filter.Calculate());
        const double a = std::pow(10.0, gain / 20.0);
        EXPECT_NEAR(magnitude(filter, 30.0), a, 1e-12) << gain;
        EXPECT_NEAR(ComplexArg(filter.GetResponse(30.0)), 0.0, 1e-12);
        EXPECT_NEAR(magnitude(filter, 0.01), 1.0, 1e-5);
        EXPECT_NEAR(magnitude(filter, 1e5), 1.0, 1e-3);
        // Symmetric on a logarithmic axis.
        EXPECT_NEAR(magnitude(filter, 15.0), magnitude(filter, 60.0), 1e-12);
    }
    TParametricEQ flat;
    flat.Fc = 30.0, flat.Q = 2.0, flat.Gain = 0.0;
    ASSERT_TRUE(flat.Calculate());
    for (double f : {1.0, 29.0, 31.0, 500.0})
        EXPECT_NEAR(magnitude(flat, f), 1.0, 1e-12);
    for (auto [fc, q] : {std::pair{0.0, 2.0}, {30.0, 0.0}, {-30.0, 2.0}}) {
        TParametricEQ bad;
        bad.Fc = fc, bad.Q = q, bad.Gain = 6.0;
        EXPECT_FALSE(bad.Calculate());
    }
}

TEST(PeakHighpassDesign, PeaksWithItsGainAtItsFrequency) {
    struct Case {
        double fpk, gpk;
    };
    for (const Case& c : {Case{20.0, 6.0}, Case{35.0, 12.0}, Case{50.0, 0.5}}) {
        TPeakHighpass filter;
        filter.Fpk = c.fpk, filter.Gpk = c.gpk;
        ASSERT_TRUE(filter.Calculate());
        double bestF = 0.0, best = 0.0;
        for (double f = c.fpk / 4; f < c.fpk * 4; f *= 1.0001) {
            const double m = magnitude(filter, f);
            if (m > best)
                best = m, bestF = f;
        }
        EXPECT_NEAR(bestF, c.fpk, c.fpk * 2e-4) << c.fpk;
        EXPECT_NEAR(20.0 * std::log10(best), c.gpk, 1e-6) << c.gpk;
        EXPECT_NEAR(20.0 * std::log10(magnitude(filter, c.fpk)), c.gpk, 1e-9);
        EXPECT_NEAR(magnitude(filter, c.fpk * 1000.0), 1.0, 1e-5);
    }
    for (auto [fpk, gpk] : {std::pair{0.0, 6.0}, {20.0, 0.0}, {20.0, -3.0}}) {
        TPeakHighpass bad;
        bad.Fpk = fpk, bad.Gpk = gpk;
        EXPECT_FALSE(bad.Calculate());
    }
}

// Parameters that pass the designs' own checks but are too extreme for a double:
// a power overflows, or a peak is too small to place. None of them is reported as
// a design; each stage then contributes nothing instead of a curve of NaN.
TEST(FilterDesigns, CoefficientsThatAreNotFiniteAreRefused) {
    std::vector<std::unique_ptr<TFilterBase>> refused;
    {
        auto f = std::make_unique<TLowpass>();
        f->SubType = 1, f->Order = 4, f->Fc = 1e100; // w^4 overflows
        refused.push_back(std::move(f));
    }
    {
        auto f = std::make_unique<THighpass>();
        f->SubType = 3, f->Order = 2, f->Fc = 1e200, f->Q = 0.7; // w^2 overflows
        refused.push_back(std::move(f));
    }
    {
        auto f = std::make_unique<TAllpass>();
        f->Order = 2, f->Delay = 1e-160, f->Q = 0.7; // w = 2/Delay, w^2 overflows
        refused.push_back(std::move(f));
    }
    {
        auto f = std::make_unique<TLinkwitzTransform>();
        f->F0 = 1e200, f->Q0 = 0.7, f->Fp = 20.0, f->Qp = 0.5;
        refused.push_back(std::move(f));
    }
    {
        auto f = std::make_unique<TParametricEQ>();
        f->Fc = 1e200, f->Q = 2.0, f->Gain = 6.0;
        refused.push_back(std::move(f));
    }
    {
        // 10^(Gpk/20) rounds to 1: the formula for Q then leaves no room below the peak.
        auto f = std::make_unique<TPeakHighpass>();
        f->Fpk = 20.0, f->Gpk = 1e-300;
        refused.push_back(std::move(f));
    }
    for (const auto& filter : refused) {
        EXPECT_FALSE(filter->Calculate()) << filter->Kind;
        EXPECT_FALSE(filter->HasResponse()) << filter->Kind;
        const TComplex response = filter->GetResponse(50.0);
        EXPECT_EQ(response.re, 1.0) << filter->Kind;
        EXPECT_EQ(response.im, 0.0) << filter->Kind;
        EXPECT_EQ(filter->GetGroupDelay(50.0), 0.0) << filter->Kind;
    }
    // Extreme but representable designs are still taken.
    TPeakHighpass small;
    small.Fpk = 20.0, small.Gpk = 0.01;
    ASSERT_TRUE(small.Calculate());
    EXPECT_NEAR(20.0 * std::log10(magnitude(small, 20.0)), 0.01, 1e-9);
    TLowpass high;
    high.Order = 10, high.Fc = 1e30;
    ASSERT_TRUE(high.Calculate());
    EXPECT_NEAR(magnitude(high, 1e30), 1.0 / std::sqrt(2.0), 1e-12);
}

TEST(StaticGainDesign, SameFactorEverywhere) {
    TStaticGain filter;
    filter.Gain = -6.0;
    ASSERT_TRUE(filter.Calculate());
    for (double f : {1.0, 100.0, 20000.0}) {
        EXPECT_NEAR(magnitude(filter, f), 0.501187, 1e-6);
        EXPECT_EQ(filter.GetResponse(f).im, 0.0);
        EXPECT_EQ(filter.GetGroupDelay(f), 0.0);
    }
}

} // namespace
