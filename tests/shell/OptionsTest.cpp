#include "shell/OptionsF.h"
#include "shell/OptionsRules.h"

#include "ShellTestSupport.h"

#include "model/Units.h"
#include "platform/Dialogs.h"
#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <cmath>

using platformtest::kWaitLimit;

namespace {

using shelltest::FakePlotWindow;
using shelltest::TempFolder;

// ---------------------------------------------------------------------------------------------
// Rules.

TEST(OptionsRules, OkChecksEveryFieldGroupInOrder) {
    struct Case {
        const char* what;
        std::function<void(TConfig&)> change;
        const char* message; // empty: accepted
        const char* field;
    };
    const std::vector<Case> cases = {
        {"defaults", [](TConfig&) {}, "", ""},
        {"grid x 0", [](TConfig& c) { c.GridX = 0; }, kGridMessage, "edGridX"},
        {"grid y negative", [](TConfig& c) { c.GridY = -3; }, kGridMessage, "edGridY"},
        {"173 K", [](TConfig& c) { c.Environment_Temperature = 173.9; }, kTemperatureMessage,
         "edTemperature"},
        {"374 K", [](TConfig& c) { c.Environment_Temperature = 373.1; }, kTemperatureMessage,
         "edTemperature"},
        {"174 K", [](TConfig& c) { c.Environment_Temperature = 174; }, "", ""},
        {"humidity 101 %", [](TConfig& c) { c.Environment_Humidy = 1.01; }, kHumidityMessage, "edHumidy"},
        {"humidity 0 %", [](TConfig& c) { c.Environment_Humidy = 0; }, "", ""},
        {"pressure 0", [](TConfig& c) { c.Environment_AirPressure = 0; }, kPressureMessage, "edAirPressure"},
        {"frequency from 0", [](TConfig& c) { c.Limits_FreqStart = 0; },
         "Frequency range: the start must be above 0 and below the end.", "edFreqStart"},
        {"frequency falling", [](TConfig& c) { c.Limits_FreqStart = 600; },
         "Frequency range: the start must be above 0 and below the end.", "edFreqStart"},
        {"equal SPL ends", [](TConfig& c) { c.Limits_SPLEnd = c.Limits_SPLStart; },
         "SPL: the start and the end must differ.", "edSPLStart"},
        {"falling phase is drawable",
         [](TConfig& c) { std::swap(c.Limits_GainPhaseStart, c.Limits_GainPhaseEnd); }, "", ""},
        {"velocity not finite", [](TConfig& c) { c.Limits_VelocityEnd = INFINITY; },
         "Air velocity: the limits must be numbers.", "edVelocityStart"},
        {"grid before air",
         [](TConfig& c) {
             c.GridX = 0;
             c.Environment_Temperature = 0;
         },
         kGridMessage, "edGridX"},
    };
    for (const Case& c : cases) {
        TConfig config;
        c.change(config);
        const std::optional<TOptionsRefusal> refusal = CheckOptions(config);
        if (*c.message == '\0') {
            EXPECT_FALSE(refusal) << c.what;
        } else {
            ASSERT_TRUE(refusal) << c.what;
            EXPECT_EQ(refusal->message, c.message) << c.what;
            EXPECT_EQ(refusal->field, c.field) << c.what;
        }
    }
}

TEST(OptionsRules, SoundVelocityFollowsTheIdealGasAndRefusesNoAir) {
    // Dry air: c = sqrt(gamma R T / M), independent of pressure.
    const double dry = std::sqrt(1.4 * 8.314462 * 293.15 / 0.0289647);
    for (double pressure : {80000.0, 101325.0, 120000.0}) {
        const std::optional<double> c = SoundVelocity(293.15, pressure, 0);
        ASSERT_TRUE(c);
        EXPECT_NEAR(*c, dry, 0.5) << pressure;
    }
    // Humid air is lighter, so sound is faster.
    EXPECT_GT(*SoundVelocity(303.15, 101325, 0.9), *SoundVelocity(303.15, 101325, 0));
    for (const auto& [t, p, h] : std::vector<std::tuple<double, double, double>>{
             {0, 101325, 0.3}, {293, 0, 0.3}, {293, 101325, 1.5}, {NAN, 101325, 0.3}, {293, INFINITY, 0.3}}) {
        EXPECT_FALSE(SoundVelocity(t, p, h)) << t << " " << p << " " << h;
    }
}

TEST(OptionsRules, ScalesCycleAndTrackBarsCoverTheWholeRange) {
    EXPECT_EQ(NextAmplitudeScale(0), 1);
    EXPECT_EQ(NextAmplitudeScale(1), 2);
    EXPECT_EQ(NextAmplitudeScale(2), 0);
    EXPECT_EQ(NextAmplitudeScale(7), 0);
    struct Case {
        std::uint32_t position;
        int track;
    };
    for (const Case& c :
         std::vector<Case>{{0, 0}, {1927, 0}, {1928, 1}, {32767, 8}, {63000, 16}, {65535, 17}, {70000, 17}}) {
        EXPECT_EQ(JoystickTrackPosition(c.position), c.track) << c.position;
    }
    EXPECT_EQ(JoystickTrackPosition(65535), kJoystickTrackMax);
}

// ---------------------------------------------------------------------------------------------
// The window.

class OptionsWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_options"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }

