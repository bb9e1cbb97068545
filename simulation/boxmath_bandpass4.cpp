#include "simulation/boxmath_bandpass4.h"

#include <cmath>

namespace {

// Prepares the circuit into state; false when it does not exist. Reports the sealed-chamber
// resonance only for a circuit that exists.
bool SetUp(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box,
           const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state) {
    if (!BoxMath_CommonSetup(point, box, driver, state) || !BoxMath_LossFactorsUsable(box, btBandpass4))
        return false;
    if (kind == ckFrontPortVelocity && !BoxMath_IsPositive(box.Sdfport))
        return false;

    const double Cas = driver.Cas;
    const double Mas = driver.Mas;
    state.rear = BoxMath_SealedChamber(box.Vr, box.Qlr, box.Qar, Cas, Mas, state.rhoc2);
    // The driver's compliance in series with that of the sealed chamber sets its resonance there.
    const double Ct = 1.0 / (1.0 / Cas + 1.0 / state.rear.Cab);
    const double sealedResonance = 1.0 / (2.0 * HV_Pi * std::sqrt(Mas * Ct));
    state.front = BoxMath_VentedChamber(box.Vf, box.Ff, box.Qlf, box.Qaf, box.Qpf, state.rhoc2);
    state.Ricl = box.Qiclfr * std::sqrt(Mas / Cas);

    if (!BoxMath_SealedChamberUsable(state.rear) || !BoxMath_VentedChamberUsable(state.front) ||
        !BoxMath_IsPositive(state.Ricl) || !BoxMath_IsPositive(sealedResonance))
        return false;

    BoxMath_Report(report, rcFc, sealedResonance);
    return true;
}

} // namespace

void Bandpass4_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                    const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state) {
    // Without both volumes and the front tuning there is no box to describe: every call answers 0 + 0j.
    const bool dimensionsKnown = box.Vr > 0.0 && box.Vf > 0.0 && box.Ff > 0.0;
    BoxMath_Call(
        btBandpass4, dimensionsKnown, kind, point, out, state,
        [&](TBoxModelState& prepared) { return SetUp(kind, point, box, report, driver, prepared); },
        [&](TCurveKind kept, const TBoxModelState& prepared) {
            // The rear chamber is sealed: the circuit has no rear port.
            return BoxMath_EvaluateTwoChamber<false>(kept, point, box, driver, prepared);
        });
}
