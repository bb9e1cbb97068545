#include "workspace/FilterEditor.h"

#include "platform/Dialogs.h"
#include "simulation/AllPass.h"
#include "simulation/LinkwitzTransform.h"
#include "simulation/Lowpass.h"
#include "simulation/ParametricEQ.h"
#include "simulation/PeakHighpass.h"
#include "simulation/StaticGain.h"
#include "tests/platform/TestApplication.h"
#include "tests/shell/WindowTestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <string>
#include <utility>

using platformtest::kWaitLimit;
using windowtest::TypeAndLeave;

namespace {

class FakeProject : public QWidget, public IFilterEditorHost {
public:
    TFilterList& EditedFilters() override { return filters; }
    std::int32_t EditedBoxType() const override { return boxType; }
    double ReportedFc() const override { return fc; }
    double ReportedQtc() const override { return qtc; }
    void FiltersChanged() override { ++changes; }
    QWidget* HostWidget() override { return this; }

    TFilterList filters;
    std::int32_t boxType = 0;
    double fc = 48.5;
    double qtc = 0.93;
    int changes = 0;
};

struct KindCase {
    std::int32_t kind;
    std::array<const char*, 4> captions; // "" hidden
    std::array<const char*, 4> units;    // "" none
    std::array<const char*, 4> shown;    // the default values as the fields show them
};

class FilterEditorTest : public windowtest::WindowTest {
protected:
    void TearDown() override {
        delete frmFilterEditor;
        WindowTest::TearDown();
    }
    TfrmFilterEditor* Editor() const { return frmFilterEditor; }
    QLineEdit* Edit(int row) const { return Editor()->findChild<QLineEdit*>(QString("edPar%1").arg(row)); }
    QLabel* Caption(int row) const { return Editor()->findChild<QLabel*>(QString("lblPar%1").arg(row)); }
    QLabel* Unit(int row) const { return Editor()->findChild<QLabel*>(QString("lblPar%1Unit").arg(row)); }
    QPushButton* Button(const char* name) const { return Editor()->findChild<QPushButton*>(name); }
    void ChooseType(int kind) {
        auto* type = Editor()->findChild<QComboBox*>("cbType");
        type->setCurrentIndex(kind);
        emit type->activated(kind);
    }
    void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{dialogs};
    FakeProject project;
};

class FilterKindRowsTest : public FilterEditorTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(FilterKindRowsTest, ShowsTheRowsUnitsAndDefaultsOfTheKind) {
    const KindCase& c = GetParam();
    StartFilterEditor(project, -1);
    ChooseType(c.kind);
    for (int row = 1; row <= 4; ++row) {
        const auto i = static_cast<std::size_t>(row - 1);
        const bool shown = c.captions[i][0] != '\0';
        EXPECT_EQ(Edit(row)->isVisibleTo(Editor()), shown) << row;
        EXPECT_EQ(Caption(row)->isVisibleTo(Editor()), shown) << row;
        EXPECT_EQ(Unit(row)->isVisibleTo(Editor()), c.units[i][0] != '\0') << row;
        if (shown) {
            EXPECT_EQ(Caption(row)->text(), c.captions[i]) << row;
            EXPECT_EQ(Edit(row)->text(), c.shown[i]) << row;
        }
        if (c.units[i][0] != '\0') {
            EXPECT_EQ(Unit(row)->text(), c.units[i]) << row;
        }
    }
    // The defaults make a working filter of the kind.
    Button("btnAdd")->click();
    ASSERT_EQ(project.filters.size(), 1u);
    EXPECT_EQ(project.filters[0]->Kind, c.kind);
    EXPECT_TRUE(project.filters[0]->Enabled);
    EXPECT_TRUE(project.filters[0]->HasResponse());
    EXPECT_TRUE(dialogs.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FilterKindRowsTest,
    ::testing::Values(
        KindCase{fkLowpass, {"Order", "Cutoff", "Q", ""}, {"", "Hz", "", ""}, {"2", "50.000", "0.000", ""}},
        KindCase{fkHighpass, {"Order", "Cutoff", "Q", ""}, {"", "Hz", "", ""}, {"2", "20.000", "0.000", ""}},
        KindCase{
            fkAllpass, {"Order", "Delay time", "Q", ""}, {"", "ms", "", ""}, {"1", "1.000", "0.707", ""}},
        KindCase{fkLinkwitzTransform,
                 {"f0", "Q0", "fp", "Qp"},
                 {"Hz", "", "Hz", ""},
                 {"48.500", "0.930", "20.000", "0.707"}},
        KindCase{fkParametricEQ,
                 {"Center freq", "Q", "Gain", ""},
                 {"Hz", "", "dB", ""},
                 {"30.000", "2.000", "6.000", ""}},
        KindCase{fkPeakHighpass,
                 {"Peak mag", "Peak freq", "", ""},
                 {"dB", "Hz", "", ""},
                 {"6.000", "20.000", "", ""}},
        KindCase{fkStaticGain, {"Gain", "", "", ""}, {"dB", "", "", ""}, {"0.000", "", "", ""}}));

TEST_F(FilterEditorTest, AddMakesASecondOrderLowpassAndClosesAfterAppendingIt) {
    StartFilterEditor(project, -1);
    EXPECT_EQ(Editor()->windowTitle(), "Filter Editor");
    EXPECT_EQ(Button("btnAdd")->text(), "Add");
    EXPECT_FALSE(Button("btnApply")->isEnabled());
    EXPECT_EQ(Editor()->findChild<QComboBox*>("cbSubType")->currentText(), "Butterworth");
    QPointer<TfrmFilterEditor> editor = Editor();
    Button("btnAdd")->click();
    Settle();
    EXPECT_TRUE(editor.isNull());
    ASSERT_EQ(project.filters.size(), 1u);
    const auto& lowpass = static_cast<const TLowpass&>(*project.filters[0]);
    EXPECT_EQ(lowpass.Order, 2);
    EXPECT_DOUBLE_EQ(lowpass.Fc, 50);
    EXPECT_EQ(lowpass.SubType, 0);
    EXPECT_EQ(project.changes, 1);
}

TEST_F(FilterEditorTest, OrdersRoundHalvesToEvenAndAreBoundedByTheDesign) {
    const struct {
        const char* typed;
        std::int32_t stored; // 0: refused
    } cases[] = {{"2.5", 2}, {"3.5", 4}, {"1", 1}, {"10.4", 10}, {"11", 0}, {"0", 0}, {"-3", 0}, {"1e12", 0}};
    for (const auto& c : cases) {
        project.filters.clear();
        dialogs.messages.clear();
        StartFilterEditor(project, -1);
        TypeAndLeave(Edit(1), c.typed);
        Button("btnAdd")->click();
        if (c.stored == 0) {
            EXPECT_TRUE(project.filters.empty()) << c.typed;
            ASSERT_EQ(dialogs.messages.size(), 1u) << c.typed;
            EXPECT_NE(dialogs.messages[0].text.find("from 1 to 10"), std::string::npos);
        } else {
            ASSERT_EQ(project.filters.size(), 1u) << c.typed;
            EXPECT_EQ(static_cast<const TLowpass&>(*project.filters[0]).Order, c.stored) << c.typed;
            // Opened again, the field shows the order the filter took, as a whole number.
            Settle();
            StartFilterEditor(project, 0);
            EXPECT_EQ(Edit(1)->text().toStdString(), std::to_string(c.stored)) << c.typed;
            // Applied in place, the same.
            TypeAndLeave(Edit(1), "2.5");
            Button("btnApply")->click();
            EXPECT_EQ(Edit(1)->text().toStdString(), "2") << c.typed;
        }
        delete frmFilterEditor;
        Settle();
    }
}

TEST_F(FilterEditorTest, AllpassDelayIsTypedInMillisecondsAndStoredInSeconds) {
    StartFilterEditor(project, -1);
    ChooseType(fkAllpass);
    TypeAndLeave(Edit(2), "2");
    Button("btnAdd")->click();
    ASSERT_EQ(project.filters.size(), 1u);
    EXPECT_DOUBLE_EQ(static_cast<const TAllpass&>(*project.filters[0]).Delay, 0.002);
    Settle();
    StartFilterEditor(project, 0);
    EXPECT_EQ(Edit(2)->text(), "2.000");
}

TEST_F(FilterEditorTest, EnterInAFieldTakesTheValueAndAdds) {
    StartFilterEditor(project, -1);
    Edit(2)->selectAll();
    QTest::keyClicks(Edit(2), "80");
    QTest::keyClick(Edit(2), Qt::Key_Return);
    ASSERT_EQ(project.filters.size(), 1u);
    EXPECT_DOUBLE_EQ(static_cast<const TLowpass&>(*project.filters[0]).Fc, 80);
}

// Enter in a field is "OK"; on a focused button it is that button, as in a dialog.
TEST_F(FilterEditorTest, EnterOnAFocusedButtonPressesThatButton) {
    struct ButtonCase {
        const char* button;
        bool applies;
        bool closes;
    };
    const ButtonCase cases[] = {
        {"btnAdd", true, true},
        {"btnCancel", false, true},
        {"btnApply", true, false},
    };
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Return, Qt::NoModifier},
                                                              {Qt::Key_Enter, Qt::KeypadModifier}};
    for (const auto& [key, modifiers] : keys) {
        for (const ButtonCase& c : cases) {
            SCOPED_TRACE(std::string(c.button) + (key == Qt::Key_Enter ? " Enter" : " Return"));
            project.filters.clear();
            project.filters.push_back(NewEditorFilter(fkLowpass, 0, 0, 0));
            project.changes = 0;
            StartFilterEditor(project, 0);
            QPointer<TfrmFilterEditor> editor = Editor();
            // The table names every push button of the window.
            QStringList found;
            for (const QPushButton* button : editor->findChildren<QPushButton*>())
                found << button->objectName();
            found.sort();
            EXPECT_EQ(found, (QStringList{"btnAdd", "btnApply", "btnCancel"}));
            editor->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(editor.data(), kWaitLimit));
            TypeAndLeave(Edit(2), "80");
            QPushButton* button = Button(c.button);
            ASSERT_TRUE(button->isEnabled());
            button->setFocus();
            ASSERT_TRUE(button->hasFocus());
            QTest::keyClick(button, key, modifiers);
            Settle();
            EXPECT_DOUBLE_EQ(static_cast<const TLowpass&>(*project.filters[0]).Fc, c.applies ? 80 : 50);
            EXPECT_EQ(project.changes, c.applies ? 1 : 0);
            EXPECT_EQ(project.filters.size(), 1u);
            EXPECT_EQ(editor.isNull(), c.closes);
            delete editor.data();
        }
    }
}