    void SetUp() override {
        TUnitStore::Instance().SetPath(units.path() / "UNITINDEX.DAT");
        SetDecimalSeparator('.');
        TC = TConfig{};
        JoystickPresent = false;
        SetMainWindow(nullptr);
    }
    void TearDown() override {
        SetDecimalSeparator('\0');
        JoystickPresent = false;
    }

    std::unique_ptr<TfrmOptions> Open() {
        auto window = std::make_unique<TfrmOptions>(store);
        window->show();
        QCoreApplication::processEvents();
        return window;
    }

    template <typename T = QLineEdit> static T* Find(QWidget& window, const char* name) {
        T* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const platform::MessageRequest& request : dialogs.messages) {
            texts.push_back(request.text);
        }
        return texts;
    }

    TempFolder units;
    platform::MemorySettingsStore store;
    platform::FakeJoystick joystick;
    platform::ScopedJoystick joystickInstalled{joystick};
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs installed{dialogs};
};

TEST_F(OptionsWindowTest, ShowsTheSettingsAndTheSoundVelocityAtTheDefaults) {
    auto window = Open();
    EXPECT_EQ(window->windowTitle(), "Options");
    EXPECT_EQ(Find<QLabel>(*window, "pnlAirspeed")->text(), "343.68");
    EXPECT_EQ(Find(*window, "edTemperature")->text(), "293.15");
    EXPECT_EQ(Find(*window, "edFreqEnd")->text(), "500");
    EXPECT_EQ(Find(*window, "edGridX")->text(), "20");
    EXPECT_EQ(Find<QPushButton>(*window, "lblTemp")->text(), "K");
    EXPECT_EQ(Find<QPushButton>(*window, "lblExcursionScale")->text(), "peak");
    // Unreadable text shows "N/A" and no message.
    QLineEdit* temperature = Find(*window, "edTemperature");
    temperature->setText("hot");
    emit temperature->textEdited("hot");
    EXPECT_EQ(Find<QLabel>(*window, "pnlAirspeed")->text(), "N/A");
    EXPECT_TRUE(dialogs.messages.empty());
    temperature->setText("273.15");
    emit temperature->textEdited("273.15");
    EXPECT_EQ(Find<QLabel>(*window, "pnlAirspeed")->text().left(3), "331");
}

TEST_F(OptionsWindowTest, LeavingTheAirFieldsWithValuesOutOfRangeSaysSo) {
    struct Case {
        const char* field;
        const char* text;
        const char* message; // empty: none
    };
    const std::vector<Case> cases = {
        {"edTemperature", "400", kTemperatureMessage},
        {"edTemperature", "abc", kTemperatureMessage},
        {"edTemperature", "300", ""},
        {"edHumidy", "150", kHumidityMessage},
        {"edHumidy", "-1", kHumidityMessage},
        {"edHumidy", "100", ""},
    };
    auto window = Open();
    for (const Case& c : cases) {
        dialogs.messages.clear();
        QLineEdit* edit = Find(*window, c.field);
        edit->setText(c.text);
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit, &leave);
        if (*c.message == '\0') {
            EXPECT_TRUE(dialogs.messages.empty()) << c.field << " " << c.text;
        } else {
            EXPECT_EQ(MessageTexts(), std::vector<std::string>{c.message}) << c.field << " " << c.text;
        }
    }
}

