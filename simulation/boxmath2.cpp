#include "simulation/boxmath2.h"

#include "model/HV_Math.h"

#include <cmath>

namespace {

bool positive(double value) {
    return value > 0.0 && std::isfinite(value);
}

} // namespace

void BoxMath_CalcPort(TVentData& vent, double c) {
    if (!(vent.Fb > 0.0 || vent.len > 0.0) || !positive(vent.Vb) || vent.Num <= 0 || !positive(c))
        return;
    double area = 0.0;
    if (vent.Shape == 1)
        area = HV_Pi * vent.dia1 * vent.dia1 / 4.0;
    else if (vent.Shape == 2)
        area = vent.dia1 * vent.dia2;
    if (!positive(area))
        return;

    vent.carea = area;
    const double radius = std::sqrt(area / HV_Pi);
    const double correction = 2.0 * vent.endcorrection * radius;
    const double totalArea = vent.Num * area;
    // Zero is the "to be computed" mark: with both values given only area and resonance follow.
    if (vent.len == 0.0) {
        const double k = 2.0 * HV_Pi * vent.Fb / c;
        vent.len = totalArea / (k * k * vent.Vb) - correction;
    }
    if (vent.Fb == 0.0 && vent.len + correction > 0.0)
        vent.Fb = std::sqrt(totalArea / (vent.Vb * (correction + vent.len))) * c / (2.0 * HV_Pi);
    vent.firstResonance = vent.len > 0.0 ? c / (2.0 * vent.len) : 0.0;
}

bool BoxMath_DefaultBox(std::int32_t boxType, const TDriverData& data, TBoxData& box) {
    if (boxType < 0 || boxType > 4)
        return false;
    if (boxType == 3) {
        // The sixth-order bandpass starts from a fixed design that the user then moves.
        box.Vf = 0.0262;
        box.Ff = 63.46;
        box.Vr = 0.1;
        box.Fr = 20.0;
        box.Qlf = 10.0;
        box.Qaf = 100.0;
        box.Qpf = 100.0;
        box.Qlr = 10.0;
        box.Qar = 100.0;
        box.Qpr = 100.0;
        box.Qiclfr = 100.0;
        return true;
    }

    const double qts = data.Qts;
    const double volume = box.Nd * data.Vas;
    if (!positive(qts) || !positive(data.Fs) || !positive(volume))
        return false;
    // A driver at or above 0.707 gets a closed box slightly above its own Q;
    // equal Q would need an infinite box.
    const double closedQ = qts >= 0.707 ? qts + 0.1 : 0.707;
    const double closedRatio = closedQ / qts;

    switch (boxType) {
    case 0:
    case 4:
        // Qtc = Qts·sqrt(1 + Vas/Vb) and Fc = Fs·sqrt(1 + Vas/Vb), solved for Vb.
        box.Vr = volume / (closedRatio * closedRatio - 1.0);
        box.Fr = closedRatio * data.Fs;
        box.Qlr = 10.0;
        box.Qar = 100.0;
        if (boxType == 4) {
            box.Npr = 1;
            box.PassiveRadiator.Me = 0.0;
        }
        return true;
    case 1:
        box.Vr = 20.0 * RealPower(qts, 3.3) * volume;
        box.Fr = RealPower(volume / box.Vr, 0.31) * data.Fs;
        box.Qlr = 10.0;
        box.Qar = 100.0;
        box.Qpr = 100.0;
        return true;
    case 2: {
        const double s = 0.7;
        const double gain = 0.0; // dB
        double sealedQ = 1.0 / (2.0 * s * std::pow(10.0, -gain / 40.0));
        if (qts >= sealedQ)
            sealedQ = qts + 0.1;
        const double ratio = sealedQ / qts;
        box.Ff = ratio * data.Fs;
        box.Vf = (2.0 * s * qts) * (2.0 * s * qts) * volume;
        box.Vr = volume / (ratio * ratio - 1.0);
        box.Qlf = 10.0;
        box.Qaf = 100.0;
        box.Qpf = 100.0;
        box.Qlr = 10.0;
        box.Qar = 100.0;
        box.Qiclfr = 100.0;
        return true;
    }
    default:
        return false;
    }
}
