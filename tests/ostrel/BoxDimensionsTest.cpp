#include "ostrel/BoxDimensions.h"

#include "tests/CaseNames.h"

#include <gtest/gtest.h>

#include <string>

#include <cmath>
#include <numbers>
#include <utility>

namespace ostrel {
namespace {

TEST(OstrelBoxProposal, StartDesignInLitresAndCentimetres) {
    const BoxProposal p = proposeBox(96.2336, 10.0, 35.1882, 1.0, 0.0, false);
    // A cylinder of 10 cm diameter and 35.19 cm length.
    EXPECT_NEAR(p.portVolume, std::numbers::pi * 25.0 * 35.1882 / 1000.0, 1e-5);
    EXPECT_NEAR(p.portVolume, 2.7637, 1e-4);
    EXPECT_NEAR(p.totalVolume, 98.997, 1e-3);
    EXPECT_NEAR(p.length, 46.260, 1e-3);
    EXPECT_NEAR(p.width, 74.942, 1e-3);
    EXPECT_NEAR(p.depth, 28.556, 1e-3);
    EXPECT_NEAR(p.length * p.width * p.depth, p.totalVolume * 1000.0, 1e-7 * p.totalVolume * 1000.0);
}

TEST(OstrelBoxProposal, EnglishWorksInCubicInchesAndInches) {
    const double inch = 2.54;
    const BoxProposal metric = proposeBox(96.2336, 10.0, 35.1882, 2.0, 5.0, false);
    const BoxProposal english = proposeBox(96.2336 * 1000.0 / std::pow(inch, 3), 10.0 / inch, 35.1882 / inch,
                                           2.0, 5.0 * 1000.0 / std::pow(inch, 3), true);
    EXPECT_NEAR(english.totalVolume * std::pow(inch, 3) / 1000.0, metric.totalVolume, 1e-6);
    EXPECT_NEAR(english.length * inch, metric.length, 1e-6);
    EXPECT_NEAR(english.depth * inch, metric.depth, 1e-6);
}

TEST(OstrelBoxProposal, NoVolumeGivesNoDimensions) {
    // Before any calculation, and when the additional volume is negative beyond Vb.
    for (auto [vb, additional] : {std::pair{0.0, 0.0}, std::pair{20.0, -30.0}}) {
        const BoxProposal p = proposeBox(vb, 10.0, vb > 0 ? 5.0 : 0.0, 1.0, additional, false);
        EXPECT_EQ(p.length, 0.0);
        EXPECT_EQ(p.width, 0.0);
        EXPECT_EQ(p.depth, 0.0);
    }
}

struct ConstraintCase {
    BoxConstraints fixed;
    const char* name;
};

class OstrelCompleteBoxTest : public ::testing::TestWithParam<ConstraintCase> {};

TEST_P(OstrelCompleteBoxTest, FreeSidesEncloseTheVolumeAndFixedSidesStay) {
    const BoxConstraints fixed = GetParam().fixed;
    const BoxSides start{40.0, 50.0, 30.0};
    const double total = 100.0; // litres
    const BoxSidesResult r = completeBox(total, start, fixed, false);
    ASSERT_FALSE(r.problem.has_value());
    if (fixed.length) {
        EXPECT_EQ(r.sides.length, start.length);
    }
    if (fixed.width) {
        EXPECT_EQ(r.sides.width, start.width);
    }
    if (fixed.depth) {
        EXPECT_EQ(r.sides.depth, start.depth);
    }
    if (fixed.length && fixed.width && fixed.depth)
        return; // nothing to complete
    EXPECT_NEAR(r.sides.length * r.sides.width * r.sides.depth, total * 1000.0, 1e-7 * total * 1000.0)
        << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Cases, OstrelCompleteBoxTest,
                         ::testing::Values(ConstraintCase{{false, false, false}, "none"},
                                           ConstraintCase{{true, false, false}, "length"},
                                           ConstraintCase{{false, true, false}, "width"},
                                           ConstraintCase{{false, false, true}, "depth"},
                                           ConstraintCase{{true, true, false}, "lengthWidth"},
                                           ConstraintCase{{false, true, true}, "widthDepth"},
                                           ConstraintCase{{true, false, true}, "lengthDepth"},
                                           ConstraintCase{{true, true, true}, "all"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OstrelCompleteBox, ProportionsFollowTheFixedSide) {
    const BoxSides start{40.0, 50.0, 30.0};
    const BoxSides none = completeBox(100.0, start, {false, false, false}, false).sides;
    EXPECT_NEAR(none.width, 1.62 * none.length, 1e-9);
    EXPECT_NEAR(none.depth, none.length / 1.62, 1e-9);
    EXPECT_NEAR(completeBox(100.0, start, {true, false, false}, false).sides.width, 1.62 * 40.0, 1e-9);
    // With the width fixed the length is 1.62 times the width, not the other way round.
    EXPECT_NEAR(completeBox(100.0, start, {false, true, false}, false).sides.length, 1.62 * 50.0, 1e-9);
    EXPECT_NEAR(completeBox(100.0, start, {false, false, true}, false).sides.length, 1.62 * 30.0, 1e-9);
    // English volumes are already cubic inches.
    const BoxSides english = completeBox(1000.0, {10.0, 10.0, 1.0}, {true, true, false}, true).sides;
    EXPECT_NEAR(english.depth, 10.0, 1e-12);
}

struct ProblemCase {
    double total;
    BoxSides sides;
    BoxConstraints fixed;
    std::string_view message;
};

class OstrelCompleteBoxProblemTest : public ::testing::TestWithParam<ProblemCase> {};

TEST_P(OstrelCompleteBoxProblemTest, ASideOrVolumeNotAboveZeroStopsAndChangesNothing) {
    const ProblemCase& c = GetParam();
    const BoxSidesResult r = completeBox(c.total, c.sides, c.fixed, false);
    ASSERT_TRUE(r.problem.has_value());
    EXPECT_EQ(*r.problem, c.message);
    EXPECT_EQ(r.sides.length, c.sides.length);
    EXPECT_EQ(r.sides.width, c.sides.width);
    EXPECT_EQ(r.sides.depth, c.sides.depth);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OstrelCompleteBoxProblemTest,
    ::testing::Values(ProblemCase{0.0, {1, 1, 1}, {false, false, false}, TotalVolumeMessage},
                      ProblemCase{-5.0, {1, 1, 1}, {true, false, false}, TotalVolumeMessage},
                      ProblemCase{50.0, {0, 1, 1}, {true, false, false}, LengthMessage},
                      ProblemCase{50.0, {1, -2, 1}, {true, true, false}, WidthMessage},
                      ProblemCase{50.0, {1, 1, 0}, {false, false, true}, DepthMessage},
                      ProblemCase{50.0, {1, 0, 0}, {false, true, true}, WidthMessage}),
    [](const ::testing::TestParamInfo<ProblemCase>& info) {
        return CaseName(info.index, std::string(info.param.message));
    });

TEST(OstrelCompleteBox, WithEverySideFixedNothingIsCheckedOrChanged) {
    // No side is a divisor here, so a zero side is shown as it stands and only the total changes.
    for (const BoxSides sides :
         {BoxSides{40.0, 50.0, 0.0}, BoxSides{0.0, 0.0, 0.0}, BoxSides{40.0, 50.0, 30.0}}) {
        const BoxSidesResult result = completeBox(99.0, sides, {true, true, true}, false);
        EXPECT_FALSE(result.problem.has_value());
        EXPECT_EQ(result.sides.length, sides.length);
        EXPECT_EQ(result.sides.width, sides.width);
        EXPECT_EQ(result.sides.depth, sides.depth);
    }
    EXPECT_TRUE(completeBox(INFINITY, {1, 1, 1}, {true, true, true}, false).problem.has_value());
}

} // namespace
} // namespace ostrel