TEST_F(OptionsWindowTest, ARefusedOkShowsWhyAndWritesNothing) {
    struct Case {
        const char* field;
        const char* text;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"edGridX", "0", kGridMessage},
        {"edTemperature", "400", kTemperatureMessage},
        {"edHumidy", "120", kHumidityMessage},
        {"edAirPressure", "0", kPressureMessage},
        {"edFreqStart", "1000", "Frequency range: the start must be above 0 and below the end."},
        {"edSPLEnd", "75", "SPL: the start and the end must differ."},
        {"edGainEnd", "six", "'six' is not a valid number."},
        {"edGridY", "2.5", "'2.5' is not a valid number."},
    };
    for (const Case& c : cases) {
        TC = TConfig{};
        store.ClearWrites();
        dialogs.messages.clear();
        auto window = Open();
        Find(*window, c.field)->setText(c.text);
        Find<QPushButton>(*window, "Button2")->click();
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{c.message}) << c.field;
        EXPECT_TRUE(store.writes.empty()) << c.field;
        EXPECT_TRUE(window->isVisible()) << c.field;
        EXPECT_EQ(TC.GridX, 20) << c.field;
        EXPECT_EQ(TC.Environment_Temperature, 293.15) << c.field;
    }
}

TEST_F(OptionsWindowTest, GridZeroFallsBackToTwentyOnTheGeneralPage) {
    auto window = Open();
    Find(*window, "edGridX")->setText("0");
    Find(*window, "edGridY")->setText("7");
    Find<QPushButton>(*window, "Button2")->click();
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"Grid setting must be greater than 0! => Set to default."});
    EXPECT_EQ(Find(*window, "edGridX")->text(), "20");
    EXPECT_EQ(Find(*window, "edGridY")->text(), "20");
    EXPECT_EQ(Find<QTabWidget>(*window, "pcConfig")->currentWidget()->objectName(), "tabGeneral");
    EXPECT_TRUE(store.writes.empty());
}

TEST_F(OptionsWindowTest, OkCommitsWritesAndReachesThePlotAxis) {
    FakePlotWindow plot;
    struct Main : IMainWindow {
        FakePlotWindow* plot;
        QWidget* Widget() override { return nullptr; }
        int ActiveProject() const override { return -1; }
        void SetActiveProject(int) override {}
        void CheckActiveProjectItem(int) override {}
        int AllocateProjectSlot() override { return 0; }
        const TProj& Proj(int) const override { return proj; }
        void SetSlotCaption(int, const QString&) override {}
        void FreeSlot(int) override {}
        void AddChildWindow(QWidget*) override {}
        IPlotWindow* PlotWindow() override { return plot; }
        ISignalGenerator* SignalGenerator() override { return nullptr; }
        IHelpSystem* Help() override { return nullptr; }
        void RunDatabaseMaintenance() override {}
        bool HelpMode() const override { return false; }
        TProj proj;
    } main;
    main.plot = &plot;
    SetMainWindow(&main);

    dialogs.colourAnswers.push_back(0x123456);
    auto window = Open();
    Find(*window, "edFreqStart")->setText("20");
    Find(*window, "edFreqEnd")->setText("2000,5");
    Find(*window, "edUserName")->setText("Ada");
    Find(*window, "edHumidy")->setText("50");
    Find<QPushButton>(*window, "colorBack")->click();
    Find<QPushButton>(*window, "lblVelocityScale")->click(); // peak -> p-p
    Find<QPushButton>(*window, "Button2")->click();
    SetMainWindow(nullptr);

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(TC.Limits_FreqStart, 20);
    EXPECT_EQ(TC.Limits_FreqEnd, 2000.5);
    EXPECT_EQ(TC.UserName, "Ada");
    EXPECT_DOUBLE_EQ(TC.Environment_Humidy, 0.5);
    EXPECT_EQ(TC.Back, 0x123456);
    EXPECT_EQ(TC.VelocityScale, 2);
    EXPECT_EQ(store.ReadFloat("Limits_FreqEnd"), 2000.5);
    EXPECT_EQ(store.ReadInteger("Back"), 0x123456);
    EXPECT_EQ(plot.settingsApplied, 1);
}

