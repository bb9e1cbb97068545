#include "siggen/SGener.h"
#include "platform/Dialogs.h"
#include "platform/Joystick.h"
#include "shell/Settings.h"
#include "siggen/SignalControls.h"
#include "siggen/SignalGeneratorLinks.h"
#include "tests/platform/TempFolders.h"
#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>

using platform::JoystickState;
using platformtest::kWaitLimit;

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "siggen_ui_tests";
            static char* argv[] = {name, nullptr};
            application_ = new QApplication(argc, argv);
        }
    }

private:
    QApplication* application_ = nullptr;
};

::testing::Environment* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class SGenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        JoystickPresent = false;
        TC = TConfig{};
        window_ = new TfrmSGenerator;
        window_->SetJoystick(&joystick_);
    }
    void TearDown() override {
        delete window_.data();
        JoystickPresent = false;
    }

    template <typename T> T* Child(const char* name) const {
        T* child = window_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QLineEdit* Edit(const char* name) const { return Child<QLineEdit>(name); }
    QPushButton* Start() const { return Child<QPushButton>("btnStart"); }
    QComboBox* Mode() const { return Child<QComboBox>("cbMode"); }
    QAbstractButton* Cursor() const { return Child<QAbstractButton>("cbGetFromCursor"); }
    QAbstractButton* JoyMode() const { return Child<QAbstractButton>("chkJoyMode"); }

    void ChooseMode(int index) {
        Mode()->setCurrentIndex(index);
        window_->cbModeChange();
    }
    // Types into an edit and leaves it with Enter.
    void Type(const char* name, const char* text) {
        QLineEdit* edit = Edit(name);
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(text));
        QTest::keyClick(edit, Qt::Key_Return);
    }
    // Plays into a WAV file that stalls after a second, so playback goes on until stopped.
    void RenderToFile(platform::WavFileOptions options = {kSampleRate, false}) {
        sink_.emplace(
            [this, options] { return platform::MakeWavFileSink(folder_.path() / "out.wav", options); });
    }
    bool WaitUntilIdle() {
        return QTest::qWaitFor([&] { return Start()->text() == QStringLiteral("Start"); }, kWaitLimit);
    }

    platformtest::TempFolder folder_{"borvik-sgener"};
    platform::ScriptedDialogs dialogs_;
    platform::ScopedDialogs dialogsScope_{dialogs_};
    platform::FakeJoystick joystick_;
    std::optional<platform::ScopedWaveSink> sink_;
    QPointer<TfrmSGenerator> window_;
};

} // namespace

TEST_F(SGenerTest, OpensIdleOnAHundredHertzTone) {
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Signal generator"));
    EXPECT_EQ(window_->objectName(), QStringLiteral("frmSGenerator"));
    QStringList modes;
    for (int i = 0; i < Mode()->count(); ++i)
        modes << Mode()->itemText(i);
    EXPECT_EQ(modes, (QStringList{"Normal", "Slow sweep", "Fast sweep", "White noise"}));
    EXPECT_EQ(Mode()->currentIndex(), 0);
    EXPECT_EQ(Edit("edF1")->text(), QStringLiteral("100"));
    EXPECT_EQ(Edit("edF2")->text(), QStringLiteral("10000"));
    EXPECT_EQ(Edit("edAtt")->text(), QStringLiteral("0"));
    EXPECT_EQ(Start()->text(), QStringLiteral("Start"));
    EXPECT_EQ(window_->Engine().Mode(), kModeFixedTone);
    EXPECT_TRUE(JoyMode()->isHidden()); // no joystick
    EXPECT_EQ(Cursor()->toolTip(),
              QStringLiteral("Check this to get signal generator frequency from plot window cursor."));
    auto* slider = Child<QSlider>("tbAtt");
    EXPECT_EQ(slider->maximum(), 45);
    EXPECT_EQ(slider->pageStep(), 3);
    EXPECT_EQ(slider->tickInterval(), 3);

    JoystickPresent = true;
    TfrmSGenerator withJoystick;
    EXPECT_FALSE(withJoystick.findChild<QAbstractButton*>(QStringLiteral("chkJoyMode"))->isHidden());
}

