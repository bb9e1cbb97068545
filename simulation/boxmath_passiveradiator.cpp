#include "simulation/boxmath_passiveradiator.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

// A radiator is a circuit only with a positive count, compliance, resonance, loss and area; the
// box's own loss factors follow the rule of every box.
bool InputsUsable(const TBoxData& box) {
    const TPassiveRadiatorData& radiator = box.PassiveRadiator;
    return box.Npr >= 1 && BoxMath_IsPositive(radiator.Vas) && BoxMath_IsPositive(radiator.Fs) &&
           BoxMath_IsPositive(radiator.Qms) && BoxMath_IsPositive(radiator.Sd) &&
           std::isfinite(radiator.Xmax) && std::isfinite(radiator.Me) &&
           BoxMath_LossFactorsUsable(box, btPassiveRadiator);
}

// The circuit at one frequency. Parallel branches are summed as admittances; the admittances
// are kept so that the flows through the branches need products only.
template <class Z> struct CircuitOf {
    Z boxAdmittance{};      // 1/(Rab + 1/(jω·Cab))
    Z radiatorAdmittance{}; // 1/(Rap + jω·Map + 1/(jω·Cap))
    Z load{};               // box ∥ Ral ∥ radiators
};
struct Circuit : CircuitOf<TComplex> {
    double f = -1;
};

// The model seen by the shared evaluations. The circuit of the last frequency is kept, since the
// load and the radiated term are asked for one after the other at the same frequency.
class PassiveRadiatorModel {
public:
    static constexpr bool OffAxis = true;

    PassiveRadiatorModel(const TDriverObject& driver, const TBoxData& box, const TBoxModelState& state)
        : driver_(driver), box_(box), state_(state), leak_(1.0 / state.rear.Ral) {}

    const Circuit& At(double f) const {
        if (circuit_.f != f) {
            circuit_.f = f;
            Build(2.0 * HV_Pi * f, circuit_);
        }
        return circuit_;
    }

    template <class Z> void Build(double omega, CircuitOf<Z>& c) const {
        const TRadiatorElements& radiator = state_.radiator;
        const TComplexSlope radiatorBranch{
            MakeComplex(radiator.Rap, omega * radiator.Map - 1.0 / (omega * radiator.Cap)),
            MakeComplex(0.0, radiator.Map + 1.0 / (omega * omega * radiator.Cap))};
        c.boxAdmittance = ComplexInv(BoxMath_BoxBranchOf<Z>(state_.rear, omega));
        if constexpr (std::is_same_v<Z, TComplexSlope>)
            c.radiatorAdmittance = ComplexInv(radiatorBranch);
        else
            c.radiatorAdmittance = ComplexInv(radiatorBranch.value);
        c.load = ComplexInv(
            ComplexAdd(ComplexAdd(c.boxAdmittance, c.radiatorAdmittance), BoxMath_Constant<Z>(leak_)));
    }

    TComplex Load(double f) const { return At(f).load; }

    TComplex Radiated(TComplex load, double f, double scale) const {
        return RadiatedOf(At(f), load, f, scale);
    }

    TComplexSlope RadiatedSlope(double f, double scale) const {
        CircuitOf<TComplexSlope> c;
        Build(2.0 * HV_Pi * f, c);
        return RadiatedOf(c, c.load, f, scale);
    }

    // Volume velocity through the radiators for the scale k.
    TComplex RadiatorFlow(double f, double scale) const {
        const Circuit& c = At(f);
        return ComplexMul(driver_.LoadedResponse(c.load, f, scale), c.radiatorAdmittance);
    }

    // Radiator excursion (m) at power P: their volume displacement over their total area.
    TComplex RadiatorExcursion(double f, double power) const {
        const TComplex flow = RadiatorFlow(f, driver_.DriveOverRae / state_.radiator.SdpT);
        const double omega = 2.0 * HV_Pi * f;
        // flow / (jω) = (im, -re) / ω
        return ComplexScale(MakeComplex(flow.im, -flow.re), std::sqrt(power) / omega);
    }

