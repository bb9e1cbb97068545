#pragma once

// Bessel prototypes normalised to 1 rad/s, orders 1..10. The denominator is the
// reverse Bessel polynomial scaled so that its first and last coefficients are
// 1 (the low- and high-frequency asymptotes meet at 1 rad/s).

#include "simulation/boxmath_util.h"

inline constexpr std::int32_t MaxBesselOrder = 10;

// 1 / D(s). Returns false and leaves tf unwritten for n outside 1..10.
bool BesselLowpassPrototype(std::int32_t n, TTransferFunction& tf);

// s^n / (s^n · D(1/s)): the low-pass mirrored about 1 rad/s, the true Bessel
// high-pass of order n. Returns false and leaves tf unwritten for n outside 1..10.
bool BesselHighpassPrototype(std::int32_t n, TTransferFunction& tf);
