// What a designer types into the project window's fields is what the project gets.

#include "ProjectTestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

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
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
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

} // namespace
