#include "workspace/ValueChanger.h"

#include "model/Units.h"

#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

#include <memory>

namespace {

class ValueEditorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_valueeditor"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { SetDecimalSeparator(0); }

    TfrmEditor* Open(double minimum = 0.1) {
        return TfrmEditor::CreateFor(
            &owner, &value, [this] { ++changes; }, minimum, "Ql [rear]");
    }
    // A mouse event on the drag handle at a global position, as a real drag delivers it.
    static void SendMouse(QWidget* handle, QEvent::Type type, int globalY, Qt::MouseButtons buttons) {
        const QPointF global(100, globalY);
        QMouseEvent event(type, handle->mapFromGlobal(global), global,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(handle, &event);
    }

    QWidget owner;
    double value = 5;
    int changes = 0;
};

TEST_F(ValueEditorTest, OpensWithCaptionAndValueWithoutChangingIt) {
    value = 7.12345;
    TfrmEditor* editor = Open();
    EXPECT_EQ(editor->windowTitle(), "Ql [rear]");
    EXPECT_EQ(editor->ValueField()->text(), "7.123");
    EXPECT_EQ(editor->DragHandle()->toolTip(), "Drag this area with mouse to change value.");
    EXPECT_TRUE(editor->isVisible());
    // Showing is not storing: the digits the field cannot show are kept.
    EXPECT_EQ(value, 7.12345);
    EXPECT_EQ(changes, 0);
    // Leaving the field untouched keeps them as well.
    editor->CommitText();
    EXPECT_EQ(value, 7.12345);
    EXPECT_EQ(changes, 0);
}

struct TypingCase {
    const char* text;
    double minimum;
    double stored;
    int changes;
    const char* shown;
};

TEST_F(ValueEditorTest, TypedTextIsJudgedOnEnter) {
    const TypingCase cases[] = {
        {"7.5", 0.1, 7.5, 1, "7.500"}, {"2,25", 0.1, 2.25, 1, "2.250"},
        {"0", 0.1, 0.1, 1, "0.100"},                               // below the minimum: the minimum
        {"-3", 0.1, 0.1, 1, "0.100"},  {"", 0.1, 0.1, 1, "0.100"}, // an empty field means 0
        {"0", 0, 0, 0, "0.000"},                                   // stored, but nothing to report at 0
        {"abc", 0.1, 5, 0, "5.000"},                               // not a number: the last value comes back
        {"1e999", 0.1, 5, 0, "5.000"},                             // not finite: likewise
    };
    for (const TypingCase& c : cases) {
        SCOPED_TRACE(c.text);
        value = 5;
        changes = 0;
        QPointer<TfrmEditor> editor = Open(c.minimum);
        editor->ValueField()->setText(QString::fromUtf8(c.text));
        EXPECT_EQ(value, 5) << "judged before it was committed";
        editor->CommitText();
        EXPECT_DOUBLE_EQ(value, c.stored);
        EXPECT_EQ(changes, c.changes);
        EXPECT_EQ(editor->ValueField()->text(), QString::fromUtf8(c.shown));
        delete editor.data();
    }
}

TEST_F(ValueEditorTest, EnterCommitsAndClosesEscapeDropsTheTyping) {
    QPointer<TfrmEditor> editor = Open();
    editor->ValueField()->setText("3");
    QTest::keyClick(editor->ValueField(), Qt::Key_Return);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(changes, 1);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull()) << "a closed editor frees itself";

    editor = Open();
    editor->ValueField()->setText("9");
    QTest::keyClick(editor->ValueField(), Qt::Key_Escape);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(changes, 1);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
}

