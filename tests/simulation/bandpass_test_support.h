#pragma once

// A driver, a box of every type and a small caller for the tests of the box models:
// one set-up call collects the reports, evaluations answer one kind at one frequency.

#include "model/Airmodel.h"
#include "simulation/boxmath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace boxtest {

inline constexpr double Pi = 3.14159265358979323846;
inline constexpr double Temperature = 293.15; // K
inline constexpr double Pressure = 101325;    // Pa
inline constexpr double Humidity = 0.3;

// Air as the box record describes it, computed the way the models do, so the tests can form
// their own textbook relations from it.
inline double Rho() {
    return AirDensity(Temperature, Pressure, Humidity);
}
inline double SoundSpeed() {
    return SpeedOfSound(Pressure, Rho());
}
inline double RhoC2() {
    return Rho() * SoundSpeed() * SoundSpeed();
}

// A woofer with every value the models read; no coil inductance, so the electrical side is a
// plain resistance and the textbook relations hold exactly.
inline TDriverObject Woofer() {
    TDriverObject driver;
    TDriverData& d = driver.Data;
    d.Fs = 30;
    d.Qms = 4;
    d.Qes = 0.4;
    d.Qts = 1 / (1 / d.Qms + 1 / d.Qes);
    d.Vas = 0.1;
    d.Re = 6;
    d.BL = 10;
    d.Sd = 0.05;
    d.Xmax = 0.005;
    d.Pe = 100;
    return driver;
}

inline TBoxData Air(TBoxData box) {
    box.T = Temperature;
    box.p = Pressure;
    box.phi = Humidity;
    box.Nd = 1;
    return box;
}

// Loss factors high enough that leaks and absorption play no measurable part.
inline constexpr double Lossless = 1e9;

// A closed and a vented box with ordinary losses for the woofer.
inline TBoxData ClosedBox() {
    TBoxData box = Air({});
    box.BType = btClosed;
    box.Vr = 0.04;
    box.Qlr = 10;
    box.Qar = 100;
    return box;
}

inline TBoxData VentedBox() {
    TBoxData box = Air({});
    box.BType = btVented;
    box.Vr = 0.08;
    box.Fr = 28;
    box.Qlr = 10;
    box.Qar = 100;
    box.Qpr = 100;
    box.Sdrport = 0.006;
    return box;
}

// The fourth-order box of the default alignment for the woofer (S = 0.7, 0 dB passband gain).
inline TBoxData Bandpass4Box() {
    const TDriverObject driver = Woofer();
    const double Qts = driver.Data.Qts;
    const double Qtc = 1 / (2 * 0.7);
    TBoxData box = Air({});
    box.BType = btBandpass4;
    box.Ff = Qtc / Qts * driver.Data.Fs;
    box.Vf = (2 * 0.7 * Qts) * (2 * 0.7 * Qts) * driver.Data.Vas;
    box.Vr = driver.Data.Vas / ((Qtc / Qts) * (Qtc / Qts) - 1);
    box.Qlf = 10;
    box.Qaf = 100;
    box.Qpf = 100;
    box.Qlr = 10;
    box.Qar = 100;
    box.Qiclfr = 100;
    box.Sdfport = 0.005;
    return box;
}

inline TBoxData Bandpass6Box() {
    TBoxData box = Air({});
    box.BType = btBandpass6;
    box.Vf = 0.0262;
    box.Ff = 63.46;
    box.Vr = 0.1;
    box.Fr = 20;
    box.Qlf = 10;
    box.Qaf = 100;
    box.Qpf = 100;
    box.Qlr = 10;
    box.Qar = 100;
    box.Qpr = 100;
    box.Qiclfr = 100;
    box.Sdfport = 0.005;
    box.Sdrport = 0.004;
    return box;
}

inline TBoxData PassiveRadiatorBox() {
    TBoxData box = Air({});
    box.BType = btPassiveRadiator;
    box.Vr = 0.06;
    box.Qlr = 10;
    box.Qar = 100;
    box.Npr = 1;
    box.PassiveRadiator.Vas = 0.08;
    box.PassiveRadiator.Qms = 6;
    box.PassiveRadiator.Fs = 18;
    box.PassiveRadiator.Sd = 0.055;
    box.PassiveRadiator.Xmax = 0.012;
    box.PassiveRadiator.Me = 0;
    return box;
}

