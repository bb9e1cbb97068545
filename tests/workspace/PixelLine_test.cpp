// One-pixel lines in memory: which pixels a segment lights, and a polyline drawn into rows of
// 32-bit pixels without ever writing outside its image.

#include "workspace/PixelLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

namespace {

struct TSegmentCase {
    const char* Name;
    TPlotPoint From;
    TPlotPoint To;
};

void PrintTo(const TSegmentCase& c, std::ostream* os) {
    *os << c.Name;
}

class PixelLineSegment : public ::testing::TestWithParam<TSegmentCase> {};

// The pixels of a segment form an unbroken 8-connected chain from one end to the other, one per
// step along the longer axis, each within half a pixel of the ideal line across that axis.
TEST_P(PixelLineSegment, LightsOnePixelPerStepOnTheIdealLine) {
    const TSegmentCase& c = GetParam();
    std::vector<TPlotPoint> pixels;
    RasterizeLine(c.From, c.To, [&](int x, int y) { pixels.push_back({x, y}); });

    const int dx = c.To.X - c.From.X;
    const int dy = c.To.Y - c.From.Y;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(steps) + 1);
    EXPECT_EQ(pixels.front(), c.From);
    EXPECT_EQ(pixels.back(), c.To);
    for (std::size_t i = 1; i < pixels.size(); ++i) {
        EXPECT_LE(std::abs(pixels[i].X - pixels[i - 1].X), 1);
        EXPECT_LE(std::abs(pixels[i].Y - pixels[i - 1].Y), 1);
        EXPECT_FALSE(pixels[i] == pixels[i - 1]);
    }
    for (const TPlotPoint& p : pixels) {
        if (std::abs(dx) >= std::abs(dy) && dx != 0) {
            const double ideal = c.From.Y + static_cast<double>(p.X - c.From.X) * dy / dx;
            EXPECT_LE(std::fabs(p.Y - ideal), 0.5) << p.X << "," << p.Y;
        } else if (dy != 0) {
            const double ideal = c.From.X + static_cast<double>(p.Y - c.From.Y) * dx / dy;
            EXPECT_LE(std::fabs(p.X - ideal), 0.5) << p.X << "," << p.Y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Segments, PixelLineSegment,
    ::testing::Values(TSegmentCase{"Point", {3, 4}, {3, 4}}, TSegmentCase{"Right", {2, 5}, {9, 5}},
                      TSegmentCase{"Left", {9, 5}, {2, 5}}, TSegmentCase{"Down", {4, 1}, {4, 8}},
                      TSegmentCase{"Up", {4, 8}, {4, 1}}, TSegmentCase{"Diagonal", {1, 1}, {6, 6}},
                      TSegmentCase{"AntiDiagonal", {6, 1}, {1, 6}}, TSegmentCase{"Shallow", {0, 0}, {11, 3}},
                      TSegmentCase{"ShallowBack", {11, 3}, {0, 0}}, TSegmentCase{"Steep", {5, 0}, {6, 9}},
                      TSegmentCase{"SteepEvenRise", {5, 0}, {6, 8}}, TSegmentCase{"SteepUp", {6, 9}, {5, 0}},
                      TSegmentCase{"CurveStep", {100, 40}, {101, 17}}),
    [](const ::testing::TestParamInfo<TSegmentCase>& info) { return std::string(info.param.Name); });

constexpr std::uint32_t Paper = 0xFF101010u;
constexpr std::uint32_t Ink = 0xFFFF8000u;

// A 12 x 8 image in rows of 16 pixels: four pixels of padding at the end of every row.
struct TPaddedImage {
    static constexpr int Width = 12;
    static constexpr int Height = 8;
    static constexpr int Stride = 16;
    std::vector<std::uint32_t> Pixels = std::vector<std::uint32_t>(Stride * Height, Paper);

    std::set<std::pair<int, int>> Lit() const {
        std::set<std::pair<int, int>> lit;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Stride; ++x)
                if (Pixels[static_cast<std::size_t>(y * Stride + x)] != Paper)
                    lit.insert({x, y});
        return lit;
    }
};

TEST(PixelPolyline, IsTheUnionOfItsSegmentsInTheImageOnly) {
    const TPlotPoint points[] = {{0, 7}, {1, 2}, {2, 2}, {3, 2}, {11, 0}, {11, 7}};
    TPaddedImage image;
    ASSERT_TRUE(DrawPixelPolyline(image.Pixels.data(), TPaddedImage::Stride, TPaddedImage::Width,
                                  TPaddedImage::Height, points, 6, Ink));

    std::set<std::pair<int, int>> expected;
    for (int i = 1; i < 6; ++i)
        RasterizeLine(points[i - 1], points[i], [&](int x, int y) { expected.insert({x, y}); });
    EXPECT_EQ(image.Lit(), expected);
    for (const auto& [x, y] : image.Lit()) {
        EXPECT_LT(x, TPaddedImage::Width) << "wrote into a row's padding";
        EXPECT_EQ(image.Pixels[static_cast<std::size_t>(y * TPaddedImage::Stride + x)], Ink);
    }
}

TEST(PixelPolyline, APointOutsideTheImageLeavesItToTheCaller) {
    const std::vector<std::vector<TPlotPoint>> refused = {
        {{0, 0}, {12, 3}},
        {{5, 5}, {5, 8}},
        {{-1, 0}, {4, 4}},
        {{3, -1}, {3, 4}},
        {{2, 2}, {4, 4}, {40000, 2}},
    };
    for (const auto& points : refused) {
        TPaddedImage image;
        EXPECT_FALSE(DrawPixelPolyline(image.Pixels.data(), TPaddedImage::Stride, TPaddedImage::Width,
                                       TPaddedImage::Height, points.data(), static_cast<int>(points.size()),
                                       Ink));
        EXPECT_TRUE(image.Lit().empty());
    }
    TPaddedImage image;
    const TPlotPoint one[] = {{4, 4}};
    EXPECT_TRUE(DrawPixelPolyline(image.Pixels.data(), TPaddedImage::Stride, TPaddedImage::Width,
                                  TPaddedImage::Height, one, 1, Ink));
    EXPECT_TRUE(image.Lit().empty()) << "a single point is no line";
    EXPECT_FALSE(DrawPixelPolyline(image.Pixels.data(), TPaddedImage::Width - 1, TPaddedImage::Width,
                                   TPaddedImage::Height, one, 1, Ink))
        << "rows closer than the image is wide";
}

} // namespace
