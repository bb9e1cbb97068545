#pragma once

// The calling protocol of the enclosure models and the pieces they share.
//
// Each box type has one curve function. A set-up call (any kind 0..13) selects the response kind
// and prepares the acoustic circuit of the box into the caller's model state; evaluation calls
// (kind ckEvaluate) then answer that kind at the point's frequency. Every caller owns its state,
// so two projects of the same box type never disturb each other, and a state that was never set
// up, or whose set-up met a circuit that does not exist, answers 0 + 0j.
//
// Curve functions never throw and never answer or report a value that is not finite.

#include "model/Driver.h"
#include "model/HV_Math.h"
#include "simulation/ProjectRecords.h"

#include <cmath>
#include <cstdint>
#include <type_traits>

enum TBoxType : std::int32_t {
    btClosed = 0,
    btVented = 1,
    btBandpass4 = 2,
    btBandpass6 = 3,
    btPassiveRadiator = 4,
};

// The box type as captions and menus name it: "closed", "vented", "4th order bandpass",
// "6th order bandpass", "passive radiator"; empty for another number.
const char* BoxTypeName(std::int32_t boxType);

enum TCurveKind : std::uint8_t {
    ckTransfer = 0,
    ckPRTransfer = 1,
    ckFrontPortGain = 2,
    ckRearPortGain = 3,
    ckSpare = 4, // answered by the vented box only, with 1 + 0j
    ckFrontPortVelocity = 5,
    ckRearPortVelocity = 6,
    ckExcursion = 7,
    ckPRExcursion = 8,
    ckImpedance = 9,
    ckMaxPower = 10,
    ckGroupDelay = 11,
    ckSPL = 12,
    ckMaxSPL = 13,
    ckEvaluate = 14,
};

// Where a curve is evaluated: frequency (Hz), generator resistance (ohm) and input power (W).
// The caller copies Rg and P from the project's signal source and overwrites f before each call.
struct TEvaluationPoint {
    double f = 0;
    double Rg = 0;
    double P = 0;
};

inline TEvaluationPoint EvaluationPointOf(const TSignalSource& source) {
    return TEvaluationPoint{source.f, source.Rg, source.P};
}

// Codes of the values a set-up call reports back to the project.
enum TReportCode : std::uint8_t {
    rcQtc = 0,               // total Q of the closed box
    rcFc = 1,                // closed-box resonance; driver resonance in the sealed chamber of the
                             // fourth-order bandpass; system tuning of the passive-radiator box (Hz)
    rcRadiatorResonance = 2, // passive radiator's resonance with its added mass (Hz)
};

// Where set-up calls send their reports: a plain function and the context it was bound with, so
// the call costs no allocation and the callback can be copied freely. An empty callback drops
// the reports.
class ProjectResultCallback {
public:
    using Function = void (*)(void* context, std::uint8_t code, double value);

    constexpr ProjectResultCallback() = default;
    constexpr ProjectResultCallback(Function function, void* context)
        : function_(function), context_(context) {}

    // Binds any callable object, e.g. a lambda, called as callable(code, value). The object
    // must outlive every call made through the callback.
    template <class Callable> static ProjectResultCallback Of(Callable& callable) {
        return ProjectResultCallback([](void* context, std::uint8_t code,
                                        double value) { (*static_cast<Callable*>(context))(code, value); },
                                     &callable);
    }

    void operator()(std::uint8_t code, double value) const {
        if (function_ != nullptr)
            function_(context_, code, value);
    }

    explicit operator bool() const { return function_ != nullptr; }

private:
    Function function_ = nullptr;
    void* context_ = nullptr;
};

// Element values of one chamber, acoustic impedance analogue: box compliance, port mass, and the
// absorption, leakage and port resistances. A sealed chamber leaves Map and Rap at 0.
struct TChamberElements {
    double Cab = 0;
    double Map = 0;
    double Rab = 0;
    double Ral = 0;
    double Rap = 0;
};

// The passive radiators as one acoustic series branch, and their total area.
struct TRadiatorElements {
    double Cap = 0;
    double Map = 0;
    double Rap = 0;
    double SdpT = 0;
};

