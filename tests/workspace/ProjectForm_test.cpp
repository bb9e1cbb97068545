#include "ProjectTestSupport.h"

#include "flatctl/ShownText.h"
#include "flatctl/TFlatCheckBoxUnit.h"
#include "flatctl/TFlatComboBoxUnit.h"
#include "flatctl/TFlatEditUnit.h"
#include "flatctl/TFlatMemoUnit.h"
#include "flatctl/TFlatRadioButtonUnit.h"

#include "platform/IniFile.h"
#include "workspace/DragUtil.h"
#include "workspace/DrvParams.h"
#include "workspace/HV_Menu.h"
#include "workspace/ProjectLinks.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QTest>

#include "simulation/Lowpass.h"
#include "tests/platform/TestApplication.h"

#include <cmath>
#include <fstream>

using platformtest::kWaitLimit;
using namespace projecttest;

namespace {

::testing::Environment* const home = ::testing::AddGlobalTestEnvironment(new TempHome);

class ProjectWindowTest : public ::testing::Test {
public:
    void SetUp() override { TC.GridON = false; }

    QLineEdit* Edit(TfrmProject* window, const char* name) {
        return qobject_cast<QLineEdit*>(window->Control(name));
    }

    // What a user does in a field: type, then press Enter.
    void Type(TfrmProject* window, const char* name, const QString& text) {
        QLineEdit* edit = Edit(window, name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text.isEmpty() ? QString() : text);
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    // A saved project opened into the next slot and shown, as the main window opens it; null
    // when it cannot be read.
    TfrmProject* Open(const std::filesystem::path& file) {
        TfrmProject* window = main.Window(main.AllocateProjectSlot());
        QString error;
        if (!window->LoadProjectFile(QString::fromStdString(file.string()), error))
            return nullptr;
        window->StartNow(0);
        window->show();
        return window;
    }

    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{dialogs};
    FakeMainWindow main;
};

TEST_F(ProjectWindowTest, NewProjectsShowTheirRecordsAndDerivedValues) {
    for (std::int32_t type = 0; type < kProjectBoxTypeCount; ++type) {
        SCOPED_TRACE(type);
        TfrmProject* window = NewProject(main, type);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(main.ActiveProject(), window->Slot());
        EXPECT_EQ(main.Proj(window->Slot()).caption, "[" + QString::number(window->Slot()) + "]" +
                                                         QString::fromStdString(BoxTypeName(type)) +
                                                         " : W8 & Co");
        EXPECT_TRUE(window->Modified());
        EXPECT_EQ(qobject_cast<QLabel*>(window->Control("lblBoxType"))->text().toStdString(),
                  BoxTypeName(type));
        EXPECT_EQ(window->Tabs()->isTabVisible(1), type == pbPassiveRadiator);
        EXPECT_EQ(window->Tabs()->isTabVisible(3), type != pbClosed && type != pbPassiveRadiator);
        EXPECT_EQ(Edit(window, "ReVolume")->text().toStdString(), Val2Str(qkVolume, 0, window->box.Vr));
    }
    // The closed box's Qtc and Fc arrive through the set-up.
    TfrmProject* closed = main.Window(1);
    EXPECT_GT(closed->Qtc, 0.3);
    EXPECT_GT(closed->Fc, 30);
    EXPECT_EQ(qobject_cast<QLabel*>(closed->Control("pnlQtc"))->text().toStdString(),
              Val2Str(qkNone, 0, closed->Qtc));
    EXPECT_EQ(Edit(closed, "ReTune")->text().toStdString(), Val2Str(qkFrequency, 0, closed->Fc));
    // The radiator's resonance with its added mass as well.
    EXPECT_GT(main.Window(5)->box.Fsm, 0);
}

TEST_F(ProjectWindowTest, FieldsAndChoicesAreFlatControls) {
    TfrmProject* window = NewProject(main, pbVented);
    ASSERT_NE(window, nullptr);
    // Every edit is a flat edit or the edit field inside a flat combo box.
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        SCOPED_TRACE(edit->objectName().toStdString());
        EXPECT_TRUE(qobject_cast<TFlatEdit*>(edit) != nullptr ||
                    qobject_cast<TFlatComboBox*>(edit->parentWidget()) != nullptr);
    }
    const QList<QComboBox*> combos = window->findChildren<QComboBox*>();
    EXPECT_FALSE(combos.isEmpty());
    for (QComboBox* combo : combos)
        EXPECT_NE(qobject_cast<TFlatComboBox*>(combo), nullptr) << combo->objectName().toStdString();
    EXPECT_NE(qobject_cast<TFlatMemo*>(window->Control("memDescription")), nullptr);
    EXPECT_NE(qobject_cast<TFlatCheckBox*>(window->Control("chkRVCrossCalc")), nullptr);
    EXPECT_NE(qobject_cast<TFlatCheckBox*>(window->Control("chkFVCrossCalc")), nullptr);
    // The vent count and line width are lists to choose from, not to type into.
    EXPECT_FALSE(qobject_cast<QComboBox*>(window->Control("RSVents"))->isEditable());
    EXPECT_FALSE(qobject_cast<QComboBox*>(window->Control("cbLineWidth"))->isEditable());
    EXPECT_TRUE(qobject_cast<QComboBox*>(window->Control("RSEndCorrection"))->isEditable());

