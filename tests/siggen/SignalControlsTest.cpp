#include "siggen/SignalControls.h"
#include "model/Units.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(SignalControls, ModeListMapsToEngineModes) {
    EXPECT_EQ(EngineModeForIndex(kModeIndexNormal), 3);
    EXPECT_EQ(EngineModeForIndex(kModeIndexSlowSweep), 2);
    EXPECT_EQ(EngineModeForIndex(kModeIndexFastSweep), 1);
    EXPECT_EQ(EngineModeForIndex(kModeIndexWhiteNoise), 4);
    EXPECT_EQ(EngineModeForIndex(-1), 3); // no selection: the tone
    EXPECT_TRUE(IsSweepIndex(kModeIndexSlowSweep));
    EXPECT_TRUE(IsSweepIndex(kModeIndexFastSweep));
    EXPECT_FALSE(IsSweepIndex(kModeIndexNormal));
    EXPECT_FALSE(IsSweepIndex(kModeIndexWhiteNoise));
}

TEST(SignalControls, FrequencyTextIsReadAndClamped) {
    EXPECT_EQ(ReadFrequencyText("1,5"), 1.5);
    EXPECT_EQ(ReadFrequencyText(" 440 "), 440);
    EXPECT_FALSE(ReadFrequencyText(""));
    EXPECT_FALSE(ReadFrequencyText("abc"));
    EXPECT_FALSE(ReadFrequencyText("12Hz"));
    struct Case {
        double in, out;
    };
    for (const Case c : {Case{5, 10}, Case{25000, 20000}, Case{10, 10}, Case{20000, 20000},
                         Case{440.5, 440.5}, Case{-3, 10}, Case{std::nan(""), 10}})
        EXPECT_EQ(ClampFrequency(c.in), c.out) << c.in;
}

TEST(SignalControls, JoystickStepsGrowByPowersOfTwo) {
    struct Case {
        std::uint32_t x;
        int k;
        double change;
    };
    const Case cases[] = {
        {0, -8, -255}, {1927, -8, -255}, {1928, -7, -127}, {30842, 0, 0},   {32767, 0, 0},
        {32768, 1, 1}, {34698, 1, 1},    {61680, 8, 255},  {63608, 9, 511}, {65535, 9, 511},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JoystickStepIndex(c.x), c.k) << c.x;
        EXPECT_EQ(JoystickFrequency(1000, c.x) - 1000, c.change) << c.x;
    }
}

TEST(SignalControls, CursorFrequencyIsRoundedToAnInteger) {
    struct Case {
        double in;
        const char* text;
    };
    for (const Case c : {Case{123.6, "124"}, Case{123.4, "123"}, Case{124.5, "124"}, Case{125.5, "126"},
                         Case{20000.2, "20000"}, Case{1e30, "1000000000"}, Case{-0.4, "0"}})
        EXPECT_EQ(CursorFrequencyText(c.in), c.text) << c.in;
    EXPECT_EQ(CursorFrequencyText(std::nan("")), "");
    EXPECT_EQ(CursorFrequencyText(INFINITY), "");
}

TEST(SignalControls, PositionsSnapToTheGridHalvesToEven) {
    struct Case {
        int position, grid, snapped;
    };
    for (const Case c :
         {Case{0, 20, 0}, Case{9, 20, 0}, Case{10, 20, 0}, Case{11, 20, 20}, Case{30, 20, 40},
          Case{50, 20, 40}, Case{-30, 20, -40}, Case{33, 8, 32}, Case{47, 0, 47}, Case{47, -5, 47}})
        EXPECT_EQ(GridPosition(c.position, c.grid), c.snapped) << c.position << " on " << c.grid;
}

TEST(SignalControls, FrequencyTextUsesTheDecimalSeparator) {
    SetDecimalSeparator(',');
    EXPECT_EQ(FrequencyText(1234.5), "1234,5");
    SetDecimalSeparator('.');
    EXPECT_EQ(FrequencyText(1234.5), "1234.5");
    EXPECT_EQ(FrequencyText(611), "611");
    SetDecimalSeparator(0);
}
