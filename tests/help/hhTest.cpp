// The help system: targets, the help event, F1 and the nearest context, results and messages.
#include "help/hh.h"
#include "help/HHDebug.h"
#include "help/HelpViewer.h"
#include "platform/Dialogs.h"
#include "platform/Folders.h"
#include "platform/SettingsStore.h"

#include "HelpTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(HelpTargets, AreBuiltAsTheViewerExpectsThem) {
    struct Row {
        const char* file;
        std::optional<std::string> topic;
        const char* window;
        int host;
        const char* target;
    };
    const Row rows[] = {
        {"C:\\Prog\\help.chm", "usingborvik\\gettingstarted.html", "", 0,
         "C:\\Prog\\help.chm::/usingborvik/gettingstarted.html"},
        {"/opt/borvik.chm", "/index.html", "", 0, "/opt/borvik.chm::/index.html"},
        {"/opt/my%20help.chm ", "  two%20words.html", "", 0, "/opt/my help.chm::/two words.html"},
        {"/opt/borvik.chm", std::nullopt, "main", 0, "/opt/borvik.chm>main"},
        {"/opt/borvik.chm", "a.html", "main", 2, "mk:@MSITStore:/opt/borvik.chm::/a.html>main"},
        {"", "a.html", "", 0, "/a.html"},
        {"/opt/borvik.chm", std::nullopt, "", 1, "/opt/borvik.chm"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(HelpTarget(row.file, row.topic, row.window, row.host), row.target) << row.target;
}

TEST(HelpErrors, HaveTheirMessages) {
    EXPECT_EQ(HHErrorText(0), "");
    EXPECT_EQ(HHErrorText(1), "MS Html Help is not installed on this PC.");
    EXPECT_EQ(HHErrorText(2), "System file KeyHH.EXE was not found in the Windows folder.");
    EXPECT_EQ(HHErrorText(3), "System file HH.EXE was not found in the Windows folder.");
    EXPECT_EQ(HHErrorText(5, "/x.html"), "The help file has no page for /x.html.");
    EXPECT_EQ(HHErrorText(77), "Unknown error returned by HHHelpContext");
}

class HelpSystem : public helptest::HelpFixture {};

TEST_F(HelpSystem, OpensTopicsAndContextsThroughTheViewer) {
    helptest::RecordingViewer viewer;
    THookHelpSystem help("/opt/borvik.chm", "", 0);
    EXPECT_EQ(help.HelpTopic("usingborvik\\gettingstarted.html"), 0);
    EXPECT_EQ(help.HelpContext(2), 0);
    ASSERT_EQ(viewer.calls.size(), 2u);
    EXPECT_EQ(viewer.calls[0].target, "/opt/borvik.chm::/usingborvik/gettingstarted.html");
    EXPECT_EQ(viewer.calls[0].command, HH_DISPLAY_TOPIC);
    EXPECT_EQ(viewer.calls[1].target, "/opt/borvik.chm");
    EXPECT_EQ(viewer.calls[1].command, HH_HELP_CONTEXT);
    EXPECT_EQ(viewer.calls[1].data, 2u);
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(HelpSystem, ReportsWhatCannotBeShown) {
    helptest::RecordingViewer viewer;
    viewer.answer = {HH_TOPIC_MISSING, "/nothere.html"};
    THookHelpSystem help("/opt/borvik.chm", "", 0);
    EXPECT_EQ(help.HelpTopic("nothere.html"), HH_TOPIC_MISSING);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, "The help file has no page for /nothere.html.");
    EXPECT_EQ(dialogs_.messages[0].kind, platform::MessageKind::Warning);
}

TEST_F(HelpSystem, WithoutAViewerHelpIsNotInstalled) {
    UnloadHelpControl();
    THookHelpSystem help("/opt/borvik.chm", "", 0);
    EXPECT_EQ(help.HelpContext(2), HH_NOT_INSTALLED);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, "MS Html Help is not installed on this PC.");
    // The viewer programs of the other host types do not exist here.
    THookHelpSystem keyHH("/opt/borvik.chm", "", 1);
    helptest::RecordingViewer viewer;
    EXPECT_EQ(keyHH.HelpTopic("a.html"), HH_KEYHH_MISSING);
    EXPECT_TRUE(viewer.calls.empty());
}