TEST_F(FilterEditorTest, CaptionMnemonicsWorkAtTheFirstPressBesideTheMainWindowsShortcuts) {
    // The main window's commands answer their keys in every window of the program.
    windowtest::TMainWindowShortcuts mainWindow;
    StartFilterEditor(project, -1);
    Editor()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Editor(), kWaitLimit));
    int captions = 0;
    for (QLabel* caption : Editor()->findChildren<QLabel*>()) {
        if (caption->buddy() == nullptr || !caption->text().contains('&'))
            continue;
        SCOPED_TRACE(caption->text().toStdString());
        ++captions;
        Edit(2)->setFocus();
        const QChar letter = caption->text().at(caption->text().indexOf('&') + 1);
        QTest::keyClick(Edit(2), letter.toLatin1(), Qt::AltModifier);
        EXPECT_TRUE(caption->buddy()->hasFocus());
    }
    EXPECT_EQ(captions, 2);
    EXPECT_EQ(mainWindow.Fired, 0);
}

TEST_F(FilterEditorTest, LinkwitzTransformOfAVentedProjectStartsFromZero) {
    project.boxType = 1;
    StartFilterEditor(project, -1);
    ChooseType(fkLinkwitzTransform);
    for (int row = 1; row <= 4; ++row)
        EXPECT_EQ(Edit(row)->text(), "0.000") << row;
    // All four at 0: the design refuses it, nothing is added and the editor says why.
    Button("btnAdd")->click();
    EXPECT_TRUE(project.filters.empty());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("above 0"), std::string::npos);
    EXPECT_NE(Editor(), nullptr);
}

