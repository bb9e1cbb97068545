#pragma once

// Rational functions of the Laplace variable s, the polynomial type shared by
// the driver model and every filter stage.

#include "model/HV_Math.h"

#include <cstdint>
#include <optional>

inline constexpr std::int32_t MaxTransferOrder = 10;

// H(s) = sum(Num[k]·s^k, k = 0..NumOrder) / sum(Den[k]·s^k, k = 0..DenOrder).
// Coefficients above the degrees are ignored. A fresh record is H(s) = 1.
struct TTransferFunction {
    double Num[MaxTransferOrder + 1] = {1.0};
    double Den[MaxTransferOrder + 1] = {1.0};
    std::int32_t NumOrder = 0;
    std::int32_t DenOrder = 0;
};

inline bool TransferOrdersValid(const TTransferFunction& tf) {
    return tf.NumOrder >= 0 && tf.NumOrder <= MaxTransferOrder && tf.DenOrder >= 0 &&
           tf.DenOrder <= MaxTransferOrder;
}

// H(j·w), w in rad/s, by Horner's scheme on both polynomials. A record whose
// degrees are out of range evaluates to NaN instead of reading past its arrays.
// Numerator and denominator of tf at s = jw, undivided, for callers that combine several
// fractions into one division. False (both NaN) when the orders are not valid.
inline bool EvalTransferParts(const TTransferFunction& tf, double w, TComplex& p, TComplex& q) {
    if (!TransferOrdersValid(tf)) {
        p = q = MakeComplex(std::nan(""), std::nan(""));
        return false;
    }
    // Each step is p·jw + coefficient; s = jw is purely imaginary, so the product needs two
    // multiplications, not a full complex product (the same numbers for finite values).
    p = MakeComplex(tf.Num[tf.NumOrder], 0.0);
    for (std::int32_t k = tf.NumOrder - 1; k >= 0; --k)
        p = MakeComplex(tf.Num[k] - w * p.im, w * p.re);
    q = MakeComplex(tf.Den[tf.DenOrder], 0.0);
    for (std::int32_t k = tf.DenOrder - 1; k >= 0; --k)
        q = MakeComplex(tf.Den[k] - w * q.im, w * q.re);
    return true;
}

// A quantity of a circuit at s = jw together with its rate of change d/dw. The slope of its
// phase, d/dw arg z = Im(rate / value), then comes exact, with no step to choose: the group
// delay of a transfer is -Im(rate / value). The arithmetic below carries the rate along by the
// rules of differentiation, so a circuit written once for TComplex serves for both.
struct TComplexSlope {
    TComplex value;
    TComplex rate;
};

inline TComplexSlope ComplexAdd(TComplexSlope a, TComplexSlope b) {
    return {ComplexAdd(a.value, b.value), ComplexAdd(a.rate, b.rate)};
}
inline TComplexSlope ComplexSub(TComplexSlope a, TComplexSlope b) {
    return {ComplexSub(a.value, b.value), ComplexSub(a.rate, b.rate)};
}
inline TComplexSlope ComplexMul(TComplexSlope a, TComplexSlope b) {
    return {ComplexMul(a.value, b.value),
            ComplexAdd(ComplexMul(a.rate, b.value), ComplexMul(a.value, b.rate))};
}
inline TComplexSlope ComplexScale(TComplexSlope z, double k) {
    return {ComplexScale(z.value, k), ComplexScale(z.rate, k)};
}
// (a/b)' = (a' - (a/b)·b') / b.
inline TComplexSlope ComplexDiv(TComplexSlope a, TComplexSlope b) {
    const TComplex quotient = ComplexDiv(a.value, b.value);
    return {quotient, ComplexDiv(ComplexSub(a.rate, ComplexMul(quotient, b.rate)), b.value)};
}
// (1/z)' = -z' / z².
inline TComplexSlope ComplexInv(TComplexSlope z) {
    const TComplex inverse = ComplexInv(z.value);
    return {inverse, ComplexScale(ComplexMul(z.rate, ComplexMul(inverse, inverse)), -1.0)};
}

// -d/dw arg z in s.
inline double SlopeGroupDelay(const TComplexSlope& z) {
    return -ComplexDiv(z.rate, z.value).im;
}

// P(jw) and d/dw P(jw) = j·P'(jw) for a real polynomial of the given order, P and P' by Horner's
// scheme together.
inline TComplexSlope PolynomialSlope(const double* coefficients, std::int32_t order, double w) {
    TComplex p = MakeComplex(coefficients[order], 0.0);
    TComplex derivative = MakeComplex(0.0, 0.0);
    for (std::int32_t k = order - 1; k >= 0; --k) {
        derivative = MakeComplex(p.re - w * derivative.im, w * derivative.re + p.im);
        p = MakeComplex(coefficients[k] - w * p.im, w * p.re);
    }
    return {p, MakeComplex(-derivative.im, derivative.re)};
}

// d/dw of arg P(jw) for a real polynomial of the given order. A constant polynomial turns no
// phase.
inline double PolynomialPhaseRate(const double* coefficients, std::int32_t order, double w) {
    if (order == 0)
        return 0.0;
    return -SlopeGroupDelay(PolynomialSlope(coefficients, order, w));
}

// The group delay of tf at w in s, from the exact slope of its phase: H = N / D delays by
// -d/dw (arg N - arg D). NaN when the orders are not valid.
inline double TransferGroupDelay(const TTransferFunction& tf, double w) {
    if (!TransferOrdersValid(tf))
        return std::nan("");
    return PolynomialPhaseRate(tf.Den, tf.DenOrder, w) - PolynomialPhaseRate(tf.Num, tf.NumOrder, w);
}

inline TComplex EvalTransferFunction(const TTransferFunction& tf, double w) {
    TComplex p, q;
    if (!EvalTransferParts(tf, w, p, q))
        return p;
    return ComplexDiv(p, q);
}

// H(jw) and d/dw H(jw); NaN when the orders are not valid.
inline TComplexSlope EvalTransferSlope(const TTransferFunction& tf, double w) {
    if (!TransferOrdersValid(tf)) {
        const TComplex nan = MakeComplex(std::nan(""), std::nan(""));
        return {nan, nan};
    }
    return ComplexMul(PolynomialSlope(tf.Num, tf.NumOrder, w),
                      ComplexInv(PolynomialSlope(tf.Den, tf.DenOrder, w)));
}

// a·b as a new record. A product whose numerator or denominator degree would
// exceed MaxTransferOrder cannot be held and is refused rather than truncated.
std::optional<TTransferFunction> MultiplyTransferFunctions(const TTransferFunction& a,
                                                           const TTransferFunction& b);

// Substitutes s -> s/x in place, moving a prototype normalised to 1 rad/s to the
// angular frequency x. Refuses (and leaves tf unchanged) unless x is finite and
// above 0 and the degrees are in range.
bool ScaleTransferFunction(TTransferFunction& tf, double x);
