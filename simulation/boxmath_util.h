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
inline TComplex EvalTransferFunction(const TTransferFunction& tf, double w) {
    if (!TransferOrdersValid(tf))
        return MakeComplex(std::nan(""), std::nan(""));
    // Each step is p·jw + coefficient; s = jw is purely imaginary, so the product needs two
    // multiplications, not a full complex product (the same numbers for finite values).
    TComplex p = MakeComplex(tf.Num[tf.NumOrder], 0.0);
    for (std::int32_t k = tf.NumOrder - 1; k >= 0; --k)
        p = MakeComplex(tf.Num[k] - w * p.im, w * p.re);
    TComplex q = MakeComplex(tf.Den[tf.DenOrder], 0.0);
    for (std::int32_t k = tf.DenOrder - 1; k >= 0; --k)
        q = MakeComplex(tf.Den[k] - w * q.im, w * q.re);
    return ComplexDiv(p, q);
}

// a·b as a new record. A product whose numerator or denominator degree would
// exceed MaxTransferOrder cannot be held and is refused rather than truncated.
std::optional<TTransferFunction> MultiplyTransferFunctions(const TTransferFunction& a,
                                                           const TTransferFunction& b);

// Substitutes s -> s/x in place, moving a prototype normalised to 1 rad/s to the
// angular frequency x. Refuses (and leaves tf unchanged) unless x is finite and
// above 0 and the degrees are in range.
bool ScaleTransferFunction(TTransferFunction& tf, double x);
