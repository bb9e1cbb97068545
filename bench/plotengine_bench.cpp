// One whole picture of the plot window: ten projects of all five box types with four filter
// stages each, on a 1,900-pixel-wide picture, values and drawing into a QImage.
#include "bench/BenchApplication.h"
#include "bench/BenchFilterChain.h"
#include "workspace/PlotRender.h"
#include "workspace/QtPlotCanvas.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

namespace {

// Text needs a GUI application; the benchmarks run headless.
void EnsureGuiApplication() {
    EnsureBenchApplication();
}

std::vector<std::unique_ptr<TRenderProject>> TenProjects() {
    std::vector<std::unique_ptr<TRenderProject>> projects;
    for (int i = 0; i < 10; ++i) {
        auto project = std::make_unique<TRenderProject>();
        MakeDemoProject(i % 5, *project);
        project->Color = 0x00FFFF ^ (i * 0x151515);
        AddBenchFilterChain(project->Filters, i);
        projects.push_back(std::move(project));
    }
    return projects;
}

void PlotPicture(benchmark::State& state, int plotType) {
    EnsureGuiApplication();
    auto projects = TenProjects();
    std::vector<TRenderProject*> bound;
    for (auto& project : projects)
        bound.push_back(project.get());
    QImage image(1900, 700, QImage::Format_RGB32);
    QPainter painter(&image);
    TQtPlotCanvas canvas(painter);
    TPlotHelper helper(canvas);
    helper.OuterRect = TPlotRect{0, 0, image.width(), image.height()};
    helper.SetPlotType(plotType);
    for (auto _ : state) {
        PaintPlot(helper, bound);
        benchmark::DoNotOptimize(image.constBits());
    }
    painter.end();
}

// A surface that draws nothing: the values and the engine's own work without the painter.
class NullCanvas : public TPlotCanvas {
public:
    int PixelWidth() const override { return 1900; }
    int PixelHeight() const override { return 700; }
    int FontHeight() const override { return 13; }
    int TextWidth(std::string_view text) const override { return 7 * static_cast<int>(text.size()); }
    void FillRect(const TPlotRect&, std::int32_t) override {}
    void SetPen(std::int32_t, int) override {}
    void Line(TPlotPoint, TPlotPoint) override {}
    void Polyline(const TPlotPoint* points, int count) override {
        benchmark::DoNotOptimize(points[count - 1]);
        Points += count;
    }
    long Points = 0;
    void FrameRect(const TPlotRect&) override {}
    void InvertLine(TPlotPoint, TPlotPoint) override {}
    void Text(int, int, std::string_view, std::int32_t) override {}
};

void PlotValuesOnly(benchmark::State& state, int plotType) {
    auto projects = TenProjects();
    std::vector<TRenderProject*> bound;
    for (auto& project : projects)
        bound.push_back(project.get());
    NullCanvas canvas;
    TPlotHelper helper(canvas);
    helper.SetPlotType(plotType);
    for (auto _ : state)
        PaintPlot(helper, bound);
    state.counters["points"] =
        benchmark::Counter(static_cast<double>(canvas.Points), benchmark::Counter::kAvgIterations);
}

void BM_PlotValuesSPL(benchmark::State& state) {
    PlotValuesOnly(state, 2);
}
BENCHMARK(BM_PlotValuesSPL)->Unit(benchmark::kMillisecond);

void BM_PlotValuesGroupDelay(benchmark::State& state) {
    PlotValuesOnly(state, 3);
}
BENCHMARK(BM_PlotValuesGroupDelay)->Unit(benchmark::kMillisecond);

void BM_PlotPictureSPL(benchmark::State& state) {
    PlotPicture(state, 2);
}
BENCHMARK(BM_PlotPictureSPL)->Unit(benchmark::kMillisecond);

void BM_PlotPictureGroupDelay(benchmark::State& state) {
    PlotPicture(state, 3);
}
BENCHMARK(BM_PlotPictureGroupDelay)->Unit(benchmark::kMillisecond);

} // namespace
