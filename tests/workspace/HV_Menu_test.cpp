#include "workspace/HV_Menu.h"

#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

#include <memory>

using platformtest::kWaitLimit;

namespace {

class PopupMenuTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_hvmenu"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }
};

struct KindCase {
    const char* caption;
    TMenuItemKind kind;
    const char* shown;
};

TEST(MenuItemKindTest, FirstCharacterDecides) {
    const KindCase cases[] = {
        {"#Rear chamber", TMenuItemKind::Header, "Rear chamber"},
        {"*Ql", TMenuItemKind::Band, "Ql"},
        {"*", TMenuItemKind::Band, ""},
        {"Ql [rear]", TMenuItemKind::Ordinary, "Ql [rear]"},
        {"", TMenuItemKind::Ordinary, ""},
        {" #not a header", TMenuItemKind::Ordinary, " #not a header"},
        {"&#hotkey first", TMenuItemKind::Ordinary, "&#hotkey first"},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(MenuItemKind(QString::fromUtf8(c.caption)), c.kind);
        EXPECT_EQ(MenuItemText(QString::fromUtf8(c.caption)), QString::fromUtf8(c.shown));
    }
}

TEST_F(PopupMenuTest, HeadersAndBandsAreDisabledWhenAddedOrRenamed) {
    THV_PopupMenu menu;
    QAction* header = menu.addAction("#Rear chamber");
    QAction* band = menu.addAction("*Ql");
    QAction* ordinary = menu.addAction("Ql [rear]");
    EXPECT_FALSE(header->isEnabled());
    EXPECT_FALSE(band->isEnabled());
    EXPECT_TRUE(ordinary->isEnabled());

    ordinary->setText("*Qa");
    EXPECT_FALSE(ordinary->isEnabled());

    // Items of a plain submenu are prepared when the whole menu is.
    QMenu* submenu = menu.addMenu("More");
    QAction* inner = submenu->addAction("#Inner");
    EXPECT_TRUE(inner->isEnabled());
    menu.UpdateItems();
    EXPECT_FALSE(inner->isEnabled());
}

TEST_F(PopupMenuTest, DrawsHeaderFrameAndGreyBandOneSizeSmaller) {
    THV_PopupMenu menu;
    QAction* header = menu.addAction("#Rear chamber");
    QAction* band = menu.addAction("*Ql");
    QAction* ordinary = menu.addAction("Qa [rear]");
    menu.popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu, kWaitLimit));

    const QRect headerRect = menu.actionGeometry(header);
    const QRect bandRect = menu.actionGeometry(band);
    const QRect ordinaryRect = menu.actionGeometry(ordinary);
    EXPECT_EQ(bandRect.height(), ordinaryRect.height() - THV_PopupMenu::kBandShrink);
    EXPECT_EQ(headerRect.height(), ordinaryRect.height());

    const QImage image = menu.grab().toImage();
    ASSERT_EQ(image.devicePixelRatio(), 1.0);
    // Header: white frame, silver inside (the far right end holds no text).
    EXPECT_EQ(image.pixelColor(headerRect.topLeft()), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(image.pixelColor(headerRect.right() - 3, headerRect.center().y()), QColor(0xC0, 0xC0, 0xC0));
    // Band: grey all through, white text somewhere on it.
    EXPECT_EQ(image.pixelColor(bandRect.right() - 1, bandRect.center().y()), QColor(0x80, 0x80, 0x80));
    bool whiteText = false;
    for (int x = bandRect.left() + 2; x < bandRect.left() + 40 && !whiteText; ++x)
        for (int y = bandRect.top(); y <= bandRect.bottom(); ++y)
            whiteText = whiteText || image.pixelColor(x, y).lightness() > 200;
    EXPECT_TRUE(whiteText);
    // The ordinary item is the style's own: neither silver nor grey at its right end.
    const QColor plain = image.pixelColor(ordinaryRect.right() - 3, ordinaryRect.center().y());
    EXPECT_NE(plain, QColor(0xC0, 0xC0, 0xC0));
    EXPECT_NE(plain, QColor(0x80, 0x80, 0x80));

    // The keyboard skips headers and bands.
    QTest::keyClick(&menu, Qt::Key_Down);
    EXPECT_EQ(menu.activeAction(), ordinary);
    menu.close();
}

TEST_F(PopupMenuTest, ChoosingAHeaderTriggersNothing) {
    THV_PopupMenu menu;
    QAction* header = menu.addAction("#Rear chamber");
    int triggered = 0;
    QObject::connect(&menu, &QMenu::triggered, [&](QAction*) { ++triggered; });
    menu.popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu, kWaitLimit));
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(header).center());
    EXPECT_EQ(triggered, 0);
    menu.close();
}

} // namespace
