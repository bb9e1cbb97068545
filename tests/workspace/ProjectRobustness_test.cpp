// Random input against the project windows: projects of all five box types open offscreen, a
// few thousand random key presses, typed texts, arrow keys, list choices, clicks and box-picture
// drags, with every dialog scripted. Nothing may crash or hang, and no record and no saved file
// may hold a number that is not finite. Windows that embed in the project window join here.

#include "ProjectTestSupport.h"

#include "workspace/DrvParams.h"
#include "workspace/FilterEditor.h"
#include "workspace/HV_Menu.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <cmath>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

using namespace projecttest;

namespace {

::testing::Environment* const home = ::testing::AddGlobalTestEnvironment(new TempHome);

const char* const kTexts[] = {"0",   "1",   "-1", "0.5",   "1,5",   "42",     "1e308",        "-1e308", "nan",
                              "inf", "-0",  "",   "abc",   "12abc", "1e-300", "999999999999", "3.",     ".",
                              ",",   "1e9", "7",  "0.001", "-0.0",  "  8 ",   "1e400"};

class Fuzzer {
public:
    explicit Fuzzer(unsigned seed) : m_Random(seed) {}

    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_Random); }
    QString Text() {
        if (Pick(4) == 0) {
            // A string of random digits, signs and letters.
            static const char alphabet[] = "0123456789.,-+eEnaix ";
            QString text;
            for (int i = Pick(12); i > 0; --i)
                text += alphabet[Pick(static_cast<int>(sizeof alphabet) - 1)];
            return text;
        }
        return kTexts[Pick(static_cast<int>(std::size(kTexts)))];
    }

private:
    std::mt19937 m_Random;
};

bool AllFinite(TfrmProject& window) {
    for (int field = 0; field <= static_cast<int>(TProjectField::LineWidth); ++field)
        if (!std::isfinite(window.FieldValue(static_cast<TProjectField>(field))))
            return false;
    const TBoxData& b = window.box;
    for (double value : {b.Vr, b.Fr, b.Vf, b.Ff, b.Sdfport, b.Sdrport, b.Fsm, b.RearVent.carea, b.RearVent.Fb,
                         b.RearVent.len, b.FrontVent.carea, b.FrontVent.len, b.FrontVent.firstResonance,
                         b.RearVent.firstResonance, window.c, window.rho, window.Qtc, window.Fc})
        if (!std::isfinite(value))
            return false;
    return true;
}

