// One typed value committed with ten projects open in the real main window, timed from the
// Enter key until the screen shows the result: the edited window's fields written, every
// project's curve recomputed into the plot window's picture, and the paint events of the
// picture and of a field that changed delivered.
#include "bench/BenchMainWindow.h"
#include "bench/BenchFilterChain.h"
#include "bench/BenchProjects.h"
#include "model/Units.h"
#include "shell/MainForm.h"
#include "shell/Settings.h"
#include "workspace/PlotWindowLinks.h"
#include "workspace/ProjectForm.h"
#include "workspace/ProjectLinks.h"
#include "workspace/plotwindow.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

TAppLinks ProjectAndPlotLinks() {
    TAppLinks links;
    LinkProjectWindows(links);
    LinkPlotWindow(links);
    return links;
}

// The main window at 1,900 x 1,100 with its plot window and ten projects of all five box types,
// each with four filter stages, as the program starts them.
struct TenProjectsOnScreen : BenchMainWindow {
    TenProjectsOnScreen() : BenchMainWindow(ProjectAndPlotLinks(), 1900, 1100) {
        if (!ready)
            return;
        for (int i = 0; i < kMaxProjects; ++i) {
            const int slot = main->AllocateProjectSlot();
            auto* window = slot > 0 ? dynamic_cast<TfrmProject*>(main->Proj(slot).window) : nullptr;
            if (window == nullptr) {
                ready = false;
                return;
            }
            FillBenchProject(*window, i);
            window->signal.P = 1;
            AddBenchFilterChain(window->filters, i + 1);
            window->StartNow(1);
            windows[i] = window;
        }
        QCoreApplication::processEvents();
    }

    TfrmProject* windows[kMaxProjects] = {};
};

void BM_EditToScreenTenProjects(benchmark::State& state) {
    TenProjectsOnScreen screen;
    auto* plot = screen.ready ? dynamic_cast<TfrmPlotWindow*>(screen.main->PlotWindow()) : nullptr;
    if (plot == nullptr) {
        state.SkipWithError("the main window, its plot window or a project did not start");
        return;
    }
    // The first project is a closed box, in front with its "Box" page shown: a new volume
    // changes its Fsc field and its Qtc beside the volume with every entry.
    TfrmProject* edited = screen.windows[0];
    screen.main->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(edited->parentWidget()));
    edited->Tabs()->setCurrentIndex(2);
    QCoreApplication::processEvents();
    auto* volume = qobject_cast<QLineEdit*>(edited->Control("ReVolume"));
    PaintCounter picture(plot->PaintBox());
    PaintCounter resonance(edited->Control("ReTune"));
    PaintCounter qtc(edited->Control("pnlQtc"));
    const QString texts[] = {volume->text(), QString::number(volume->text().toDouble() * 1.1)};
    int entry = 1;
    for (auto _ : state) {
        state.PauseTiming();
        volume->setFocus();
        volume->selectAll();
        QTest::keyClicks(volume, texts[entry]);
        entry = 1 - entry;
        QCoreApplication::processEvents();
        const double volumeBefore = edited->box.Vr;
        const int before[] = {picture.paints, resonance.paints, qtc.paints};
        const auto shown = [&] {
            return picture.paints > before[0] && resonance.paints > before[1] && qtc.paints > before[2];
        };
        state.ResumeTiming();

        QTest::keyClick(volume, Qt::Key_Return);
        // The repaints the commit asked for, done: a bounded wait, never a fixed one.
        for (int round = 0; round < 10000 && !shown(); ++round)
            QCoreApplication::processEvents();
        if (!shown()) {
            state.SkipWithError("the committed value never reached the screen");
            return;
        }
        if (edited->box.Vr == volumeBefore) {
            state.SkipWithError("the typed value changed nothing");
            return;
        }
    }
}
BENCHMARK(BM_EditToScreenTenProjects)->Unit(benchmark::kMillisecond);

} // namespace
