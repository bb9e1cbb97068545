#pragma once
// The real main window with its plot window, started as the program starts it on a fresh
// documents folder of its own, for the benchmarks that time what the user sees.
#include "bench/BenchApplication.h"
#include "model/Units.h"
#include "platform/Dialogs.h"
#include "platform/SettingsStore.h"
#include "shell/MainForm.h"
#include "tests/shell/ShellTestSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <filesystem>
#include <memory>

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* watched) { watched->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// `ready` is false when the main window did not start.
struct BenchMainWindow {
    BenchMainWindow(TAppLinks links, int width, int height) {
        EnsureBenchApplication();
        shelltest::WriteText(folder.path() / "version.ini", "[Version]\nNumber=2.5\n");
        std::filesystem::create_directories(folder.path() / "Projects");
        std::filesystem::create_directories(folder.path() / "Drivers");
        TUnitStore::Instance().SetPath(folder.path() / "UNITINDEX.DAT");
        TMainStartup startup;
        startup.store = &store;
        startup.shippedFolders = {folder.path()};
        startup.documentsFolder = folder.path();
        startup.currentFolder = QString::fromStdString(folder.path().string());
        startup.splashMilliseconds = 0;
        main = std::make_unique<TfrmMain>(std::move(links), std::move(startup));
        ready = main->Create();
        if (!ready)
            return;
        main->CreateForms();
        main->resize(width, height);
        main->show();
        QCoreApplication::processEvents();
    }

    shelltest::TempFolder folder;
    platform::MemorySettingsStore store;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs installed{dialogs};
    std::unique_ptr<TfrmMain> main;
    bool ready = false;
};