// What one caller's curve keeps between its set-up and its evaluations. Plain value; a
// default-constructed state has no curve set up.
struct TBoxModelState {
    std::int32_t boxType = -1;    // the type whose set-up filled the state; -1 none
    TCurveKind kind = ckEvaluate; // the kept curve kind; ckEvaluate while no curve is set up
    double c = 0;                 // speed of sound of the set-up, m/s
    double rhoc2 = 0;             // rho·c² of the set-up
    TChamberElements rear;
    TChamberElements front;
    double Ricl = 0; // leak between the chambers
    TRadiatorElements radiator;

    bool IsSetUpFor(TBoxType type) const {
        return boxType == static_cast<std::int32_t>(type) && kind != ckEvaluate;
    }
    void Invalidate() { *this = TBoxModelState{}; }
};

// A curve function. kind 0..13 is a set-up call, kind ckEvaluate an evaluation at point.f; out
// receives the answer (0 + 0j for a set-up call and for every kind the box does not answer).
// report receives the set-up's derived values.
using TBoxMathFunc = void (*)(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box,
                              TComplex& out, const ProjectResultCallback& report, TDriverObject& driver,
                              TBoxModelState& state);

// The curve function of a box type (0..4), or nullptr for any other value; the caller decides
// what to tell the user.
TBoxMathFunc BoxMath_GetFunc(std::int32_t boxType);

void ClosedBox_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                    const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state);
void VentedBox_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                    const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state);
void Bandpass4_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                    const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state);
void Bandpass6_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                    const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state);
void PassiveRadiator_Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box, TComplex& out,
                          const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state);

// ---------------------------------------------------------------------------------------------
// Shared pieces of the models.

// The first steps of every set-up: air from the box's T, p and phi; the driver's project block
// (air, driver count, added mass, source resistance, voice-coil heating, isobaric mounting) and
// its model rebuilt. Fills state.c and state.rhoc2. False when the result is no usable circuit:
// fewer than one driver, a driver model that is not ready, Cas, Mas or Rae not positive, or any
// value the models read that is not finite. The caller then leaves its curve invalid.
bool BoxMath_CommonSetup(const TEvaluationPoint& point, const TBoxData& box, TDriverObject& driver,
                         TBoxModelState& state);

// A chamber of volume V tuned to Fb with leakage, absorption and port loss factors Ql, Qa, Qp.
TChamberElements BoxMath_VentedChamber(double V, double Fb, double Ql, double Qa, double Qp, double rhoc2);

// A sealed chamber of volume V with loss factors Ql, Qa behind a driver of compliance Cas and
// moving mass Mas.
TChamberElements BoxMath_SealedChamber(double V, double Ql, double Qa, double Cas, double Mas, double rhoc2);

// True when every element is finite and the compliance positive; a loss factor of 0 or a volume
// too small for a double can make one infinite.
bool BoxMath_IsValid(const TChamberElements& elements);

// Finite and above 0.
inline bool BoxMath_IsPositive(double value) {
    return std::isfinite(value) && value > 0.0;
}

// True when every element a sealed chamber has (Cab, Ral, Rab), or every element of a vented one
// (also Map and Rap), is finite and above 0: a tuning too high for a double leaves no port mass,
// and a vanishing resistance would short the chamber.
bool BoxMath_SealedChamberUsable(const TChamberElements& chamber);
bool BoxMath_VentedChamberUsable(const TChamberElements& chamber);

// The one rule of every box for its loss factors (leakage, absorption, vent loss, leak between
// chambers): each must be finite and above 0. A factor of 0 makes its resistance infinite or
// shorts the box, a negative one is a negative resistance, and one that is not finite is no
// value a box can have; none of them describes a box, so the curve stays empty. The factors of
// each type are those of BoxLossFactors, which the file reader names when they cannot be used.
bool BoxMath_LossFactorsUsable(const TBoxData& box, TBoxType type);

// Rab + 1/(jω·Cab).
inline TComplex BoxMath_BoxBranch(const TChamberElements& chamber, double omega) {
    return MakeComplex(chamber.Rab, -1.0 / (omega * chamber.Cab));
}

// Rap + jω·Map.
inline TComplex BoxMath_PortBranch(const TChamberElements& chamber, double omega) {
    return MakeComplex(chamber.Rap, omega * chamber.Map);
}