TEST_F(SGenerTest, ModesEnableTheirControls) {
    struct Case {
        int index;
        std::uint8_t engineMode;
        bool f1, f2, tone;
    };
    const Case cases[] = {
        {1, kModeSlowSweep, true, true, false},
        {2, kModeFastSweep, true, true, false},
        {3, kModeWhiteNoise, false, false, false},
        {0, kModeFixedTone, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        Cursor()->setChecked(true);
        ChooseMode(c.index);
        EXPECT_EQ(window_->Engine().Mode(), c.engineMode);
        EXPECT_EQ(Edit("edF1")->isEnabled(), c.f1);
        EXPECT_EQ(Child<QWidget>("UpDown1")->isEnabled(), c.f1);
        EXPECT_EQ(Edit("edF2")->isEnabled(), c.f2);
        EXPECT_EQ(Child<QWidget>("UpDown2")->isEnabled(), c.f2);
        EXPECT_EQ(Cursor()->isEnabled(), c.tone);
        EXPECT_EQ(JoyMode()->isEnabled(), c.tone);
        EXPECT_EQ(Cursor()->isChecked(), c.tone);
    }
}

TEST_F(SGenerTest, TypedFrequenciesAreJudgedWhenCommitted) {
    struct Case {
        const char* typed;
        const char* shown;
        double value;
    };
    for (const Case c : {Case{"5", "10", 10}, Case{"25000", "20000", 20000}, Case{"440", "440", 440},
                         Case{"1234.5", "1234.5", 1234.5}}) {
        Type("edF1", c.typed);
        EXPECT_EQ(Edit("edF1")->text(), QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(window_->Engine().F1(), c.value) << c.typed;
        EXPECT_EQ(window_->Engine().CurrentFrequency(), c.value) << c.typed;
    }
    // While typing nothing is judged or taken.
    QTest::keyClicks(Edit("edF1"), QStringLiteral("7"));
    EXPECT_EQ(Edit("edF1")->text(), QStringLiteral("1234.57"));
    EXPECT_EQ(window_->Engine().F1(), 1234.5);
    // Not a number: said so, and the last value shown again.
    Type("edF1", "12x");
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, "\"12x\" is not a valid number.");
    EXPECT_EQ(Edit("edF1")->text(), QStringLiteral("1234.5"));
    EXPECT_EQ(window_->Engine().F1(), 1234.5);
}

TEST_F(SGenerTest, SweepsKeepF1BelowF2) {
    ChooseMode(kModeIndexSlowSweep);
    Type("edF1", "1000");
    Type("edF2", "500");
    EXPECT_EQ(Edit("edF2")->text(), QStringLiteral("1000"));
    EXPECT_EQ(window_->Engine().F2(), 1000);
    Type("edF2", "2000");
    Type("edF1", "3000");
    EXPECT_EQ(Edit("edF1")->text(), QStringLiteral("2000"));
    EXPECT_EQ(window_->Engine().F1(), 2000);
    // A tone above the old end, then back to a sweep: the end moves up to the start.
    ChooseMode(kModeIndexNormal);
    Type("edF1", "5000");
    ChooseMode(kModeIndexFastSweep);
    EXPECT_EQ(Edit("edF2")->text(), QStringLiteral("5000"));
    EXPECT_EQ(window_->Engine().F2(), 5000);
}

TEST_F(SGenerTest, UpDownStepsByAHundredInsideTheRange) {
    auto* upDown = Child<TUpDown>("UpDown1");
    auto buttons = upDown->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 2);
    QToolButton* up = buttons[0]->arrowType() == Qt::UpArrow ? buttons[0] : buttons[1];
    EXPECT_EQ(up->accessibleName(), QStringLiteral("Frequency up"));
    up->click();
    EXPECT_EQ(Edit("edF1")->text(), QStringLiteral("200"));
    EXPECT_EQ(window_->Engine().F1(), 200);
    Type("edF1", "19950");
    upDown->Step(1);
    EXPECT_EQ(Edit("edF1")->text(), QStringLiteral("20000"));
    Type("edF1", "50");
    upDown->Step(-1);
    EXPECT_EQ(Edit("edF1")->text(), QStringLiteral("10"));
    EXPECT_EQ(window_->Engine().F1(), 10);
}

TEST_F(SGenerTest, AttenuationFollowsTheTrackBar) {
    Child<QSlider>("tbAtt")->setValue(21);
    EXPECT_EQ(Edit("edAtt")->text(), QStringLiteral("21"));
    EXPECT_EQ(window_->Engine().Attenuation(), 21);
}

