// What a designer types into the project window's fields is what the project gets.

#include "ProjectTestSupport.h"

#include "tests/platform/TestApplication.h"
#include "workspace/FilterEditor.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTest>

using platformtest::kWaitLimit;
using namespace projecttest;

namespace {

::testing::Environment* const home = ::testing::AddGlobalTestEnvironment(new TempHome);

class ProjectTypingTest : public ::testing::Test {
public:
    void SetUp() override { TC.GridON = false; }

    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{dialogs};
    FakeMainWindow main;
};

TEST_F(ProjectTypingTest, ATypedVentSizeIsNotCompletedToAPresetSize) {
    TfrmProject* window = NewProject(main, pbBandpass6);
    ASSERT_NE(window, nullptr);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window, kWaitLimit));
    window->Tabs()->setCurrentIndex(3);
    // Each text is the start of a preset (0.047, 0.068, 0.082, 0.102 m): Enter must keep it.
    struct Case {
        const char* combo;
        const char* text;
        double size;
    };
    for (const Case& c : {Case{"RSDia", "0.08", 0.08}, Case{"RSDia", "0.1", 0.1}, Case{"FSDia", "0.06", 0.06},
                          Case{"FSDia", "0.04", 0.04}}) {
        SCOPED_TRACE(c.text);
        auto* combo = qobject_cast<QComboBox*>(window->Control(c.combo));
        ASSERT_NE(combo, nullptr);
        combo->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), c.text);
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(combo->currentText(), c.text);
        const TVentData& vent = c.combo[0] == 'R' ? window->box.RearVent : window->box.FrontVent;
        EXPECT_DOUBLE_EQ(vent.dia1, c.size);
    }
}

TEST_F(ProjectTypingTest, ATypedVolumeLookedAtInOtherUnitsIsKeptAndStillAsksBeforeClosing) {
    TfrmProject* window = NewProject(main, pbVented);
    ASSERT_NE(window, nullptr);
    dialogs.saveAnswers.push_back((TempHome::folder / "Projects" / "units.bvp").string());
    ASSERT_TRUE(window->SaveProject());
    ASSERT_FALSE(window->Modified());
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window, kWaitLimit));
    window->Tabs()->setCurrentIndex(2);
    auto* volume = qobject_cast<QLineEdit*>(window->Control("ReVolume"));
    volume->setFocus();
    volume->selectAll();
    QTest::keyClicks(volume, "0.06123");
    QTest::keyClick(volume, Qt::Key_Return);
    EXPECT_EQ(window->box.Vr, 0.06123);
    // On to ft^3 (l, in^3, ft^3), whose three decimals hold less, then out of the field.
    auto* unit = qobject_cast<QLabel*>(window->Control("lblReVolume"));
    for (int step = 0; step < 3; ++step)
        QTest::mouseClick(unit, Qt::LeftButton);
    ASSERT_EQ(unit->text(), "ft^3");
    window->Control("ReTune")->setFocus();
    EXPECT_EQ(window->box.Vr, 0.06123);
    for (int step = 3; step < UnitCount(qkVolume); ++step)
        QTest::mouseClick(unit, Qt::LeftButton);
    EXPECT_EQ(unit->text(), "m^3");
    EXPECT_TRUE(window->Modified());
    dialogs.messages.clear();
    dialogs.messageAnswers.push_back(platform::ButtonCancel);
    EXPECT_FALSE(window->close());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Your project has changed, do you want to save?");
}