// The branches and a constant as a plain value (Z = TComplex) or with their slope d/dω
// (Z = TComplexSlope), for circuits written once for both.
template <class Z> Z BoxMath_BoxBranchOf(const TChamberElements& chamber, double omega) {
    if constexpr (std::is_same_v<Z, TComplexSlope>)
        return {BoxMath_BoxBranch(chamber, omega), MakeComplex(0.0, 1.0 / (omega * omega * chamber.Cab))};
    else
        return BoxMath_BoxBranch(chamber, omega);
}
template <class Z> Z BoxMath_PortBranchOf(const TChamberElements& chamber, double omega) {
    if constexpr (std::is_same_v<Z, TComplexSlope>)
        return {BoxMath_PortBranch(chamber, omega), MakeComplex(0.0, chamber.Map)};
    else
        return BoxMath_PortBranch(chamber, omega);
}
template <class Z> Z BoxMath_Constant(double re) {
    if constexpr (std::is_same_v<Z, TComplexSlope>)
        return {MakeComplex(re, 0.0), MakeComplex(0.0, 0.0)};
    else
        return MakeComplex(re, 0.0);
}

// The driver's loaded response (TDriverObject::LoadedResponse), and the same with its slope for a
// load given with its slope: gain·coil·load / (driver + load). 0 while the driver has no model.
inline TComplex BoxMath_LoadedResponse(const TDriverObject& driver, TComplex load, double f, double gain) {
    return driver.LoadedResponse(load, f, gain);
}
TComplexSlope BoxMath_LoadedResponse(const TDriverObject& driver, TComplexSlope load, double f, double gain);

// The flow that a chamber's compliance takes up, the driver's loaded response over the box
// branch: what a single chamber radiates, cone and vent together.
template <class Z>
Z BoxMath_ComplianceFlow(const TDriverObject& driver, const TChamberElements& chamber, Z load, double f,
                         double scale) {
    return ComplexDiv(BoxMath_LoadedResponse(driver, load, f, scale),
                      BoxMath_BoxBranchOf<Z>(chamber, 2.0 * HV_Pi * f));
}

// What the closed and the vented box share: one chamber whose load Derived gives as
// LoadOf<Z>(ω), radiating the flow that the chamber's compliance takes up, cone and vent together.
template <class Derived> struct BoxMath_OneChamberModel {
    const TBoxData& box;
    const TDriverObject& driver;
    const TBoxModelState& state;

    static constexpr bool OffAxis = true;

    TComplex Load(double f) const { return Self().template LoadOf<TComplex>(2.0 * HV_Pi * f); }
    TComplex Radiated(TComplex load, double f, double scale) const {
        return BoxMath_ComplianceFlow(driver, state.rear, load, f, scale);
    }
    TComplexSlope RadiatedSlope(double f, double scale) const {
        return BoxMath_ComplianceFlow(driver, state.rear,
                                      Self().template LoadOf<TComplexSlope>(2.0 * HV_Pi * f), f, scale);
    }

private:
    const Derived& Self() const { return static_cast<const Derived&>(*this); }
};

// jω·z.
inline TComplex BoxMath_TimesJOmega(TComplex z, double omega) {
    return MakeComplex(-omega * z.im, omega * z.re);
}

// Two branches in parallel, formed as the inverse of the sum of their admittances. A branch that
// is a dead short (exactly 0) shorts the combination.
template <class Z> Z BoxMath_Parallel(Z a, Z b) {
    const auto isShort = [](const Z& z) {
        if constexpr (std::is_same_v<Z, TComplexSlope>)
            return z.value.re == 0.0 && z.value.im == 0.0;
        else
            return z.re == 0.0 && z.im == 0.0;
    };
    if (isShort(a) || isShort(b))
        return BoxMath_Constant<Z>(0.0);
    return ComplexInv(ComplexAdd(ComplexInv(a), ComplexInv(b)));
}

// Maximum input power (kind 10): the smaller of the excursion limit (Xmax reached) and the
// thermal limit (Nd·Pe, doubled when isobaric).
double BoxMath_MaxPower(const TDriverObject& driver, const TBoxData& box, TComplex load, double f);

