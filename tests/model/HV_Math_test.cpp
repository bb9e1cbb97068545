#include "model/BV_Const.h"
#include "model/HV_Math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <string>

namespace {

std::complex<double> toStd(TComplex z) {
    return {z.re, z.im};
}

TEST(HVMathComplex, ArithmeticMatchesStandardComplex) {
    const TComplex values[] = {{1.5, -2.0}, {0.0, 3.0}, {-4.25, 0.5}, {1e-3, 7e2}, {-2.0, -2.0}};
    for (TComplex a : values) {
        for (TComplex b : values) {
            const auto sa = toStd(a);
            const auto sb = toStd(b);
            const auto check = [](TComplex got, std::complex<double> want) {
                const double tolerance = 1e-12 * (1.0 + std::abs(want));
                EXPECT_NEAR(got.re, want.real(), tolerance);
                EXPECT_NEAR(got.im, want.imag(), tolerance);
            };
            check(ComplexAdd(a, b), sa + sb);
            check(ComplexSub(a, b), sa - sb);
            check(ComplexMul(a, b), sa * sb);
            check(ComplexDiv(a, b), sa / sb);
            check(ComplexScale(a, -2.5), sa * -2.5);
            check(ComplexInv(a), 1.0 / sa);
            EXPECT_NEAR(ComplexAbs(a), std::abs(sa), 1e-12 * std::abs(sa));
        }
    }
    const TComplex z = MakeComplex(3.0, -7.0);
    EXPECT_EQ(z.re, 3.0);
    EXPECT_EQ(z.im, -7.0);
}

TEST(HVMathComplex, DivisionByLargeDivisorsStaysFinite) {
    struct Case {
        TComplex a, b, expected;
    };
    const Case cases[] = {
        {{1.0, 0.0}, {0.0, 2.0}, {0.0, -0.5}},
        // (1 + j) / (1 - j) = j, with every part near the top of the double range.
        {{1e300, 1e300}, {1e300, -1e300}, {0.0, 1.0}},
        // 1 / (1e300·(1 + j)) = (1 - j) / 2e300.
        {{1.0, 0.0}, {1e300, 1e300}, {0.5e-300, -0.5e-300}},
        // |b|^2 would overflow, the quotient does not.
        {{1e300, 0.0}, {0.0, 1e300}, {0.0, -1.0}},
        {{3e300, 4e300}, {3e300, 4e300}, {1.0, 0.0}},
    };
    for (const Case& c : cases) {
        const TComplex q = ComplexDiv(c.a, c.b);
        ASSERT_TRUE(std::isfinite(q.re) && std::isfinite(q.im));
        const double scale = std::max(std::fabs(c.expected.re), std::fabs(c.expected.im));
        EXPECT_NEAR(q.re, c.expected.re, 1e-14 * scale);
        EXPECT_NEAR(q.im, c.expected.im, 1e-14 * scale);
    }
}

TEST(HVMathComplex, ModulusWithoutOverflow) {
    struct Case {
        TComplex z;
        double expected;
    };
    const Case cases[] = {
        {{3.0, 4.0}, 5.0},
        {{0.0, -2.0}, 2.0},
        {{-6.0, 0.0}, 6.0},
        {{0.0, 0.0}, 0.0},
        {{1e200, 1e200}, std::hypot(1e200, 1e200)},
        {{1e300, -1e300}, std::hypot(1e300, 1e300)},
        {{-1e-300, 1e-300}, std::hypot(1e-300, 1e-300)},
        {{1e308, 1e308}, std::hypot(1e308, 1e308)},
    };
    for (const Case& c : cases) {
        const double got = ComplexAbs(c.z);
        ASSERT_TRUE(std::isfinite(got));
        EXPECT_NEAR(got, c.expected, 1e-15 * c.expected);
    }
}

TEST(HVMathComplex, ArgumentIsPrincipal) {
    struct Case {
        TComplex z;
        double expected;
    };
    const Case cases[] = {
        {{-1.0, 0.0}, HV_Pi},    {{0.0, 0.0}, 0.0},         {{1.0, 0.0}, 0.0},
        {{0.0, 1.0}, HV_Pi / 2}, {{0.0, -1.0}, -HV_Pi / 2}, {{-1.0, -1e-300}, -HV_Pi},
        {{-1.0, 1e-300}, HV_Pi},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(ComplexArg(c.z), c.expected, 1e-15) << c.z.re << " " << c.z.im;
    // Away from the cut the result is atan2's, in every quadrant.
    for (double re = -3.0; re <= 3.0; re += 0.75)
        for (double im = -3.0; im <= 3.0; im += 0.75)
            if (im != 0.0) {
                EXPECT_NEAR(ComplexArg({re, im}), std::atan2(im, re), 1e-14);
            }
}

TEST(HVMathReal, RealPowerOrderOfCases) {
    struct Case {
        double base, exponent, expected;
    };
    const Case cases[] = {
        {-3.0, 2.0, 9.0},           // square of a negative base
        {0.0, 0.0, 1.0},            // exponent 0 wins over base 0
        {-5.0, 0.0, 1.0},           // exponent 0 also for a negative base
        {0.0, 5.0, 0.0},            // base 0
        {0.0, -1.0, 0.0},           // base 0 even for a negative exponent
        {2.0, 0.5, std::sqrt(2.0)}, // general case
        {10.0, 3.0, 1000.0},
        {10.0, -2.0, 0.01},
        {7.5, 1.0, 7.5},
        {1.7, 2.0, 1.7 * 1.7},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(RealPower(c.base, c.exponent), c.expected, 1e-15 * std::fabs(c.expected))
            << c.base << "^" << c.exponent;
    EXPECT_TRUE(std::isnan(RealPower(-2.0, 0.5)));
    EXPECT_TRUE(std::isnan(RealPower(-2.0, 3.0)));
}

TEST(HVMathReal, NthRoot) {
    EXPECT_NEAR(NthRoot(27.0, 3.0), 3.0, 1e-15);
    EXPECT_NEAR(NthRoot(2.0, 2.0), std::sqrt(2.0), 1e-15);
    EXPECT_NEAR(NthRoot(0.001, 3.0), 0.1, 1e-16);
}

TEST(HVMathReal, RoundToDecimalsHalvesToEven) {
    struct Case {
        int decimals;
        double x, expected;
    };
    const Case cases[] = {
        {0, 2.5, 2.0},
        {0, 3.5, 4.0},
        {0, -2.5, -2.0},
        {0, -3.5, -4.0},
        {0, 2.4999, 2.0},
        {1, 0.25, 0.2},
        {1, 0.75, 0.8},
        {3, 3.14159, 3.142},
        {-2, 1250.0, 1200.0},
        {-2, 1350.0, 1400.0},
        {0, 0.0, 0.0},
        // 1.005 is stored as 1.00499999999999989..., so it rounds down.
        {2, 1.005, 1.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(RoundToDecimals(c.decimals, c.x), c.expected) << c.decimals << " " << c.x;
}

TEST(HVMathReal, RoundToDecimalsLeavesUnroundableValues) {
    const double limit = 9007199254740992.0; // 2^53
    const double unchanged[][2] = {
        {0, 1e300}, {300, 1e10}, {400, 1.5}, {0, limit}, {0, -limit}, {2, 1e14}, {0, 1e19}, {0, -1e19},
    };
    for (const auto& c : unchanged)
        EXPECT_EQ(RoundToDecimals(static_cast<int>(c[0]), c[1]), c[1]) << c[0] << " " << c[1];
    EXPECT_EQ(RoundToDecimals(0, limit - 1.0), limit - 1.0);
    EXPECT_EQ(RoundToDecimals(0, std::numeric_limits<double>::infinity()),
              std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(RoundToDecimals(2, std::nan(""))));
}

TEST(HVMathBessel, J1AgreesWithLibraryAcrossBranches) {
    for (double x = 0.0; x <= 60.0; x += 0.0625) {
        const double reference = std::cyl_bessel_j(1.0, x);
        EXPECT_NEAR(BesselJ1(x), reference, 2e-8) << x;
        EXPECT_EQ(BesselJ1(-x), -BesselJ1(x)) << x;
    }
    EXPECT_EQ(BesselJ1(0.0), 0.0);
    // Both sides of the switch at 8 agree with each other and with the reference.
    const double below = BesselJ1(std::nextafter(8.0, 0.0));
    const double at = BesselJ1(8.0);
    EXPECT_NEAR(below, at, 1e-8);
    EXPECT_NEAR(at, std::cyl_bessel_j(1.0, 8.0), 1e-8);
}

TEST(BVConst, NameTablesInStoredOrder) {
    const std::string filters[] = {"Lowpass",       "Highpass",
                                   "Allpass",       "Linkwitz transform",
                                   "Parametric EQ", "Peaking 2nd order highpass",
                                   "Static gain"};
    for (int k = 0; k < FilterKindCount; ++k)
        EXPECT_EQ(FilterNames[k], filters[k]);
    EXPECT_EQ(std::string(VentEndNames[0]), "Two free ends");
    EXPECT_EQ(std::string(VentEndNames[1]), "One flanged end");
    EXPECT_EQ(std::string(VentEndNames[2]), "Two flanged ends");
}

} // namespace
