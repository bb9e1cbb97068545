// The driver's acoustic equivalent circuit (impedance analogue) and the three responses the
// box models evaluate per frequency point. Everything the responses need is computed once in
// PrepareModel, so a response costs a handful of complex operations and never allocates.

#include "model/Driver.h"

#include <cmath>

namespace {

constexpr double TwoPi = 2 * HV_Pi;
constexpr double ReferencePressure = 2e-5; // Pa, 0 dB SPL

bool Finite(double value) {
    return std::isfinite(value);
}

bool Finite(TComplex value) {
    return std::isfinite(value.re) && std::isfinite(value.im);
}

constexpr TComplex Zero{0, 0};

} // namespace

void TDriverObject::PrepareModel() {
    const TDriverData& d = Data;
    const double n = NumDrivers;

    FsTotal = d.Fs;
    VasTotal = n * d.Vas;
    SdTotal = n * d.Sd;

    ModelReady = true;
    CouplingKnown = false;
    MassAdded = false;

    // Pairs mounted face to face share one chamber between them: half the compliance volume.
    if (Isobaric) {
        VasTotal = VasTotal / 2;
    }

    if (d.Qes > 0 && d.Qms > 0) {
        QmsTotal = d.Qms;
        // Source resistance and a heated coil both add to the resistance that damps the cone.
        QesTotal = d.Re > 0 ? d.Qes * (d.Re + Rs + d.Re * d.alfaVC * dTVC) / d.Re : d.Qes;
        QtsTotal = 1 / (1 / QesTotal + 1 / QmsTotal);
    } else {
        // Only the total Q is known: split it evenly between the two losses.
        QesTotal = 2 * d.Qts;
        QmsTotal = 2 * d.Qts;
        QtsTotal = d.Qts;
    }

    const auto fail = [this] {
        ModelReady = false;
        CouplingKnown = false;
        MassAdded = false;
        Rae = Ras = Cas = Mas = Cae = 0;
        CouplingFactor = MasCopy = DriveFactor = SplFactor = 0;
        MasOverRae = DriveOverRae = SplOverRae = 0;
        DriverTF = TTransferFunction{};
        CoilTF = TTransferFunction{};
        for (double* total : {&VasTotal, &QtsTotal, &QmsTotal, &QesTotal, &FsTotal, &SdTotal}) {
            if (!Finite(*total)) {
                *total = 0;
            }
        }
    };

    if (!(c > 0 && rho > 0 && NumDrivers >= 1)) {
        fail();
        return;
    }
    // The circuit needs a resonance, a compliance volume and both losses; a driver known only in
    // part (a file with Qts alone, say) gets no circuit instead of one built from divisions by
    // zero.
    const auto known = [](double value) { return Finite(value) && value > 0; };
    if (!(known(FsTotal) && known(VasTotal) && known(QmsTotal) && known(QesTotal) && Finite(SdTotal) &&
          Finite(c) && Finite(rho))) {
        fail();
        return;
    }

    Cas = VasTotal / (rho * c * c);
    const double w0 = TwoPi * FsTotal;

    // The circuit stands for NumDrivers drivers (half as many elements for isobaric pairs):
    // element values scale with that count, so a mass added to each cone enters divided by it.
    // This keeps the mass ratio, and with it the lowered resonance, the same for any number of
    // drivers.
    const double driversPerCircuit = Isobaric ? n / 2 : n;

    Mas = 1 / (w0 * w0 * Cas);
    if (SdTotal > 0) {
        Mas += AddedMass / (driversPerCircuit * d.Sd * d.Sd);
        MassAdded = true;
    }

    Ras = 1 / (w0 * QmsTotal * Cas);
    Rae = 1 / (w0 * QesTotal * Cas);

    // The totals now describe the drivers with the added mass.
    FsTotal = 1 / (TwoPi * std::sqrt(Cas * Mas));
    const double w1 = TwoPi * FsTotal;
    QmsTotal = 1 / (Cas * w1 * Ras);
    QesTotal = 1 / (Cas * w1 * Rae);
    QtsTotal = 1 / (1 / QmsTotal + 1 / QesTotal);

    // The coil inductance appears as a compliance across Rae; its corner Rae·Cae = Le/(Re + Rs)
    // must not move with the number of drivers, so it scales like the other elements.
    Cae = d.Le > 0 && d.BL > 0 && d.Sd > 0 ? driversPerCircuit * d.Le * d.Sd * d.Sd / (d.BL * d.BL) : 0;

    if (d.Re > 0 && d.BL > 0 && d.Sd > 0) {
        // Source pressure per sqrt(W). The power divides among all coils, and an isobaric pair
        // pushes its one cone area with both motors, so what divides it is the number of the
        // circuit's elements: with a cold coil the square of this factor is Rae for any
        // mounting, just as the form from the small-signal parameters below gives it.
        DriveFactor = d.BL / (d.Sd * std::sqrt((d.Re + Rs) * driversPerCircuit));
    } else {
        DriveFactor = std::sqrt(rho * c * c / (QesTotal * VasTotal * TwoPi * FsTotal));
    }
    SplFactor = rho * DriveFactor / (TwoPi * ReferencePressure); // half-space radiation at 1 m
    MasCopy = Mas;

    CouplingFactor = 0;
    if (d.BL > 0 && d.Sd > 0) {
        CouplingFactor = d.BL * d.BL / (SdTotal * SdTotal);
        CouplingKnown = true;
    } else if (d.Re > 0) {
        CouplingFactor = d.Re * Rae / n;
        CouplingKnown = d.Qes > 0;
    }

    DriverTF = TTransferFunction{};
    DriverTF.NumOrder = 3;
    DriverTF.Num[0] = 1;
    DriverTF.Num[1] = Cas * Ras + Cas * Rae + Cae * Rae;
    DriverTF.Num[2] = Cas * Mas + Cae * Cas * Rae * Ras;
    DriverTF.Num[3] = Cae * Cas * Mas * Rae;
    DriverTF.DenOrder = 2;
    DriverTF.Den[0] = 0;
    DriverTF.Den[1] = Cas;
    DriverTF.Den[2] = Cae * Cas * Rae;

    CoilTF = TTransferFunction{};
    CoilTF.NumOrder = 0;
    CoilTF.Num[0] = Rae;
    CoilTF.DenOrder = 1;
    CoilTF.Den[0] = 1;
    CoilTF.Den[1] = Cae * Rae;

    MasOverRae = MasCopy / Rae;
    DriveOverRae = DriveFactor / Rae;
    SplOverRae = SplFactor / Rae;

    // Unknown parameters (no resonance, no compliance volume, no Q) leave divisions by zero
    // behind; such a circuit must not reach a plot.
    const bool usable = Cas > 0 && Mas > 0 && Rae > 0 && Ras >= 0 && FsTotal > 0 && Finite(Cas) &&
                        Finite(Mas) && Finite(Ras) && Finite(Rae) && Finite(Cae) && Finite(FsTotal) &&
                        Finite(QmsTotal) && Finite(QesTotal) && Finite(QtsTotal) && Finite(VasTotal) &&
                        Finite(SdTotal) && Finite(DriveFactor) && Finite(SplFactor) &&
                        Finite(CouplingFactor) && Finite(MasOverRae) && Finite(DriveOverRae) &&
                        Finite(SplOverRae);
    if (!usable) {
        fail();
    }
}