TEST_F(ProjectTypingTest, ArrowKeysStepTheStoredValueNotItsDisplay) {
    TfrmProject* window = NewProject(main, pbPassiveRadiator);
    ASSERT_NE(window, nullptr);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window, kWaitLimit));
    // One watt shows as "1.0": stepping its text down would give "1.0" again for ever.
    window->Tabs()->setCurrentIndex(5);
    auto* power = qobject_cast<QLineEdit*>(window->Control("edPower"));
    ASSERT_EQ(window->signal.P, 1.0);
    power->setFocus();
    QTest::keyClick(power, Qt::Key_Down);
    EXPECT_DOUBLE_EQ(window->signal.P, 1 / 1.05);
    QTest::keyClick(power, Qt::Key_Down);
    EXPECT_DOUBLE_EQ(window->signal.P, 1 / 1.05 / 1.05);
    EXPECT_EQ(power->text(), "0.9");
    QTest::keyClick(power, Qt::Key_Up);
    QTest::keyClick(power, Qt::Key_Up);
    EXPECT_NEAR(window->signal.P, 1.0, 1e-12);
    // Leaving the field reads nothing back from the rounded text.
    window->Control("edRg")->setFocus();
    EXPECT_NEAR(window->signal.P, 1.0, 1e-12);

    // A radiator's Xmax of 5 mm in metres ("0.005") moves as well.
    window->Tabs()->setCurrentIndex(1);
    window->box.PassiveRadiator.Xmax = 0.005;
    window->WriteFields();
    auto* xmax = qobject_cast<QLineEdit*>(window->Control("edPRXmax"));
    xmax->setFocus();
    QTest::keyClick(xmax, Qt::Key_Up);
    EXPECT_DOUBLE_EQ(window->box.PassiveRadiator.Xmax, 0.005 * 1.05);

    // What was typed and not committed yet is stepped from.
    xmax->selectAll();
    QTest::keyClicks(xmax, "0.02");
    QTest::keyClick(xmax, Qt::Key_Down);
    EXPECT_DOUBLE_EQ(window->box.PassiveRadiator.Xmax, 0.02 / 1.05);
    EXPECT_TRUE(window->Modified());
}

// The workspace as the main window keeps it: every child in a frame of one MDI area.
class WorkspaceMain : public FakeMainWindow {
public:
    // The project windows go before the area that holds their frames.
    ~WorkspaceMain() override {
        for (TProj& slot : projectSlots) {
            if (slot.window != nullptr)
                delete slot.window->Widget();
            slot = TProj{};
        }
    }
    void AddChildWindow(QWidget* window) override {
        QMdiSubWindow* frame = nullptr;
        for (QMdiSubWindow* sub : area.subWindowList())
            if (sub->widget() == window)
                frame = sub;
        if (frame == nullptr) {
            frame = area.addSubWindow(window);
            QObject::connect(window, &QObject::destroyed, frame, &QObject::deleteLater);
        }
        window->show();
        frame->show();
        area.setActiveSubWindow(frame);
    }
    QMdiArea area;
};

TEST(ProjectFilterEditorFocus, ClosingTheFilterEditorGivesTheProjectBackTheKeyboard) {
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{dialogs};
    TC.GridON = false;
    WorkspaceMain main;
    main.area.resize(1200, 900);
    main.area.show();
    // A window made before the project, as the plot window is, that takes the keyboard.
    auto* plot = new QLineEdit;
    main.AddChildWindow(plot);
    TfrmProject* window = NewProject(main, pbClosed);
    ASSERT_NE(window, nullptr);
    main.AddChildWindow(window);
    main.area.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main.area, kWaitLimit));
    for (const char* how : {"Add", "Cancel"}) {
        SCOPED_TRACE(how);
        window->btnAddEqClick();
        ASSERT_NE(frmFilterEditor, nullptr);
        ASSERT_EQ(main.area.activeSubWindow()->widget(), frmFilterEditor);
        frmFilterEditor->findChild<QWidget*>("edPar2")->setFocus();
        if (std::string(how) == "Add")
            frmFilterEditor->btnAddClick();
        else
            frmFilterEditor->btnCancelClick();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        EXPECT_EQ(frmFilterEditor, nullptr);
        ASSERT_NE(main.area.activeSubWindow(), nullptr);
        EXPECT_EQ(main.area.activeSubWindow()->widget(), window);
        EXPECT_TRUE(window->isAncestorOf(QApplication::focusWidget()));
    }
    EXPECT_EQ(window->filters.size(), 1u);
}

} // namespace
