#include "flatctl/TFlatHintUnit.h"

#include "FlatTestSupport.h"
#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <memory>
#include <ostream>
#include <string>

namespace {

using flattest::App;
using platformtest::kWaitLimit;

struct PlacementCase {
    const char* name;
    QPoint cursor;
    int quadrant;
    QRect rect; // for a 100 x 40 bubble on a 1000 x 800 screen
};

void PrintTo(const PlacementCase& c, std::ostream* os) {
    *os << c.name;
}

class HintPlacement : public testing::TestWithParam<PlacementCase> {};

TEST_P(HintPlacement, AwayFromTheCursorInItsQuarter) {
    const PlacementCase& c = GetParam();
    const TFlatHintPlacement placement = PlaceFlatHint(c.cursor, QRect(0, 0, 1000, 800), QSize(100, 40));
    EXPECT_EQ(placement.Quadrant, c.quadrant);
    EXPECT_EQ(placement.Rect, c.rect);
}

INSTANTIATE_TEST_SUITE_P(Quarters, HintPlacement,
                         testing::Values(
                             // Upper left: to the lower right, 12 pixels off.
                             PlacementCase{"UpperLeft", {100, 100}, 1, QRect(112, 112, 100, 40)},
                             PlacementCase{"UpperRight", {700, 100}, 0, QRect(595, 105, 100, 40)},
                             PlacementCase{"LowerLeft", {100, 700}, 3, QRect(105, 655, 100, 40)},
                             PlacementCase{"LowerRight", {700, 700}, 2, QRect(595, 655, 100, 40)},
                             // The halves belong to the right and the lower side.
                             PlacementCase{"CentreIsLowerRight", {500, 400}, 2, QRect(395, 355, 100, 40)},
                             PlacementCase{"JustLeftOfCentre", {499, 399}, 1, QRect(511, 411, 100, 40)}),
                         [](const testing::TestParamInfo<PlacementCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(HintPlacement, ScreensAwayFromTheOriginSplitAtTheirOwnMiddle) {
    EXPECT_EQ(FlatHintQuadrant(QPoint(1100, 100), QRect(1000, 0, 1000, 800)), 1);
    EXPECT_EQ(FlatHintQuadrant(QPoint(1600, 100), QRect(1000, 0, 1000, 800)), 0);
}

TEST(HintSize, WrapsWithinMaxHintWidth) {
    App();
    const QFont font;
    const QFontMetrics metrics(font);
    const QString shortText = "Vas";
    const QSize small = FlatHintSize(font, shortText, 200);
    EXPECT_EQ(small.width(), metrics.horizontalAdvance(shortText) + 22);
    EXPECT_EQ(small.height(), metrics.height() + 6);

    const QString longText = "Equivalent volume of the suspension's compliance, the air volume that has the "
                             "same stiffness as the cone's suspension.";
    const QSize wrapped = FlatHintSize(font, longText, 200);
    EXPECT_LE(wrapped.width(), 200);
    EXPECT_GE(wrapped.height(), 3 * metrics.height() + 6) << "several lines";
    const QSize wider = FlatHintSize(font, longText, 400);
    EXPECT_LE(wider.width(), 400);
    EXPECT_LT(wider.height(), wrapped.height());
}

struct HintFixture : testing::Test {
    HintFixture() {
        control.setToolTip("Box volume");
        control.resize(80, 20);
        control.show();
    }
    bool AskApplication(const QPoint& global) {
        QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), global);
        QApplication::sendEvent(&control, &event);
        return hint.HintWindow() != nullptr && hint.HintWindow()->isVisible();
    }
    QApplication& app = App();
    TFlatHint hint;
    QLabel control{"Vb"};
};

TEST_F(HintFixture, NoBubbleUntilTheMainWindowSetsItsHandler) {
    EXPECT_EQ(TFlatHint::Installed(), &hint);
    EXPECT_FALSE(AskApplication(QPoint(100, 100)));
}

TEST_F(HintFixture, TheHandlerDecidesAndMayChangeTheText) {
    bool helpMode = false;
    QWidget* asked = nullptr;
    hint.SetShowHintHandler([&](QString& text, bool& canShow, THintInfo& info) {
        asked = info.HintControl;
        canShow = helpMode;
        text += " (net)";
    });
    EXPECT_FALSE(AskApplication(QPoint(100, 100))) << "help mode off";
    EXPECT_EQ(asked, &control);
    helpMode = true;
    ASSERT_TRUE(AskApplication(QPoint(100, 100)));
    EXPECT_EQ(hint.HintWindow()->Text(), "Box volume (net)");
    helpMode = false;
    EXPECT_FALSE(AskApplication(QPoint(100, 100))) << "a refused hint hides the last bubble";
}

TEST_F(HintFixture, BubbleStripAndArrowFollowTheQuadrant) {
    hint.SetShowHintHandler([](QString&, bool& canShow, THintInfo&) { canShow = true; });
    ASSERT_TRUE(hint.ShowHint(&control, QPoint(100, 100)));
    TFlatHintWindow* bubble = hint.HintWindow();
    const QRect screen = QGuiApplication::screenAt(QPoint(100, 100)) != nullptr
                             ? QGuiApplication::screenAt(QPoint(100, 100))->geometry()
                             : QRect();
    ASSERT_TRUE(screen.isValid());

    // Upper left: the strip on the left, the arrow head at its top left.
    ASSERT_TRUE(hint.ShowHint(&control, screen.topLeft() + QPoint(100, 100)));
    EXPECT_EQ(bubble->Quadrant(), 1);
    EXPECT_EQ(bubble->StripRect(), QRect(1, 1, 14, bubble->height() - 2));
    EXPECT_EQ(bubble->ArrowAnchor(), QPoint(3, 3));
    QImage image = bubble->grab().toImage();
    EXPECT_EQ(QColorToTColor(image.pixelColor(0, 0)), clBlack) << "border";
    EXPECT_EQ(QColorToTColor(image.pixelColor(12, bubble->height() - 3)), 0x53D2FF);
    EXPECT_EQ(QColorToTColor(image.pixelColor(3, 3)), clBlack) << "the arrow's anchor";
    EXPECT_EQ(QColorToTColor(image.pixelColor(bubble->width() - 3, bubble->height() - 3)), clWhite);

    // Lower right: the bubble to the upper left, the strip on the right, the head at its bottom right.
    const QPoint lowerRight = screen.bottomRight() - QPoint(50, 50);
    ASSERT_TRUE(hint.ShowHint(&control, lowerRight));
    EXPECT_EQ(bubble->Quadrant(), 2);
    EXPECT_EQ(bubble->geometry().bottomRight(), lowerRight - QPoint(6, 6));
    const int w = bubble->width(), h = bubble->height();
    EXPECT_EQ(bubble->StripRect(), QRect(w - 15, 1, 14, h - 2));
    EXPECT_EQ(bubble->ArrowAnchor(), QPoint(w - 4, h - 4));
    image = bubble->grab().toImage();
    EXPECT_EQ(QColorToTColor(image.pixelColor(w - 4, h - 4)), clBlack);
    EXPECT_EQ(QColorToTColor(image.pixelColor(w - 14, 2)), 0x53D2FF);
    EXPECT_EQ(QColorToTColor(image.pixelColor(2, 2)), clWhite);
}

TEST_F(HintFixture, HidesOnAKeyOrAfterTheHidePause) {
    hint.SetShowHintHandler([](QString&, bool& canShow, THintInfo&) { canShow = true; });
    ASSERT_TRUE(AskApplication(QPoint(100, 100)));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QApplication::sendEvent(&control, &key);
    EXPECT_FALSE(hint.HintWindow()->isVisible());

    hint.SetHintHidePause(10);
    ASSERT_TRUE(AskApplication(QPoint(100, 100)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !hint.HintWindow()->isVisible(); }, kWaitLimit));
}