TEST_F(ValueEditorTest, DraggingMovesAPointOnePerPixelAndStopsAtTheMinimum) {
    value = 1;
    TfrmEditor* editor = Open();
    QWidget* handle = editor->DragHandle();
    SendMouse(handle, QEvent::MouseButtonPress, 500, Qt::LeftButton);
    SendMouse(handle, QEvent::MouseMove, 490, Qt::LeftButton); // 10 pixels up
    EXPECT_NEAR(value, 2, 1e-12);
    EXPECT_EQ(editor->ValueField()->text(), "2.000");
    EXPECT_EQ(changes, 1);
    SendMouse(handle, QEvent::MouseMove, 490, Qt::LeftButton); // sideways only: nothing to report
    EXPECT_EQ(changes, 1);
    SendMouse(handle, QEvent::MouseMove, 700, Qt::LeftButton); // far down
    EXPECT_EQ(value, 0.1);
    EXPECT_EQ(editor->ValueField()->text(), "0.100");
    EXPECT_EQ(changes, 2);
    SendMouse(handle, QEvent::MouseMove, 695, Qt::LeftButton); // up again from where the mouse is
    EXPECT_NEAR(value, 0.6, 1e-12);
    SendMouse(handle, QEvent::MouseButtonRelease, 695, Qt::NoButton);
    SendMouse(handle, QEvent::MouseMove, 600, Qt::NoButton); // no button: no change
    EXPECT_NEAR(value, 0.6, 1e-12);
    EXPECT_EQ(changes, 3);
}

TEST_F(ValueEditorTest, ArrowKeysStepLikeOnePixelOfDragging) {
    value = 1;
    TfrmEditor* editor = Open();
    QTest::keyClick(editor->ValueField(), Qt::Key_Up);
    QTest::keyClick(editor->ValueField(), Qt::Key_Up);
    EXPECT_NEAR(value, 1.2, 1e-12);
    for (int i = 0; i < 20; ++i)
        QTest::keyClick(editor->ValueField(), Qt::Key_Down);
    EXPECT_EQ(value, 0.1);
    EXPECT_EQ(editor->ValueField()->text(), "0.100");
}

TEST_F(ValueEditorTest, ClosesWithItsOwner) {
    auto ownerWindow = std::make_unique<QWidget>();
    ownerWindow->show();
    double loss = 10;
    QPointer<TfrmEditor> editor = TfrmEditor::CreateFor(ownerWindow.get(), &loss, {}, 0.1, "Qp [front]");
    editor->ValueField()->setText("4");
    ownerWindow->close(); // the owner closing keeps what was typed
    EXPECT_EQ(loss, 4);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());

    ownerWindow->show();
    editor = TfrmEditor::CreateFor(ownerWindow.get(), &loss, {}, 0.1, "Qp [front]");
    editor->ValueField()->setText("6");
    ownerWindow->hide(); // on the way out: nothing is written any more
    editor->CommitText();
    EXPECT_EQ(loss, 4);

    editor = TfrmEditor::CreateFor(ownerWindow.get(), &loss, {}, 0.1, "Qp [front]");
    ownerWindow.reset();
    EXPECT_TRUE(editor.isNull());
}

TEST(ValueEditorPlace, OpensAtTheMouseButWhollyOnTheScreen) {
    const QRect screen(0, 30, 1600, 970); // a panel above
    const QSize frame(170, 45);
    struct Case {
        QPoint Cursor;
        QPoint Expected;
    };
    const Case cases[] = {
        {{500, 400}, {500, 400}},   // room everywhere
        {{1550, 400}, {1430, 400}}, // right edge: moved left
        {{500, 990}, {500, 955}},   // bottom edge: moved up
        {{1599, 999}, {1430, 955}}, // corner
        {{-20, 5}, {0, 30}},        // left of and above the area
    };
    for (const Case& c : cases)
        EXPECT_EQ(TfrmEditor::PlaceAt(c.Cursor, frame, screen), c.Expected)
            << c.Cursor.x() << "," << c.Cursor.y();
}

TEST_F(ValueEditorTest, OpensWhereTheMouseIs) {
    owner.show();
    QCursor::setPos(300, 200);
    if (QCursor::pos() != QPoint(300, 200))
        GTEST_SKIP() << "this platform does not move the mouse";
    QPointer<TfrmEditor> editor = Open();
    EXPECT_EQ(editor->pos(), QPoint(300, 200));
    editor->close();
}

} // namespace
