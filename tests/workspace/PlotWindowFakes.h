#pragma once
// A main window and project windows just real enough for the plot window: ten slots, an active
// project, a signal generator that records what it is handed, and projects of the demo woofer.

#include "shell/AppLinks.h"
#include "workspace/PlotRender.h"

#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <utility>
#include <vector>

namespace plotwindowtest {

class FakeProjectWindow final : public IProjectWindow {
public:
    FakeProjectWindow(int slot, std::int32_t boxType) : m_Slot(slot) {
        MakeDemoProject(boxType, Project);
        m_Widget.setWindowTitle(QString("[%1] Demo W8 & co").arg(slot));
    }

    QWidget* Widget() override { return &m_Widget; }
    int Slot() const override { return m_Slot; }
    bool LoadProjectFile(const QString&, QString&) override { return false; }
    void StartNow(int) override {}
    bool SaveProject() override { return true; }
    bool Modified() const override { return false; }
    TProjectPlotData PlotData() override {
        TProjectPlotData data;
        data.box = &Project.Box;
        data.driver = &Project.Driver;
        data.source = &Project.Signal;
        data.filters = &Project.Filters;
        data.color = Project.Color;
        data.width = Project.Width;
        data.callback = ProjectResultCallback(&Report, this);
        return data;
    }

    TRenderProject Project;
    std::vector<std::pair<int, double>> Reports;

private:
    static void Report(void* context, std::uint8_t code, double value) {
        static_cast<FakeProjectWindow*>(context)->Reports.emplace_back(code, value);
    }

    int m_Slot;
    QWidget m_Widget;
};

class FakeSignalGenerator final : public ISignalGenerator {
public:
    QWidget* Widget() override { return nullptr; }
    void SetFrequencyFromCursor(double frequency) override { Frequencies.push_back(frequency); }
    std::vector<double> Frequencies;
};

class FakeMainWindow final : public IMainWindow {
public:
    QWidget* Widget() override { return nullptr; }

    int ActiveProject() const override { return Active; }
    // As the main window does: the plot window's readouts cleared and its button captioned.
    void SetActiveProject(int n) override {
        Active = n;
        if (Plot != nullptr) {
            Plot->ClearReadouts();
            Plot->ShowActiveProject(n >= 1 ? m_Slots[n].caption : QString("No open projects"));
        }
    }
    void CheckActiveProjectItem(int) override {}
    int AllocateProjectSlot() override { return 0; }
    const TProj& Proj(int n) const override { return m_Slots[n >= 1 && n <= kMaxProjects ? n : 0]; }
    void SetSlotCaption(int n, const QString& caption) override { m_Slots[n].caption = caption; }
    void FreeSlot(int n) override {
        m_Slots[n] = TProj{};
        m_Windows[n].reset();
    }
    void AddChildWindow(QWidget*) override {}
    IPlotWindow* PlotWindow() override { return Plot; }
    ISignalGenerator* SignalGenerator() override { return Generator; }
    IHelpSystem* Help() override { return nullptr; }
    void RunDatabaseMaintenance() override {}
    bool HelpMode() const override { return false; }
    void RunOptions() override { ++OptionsRuns; }

    // A project of the demo woofer in slot n.
    FakeProjectWindow& AddProject(int n, std::int32_t boxType, std::int32_t color = 0x00FFFF, int width = 1) {
        m_Windows[n] = std::make_unique<FakeProjectWindow>(n, boxType);
        m_Windows[n]->Project.Color = color;
        m_Windows[n]->Project.Width = width;
        m_Slots[n].caption = QString("[%1]Closed box : Demo W8 & co").arg(n);
        m_Slots[n].window = m_Windows[n].get();
        m_Slots[n].used = true;
        return *m_Windows[n];
    }
    FakeProjectWindow& Window(int n) { return *m_Windows[n]; }

    int Active = -1;
    IPlotWindow* Plot = nullptr;
    ISignalGenerator* Generator = nullptr;
    int OptionsRuns = 0;

private:
    std::array<TProj, kMaxProjects + 1> m_Slots{};
    std::array<std::unique_ptr<FakeProjectWindow>, kMaxProjects + 1> m_Windows{};
};

} // namespace plotwindowtest
