// The calculators window offscreen: grids built from the definition, Calculate filling the
// outputs, errors in the standard error box, Esc closing, and the plain window.
#include "calculators/FilterWindow.h"
#include "calculators/CalculatorLinks.h"
#include "platform/Dialogs.h"
#include "shell/AppLinks.h"
#include "shell/Settings.h"

#include "../platform/TempFolders.h"
#include "../platform/TestApplication.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <utility>

namespace {

class CalculatorsWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_calculators_window"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }

    void SetUp() override {
        CalculatorTable().Clear();
        const auto path = folder_.path() / "divider.flt";
        std::ofstream(path)
            << "[Main]\nName=Divider & more\nCategory=Basics\nInputPages=1\nOutputPages=1\n"
               "[InputPage1]\nPageName=In & out\nItems=2\nItem1=Top\nSymbol1=R1\nItem2=Bottom\n"
               "Symbol2=R2\n[OutputPage1]\nPageName=Result\nItems=2\nItem1=Ratio\n"
               "Ratio=R2 / (R1 + R2)\nPrec1=3\nUnit1=V/V\nItem2=Sum\nSum=R1 + R2\nUnit2=Ohm\n";
        TAppLinks links;
        LinkCalculators(links);
        QString category, name, error;
        ASSERT_TRUE(links.loadCalculatorFile(QString::fromStdString(path.string()), 1, category, name, error))
            << error.toStdString();
        EXPECT_EQ(category, "Basics");
        EXPECT_EQ(name, "Divider & more");
    }
    void TearDown() override { CalculatorTable().Clear(); }

    platformtest::TempFolder folder_{"borvik-calculators-window"};
    platform::ScriptedDialogs dialogs_;
    platform::ScopedDialogs scope_{dialogs_};
};

