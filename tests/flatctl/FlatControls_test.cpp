#include "flatctl/FlatFrame.h"
#include "flatctl/FlatUtilitys.h"
#include "flatctl/TFlatCheckBoxUnit.h"
#include "flatctl/TFlatComboBoxUnit.h"
#include "flatctl/TFlatEditUnit.h"
#include "flatctl/TFlatMemoUnit.h"
#include "flatctl/TFlatRadioButtonUnit.h"

#include "FlatTestSupport.h"
#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

using platformtest::kWaitLimit;

namespace {

using flattest::App;

TColor Pixel(const QImage& image, int x, int y) {
    return QColorToTColor(image.pixelColor(x, y));
}

// For antialiased curves: every channel within `tolerance`.
bool Near(TColor a, TColor b, int tolerance = 40) {
    return std::abs(RedOf(a) - RedOf(b)) <= tolerance && std::abs(GreenOf(a) - GreenOf(b)) <= tolerance &&
           std::abs(BlueOf(a) - BlueOf(b)) <= tolerance;
}

QImage Grab(QWidget& widget) {
    return widget.grab().toImage();
}

// A shown, active window the controls live in, so focus and hover behave as on a desktop.
struct Window {
    Window() {
        layout = new QVBoxLayout(&frame);
        frame.resize(300, 300);
    }
    template <class T> T* Add(T* widget) {
        layout->addWidget(widget);
        return widget;
    }
    void Show() {
        frame.show();
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame, kWaitLimit));
    }
    QApplication& app = App();
    QWidget frame;
    QVBoxLayout* layout;
};

void Enter(QWidget* widget) {
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(widget, &event);
}