// jω·radiated·sqrt(power): sound pressure from the radiated term built with the pressure scale.
TComplex BoxMath_SPL(TComplex radiated, double f, double power);

// The piston directivity of the cone (closed, vented and passive-radiator boxes; kinds 0, 12,
// 13): value·2·J1(x)/x with x = (2πf/c)·sqrt(Sd/π)·sin(angle). No factor when Sd is not positive
// or the angle is 0.
TComplex BoxMath_OffAxis(TComplex value, double f, double c, double Sd, double angle);

// Sends a report when its value is finite.
void BoxMath_Report(const ProjectResultCallback& report, TReportCode code, double value);

// 0 + 0j in place of a value with a part that is not finite.
inline TComplex BoxMath_FiniteOrZero(TComplex value) {
    if (std::isfinite(value.re) && std::isfinite(value.im))
        return value;
    return MakeComplex(0.0, 0.0);
}

// Answers the kinds that every model evaluates alike (0, 7, 9, 10, 11, 12, 13) into out and
// returns true; returns false for any other kind. The model object supplies
//   TComplex Load(double f) const                                 the load on the driver at f
//   TComplex Radiated(TComplex load, double f, double scale) const the radiated volume-velocity
//                                                                 term built with that scale
//   TComplexSlope RadiatedSlope(double f, double scale) const     the same at its own load, with
//                                                                 its slope d/dω (group delay)
//   double MaxPower(TComplex load, double f) const                the power limit of kind 10
//   static constexpr bool OffAxis                                 the cone's directivity applies
template <class Model>
bool BoxMath_EvaluateShared(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box,
                            const TDriverObject& driver, const TBoxModelState& state, const Model& model,
                            TComplex& out) {
    const double f = point.f;
    switch (kind) {
    case ckTransfer:
        out = BoxMath_TimesJOmega(model.Radiated(model.Load(f), f, driver.MasOverRae), 2.0 * HV_Pi * f);
        if constexpr (Model::OffAxis)
            out = BoxMath_OffAxis(out, f, state.c, driver.Data.Sd, box.Angle);
        return true;
    case ckExcursion:
        out = driver.Excursion(model.Load(f), f, point.P);
        return true;
    case ckImpedance:
        out = driver.InputImpedance(model.Load(f), f);
        return true;
    case ckMaxPower:
        out = MakeComplex(model.MaxPower(model.Load(f), f), 0.0);
        return true;
    case ckGroupDelay:
        // The exact slope of the radiated term's phase; the factor jω only adds a constant quarter turn.
        out = MakeComplex(SlopeGroupDelay(model.RadiatedSlope(f, driver.MasOverRae)), 0.0);
        return true;
    case ckSPL:
    case ckMaxSPL: {
        const TComplex load = model.Load(f);
        const double power = kind == ckSPL ? point.P : model.MaxPower(load, f);
        out = BoxMath_SPL(model.Radiated(load, f, driver.SplOverRae), f, power);
        if constexpr (Model::OffAxis)
            out = BoxMath_OffAxis(out, f, state.c, driver.Data.Sd, box.Angle);
        return true;
    }
    default:
        return false;
    }
}

