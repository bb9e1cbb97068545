#include "simulation/boxmath.h"

#include "model/Airmodel.h"

#include <algorithm>
#include <cmath>

TBoxMathFunc BoxMath_GetFunc(std::int32_t boxType) {
    switch (boxType) {
    case btClosed:
        return &ClosedBox_Func;
    case btVented:
        return &VentedBox_Func;
    case btBandpass4:
        return &Bandpass4_Func;
    case btBandpass6:
        return &Bandpass6_Func;
    case btPassiveRadiator:
        return &PassiveRadiator_Func;
    default:
        return nullptr;
    }
}

bool BoxMath_CommonSetup(const TEvaluationPoint& point, const TBoxData& box, TDriverObject& driver,
                         TBoxModelState& state) {
    // The driver keeps at least one driver; a project without any has no circuit to set up.
    if (box.Nd < 1)
        return false;
    const double rho = AirDensity(box.T, box.p, box.phi);
    const double c = SpeedOfSound(box.p, rho);
    if (!BoxMath_IsPositive(rho) || !BoxMath_IsPositive(c))
        return false;

    driver.rho = rho;
    driver.c = c;
    driver.NumDrivers = box.Nd;
    driver.AddedMass = box.Med;
    driver.Rs = point.Rg;
    driver.dTVC = box.dTVC;
    driver.Isobaric = box.Isobarik;
    driver.Data.alfaVC = box.alfaVC;
    driver.PrepareModel();

    if (!driver.ModelReady || !BoxMath_IsPositive(driver.Cas) || !BoxMath_IsPositive(driver.Mas) ||
        !BoxMath_IsPositive(driver.Rae))
        return false;
    if (!std::isfinite(driver.Ras) || !std::isfinite(driver.Cae) || !std::isfinite(driver.CouplingFactor) ||
        !std::isfinite(driver.MasOverRae) || !std::isfinite(driver.DriveOverRae) ||
        !std::isfinite(driver.SplOverRae) || !std::isfinite(driver.SdTotal))
        return false;

    state.c = c;
    state.rhoc2 = rho * c * c;
    return BoxMath_IsPositive(state.rhoc2);
}

TChamberElements BoxMath_VentedChamber(double V, double Fb, double Ql, double Qa, double Qp, double rhoc2) {
    TChamberElements chamber;
    chamber.Cab = V / rhoc2;
    const double omegaB = 2.0 * HV_Pi * Fb;
    chamber.Map = 1.0 / (omegaB * omegaB * chamber.Cab);
    const double Z0 = std::sqrt(chamber.Map / chamber.Cab);
    chamber.Ral = Ql * Z0;
    chamber.Rab = Z0 / Qa;
    chamber.Rap = Z0 / Qp;
    return chamber;
}

TChamberElements BoxMath_SealedChamber(double V, double Ql, double Qa, double Cas, double Mas, double rhoc2) {
    TChamberElements chamber;
    chamber.Cab = V / rhoc2;
    const double Ct = 1.0 / (1.0 / Cas + 1.0 / chamber.Cab);
    const double omegaC = 1.0 / std::sqrt(Ct * Mas);
    chamber.Ral = Ql / (omegaC * chamber.Cab);
    chamber.Rab = std::sqrt(Mas / Ct) / Qa;
    return chamber;
}

bool BoxMath_IsValid(const TChamberElements& elements) {
    return BoxMath_IsPositive(elements.Cab) && std::isfinite(elements.Map) && std::isfinite(elements.Rab) &&
           std::isfinite(elements.Ral) && std::isfinite(elements.Rap);
}

bool BoxMath_SealedChamberUsable(const TChamberElements& chamber) {
    return BoxMath_IsPositive(chamber.Cab) && BoxMath_IsPositive(chamber.Ral) &&
           BoxMath_IsPositive(chamber.Rab);
}

bool BoxMath_VentedChamberUsable(const TChamberElements& chamber) {
    return BoxMath_SealedChamberUsable(chamber) && BoxMath_IsPositive(chamber.Map) &&
           BoxMath_IsPositive(chamber.Rap);
}

bool BoxMath_LossFactorsUsable(const TBoxData& box, TBoxType type) {
    const std::span<const TLossFactorKey> factors = BoxLossFactors(type);
    return std::all_of(factors.begin(), factors.end(),
                       [&box](const TLossFactorKey& loss) { return BoxMath_IsPositive(box.*loss.Factor); });
}

double BoxMath_MaxPower(const TDriverObject& driver, const TBoxData& box, TComplex load, double f) {
    const double x1 = ComplexAbs(driver.Excursion(load, f, 1.0));
    const double ratio = driver.Data.Xmax / (std::sqrt(2.0) * x1);
    const double excursionLimit = ratio * ratio;
    double thermalLimit = box.Nd * driver.Data.Pe;
    if (box.Isobarik)
        thermalLimit *= 2.0;
    return std::min(excursionLimit, thermalLimit);
}

const char* BoxTypeName(std::int32_t boxType) {
    switch (boxType) {
    case btClosed:
        return "closed";
    case btVented:
        return "vented";
    case btBandpass4:
        return "4th order bandpass";
    case btBandpass6:
        return "6th order bandpass";
    case btPassiveRadiator:
        return "passive radiator";
    default:
        return "";
    }
}

TComplex BoxMath_SPL(TComplex radiated, double f, double power) {
    return BoxMath_TimesJOmega(radiated, 2.0 * HV_Pi * f * std::sqrt(power));
}

TComplex BoxMath_OffAxis(TComplex value, double f, double c, double Sd, double angle) {
    if (!(Sd > 0.0) || angle == 0.0)
        return value;
    const double x = (2.0 * HV_Pi * f / c) * std::sqrt(Sd / HV_Pi) * std::sin(angle);
    // The piston's directivity tends to 1 on its axis; J1(x)/x has no value at x = 0 itself.
    if (x == 0.0)
        return value;
    return ComplexScale(value, 2.0 * BesselJ1(x) / x);
}

TComplexSlope BoxMath_LoadedResponse(const TDriverObject& driver, TComplexSlope load, double f, double gain) {
    if (!driver.ModelReady)
        return {MakeComplex(0.0, 0.0), MakeComplex(0.0, 0.0)};
    const double w = 2.0 * HV_Pi * f;
    const TComplexSlope coil = EvalTransferSlope(driver.CoilTF, w);
    const TComplexSlope motion = EvalTransferSlope(driver.DriverTF, w);
    return ComplexScale(ComplexMul(ComplexMul(coil, load), ComplexInv(ComplexAdd(motion, load))), gain);
}

void BoxMath_Report(const ProjectResultCallback& report, TReportCode code, double value) {
    if (std::isfinite(value))
        report(code, value);
}
