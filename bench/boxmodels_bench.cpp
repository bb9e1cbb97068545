// Cost of the box models as the plot engine drives them: one set-up, then one evaluation per
// pixel column, here 2,000 columns at log-spaced frequencies from 10 Hz to 20 kHz, computed
// before the timer starts. The SPL cases time what every SPL plot pays for, the level in dB on
// the axis; the off-axis case adds the cone's directivity at 0.3 rad.

#include "simulation/boxmath.h"
#include "workspace/DemoDriver.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int Columns = 2000;

const std::vector<double>& Frequencies() {
    static const std::vector<double> frequencies = [] {
        std::vector<double> f(Columns);
        for (int i = 0; i < Columns; ++i)
            f[i] = 10.0 * std::pow(2000.0, static_cast<double>(i) / (Columns - 1));
        return f;
    }();
    return frequencies;
}

TBoxData MakeBox(TBoxType type) {
    TBoxData box;
    box.BType = type;
    box.T = 293.15;
    box.p = 101325;
    box.phi = 0.3;
    box.Nd = 1;
    box.alfaVC = 0.0039;
    box.Angle = 0.0;
    box.Vr = 0.03;
    box.Fr = 35;
    box.Qlr = 7;
    box.Qar = 100;
    box.Qpr = 50;
    box.Vf = 0.02;
    box.Ff = 60;
    box.Qlf = 7;
    box.Qaf = 100;
    box.Qpf = 50;
    box.Qiclfr = 100;
    box.Sdfport = 0.005;
    box.Sdrport = 0.005;
    box.Npr = 1;
    box.PassiveRadiator = TPassiveRadiatorData{0.08, 6, 22, 0.035, 0.012, 0.02};
    return box;
}

void BoxCurve(benchmark::State& state, TBoxType type, TCurveKind kind, double angle) {
    const TBoxMathFunc func = BoxMath_GetFunc(type);
    if (func == nullptr) {
        state.SkipWithError("box type without a curve function in this build");
        return;
    }
    TBoxData box = MakeBox(type);
    box.Angle = angle;
    // The plot shows the SPL as a level; the other kinds as the plot engine takes them.
    const bool decibels = kind == ckSPL;
    TDriverObject driver = DemoWoofer(box.T, box.p, box.phi, 0.0008);
    TBoxModelState model;
    TEvaluationPoint point{0, 0, 1};
    const ProjectResultCallback report;
    const std::vector<double>& frequencies = Frequencies();
    for (auto _ : state) {
        TComplex out{};
        func(kind, point, box, out, report, driver, model);
        for (const double f : frequencies) {
            point.f = f;
            func(ckEvaluate, point, box, out, report, driver, model);
            if (decibels) {
                const double level = 20 * std::log10(ComplexAbs(out));
                benchmark::DoNotOptimize(level);
            } else {
                benchmark::DoNotOptimize(out);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * Columns);
    // Time per evaluation, shown in seconds with an SI prefix (e.g. 64ns).
    state.counters["per_evaluation"] = benchmark::Counter(
        Columns, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

struct Registration {
    Registration() {
        const struct {
            TBoxType type;
            const char* name;
        } types[] = {{btClosed, "Closed"},
                     {btVented, "Vented"},
                     {btBandpass4, "Bandpass4"},
                     {btBandpass6, "Bandpass6"},
                     {btPassiveRadiator, "PassiveRadiator"}};
        const struct {
            TCurveKind kind;
            const char* name;
        } kinds[] = {{ckSPL, "SPL"},
                     {ckImpedance, "Impedance"},
                     {ckExcursion, "Excursion"},
                     {ckGroupDelay, "GroupDelay"}};
        for (const auto& t : types) {
            for (const auto& k : kinds) {
                const TBoxType type = t.type;
                const TCurveKind kind = k.kind;
                benchmark::RegisterBenchmark(
                    (std::string("BoxCurve/") + t.name + "/" + k.name).c_str(),
                    [type, kind](benchmark::State& state) { BoxCurve(state, type, kind, 0.0); });
            }
            const TBoxType type = t.type;
            benchmark::RegisterBenchmark(
                (std::string("BoxCurve/") + t.name + "/SPLOffAxis").c_str(),
                [type](benchmark::State& state) { BoxCurve(state, type, ckSPL, 0.3); });
        }
    }
};

const Registration registration;

} // namespace
