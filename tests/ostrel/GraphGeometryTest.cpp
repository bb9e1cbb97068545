#include "ostrel/GraphGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ostrel {
namespace {

TEST(OstrelGraphGeometry, DecadesSpanTheFrameWidth) {
    EXPECT_EQ(frequencyToX(10), PlotLeft);
    EXPECT_EQ(frequencyToX(100), 405);
    EXPECT_EQ(frequencyToX(1000), PlotRight);
    EXPECT_EQ(frequencyToX(20), static_cast<int>((std::log10(2.0)) * 335 + 70));
}

TEST(OstrelGraphGeometry, LevelsMapOntoTheirScales) {
    EXPECT_EQ(outputLevelToY(25.0), 241);
    EXPECT_EQ(outputLevelToY(-25.0), 491);
    EXPECT_EQ(outputLevelToY(0.0), 366);
    EXPECT_EQ(powerLevelToY(150.0), 240);
    EXPECT_EQ(powerLevelToY(0.0), 490);
    EXPECT_EQ(powerLevelToY(75.0), 365);
}

TEST(OstrelGraphGeometry, ValuesWithoutAPixelHaveNoY) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double v : {nan, inf, -inf, 1e300, -1e300}) {
        EXPECT_FALSE(outputLevelToY(v).has_value()) << v;
        EXPECT_FALSE(powerLevelToY(v).has_value()) << v;
    }
}

TEST(OstrelGraphGeometry, SegmentsAreDrawnOnlyStrictlyInsideThePlot) {
    EXPECT_TRUE(segmentInside(241, 489));
    EXPECT_FALSE(segmentInside(240, 300));
    EXPECT_FALSE(segmentInside(300, 490));
    EXPECT_FALSE(segmentInside(300, 491));
    EXPECT_FALSE(segmentInside(std::nullopt, 300));
    EXPECT_FALSE(segmentInside(300, std::nullopt));
    // 25 dB on the output scale is drawn, -25 dB and 150 dB on the power scale are not.
    EXPECT_TRUE(segmentInside(outputLevelToY(25.0), outputLevelToY(0.0)));
    EXPECT_FALSE(segmentInside(outputLevelToY(-25.0), outputLevelToY(0.0)));
    EXPECT_FALSE(segmentInside(powerLevelToY(150.0), powerLevelToY(100.0)));
    EXPECT_FALSE(segmentInside(powerLevelToY(-1.0), powerLevelToY(100.0)));
}

} // namespace
} // namespace ostrel
