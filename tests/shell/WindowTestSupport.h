#pragma once
// What the window tests of the shell share: one QApplication per test program, private folders
// for the unit memory and the documents, and typing into a field the way a user does.

#include "model/Units.h"
#include "tests/platform/TempFolders.h"

#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace windowtest {

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("window_test"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }

    void SetUp() override {
        TUnitStore::Instance().SetPath(folder.path() / "UNITINDEX.DAT");
        SetDecimalSeparator('.');
    }
    void TearDown() override { SetDecimalSeparator(0); }

    platformtest::TempFolder folder{"borvik-window-test"};
};

// Replaces the field's text as typing does (the field is marked modified).
inline void Type(QLineEdit* edit, const QString& text) {
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

// The user leaves the field for another control (Tab).
inline void Leave(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &out);
}

inline void TypeAndLeave(QLineEdit* edit, const QString& text) {
    Type(edit, text);
    Leave(edit);
}

// Stands for the main window's commands that answer their keys in every window of the program
// (Alt+O options, Alt+X exit, Alt+S signal generator) and counts the ones that fired.
class TMainWindowShortcuts : public QWidget {
public:
    TMainWindowShortcuts() {
        for (const QKeySequence& key : {QKeySequence(Qt::ALT | Qt::Key_O), QKeySequence(Qt::ALT | Qt::Key_X),
                                        QKeySequence(Qt::ALT | Qt::Key_S)}) {
            auto* action = new QAction(this);
            action->setShortcut(key);
            action->setShortcutContext(Qt::ApplicationShortcut);
            QObject::connect(action, &QAction::triggered, this, [this] { ++Fired; });
            addAction(action);
        }
        show();
    }
    int Fired = 0;
};

} // namespace windowtest
