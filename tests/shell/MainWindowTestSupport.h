#pragma once
// Starting the main window in a test: the settings in a store of the test's own, shipped files and
// documents in the test's folders, no pause for the splash, and the window shown.

#include "shell/MainForm.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <filesystem>
#include <memory>
#include <utility>

namespace shelltest {

inline TMainStartup TestStartup(platform::SettingsStore& store, const std::filesystem::path& shipped,
                                const std::filesystem::path& home, QStringList arguments = {}) {
    TMainStartup startup;
    startup.store = &store;
    startup.shippedFolders = {shipped};
    startup.documentsFolder = home;
    startup.arguments = std::move(arguments);
    startup.currentFolder = QString::fromStdString(home.string());
    startup.splashMilliseconds = 0;
    return startup;
}

// A main window made, started and shown with these windows and this start-up.
inline std::unique_ptr<TfrmMain> StartMainWindow(TAppLinks links, TMainStartup startup) {
    auto main = std::make_unique<TfrmMain>(std::move(links), std::move(startup));
    EXPECT_TRUE(main->Create());
    main->CreateForms();
    main->show();
    QCoreApplication::processEvents();
    return main;
}

} // namespace shelltest
