#include "StartDriver.h"

#include "ostrel/GraphGeometry.h"
#include "ostrel/VentedBox.h"

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

// The start design's response seen on the graph: the curve is smooth, and the one-pixel step it
// shows just above 100 Hz is its level rising through -0.2 dB, a pixel boundary of the
// 5-pixels-per-dB scale, not a jump in the response.
TEST(OstrelGraphGeometry, TheStepNear100HzIsTheLevelCrossingAPixelBoundary) {
    const VentedInputs in = startDriver();
    const VentedDesign d = designVentedBox(in, lookupAlignment(Alignment::SBB4, in.qts).values);
    for (int f = 50; f < 999; ++f) {
        const double step = d.output[f + 1 - FirstFrequency] - d.output[f - FirstFrequency];
        EXPECT_GE(step, -1e-3) << f; // above the tuning the response only rises towards 0 dB
        EXPECT_LT(step, 0.1) << f;   // less than half a pixel from one hertz to the next
    }
    const int rise = [&] {
        for (int f = 90; f < 999; ++f)
            if (outputLevelToY(d.output[f + 1 - FirstFrequency]) !=
                outputLevelToY(d.output[f - FirstFrequency]))
                return f;
        return 0;
    }();
    EXPECT_EQ(rise, 100);
    EXPECT_LT(d.output[100 - FirstFrequency], -0.2);
    EXPECT_GT(d.output[101 - FirstFrequency], -0.2);
    EXPECT_EQ(outputLevelToY(-0.2001), 367);
    EXPECT_EQ(outputLevelToY(-0.1999), 366);
}

} // namespace
} // namespace ostrel
