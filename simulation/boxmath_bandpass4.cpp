#include "simulation/boxmath_bandpass4.h"

#include <cmath>

namespace {

bool IsPositive(double value) {
    return std::isfinite(value) && value > 0.0;
}

bool SealedUsable(const TChamberElements& chamber) {
    return IsPositive(chamber.Cab) && IsPositive(chamber.Ral) && IsPositive(chamber.Rab);
}

bool VentedUsable(const TChamberElements& chamber) {
    return IsPositive(chamber.Cab) && IsPositive(chamber.Map) && IsPositive(chamber.Ral) &&
           IsPositive(chamber.Rab) && IsPositive(chamber.Rap);
}

// The circuit at one frequency. Parallel branches are summed as admittances; the admittances
// are kept so that the flows through the branches need products only.
struct Circuit {
    double f = -1;
    TComplex rearBoxAdmittance{};   // 1/(Rabr + 1/(jω·Cabr))
    TComplex rear{};                // rear box branch ∥ Ralr
    TComplex frontBoxAdmittance{};  // 1/(Rabf + 1/(jω·Cabf))
    TComplex frontPortAdmittance{}; // 1/(Rapf + jω·Mapf)
    TComplex front{};               // front box ∥ Ralf ∥ front port
    TComplex chambersAdmittance{};  // 1/(front + rear): both chambers in the path of the cone's air
    TComplex load{};                // (front + rear) ∥ Ricl
};

// The model seen by the shared evaluations. The circuit of the last frequency is kept, since the
// load and the radiated term are asked for one after the other at the same frequency.
class Bandpass4Model {
public:
    static constexpr bool OffAxis = false;

    Bandpass4Model(const TDriverObject& driver, const TBoxData& box, const TBoxModelState& state)
        : driver_(driver), box_(box), state_(state), rearLeak_(1.0 / state.rear.Ral),
          frontLeak_(1.0 / state.front.Ral), chamberLeak_(1.0 / state.Ricl) {}

    const Circuit& At(double f) const {
        if (circuit_.f == f)
            return circuit_;
        const double omega = 2.0 * HV_Pi * f;
        Circuit& c = circuit_;
        c.f = f;
        c.rearBoxAdmittance = ComplexInv(BoxMath_BoxBranch(state_.rear, omega));
        c.rear = ComplexInv(ComplexAdd(c.rearBoxAdmittance, MakeComplex(rearLeak_, 0.0)));
        c.frontBoxAdmittance = ComplexInv(BoxMath_BoxBranch(state_.front, omega));
        c.frontPortAdmittance = ComplexInv(BoxMath_PortBranch(state_.front, omega));
        c.front = ComplexInv(ComplexAdd(ComplexAdd(c.frontBoxAdmittance, c.frontPortAdmittance),
                                        MakeComplex(frontLeak_, 0.0)));
        c.chambersAdmittance = ComplexInv(ComplexAdd(c.front, c.rear));
        c.load = ComplexInv(ComplexAdd(c.chambersAdmittance, MakeComplex(chamberLeak_, 0.0)));
        return c;
    }

    TComplex Load(double f) const { return At(f).load; }

    // The net volume velocity leaving the box: what the cone pushes into the front chamber and
    // draws from the rear, less what the two box compliances store. The volume velocity U through
    // both chambers is the loaded response over their series impedance; each chamber's pressure
    // is U times its impedance.
    TComplex Radiated(TComplex load, double f, double scale) const {
        const Circuit& c = At(f);
        const TComplex U = ComplexMul(driver_.LoadedResponse(load, f, scale), c.chambersAdmittance);
        const TComplex frontPressure = ComplexMul(U, c.front);
        const TComplex rearPressure = ComplexMul(U, c.rear);
        return ComplexSub(ComplexMul(rearPressure, c.rearBoxAdmittance),
                          ComplexMul(frontPressure, c.frontBoxAdmittance));
    }

