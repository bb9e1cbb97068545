// The plot window with ten projects of all five box types, each with four filter stages, on a
// 1,900 x 700 picture: one full repaint of its image, and one cursor move with its readouts.
#include "bench/BenchApplication.h"
#include "bench/BenchFilterChain.h"
#include "tests/workspace/PlotWindowFakes.h"
#include "workspace/plotwindow.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace plotwindowtest;

// Ten projects in a plot window whose paint box is 1,900 x 700 pixels.
struct TenProjectWindow {
    TenProjectWindow() {
        EnsureBenchApplication();
        for (int n = 1; n <= kMaxProjects; ++n) {
            FakeProjectWindow& project = main.AddProject(n, (n - 1) % 5, 0x00FFFF ^ (n * 0x151515));
            AddBenchFilterChain(project.Project.Filters, n);
        }
        window = std::make_unique<TfrmPlotWindow>(main);
        main.Plot = window.get();
        main.Generator = &generator;
        main.Active = 1;
        window->PaintBox()->resize(1900, 700);
        window->Repaint();
    }
    FakeMainWindow main;
    FakeSignalGenerator generator;
    std::unique_ptr<TfrmPlotWindow> window;
};

void BM_PlotWindowRepaintTenProjects(benchmark::State& state) {
    TenProjectWindow fixture;
    for (auto _ : state) {
        fixture.window->Repaint();
        benchmark::DoNotOptimize(fixture.window->Picture().constBits());
    }
}
BENCHMARK(BM_PlotWindowRepaintTenProjects)->Unit(benchmark::kMillisecond);

// Each move follows the next project in turn, so every project's curve is read out.
void BM_PlotWindowCursorTenProjects(benchmark::State& state) {
    TenProjectWindow fixture;
    int x = 100;
    int slot = 0;
    for (auto _ : state) {
        fixture.main.Active = slot + 1;
        fixture.window->pboxPlotMouseMove(Qt::LeftButton, x);
        benchmark::DoNotOptimize(fixture.window->ValueText());
        slot = (slot + 1) % kMaxProjects;
        x = x < 1800 ? x + 7 : 100;
    }
}
BENCHMARK(BM_PlotWindowCursorTenProjects)->Unit(benchmark::kMicrosecond);

} // namespace