    // The placement pair stays one exclusive choice, by mouse and by arrow key.
    auto* standard = qobject_cast<TFlatRadioButton*>(window->Control("rbStandard"));
    auto* iso = qobject_cast<TFlatRadioButton*>(window->Control("rbIsoBarik"));
    ASSERT_NE(standard, nullptr);
    ASSERT_NE(iso, nullptr);
    window->show();
    window->Tabs()->setCurrentIndex(0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window, kWaitLimit));
    EXPECT_TRUE(standard->isChecked());
    EXPECT_FALSE(window->box.Isobarik);
    QTest::mouseClick(iso, Qt::LeftButton, Qt::NoModifier, iso->rect().center());
    EXPECT_TRUE(iso->isChecked());
    EXPECT_FALSE(standard->isChecked());
    EXPECT_TRUE(window->box.Isobarik);
    EXPECT_TRUE(window->Control("lblPairs")->isVisibleTo(window));
    iso->setFocus();
    QTest::keyClick(iso, Qt::Key_Up);
    EXPECT_TRUE(standard->isChecked());
    EXPECT_FALSE(iso->isChecked());
    EXPECT_FALSE(window->box.Isobarik);
    EXPECT_FALSE(window->Control("lblPairs")->isVisibleTo(window));
}

TEST_F(ProjectWindowTest, DerivedValuesArriveWithoutAPlotWindow) {
    main.withPlot = false;
    TfrmProject* window = NewProject(main, pbClosed);
    EXPECT_GT(window->Qtc, 0.3);
    EXPECT_EQ(main.plot.repaints, 0);
}

TEST_F(ProjectWindowTest, OneEditRepaintsOnceAndAFieldShowsWhatWasTyped) {
    TfrmProject* window = NewProject(main, pbVented);
    const int before = main.plot.repaints;
    const double fb = window->box.RearVent.Fb;
    Type(window, "ReVolume", "0.08");
    EXPECT_EQ(main.plot.repaints - before, 1);
    EXPECT_NEAR(window->box.Vr, 0.08, 1e-15);
    EXPECT_EQ(window->box.RearVent.Fb, fb);
    EXPECT_EQ(Edit(window, "eRVentLen")->text().toStdString(),
              Val2Str(qkLength, 0, window->box.RearVent.len));
    // Refreshing the fields never rounds the records.
    window->box.Vr = 0.0812345678;
    window->WriteFields();
    Type(window, "edPower", "2");
    EXPECT_EQ(window->box.Vr, 0.0812345678);
}

TEST_F(ProjectWindowTest, ExitChecksShowTheirMessageAndRestore) {
    TfrmProject* window = NewProject(main, pbVented);
    struct Case {
        const char* field;
        const char* text;
        const char* message;
        double expected;
        double TBoxData::*member;
    };
    const Case cases[] = {
        {"edTemperature", "400", kTemperatureMessage, 293.15, &TBoxData::T},
        {"edTemperature", "150", kTemperatureMessage, 293.15, &TBoxData::T},
        {"edTemperature", "300", nullptr, 300, &TBoxData::T},
        {"edHumidy", "150", kHumidityMessage, 0.3, &TBoxData::phi},
        {"edHumidy", "50", nullptr, 0.5, &TBoxData::phi},
        {"edTemperature", "abc", "Can't convert floating point number", 300, &TBoxData::T},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.text);
        dialogs.messages.clear();
        Type(window, c.field, c.text);
        if (c.message != nullptr) {
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.messages[0].text, c.message);
        } else {
            EXPECT_TRUE(dialogs.messages.empty());
        }
        EXPECT_NEAR(window->box.*c.member, c.expected, 1e-12);
        const int kind = std::string(c.field) == "edTemperature" ? qkTemperature : qkRatio;
        EXPECT_EQ(Edit(window, c.field)->text().toStdString(), Val2Str(kind, 0, window->box.*c.member));
    }
}

TEST_F(ProjectWindowTest, ArrowKeysStepAField) {
    TfrmProject* window = NewProject(main, pbVented);
    window->box.RearVent.Fb = 100;
    window->WriteFields();
    QLineEdit* edit = Edit(window, "ReTune");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_NEAR(window->box.RearVent.Fb, 105, 1e-9);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_NEAR(window->box.RearVent.Fb, 100, 1e-9);
}

