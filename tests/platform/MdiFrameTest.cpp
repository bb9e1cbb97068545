// The frames of the fixed tool windows in a workspace: their title-bar boxes and their place.

#include "platform/MdiFrame.h"

#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <cstdlib>

namespace {

class MdiFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_mdiframe"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }
};

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
