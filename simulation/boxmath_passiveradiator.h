#pragma once

// Passive-radiator box: a closed chamber with one or more unpowered diaphragms in its wall. The
// radiators act as one acoustic series branch (mass, compliance, loss) in parallel with the box
// compliance and the leak.
//
// The set-up reports code 2 (rcRadiatorResonance), the radiators' resonance with their added
// mass, and then code 1 (rcFc), the system tuning. Answered kinds: 0 transfer, 1 radiator
// transfer, 7 cone excursion, 8 radiator excursion, 9 impedance, 10 maximum power (with the
// radiators' excursion as a third limit), 11 group delay, 12 SPL, 13 maximum SPL; every other
// kind is 0 + 0j.

#include "simulation/boxmath.h"

void PassiveRadiator_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                          const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state);