TEST_F(ProjectWindowTest, BoxPictureGesturesAndLocks) {
    TfrmProject* window = NewProject(main, pbVented);
    const double vr = window->box.Vr;
    const int step = static_cast<int>(kDragPixelsPerStep);
    window->BoxPicMouseDown(Qt::LeftButton, QPoint(100, 100));
    window->BoxPicMouseMove(Qt::LeftButton, Qt::NoModifier, QPoint(100 - step, 100));
    window->BoxPicMouseUp();
    EXPECT_NEAR(window->box.Vr, vr * 1.1, 1e-12);
    EXPECT_EQ(Edit(window, "ReVolume")->text().toStdString(), Val2Str(qkVolume, 0, window->box.Vr));

    // Locking the volume, then a click on the tuning label, unlocks the volume again.
    window->LockLabelClick(TDragLocks::Label::RearVolume);
    EXPECT_FALSE(ProjectDragLocks().rearVolume);
    window->BoxPicMouseDown(Qt::LeftButton, QPoint(100, 100));
    window->BoxPicMouseMove(Qt::LeftButton, Qt::NoModifier, QPoint(100 - step, 100));
    window->BoxPicMouseUp();
    EXPECT_NEAR(window->box.Vr, vr * 1.1, 1e-12);
    window->LockLabelClick(TDragLocks::Label::RearTuning);
    EXPECT_TRUE(ProjectDragLocks().rearVolume);
    EXPECT_TRUE(ProjectDragLocks().rearTuning);
    // A held key makes a move no gesture.
    window->BoxPicMouseDown(Qt::LeftButton, QPoint(100, 100));
    window->BoxPicMouseMove(Qt::LeftButton, Qt::ShiftModifier, QPoint(50, 100));
    window->BoxPicMouseUp();
    EXPECT_NEAR(window->box.Vr, vr * 1.1, 1e-12);
}

// A drag lights the fields it changes in the flat colour $808000, frame and text area alike, and
// gives them back the colour they had when the button comes up.
TEST_F(ProjectWindowTest, ADragLightsItsFieldsInTheFlatColourAndGivesTheirColourBack) {
    TfrmProject* window = NewProject(main, pbVented);
    auto* volume = qobject_cast<TFlatEdit*>(window->Control("ReVolume"));
    auto* distance = qobject_cast<TFlatEdit*>(window->Control("edDist"));
    ASSERT_NE(volume, nullptr);
    ASSERT_NE(distance, nullptr);
    volume->clearFocus();
    const TColor flat = volume->ColorFlat();
    const QColor face = volume->palette().color(QPalette::Base);
    ASSERT_EQ(face, volume->FaceColor());

    window->BoxPicMouseDown(Qt::LeftButton, QPoint(100, 100));
    EXPECT_EQ(volume->ColorFlat(), static_cast<TColor>(0x808000));
    EXPECT_EQ(volume->FaceColor(), QColor(0x00, 0x80, 0x80));
    EXPECT_EQ(volume->palette().color(QPalette::Base), volume->FaceColor()) << "the text area as the frame";
    EXPECT_EQ(distance->ColorFlat(), flat) << "a field the drag does not change stays as it is";

    window->BoxPicMouseUp();
    EXPECT_EQ(volume->ColorFlat(), flat);
    EXPECT_EQ(volume->FaceColor(), face);
    EXPECT_EQ(volume->palette().color(QPalette::Base), face);
}