void Leave(QWidget* widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

// --- Colour derivation and drawing helpers ---------------------------------------------

TEST(AdjustColorLightness, ZeroPercentKeepsTheCurrentColour) {
    EXPECT_EQ(AdjustColorLightness(0xE1EAEB, 0x123456, 0, TLightness::Lighten), 0x123456);
}

TEST(AdjustColorLightness, LightnessIsBoundedByHundredAndZero) {
    struct Case {
        TColor base;
        int percentage;
        TLightness direction;
        int lightness;
    };
    // 0xE1EAEB has lightness 216 of 240; ten are added before the step.
    const Case cases[] = {{0xE1EAEB, 10, TLightness::Lighten, 100},
                          {0xE1EAEB, 50, TLightness::Darken, 176},
                          {clBlack, 50, TLightness::Lighten, 60},
                          {clBlack, 50, TLightness::Darken, 0},
                          {clWhite, 100, TLightness::Lighten, 100}};
    for (const Case& c : cases) {
        int H = 0, S = 0, L = 0;
        RGBtoHSLRange(AdjustColorLightness(c.base, clWhite, c.percentage, c.direction), H, S, L);
        EXPECT_NEAR(L, c.lightness, 1) << std::hex << c.base << std::dec << " " << c.percentage;
    }
}

TEST(GdiDrawing, RectanglesLeaveOutTheirRightAndBottomEdge) {
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    GdiFrameRect(painter, GdiRect(2, 2, 8, 6), Qt::black);
    GdiFillRect(painter, GdiRect(10, 10, 12, 13), Qt::red);
    painter.end();
    EXPECT_EQ(Pixel(image, 2, 2), clBlack);
    EXPECT_EQ(Pixel(image, 7, 5), clBlack);
    EXPECT_EQ(Pixel(image, 8, 5), clWhite);
    EXPECT_EQ(Pixel(image, 7, 6), clWhite);
    EXPECT_EQ(Pixel(image, 4, 4), clWhite) << "a frame is one pixel wide";
    EXPECT_EQ(Pixel(image, 11, 12), RGBColor(255, 0, 0));
    EXPECT_EQ(Pixel(image, 12, 12), clWhite);
    EXPECT_EQ(Pixel(image, 11, 13), clWhite);
}

TEST(GdiDrawing, LinesLeaveOutTheirEndPixel) {
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    GdiLine(painter, 2, 1, 6, 1, Qt::black);
    GdiLine(painter, 2, 4, 6, 8, Qt::black);
    GdiLine(painter, 15, 10, 15, 6, Qt::black);
    GdiLine(painter, 18, 18, 18, 18, Qt::black);
    painter.end();
    EXPECT_EQ(Pixel(image, 2, 1), clBlack);
    EXPECT_EQ(Pixel(image, 5, 1), clBlack);
    EXPECT_EQ(Pixel(image, 6, 1), clWhite);
    EXPECT_EQ(Pixel(image, 2, 4), clBlack);
    EXPECT_EQ(Pixel(image, 5, 7), clBlack);
    EXPECT_EQ(Pixel(image, 6, 8), clWhite);
    EXPECT_EQ(Pixel(image, 15, 10), clBlack);
    EXPECT_EQ(Pixel(image, 15, 7), clBlack);
    EXPECT_EQ(Pixel(image, 15, 6), clWhite);
    EXPECT_EQ(Pixel(image, 18, 18), clWhite) << "a line of no length draws nothing";
}

TEST(FlatUtilitys, RectsOverlapNeedsACommonPixel) {
    EXPECT_TRUE(RectsOverlap(GdiRect(0, 0, 10, 10), GdiRect(9, 9, 20, 20)));
    EXPECT_FALSE(RectsOverlap(GdiRect(0, 0, 10, 10), GdiRect(10, 0, 20, 10)));
    EXPECT_FALSE(RectsOverlap(GdiRect(0, 0, 10, 10), QRect()));
}

TEST(FlatUtilitys, PaintParentBackgroundWithoutParentPaintsNothing) {
    App();
    QWidget lonely;
    lonely.resize(10, 10);
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter painter(&image);
    PaintParentBackground(&lonely, painter);
    painter.end();
    EXPECT_EQ(Pixel(image, 5, 5), RGBColor(0, 0, 255));
}

TEST(FlatUtilitys, PaintParentBackgroundShowsTheParentUnderTheControl) {
    App();
    QWidget parent;
    parent.resize(40, 40);
    QPalette colours = parent.palette();
    colours.setColor(QPalette::Window, QColor(10, 200, 30));
    parent.setPalette(colours);
    parent.setAutoFillBackground(true);
    QWidget child(&parent);
    child.setGeometry(10, 10, 10, 10);
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintParentBackground(&child, painter);
    painter.end();
    EXPECT_EQ(Pixel(image, 0, 0), RGBColor(10, 200, 30));
    EXPECT_EQ(Pixel(image, 9, 9), RGBColor(10, 200, 30));
}

TEST(ResolveColor, SystemColoursFollowThePalette) {
    QPalette colours;
    colours.setColor(QPalette::Active, QPalette::Base, QColor(1, 2, 3));
    colours.setColor(QPalette::Active, QPalette::Button, QColor(4, 5, 6));
    EXPECT_EQ(ColorToRGB(clWindow, colours), RGBColor(1, 2, 3));
    EXPECT_EQ(ColorToRGB(clBtnFace, colours), RGBColor(4, 5, 6));
    EXPECT_EQ(ColorToRGB(0x8396A0, colours), RGBColor(160, 150, 131));
}

// --- Edit and memo ---------------------------------------------------------------------------

constexpr TColor Border = 0x8396A0;
constexpr TColor Flat = 0xE1EAEB;

TEST(FlatEdit, DefaultsAndFlatFrame) {
    Window window;
    window.Add(new QLineEdit)->setFocus();
    auto* edit = window.Add(new TFlatEdit);
    window.Show();
    EXPECT_EQ(edit->ColorFocused(), clWhite);
    EXPECT_EQ(edit->ColorBorder(), Border);
    EXPECT_EQ(edit->ColorFlat(), Flat);
    EXPECT_TRUE(edit->ParentColor());
    EXPECT_EQ(edit->AdvColorFocused(), 10);
    EXPECT_EQ(edit->AdvColorBorder(), 50);
    EXPECT_FALSE(edit->UseAdvColors());
    EXPECT_EQ(edit->sizeHint().height(), edit->fontMetrics().height() + 6);

    const QImage image = Grab(*edit);
    const int w = image.width(), h = image.height();
    for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, 0}})
        EXPECT_EQ(Pixel(image, x, y), Border) << x << "," << y;
    EXPECT_EQ(Pixel(image, 1, 1), Flat);
    EXPECT_EQ(Pixel(image, 2, h / 2), Flat);
    EXPECT_EQ(Pixel(image, w - 5, h / 2), Flat) << "the text area takes the face colour";
}

