// One user edit of a box value with ten projects open: the change rule and the vent update of
// the edited project, then the plot picture of all ten projects recomputed and drawn at
// 1,900 x 700 into a QImage, as the plot window repaints after every edit.
#include "bench/BenchApplication.h"
#include "bench/BenchProjects.h"
#include "workspace/ProjectDocument.h"
#include "workspace/QtPlotCanvas.h"
#include "workspace/plothelper.h"

#include "shell/Settings.h"
#include "simulation/Lowpass.h"
#include "simulation/ParametricEQ.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

std::vector<std::unique_ptr<TProjectDocument>> TenProjects() {
    std::vector<std::unique_ptr<TProjectDocument>> projects;
    for (int i = 0; i < 10; ++i) {
        auto doc = std::make_unique<TProjectDocument>();
        FillBenchProject(*doc, i);
        doc->Start(1, "Bench");
        doc->VentUpdate();
        auto lowpass = std::make_unique<TLowpass>();
        lowpass->Enabled = true;
        lowpass->Calculate();
        doc->filters.push_back(std::move(lowpass));
        auto eq = std::make_unique<TParametricEQ>();
        eq->Enabled = true;
        eq->Calculate();
        doc->filters.push_back(std::move(eq));
        doc->Color = 0x00FFFF ^ (i * 0x151515);
        projects.push_back(std::move(doc));
    }
    return projects;
}

void BM_EditWithTenProjects(benchmark::State& state) {
    EnsureBenchApplication();
    std::vector<std::unique_ptr<TProjectDocument>> projects = TenProjects();
    QImage image(1900, 700, QImage::Format_RGB32);
    TProjectDocument& edited = *projects[1]; // a vented box: the edit resizes its vent
    bool larger = true;
    for (auto _ : state) {
        // A drag step of the rear volume, alternately larger and smaller so the box stays put.
        edited.ApplyChange(TProjectField::ReVolume, edited.box.Vr * (larger ? 1.1 : 1 / 1.1));
        larger = !larger;
        edited.VentUpdate();
        image.fill(Qt::black);
        QPainter painter(&image);
        TQtPlotCanvas canvas(painter);
        TPlotHelper helper(canvas);
        helper.Colors = TPlotColors::FromSettings(TC);
        helper.OuterRect = TPlotRect{0, 0, image.width(), image.height()};
        helper.SetPlotType(1);
        helper.SetReferenceProject(edited.driver, edited.box);
        helper.CalcPlotRect();
        helper.DrawGrid();
        helper.DrawFrame();
        for (auto& project : projects) {
            TProjectDocument* doc = project.get();
            auto report = [doc](std::uint8_t kind, double value) { doc->ProjectResult(kind, value); };
            helper.SetPenWidth(doc->Width);
            helper.SetPenColor(doc->Color);
            helper.SetProject(doc->box, doc->driver, doc->signal, &doc->filters, doc->box.BType,
                              ProjectResultCallback::Of(report));
            helper.DrawCurve();
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_EditWithTenProjects)->Unit(benchmark::kMillisecond);

} // namespace
