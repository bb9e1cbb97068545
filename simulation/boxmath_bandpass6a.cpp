#include "simulation/boxmath_bandpass6a.h"

#include <cmath>

namespace {

bool IsPositive(double value) {
    return std::isfinite(value) && value > 0.0;
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
    TComplex rearPortAdmittance{};  // 1/(Rapr + jω·Mapr)
    TComplex rear{};                // rear box ∥ Ralr ∥ rear port
    TComplex frontBoxAdmittance{};  // 1/(Rabf + 1/(jω·Cabf))
    TComplex frontPortAdmittance{}; // 1/(Rapf + jω·Mapf)
    TComplex front{};               // front box ∥ Ralf ∥ front port
    TComplex chambersAdmittance{};  // 1/(front + rear): both chambers in the path of the cone's air
    TComplex load{};                // (front + rear) ∥ Ricl
};

// box ∥ leak ∥ port from the admittances of box and port and the leak's conductance.
TComplex VentedChamberLoad(TComplex boxAdmittance, TComplex portAdmittance, double leak) {
    return ComplexInv(ComplexAdd(ComplexAdd(boxAdmittance, portAdmittance), MakeComplex(leak, 0.0)));
}

// The model seen by the shared evaluations. The circuit of the last frequency is kept, since the
// load and the radiated term are asked for one after the other at the same frequency.
class Bandpass6Model {
public:
    static constexpr bool OffAxis = false;

    Bandpass6Model(const TDriverObject& driver, const TBoxData& box, const TBoxModelState& state)
        : driver_(driver), box_(box), state_(state), rearLeak_(1.0 / state.rear.Ral),
          frontLeak_(1.0 / state.front.Ral), chamberLeak_(1.0 / state.Ricl) {}

    const Circuit& At(double f) const {
        if (circuit_.f == f)
            return circuit_;
        const double omega = 2.0 * HV_Pi * f;
        Circuit& c = circuit_;
        c.f = f;
        c.rearBoxAdmittance = ComplexInv(BoxMath_BoxBranch(state_.rear, omega));
        c.rearPortAdmittance = ComplexInv(BoxMath_PortBranch(state_.rear, omega));
        c.rear = VentedChamberLoad(c.rearBoxAdmittance, c.rearPortAdmittance, rearLeak_);
        c.frontBoxAdmittance = ComplexInv(BoxMath_BoxBranch(state_.front, omega));
        c.frontPortAdmittance = ComplexInv(BoxMath_PortBranch(state_.front, omega));
        c.front = VentedChamberLoad(c.frontBoxAdmittance, c.frontPortAdmittance, frontLeak_);
        c.chambersAdmittance = ComplexInv(ComplexAdd(c.front, c.rear));
        c.load = ComplexInv(ComplexAdd(c.chambersAdmittance, MakeComplex(chamberLeak_, 0.0)));
        return c;
    }

    TComplex Load(double f) const { return At(f).load; }

    // The volume velocity U through both chambers is the loaded response over their series
    // impedance; each chamber's pressure is U times its impedance.
    TComplex ChamberFlow(TComplex load, double f, double scale) const {
        return ComplexMul(driver_.LoadedResponse(load, f, scale), At(f).chambersAdmittance);
    }

    // The net volume velocity leaving the box: what the cone pushes into the front chamber and
    // draws from the rear, less what the two box compliances store.
    TComplex Radiated(TComplex load, double f, double scale) const {
        const Circuit& c = At(f);
        const TComplex U = ChamberFlow(load, f, scale);
        const TComplex frontPressure = ComplexMul(U, c.front);
        const TComplex rearPressure = ComplexMul(U, c.rear);
        return ComplexSub(ComplexMul(rearPressure, c.rearBoxAdmittance),
                          ComplexMul(frontPressure, c.frontBoxAdmittance));
    }

    double MaxPower(TComplex load, double f) const { return BoxMath_MaxPower(driver_, box_, load, f); }

    TComplex FrontPortFlow(double f, double scale) const {
        const Circuit& c = At(f);
        return ComplexMul(ComplexMul(ChamberFlow(c.load, f, scale), c.front), c.frontPortAdmittance);
    }

    TComplex RearPortFlow(double f, double scale) const {
        const Circuit& c = At(f);
        return ComplexMul(ComplexMul(ChamberFlow(c.load, f, scale), c.rear), c.rearPortAdmittance);
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

// Prepares the circuit into state; false when it does not exist.
bool SetUp(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TDriverObject& driver,
           TBoxModelState& state) {
    if (!BoxMath_CommonSetup(point, box, driver, state) ||
        !BoxMath_LossFactorsUsable({box.Qlr, box.Qar, box.Qpr, box.Qlf, box.Qaf, box.Qpf, box.Qiclfr}))
        return false;
    if ((kind == ckFrontPortVelocity && !IsPositive(box.Sdfport)) ||
        (kind == ckRearPortVelocity && !IsPositive(box.Sdrport)))
        return false;

    state.rear = BoxMath_VentedChamber(box.Vr, box.Fr, box.Qlr, box.Qar, box.Qpr, state.rhoc2);
    state.front = BoxMath_VentedChamber(box.Vf, box.Ff, box.Qlf, box.Qaf, box.Qpf, state.rhoc2);
    state.Ricl = box.Qiclfr * std::sqrt(driver.Mas / driver.Cas);
    if (!VentedUsable(state.rear) || !VentedUsable(state.front) || !IsPositive(state.Ricl))
        return false;

    return true;
}

TComplex Evaluate(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box,
                  const TDriverObject& driver, const TBoxModelState& state) {
    const double f = point.f;
    const double omega = 2.0 * HV_Pi * f;
    const Bandpass6Model model(driver, box, state);
    TComplex out = MakeComplex(0.0, 0.0);
    switch (kind) {
    case ckTransfer:
        out = BoxMath_TimesJOmega(model.Radiated(model.Load(f), f, driver.MasOverRae), omega);
        break;
    case ckFrontPortGain:
        out = BoxMath_TimesJOmega(model.FrontPortFlow(f, driver.MasOverRae), omega);
        break;
    case ckRearPortGain:
        out = BoxMath_TimesJOmega(model.RearPortFlow(f, driver.MasOverRae), omega);
        break;
    case ckFrontPortVelocity:
        out = ComplexScale(model.FrontPortFlow(f, driver.DriveOverRae / box.Sdfport), std::sqrt(point.P));
        break;
    case ckRearPortVelocity:
        out = ComplexScale(model.RearPortFlow(f, driver.DriveOverRae / box.Sdrport), std::sqrt(point.P));
        break;
    default:
        BoxMath_EvaluateShared(kind, point, box, driver, state, model, out);
        break;
    }
    return out;
}

} // namespace

void Bandpass6_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                    const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state) {
    // This box derives no value worth showing in the project; nothing is reported.
    (void)report;
    // Without both volumes and both tunings there is no box to describe: every call answers 0 + 0j.
    const bool dimensionsKnown = box.Vr > 0.0 && box.Vf > 0.0 && box.Ff > 0.0 && box.Fr > 0.0;
    BoxMath_Call(
        btBandpass6, dimensionsKnown, kind, out, state,
        [&](TBoxModelState& prepared) { return SetUp(kind, point, box, driver, prepared); },
        [&](TCurveKind kept, const TBoxModelState& prepared) {
            if (!IsPositive(point.f))
                return MakeComplex(0.0, 0.0);
            return Evaluate(kept, point, box, driver, prepared);
        });
}