// The circuit of the bandpass boxes. The cone works between a rear and a front chamber, and its
// volume velocity passes through both in series; the leak Ricl between the chambers lies across
// the driver. Each chamber is its box branch Rab + 1/(jω·Cab) ∥ its leakage Ral ∥, where it is
// vented, its port Rap + jω·Map: the front chamber always, the rear one when RearPort. Sound
// leaves through the ports and the leaks only, so the cone's directivity plays no part.
//
// Parallel branches are summed as admittances, and the admittances are kept so that the flows
// through the branches need products only. The circuit of the last frequency is kept, since the
// load and the radiated term are asked for one after the other at the same frequency.
template <bool RearPort> class BoxMath_TwoChamberModel {
public:
    static constexpr bool OffAxis = false;

    BoxMath_TwoChamberModel(const TDriverObject& driver, const TBoxData& box, const TBoxModelState& state)
        : driver_(driver), box_(box), state_(state), rearLeak_(1.0 / state.rear.Ral),
          frontLeak_(1.0 / state.front.Ral), chamberLeak_(1.0 / state.Ricl) {}

    TComplex Load(double f) const { return At(f).load; }

    TComplex Radiated(TComplex load, double f, double scale) const {
        return RadiatedOf(At(f), ChamberFlow(load, f, scale));
    }

    // The radiated term with its slope, for the exact group delay.
    TComplexSlope RadiatedSlope(double f, double scale) const {
        CircuitOf<TComplexSlope> c;
        Build(2.0 * HV_Pi * f, c);
        return RadiatedOf(
            c, ComplexMul(BoxMath_LoadedResponse(driver_, c.load, f, scale), c.chambersAdmittance));
    }

    double MaxPower(TComplex load, double f) const { return BoxMath_MaxPower(driver_, box_, load, f); }

    // Volume velocity through the front port for the scale k.
    TComplex FrontPortFlow(double f, double scale) const {
        const Circuit& c = At(f);
        return ComplexMul(ComplexMul(ChamberFlow(c.load, f, scale), c.front), c.frontPortAdmittance);
    }

    // Volume velocity through the rear port for the scale k.
    TComplex RearPortFlow(double f, double scale) const requires RearPort {
        const Circuit& c = At(f);
        return ComplexMul(ComplexMul(ChamberFlow(c.load, f, scale), c.rear), c.rearPortAdmittance);
    }

private:
    template <class Z> struct CircuitOf {
        Z rearBoxAdmittance{};   // 1/(Rabr + 1/(jω·Cabr))
        Z rearPortAdmittance{};  // 1/(Rapr + jω·Mapr); a sealed rear chamber has none
        Z rear{};                // rear box ∥ Ralr (∥ rear port)
        Z frontBoxAdmittance{};  // 1/(Rabf + 1/(jω·Cabf))
        Z frontPortAdmittance{}; // 1/(Rapf + jω·Mapf)
        Z front{};               // front box ∥ Ralf ∥ front port
        Z chambersAdmittance{};  // 1/(front + rear): both chambers in the path of the cone's air
        Z load{};                // (front + rear) ∥ Ricl
    };
    struct Circuit : CircuitOf<TComplex> {
        double f = -1;
    };

    const Circuit& At(double f) const {
        if (circuit_.f != f) {
            circuit_.f = f;
            Build(2.0 * HV_Pi * f, circuit_);
        }
        return circuit_;
    }

    template <class Z> void Build(double omega, CircuitOf<Z>& c) const {
        c.rearBoxAdmittance = ComplexInv(BoxMath_BoxBranchOf<Z>(state_.rear, omega));
        if constexpr (RearPort) {
            c.rearPortAdmittance = ComplexInv(BoxMath_PortBranchOf<Z>(state_.rear, omega));
            c.rear = ComplexInv(ComplexAdd(ComplexAdd(c.rearBoxAdmittance, c.rearPortAdmittance),
                                           BoxMath_Constant<Z>(rearLeak_)));
        } else {
            c.rear = ComplexInv(ComplexAdd(c.rearBoxAdmittance, BoxMath_Constant<Z>(rearLeak_)));
        }
        c.frontBoxAdmittance = ComplexInv(BoxMath_BoxBranchOf<Z>(state_.front, omega));
        c.frontPortAdmittance = ComplexInv(BoxMath_PortBranchOf<Z>(state_.front, omega));
        c.front = ComplexInv(ComplexAdd(ComplexAdd(c.frontBoxAdmittance, c.frontPortAdmittance),
                                        BoxMath_Constant<Z>(frontLeak_)));
        c.chambersAdmittance = ComplexInv(ComplexAdd(c.front, c.rear));
        c.load = ComplexInv(ComplexAdd(c.chambersAdmittance, BoxMath_Constant<Z>(chamberLeak_)));
    }

    // The net volume velocity leaving the box: what the cone pushes into the front chamber and
    // draws from the rear, less what the two box compliances store. Each chamber's pressure is
    // the chamber flow U times its impedance.
    template <class Z> static Z RadiatedOf(const CircuitOf<Z>& c, Z U) {
        const Z frontPressure = ComplexMul(U, c.front);
        const Z rearPressure = ComplexMul(U, c.rear);
        return ComplexSub(ComplexMul(rearPressure, c.rearBoxAdmittance),
                          ComplexMul(frontPressure, c.frontBoxAdmittance));
    }

    // The volume velocity U through both chambers: the loaded response over their series impedance.
    TComplex ChamberFlow(TComplex load, double f, double scale) const {
        return ComplexMul(driver_.LoadedResponse(load, f, scale), At(f).chambersAdmittance);
    }

    const TDriverObject& driver_;
    const TBoxData& box_;
    const TBoxModelState& state_;
    const double rearLeak_; // conductances of the leaks
    const double frontLeak_;
    const double chamberLeak_;
    mutable Circuit circuit_;
};

