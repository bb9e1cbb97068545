#include "shell/DBFilterF.h"

#include "model/Driver.h"
#include "platform/Dialogs.h"
#include "shell/UnitLabel.h"
#include "tests/shell/WindowTestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

struct RangeCase {
    const char* text;
    int kind;
    int unit;
    bool ok;
    double min;
    double max;
};

class FilterRangeTest : public ::testing::TestWithParam<RangeCase> {
protected:
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { SetDecimalSeparator(0); }
};

TEST_P(FilterRangeTest, ReadsTheRangeInTheFieldsUnit) {
    const RangeCase& c = GetParam();
    const TFilterRangeResult result = ParseFilterRange(c.text, c.kind, c.unit);
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_DOUBLE_EQ(result.range.min, c.min);
    EXPECT_DOUBLE_EQ(result.range.max, c.max);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FilterRangeTest,
    ::testing::Values(
        RangeCase{"0.2-0.5", qkNone, 0, true, 0.2, 0.5}, RangeCase{"0.3", qkNone, 0, true, 0.3, 0.3},
        RangeCase{"", qkNone, 0, true, 0, 0}, RangeCase{"   ", qkNone, 0, true, 0, 0},
        RangeCase{"20-", qkFrequency, 0, true, 20, OpenRangeMaximum},
        RangeCase{"20-0", qkFrequency, 0, true, 20, OpenRangeMaximum}, RangeCase{"-5", qkNone, 0, true, 0, 5},
        RangeCase{"1e-3-2e-3", qkNone, 0, true, 0.001, 0.002},
        RangeCase{"1E-3 - 2,5E-3", qkNone, 0, true, 0.001, 0.0025},
        RangeCase{"0.5-0.2", qkNone, 0, true, 0.2, 0.5}, RangeCase{" 1,5 ", qkNone, 0, true, 1.5, 1.5},
        // Vas in litres, Fs in kHz, Xmax in mm: SI values.
        RangeCase{"20-40", qkVolume, 1, true, 0.02, 0.04},
        RangeCase{"0.02-0.05", qkFrequency, 1, true, 20, 50}, RangeCase{"3", qkLength, 1, true, 0.003, 0.003},
        RangeCase{"abc", qkNone, 0, false, 0, 0}, RangeCase{"20-x", qkNone, 0, false, 0, 0},
        RangeCase{"1-2-3", qkNone, 0, false, 0, 0}));

TEST(FilterRangeConversionTest, BothEndsKeepTheirQuantityInTheNewUnit) {
    SetDecimalSeparator('.');
    EXPECT_EQ(ConvertRangeText("20-40", qkFrequency, 0, 1), "0.02000-0.04000");
    EXPECT_EQ(ConvertRangeText("20-", qkFrequency, 0, 1), "0.02000-");
    EXPECT_EQ(ConvertRangeText("20", qkVolume, 1, 0), "0.0200");
    EXPECT_EQ(ConvertRangeText("", qkVolume, 1, 0), "");
    EXPECT_EQ(ConvertRangeText("many", qkVolume, 1, 0), "many");
    SetDecimalSeparator(0);
}

TEST(DriverFilterMatchTest, LimitedValuesMustLieInTheirRangesAndTheNameMustMatch) {
    TDriverData driver;
    driver.Qts = 0.35;
    driver.Fs = 30;
    driver.Vas = 0.05;
    TDriverFilter filter;
    filter.Qts = {0.4, 0.5};
    EXPECT_TRUE(DriverMatchesFilter(filter, driver, "W8")) << "a filter switched off passes everything";

    filter.enabled = true;
    const struct {
        TFilterRange Qts;
        TFilterRange Fs;
        TFilterRange Re;
        const char* name;
        bool passes;
    } cases[] = {
        {{0, 0}, {0, 0}, {0, 0}, "", true},
        {{0.3, 0.4}, {20, 40}, {0, 0}, "", true},
        {{0.35, 0.35}, {0, 0}, {0, 0}, "", true},
        {{0.4, 0.5}, {0, 0}, {0, 0}, "", false},
        {{0, 0}, {31, OpenRangeMaximum}, {0, 0}, "", false},
        {{0, 0}, {0, 0}, {4, 8}, "", false}, // Re unknown
        {{0, 0}, {0, 0}, {0, 0}, "w8", true},
        {{0, 0}, {0, 0}, {0, 0}, "W10", false},
    };
    for (const auto& c : cases) {
        filter.Qts = c.Qts;
        filter.Fs = c.Fs;
        filter.Re = c.Re;
        filter.name = c.name;
        EXPECT_EQ(DriverMatchesFilter(filter, driver, "Acme W8 sub"), c.passes)
            << c.Qts.min << " " << c.Fs.min << " " << c.Re.min << " " << c.name;
    }
}

class DatabaseFilterWindowTest : public windowtest::WindowTest {
protected:
    QLineEdit* Edit(const char* name) { return window.findChild<QLineEdit*>(name); }

    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{dialogs};
    TfrmDatabaseFilter window;
};