// The close query asks after every kind of change, and only then.
TEST_F(ProjectWindowTest, CloseQueryAfterEachKindOfChange) {
    const auto file = TempHome::folder / "Projects" / "query.bvp";
    {
        TfrmProject* made = NewProject(main, pbBandpass6);
        made->filters.push_back(std::make_unique<TLowpass>());
        dialogs.saveAnswers.push_back(file.string());
        ASSERT_TRUE(made->SaveProject());
        EXPECT_FALSE(made->Modified());
        dialogs.messages.clear();
        EXPECT_TRUE(made->close());
        EXPECT_TRUE(dialogs.messages.empty());
    }
    struct Case {
        const char* what;
        std::function<void(ProjectWindowTest&, TfrmProject*)> change;
    };
    const Case cases[] = {
        {"nothing", nullptr},
        {"typed", [](ProjectWindowTest& t, TfrmProject* w) { t.Type(w, "FeVolume", "0.03"); }},
        {"typed, not committed",
         [](ProjectWindowTest&, TfrmProject* w) {
             QTest::keyClicks(qobject_cast<QLineEdit*>(w->Control("edDist")), "7");
         }},
        {"dragged",
         [](ProjectWindowTest&, TfrmProject* w) {
             w->BoxPicMouseDown(Qt::RightButton, QPoint(10, 10));
             w->BoxPicMouseMove(Qt::RightButton, Qt::NoModifier, QPoint(0, 10));
             w->BoxPicMouseUp();
         }},
        {"line width",
         [](ProjectWindowTest&, TfrmProject* w) {
             auto* width = qobject_cast<QComboBox*>(w->Control("cbLineWidth"));
             width->setCurrentIndex(2);
             emit width->activated(2);
         }},
        {"filter deleted",
         [](ProjectWindowTest&, TfrmProject* w) {
             qobject_cast<QListWidget*>(w->Control("lstEQS"))->setCurrentRow(0);
             w->btnDelEqClick();
         }},
        {"filter switched",
         [](ProjectWindowTest&, TfrmProject* w) {
             QListWidgetItem* item = qobject_cast<QListWidget*>(w->Control("lstEQS"))->item(0);
             item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
         }},
        {"driver dropped", [](ProjectWindowTest&, TfrmProject* w) { w->DropDriver(TestWoofer()); }},
        {"colour",
         [](ProjectWindowTest& t, TfrmProject* w) {
             t.dialogs.colourAnswers.push_back(0x123456);
             QTest::mouseClick(w->Control("pnlChangeColor"), Qt::LeftButton);
         }},
        {"vent shape", [](ProjectWindowTest&,
                          TfrmProject* w) { qobject_cast<QAbstractButton*>(w->Control("RShape"))->click(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TfrmProject* window = Open(file);
        ASSERT_NE(window, nullptr);
        const int n = window->Slot();
        EXPECT_FALSE(window->Modified());
        if (c.change)
            c.change(*this, window);
        dialogs.messages.clear();
        if (c.change)
            dialogs.messageAnswers.push_back(platform::ButtonCancel);
        EXPECT_EQ(window->close(), c.change == nullptr);
        if (c.change == nullptr) {
            EXPECT_TRUE(dialogs.messages.empty());
            continue;
        }
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Your project has changed, do you want to save?");
        EXPECT_TRUE(main.Proj(n).used);
        dialogs.messageAnswers.push_back(platform::ButtonNo);
        EXPECT_TRUE(window->close());
        EXPECT_FALSE(main.Proj(n).used);
    }
}

TEST_F(ProjectWindowTest, AFailedOrCancelledSaveKeepsTheWindow) {
    TfrmProject* window = NewProject(main, pbVented);
    const int n = window->Slot();
    // Yes, then the save dialog is cancelled.
    dialogs.messageAnswers.push_back(platform::ButtonYes);
    dialogs.saveAnswers.push_back(std::nullopt);
    EXPECT_FALSE(window->close());
    // Yes, then a file that cannot be written.
    dialogs.messageAnswers.push_back(platform::ButtonYes);
    dialogs.saveAnswers.push_back((TempHome::folder / "no such folder" / "x.bvp").string());
    dialogs.messages.clear();
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->Modified());
    EXPECT_TRUE(main.Proj(n).used);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].kind, platform::MessageKind::Error);
    // Yes and a good file: saved and closed.
    const auto good = TempHome::folder / "Projects" / "good.bvp";
    dialogs.messageAnswers.push_back(platform::ButtonYes);
    dialogs.saveAnswers.push_back(good.string());
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(std::filesystem::exists(good));
    EXPECT_FALSE(main.Proj(n).used);
}

TEST_F(ProjectWindowTest, SavingKeepsTheCreatorAndShowsTheModifyDate) {
    TfrmProject* window = NewProject(main, pbClosed);
    window->info.Creator = "Original Author";
    const auto path = TempHome::folder / "Projects" / "creator.bvp";
    dialogs.saveAnswers.push_back(path.string());
    ASSERT_TRUE(window->SaveClick());
    std::ifstream file(path);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Creator=Original Author"), std::string::npos);
    EXPECT_FALSE(qobject_cast<QLabel*>(window->Control("pnlModified"))->text().isEmpty());
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves[0].title, "Save project...");
    EXPECT_TRUE(dialogs.saves[0].confirmOverwrite);
}

TEST_F(ProjectWindowTest, ClosingTheActiveProjectFreesItsSlot) {
    for (int i = 0; i < kMaxProjects; ++i)
        NewProject(main, i % kProjectBoxTypeCount);
    EXPECT_EQ(main.AllocateProjectSlot(), 0);
    main.SetActiveProject(4);
    dialogs.messageAnswers.push_back(platform::ButtonNo);
    const int repaints = main.plot.repaints;
    EXPECT_TRUE(main.Window(4)->close());
    EXPECT_FALSE(main.Proj(4).used);
    EXPECT_EQ(main.ActiveProject(), 10);
    EXPECT_EQ(main.plot.repaints, repaints + 1);
}