    double MaxPower(TComplex load, double f) const { return BoxMath_MaxPower(driver_, box_, load, f); }

    // Volume velocity through the front port for the scale k.
    TComplex FrontPortFlow(double f, double scale) const {
        const Circuit& c = At(f);
        const TComplex U = ComplexMul(driver_.LoadedResponse(c.load, f, scale), c.chambersAdmittance);
        return ComplexMul(ComplexMul(U, c.front), c.frontPortAdmittance);
    }

private:
    const TDriverObject& driver_;
    const TBoxData& box_;
    const TBoxModelState& state_;
    const double rearLeak_; // conductances of the leaks
    const double frontLeak_;
    const double chamberLeak_;
    mutable Circuit circuit_;
};

// Prepares the circuit into state; false when it does not exist. Reports the sealed-chamber
// resonance only for a circuit that exists.
bool SetUp(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box,
           const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state) {
    if (!BoxMath_CommonSetup(point, box, driver, state) ||
        !BoxMath_LossFactorsUsable({box.Qlr, box.Qar, box.Qlf, box.Qaf, box.Qpf, box.Qiclfr}))
        return false;
    if (kind == ckFrontPortVelocity && !IsPositive(box.Sdfport))
        return false;

    const double Cas = driver.Cas;
    const double Mas = driver.Mas;
    state.rear = BoxMath_SealedChamber(box.Vr, box.Qlr, box.Qar, Cas, Mas, state.rhoc2);
    // The driver's compliance in series with that of the sealed chamber sets its resonance there.
    const double Ct = 1.0 / (1.0 / Cas + 1.0 / state.rear.Cab);
    const double sealedResonance = 1.0 / (2.0 * HV_Pi * std::sqrt(Mas * Ct));
    state.front = BoxMath_VentedChamber(box.Vf, box.Ff, box.Qlf, box.Qaf, box.Qpf, state.rhoc2);
    state.Ricl = box.Qiclfr * std::sqrt(Mas / Cas);

    if (!SealedUsable(state.rear) || !VentedUsable(state.front) || !IsPositive(state.Ricl) ||
        !IsPositive(sealedResonance))
        return false;

    BoxMath_Report(report, rcFc, sealedResonance);
    return true;
}

TComplex Evaluate(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box,
                  const TDriverObject& driver, const TBoxModelState& state) {
    const double f = point.f;
    const double omega = 2.0 * HV_Pi * f;
    const Bandpass4Model model(driver, box, state);
    TComplex out = MakeComplex(0.0, 0.0);
    switch (kind) {
    case ckTransfer:
        out = BoxMath_TimesJOmega(model.Radiated(model.Load(f), f, driver.MasOverRae), omega);
        break;
    case ckFrontPortGain:
        out = BoxMath_TimesJOmega(model.FrontPortFlow(f, driver.MasOverRae), omega);
        break;
    case ckFrontPortVelocity:
        out = ComplexScale(model.FrontPortFlow(f, driver.DriveOverRae / box.Sdfport), std::sqrt(point.P));
        break;
    default:
        BoxMath_EvaluateShared(kind, point, box, driver, state, model, out);
        break;
    }
    return out;
}

} // namespace

void Bandpass4_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                    const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state) {
    // Without both volumes and the front tuning there is no box to describe: every call answers 0 + 0j.
    const bool dimensionsKnown = box.Vr > 0.0 && box.Vf > 0.0 && box.Ff > 0.0;
    BoxMath_Call(
        btBandpass4, dimensionsKnown, kind, out, state,
        [&](TBoxModelState& prepared) { return SetUp(kind, point, box, report, driver, prepared); },
        [&](TCurveKind kept, const TBoxModelState& prepared) {
            if (!IsPositive(point.f))
                return MakeComplex(0.0, 0.0);
            return Evaluate(kept, point, box, driver, prepared);
        });
}