TEST_F(HelpSystem, FindsTheReaderThroughTheSettingsStore) {
    platform::MemorySettingsStore store;
    EXPECT_EQ(FindHelpControlPath(store), LinkedHelpControlPath());
    EXPECT_FALSE(LinkedHelpControlPath().empty());
    store.WriteString(kHelpControlSetting, BORVIK_TEST_CHM); // any existing file will do
    EXPECT_EQ(FindHelpControlPath(store), std::filesystem::path(BORVIK_TEST_CHM));
    store.WriteString(kHelpControlSetting, "/nonexistent/libchm.so.1");
    EXPECT_TRUE(FindHelpControlPath(store).empty());
    // Without a reader the viewer is not installed.
    EXPECT_FALSE(LoadHelpControl(FindHelpControlPath(store), [](const std::string&, unsigned, std::uint32_t) {
        return THtmlHelpAnswer{};
    }));
    EXPECT_FALSE(HtmlHelpA());
}

TEST_F(HelpSystem, TakesOverTheHelpEventAndGivesItBack) {
    helptest::RecordingViewer viewer;
    std::vector<unsigned> previousCalls;
    ApplicationOnHelp() = [&](unsigned command, std::intptr_t, bool& callHelp) {
        previousCalls.push_back(command);
        callHelp = false;
        return true;
    };
    {
        THookHelpSystem help("/opt/borvik.chm", "", 0);
        EXPECT_FALSE(ApplicationHelpCommand(1, 4)); // context
        EXPECT_FALSE(ApplicationHelpCommand(8, 5)); // context popup
        // Popup position: x in the low 16 bits, y in the high 16 bits, both signed.
        EXPECT_FALSE(ApplicationHelpCommand(13, static_cast<std::intptr_t>((7u << 16) | 0xFFFBu)));
        EXPECT_EQ(help.PopupX(), -5);
        EXPECT_EQ(help.PopupY(), 7);
        // Anything else is left to the application's own help handling.
        EXPECT_TRUE(ApplicationHelpCommand(11, 0));
        ASSERT_EQ(viewer.calls.size(), 2u);
        EXPECT_EQ(viewer.calls[0].data, 4u);
        EXPECT_EQ(viewer.calls[1].data, 5u);
        EXPECT_TRUE(previousCalls.empty());
    }
    ApplicationHelpCommand(1, 4);
    EXPECT_EQ(previousCalls, std::vector<unsigned>{1});
    ApplicationOnHelp() = nullptr;
}

TEST_F(HelpSystem, F1OpensTheNearestContext) {
    helptest::RecordingViewer viewer;
    THookHelpSystem help("/opt/borvik.chm", "", 0);
    QWidget window;
    window.setProperty(kHelpContextProperty, 2);
    auto* panel = new QWidget(&window);
    auto* field = new QLineEdit(panel);
    auto* special = new QLineEdit(panel);
    special->setProperty(kHelpContextProperty, 9);
    EXPECT_EQ(NearestHelpContext(field), 2);
    EXPECT_EQ(NearestHelpContext(special), 9);
    QWidget bare;
    EXPECT_EQ(NearestHelpContext(&bare), std::nullopt);

    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(field, &f1);
    QCoreApplication::sendEvent(special, &f1);
    // With no context anywhere the contents page opens.
    QCoreApplication::sendEvent(&bare, &f1);
    ASSERT_EQ(viewer.calls.size(), 3u);
    EXPECT_EQ(viewer.calls[0].command, HH_HELP_CONTEXT);
    EXPECT_EQ(viewer.calls[0].data, 2u);
    EXPECT_EQ(viewer.calls[1].data, 9u);
    EXPECT_EQ(viewer.calls[2].command, HH_DISPLAY_TOPIC);
    EXPECT_EQ(viewer.calls[2].target, "/opt/borvik.chm::/index.html");
}

