#include "flatctl/FlatUtilitys.h"
#include "flatctl/HSLUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

namespace {

struct HslCase {
    const char* name;
    TColor colour;
    double H, S, L;
};

// Independent values: hue angle / 360, the usual HSL definitions.
const HslCase HslCases[] = {
    {"Black", RGBColor(0, 0, 0), 0, 0, 0},
    {"White", RGBColor(255, 255, 255), 0, 0, 1},
    {"MidGrey", RGBColor(128, 128, 128), 0, 0, 128.0 / 255},
    {"Red", RGBColor(255, 0, 0), 0, 1, 0.5},
    {"Yellow", RGBColor(255, 255, 0), 1.0 / 6, 1, 0.5},
    {"Green", RGBColor(0, 255, 0), 1.0 / 3, 1, 0.5},
    {"Cyan", RGBColor(0, 255, 255), 0.5, 1, 0.5},
    {"Blue", RGBColor(0, 0, 255), 2.0 / 3, 1, 0.5},
    {"Magenta", RGBColor(255, 0, 255), 5.0 / 6, 1, 0.5},
    {"DarkRed", RGBColor(128, 0, 0), 0, 1, 64.0 / 255},
    {"Pink", RGBColor(255, 128, 128), 0, 1, 191.5 / 255},
    // 0x8396A0 is RGB(160, 150, 131): red is the maximum, lightness above one half.
    {"BorderColour", 0x8396A0, 19.0 / 29 / 6, 29.0 / 219, (160 + 131) / 510.0},
};

void PrintTo(const HslCase& c, std::ostream* os) {
    *os << c.name;
}

class HslTable : public testing::TestWithParam<HslCase> {};

TEST_P(HslTable, ConvertsBothWays) {
    const HslCase& c = GetParam();
    double H = -1, S = -1, L = -1;
    RGBtoHSL(c.colour, H, S, L);
    EXPECT_NEAR(H, c.H, 2e-3);
    EXPECT_NEAR(S, c.S, 1e-9);
    EXPECT_NEAR(L, c.L, 1e-9);
    EXPECT_EQ(HSLtoRGB(H, S, L), c.colour);
}

INSTANTIATE_TEST_SUITE_P(Colours, HslTable, testing::ValuesIn(HslCases),
                         [](const testing::TestParamInfo<HslCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(HSLUtils, EveryGreyStaysOnTheGreyAxis) {
    for (int level = 0; level <= 255; ++level) {
        const TColor grey = RGBColor(level, level, level);
        double H = -1, S = -1, L = -1;
        RGBtoHSL(grey, H, S, L);
        ASSERT_EQ(H, 0);
        ASSERT_EQ(S, 0);
        ASSERT_EQ(HSLtoRGB(H, S, L), grey) << level;
    }
}

TEST(HSLUtils, FractionsRoundTripEveryColourOfACoarseCube) {
    for (int r = 0; r <= 255; r += 15)
        for (int g = 0; g <= 255; g += 17)
            for (int b = 0; b <= 255; b += 5) {
                const TColor colour = RGBColor(r, g, b);
                double H = 0, S = 0, L = 0;
                RGBtoHSL(colour, H, S, L);
                ASSERT_EQ(HSLtoRGB(H, S, L), colour) << r << "," << g << "," << b;
            }
}

TEST(HSLUtils, IntegerScaleEnds) {
    int H = -1, S = -1, L = -1;
    RGBtoHSLRange(clWhite, H, S, L);
    EXPECT_EQ(L, HSLRange);
    EXPECT_EQ(S, 0);
    RGBtoHSLRange(clBlack, H, S, L);
    EXPECT_EQ(L, 0);
    RGBtoHSLRange(RGBColor(0, 0, 255), H, S, L);
    EXPECT_EQ(H, 159); // 2/3 of 239, ties to even
    EXPECT_EQ(S, 240);
    EXPECT_EQ(L, 120);
    EXPECT_EQ(HSLRangeToRGB(0, 240, 120), RGBColor(255, 0, 0));
    EXPECT_EQ(HSLRangeToRGB(0, 0, 240), clWhite);
}

} // namespace
