// The vented box: the driver in a chamber tuned by a vent, with leakage, absorption and vent
// losses. Its curve function VentedBox_Func is declared with the protocol in simulation/boxmath.h.

#include "simulation/boxmath.h"

#include <cmath>

namespace {

struct VentedModel : BoxMath_OneChamberModel<VentedModel> {
    // The box branch, the leak and the port in parallel, as one inversion of the sum of their
    // admittances. The set-up keeps every resistance above 0, so no branch is a dead short.
    template <class Z> Z LoadOf(double omega) const {
        const Z admittance = ComplexAdd(ComplexAdd(ComplexInv(BoxMath_BoxBranchOf<Z>(state.rear, omega)),
                                                   BoxMath_Constant<Z>(1.0 / state.rear.Ral)),
                                        ComplexInv(BoxMath_PortBranchOf<Z>(state.rear, omega)));
        return ComplexInv(admittance);
    }

    // The volume velocity through the vent.
    TComplex PortFlow(TComplex load, double f, double scale) const {
        const double omega = 2.0 * HV_Pi * f;
        return ComplexDiv(driver.LoadedResponse(load, f, scale), BoxMath_PortBranch(state.rear, omega));
    }

    double MaxPower(TComplex load, double f) const { return BoxMath_MaxPower(driver, box, load, f); }
};

} // namespace

void VentedBox_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                    const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state) {
    (void)report; // the vented box derives nothing to report
    BoxMath_Call(
        btVented, box.Vr > 0.0 && box.Fr > 0.0, kind, point, out, state,
        [&](TBoxModelState& prepared) {
            // The vent's air velocity is the flow through the vent per area; without an area there
            // is no such curve.
            if (kind == ckRearPortVelocity && !(box.Sdrport > 0.0))
                return false;
            if (!BoxMath_CommonSetup(point, box, driver, prepared) ||
                !BoxMath_LossFactorsUsable(box, btVented))
                return false;
            prepared.rear = BoxMath_VentedChamber(box.Vr, box.Fr, box.Qlr, box.Qar, box.Qpr, prepared.rhoc2);
            // A tuning too high for a double leaves no vent mass, and with it no resistances: the
            // load would collapse to a short instead of a vent.
            return BoxMath_VentedChamberUsable(prepared.rear);
        },
        [&](TCurveKind kept, const TBoxModelState& prepared) {
            const VentedModel model{{box, driver, prepared}};
            const double f = point.f;
            const double omega = 2.0 * HV_Pi * f;
            TComplex value = MakeComplex(0.0, 0.0);
            switch (kept) {
            case ckRearPortGain:
                // A real factor ω, not jω: only the magnitude of the vent's gain is shown.
                value = ComplexScale(model.PortFlow(model.Load(f), f, driver.MasOverRae), omega);
                break;
            case ckSpare:
                value = MakeComplex(1.0, 0.0);
                break;
            case ckRearPortVelocity:
                value = ComplexScale(model.PortFlow(model.Load(f), f, driver.DriveOverRae / box.Sdrport),
                                     std::sqrt(point.P));
                break;
            default:
                BoxMath_EvaluateShared(kept, point, box, driver, prepared, model, value);
                break;
            }
            return value;
        });
}
