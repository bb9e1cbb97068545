#pragma once
// Shared pieces of the project window tests: private folders, a Qt application, a small main
// window that keeps the ten slots, and started projects of every box type.

#include "model/Units.h"
#include "platform/Dialogs.h"
#include "shell/AppLinks.h"
#include "shell/Settings.h"
#include "workspace/DemoDriver.h"
#include "workspace/ProjectForm.h"
#include "workspace/plothelper.h"

#include "tests/platform/PrivateHome.h"
#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace projecttest {

// Every test of the executable runs against temporary folders, never the user's files.
class TempHome : public platformtest::PrivateHome {
public:
    TempHome() : PrivateHome("projectwindow-test") {}
    void SetUp() override {
        PrivateHome::SetUp();
        TUnitStore::Instance().SetPath(folder / "UNITINDEX.DAT");
        std::filesystem::create_directories(folder / "Projects");
        platformtest::TestApplication::Ensure("test_projectwindow");
        SetDecimalSeparator('.');
        TC.UserName = "Tester";
    }
    void TearDown() override {
        platformtest::TestApplication::Release();
        PrivateHome::TearDown();
    }
};

// A plot window that counts its repaints and, like the real one, binds every used project so
// the set-up reports reach the project windows.
class FakePlotWindow : public IPlotWindow {
public:
    explicit FakePlotWindow(IMainWindow& main) : m_Main(main) {}
    QWidget* Widget() override { return nullptr; }
    void Repaint() override;
    void ClearReadouts() override {}
    void ShowActiveProject(const QString&) override {}
    void ApplySettings() override {}
    int repaints = 0;

private:
    IMainWindow& m_Main;
};

// The main window as the project windows see it: ten slots, the active one, the plot window.
class FakeMainWindow : public IMainWindow {
public:
    FakeMainWindow() : plot(*this) { SetMainWindow(this); }
    ~FakeMainWindow() override {
        for (int n = 1; n <= kMaxProjects; ++n)
            if (projectSlots[static_cast<std::size_t>(n)].window != nullptr)
                delete projectSlots[static_cast<std::size_t>(n)].window->Widget();
        SetMainWindow(nullptr);
    }
    QWidget* Widget() override { return nullptr; }
    int ActiveProject() const override { return active; }
    void SetActiveProject(int n) override { active = n; }
    void CheckActiveProjectItem(int) override {}
    int AllocateProjectSlot() override {
        for (int n = 1; n <= kMaxProjects; ++n) {
            TProj& proj = projectSlots[static_cast<std::size_t>(n)];
            if (!proj.used) {
                proj.used = true;
                proj.window = new TfrmProject(n);
                return n;
            }
        }
        return 0;
    }
    const TProj& Proj(int n) const override { return projectSlots[static_cast<std::size_t>(n)]; }
    void SetSlotCaption(int n, const QString& caption) override {
        projectSlots[static_cast<std::size_t>(n)].caption = caption;
    }
    void FreeSlot(int n) override {
        TProj& proj = projectSlots[static_cast<std::size_t>(n)];
        proj = TProj{};
        ++freed;
        if (active == n) {
            active = 0;
            for (int m = kMaxProjects; m >= 1; --m)
                if (projectSlots[static_cast<std::size_t>(m)].used) {
                    active = m;
                    break;
                }
        }
    }
    void AddChildWindow(QWidget*) override {}
    IPlotWindow* PlotWindow() override { return withPlot ? &plot : nullptr; }
    ISignalGenerator* SignalGenerator() override { return nullptr; }
    IHelpSystem* Help() override { return nullptr; }
    void RunDatabaseMaintenance() override {}
    bool HelpMode() const override { return false; }

    TfrmProject* Window(int n) {
        return static_cast<TfrmProject*>(projectSlots[static_cast<std::size_t>(n)].window);
    }

    std::array<TProj, kMaxProjects + 1> projectSlots{};
    int active = 0;
    int freed = 0;
    bool withPlot = true;
    FakePlotWindow plot;
};

inline TDriverObject TestWoofer() {
    TDriverObject driver = DemoWoofer(293.15, 101325, 0.3, 0.0005);
    driver.Data.Brand = "Halvern";
    driver.Data.Model = "W8 & Co";
    return driver;
}

// A new project of the box type in a new slot, filled as the wizard fills it and started.
inline TfrmProject* NewProject(FakeMainWindow& main, std::int32_t boxType) {
    const int n = main.AllocateProjectSlot();
    if (n == 0)
        return nullptr;
    TfrmProject* window = main.Window(n);
    window->driver.Assign(TestWoofer());
    window->box.BType = boxType;
    window->box.Nd = 1;
    window->box.Vr = 0.05;
    window->box.Fr = 35;
    window->box.Vf = 0.02;
    window->box.Ff = 70;
    window->box.Qlr = window->box.Qlf = 10;
    window->box.Qar = window->box.Qaf = 100;
    window->box.Qpr = window->box.Qpf = 100;
    window->box.Qiclfr = 100;
    window->box.PassiveRadiator = TPassiveRadiatorData{0.06, 6, 20, 0.035, 0.01, 0};
    window->signal.P = 1;
    window->StartNow(1);
    return window;
}

} // namespace projecttest