TEST_F(HelpSystem, DeclaredContextsTakeF1BeforeShortcuts) {
    helptest::RecordingViewer viewer;
    THookHelpSystem help("/opt/borvik.chm", "", 0);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* plain = new QLineEdit;
    auto* panel = new QWidget;
    panel->setProperty(kHelpContextProperty, 5);
    auto* field = new QLineEdit(panel);
    layout->addWidget(plain);
    layout->addWidget(panel);
    int contentsShortcut = 0;
    auto* contents = new QAction(&window);
    contents->setShortcut(Qt::Key_F1);
    window.addAction(contents);
    QObject::connect(contents, &QAction::triggered, [&] { ++contentsShortcut; });
    window.show();
    QApplication::setActiveWindow(&window);

    field->setFocus();
    QTest::keyClick(field, Qt::Key_F1);
    EXPECT_EQ(contentsShortcut, 0);
    ASSERT_EQ(viewer.calls.size(), 1u);
    EXPECT_EQ(viewer.calls[0].data, 5u);
    plain->setFocus();
    QTest::keyClick(plain, Qt::Key_F1);
    EXPECT_EQ(contentsShortcut, 1);
    EXPECT_EQ(viewer.calls.size(), 1u);
}

TEST_F(HelpSystem, LogsEveryRequest) {
    helptest::RecordingViewer viewer;
    StartLog();
    {
        THookHelpSystem help("/opt/borvik.chm", "", 0);
        ApplicationHelpCommand(1, 2);
        help.HelpTopic("a.html");
    }
    const std::string log = ReadLog();
    for (const char* line :
         {"THookHelpSystem.Create(\"/opt/borvik.chm\",\"\", 0)",
          "THookHelpSystem.HelpHook(1 (HELP_CONTEXT), 2)", "HHHelpContext(\"/opt/borvik.chm\", 2, \"\", 0)",
          "ShowContext(\"/opt/borvik.chm\", 0)", "  returned - 0",
          "HHHelpContext(\"/opt/borvik.chm\", a.html, \"\", 0)", "ShowTopic(\"/opt/borvik.chm::/a.html\", 0)",
          "THookHelpSystem.Destroy"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

TEST_F(HelpSystem, ErrorsAreShownAndLogged) {
    StartLog();
    ShowAndLogError("Function ShellExecute(viewer, x)\rReturned: [Error:2] File Not Found");
    HHShowError(HH_NOT_INSTALLED);
    HHShowError(HH_OK);
    ASSERT_EQ(dialogs_.messages.size(), 2u);
    EXPECT_EQ(dialogs_.messages[1].text, "MS Html Help is not installed on this PC.");
    const std::string log = ReadLog();
    EXPECT_NE(log.find("Returned: [Error:2] File Not Found"), std::string::npos);
    EXPECT_NE(log.find("HHShowError(1), \"MS Html Help is not installed on this PC.\""), std::string::npos);
}

TEST_F(HelpSystem, FindsTheHelpFileInTheProgramFolders) {
    // A help file in the current directory is not the program's.
    const auto previous = std::filesystem::current_path();
    std::ofstream(folder_.path() / "borvik.chm") << "";
    std::filesystem::current_path(folder_.path());
    const QString located = LocateHelpFile("borvik.chm");
    std::filesystem::current_path(previous);
    EXPECT_EQ(located.toStdString(), (platform::ProgramFolder() / "borvik.chm").string());
    // A full path that exists is taken as it is.
    EXPECT_EQ(LocateHelpFile(BORVIK_TEST_CHM), QString(BORVIK_TEST_CHM));
}

} // namespace