void Act(Fuzzer& fuzz, TfrmProject& window, platform::ScriptedDialogs& dialogs) {
    const QList<QLineEdit*> edits = window.findChildren<QLineEdit*>();
    const QList<QComboBox*> combos = window.findChildren<QComboBox*>();
    switch (fuzz.Pick(10)) {
    case 0:
    case 1:
    case 2: { // type and commit with Enter or by leaving the field
        QLineEdit* edit = edits[fuzz.Pick(static_cast<int>(edits.size()))];
        if (!edit->isEnabled() || edit->isReadOnly())
            return;
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, fuzz.Text());
        if (fuzz.Pick(2) == 0)
            QTest::keyClick(edit, Qt::Key_Return);
        else
            window.Control("edBrand")->setFocus();
        break;
    }
    case 3: { // arrow keys
        QLineEdit* edit = edits[fuzz.Pick(static_cast<int>(edits.size()))];
        if (!edit->isEnabled())
            return;
        edit->setFocus();
        for (int i = fuzz.Pick(30); i >= 0; --i)
            QTest::keyClick(edit, fuzz.Pick(2) == 0 ? Qt::Key_Up : Qt::Key_Down);
        break;
    }
    case 4: { // a choice from a list
        QComboBox* combo = combos[fuzz.Pick(static_cast<int>(combos.size()))];
        if (combo->count() == 0)
            return;
        const int item = fuzz.Pick(combo->count());
        combo->setCurrentIndex(item);
        emit combo->activated(item);
        break;
    }
    case 5: { // a box-picture drag
        const Qt::MouseButton button = fuzz.Pick(2) == 0 ? Qt::LeftButton : Qt::RightButton;
        QPoint at(fuzz.Pick(200), fuzz.Pick(200));
        window.BoxPicMouseDown(button, at);
        for (int i = fuzz.Pick(40); i >= 0; --i) {
            at += QPoint(fuzz.Pick(61) - 30, fuzz.Pick(61) - 30);
            window.BoxPicMouseMove(button, fuzz.Pick(10) == 0 ? Qt::ShiftModifier : Qt::NoModifier, at);
        }
        window.BoxPicMouseUp();
        break;
    }
    case 6: { // buttons, unit labels and lock labels (not the driver handle, whose drag blocks)
        QList<QWidget*> targets;
        for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
            if (button->objectName() != "btnRAdv" && button->objectName() != "btnFAdv")
                targets << button;
        for (QLabel* label : window.findChildren<QLabel*>())
            if (label->focusPolicy() == Qt::TabFocus)
                targets << label;
        QWidget* target = targets[fuzz.Pick(static_cast<int>(targets.size()))];
        if (auto* button = qobject_cast<QAbstractButton*>(target)) {
            dialogs.colourAnswers.push_back(0x00FF00 + fuzz.Pick(255));
            button->click();
        } else {
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Space);
        }
        break;
    }
    case 7: { // the advanced menus and the value editor
        std::unique_ptr<THV_PopupMenu> menu = window.BuildAdvancedMenu(fuzz.Pick(2) == 0);
        QList<QAction*> items;
        for (QAction* action : menu->actions())
            if (action->isEnabled())
                items << action;
        if (items.isEmpty())
            return;
        items[fuzz.Pick(static_cast<int>(items.size()))]->trigger();
        if (TfrmEditor* editor = window.ValueEditor()) {
            editor->StepBy(fuzz.Pick(400) - 200);
            editor->ValueField()->setText(fuzz.Text());
            editor->CommitText();
            editor->close();
        }
        break;
    }
    case 9: { // the filter editor: a kind, random fields, apply or add
        if (frmFilterEditor == nullptr || fuzz.Pick(3) == 0) {
            auto* list = qobject_cast<QListWidget*>(window.Control("lstEQS"));
            list->setCurrentRow(list->count() > 0 ? fuzz.Pick(list->count()) : -1);
            if (fuzz.Pick(2) == 0)
                window.btnAddEqClick();
            else
                window.btnModifyEqClick();
        }
        TfrmFilterEditor* editor = frmFilterEditor;
        if (editor == nullptr)
            return;
        editor->cbTypeChange(fuzz.Pick(kFilterKindCount));
        for (QLineEdit* edit : editor->findChildren<QLineEdit*>()) {
            if (!edit->isVisibleTo(editor) || fuzz.Pick(2) == 0)
                continue;
            edit->setFocus();
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, fuzz.Text());
            QTest::keyClick(edit, Qt::Key_Return);
        }
        if (fuzz.Pick(2) == 0)
            editor->btnApplyClick();
        else
            editor->btnAddClick();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        break;
    }
    case 8: { // the driver-parameter panel and the filter list
        dialogs.inputAnswers.push_back(fuzz.Text().toStdString());
        window.ParamsPanel()->ChangeValue(fuzz.Pick(TfrmTinyParams::kValueCount));
        auto* list = qobject_cast<QListWidget*>(window.Control("lstEQS"));
        if (list->count() > 0) {
            list->setCurrentRow(fuzz.Pick(list->count()));
            if (fuzz.Pick(3) == 0)
                window.btnDelEqClick();
            else
                list->item(list->currentRow())
                    ->setCheckState(fuzz.Pick(2) == 0 ? Qt::Checked : Qt::Unchecked);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        break;
    }
    }
}

TEST(ProjectRobustness, RandomInputLeavesEveryNumberFinite) {
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(dialogs);
    FakeMainWindow main;
    std::vector<TfrmProject*> windows;
    for (int type = 0; type < kProjectBoxTypeCount; ++type) {
        TfrmProject* window = NewProject(main, type);
        window->show();
        windows.push_back(window);
    }
    Fuzzer fuzz(20261210);
    constexpr int kActions = 3000;
    for (int i = 0; i < kActions; ++i) {
        TfrmProject& window = *windows[static_cast<std::size_t>(fuzz.Pick(static_cast<int>(windows.size())))];
        Act(fuzz, window, dialogs);
        ASSERT_TRUE(AllFinite(window)) << "after action " << i;
        // Scripted answers a step did not use must not feed the next one.
        dialogs.colourAnswers.clear();
        dialogs.inputAnswers.clear();
        dialogs.messageAnswers.clear();
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto path = TempHome::folder / ("random" + std::to_string(i) + ".bvp");
        dialogs.saveAnswers.push_back(path.string());
        ASSERT_TRUE(windows[i]->SaveProject());
        std::ifstream file(path);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        // Every number of the file is finite; texts (names, comments, filter lines) may hold anything.
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            const std::size_t equals = line.find('=');
            if (line.empty() || line[0] == '[' || equals == std::string::npos)
                continue;
            const std::string key = line.substr(0, equals);
            static const std::set<std::string> texts = {"Brand",      "Model",   "Manufacturer",
                                                        "ProvidedBy", "Comment", "Description",
                                                        "Creator",    "ParState"};
            if (texts.count(key) != 0 || key.ends_with("params"))
                continue;
            std::string value = line.substr(equals + 1);
            for (char& c : value)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_EQ(value.find("nan"), std::string::npos) << line;
            EXPECT_EQ(value.find("inf"), std::string::npos) << line;
        }
    }
}

} // namespace