struct EditState {
    const char* name;
    bool focused, hovered, disabled;
    TColor face;
};

void PrintTo(const EditState& state, std::ostream* os) {
    *os << state.name;
}

class FlatEditStates : public testing::TestWithParam<EditState> {};

TEST_P(FlatEditStates, FaceColour) {
    const EditState& state = GetParam();
    Window window;
    auto* other = window.Add(new QLineEdit);
    auto* edit = window.Add(new TFlatEdit);
    window.Show();
    other->setFocus();
    if (state.focused)
        edit->setFocus();
    if (state.hovered)
        Enter(edit);
    edit->setEnabled(!state.disabled);
    QApplication::processEvents();
    const QImage image = Grab(*edit);
    EXPECT_EQ(Pixel(image, 0, 0), Border);
    EXPECT_EQ(Pixel(image, 1, 1), state.face);
    EXPECT_EQ(Pixel(image, image.width() - 5, image.height() / 2), state.face);
    if (state.hovered) {
        Leave(edit);
        EXPECT_EQ(Pixel(Grab(*edit), 1, 1), state.focused ? clWhite : Flat) << "mouse leave";
    }
}

INSTANTIATE_TEST_SUITE_P(States, FlatEditStates,
                         testing::Values(EditState{"Normal", false, false, false, Flat},
                                         EditState{"Focused", true, false, false, clWhite},
                                         EditState{"Hovered", false, true, false, clWhite},
                                         EditState{"FocusedAndHovered", true, true, false, clWhite},
                                         EditState{"Disabled", false, false, true, Flat}),
                         [](const testing::TestParamInfo<EditState>& info) {
                             return std::string(info.param.name);
                         });

TEST(FlatEdit, HoverDoesNotHighlightWhileAnotherFlatEditHasTheFocusButAMemoDoes) {
    Window window;
    auto* focused = window.Add(new TFlatEdit);
    auto* hovered = window.Add(new TFlatEdit);
    auto* memo = window.Add(new TFlatMemo);
    window.Show();
    focused->setFocus();
    QApplication::processEvents();
    Enter(hovered);
    Enter(memo);
    EXPECT_FALSE(hovered->Highlighted());
    EXPECT_EQ(Pixel(Grab(*hovered), 1, 1), Flat);
    EXPECT_TRUE(memo->Highlighted());
    EXPECT_EQ(Pixel(Grab(*memo), 1, 1), clWhite);
    // Once the focus leaves the flat edits, the edit under the mouse lights up.
    auto* plain = window.Add(new QLineEdit);
    plain->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(hovered->Highlighted());
    EXPECT_EQ(Pixel(Grab(*hovered), 1, 1), clWhite);
}

TEST(FlatEdit, DeletingAFocusedControlUnderTheMouseMovesTheFocusSafely) {
    Window window;
    auto* other = window.Add(new TFlatEdit);
    auto* edit = window.Add(new TFlatEdit);
    auto* memo = window.Add(new TFlatMemo);
    window.Show();
    Enter(other);
    for (QWidget* doomed : {static_cast<QWidget*>(edit), static_cast<QWidget*>(memo)}) {
        doomed->setFocus();
        QApplication::processEvents();
        Enter(doomed);
        delete doomed; // the focus moves while the control is half destroyed
        QApplication::processEvents();
    }
    EXPECT_TRUE(other->Highlighted());
}

TEST(FlatEdit, ColourWritesAndAdvancedColours) {
    Window window;
    auto* edit = window.Add(new TFlatEdit);
    // The project window marks an edit this way and restores it to the window colour.
    edit->SetColors(2, 0x808000);
    EXPECT_FALSE(edit->ParentColor());
    EXPECT_EQ(Pixel(Grab(*edit), 1, 1), RGBColor(0, 128, 128));
    edit->SetColors(2, clWindow);
    EXPECT_EQ(Pixel(Grab(*edit), 1, 1),
              QColorToTColor(edit->palette().color(QPalette::Active, QPalette::Base)));

    auto* fresh = window.Add(new TFlatEdit);
    fresh->SetUseAdvColors(true);
    EXPECT_EQ(fresh->ColorFlat(), Flat) << "ParentColor was already on";
    EXPECT_EQ(fresh->ColorFocused(), AdjustColorLightness(Flat, clWhite, 10, TLightness::Lighten));
    EXPECT_EQ(fresh->ColorBorder(), AdjustColorLightness(Flat, Border, 50, TLightness::Darken));
    EXPECT_EQ(Pixel(Grab(*fresh), 0, 0), fresh->ColorBorder());

    auto* parented = window.Add(new TFlatEdit);
    parented->SetColorFlat(0x123456);
    parented->SetParentColor(true);
    EXPECT_EQ(parented->ColorFlat(), QColorToTColor(window.frame.palette().color(QPalette::Window)));
}

