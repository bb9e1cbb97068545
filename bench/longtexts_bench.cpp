// Files with long texts opened in the real main window, timed from the open until the window
// answers: it has painted and has handled an event posted after the open. A project with a 1 MB
// description (one line, or lines of some forty characters) or a 1 MB driver name and creator
// opens on its driver page; the time until its description page answers once chosen counts too
// (open_ms and show_description_ms, their sum the benchmark's time). The driver editor loads a
// driver whose brand, model and comment hold 1 MB each.
#include "bench/BenchMainWindow.h"
#include "shell/DriverEditorLinks.h"
#include "shell/DrvEdit.h"
#include "shell/MainForm.h"
#include "workspace/PlotWindowLinks.h"
#include "workspace/ProjectForm.h"
#include "workspace/ProjectLinks.h"

#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace {

enum class TLongText {
    OneLineDescription,
    ManyLineDescription,
    DriverNameAndCreator,
    OneLineComment,
    ManyLineComment
};

constexpr std::size_t Megabyte = 1024 * 1024;

// A stored multi-line text of 1 MB: one line, or lines of some forty characters each, the
// breaks stored as the files store them.
std::string StoredText(bool manyLines) {
    if (!manyLines)
        return std::string(Megabyte, 'a');
    std::string text;
    while (text.size() < Megabyte)
        text += "Line " + std::to_string(text.size()) + " of a long text, typed\xA4";
    return text;
}

// Processes events until `painted` has painted and an event posted now has been handled; false
// when that does not happen within a generous bound.
bool Answers(const PaintCounter& painted) {
    bool handled = false;
    QTimer::singleShot(0, [&handled] { handled = true; });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    while (!(handled && painted.paints > 0) && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    return handled && painted.paints > 0;
}

// The main window at 1,600 x 1,000 with its plot window and the driver editor, as the program
// starts them.
TAppLinks MainWindowLinks() {
    TAppLinks links;
    LinkProjectWindows(links);
    LinkPlotWindow(links);
    LinkDriverEditor(links);
    return links;
}

struct MainOnScreen : BenchMainWindow {
    MainOnScreen() : BenchMainWindow(MainWindowLinks(), 1600, 1000) {}
};

void BM_OpenProjectWithLongText(benchmark::State& state, TLongText kind) {
    MainOnScreen screen;
    if (!screen.ready) {
        state.SkipWithError("the main window did not start");
        return;
    }
    const std::string driverName =
        kind == TLongText::DriverNameAndCreator ? std::string(Megabyte, 'b') : "Acme";
    const std::string creator =
        kind == TLongText::DriverNameAndCreator ? std::string(Megabyte, 'c') : "Bench";
    const std::string description = kind == TLongText::DriverNameAndCreator
                                        ? std::string("A box")
                                        : StoredText(kind == TLongText::ManyLineDescription);
    const std::filesystem::path path = screen.folder.path() / "Projects" / "long.bvp";
    shelltest::WriteText(path, "[ProjectInfo]\nDescription=" + description + "\nCreator=" + creator +
                                   "\n[Driver]\nBrand=" + driverName + "\nModel=" + driverName +
                                   "\nFs=30\nQts=0.4\nVas=0.05\n[Box]\nBType=0\nVr=0.05\n");
    const QString name = QString::fromStdString(path.string());
    double opening = 0;
    double showing = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!screen.main->OpenProjectFile(name)) {
            state.SkipWithError("the project did not open");
            return;
        }
        auto* window = dynamic_cast<TfrmProject*>(screen.main->Proj(1).window);
        auto* memo = window != nullptr ? window->findChild<QPlainTextEdit*>("memDescription") : nullptr;
        if (memo == nullptr) {
            state.SkipWithError("no project window with a description");
            return;
        }
        // The window opens on its first page, with the driver's name.
        PaintCounter page(window->Tabs()->currentWidget());
        if (!Answers(page)) {
            state.SkipWithError("the project window never answered");
            return;
        }
        const auto opened = std::chrono::steady_clock::now();
        // The user's next step: the page with the creator and the description.
        PaintCounter description(memo->viewport());
        window->Tabs()->setCurrentWidget(memo->parentWidget());
        if (!Answers(description)) {
            state.SkipWithError("the description never showed");
            return;
        }
        const auto shown = std::chrono::steady_clock::now();
        opening += std::chrono::duration<double, std::milli>(opened - start).count();
        showing += std::chrono::duration<double, std::milli>(shown - opened).count();
        state.PauseTiming();
        QWidget* frame = window->parentWidget();
        if (!window->close()) {
            state.SkipWithError("the unchanged project asked before closing");
            return;
        }
        delete frame;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["open_ms"] = benchmark::Counter(opening, benchmark::Counter::kAvgIterations);
    state.counters["show_description_ms"] = benchmark::Counter(showing, benchmark::Counter::kAvgIterations);
}
BENCHMARK_CAPTURE(BM_OpenProjectWithLongText, one_line_description, TLongText::OneLineDescription)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenProjectWithLongText, many_line_description, TLongText::ManyLineDescription)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenProjectWithLongText, driver_name_and_creator, TLongText::DriverNameAndCreator)
    ->Unit(benchmark::kMillisecond);

void BM_LoadDriverWithLongTexts(benchmark::State& state, TLongText kind) {
    MainOnScreen screen;
    if (!screen.ready) {
        state.SkipWithError("the main window did not start");
        return;
    }
    screen.main->RunDatabaseMaintenance();
    auto* editor = screen.main->findChild<TfrmDriverEditor*>();
    auto* comment = editor != nullptr ? editor->findChild<QPlainTextEdit*>("memoComment") : nullptr;
    if (comment == nullptr) {
        state.SkipWithError("the driver editor did not open");
        return;
    }
    QCoreApplication::processEvents();
    const std::filesystem::path path = screen.folder.path() / "Drivers" / "long.bvd";
    const std::string name(Megabyte, 'b');
    shelltest::WriteText(path, "[Driver]\nBrand=" + name + "\nModel=" + name + "\nComment=" +
                                   StoredText(kind == TLongText::ManyLineComment) + "\nFs=30\nQts=0.4\n");
    for (auto _ : state) {
        state.PauseTiming();
        comment->clear();
        QCoreApplication::processEvents();
        PaintCounter painted(comment->viewport());
        screen.dialogs.openAnswers.push_back({path.string()});
        state.ResumeTiming();
        editor->btnLoadClick();
        if (!Answers(painted)) {
            state.SkipWithError("the driver editor never answered");
            return;
        }
    }
}
BENCHMARK_CAPTURE(BM_LoadDriverWithLongTexts, one_line_comment, TLongText::OneLineComment)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadDriverWithLongTexts, many_line_comment, TLongText::ManyLineComment)
    ->Unit(benchmark::kMillisecond);

} // namespace