inline void MakeLossless(TBoxData& box) {
    box.Qlf = box.Qaf = box.Qpf = Lossless;
    box.Qlr = box.Qar = box.Qpr = Lossless;
    box.Qiclfr = Lossless;
}

using Reports = std::vector<std::pair<std::uint8_t, double>>;

// One caller of one curve function: its own driver copy and model state.
struct Caller {
    Caller(TBoxMathFunc function, const TBoxData& record) : func(function), box(record) {}

    TBoxMathFunc func;
    TBoxData box;
    TDriverObject driver = Woofer();
    TBoxModelState state;
    TEvaluationPoint point{0, 0, 1};
    Reports reports;

    // The set-up call; returns what the call left in out.
    TComplex SetUp(TCurveKind kind) {
        auto collect = [this](std::uint8_t code, double value) { reports.emplace_back(code, value); };
        const ProjectResultCallback report = ProjectResultCallback::Of(collect);
        TComplex out = MakeComplex(12345, 678);
        func(kind, point, box, out, report, driver, state);
        return out;
    }

    TComplex At(double f) {
        point.f = f;
        TComplex out = MakeComplex(12345, 678);
        func(ckEvaluate, point, box, out, ProjectResultCallback{}, driver, state);
        return out;
    }

    // Set-up and one evaluation of kind at f.
    TComplex Value(TCurveKind kind, double f) {
        SetUp(kind);
        return At(f);
    }

    double Magnitude(TCurveKind kind, double f) { return ComplexAbs(Value(kind, f)); }
};

inline bool IsZero(TComplex z) {
    return z.re == 0.0 && z.im == 0.0;
}

inline bool IsFinite(TComplex z) {
    return std::isfinite(z.re) && std::isfinite(z.im);
}

inline double Db(double ratio) {
    return 20 * std::log10(ratio);
}

// Log-spaced frequencies from low to high, count points.
inline std::vector<double> Sweep(double low, double high, int count) {
    std::vector<double> f;
    for (int i = 0; i < count; ++i)
        f.push_back(low * std::pow(high / low, double(i) / (count - 1)));
    return f;
}

inline constexpr TCurveKind AllSetUpKinds[] = {
    ckTransfer,          ckPRTransfer,       ckFrontPortGain, ckRearPortGain, ckSpare,
    ckFrontPortVelocity, ckRearPortVelocity, ckExcursion,     ckPRExcursion,  ckImpedance,
    ckMaxPower,          ckGroupDelay,       ckSPL,           ckMaxSPL};

// Sets up every kind in turn on a copy of the caller: exactly the answered kinds give a value
// other than 0 at each frequency, and no kind gives one that is not finite.
inline void ExpectAnswersExactly(const Caller& caller, std::initializer_list<TCurveKind> answered,
                                 std::initializer_list<double> frequencies) {
    for (TCurveKind kind : AllSetUpKinds) {
        SCOPED_TRACE(int(kind));
        const bool expected = std::find(answered.begin(), answered.end(), kind) != answered.end();
        Caller c = caller;
        c.SetUp(kind);
        for (double f : frequencies) {
            const TComplex value = c.At(f);
            EXPECT_TRUE(IsFinite(value));
            EXPECT_EQ(!IsZero(value), expected) << "at " << f << " Hz";
        }
    }
}

// What a set-up of a circuit that does not exist may report: nothing, or only finite values.
enum class ReportsOfNoCircuit { None, OnlyFinite };

// Sets up every kind in turn on a copy of a caller whose circuit does not exist: the set-up and
// every evaluation at the frequencies answer 0 + 0j.
inline void ExpectNoCurveOfAnyKind(const Caller& caller, std::initializer_list<double> frequencies,
                                   ReportsOfNoCircuit reports) {
    for (TCurveKind kind : AllSetUpKinds) {
        SCOPED_TRACE("kind " + std::to_string(int(kind)));
        Caller c = caller;
        EXPECT_TRUE(IsZero(c.SetUp(kind)));
        if (reports == ReportsOfNoCircuit::None) {
            EXPECT_TRUE(c.reports.empty());
        } else {
            for (const auto& [code, value] : c.reports)
                EXPECT_TRUE(std::isfinite(value)) << "code " << int(code);
        }
        for (double f : frequencies)
            EXPECT_TRUE(IsZero(c.At(f)));
    }
}

} // namespace boxtest
