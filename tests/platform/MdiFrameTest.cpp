// The frames of the fixed tool windows in a workspace: their title-bar boxes and their place.

#include "platform/MdiFrame.h"

#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>

#include <cstdlib>

namespace {

class MdiFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_mdiframe"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }
};

// The user drags the frame's bottom right corner 50 pixels right and down, as the mouse does it:
// over the corner first, then pressed, moved and released.
void DragCorner(QMdiSubWindow& frame) {
    const QPoint corner(frame.width() - 2, frame.height() - 2);
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(frame.mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(&frame, &event);
    };
    send(QEvent::MouseMove, corner, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, corner, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, corner + QPoint(50, 50), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, corner + QPoint(50, 50), Qt::LeftButton, Qt::NoButton);
}

bool OffersSize(QMdiSubWindow& frame) {
    for (QAction* item : frame.systemMenu()->actions())
        if (item->text() == QMdiSubWindow::tr("&Size"))
            return item->isVisible() && item->isEnabled();
    return false;
}

TEST_F(MdiFrameTest, AFixedFrameHasTheSystemMenuMinimiseAndCloseBoxOnly) {
    QMdiArea area;
    auto* window = new QLabel("Tool window");
    QMdiSubWindow* frame = area.addSubWindow(window);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    MakeFixedFrame(*window);
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(MdiFrameTest, OnlyTheProgramSizesAFixedFrame) {
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    auto* plain = new QLabel("Sizeable");
    plain->setMinimumSize(300, 200);
    QMdiSubWindow* sizeable = area.addSubWindow(plain);
    auto* window = new QLabel("Tool window");
    window->setMinimumSize(300, 200);
    QMdiSubWindow* fixed = area.addSubWindow(window);
    MakeFixedFrame(*window);
    sizeable->show();
    fixed->show();
    QCoreApplication::processEvents();

    // The same drag that sizes a plain frame leaves a fixed one as it is.
    const QSize before = sizeable->size();
    DragCorner(*sizeable);
    EXPECT_EQ(sizeable->size(), before + QSize(50, 50));
    EXPECT_TRUE(OffersSize(*sizeable));
    const QSize fixedSize = fixed->size();
    DragCorner(*fixed);
    EXPECT_EQ(fixed->size(), fixedSize);
    EXPECT_FALSE(OffersSize(*fixed));

    // The window's contents still size it.
    window->setMinimumSize(400, 300);
    fixed->adjustSize();
    EXPECT_GE(fixed->width(), 400);
    EXPECT_GE(fixed->height(), 300);
}

TEST_F(MdiFrameTest, ACentredFrameLiesInTheMiddleOfItsWorkspaceOrAtItsCorner) {
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    auto* window = new QLabel("Tool window");
    window->setMinimumSize(300, 200);
    QMdiSubWindow* frame = area.addSubWindow(window);
    frame->show();
    CentreFrame(*window);
    const QPoint middle = area.viewport()->rect().center();
    EXPECT_LE(std::abs(frame->geometry().center().x() - middle.x()), 1);
    EXPECT_LE(std::abs(frame->geometry().center().y() - middle.y()), 1);

    // Larger than the workspace: its title bar stays in reach, at the top left.
    window->setMinimumSize(2000, 1500);
    CentreFrame(*window);
    EXPECT_EQ(frame->pos(), QPoint(0, 0));
}

TEST_F(MdiFrameTest, AWindowWithoutAFrameIsLeftAsItIs) {
    QLabel window("Alone");
    window.move(40, 50);
    const Qt::WindowFlags flags = window.windowFlags();
    MakeFixedFrame(window);
    CentreFrame(window);
    EXPECT_EQ(window.windowFlags(), flags);
    EXPECT_EQ(window.pos(), QPoint(40, 50));
}

} // namespace
