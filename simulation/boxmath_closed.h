#pragma once

// The closed box: the driver in a sealed chamber with leakage and absorption losses. Its curve
// function ClosedBox_Func is declared with the protocol in simulation/boxmath.h.

#include "model/HV_Math.h"

#include <array>

// Resonance Fc (Hz) and total Q of the closed box from the roots of its characteristic cubic as
// CubicRoots gives them (complexPair: its result). With a complex pair the pair is the
// resonance. With three real roots the one nearest zero belongs to the chamber's leak and the
// other two form the resonance; when the two nearest zero are equal, that equal pair is the
// resonance (the critically damped limit, Qtc 0.5). False, with Fc and Qtc untouched, when the
// roots give no positive finite values.
bool ClosedBox_ResonanceFromRoots(const std::array<TComplex, 3>& roots, bool complexPair, double& Fc,
                                  double& Qtc);
