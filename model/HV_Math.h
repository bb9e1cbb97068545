#pragma once

// The shared numeric toolbox: a small complex type and the real helpers the
// simulation needs. Everything on the hot path of the box models lives here as
// inline code; nothing allocates, keeps state or reports errors.

#include <cmath>

struct TComplex {
    double re;
    double im;
};

inline constexpr double HV_Pi = 3.14159265358979323846;

inline TComplex MakeComplex(double re, double im) {
    return TComplex{re, im};
}

inline TComplex ComplexAdd(TComplex a, TComplex b) {
    return TComplex{a.re + b.re, a.im + b.im};
}

inline TComplex ComplexSub(TComplex a, TComplex b) {
    return TComplex{a.re - b.re, a.im - b.im};
}

inline TComplex ComplexMul(TComplex a, TComplex b) {
    return TComplex{a.re * b.re - a.im * b.im, a.im * b.re + a.re * b.im};
}

inline TComplex ComplexScale(TComplex z, double k) {
    return TComplex{k * z.re, k * z.im};
}

// Smith's division: the divisor is normalised by its larger component first so
// that neither |b|^2 nor the cross products overflow for large divisors.
// Dividing by zero gives non-finite parts, which the plots show as a gap.
inline TComplex ComplexDiv(TComplex a, TComplex b) {
    const double c = b.re;
    const double d = b.im;
    if (std::fabs(c) >= std::fabs(d)) {
        const double r = d / c;
        const double den = c + d * r;
        return TComplex{(a.re + a.im * r) / den, (a.im - a.re * r) / den};
    }
    const double r = c / d;
    const double den = d + c * r;
    return TComplex{(a.re * r + a.im) / den, (a.im * r - a.re) / den};
}

inline TComplex ComplexInv(TComplex z) {
    const double den = z.re * z.re + z.im * z.im;
    return TComplex{z.re / den, -z.im / den};
}

// Modulus without forming re^2 + im^2, which would overflow near 1e154.
inline double ComplexAbs(TComplex z) {
    const double x = std::fabs(z.re);
    const double y = std::fabs(z.im);
    if (x == 0.0)
        return y;
    if (y == 0.0)
        return x;
    if (x > y) {
        const double t = y / x;
        return x * std::sqrt(1.0 + t * t);
    }
    const double t = x / y;
    return y * std::sqrt(1.0 + t * t);
}

// Principal argument in (-pi, pi]; the negative real axis gives +pi.
inline double ComplexArg(TComplex z) {
    if (z.im != 0.0)
        return (z.im > 0.0 ? HV_Pi / 2.0 : -HV_Pi / 2.0) - std::atan(z.re / z.im);
    return z.re >= 0.0 ? 0.0 : HV_Pi;
}

// base^exponent with the program's own order of special cases: the square of a
// negative number is taken as the square of its magnitude, anything to the power
// 0 is 1, and 0 to any other power is 0. A negative base with any other exponent
// has no real result and gives NaN.
inline double RealPower(double base, double exponent) {
    if (exponent == 2.0 && base < 0.0)
        base = -base;
    if (exponent == 0.0)
        return 1.0;
    if (base == 0.0)
        return 0.0;
    if (base < 0.0)
        return std::nan("");
    return static_cast<double>(
        std::exp2l(static_cast<long double>(exponent) * std::log2l(static_cast<long double>(base))));
}

// x^(1/n) through the general power function.
double NthRoot(double x, double n);

// x rounded to n decimals, halves to the even neighbour. When x·10^n is not
// finite or already too large for the 64-bit integer step (2^53 and above it has
// no fraction left anyway), x comes back unchanged.
double RoundToDecimals(int n, double x);

// J1(x) by the rational approximation below 8 and the asymptotic form above;
// the cone directivity 2·J1(u)/u is formed from it per frequency point.
inline double BesselJ1(double x) {
    const double ax = std::fabs(x);
    if (ax < 8.0) {
        const double y = x * x;
        const double p =
            x * (72362614232.0 +
                 y * (-7895059235.0 +
                      y * (242396853.1 + y * (-2972611.439 + y * (15704.48260 + y * (-30.16036606))))));
        const double q =
            144725228442.0 +
            y * (2300535178.0 + y * (18583304.74 + y * (99447.43394 + y * (376.9991397 + y * 1.0))));
        return p / q;
    }
    const double z = 8.0 / ax;
    const double y = z * z;
    const double xx = ax - 2.356194491;
    const double p1 =
        1.0 + y * (0.183105e-2 + y * (-0.3516396496e-4 + y * (0.2457520174e-5 + y * (-0.240337019e-6))));
    const double p2 = 0.04687499995 + y * (-0.2002690873e-3 +
                                           y * (0.8449199096e-5 + y * (-0.88228987e-6 + y * 0.105787412e-6)));
    const double result = std::sqrt(0.636619772 / ax) * (std::cos(xx) * p1 - z * std::sin(xx) * p2);
    return x < 0.0 ? -result : result;
}
