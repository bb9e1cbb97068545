#pragma once

// Fourth-order bandpass: the driver between a sealed rear chamber and a vented front chamber,
// with a leak between the chambers across the driver. Sound leaves through the front port and
// the leaks only, so the cone's directivity plays no part.
//
// The set-up reports code 1 (rcFc): the resonance of the driver in the sealed rear chamber.
// Answered kinds: 0 transfer, 2 front port gain, 5 front port air velocity, 7 cone excursion,
// 9 impedance, 10 maximum power, 11 group delay, 12 SPL, 13 maximum SPL; every other kind is
// 0 + 0j.

#include "simulation/boxmath.h"

void Bandpass4_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                    const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state);
