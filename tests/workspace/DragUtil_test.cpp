#include "workspace/DragUtil.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMimeData>

#include <memory>

namespace {

TDriverObject SampleDriver() {
    TDriverObject driver;
    driver.Data.Brand = "Acme";
    driver.Data.Model = "W12 & sons";
    driver.Data.Fs = 30;
    driver.Data.Qts = 0.36;
    driver.Data.Xmax = 0.005;
    driver.Rs = 0.2;
    return driver;
}

TEST(DragObjectTest, CarriesACopyThatOutlivesTheSource) {
    auto original = std::make_unique<TDriverObject>(SampleDriver());
    int sourceWindow = 0;
    TBV_DragObject drag(*original, &sourceWindow);
    // The window the drag started from edits its driver, then closes, before the drop.
    original->Data.Fs = 45;
    original.reset();
    EXPECT_EQ(drag.Driver().Data.Fs, 30);
    EXPECT_EQ(drag.Driver().Data.Qts, 0.36);
    EXPECT_EQ(drag.Driver().Data.Brand, "Acme");
    EXPECT_EQ(drag.Driver().Rs, 0.2);
    EXPECT_EQ(drag.Source(), &sourceWindow);
    // Other programs see only the name.
    EXPECT_EQ(drag.text(), "Acme W12 & sons");
    EXPECT_TRUE(drag.hasFormat(TBV_DragObject::kMimeType));
}

TEST(DragObjectTest, OnlyTheDragObjectItselfIsAccepted) {
    const TDriverObject driver = SampleDriver();
    TBV_DragObject drag(driver);
    EXPECT_EQ(TBV_DragObject::From(&drag), &drag);

    // Data from elsewhere, even under the same type and text, carries no driver.
    QMimeData lookalike;
    lookalike.setData(TBV_DragObject::kMimeType, QByteArray("Fs=30"));
    lookalike.setText(drag.text());
    EXPECT_EQ(TBV_DragObject::From(&lookalike), nullptr);
    EXPECT_EQ(TBV_DragObject::From(nullptr), nullptr);
}

} // namespace