    // The driver's excursion and thermal limits, and the power at which the radiators reach
    // their own Xmax.
    double MaxPower(TComplex load, double f) const {
        const double driverLimit = BoxMath_MaxPower(driver_, box_, load, f);
        const double ratio =
            box_.PassiveRadiator.Xmax / (std::sqrt(2.0) * ComplexAbs(RadiatorExcursion(f, 1.0)));
        return std::min(ratio * ratio, driverLimit);
    }

private:
    // What the cone moves and the radiators and the leak do not give back: the air the box
    // compliance stores.
    template <class Z> Z RadiatedOf(const CircuitOf<Z>& c, Z load, double f, double scale) const {
        return ComplexMul(BoxMath_LoadedResponse(driver_, load, f, scale), c.boxAdmittance);
    }

    const TDriverObject& driver_;
    const TBoxData& box_;
    const TBoxModelState& state_;
    const double leak_; // conductance of the leak
    mutable Circuit circuit_;
};

// Prepares the circuit into state; false when it does not exist. Reports the radiators'
// resonance and then the system tuning, only for a circuit that exists.
bool SetUp(const TEvaluationPoint& point, const TBoxData& box, const ProjectResultCallback& report,
           TDriverObject& driver, TBoxModelState& state) {
    if (!BoxMath_CommonSetup(point, box, driver, state) || !InputsUsable(box))
        return false;

    const TPassiveRadiatorData& data = box.PassiveRadiator;
    TRadiatorElements& radiator = state.radiator;
    const double count = box.Npr;
    radiator.SdpT = count * data.Sd;
    radiator.Cap = count * data.Vas / state.rhoc2;
    const double omegaP = 2.0 * HV_Pi * data.Fs;
    radiator.Rap = 1.0 / (omegaP * data.Qms * radiator.Cap);
    // The added mass sits on each diaphragm; as acoustic mass of the whole set it is Me/(Npr·Sd²).
    radiator.Map = 1.0 / (omegaP * omegaP * radiator.Cap) + count * data.Me / (radiator.SdpT * radiator.SdpT);
    const double radiatorResonance = 1.0 / (2.0 * HV_Pi * std::sqrt(radiator.Cap * radiator.Map));

    TChamberElements& chamber = state.rear;
    chamber = TChamberElements{};
    chamber.Cab = box.Vr / state.rhoc2;
    // The box compliance in series with the radiators' stiffens them to the system tuning.
    const double Ct = 1.0 / (1.0 / chamber.Cab + 1.0 / radiator.Cap);
    const double Z0 = std::sqrt(radiator.Map / Ct);
    chamber.Ral = box.Qlr * Z0;
    chamber.Rab = Z0 / box.Qar;
    const double tuning = 1.0 / (2.0 * HV_Pi * std::sqrt(Ct * radiator.Map));

    if (!BoxMath_IsPositive(radiator.SdpT) || !BoxMath_IsPositive(radiator.Cap) ||
        !BoxMath_IsPositive(radiator.Rap) || !BoxMath_IsPositive(radiator.Map) ||
        !BoxMath_IsPositive(chamber.Cab) || !BoxMath_IsPositive(chamber.Ral) ||
        !BoxMath_IsPositive(chamber.Rab) || !BoxMath_IsPositive(radiatorResonance) ||
        !BoxMath_IsPositive(tuning))
        return false;

    BoxMath_Report(report, rcRadiatorResonance, radiatorResonance);
    BoxMath_Report(report, rcFc, tuning);
    return true;
}

TComplex Evaluate(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box,
                  const TDriverObject& driver, const TBoxModelState& state) {
    const double f = point.f;
    const PassiveRadiatorModel model(driver, box, state);
    TComplex out = MakeComplex(0.0, 0.0);
    switch (kind) {
    case ckPRTransfer:
        // The real factor ω rather than jω, as with the vented box's port gain: the phase shown is
        // that of the radiators' volume velocity.
        out = ComplexScale(model.RadiatorFlow(f, driver.MasOverRae), 2.0 * HV_Pi * f);
        break;
    case ckPRExcursion:
        out = model.RadiatorExcursion(f, point.P);
        break;
    default:
        BoxMath_EvaluateShared(kind, point, box, driver, state, model, out);
        break;
    }
    return out;
}

} // namespace

void PassiveRadiator_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                          const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state) {
    // Without a chamber volume there is no box to describe: every call answers 0 + 0j.
    const bool dimensionsKnown = box.Vr > 0.0;
    BoxMath_Call(
        btPassiveRadiator, dimensionsKnown, kind, point, out, state,
        [&](TBoxModelState& prepared) { return SetUp(point, box, report, driver, prepared); },
        [&](TCurveKind kept, const TBoxModelState& prepared) {
            return Evaluate(kept, point, box, driver, prepared);
        });
}