// The evaluation of a bandpass box set up into state: the gains (kinds 2, 3) and air velocities
// (kinds 5, 6) of its ports, the rear port's only when RearPort, and the kinds of
// BoxMath_EvaluateShared; 0 + 0j for every other kind. point.f is above 0 (BoxMath_Call sees to it).
// Always inlined into each box's curve function, as an evaluation of the box's own would be.
template <bool RearPort>
[[gnu::always_inline]] inline TComplex
BoxMath_EvaluateTwoChamber(TCurveKind kind, const TEvaluationPoint& point, const TBoxData& box,
                           const TDriverObject& driver, const TBoxModelState& state) {
    TComplex out = MakeComplex(0.0, 0.0);
    const double f = point.f;
    const double omega = 2.0 * HV_Pi * f;
    const BoxMath_TwoChamberModel<RearPort> model(driver, box, state);
    switch (kind) {
    case ckFrontPortGain:
        out = BoxMath_TimesJOmega(model.FrontPortFlow(f, driver.MasOverRae), omega);
        break;
    case ckFrontPortVelocity:
        out = ComplexScale(model.FrontPortFlow(f, driver.DriveOverRae / box.Sdfport), std::sqrt(point.P));
        break;
    case ckRearPortGain:
        if constexpr (RearPort)
            out = BoxMath_TimesJOmega(model.RearPortFlow(f, driver.MasOverRae), omega);
        break;
    case ckRearPortVelocity:
        if constexpr (RearPort)
            out = ComplexScale(model.RearPortFlow(f, driver.DriveOverRae / box.Sdrport), std::sqrt(point.P));
        break;
    default:
        BoxMath_EvaluateShared(kind, point, box, driver, state, model, out);
        break;
    }
    return out;
}

// One call of a curve function, the part every model runs alike. out := 0 + 0j. A set-up call
// (kind other than ckEvaluate) forgets the caller's previous curve; when the model's volumes and
// tunings are known (dimensionsKnown), setUp(prepared) fills a fresh state (box type and kind
// already set) and returns whether the circuit exists, and only then is the state kept. setUp
// reports only after everything it reports has proved valid. An evaluation answers
// evaluate(kind, state) when the caller's state holds a curve of this box type and point.f is a
// frequency (finite and above 0), and 0 + 0j otherwise; an answer that is not finite becomes
// 0 + 0j. No exception leaves this call.
template <class SetUp, class Evaluate>
void BoxMath_Call(TBoxType type, bool dimensionsKnown, TCurveKind kind, const TEvaluationPoint& point,
                  TComplex& out, TBoxModelState& state, SetUp&& setUp, Evaluate&& evaluate) noexcept {
    out = MakeComplex(0.0, 0.0);
    try {
        if (kind != ckEvaluate) {
            state.Invalidate();
            if (!dimensionsKnown)
                return;
            TBoxModelState prepared;
            prepared.boxType = static_cast<std::int32_t>(type);
            prepared.kind = kind;
            if (setUp(prepared))
                state = prepared;
            return;
        }
        // At 0 Hz and below the circuits' formulas give mirrored or limiting values that no
        // curve shows; every box answers nothing there alike.
        if (!dimensionsKnown || !state.IsSetUpFor(type) || !BoxMath_IsPositive(point.f))
            return;
        out = BoxMath_FiniteOrZero(evaluate(state.kind, static_cast<const TBoxModelState&>(state)));
    } catch (...) {
        out = MakeComplex(0.0, 0.0);
        if (kind != ckEvaluate)
            state.Invalidate();
    }
}