TEST(FlatEdit, KeepsTheTextColourAWindowSets) {
    Window window;
    auto* edit = window.Add(new TFlatEdit("12.5"));
    QPalette colours = edit->palette();
    colours.setColor(QPalette::Text, Qt::blue);
    edit->setPalette(colours);
    window.Show();
    edit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(Qt::blue));
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(Qt::white));
}

TEST(FlatMemo, FrameAndCornerBetweenTheScrollBars) {
    Window window;
    window.Add(new QLineEdit)->setFocus();
    auto* memo = window.Add(new TFlatMemo);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    window.Show();
    const QImage image = Grab(*memo);
    const int w = image.width(), h = image.height();
    EXPECT_EQ(Pixel(image, 0, 0), Border);
    EXPECT_EQ(Pixel(image, w - 1, h - 1), Border);
    EXPECT_EQ(Pixel(image, 2, 2), Flat);
    EXPECT_EQ(Pixel(image, w - 6, h - 6), Flat) << "the corner between the scroll bars";
    EXPECT_EQ(Pixel(image, 10, 10), Flat);
}

// --- Combo box -------------------------------------------------------------------------------

TEST(FlatComboBox, ButtonFrameAndArrow) {
    Window window;
    auto* combo = window.Add(new TFlatComboBox);
    combo->SetStyle(TFlatComboBox::csDropDownList);
    combo->addItems({"one", "two"});
    window.Show();
    const QImage image = Grab(*combo);
    const int W = image.width(), H = image.height();
    EXPECT_EQ(combo->ButtonRect(), GdiRect(W - 13, 0, W, H));
    EXPECT_EQ(Pixel(image, 0, 0), Border);
    EXPECT_EQ(Pixel(image, W - 13, H / 2), Border);
    EXPECT_EQ(Pixel(image, W - 1, H / 2), Border);
    EXPECT_EQ(Pixel(image, W - 11, 2), 0xC5D6D9);
    const int cx = W - 13 + 6, cy = H / 2;
    for (auto [x, y] : {std::pair{cx - 2, cy - 1}, {cx + 2, cy - 1}, {cx, cy}, {cx, cy + 1}})
        EXPECT_EQ(Pixel(image, x, y), clBlack) << x << "," << y;
    EXPECT_EQ(Pixel(image, cx - 1, cy + 1), 0xC5D6D9) << "the arrow points down";
}

TEST(FlatComboBox, DisabledArrowIsEmbossedGrey) {
    Window window;
    auto* combo = window.Add(new TFlatComboBox);
    combo->setEnabled(false);
    window.Show();
    const QImage image = Grab(*combo);
    const int cx = image.width() - 7, cy = image.height() / 2;
    EXPECT_EQ(Pixel(image, cx, cy + 1), clGray);
    EXPECT_EQ(Pixel(image, cx + 1, cy + 2), clWhite);
}

TEST(FlatComboBox, SimpleStyleHasNoButton) {
    Window window;
    auto* combo = window.Add(new TFlatComboBox);
    combo->SetStyle(TFlatComboBox::csSimple);
    window.Show();
    EXPECT_TRUE(combo->ButtonRect().isNull());
    const QImage image = Grab(*combo);
    EXPECT_EQ(Pixel(image, image.width() - 1, image.height() / 2), Border);
    EXPECT_NE(Pixel(image, image.width() - 11, 2), 0xC5D6D9);
}

TEST(FlatComboBox, ClickOnThePaintedButtonOpensTheList) {
    for (auto style : {TFlatComboBox::csDropDown, TFlatComboBox::csDropDownList}) {
        Window window;
        auto* combo = window.Add(new TFlatComboBox);
        combo->SetStyle(style);
        combo->addItems({"one", "two"});
        window.Show();
        QTest::mouseClick(combo, Qt::LeftButton, {}, combo->ButtonRect().center());
        EXPECT_TRUE(combo->view()->isVisible()) << style;
        combo->hidePopup();
    }
}

