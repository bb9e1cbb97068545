#pragma once
// Shared pieces of the help system tests: the application, scripted dialogs, a log in a
// temporary folder and a viewer that records what it is asked.

#include "help/HHDebug.h"
#include "help/hh_funcs.h"
#include "platform/Dialogs.h"

#include "../platform/TempFolders.h"
#include "../platform/TestApplication.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace helptest {

struct ViewerCall {
    std::string target;
    unsigned command = 0;
    std::uint32_t data = 0;
};

// Installs itself as the help viewer for its lifetime.
class RecordingViewer {
public:
    RecordingViewer() {
        LoadHelpControl(LinkedHelpControlPath(),
                        [this](const std::string& target, unsigned command, std::uint32_t data) {
                            if (command != HH_CLOSE_ALL)
                                calls.push_back({target, command, data});
                            return answer;
                        });
    }
    ~RecordingViewer() { UnloadHelpControl(); }
    RecordingViewer(const RecordingViewer&) = delete;
    RecordingViewer& operator=(const RecordingViewer&) = delete;

    std::vector<ViewerCall> calls;
    THtmlHelpAnswer answer;
};

class HelpFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_help_system"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }

    void SetUp() override {
        // Help counts as installed: the real reader library, logging off, no log written.
        THelpEnvironment environment = CurrentHelpEnvironment({"test"});
        environment.documentsFolder = folder_.path();
        environment.tempFolder = folder_.path();
        StartHelpDebugLog(environment);
    }
    void TearDown() override {
        UnloadHelpControl();
        StartHelpDebugLog(THelpEnvironment{});
    }

    void StartLog() {
        THelpEnvironment environment = CurrentHelpEnvironment({"test", "-debug"});
        environment.documentsFolder = folder_.path();
        environment.tempFolder = folder_.path();
        StartHelpDebugLog(environment);
    }
    std::string ReadLog() const {
        std::ifstream file(folder_.path() / "HHDebug.txt");
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    platformtest::TempFolder folder_{"borvik-help"};
    platform::ScriptedDialogs dialogs_;
    platform::ScopedDialogs scope_{dialogs_};
};

} // namespace helptest
