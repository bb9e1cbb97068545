#include "simulation/boxmath_closed.h"

#include "simulation/boxmath.h"
#include "simulation/hv_cubic_roots.h"

#include <algorithm>
#include <cmath>

bool ClosedBox_ResonanceFromRoots(const std::array<TComplex, 3>& roots, bool complexPair, double& Fc,
                                  double& Qtc) {
    for (const TComplex& root : roots) {
        if (!std::isfinite(root.re) || !std::isfinite(root.im))
            return false;
    }
    double fc = 0.0;
    double qtc = 0.0;
    if (complexPair) {
        // Both members of the pair give the same values.
        const TComplex r = roots[1];
        const double magnitude = ComplexAbs(r);
        fc = magnitude / (2.0 * HV_Pi);
        qtc = magnitude / (-2.0 * r.re);
    } else {
        std::array<double, 3> re = {roots[0].re, roots[1].re, roots[2].re};
        std::sort(re.begin(), re.end()); // re[2] is nearest zero
        double r1 = re[0];
        double r2 = re[1];
        if (re[1] == re[2]) {
            r1 = re[1];
            r2 = re[2];
        }
        const double f1 = -r1 / (2.0 * HV_Pi);
        const double f2 = -r2 / (2.0 * HV_Pi);
        fc = std::sqrt(f1 * f2);
        qtc = fc / (f1 + f2);
    }
    if (!std::isfinite(fc) || !std::isfinite(qtc) || !(fc > 0.0) || !(qtc > 0.0))
        return false;
    Fc = fc;
    Qtc = qtc;
    return true;
}

namespace {

// The closed box's load and radiated term at one frequency, read from the caller's state.
struct ClosedModel : BoxMath_OneChamberModel<ClosedModel> {
    template <class Z> Z LoadOf(double omega) const {
        return BoxMath_Parallel(BoxMath_BoxBranchOf<Z>(state.rear, omega),
                                BoxMath_Constant<Z>(state.rear.Ral));
    }

    double MaxPower(TComplex load, double f) const { return BoxMath_MaxPower(driver, box, load, f); }
};

// Qtc and Fc from the characteristic cubic of the circuit
// Rae + Ras + s·Mas + 1/(s·Cas) + (Rab + 1/(s·Cab)) || Ral = 0, multiplied out. False when the
// cubic does not exist (its leading coefficient K3 is 0 or a coefficient is not finite).
bool CharacteristicCubic(const TChamberElements& chamber, const TDriverObject& driver, double& a2, double& a1,
                         double& a0) {
    const double Cab = chamber.Cab;
    const double Rab = chamber.Rab;
    const double Ral = chamber.Ral;
    const double Cas = driver.Cas;
    const double Mas = driver.Mas;
    const double Ras = driver.Ras;
    const double Rae = driver.Rae;
    const double K3 = Cab * Cas * Mas * (Rab + Ral);
    if (!std::isfinite(K3) || K3 == 0.0)
        return false;
    a2 = (Cas * Mas + Cab * Cas * (Rab * Rae + Ral * Rab + Ral * Rae + Ras * Rab + Ras * Ral)) / K3;
    a1 = (Cab * Rab + Cas * Rae + Cab * Ral + Cas * Ral + Cas * Ras) / K3;
    a0 = 1.0 / K3;
    return std::isfinite(a2) && std::isfinite(a1) && std::isfinite(a0);
}

} // namespace

void ClosedBox_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                    const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state) {
    BoxMath_Call(
        btClosed, box.Vr > 0.0, kind, point, out, state,
        [&](TBoxModelState& prepared) {
            if (!BoxMath_CommonSetup(point, box, driver, prepared) ||
                !BoxMath_LossFactorsUsable(box, btClosed))
                return false;
            prepared.rear =
                BoxMath_SealedChamber(box.Vr, box.Qlr, box.Qar, driver.Cas, driver.Mas, prepared.rhoc2);
            if (!BoxMath_IsValid(prepared.rear))
                return false;
            double a2 = 0.0;
            double a1 = 0.0;
            double a0 = 0.0;
            if (!CharacteristicCubic(prepared.rear, driver, a2, a1, a0))
                return false;
            std::array<TComplex, 3> roots{};
            const bool complexPair = CubicRoots(a2, a1, a0, roots);
            double Fc = 0.0;
            double Qtc = 0.0;
            if (ClosedBox_ResonanceFromRoots(roots, complexPair, Fc, Qtc)) {
                BoxMath_Report(report, rcQtc, Qtc);
                BoxMath_Report(report, rcFc, Fc);
            }
            return true;
        },
        [&](TCurveKind kept, const TBoxModelState& prepared) {
            TComplex value = MakeComplex(0.0, 0.0);
            BoxMath_EvaluateShared(kept, point, box, driver, prepared, ClosedModel{{box, driver, prepared}},
                                   value);
            return value;
        });
}