TEST_F(ProjectWindowTest, FilterListDeleteAndEnable) {
    TfrmProject* window = NewProject(main, pbVented);
    window->filters.push_back(std::make_unique<TLowpass>());
    window->filters.push_back(std::make_unique<TLowpass>());
    window->UpdateFilterList();
    auto* list = qobject_cast<QListWidget*>(window->Control("lstEQS"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_FALSE(window->Control("btnDelEq")->isEnabled());
    list->setCurrentRow(1);
    EXPECT_TRUE(window->Control("btnDelEq")->isEnabled());
    list->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(window->filters[1]->Enabled);
    window->btnDelEqClick();
    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(list->currentRow(), 0);
    window->btnDelEqClick();
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(window->Control("btnDelEq")->isEnabled());
    EXPECT_FALSE(window->Control("btnModifyEq")->isEnabled());
}

TEST_F(ProjectWindowTest, EndCorrectionShowsTheMatchingItemOrTheNumber) {
    TfrmProject* window = NewProject(main, pbVented);
    auto* combo = qobject_cast<QComboBox*>(window->Control("RSEndCorrection"));
    EXPECT_EQ(combo->currentText(), "One flanged end");
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    EXPECT_EQ(window->box.RearVent.endcorrection, 0.85);
    window->box.RearVent.endcorrection = 0.7;
    window->WriteFields();
    EXPECT_EQ(combo->currentText(), "0.7");
    EXPECT_EQ(window->box.RearVent.endcorrection, 0.7);

    // A typed factor counts when the field is left; text that is no factor is refused.
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window, kWaitLimit));
    window->Tabs()->setCurrentIndex(3);
    const double len = window->box.RearVent.len;
    combo->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "0.65");
    window->Control("eRVentLen")->setFocus();
    EXPECT_EQ(window->box.RearVent.endcorrection, 0.65);
    EXPECT_NE(window->box.RearVent.len, len); // the vent is sized again for its tuning
    combo->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "abc");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(window->box.RearVent.endcorrection, 0.65);
    window->Control("eRVentLen")->setFocus();
    EXPECT_EQ(combo->currentText(), "0.65");
}

TEST_F(ProjectWindowTest, ParameterPanelChangesTheDriverAndRecomputes) {
    TfrmProject* window = NewProject(main, pbVented);
    TfrmTinyParams* panel = window->ParamsPanel();
    EXPECT_EQ(panel->ValuePanel(2)->text().toStdString(), Val2Str(qkFrequency, 0, window->driver.Data.Fs));
    const int repaints = main.plot.repaints;
    window->modified = false;
    dialogs.inputAnswers.push_back(std::string("28"));
    EXPECT_TRUE(panel->ChangeValue(2));
    EXPECT_EQ(dialogs.inputs.back().caption, "Give new value");
    EXPECT_EQ(dialogs.inputs.back().prompt, "Fs :");
    EXPECT_EQ(window->driver.Data.Fs, 28);
    EXPECT_GT(main.plot.repaints, repaints);
    EXPECT_TRUE(window->Modified());
    // Cancel keeps the value unrounded.
    window->driver.Data.Fs = 28.123456;
    dialogs.inputAnswers.push_back(std::nullopt);
    EXPECT_FALSE(panel->ChangeValue(2));
    EXPECT_EQ(window->driver.Data.Fs, 28.123456);
    // A value without a unit shows and takes a plain number.
    dialogs.inputAnswers.push_back(std::string("0,45"));
    EXPECT_TRUE(panel->ChangeValue(0));
    EXPECT_EQ(window->driver.Data.Qts, 0.45);
}

TEST_F(ProjectWindowTest, ADroppedDriverReplacesTheProjectsDriver) {
    TfrmProject* window = NewProject(main, pbClosed);
    TDriverObject other = TestWoofer();
    other.Data.Model = "Other";
    other.Data.Fs = 45;
    TBV_DragObject drag(other);
    EXPECT_NE(TBV_DragObject::From(&drag), nullptr);
    window->DropDriver(drag.Driver());
    EXPECT_EQ(window->driver.Data.Fs, 45);
    EXPECT_EQ(Edit(window, "edModel")->text(), "Other");
    EXPECT_TRUE(main.Proj(window->Slot()).caption.endsWith(" : Other"));
}

// Dropped as the user drops it: the drag enters the widget under the mouse, which takes it, and
// is let go there.
void Drop(QWidget* target, const TBV_DragObject& dragged) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    ASSERT_TRUE(drop.isAccepted());
}

TEST_F(ProjectWindowTest, AProjectsOwnDriverDroppedOnItsOwnWindowChangesNothing) {
    const auto file = TempHome::folder / "Projects" / "own driver.bvp";
    {
        TfrmProject* made = NewProject(main, pbVented);
        dialogs.saveAnswers.push_back(file.string());
        ASSERT_TRUE(made->SaveProject());
        ASSERT_TRUE(made->close());
    }
    TfrmProject* window = Open(file);
    ASSERT_NE(window, nullptr);
    const double vr = window->box.Vr;

    // Dragged from its own picture and let go over its own page, or over a field: a field takes
    // no part of the driver (not the text that names it to other programs).
    const QString model = Edit(window, "edModel")->text();
    Drop(window, TBV_DragObject(window->driver, window));
    Drop(Edit(window, "edModel"), TBV_DragObject(window->driver, window));
    Drop(window->findChild<QPlainTextEdit*>()->viewport(), TBV_DragObject(window->driver, window));
    EXPECT_FALSE(window->Modified());
    EXPECT_EQ(window->box.Vr, vr);
    EXPECT_EQ(Edit(window, "edModel")->text(), model);
    dialogs.messages.clear();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(dialogs.messages.empty());

    // The same driver from another window is a change like any other.
    TfrmProject* other = Open(file);
    ASSERT_NE(other, nullptr);
    TDriverObject dropped = other->driver;
    dropped.Data.Model = "Dropped";
    Drop(Edit(other, "edBrand"), TBV_DragObject(dropped, &main));
    EXPECT_TRUE(other->Modified());
    EXPECT_EQ(Edit(other, "edModel")->text(), "Dropped");
    EXPECT_EQ(Edit(other, "edBrand")->text().toStdString(), dropped.Data.Brand);
}