TEST_F(OptionsWindowTest, CancelDropsTheCopyAndReopeningShowsTheSettings) {
    auto window = Open();
    Find(*window, "edFreqStart")->setText("33");
    Find<QPushButton>(*window, "lblExcursionScale")->click();
    Find<QPushButton>(*window, "Button1")->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(TC.Limits_FreqStart, 10);
    EXPECT_EQ(TC.ExcursionScale, 1);
    EXPECT_TRUE(store.writes.empty());
    window->show();
    EXPECT_EQ(Find(*window, "edFreqStart")->text(), "10");
    EXPECT_EQ(Find<QPushButton>(*window, "lblExcursionScale")->text(), "peak");

    // Activating the open window again keeps what is typed.
    Find(*window, "edFreqStart")->setText("44");
    window->show();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window.get(), &activate);
    EXPECT_EQ(Find(*window, "edFreqStart")->text(), "44");
}

TEST_F(OptionsWindowTest, ScaleLabelsCycleBackToTheirFirstScaleAfterThreeClicks) {
    auto window = Open();
    QPushButton* scale = Find<QPushButton>(*window, "lblExcursionScale");
    std::vector<std::string> seen;
    for (int i = 0; i < 3; ++i) {
        scale->click();
        seen.push_back(scale->text().toStdString());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"p-p", "rms", "peak"}));
    EXPECT_EQ(window->Edited().ExcursionScale, 1);
}

TEST_F(OptionsWindowTest, UnitLabelsSwitchBothEditsOfAPairAndKeepTheValue) {
    auto window = Open();
    QPushButton* unit = Find<QPushButton>(*window, "lblConeExcursion");
    unit->click();
    EXPECT_EQ(unit->text(), "mm");
    EXPECT_EQ(Find(*window, "edExcursionEnd")->text(), "30.0");
    EXPECT_EQ(Find(*window, "edExcursionStart")->text(), "0.0");
    Find<QPushButton>(*window, "Button2")->click();
    EXPECT_DOUBLE_EQ(TC.Limits_ExcursionEnd, 0.03);
}

TEST_F(OptionsWindowTest, TheJoystickPageIsThereOnlyWithAJoystickAndFollowsIt) {
    {
        auto window = Open();
        auto* pages = Find<QTabWidget>(*window, "pcConfig");
        EXPECT_FALSE(pages->isTabVisible(2));
    }
    JoystickPresent = true;
    auto window = Open();
    auto* pages = Find<QTabWidget>(*window, "pcConfig");
    EXPECT_TRUE(pages->isTabVisible(2));

    joystick.answer = platform::JoystickState{65535, 0, 0b01};
    Find<QCheckBox>(*window, "chkTest")->setChecked(true);
    auto* timer = window->findChild<QTimer*>("JoyTimer");
    ASSERT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 100);
    ASSERT_TRUE(QTest::qWaitFor([this] { return joystick.reads >= 1; }, kWaitLimit));
    EXPECT_TRUE(Find<QLabel>(*window, "pnlJoy1")->property("pressed").toBool());
    EXPECT_FALSE(Find<QLabel>(*window, "pnlJoy2")->property("pressed").toBool());
    EXPECT_EQ(Find<QLabel>(*window, "pnlJoy1")->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(Find<QSlider>(*window, "tbXPos")->value(), 17);
    EXPECT_EQ(Find<QSlider>(*window, "tbXPos")->maximum(), 17);
    EXPECT_EQ(Find<QSlider>(*window, "tbYPos")->value(), 0);

    joystick.answer.reset();
    const int reads = joystick.reads;
    ASSERT_TRUE(QTest::qWaitFor([&] { return joystick.reads > reads; }, kWaitLimit));
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Can't read joystick position."});
    EXPECT_FALSE(timer->isActive());
    EXPECT_FALSE(Find<QCheckBox>(*window, "chkTest")->isChecked());
}

} // namespace
