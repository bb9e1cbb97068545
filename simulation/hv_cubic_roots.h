#pragma once

// Roots of a monic cubic by the trigonometric and Cardano forms.

#include "model/HV_Math.h"

#include <array>

// The three roots of x³ + a2·x² + a1·x + a0 = 0. True when one root is real and two are complex
// (roots[0] the real one, roots[1] and roots[2] a conjugate pair), false when all three are
// real (imaginary parts 0).
bool CubicRoots(double a2, double a1, double a0, std::array<TComplex, 3>& roots);