TEST_F(ProjectWindowTest, AnOpenedProjectIsNamedAfterItsSlotBoxTypeAndDriver) {
    TAppLinks links;
    LinkProjectWindows(links);
    IProjectWindow* window = links.createProjectWindow(main, 2);
    ASSERT_NE(window, nullptr);
    QString error;
    ASSERT_TRUE(window->LoadProjectFile(QString(BORVIK_TEST_DATA) + "/files/project_radiator.bvp", error))
        << error.toStdString();
    EXPECT_EQ(window->Widget()->windowTitle(), "[2]passive radiator : Acme W8 \"Pro\"");
    delete window->Widget();
}

TEST_F(ProjectWindowTest, TheLinkMakesProjectWindows) {
    TAppLinks links;
    LinkProjectWindows(links);
    ASSERT_TRUE(static_cast<bool>(links.createProjectWindow));
    IProjectWindow* window = links.createProjectWindow(main, 3);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Slot(), 3);
    delete window->Widget();
}

} // namespace

namespace {

TEST_F(ProjectWindowTest, AdvancedMenusShowTheLossesOfTheBoxTypeAndOpenTheValueEditor) {
    struct Case {
        std::int32_t type;
        QStringList rear;
    };
    const Case cases[] = {
        {pbClosed, {"#Rear chamber", "*Ql", "Ql [rear]", "*Qa", "Qa [rear]"}},
        {pbVented, {"#Rear chamber", "*Ql", "Ql [rear]", "*Qa", "Qa [rear]", "*Qp", "Qp [rear]"}},
        {pbBandpass4,
         {"#Rear chamber", "*Ql", "Ql [rear]", "*Qa", "Qa [rear]", "*Qicl", "Qicl [interchamber]"}},
        {pbBandpass6,
         {"#Rear chamber", "*Ql", "Ql [rear]", "*Qa", "Qa [rear]", "*Qp", "Qp [rear]", "*Qicl",
          "Qicl [interchamber]"}},
        {pbPassiveRadiator, {"#Rear chamber", "*Ql", "Ql [rear]", "*Qa", "Qa [rear]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        TfrmProject* window = NewProject(main, c.type);
        std::unique_ptr<THV_PopupMenu> menu = window->BuildAdvancedMenu(true);
        QStringList shown;
        for (QAction* action : menu->actions())
            shown << (action->objectName().isEmpty() ? action->text() : action->objectName());
        EXPECT_EQ(shown, c.rear);
        for (QAction* action : menu->actions())
            EXPECT_EQ(action->isEnabled(), !action->objectName().isEmpty());
    }
    // An item opens the editor on its value; every change marks the project and repaints.
    TfrmProject* window = main.Window(2);
    window->modified = false;
    std::unique_ptr<THV_PopupMenu> menu = window->BuildAdvancedMenu(true);
    QAction* qp = menu->findChild<QAction*>("Qp [rear]");
    ASSERT_NE(qp, nullptr);
    EXPECT_EQ(qp->text().toStdString(), Val2Str(qkNone, 0, window->box.Qpr));
    qp->trigger();
    TfrmEditor* editor = window->ValueEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), "Qp [rear]");
    const int repaints = main.plot.repaints;
    editor->StepBy(10);
    EXPECT_NEAR(window->box.Qpr, 101, 1e-9);
    EXPECT_TRUE(window->Modified());
    EXPECT_GT(main.plot.repaints, repaints);
    // A vent loss of 0 would divide the vent's resistance by 0: typed, it stores the minimum.
    editor->ValueField()->setText("0");
    editor->CommitText();
    EXPECT_EQ(window->box.Qpr, 0.1);
}

} // namespace

namespace {

TEST_F(ProjectWindowTest, EveryControlSitsInALayout) {
    TfrmProject* window = NewProject(main, pbBandpass6);
    QStringList loose;
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow() && window->layout()->indexOf(child) < 0)
            loose << child->objectName();
    EXPECT_TRUE(loose.isEmpty()) << loose.join(", ").toStdString();
    // Unit labels sit beside their field, in the field's row.
    for (const char* name : {"lblReVolume", "lblTemp", "lblVCTRise", "lblAirSpeed", "lblRVentLen"})
        EXPECT_NE(window->Control(name)->parentWidget(), window) << name;
}

} // namespace

namespace {

TEST_F(ProjectWindowTest, TheWindowFrameSnapsToTheGridWhileItIsOn) {
    QWidget frame;
    TfrmProject* window = NewProject(main, pbVented);
    window->setParent(&frame);
    frame.show();
    TC.GridON = true;
    TC.GridX = 20;
    TC.GridY = 25;
    frame.move(31, 49);
    QApplication::processEvents();
    EXPECT_EQ(frame.pos(), QPoint(40, 50));
    TC.GridON = false;
    frame.move(31, 49);
    QApplication::processEvents();
    EXPECT_EQ(frame.pos(), QPoint(31, 49));
    window->setParent(nullptr);
}

} // namespace

