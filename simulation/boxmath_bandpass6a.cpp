#include "simulation/boxmath_bandpass6a.h"

#include <cmath>

namespace {

// Prepares the circuit into state; false when it does not exist.
bool SetUp(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TDriverObject& driver,
           TBoxModelState& state) {
    if (!BoxMath_CommonSetup(point, box, driver, state) || !BoxMath_LossFactorsUsable(box, btBandpass6))
        return false;
    if ((kind == ckFrontPortVelocity && !BoxMath_IsPositive(box.Sdfport)) ||
        (kind == ckRearPortVelocity && !BoxMath_IsPositive(box.Sdrport)))
        return false;

    state.rear = BoxMath_VentedChamber(box.Vr, box.Fr, box.Qlr, box.Qar, box.Qpr, state.rhoc2);
    state.front = BoxMath_VentedChamber(box.Vf, box.Ff, box.Qlf, box.Qaf, box.Qpf, state.rhoc2);
    state.Ricl = box.Qiclfr * std::sqrt(driver.Mas / driver.Cas);
    return BoxMath_VentedChamberUsable(state.rear) && BoxMath_VentedChamberUsable(state.front) &&
           BoxMath_IsPositive(state.Ricl);
}

} // namespace

void Bandpass6_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                    const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state) {
    // This box derives no value worth showing in the project; nothing is reported.
    (void)report;
    // Without both volumes and both tunings there is no box to describe: every call answers 0 + 0j.
    const bool dimensionsKnown = box.Vr > 0.0 && box.Vf > 0.0 && box.Ff > 0.0 && box.Fr > 0.0;
    BoxMath_Call(
        btBandpass6, dimensionsKnown, kind, point, out, state,
        [&](TBoxModelState& prepared) { return SetUp(kind, point, box, driver, prepared); },
        [&](TCurveKind kept, const TBoxModelState& prepared) {
            // Both chambers are vented.
            return BoxMath_EvaluateTwoChamber<true>(kept, point, box, driver, prepared);
        });
}