TEST_F(SGenerTest, StartAndStopSwitchTheLayout) {
    RenderToFile();
    Start()->click();
    EXPECT_TRUE(window_->Engine().Playing());
    EXPECT_EQ(Start()->text(), QStringLiteral("STOP"));
    for (const char* name : {"btnExit", "Panel4", "edF1", "edF2", "UpDown1", "UpDown2", "cbMode"})
        EXPECT_FALSE(Child<QWidget>(name)->isEnabled()) << name;
    Start()->click();
    EXPECT_FALSE(window_->Engine().Playing());
    EXPECT_FALSE(window_->Engine().DeviceOpen());
    EXPECT_EQ(Start()->text(), QStringLiteral("Start"));
    for (const char* name : {"btnExit", "Panel4", "edF1", "UpDown1", "cbMode"})
        EXPECT_TRUE(Child<QWidget>(name)->isEnabled()) << name;
    EXPECT_FALSE(Edit("edF2")->isEnabled()); // the tone has no end frequency
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(SGenerTest, ChoosingNoiseWhilePlayingStopsAndLeavesTheWindowIdle) {
    RenderToFile();
    Start()->click();
    ASSERT_TRUE(window_->Engine().Playing());
    ChooseMode(kModeIndexWhiteNoise);
    EXPECT_FALSE(window_->Engine().Playing());
    EXPECT_FALSE(window_->Engine().DeviceOpen());
    EXPECT_EQ(Start()->text(), QStringLiteral("Start"));
    EXPECT_EQ(window_->Engine().Mode(), kModeWhiteNoise);
}

TEST_F(SGenerTest, WithoutASoundDeviceStartSaysSo) {
    sink_.emplace([] { return platform::MakeNullWaveSink(); });
    Start()->click();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].kind, platform::MessageKind::Warning);
    EXPECT_EQ(dialogs_.messages[0].text, "Error opening waveform audio!\nno device driver present");
    EXPECT_EQ(Start()->text(), QStringLiteral("Start"));
    EXPECT_TRUE(Mode()->isEnabled());
}

TEST_F(SGenerTest, SlowSweepThatEndsReturnsTheWindowToIdle) {
    RenderToFile({0, false});
    ChooseMode(kModeIndexSlowSweep);
    Type("edF1", "1000");
    Type("edF2", "2000");
    Start()->click();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_FALSE(window_->Engine().DeviceOpen());
    EXPECT_TRUE(Mode()->isEnabled());
    EXPECT_TRUE(Edit("edF2")->isEnabled());
    EXPECT_EQ(window_->Engine().Written(), kSlowSweepBuffers);
}

TEST_F(SGenerTest, CursorFrequencyReachesF1OnlyWhenAsked) {
    window_->SetFrequencyFromCursor(123.6);
    EXPECT_EQ(Edit("edF1")->text(), QStringLiteral("100"));
    Cursor()->setChecked(true);
    struct Case {
        double frequency;
        const char* shown;
    };
    for (const Case c : {Case{123.6, "124"}, Case{4.2, "10"}, Case{31000, "20000"}, Case{NAN, "20000"}}) {
        window_->SetFrequencyFromCursor(c.frequency);
        EXPECT_EQ(Edit("edF1")->text(), QString::fromLatin1(c.shown)) << c.frequency;
    }
    EXPECT_EQ(window_->Engine().CurrentFrequency(), 20000);
    // A playing tone is steered although the edit is locked.
    RenderToFile();
    Start()->click();
    window_->SetFrequencyFromCursor(440);
    EXPECT_EQ(Edit("edF1")->text(), QStringLiteral("440"));
    EXPECT_EQ(window_->Engine().CurrentFrequency(), 440);
    EXPECT_TRUE(window_->Engine().Playing());
}

TEST_F(SGenerTest, JoystickStepsTheToneAndItsButtonsStartAndStop) {
    JoystickPresent = true;
    JoyMode()->setChecked(true);
    EXPECT_TRUE(Child<QTimer>("timerJoyMode")->isActive());
    EXPECT_EQ(Child<QTimer>("timerJoyMode")->interval(), 100);

    joystick_.answer = JoystickState{65535, 32767, 0};
    std::vector<QString> shown;
    for (int tick = 0; tick < 42; ++tick) {
        window_->timerJoyModeTimer();
        shown.push_back(Edit("edF1")->text());
    }
    EXPECT_EQ(shown[0], QStringLiteral("611"));
    EXPECT_EQ(shown[1], QStringLiteral("1122"));
    EXPECT_EQ(shown[37], QStringLiteral("19518"));
    EXPECT_EQ(shown[38], QStringLiteral("20000"));
    EXPECT_EQ(shown[41], QStringLiteral("20000"));
    joystick_.answer = JoystickState{32767, 32767, 0};
    window_->timerJoyModeTimer();
    EXPECT_EQ(Edit("edF1")->text(), QStringLiteral("20000"));
    joystick_.answer = JoystickState{0, 32767, 0};
    window_->timerJoyModeTimer();
    EXPECT_EQ(Edit("edF1")->text(), QStringLiteral("19745"));
    EXPECT_EQ(window_->Engine().F1(), 19745);

    RenderToFile();
    joystick_.answer = JoystickState{32767, 32767, 0b01};
    window_->timerJoyModeTimer();
    EXPECT_TRUE(window_->Engine().Playing());
    EXPECT_EQ(Start()->text(), QStringLiteral("STOP"));
    joystick_.answer = JoystickState{32767, 32767, 0b10};
    window_->timerJoyModeTimer();
    EXPECT_FALSE(window_->Engine().Playing());
    EXPECT_TRUE(dialogs_.messages.empty());

    joystick_.answer.reset();
    window_->timerJoyModeTimer();
    EXPECT_FALSE(JoyMode()->isChecked());
    EXPECT_FALSE(Child<QTimer>("timerJoyMode")->isActive());
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, "Can't read joystick position --> Disabling");
}

