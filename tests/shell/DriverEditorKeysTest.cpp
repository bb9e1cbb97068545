// The driver editor is a document window of the main window, whose menu letters and Alt shortcuts
// reach into it: a letter the editor underlines must not be one of them, or the key does nothing.

#include "shell/MainForm.h"

#include "ShellTestSupport.h"

#include "shell/DriverEditorLinks.h"
#include "shell/DrvEdit.h"
#include "shell/Settings.h"

#include "model/Units.h"
#include "platform/Dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QTabWidget>

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
    static void SetUpTestSuite() { shelltest::EnsureApplication(); }

    void SetUp() override {
        shelltest::WriteText(shipped.path() / "version.ini", "[Version]\nNumber=2.5\n");
        TUnitStore::Instance().SetPath(home.path() / "UNITINDEX.DAT");
        TC = TConfig{};
    }

    std::unique_ptr<TfrmMain> Start() {
        TAppLinks links;
        LinkDriverEditor(links);
        TMainStartup startup;
        startup.store = &store;
        startup.shippedFolders = {shipped.path()};
        startup.documentsFolder = home.path();
        startup.splashMilliseconds = 0;
        auto main = std::make_unique<TfrmMain>(std::move(links), std::move(startup));
        EXPECT_TRUE(main->Create());
        main->CreateForms();
        main->show();
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

} // namespace