TEST_F(FilterEditorTest, ModifyChangesTheListedFilterInPlace) {
    StartFilterEditor(project, -1);
    ChooseType(fkParametricEQ);
    Button("btnAdd")->click();
    Settle();
    ASSERT_EQ(project.filters.size(), 1u);
    const TFilterBase* listed = project.filters[0].get();

    StartFilterEditor(project, 0);
    EXPECT_EQ(Button("btnAdd")->text(), "OK");
    EXPECT_TRUE(Button("btnApply")->isEnabled());
    TypeAndLeave(Edit(3), "-4.5");
    Button("btnApply")->click();
    ASSERT_EQ(project.filters.size(), 1u);
    EXPECT_EQ(project.filters[0].get(), listed);
    EXPECT_DOUBLE_EQ(static_cast<const TParametricEQ&>(*listed).Gain, -4.5);
    TypeAndLeave(Edit(1), "45");
    Button("btnAdd")->click();
    EXPECT_EQ(project.filters.size(), 1u);
    EXPECT_DOUBLE_EQ(static_cast<const TParametricEQ&>(*listed).Fc, 45);
    EXPECT_EQ(project.changes, 3);
}

TEST_F(FilterEditorTest, AnotherTypeInModifyModeTakesTheListedFiltersPlace) {
    project.filters.push_back(NewEditorFilter(fkStaticGain, 0, 0, 0));
    project.filters.push_back(NewEditorFilter(fkLowpass, 0, 0, 0));
    project.filters.push_back(NewEditorFilter(fkStaticGain, 0, 0, 0));
    const TFilterBase* first = project.filters[0].get();
    const TFilterBase* last = project.filters[2].get();
    StartFilterEditor(project, 1);
    ChooseType(fkPeakHighpass);
    TypeAndLeave(Edit(2), "25");
    Button("btnApply")->click();
    ASSERT_EQ(project.filters.size(), 3u);
    EXPECT_EQ(project.filters[0].get(), first);
    EXPECT_EQ(project.filters[2].get(), last);
    ASSERT_EQ(project.filters[1]->Kind, fkPeakHighpass);
    EXPECT_DOUBLE_EQ(static_cast<const TPeakHighpass&>(*project.filters[1]).Fpk, 25);
    // The editor goes on with the filter now listed.
    EXPECT_EQ(Editor()->EditedFilter(), project.filters[1].get());
    TypeAndLeave(Edit(1), "3");
    Button("btnApply")->click();
    EXPECT_DOUBLE_EQ(static_cast<const TPeakHighpass&>(*project.filters[1]).Gpk, 3);
}