TEST_F(SGenerTest, JoystickTimerReadsEveryHundredMilliseconds) {
    joystick_.answer = JoystickState{65535, 32767, 0};
    JoyMode()->setChecked(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return joystick_.reads >= 2; }, kWaitLimit));
    JoyMode()->setChecked(false);
    EXPECT_FALSE(Child<QTimer>("timerJoyMode")->isActive());
    EXPECT_NE(Edit("edF1")->text(), QStringLiteral("100"));
}

TEST_F(SGenerTest, ClosingWhilePlayingStopsTheSoundFirst) {
    RenderToFile();
    Start()->click();
    ASSERT_TRUE(window_->Engine().DeviceOpen());
    EXPECT_TRUE(window_->close());
    EXPECT_FALSE(window_->Engine().DeviceOpen());
    EXPECT_FALSE(window_->Engine().Playing());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window_.isNull(); }, kWaitLimit)); // freed itself
}

TEST_F(SGenerTest, DeletedWhilePlayingStopsTheDeviceFirst) {
    RenderToFile();
    Start()->click();
    ASSERT_TRUE(window_->Engine().Playing());
    delete window_.data();
    EXPECT_TRUE(window_.isNull());
    // Stop requests the device posted on its way out are dropped with the window.
    QCoreApplication::processEvents();
}

TEST_F(SGenerTest, EscapeCloses) {
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_, kWaitLimit));
    Mode()->setFocus();
    QTest::keyClick(Mode(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window_.isNull(); }, kWaitLimit)); // freed itself
}

TEST_F(SGenerTest, MdiFrameKeepsToTheGrid) {
    QMdiArea area;
    area.resize(900, 700);
    QMdiSubWindow* frame = area.addSubWindow(window_);
    area.show();
    frame->show();
    frame->move(33, 47);
    EXPECT_EQ(frame->pos(), QPoint(40, 40));
    TC.GridON = false;
    frame->move(33, 47);
    EXPECT_EQ(frame->pos(), QPoint(33, 47));
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(SGenerTest, ActivatedInTheWorkspaceItsFirstFieldKeepsTheKeyboard) {
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    area.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&area, kWaitLimit));
    // As the main window shows a tool window: frame, window, then activation.
    QMdiSubWindow* frame = area.addSubWindow(window_);
    window_->show();
    frame->show();
    area.setActiveSubWindow(frame);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), Mode());
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMinimizeButtonHint);
}

namespace {

// The main window as far as the factory needs it: not at all.
class NoMainWindow final : public IMainWindow {
public:
    QWidget* Widget() override { return nullptr; }
    int ActiveProject() const override { return 0; }
    void SetActiveProject(int) override {}
    void CheckActiveProjectItem(int) override {}
    int AllocateProjectSlot() override { return 0; }
    const TProj& Proj(int) const override { return proj_; }
    void SetSlotCaption(int, const QString&) override {}
    void FreeSlot(int) override {}
    void AddChildWindow(QWidget*) override {}
    IPlotWindow* PlotWindow() override { return nullptr; }
    ISignalGenerator* SignalGenerator() override { return nullptr; }
    IHelpSystem* Help() override { return nullptr; }
    void RunDatabaseMaintenance() override {}
    bool HelpMode() const override { return helpMode; }
    bool helpMode = false;

private:
    TProj proj_;
};

} // namespace

TEST(SignalGeneratorLinks, FactoryMakesTheWindowThatFreesItselfOnClose) {
    TAppLinks links;
    LinkSignalGenerator(links);
    ASSERT_TRUE(links.createSignalGenerator);
    NoMainWindow main;
    ISignalGenerator* generator = links.createSignalGenerator(main);
    ASSERT_NE(generator, nullptr);
    QPointer<QWidget> widget = generator->Widget();
    EXPECT_TRUE(widget->testAttribute(Qt::WA_DeleteOnClose));
    widget->show();
    widget->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return widget.isNull(); }, kWaitLimit)); // freed itself
}