TEST_F(DatabaseFilterWindowTest, ApplyFillsTheRecordInSiUnitsAndCallsTheHandler) {
    EXPECT_EQ(window.windowTitle(), "Database filtering");
    EXPECT_FALSE(window.Filter().enabled);
    int calls = 0;
    window.SetApplyHandler([&] { ++calls; });
    Edit("edQts")->setText("0.2-0.5");
    Edit("edFs")->setText("20-");
    Edit("edVas")->setText("0.01-0.1");
    Edit("edName")->setText(QString(45, QChar('n')));
    window.findChild<QPushButton*>("Button1")->click();

    EXPECT_EQ(calls, 1);
    const TDriverFilter& filter = window.Filter();
    EXPECT_EQ(filter.Qts, (TFilterRange{0.2, 0.5}));
    EXPECT_EQ(filter.Fs, (TFilterRange{20, OpenRangeMaximum}));
    EXPECT_EQ(filter.Vas, (TFilterRange{0.01, 0.1}));
    EXPECT_EQ(filter.Re, (TFilterRange{0, 0}));
    EXPECT_EQ(filter.name, std::string(40, 'n'));
    EXPECT_FALSE(filter.enabled);
}

TEST_F(DatabaseFilterWindowTest, EnterInAFieldAppliesAndEscapeHides) {
    int calls = 0;
    window.SetApplyHandler([&] { ++calls; });
    window.show();
    Edit("edRe")->setText("4-8");
    QTest::keyClick(Edit("edRe"), Qt::Key_Return);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(window.Filter().Re, (TFilterRange{4, 8}));
    QTest::keyClick(Edit("edRe"), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

// Enter in a field applies; on a focused button, or a unit label, it is that control's own.
TEST_F(DatabaseFilterWindowTest, EnterOnAFocusedButtonPressesThatButton) {
    QStringList found;
    for (const QPushButton* button : window.findChildren<QPushButton*>())
        found << button->objectName();
    EXPECT_EQ(found, QStringList{"Button1"});
    std::vector<QWidget*> controls{window.findChild<QPushButton*>("Button1")};
    for (TUnitLabel* label : window.findChildren<TUnitLabel*>())
        controls.push_back(label);
    EXPECT_EQ(controls.size(), 11u);
    int calls = 0;
    window.SetApplyHandler([&] { ++calls; });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, platformtest::kWaitLimit));
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Return, Qt::NoModifier},
                                                              {Qt::Key_Enter, Qt::KeypadModifier}};
    for (const auto& [key, modifiers] : keys) {
        for (QWidget* control : controls) {
            SCOPED_TRACE(control->objectName().toStdString() + (key == Qt::Key_Enter ? " Enter" : " Return"));
            auto* label = qobject_cast<TUnitLabel*>(control);
            // Some kinds have one unit only: the click itself is what shows.
            int unitClicks = 0;
            QMetaObject::Connection counting;
            if (label != nullptr)
                counting = QObject::connect(label, &TUnitLabel::clicked, &window, [&] { ++unitClicks; });
            calls = 0;
            control->setFocus();
            ASSERT_TRUE(control->hasFocus());
            QTest::keyClick(control, key, modifiers);
            EXPECT_EQ(calls, label != nullptr ? 0 : 1);
            EXPECT_EQ(unitClicks, label != nullptr ? 1 : 0);
            EXPECT_TRUE(window.isVisible());
            QObject::disconnect(counting);
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DatabaseFilterWindowTest, AUnitClickConvertsTheTypedRange) {
    auto* label = window.findChild<QLabel*>("lblFs");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Hz");
    Edit("edFs")->setText("20-40");
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_EQ(label->text(), "kHz");
    EXPECT_EQ(Edit("edFs")->text(), "0.02000-0.04000");
    ASSERT_TRUE(window.Button1Click());
    EXPECT_DOUBLE_EQ(window.Filter().Fs.min, 20);
    EXPECT_DOUBLE_EQ(window.Filter().Fs.max, 40);
    EXPECT_NE(window.findChild<QLabel*>("lbXmax"), nullptr);
}

TEST_F(DatabaseFilterWindowTest, AHandlerThatThrowsIsSwallowedAndABadFieldStopsApply) {
    window.SetApplyHandler([] { throw std::runtime_error("refill failed"); });
    Edit("edQes")->setText("0.3");
    EXPECT_TRUE(window.Button1Click());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(window.Filter().Qes, (TFilterRange{0.3, 0.3}));

    int calls = 0;
    window.SetApplyHandler([&] { ++calls; });
    Edit("edQes")->setText("0.4");
    Edit("edSd")->setText("big");
    EXPECT_FALSE(window.Button1Click());
    EXPECT_EQ(calls, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages.front().text.find("Sd"), std::string::npos);
    EXPECT_EQ(window.Filter().Qes, (TFilterRange{0.3, 0.3}));
}

} // namespace
