// One rule for the loss factors of all five boxes: a leakage, absorption, vent-loss or
// inter-chamber factor that is 0, negative or not finite leaves the curve empty, whichever box
// reads it; a factor the box does not read changes nothing.

#include "simulation/boxmath.h"

#include "tests/simulation/bandpass_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

using namespace boxtest;

namespace {

using Factor = double TBoxData::*;

struct BoxCase {
    const char* name;
    TBoxData (*make)();
    std::vector<Factor> read;   // the loss factors the box reads
    std::vector<Factor> unread; // loss factors of other boxes
};

void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << c.name;
}

const std::vector<Factor> AllFactors = {&TBoxData::Qlf, &TBoxData::Qaf, &TBoxData::Qpf,   &TBoxData::Qlr,
                                        &TBoxData::Qar, &TBoxData::Qpr, &TBoxData::Qiclfr};

std::string FactorName(Factor factor) {
    const char* names[] = {"Qlf", "Qaf", "Qpf", "Qlr", "Qar", "Qpr", "Qiclfr"};
    for (std::size_t i = 0; i < AllFactors.size(); ++i)
        if (AllFactors[i] == factor)
            return names[i];
    return "?";
}

class LossFactorRule : public ::testing::TestWithParam<BoxCase> {};

const TCurveKind ProbedKinds[] = {ckTransfer, ckExcursion, ckImpedance, ckSPL, ckGroupDelay};

TEST_P(LossFactorRule, FactorThatDescribesNoLossLeavesTheCurveEmpty) {
    const BoxCase& c = GetParam();
    const double bad[] = {0.0, -10.0, std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
    for (Factor factor : c.read) {
        for (double value : bad) {
            for (TCurveKind kind : ProbedKinds) {
                SCOPED_TRACE(FactorName(factor) + " = " + std::to_string(value) + ", kind " +
                             std::to_string(int(kind)));
                Caller caller(BoxMath_GetFunc(c.make().BType), c.make());
                // A sound curve first: the spoilt set-up must not leave it standing.
                caller.SetUp(kind);
                ASSERT_FALSE(IsZero(caller.At(40)));
                caller.box.*factor = value;
                caller.reports.clear();
                EXPECT_TRUE(IsZero(caller.SetUp(kind)));
                EXPECT_TRUE(caller.reports.empty());
                for (double f : {10.0, 40.0, 400.0})
                    EXPECT_TRUE(IsZero(caller.At(f))) << f << " Hz";
            }
        }
    }
}

TEST_P(LossFactorRule, FactorsOfOtherBoxesChangeNothing) {
    const BoxCase& c = GetParam();
    for (Factor factor : c.unread) {
        SCOPED_TRACE(FactorName(factor));
        Caller sound(BoxMath_GetFunc(c.make().BType), c.make());
        Caller spoilt(BoxMath_GetFunc(c.make().BType), c.make());
        spoilt.box.*factor = 0;
        for (TCurveKind kind : ProbedKinds) {
            const TComplex a = sound.Value(kind, 40);
            const TComplex b = spoilt.Value(kind, 40);
            EXPECT_FALSE(IsZero(a)) << int(kind);
            EXPECT_EQ(a.re, b.re) << int(kind);
            EXPECT_EQ(a.im, b.im) << int(kind);
        }
    }
}

// The table the file reader names unusable factors by is exactly what the box reads.
TEST_P(LossFactorRule, TheTableOfLossFactorsNamesTheFactorsThisBoxReads) {
    const BoxCase& c = GetParam();
    std::vector<std::string> named, read;
    for (const TLossFactorKey& loss : BoxLossFactors(c.make().BType)) {
        named.emplace_back(loss.Key);
        EXPECT_EQ(FactorName(loss.Factor), std::string(loss.Key));
    }
    for (Factor factor : AllFactors)
        if (std::find(c.read.begin(), c.read.end(), factor) != c.read.end())
            read.push_back(FactorName(factor));
    EXPECT_EQ(named, read);
}

// A very large factor is the practical way to ask for a box without that loss.
TEST_P(LossFactorRule, LargeFactorsAreAccepted) {
    const BoxCase& c = GetParam();
    Caller caller(BoxMath_GetFunc(c.make().BType), c.make());
    for (Factor factor : c.read)
        caller.box.*factor = 1e12;
    for (TCurveKind kind : ProbedKinds) {
        const TComplex value = caller.Value(kind, 40);
        EXPECT_TRUE(IsFinite(value)) << int(kind);
        EXPECT_FALSE(IsZero(value)) << int(kind);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, LossFactorRule,
    ::testing::Values(
        BoxCase{"Closed",
                &ClosedBox,
                {&TBoxData::Qlr, &TBoxData::Qar},
                {&TBoxData::Qpr, &TBoxData::Qlf, &TBoxData::Qaf, &TBoxData::Qpf, &TBoxData::Qiclfr}},
        BoxCase{"Vented",
                &VentedBox,
                {&TBoxData::Qlr, &TBoxData::Qar, &TBoxData::Qpr},
                {&TBoxData::Qlf, &TBoxData::Qaf, &TBoxData::Qpf, &TBoxData::Qiclfr}},
        BoxCase{"Bandpass4",
                &Bandpass4Box,
                {&TBoxData::Qlr, &TBoxData::Qar, &TBoxData::Qlf, &TBoxData::Qaf, &TBoxData::Qpf,
                 &TBoxData::Qiclfr},
                {&TBoxData::Qpr}},
        BoxCase{"Bandpass6", &Bandpass6Box, AllFactors, {}},
        BoxCase{"PassiveRadiator",
                &PassiveRadiatorBox,
                {&TBoxData::Qlr, &TBoxData::Qar},
                {&TBoxData::Qpr, &TBoxData::Qlf, &TBoxData::Qaf, &TBoxData::Qpf, &TBoxData::Qiclfr}}),
    [](const ::testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

} // namespace