namespace {

TEST_F(ProjectWindowTest, AClosedWindowTakesItsFrameAlong) {
    QMdiArea area;
    TfrmProject* window = NewProject(main, pbClosed);
    area.addSubWindow(window);
    area.show();
    dialogs.messageAnswers.push_back(platform::ButtonNo);
    EXPECT_TRUE(window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(area.subWindowList().isEmpty());
}

} // namespace

namespace {

TEST_F(ProjectWindowTest, AddModifyAndDeleteGoThroughTheFilterEditor) {
    TfrmProject* window = NewProject(main, pbClosed);
    window->modified = false;
    const int repaints = main.plot.repaints;
    window->btnAddEqClick();
    ASSERT_NE(frmFilterEditor, nullptr);
    EXPECT_EQ(frmFilterEditor->Host(), static_cast<IFilterEditorHost*>(window));
    EXPECT_TRUE(frmFilterEditor->Adding());
    ASSERT_TRUE(frmFilterEditor->ApplyChanges());
    ASSERT_EQ(window->filters.size(), 1u);
    auto* list = qobject_cast<QListWidget*>(window->Control("lstEQS"));
    EXPECT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().startsWith("Lowpass ("));
    EXPECT_TRUE(window->Modified());
    EXPECT_GT(main.plot.repaints, repaints);

    // Modify works on the selected filter; without a selection it does nothing.
    frmFilterEditor->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    list->setCurrentRow(-1);
    window->btnModifyEqClick();
    EXPECT_EQ(frmFilterEditor, nullptr);
    list->setCurrentRow(0);
    window->btnModifyEqClick();
    ASSERT_NE(frmFilterEditor, nullptr);
    EXPECT_EQ(frmFilterEditor->EditedFilter(), window->filters[0].get());

    // Deleting the edited filter closes its editor, so it never works on a freed filter.
    window->btnDelEqClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frmFilterEditor, nullptr);
    EXPECT_TRUE(window->filters.empty());

    // Closing the project closes an editor of its filters.
    window->btnAddEqClick();
    ASSERT_NE(frmFilterEditor, nullptr);
    dialogs.messageAnswers.push_back(platform::ButtonNo);
    EXPECT_TRUE(window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frmFilterEditor, nullptr);
}

} // namespace

namespace {

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Texts too long to lay out fast are shown cut and cannot be edited, captions and the creator's
// panel show names cut, and nothing of it reaches the file: a project saved untouched holds its
// texts byte for byte. What lays out fast is held whole and stays editable.
TEST_F(ProjectWindowTest, LongTextsShowCutAndSaveBackWhole) {
    std::string manyLines;
    while (manyLines.size() < 1024 * 1024)
        manyLines += "Line " + std::to_string(manyLines.size()) + " of the description\xA4";
    const std::string megabyte(1024 * 1024, 'a');
    const struct {
        const char* name;
        std::string description;
        bool descriptionWhole;
        std::string brand;
        std::string model;
        std::string creator;
    } rows[] = {
        {"one-line description", megabyte, false, "Acme", "W8", "Author"},
        {"many-line description", manyLines, true, "Acme", "W8", "Author"},
        {"long names", "A box", true, std::string(40000, 'b'), megabyte, std::string(1024 * 1024, 'c')},
    };
    const auto first = TempHome::folder / "Projects" / "long.bvp";
    const auto second = TempHome::folder / "Projects" / "long saved.bvp";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        {
            std::ofstream file(first, std::ios::binary | std::ios::trunc);
            file << "[ProjectInfo]\nDescription=" << row.description << "\nCreator=" << row.creator
                 << "\n[Driver]\nBrand=" << row.brand << "\nModel=" << row.model
                 << "\nFs=30\nQts=0.4\nVas=0.05\n[Box]\nBType=0\nVr=0.05\n";
        }
        TfrmProject* opened = Open(first);
        ASSERT_NE(opened, nullptr);
        for (int tab = 0; tab < opened->Tabs()->count(); ++tab)
            opened->Tabs()->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        EXPECT_FALSE(opened->Modified());

        const QString brand = ShownLine(QString::fromStdString(row.brand), CaptionNameBound).text;
        const QString model = ShownLine(QString::fromStdString(row.model), CaptionNameBound).text;
        EXPECT_TRUE(opened->windowTitle().endsWith(" : " + brand + " " + model))
            << opened->windowTitle().size();
        EXPECT_TRUE(main.Proj(opened->Slot()).caption.endsWith(" : " + model));
        EXPECT_EQ(qobject_cast<QLabel*>(opened->Control("pnlCreator"))->text(),
                  ShownLine(QString::fromStdString(row.creator), CaptionNameBound).text);
        for (const auto& [name, text] : {std::pair{"edBrand", &row.brand}, {"edModel", &row.model}}) {
            auto* edit = qobject_cast<TFlatEdit*>(opened->Control(name));
            const bool whole = text->size() <= static_cast<std::size_t>(EditTextBound);
            EXPECT_EQ(edit->HoldsWholeText(), whole) << name;
            EXPECT_EQ(edit->isReadOnly(), !whole) << name;
        }
        auto* description = qobject_cast<TFlatMemo*>(opened->Control("memDescription"));
        EXPECT_EQ(description->HoldsWholeText(), row.descriptionWhole);
        EXPECT_EQ(description->isReadOnly(), !row.descriptionWhole);

        dialogs.saveAnswers.push_back(second.string());
        ASSERT_TRUE(opened->SaveProject());
        const platform::IniFile before(first);
        const platform::IniFile after(second);
        for (const auto& [section, key] : {std::pair{"ProjectInfo", "Description"},
                                           {"ProjectInfo", "Creator"},
                                           {"Driver", "Brand"},
                                           {"Driver", "Model"}})
            EXPECT_TRUE(after.ReadString(section, key, "") == before.ReadString(section, key, "")) << key;

        if (row.descriptionWhole) {
            description->moveCursor(QTextCursor::End);
            description->insertPlainText("!");
            EXPECT_TRUE(opened->Modified());
            EXPECT_EQ(opened->info.Description.back(), '!');
            dialogs.saveAnswers.push_back(second.string());
            ASSERT_TRUE(opened->SaveProject());
        }
        EXPECT_TRUE(opened->close());
    }
}