TComplex TDriverObject::LoadedResponse(TComplex load, double f, double gain) const {
    if (!ModelReady) {
        return Zero;
    }
    const double w = TwoPi * f;
    const TComplex coil = EvalTransferFunction(CoilTF, w);
    const TComplex driver = EvalTransferFunction(DriverTF, w);
    const TComplex result = ComplexScale(ComplexDiv(ComplexMul(coil, load), ComplexAdd(driver, load)), gain);
    return Finite(result) ? result : Zero;
}

TComplex TDriverObject::InputImpedance(TComplex load, double f) const {
    if (!ModelReady) {
        return Zero;
    }
    const double w = TwoPi * f;
    const TComplex mechanical = MakeComplex(Ras, w * Mas - 1 / (w * Cas));
    double coupling = NumDrivers * CouplingFactor;
    if (Isobaric) {
        coupling *= 2;
    }
    const TComplex motional = ComplexScale(ComplexInv(ComplexAdd(mechanical, load)), coupling);
    const TComplex result = ComplexAdd(MakeComplex(Data.Re, w * Data.Le), motional);
    return Finite(result) ? result : Zero;
}

TComplex TDriverObject::Excursion(TComplex load, double f, double P) const {
    if (!ModelReady) {
        return Zero;
    }
    const double w = TwoPi * f;
    TComplex velocity; // volume velocity per cone area, per unit of load pressure when Sd is unknown
    if (SdTotal > 0) {
        // The loaded response over the load, with the load cancelled by hand so that a load of
        // zero (no enclosure) still gives the free cone's excursion rather than 0/0.
        const TComplex coil = EvalTransferFunction(CoilTF, w);
        const TComplex driver = EvalTransferFunction(DriverTF, w);
        velocity = ComplexScale(ComplexDiv(coil, ComplexAdd(driver, load)), DriveOverRae / SdTotal);
    } else {
        velocity = ComplexInv(load);
    }
    // Integrated once: displacement of the cone.
    const TComplex result = ComplexDiv(ComplexScale(velocity, std::sqrt(P)), MakeComplex(0, w));
    return Finite(result) ? result : Zero;
}