TEST_F(CalculatorsWindow, ShowsTheDefinitionAndCalculates) {
    TfrmCalculators window(1);
    EXPECT_EQ(window.windowTitle(), "Calculator");
    auto* tabs = window.findChild<QTabWidget*>("pgFilter");
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), "Filter");
    EXPECT_EQ(tabs->tabText(1), "In && out");
    EXPECT_EQ(tabs->tabText(2), "Result");
    EXPECT_EQ(window.findChild<QLabel*>("Label1")->text(), "Divider & more");
    auto* input = window.InputGrid(0);
    EXPECT_EQ(input->rowCount(), 2);
    EXPECT_EQ(input->item(1, 0)->text(), "Bottom");
    EXPECT_FALSE(input->item(1, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(input->item(1, 1)->flags() & Qt::ItemIsEditable);

    input->item(0, 1)->setText("3");
    input->item(1, 1)->setText("R1 * 3");
    QTest::mouseClick(window.findChild<QPushButton*>("Button1"), Qt::LeftButton);
    EXPECT_EQ(window.OutputGrid(0)->item(0, 1)->text(), "0.75 V/V");
    EXPECT_EQ(window.OutputGrid(0)->item(1, 1)->text(), "12 Ohm");
    EXPECT_TRUE(dialogs_.messages.empty());

    // Enter in a grid calculates too.
    input->item(1, 1)->setText("1");
    window.show();
    input->setFocus();
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_EQ(window.OutputGrid(0)->item(0, 1)->text(), "0.25 V/V");

    // Also while a value is being typed: Enter takes the value and calculates.
    QApplication::setActiveWindow(&window);
    input->setCurrentCell(0, 1);
    input->setFocus();
    QTest::keyClicks(input, "1");
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, input);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(input->item(0, 1)->text().toStdString(), "1");
    EXPECT_EQ(window.OutputGrid(0)->item(0, 1)->text().toStdString(), "0.5 V/V");
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(CalculatorsWindow, ShowsErrorsAndKeepsEarlierResults) {
    TfrmCalculators window(1);
    window.InputGrid(0)->item(0, 1)->setText("0");
    window.InputGrid(0)->item(1, 1)->setText("0");
    window.Button1Click();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, "Division by zero");
    EXPECT_EQ(dialogs_.messages[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(window.OutputGrid(0)->item(0, 1)->text(), "");

    // A character that cannot be seen is named in the box, not left out of it.
    dialogs_.messages.clear();
    window.InputGrid(0)->item(0, 1)->setText(QStringLiteral("1") + QChar(0) + QStringLiteral("+1"));
    window.InputGrid(0)->item(1, 1)->setText("1");
    window.Button1Click();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, "#0 not appropriate");
}

// Clicking the cell that is already current and typing at once: the typed value is what counts,
// also when the typing starts within a double-click interval of the click.
TEST_F(CalculatorsWindow, ValueTypedRightAfterClickingTheCurrentCellIsKept) {
    TfrmCalculators window(1);
    window.findChild<QTabWidget*>("pgFilter")->setCurrentIndex(1);
    window.show();
    QApplication::setActiveWindow(&window);
    auto* input = window.InputGrid(0);
    input->item(0, 1)->setText("2");
    input->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(input->currentRow(), 0);
    ASSERT_EQ(input->currentColumn(), 1);

    const QPoint cell = input->visualItemRect(input->item(0, 1)).center();
    QElapsedTimer sinceClick;
    sinceClick.start();
    QTest::mouseClick(input->viewport(), Qt::LeftButton, {}, cell);
    QTest::keyClicks(QApplication::focusWidget(), "7");
    // An edit started by a click into the current cell would wait a double-click interval, on a
    // coarse timer that may run up to a twentieth late. Past that time for certain, the events
    // are handled once more, so such an edit has begun before the next key, however slow the
    // machine.
    const qint64 due = QApplication::doubleClickInterval() * 21 / 20 + 20;
    ASSERT_TRUE(QTest::qWaitFor([&] { return sinceClick.elapsed() > due; }, platformtest::kWaitLimit));
    QCoreApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(input->item(0, 1)->text().toStdString(), "7");
    EXPECT_EQ(input->currentRow(), 1);
}

TEST_F(CalculatorsWindow, EscapeClosesAndFreesTheWindow) {
    QPointer<TfrmCalculators> window = TfrmCalculators::CreateCalculator(1);
    window->show();
    QTest::keyClick(window.data(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

// Enter in a grid calculates; on a focused button it is that button, as in a dialog.
TEST_F(CalculatorsWindow, EnterOnAFocusedButtonPressesThatButton) {
    struct ButtonCase {
        const char* button;
        bool calculates;
        bool closes;
    };
    const ButtonCase cases[] = {
        {"Button1", true, false},
        {"CloseButton", false, true},
    };
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Return, Qt::NoModifier},
                                                              {Qt::Key_Enter, Qt::KeypadModifier}};
    for (const auto& [key, modifiers] : keys) {
        for (const ButtonCase& c : cases) {
            SCOPED_TRACE(std::string(c.button) + (key == Qt::Key_Enter ? " Enter" : " Return"));
            dialogs_.messages.clear();
            QPointer<TfrmCalculators> window = TfrmCalculators::CreateCalculator(1);
            // The table names every push button of the window.
            QStringList found;
            for (const QPushButton* button : window->findChildren<QPushButton*>())
                found << button->objectName();
            found.sort();
            EXPECT_EQ(found, (QStringList{"Button1", "CloseButton"}));
            // A calculation of these says so in a message, seen also when the window has gone.
            window->InputGrid(0)->item(0, 1)->setText("0");
            window->InputGrid(0)->item(1, 1)->setText("0");
            window->show();
            window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window.data(), platformtest::kWaitLimit));
            auto* button = window->findChild<QPushButton*>(c.button);
            button->setFocus();
            ASSERT_TRUE(button->hasFocus());
            QTest::keyClick(button, key, modifiers);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_EQ(dialogs_.messages.size(), c.calculates ? 1u : 0u);
            EXPECT_EQ(window.isNull(), c.closes);
            delete window.data();
        }
    }
}

TEST_F(CalculatorsWindow, ItsFrameInTheWorkspaceHasNoMaximiseBox) {
    QMdiArea area;
    auto* window = TfrmCalculators::CreateCalculator(1);
    QMdiSubWindow* frame = area.addSubWindow(window);
    area.show();
    frame->show();
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(CalculatorsWindow, PlainWindowHasNothingToCalculate) {
    TfrmCalculators window(0);
    EXPECT_EQ(window.findChild<QTabWidget*>("pgFilter")->count(), 1);
    EXPECT_EQ(window.findChild<QLabel*>("Label1")->text(), "Filter type:");
    window.Button1Click();
    EXPECT_TRUE(dialogs_.messages.empty());
    // A number the table does not hold gives the plain window too.
    TfrmCalculators unknown(42);
    EXPECT_EQ(unknown.CalculatorNumber(), 0);
}

TEST_F(CalculatorsWindow, SnapsToTheDesktopGridWhenMoved) {
    const TConfig saved = TC;
    TC.GridON = true;
    TC.GridX = 20;
    TC.GridY = 25;
    TfrmCalculators window(1);
    window.show();
    window.move(33, 61);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.pos(), QPoint(40, 50));
    TC.GridON = false;
    window.move(33, 61);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.pos(), QPoint(33, 61));
    TC = saved;
}

TEST_F(CalculatorsWindow, LinksRefuseNumbersOutsideTheTable) {
    TAppLinks links;
    LinkCalculators(links);
    QString category, name, error;
    const auto path = QString::fromStdString((folder_.path() / "divider.flt").string());
    EXPECT_FALSE(links.loadCalculatorFile(path, 61, category, name, error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