TEST_F(ProjectWindowTest, AnOpenedWindowSavesTheBytesItWasOpenedFrom) {
    for (std::int32_t type = 0; type < kProjectBoxTypeCount; ++type) {
        SCOPED_TRACE(type);
        TfrmProject* made = NewProject(main, type);
        made->filters.push_back(std::make_unique<TLowpass>());
        made->filters.back()->Calculate();
        const auto first = TempHome::folder / "Projects" / "first.bvp";
        const auto second = TempHome::folder / "Projects" / "second.bvp";
        dialogs.saveAnswers.push_back(first.string());
        ASSERT_TRUE(made->SaveProject());
        EXPECT_TRUE(made->close());

        TfrmProject* opened = Open(first);
        ASSERT_NE(opened, nullptr);
        // Looking around changes nothing: tabs, a unit change, the parameters panel.
        for (int tab = 0; tab < opened->Tabs()->count(); ++tab)
            opened->Tabs()->setCurrentIndex(tab);
        opened->pnlShowParametersClick();
        EXPECT_FALSE(opened->Modified());
        dialogs.saveAnswers.push_back(second.string());
        ASSERT_TRUE(opened->SaveProject());
        EXPECT_EQ(FileBytes(first), FileBytes(second));
        EXPECT_TRUE(opened->close());
    }
}

} // namespace

namespace {

TEST_F(ProjectWindowTest, UnitLabelsCycleTheirFieldsUnitWithoutTouchingTheRecords) {
    TfrmProject* window = NewProject(main, pbBandpass6);
    window->show();
    const TBoxData before = window->box;
    auto click = [&](const char* name) { QTest::mouseClick(window->Control(name), Qt::LeftButton); };
    window->Tabs()->setCurrentIndex(2);
    click("lblReVolume");
    EXPECT_EQ(qobject_cast<QLabel*>(window->Control("lblReVolume"))->text(), "l");
    EXPECT_EQ(Edit(window, "ReVolume")->text().toStdString(), Val2Str(qkVolume, 1, window->box.Vr));
    window->Tabs()->setCurrentIndex(3);
    click("lblRsDia");
    EXPECT_EQ(qobject_cast<QLabel*>(window->Control("lblRsDia"))->text(), "mm");
    EXPECT_EQ(qobject_cast<QComboBox*>(window->Control("RSDia"))->currentText(), "102.0");
    EXPECT_EQ(qobject_cast<QComboBox*>(window->Control("RSDia2"))->currentText(), "102.0");
    // The parameter panel's labels cycle as well.
    TfrmTinyParams* panel = window->ParamsPanel();
    window->pnlShowParametersClick();
    QTest::mouseClick(panel->UnitLabel(2), Qt::LeftButton);
    EXPECT_EQ(panel->UnitLabel(2)->text(), "kHz");
    EXPECT_EQ(panel->ValuePanel(2)->text().toStdString(), Val2Str(qkFrequency, 1, window->driver.Data.Fs));
    EXPECT_EQ(window->box.Vr, before.Vr);
    EXPECT_EQ(window->box.RearVent.dia1, before.RearVent.dia1);
    // Back to the first units for the other tests.
    click("lblReVolume");
    click("lblReVolume");
    click("lblReVolume");
    click("lblReVolume");
    for (int i = 0; i < 5; ++i)
        click("lblRsDia");
    QTest::mouseClick(panel->UnitLabel(2), Qt::LeftButton);
}

} // namespace