TEST(FlatComboBox, FocusedListShowsTheSelectionLook) {
    Window window;
    auto* combo = window.Add(new TFlatComboBox);
    combo->SetStyle(TFlatComboBox::csDropDownList);
    combo->addItems({"one"});
    window.Add(new QLineEdit)->setFocus();
    window.Show();
    const TColor highlight = QColorToTColor(combo->palette().color(QPalette::Highlight));
    EXPECT_NE(Pixel(Grab(*combo), 4, 4), highlight);
    combo->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Pixel(Grab(*combo), 4, 4), highlight);
}

// --- Radio button and check box --------------------------------------------------------

TEST(FlatRadioButton, CheckingUnchecksItsGroupOnlyAndFiresClick) {
    App();
    QWidget parent, otherParent;
    auto* a = new TFlatRadioButton("a", &parent);
    auto* b = new TFlatRadioButton("b", &parent);
    auto* otherGroup = new TFlatRadioButton("c", &parent);
    otherGroup->SetGroupIndex(1);
    auto* elsewhere = new TFlatRadioButton("d", &otherParent);
    b->SetChecked(true);
    otherGroup->SetChecked(true);
    elsewhere->SetChecked(true);
    QSignalSpy clicksA(a, &QAbstractButton::clicked);
    QSignalSpy clicksB(b, &QAbstractButton::clicked);

    a->SetChecked(true);
    EXPECT_TRUE(a->Checked());
    EXPECT_FALSE(b->Checked());
    EXPECT_TRUE(otherGroup->Checked());
    EXPECT_TRUE(elsewhere->Checked());
    EXPECT_EQ(clicksA.count(), 1) << "setting from code fires Click";
    EXPECT_EQ(clicksB.count(), 0) << "being unchecked fires nothing";
    EXPECT_EQ(a->focusPolicy(), Qt::StrongFocus) << "the checked one is the Tab stop";
    EXPECT_EQ(b->focusPolicy(), Qt::ClickFocus);

    a->SetChecked(true);
    EXPECT_EQ(clicksA.count(), 1) << "no change, no Click";
    a->SetChecked(false);
    EXPECT_FALSE(b->Checked()) << "unchecking checks nothing";

    // Qt's own setter takes the same road.
    b->setChecked(true);
    EXPECT_EQ(clicksB.count(), 1);
    EXPECT_FALSE(a->Checked());
}

TEST(FlatRadioButton, MouseChoosesOnReleaseInsideOnly) {
    Window window;
    auto* a = window.Add(new TFlatRadioButton("a"));
    auto* b = window.Add(new TFlatRadioButton("b"));
    window.Show();
    QSignalSpy clicks(a, &QAbstractButton::clicked);
    QTest::mousePress(a, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(a->width() + 5, 5));
    EXPECT_FALSE(a->Checked()) << "released outside";
    QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(a->Checked());
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(a->Checked()) << "a checked radio button stays checked";
    EXPECT_EQ(clicks.count(), 1) << "and fires nothing";
    EXPECT_FALSE(b->Checked());
}

TEST(FlatRadioButton, ArrowKeysMoveTheChoiceWithinTheGroup) {
    Window window;
    auto* a = window.Add(new TFlatRadioButton("a"));
    auto* b = window.Add(new TFlatRadioButton("b"));
    auto* c = window.Add(new TFlatRadioButton("c"));
    window.Show();
    a->SetChecked(true);
    a->setFocus();
    QTest::keyClick(a, Qt::Key_Down);
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(b->hasFocus());
    QTest::keyClick(b, Qt::Key_Up);
    QTest::keyClick(a, Qt::Key_Up);
    EXPECT_TRUE(c->Checked()) << "wraps around";
    EXPECT_FALSE(a->Checked());
}

