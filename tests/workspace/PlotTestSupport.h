#pragma once
// Shared pieces of the plot engine tests: a private documents folder for the unit store, a
// scriptable stand-in for a box model, and a driver that agrees with itself in the test air.

#include "model/Airmodel.h"
#include "model/Driver.h"
#include "model/Units.h"
#include "shell/Settings.h"
#include "simulation/boxmath.h"
#include "workspace/DemoDriver.h"
#include "workspace/PlotTypes.h"

#include "tests/platform/PrivateHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace plottest {

inline constexpr double Pi = 3.14159265358979323846;

// Every test of the executable runs against temporary folders, never the user's files.
class TempHome : public platformtest::PrivateHome {
public:
    TempHome() : PrivateHome("plotengine-test") {}
    void SetUp() override {
        PrivateHome::SetUp();
        TUnitStore::Instance().SetPath(folder / "UNITINDEX.DAT");
    }
};

// A stand-in for a box model: the answer of every evaluation comes from Answer(kind, f);
// the set-up sets the driver's flags to Flags and fails when SetUpFails is set.
struct StubModel {
    static inline std::function<TComplex(TCurveKind, double)> Answer = [](TCurveKind, double) {
        return MakeComplex(1, 0);
    };
    static inline TDriverFlags Flags{true, true, true};
    static inline bool SetUpFails = false;
    static inline bool SetUpThrows = false;
    static inline bool EvaluationThrows = false;
    static inline std::vector<std::pair<std::uint8_t, double>> Reports;

    static void Func(TCurveKind kind, const TEvaluationPoint& point, const TBoxData&, TComplex& out,
                     const ProjectResultCallback& report, TDriverObject& driver, TBoxModelState& state) {
        out = MakeComplex(0, 0);
        if (kind != ckEvaluate) {
            state.Invalidate();
            driver.CouplingKnown = Flags.CouplingKnown;
            driver.MassAdded = Flags.MassAdded;
            driver.ModelReady = Flags.ModelReady;
            if (SetUpThrows)
                throw std::runtime_error("set-up");
            if (SetUpFails)
                return;
            state.boxType = 99;
            state.kind = kind;
            report(rcQtc, 0.707);
            return;
        }
        if (state.kind == ckEvaluate)
            return;
        if (EvaluationThrows)
            throw std::runtime_error("evaluation");
        out = Answer(state.kind, point.f);
    }

    static void Reset() {
        Answer = [](TCurveKind, double) { return MakeComplex(1, 0); };
        Flags = TDriverFlags{true, true, true};
        SetUpFails = false;
        SetUpThrows = false;
        EvaluationThrows = false;
        Reports.clear();
    }
};

inline double Rho() {
    return AirDensity(293.15, 101325, 0.3);
}
inline double SoundSpeed() {
    return SpeedOfSound(101325, Rho());
}

// The sample woofer, its mechanical parameters agreeing with its small-signal ones in the test
// air.
inline TDriverObject Woofer(double Le = 0) {
    return DemoWoofer(293.15, 101325, 0.3, Le);
}

// A closed box of volume V with negligible losses in the test air.
inline TBoxData LosslessClosedBox(double V) {
    TBoxData box;
    box.BType = btClosed;
    box.T = 293.15;
    box.p = 101325;
    box.phi = 0.3;
    box.Nd = 1;
    box.Vr = V;
    box.Qlr = 1e9;
    box.Qar = 1e9;
    return box;
}

} // namespace plottest
