#pragma once

// Sixth-order bandpass: the driver between two vented chambers, with a leak between the chambers
// across the driver. Sound leaves through both ports and the leaks only, so the cone's
// directivity plays no part. The set-up reports nothing.
//
// Answered kinds: 0 transfer, 2 front and 3 rear port gain, 5 front and 6 rear port air
// velocity, 7 cone excursion, 9 impedance, 10 maximum power, 11 group delay, 12 SPL, 13 maximum
// SPL; every other kind is 0 + 0j.

#include "simulation/boxmath.h"

void Bandpass6_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                    const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state);
