#include "ostrel/OstrelAlignments.h"
#include "ostrel/VentedBox.h"

#include "tests/CaseNames.h"

#include <gtest/gtest.h>

#include <string>

#include <cmath>
#include <complex>
#include <limits>

namespace ostrel {
namespace {

// Small's vented-box response with box-loss Q QL, normalised to w0 = sqrt(ws wb):
// s^4 / (s^4 + a1 s^3 + a2 s^2 + a3 s + 1). Written out here on its own, from the textbook form,
// so a slip in the program's coefficients shows up.
double smallResponseDb(double fOverFs, double h, double alpha, double qt, double ql) {
    const double sqrtH = std::sqrt(h);
    const double a1 = (ql + h * qt) / (sqrtH * ql * qt);
    const double a2 = (h + (alpha + 1.0 + h * h) * ql * qt) / (h * ql * qt);
    const double a3 = (h * ql + qt) / (sqrtH * ql * qt);
    const std::complex<double> s(0.0, fOverFs / sqrtH);
    const std::complex<double> response =
        std::pow(s, 4) / (std::pow(s, 4) + a1 * std::pow(s, 3) + a2 * s * s + a3 * s + 1.0);
    return 20.0 * std::log10(std::abs(response));
}

// The highest frequency ratio where the response first rises through -3 dB.
double minus3dBRatio(double h, double alpha, double qt) {
    double low = 0.05;
    double high = 20.0;
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (low + high);
        if (smallResponseDb(mid, h, alpha, qt, 7.0) < -3.0)
            low = mid;
        else
            high = mid;
    }
    return 0.5 * (low + high);
}

struct TableCase {
    Alignment alignment;
    const char* name;
    double firstKnot;
    double lastKnot;
    std::size_t knots;
};

class OstrelAlignmentTableTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(OstrelAlignmentTableTest, KnotsAreEvenlySpacedFromFirstToLast) {
    const TableCase& c = GetParam();
    const auto table = alignmentTable(c.alignment);
    ASSERT_EQ(table.size(), c.knots);
    EXPECT_DOUBLE_EQ(table.front().qts, c.firstKnot);
    EXPECT_DOUBLE_EQ(table.back().qts, c.lastKnot);
    for (std::size_t k = 0; k < table.size(); ++k)
        EXPECT_NEAR(table[k].qts, c.firstKnot + 0.01 * static_cast<double>(k), 1e-12) << k;
}

TEST_P(OstrelAlignmentTableTest, EveryF3IsTheMinus3dBPointOfTheBoxResponse) {
    const TableCase& c = GetParam();
    for (const AlignmentKnot& knot : alignmentTable(c.alignment)) {
        const double f3 = minus3dBRatio(knot.h, knot.alpha, knot.qts);
        // The published rows agree with the response to 0.2 %; a mistyped digit that matters does not.
        EXPECT_NEAR(knot.f3Ratio, f3, 0.004 * f3) << c.name << " Qts " << knot.qts;
    }
}

TEST_P(OstrelAlignmentTableTest, ThePolynomialsFollowTheTableInsideItsRange) {
    const TableCase& c = GetParam();
    const auto table = alignmentTable(c.alignment);
    for (std::size_t k = 2; k + 2 < table.size(); ++k) {
        const AlignmentKnot& knot = table[k];
        const AlignmentValues fit = alignmentPolynomial(c.alignment, knot.qts);
        EXPECT_NEAR(fit.h, knot.h, 0.03 * knot.h + 0.01) << c.name << " Qts " << knot.qts;
        // The QB3 volume fit strays by up to 0.12 around Qts 0.35 and 0.45.
        EXPECT_NEAR(fit.alpha, knot.alpha, 0.05 * knot.alpha + 0.15) << c.name << " Qts " << knot.qts;
        EXPECT_NEAR(fit.f3Ratio, knot.f3Ratio, 0.03 * knot.f3Ratio + 0.01) << c.name << " Qts " << knot.qts;
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, OstrelAlignmentTableTest,
                         ::testing::Values(TableCase{Alignment::SBB4, "SBB4", 0.20, 0.70, 51},
                                           TableCase{Alignment::QB3, "QB3", 0.10, 0.56, 47},
                                           TableCase{Alignment::SC4, "SC4", 0.25, 0.70, 46}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OstrelSBB4Table, TunesToFsAndFollowsTheSuperBoomboxVolumeRelation) {
    for (const AlignmentKnot& knot : alignmentTable(Alignment::SBB4)) {
        EXPECT_EQ(knot.h, 1.0);
        const double term = 1.0 / knot.qts - 1.0 / 7.0;
        const double alpha = 0.25 * term * term;
        // Three published rows stray from the relation and are kept as published: 0.25 (relation
        // 3.7194), 0.37 (1.6382) and 0.65 (0.4869).
        const struct {
            double qts;
            double alpha;
        } keptRows[] = {{0.25, 3.7114}, {0.37, 1.6392}, {0.65, 0.4969}};
        bool kept = false;
        for (const auto& row : keptRows) {
            if (std::abs(knot.qts - row.qts) < 1e-9) {
                EXPECT_DOUBLE_EQ(knot.alpha, row.alpha);
                kept = true;
            }
        }
        if (!kept) {
            EXPECT_NEAR(knot.alpha, alpha, 2e-4 * alpha + 5e-5) << "Qts " << knot.qts;
        }
    }
}

struct RangeCase {
    Alignment alignment;
    double qts;
    bool outOfRange;
};

class OstrelAlignmentRangeTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(OstrelAlignmentRangeTest, OutsideTheKnotsTheFallBackPolynomialsAnswer) {
    const RangeCase& c = GetParam();
    const AlignmentLookup lookup = lookupAlignment(c.alignment, c.qts);
    EXPECT_EQ(lookup.outOfRange, c.outOfRange) << c.qts;
    if (c.outOfRange && !std::isnan(c.qts)) {
        const AlignmentValues fit = alignmentPolynomial(c.alignment, c.qts);
        EXPECT_EQ(lookup.values.h, fit.h);
        EXPECT_EQ(lookup.values.alpha, fit.alpha);
        EXPECT_EQ(lookup.values.f3Ratio, fit.f3Ratio);
    }
}

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Boundaries, OstrelAlignmentRangeTest,
    ::testing::Values(RangeCase{Alignment::SBB4, 0.20, false}, RangeCase{Alignment::SBB4, 0.1999, true},
                      RangeCase{Alignment::SBB4, 0.69, false}, RangeCase{Alignment::SBB4, 0.6999, false},
                      RangeCase{Alignment::SBB4, 0.70, true}, RangeCase{Alignment::SBB4, NaN, true},
                      RangeCase{Alignment::QB3, 0.10, false}, RangeCase{Alignment::QB3, 0.0999, true},
                      RangeCase{Alignment::QB3, 0.55, false}, RangeCase{Alignment::QB3, 0.56, true},
                      RangeCase{Alignment::SC4, 0.25, false}, RangeCase{Alignment::SC4, 0.2499, true},
                      RangeCase{Alignment::SC4, 0.69, false}, RangeCase{Alignment::SC4, 0.70, true},
                      RangeCase{Alignment::SC4, 2.0, true}),
    [](const ::testing::TestParamInfo<RangeCase>& info) {
        return CaseName(info.index, "Alignment" + std::to_string(static_cast<int>(info.param.alignment)) +
                                        "Qts" + std::to_string(info.param.qts));
    });

TEST(OstrelAlignmentLookup, AKnotGivesItsOwnRowAndBetweenKnotsTheLineBetweenThem) {
    for (Alignment alignment : {Alignment::SBB4, Alignment::QB3, Alignment::SC4}) {
        const auto table = alignmentTable(alignment);
        for (std::size_t k = 0; k + 1 < table.size(); ++k) {
            const AlignmentLookup atKnot = lookupAlignment(alignment, table[k].qts);
            EXPECT_FALSE(atKnot.outOfRange);
            EXPECT_DOUBLE_EQ(atKnot.values.alpha, table[k].alpha);
            EXPECT_DOUBLE_EQ(atKnot.values.h, table[k].h);
            EXPECT_DOUBLE_EQ(atKnot.values.f3Ratio, table[k].f3Ratio);
            const double quarter = table[k].qts + 0.0025;
            const AlignmentLookup between = lookupAlignment(alignment, quarter);
            EXPECT_NEAR(between.values.alpha, 0.75 * table[k].alpha + 0.25 * table[k + 1].alpha, 1e-9);
            EXPECT_NEAR(between.values.f3Ratio, 0.75 * table[k].f3Ratio + 0.25 * table[k + 1].f3Ratio, 1e-9);
        }
    }
}

} // namespace
} // namespace ostrel