TEST(FlatRadioButton, MarkAndDot) {
    Window window;
    auto* radio = window.Add(new TFlatRadioButton("radio"));
    auto* disabled = window.Add(new TFlatRadioButton("disabled"));
    disabled->SetGroupIndex(1);
    disabled->SetChecked(true);
    disabled->setEnabled(false);
    window.Add(new QLineEdit)->setFocus();
    window.Show();
    const QRect mark = radio->MarkRect();
    EXPECT_EQ(mark.size(), QSize(10, 10));
    const int x = mark.left(), y = mark.top();
    EXPECT_TRUE(Near(Pixel(Grab(*radio), x, y + 5), Border));
    EXPECT_EQ(Pixel(Grab(*radio), x + 5, y + 5),
              QColorToTColor(window.frame.palette().color(QPalette::Window)))
        << "unchecked, idle: the mark shows the parent's colour";
    radio->SetChecked(true);
    EXPECT_EQ(Pixel(Grab(*radio), x + 5, y + 5), clBlack);
    EXPECT_EQ(Pixel(Grab(*disabled), x + 5, y + 5),
              QColorToTColor(disabled->palette().color(QPalette::Dark)));
    Enter(radio);
    EXPECT_EQ(Pixel(Grab(*radio), x + 2, y + 5), clWhite) << "hovered";
    QTest::mousePress(radio, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Pixel(Grab(*radio), x + 2, y + 5), 0xC5D6D9) << "pressed";
    QTest::mouseRelease(radio, Qt::LeftButton, {}, QPoint(5, 5));
    radio->SetLayout(TFlatRadioButton::radioRight);
    EXPECT_EQ(radio->MarkRect().right(), radio->width() - 2);
}

TEST(FlatCheckBox, ClickFiresOnEveryChangeAlsoFromCode) {
    App();
    TFlatCheckBox box("box");
    QSignalSpy clicks(&box, &QAbstractButton::clicked);
    box.SetChecked(true);
    box.SetChecked(true);
    box.SetChecked(false);
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_EQ(clicks[0][0].toBool(), true);
    EXPECT_EQ(clicks[1][0].toBool(), false);
    EXPECT_EQ(box.focusPolicy(), Qt::StrongFocus);
}

TEST(FlatCheckBox, MouseSpaceAndMnemonicToggle) {
    Window window;
    auto* box = window.Add(new TFlatCheckBox("&Isobaric"));
    window.Show();
    QSignalSpy clicks(box, &QAbstractButton::clicked);
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(5, box->height() + 4));
    EXPECT_FALSE(box->Checked()) << "released outside";
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(box->Checked());
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_FALSE(box->Checked());
    QTest::keyClick(&window.frame, Qt::Key_I, Qt::AltModifier);
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(box->hasFocus());
    EXPECT_EQ(clicks.count(), 3);
    box->click();
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks.count(), 4) << "a click from the program fires Click once";
}

TEST(FlatCheckBox, MarkAndTick) {
    Window window;
    auto* box = window.Add(new TFlatCheckBox("box"));
    window.Add(new QLineEdit)->setFocus();
    window.Show();
    const QRect mark = box->MarkRect();
    EXPECT_EQ(mark.size(), QSize(11, 11));
    const int x = mark.left(), y = mark.top();
    QImage image = Grab(*box);
    EXPECT_EQ(Pixel(image, x, y), Border);
    EXPECT_EQ(Pixel(image, x + 10, y + 10), Border);
    EXPECT_EQ(Pixel(image, x + 4, y + 6), QColorToTColor(window.frame.palette().color(QPalette::Window)));
    box->SetChecked(true);
    image = Grab(*box);
    for (auto [dx, dy] : {std::pair{2, 4}, {5, 7}, {8, 2}, {4, 8}})
        EXPECT_EQ(Pixel(image, x + dx, y + dy), clBlack) << dx << "," << dy;
    EXPECT_NE(Pixel(image, x + 6, y + 8), clBlack) << "the end pixel of the first stroke is left out";
    box->setEnabled(false);
    EXPECT_EQ(Pixel(Grab(*box), x + 2, y + 4), QColorToTColor(box->palette().color(QPalette::Dark)));
}

TEST(FlatChoice, OnlyTheLastHoveredStaysHighlighted) {
    Window window;
    auto* first = window.Add(new TFlatCheckBox("first"));
    auto* second = window.Add(new TFlatCheckBox("second"));
    window.Show();
    Enter(first);
    Leave(first);
    Enter(second);
    EXPECT_FALSE(first->Hovered());
    EXPECT_TRUE(second->Hovered());
}

} // namespace
