// The driver editor is a document window of the main window, whose menu letters and Alt shortcuts
// reach into it: a letter the editor underlines must not be one of them, or the key does nothing.

#include "shell/MainForm.h"

#include "../help/HelpTestSupport.h"
#include "MainWindowTestSupport.h"
#include "ShellTestSupport.h"

#include "shell/DriverEditorLinks.h"
#include "shell/DrvEdit.h"
#include "shell/Settings.h"

#include "help/hh.h"
#include "help/hh_funcs.h"

#include "model/Units.h"
#include "platform/Dialogs.h"
#include "siggen/SignalGeneratorLinks.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

#include <map>
#include <set>

namespace {

using shelltest::TempFolder;

QChar MnemonicLetter(const QString& text) {
    const QKeySequence key = QKeySequence::mnemonic(text);
    if (key.isEmpty())
        return {};
    return QChar(key[0].key()).toUpper();
}

class DriverEditorKeysTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_drivereditor_keys"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }

    void SetUp() override {
        shelltest::WriteText(shipped.path() / "version.ini", "[Version]\nNumber=2.5\n");
        TUnitStore::Instance().SetPath(home.path() / "UNITINDEX.DAT");
        TC = TConfig{};
        // Help counts as installed (logging off); the viewer records what it is asked.
        THelpEnvironment environment = CurrentHelpEnvironment({"test"});
        environment.documentsFolder = home.path();
        environment.tempFolder = home.path();
        StartHelpDebugLog(environment);
    }
    void TearDown() override { StartHelpDebugLog(THelpEnvironment{}); }

    std::unique_ptr<TfrmMain> Start() {
        TAppLinks links;
        LinkDriverEditor(links);
        LinkSignalGenerator(links);
        links.createHelpSystem = [](const QString&) -> std::unique_ptr<IHelpSystem> {
            return std::make_unique<THookHelpSystem>(QStringLiteral("/opt/borvik.chm"), QString(), 0);
        };
        auto main = shelltest::StartMainWindow(std::move(links),
                                               shelltest::TestStartup(store, shipped.path(), home.path()));
        main->activateWindow();
        QApplication::setActiveWindow(main.get());
        QCoreApplication::processEvents();
        return main;
    }

    // The letters the main window answers to with Alt wherever the keyboard is inside it.
    static std::set<QChar> MainWindowLetters(TfrmMain& main) {
        std::set<QChar> letters;
        for (QAction* menu : main.findChild<QMenuBar*>()->actions())
            if (const QChar letter = MnemonicLetter(menu->text()); !letter.isNull())
                letters.insert(letter);
        for (QAction* action : main.findChildren<QAction*>()) {
            for (const QKeySequence& key : action->shortcuts())
                if (key.count() == 1 && key[0].keyboardModifiers() == Qt::AltModifier)
                    letters.insert(QChar(key[0].key()).toUpper());
        }
        return letters;
    }

    // What F1 on `widget` asks the help viewer for.
    std::string F1On(QWidget* widget) {
        widget->setFocus();
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), widget);
        viewer.calls.clear();
        QTest::keyClick(widget, Qt::Key_F1);
        if (viewer.calls.size() != 1)
            return std::to_string(viewer.calls.size()) + " calls";
        const helptest::ViewerCall& call = viewer.calls.front();
        return call.command == HH_HELP_CONTEXT ? "context " + std::to_string(call.data) : call.target;
    }

    helptest::RecordingViewer viewer;
    TempFolder shipped;
    TempFolder home;
    platform::MemorySettingsStore store;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs installed{dialogs};
};

TEST_F(DriverEditorKeysTest, TheEditorsUnderlinedLettersAreItsOwn) {
    auto main = Start();
    main->findChild<QAction*>("actDatabaseMaintenance")->trigger();
    QCoreApplication::processEvents();
    auto* editor = main->findChild<TfrmDriverEditor*>();
    ASSERT_NE(editor, nullptr);
    const std::set<QChar> taken = MainWindowLetters(*main);
    ASSERT_TRUE(taken.count('S') && taken.count('O') && taken.count('U'));

    // Page -1 holds what is always on screen; a letter may repeat only on pages never shown together.
    auto* pages = editor->findChild<QTabWidget*>("pgDriverData");
    const auto pageOf = [pages](const QWidget* widget) {
        for (int page = 0; page < pages->count(); ++page)
            if (pages->widget(page)->isAncestorOf(widget))
                return page;
        return -1;
    };
    std::map<int, std::map<QChar, QString>> letters;
    const auto add = [&](int page, const QString& text) {
        const QChar letter = MnemonicLetter(text);
        if (letter.isNull())
            return;
        EXPECT_EQ(taken.count(letter), 0u) << text.toStdString() << " underlines a main-window key";
        for (int other : {-1, page}) {
            auto found = letters[other].find(letter);
            EXPECT_TRUE(found == letters[other].end())
                << text.toStdString() << " and " << found->second.toStdString() << " share a letter";
        }
        letters[page][letter] = text;
    };
    for (int page = 0; page < pages->count(); ++page)
        add(-1, pages->tabText(page));
    for (QAbstractButton* button : editor->findChildren<QAbstractButton*>())
        add(pageOf(button), button->text());
    for (QLabel* label : editor->findChildren<QLabel*>())
        if (label->buddy() != nullptr)
            add(pageOf(label), label->text());
}

// The main window's F1 opens the contents; inside the editor, its error list, the signal generator
// and the options F1 opens their own pages instead of being claimed twice and doing nothing.
TEST_F(DriverEditorKeysTest, F1InAToolWindowOpensItsOwnPage) {
    auto main = Start();
    QWidget* plain = main->findChild<QToolBar*>();
    ASSERT_NE(plain, nullptr);
    plain->setFocusPolicy(Qt::StrongFocus);
    EXPECT_EQ(F1On(plain), "/opt/borvik.chm::/index.html");

    main->findChild<QAction*>("actDatabaseMaintenance")->trigger();
    QCoreApplication::processEvents();
    auto* editor = main->findChild<TfrmDriverEditor*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(F1On(editor->findChild<QLineEdit*>("edManufacturer")), "context 4");

    // Qts that is not Qms and Qes together opens the error list.
    editor->findChild<QAbstractButton*>("chkAutoCalc")->click();
    for (auto [name, text] : {std::pair{"edQts", "0.5"}, {"edQms", "4"}, {"edQes", "0.4"}}) {
        auto* edit = editor->findChild<QLineEdit*>(name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }
    editor->findChild<QAbstractButton*>("btnSave")->click();
    QCoreApplication::processEvents();
    QWidget* errors = main->findChild<QWidget*>("frmParErrors");
    ASSERT_NE(errors, nullptr);
    EXPECT_EQ(F1On(errors->findChild<QWidget*>("btnOK")), "context 9");

    main->findChild<QAction*>("actSignalGenerator")->trigger();
    QCoreApplication::processEvents();
    QWidget* generator = main->findChild<QWidget*>("frmSGenerator");
    ASSERT_NE(generator, nullptr);
    EXPECT_EQ(F1On(generator->findChild<QWidget*>("edF1")), "context 6");

    main->findChild<QAction*>("actOptions")->trigger();
    QCoreApplication::processEvents();
    QWidget* options = QApplication::activeWindow() != main.get() ? QApplication::activeWindow() : nullptr;
    for (QWidget* widget : QApplication::allWidgets())
        if (widget->windowTitle() == "Options" && widget->findChild<QLineEdit*>("edUserName"))
            options = widget;
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(F1On(options->findChild<QLineEdit*>("edUserName")), "context 7");
}

} // namespace