TEST_F(FilterEditorTest, OkWithoutTypingChangesNothing) {
    auto lowpass = std::make_unique<TLowpass>();
    lowpass->Order = 3;
    lowpass->Fc = 123.456789012345;
    lowpass->SubType = 2;
    lowpass->Enabled = false;
    ASSERT_TRUE(lowpass->Calculate());
    project.filters.push_back(std::move(lowpass));
    StartFilterEditor(project, 0);
    EXPECT_EQ(Editor()->findChild<QComboBox*>("cbSubType")->currentIndex(), 2);
    Button("btnAdd")->click();
    const auto& listed = static_cast<const TLowpass&>(*project.filters[0]);
    EXPECT_EQ(listed.Fc, 123.456789012345);
    EXPECT_EQ(listed.Order, 3);
    EXPECT_FALSE(listed.Enabled);
    EXPECT_EQ(project.changes, 0);
}

TEST_F(FilterEditorTest, TheEditorClosesWithItsFilterOrItsProject) {
    project.filters.push_back(NewEditorFilter(fkStaticGain, 0, 0, 0));
    project.filters.push_back(NewEditorFilter(fkLowpass, 0, 0, 0));
    StartFilterEditor(project, 1);
    QPointer<TfrmFilterEditor> editor = Editor();
    // Another row going leaves the editor with its filter.
    FilterRemoving(project, 0);
    project.filters.erase(project.filters.begin());
    Settle();
    ASSERT_FALSE(editor.isNull());
    TypeAndLeave(Edit(2), "80");
    Button("btnApply")->click();
    EXPECT_DOUBLE_EQ(static_cast<const TLowpass&>(*project.filters[0]).Fc, 80);

    FilterRemoving(project, 0);
    project.filters.erase(project.filters.begin());
    Settle();
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(frmFilterEditor, nullptr);

    StartFilterEditor(project, -1);
    editor = Editor();
    FilterHostClosing(project);
    Settle();
    EXPECT_TRUE(editor.isNull());

    auto* doomed = new FakeProject;
    StartFilterEditor(*doomed, -1);
    editor = Editor();
    delete doomed;
    Settle();
    EXPECT_TRUE(editor.isNull());
}

TEST(FilterFieldMappingTest, FieldsAndFiltersRoundTripForEveryKind) {
    const TFilterFields typed[] = {
        {4, 80, 0.6, 0}, {3, 25, 0.5, 0}, {2, 1.5, 0.8, 0}, {35, 0.9, 18, 0.6},
        {60, 4, -3, 0},  {4, 22, 0, 0},   {-2, 0, 0, 0},
    };
    for (std::int32_t kind = 0; kind < kFilterKindCount; ++kind) {
        std::unique_ptr<TFilterBase> filter = CreateFilter(kind);
        std::string reason;
        ASSERT_TRUE(FieldsToFilter(typed[kind], 0, *filter, reason)) << kind << " " << reason;
        const TFilterFields shown = FieldsOfFilter(*filter);
        for (std::size_t row = 0; row < shown.size(); ++row)
            EXPECT_NEAR(shown[row], typed[kind][row], 1e-12) << kind << " " << row;
        EXPECT_TRUE(filter->Enabled);
        const auto rows = FilterFieldRows(kind);
        for (std::size_t row = 0; row < rows.size(); ++row)
            if (rows[row].caption == nullptr) {
                EXPECT_EQ(typed[kind][row], 0.0) << "a hidden row carries nothing";
            }
    }
    EXPECT_EQ(CreateFilter(kFilterKindCount), nullptr);
    EXPECT_EQ(NewEditorFilter(kFilterKindCount, 0, 0, 0), nullptr);
}

TEST(FilterFieldMappingTest, ARefusedDesignLeavesTheFilterAsItWas) {
    std::unique_ptr<TFilterBase> filter = NewEditorFilter(fkParametricEQ, 0, 0, 0);
    ASSERT_TRUE(filter->Calculate());
    std::string reason;
    EXPECT_FALSE(FieldsToFilter({30, 0, 6, 0}, 0, *filter, reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_DOUBLE_EQ(static_cast<const TParametricEQ&>(*filter).Q, 2);
    EXPECT_TRUE(filter->HasResponse());
}

} // namespace
