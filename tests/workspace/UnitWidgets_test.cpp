#include "workspace/UnitWidgets.h"

#include "model/Units.h"

#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using platformtest::kWaitLimit;

namespace {

class UnitWidgetsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_unitwidgets"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        TUnitStore::Instance().SetPath(folder.filePath("UNITINDEX.DAT").toStdString());
        SetDecimalSeparator('.');
    }
    void TearDown() override { SetDecimalSeparator(0); }

    QTemporaryDir folder;
};

TEST_F(UnitWidgetsTest, LineEditBindsShowsColoursAndJudgesEnter) {
    QLineEdit edit;
    edit.setObjectName("edFs");
    QLabel label;
    label.setObjectName("lblFs");
    TUnitWidgetField field(&edit, qkFrequency);
    TUnitWidgetField unitLabel(&label, qkNone);
    double fs = 31.5;
    char letter = 'C';
    TUnitHelper helper;
    helper.AddFloat(field, &fs, &letter, &unitLabel);
    int commits = 0;
    TUnitHelper::TCommitResult last = TUnitHelper::TCommitResult::NotBound;
    field.OnCommit = [&] {
        ++commits;
        last = helper.Commit(field);
    };

    helper.WriteValues();
    helper.UpdateUnitLabels();
    EXPECT_EQ(edit.text(), "31.50");
    EXPECT_EQ(label.text(), "Hz");
    EXPECT_EQ(edit.palette().color(QPalette::Text), QColor(0, 0, 255));
    EXPECT_FALSE(helper.Modified());

    edit.clear();
    QTest::keyClicks(&edit, "4x");
    EXPECT_TRUE(helper.Modified());
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(commits, 1);
    EXPECT_EQ(last, TUnitHelper::TCommitResult::Rejected);
    EXPECT_EQ(edit.text(), "31.50");
    EXPECT_EQ(fs, 31.5);

    edit.clear();
    QTest::keyClicks(&edit, "42,5");
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(last, TUnitHelper::TCommitResult::Accepted);
    EXPECT_EQ(fs, 42.5);
    EXPECT_EQ(letter, 'E');
    helper.WriteValues();
    EXPECT_EQ(edit.palette().color(QPalette::Text), QColor(0, 128, 0));
}

TEST_F(UnitWidgetsTest, ArrowKeysStepAndCommit) {
    QLineEdit edit;
    edit.setObjectName("ReTune");
    TUnitWidgetField field(&edit, qkFrequency);
    field.EnableStepKeys(true);
    double fb = 100;
    TUnitHelper helper;
    helper.AddFloatNoState(field, &fb);
    field.OnCommit = [&] { helper.Commit(field); };
    helper.WriteValues();
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "105.00");
    EXPECT_NEAR(fb, 105, 1e-12);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), "100.00");
    EXPECT_NEAR(fb, 100, 1e-12);
}

TEST_F(UnitWidgetsTest, ComboBoxAndLabelTexts) {
    QComboBox combo;
    combo.setObjectName("RSDia");
    combo.setEditable(true);
    combo.addItems({"47.0", "68.0"});
    TUnitWidgetField field(&combo, qkLength);
    SetUnitIndex(field, 1);
    double diameter = 0.102;
    TUnitHelper helper;
    helper.AddFloatNoState(field, &diameter);
    helper.WriteValues();
    EXPECT_EQ(combo.currentText(), "102.0");
    EXPECT_FALSE(field.Modified());
    EXPECT_TRUE(helper.ReadValues().empty());
    EXPECT_EQ(diameter, 0.102);

    // The program's selection is not the user's: it is not read back.
    combo.setCurrentIndex(1);
    EXPECT_TRUE(helper.ReadValues().empty());
    EXPECT_EQ(diameter, 0.102);
    // The user's choice from the list is.
    emit combo.activated(1);
    EXPECT_TRUE(field.Modified());
    EXPECT_TRUE(helper.ReadValues().empty());
    EXPECT_NEAR(diameter, 0.068, 1e-15);

    QWidget plain;
    TUnitWidgetField other(&plain, qkNone);
    other.SetText("ignored");
    EXPECT_EQ(other.Text(), "");
}

TEST_F(UnitWidgetsTest, LeavingAFieldCommitsIt) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    edit->setObjectName("edVas");
    auto* combo = new QComboBox(&window);
    combo->setObjectName("RSDia");
    combo->setEditable(true);
    auto* other = new QLineEdit(&window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, kWaitLimit));

    TUnitWidgetField editField(edit, qkVolume);
    TUnitWidgetField comboField(combo, qkLength);
    int editCommits = 0, comboCommits = 0;
    editField.OnCommit = [&] { ++editCommits; };
    comboField.OnCommit = [&] { ++comboCommits; };

    edit->setFocus();
    QTest::keyClicks(edit, "5");
    other->setFocus();
    EXPECT_EQ(editCommits, 1);
    edit->setFocus();
    other->setFocus(); // every exit, also one without a change
    EXPECT_EQ(editCommits, 2);

    combo->setFocus();
    EXPECT_TRUE(comboField.Focused());
    QTest::keyClicks(combo, "47");
    other->setFocus();
    EXPECT_EQ(comboCommits, 1);
    EXPECT_FALSE(comboField.Focused());

    // A popup taking the focus is no exit.
    edit->setFocus();
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(edit, &popup);
    EXPECT_EQ(editCommits, 2);
}

TEST_F(UnitWidgetsTest, ADestroyedWidgetIsHarmless) {
    auto edit = std::make_unique<QLineEdit>();
    edit->setObjectName("edGone");
    TUnitWidgetField field(edit.get(), qkLength);
    edit.reset();
    field.SetText("1");
    EXPECT_EQ(field.Text(), "");
    EXPECT_FALSE(field.Focused());
}

} // namespace

TEST_F(UnitWidgetsTest, AChoiceFromAListWithoutEditIsTheUsersChange) {
    QComboBox combo;
    combo.setObjectName("RSVents");
    combo.addItems({"1", "2", "3"});
    TUnitWidgetField field(&combo, qkNone);
    int32_t count = 1;
    TUnitHelper helper;
    helper.AddInteger(field, &count);
    int commits = 0;
    field.OnCommit = [&] {
        ++commits;
        helper.Commit(field);
    };
    helper.WriteValues();
    combo.setCurrentIndex(2); // the program's selection
    EXPECT_FALSE(field.Modified());
    EXPECT_TRUE(helper.ReadValues().empty());
    EXPECT_EQ(count, 1);
    combo.setCurrentIndex(1); // the user picks "2" from the list
    emit combo.activated(1);
    EXPECT_EQ(commits, 1);
    EXPECT_EQ(count, 2);
    field.SetText("3");
    EXPECT_FALSE(field.Modified());
}