TEST_F(HintFixture, ShowsAfterTheMouseRestsForThePause) {
    hint.SetShowHintHandler([](QString&, bool& canShow, THintInfo&) { canShow = true; });
    hint.SetHintPause(20);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), control.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&control, &enter);
    EXPECT_TRUE(hint.HintWindow() == nullptr || !hint.HintWindow()->isVisible()) << "not before the pause";
    EXPECT_TRUE(hint.HintPending());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return hint.HintWindow() != nullptr && hint.HintWindow()->isVisible(); }, kWaitLimit));
    EXPECT_EQ(hint.HintWindow()->Text(), "Box volume");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&control, &leave);
    EXPECT_FALSE(hint.HintWindow()->isVisible());

    // Leaving before the pause ends shows nothing: the wait is called off, whatever the clock
    // says. The pointer goes far from the control, so that no real entering follows.
    QCursor::setPos(QPoint(3000, 3000));
    QApplication::processEvents();
    hint.SetHintPause(200);
    QApplication::sendEvent(&control, &enter);
    EXPECT_TRUE(hint.HintPending());
    QApplication::sendEvent(&control, &leave);
    EXPECT_FALSE(hint.HintPending());
    QApplication::processEvents();
    EXPECT_FALSE(hint.HintWindow()->isVisible());
}

TEST(FlatHint, ALaterHintTakesOverAndTheLastOneLeavesNothingInstalled) {
    App();
    auto first = std::make_unique<TFlatHint>();
    {
        TFlatHint second;
        EXPECT_EQ(TFlatHint::Installed(), &second);
    }
    EXPECT_EQ(TFlatHint::Installed(), nullptr);
    first.reset();
    EXPECT_EQ(TFlatHint::Installed(), nullptr);
}

} // namespace
