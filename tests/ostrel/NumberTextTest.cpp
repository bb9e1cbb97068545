#include "ostrel/NumberText.h"

#include "tests/CaseNames.h"

#include <gtest/gtest.h>

#include <string>

#include <clocale>
#include <optional>

namespace ostrel {
namespace {

struct ParseCase {
    const char* text;
    std::optional<double> value;
};

class OstrelParseNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(OstrelParseNumberTest, ReadsOneNumberBetweenBlanks) {
    const ParseCase& c = GetParam();
    const std::optional<double> value = parseNumber(c.text);
    ASSERT_EQ(value.has_value(), c.value.has_value()) << '"' << c.text << '"';
    if (value) {
        EXPECT_DOUBLE_EQ(*value, *c.value) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OstrelParseNumberTest,
    ::testing::Values(
        ParseCase{"0.342", 0.342}, ParseCase{" \t186.16 \t", 186.16}, ParseCase{"-12.5", -12.5},
        ParseCase{"+3", 3.0}, ParseCase{"1e3", 1000.0}, ParseCase{"2.5E-2", 0.025}, ParseCase{".5", 0.5},
        ParseCase{"5.", 5.0}, ParseCase{"0", 0.0}, ParseCase{"0.0", 0.0}, ParseCase{"00", 0.0},
        ParseCase{"0e7", 0.0},
        // Zero is taken only when it begins with the digit 0.
        ParseCase{".0", std::nullopt}, ParseCase{"-0", std::nullopt}, ParseCase{"+0.0", std::nullopt},
        ParseCase{"", std::nullopt}, ParseCase{"   ", std::nullopt}, ParseCase{"abc", std::nullopt},
        ParseCase{"12abc", std::nullopt}, ParseCase{"1 2", std::nullopt}, ParseCase{"3,5", std::nullopt},
        ParseCase{"--3", std::nullopt}, ParseCase{"+-3", std::nullopt}, ParseCase{"inf", std::nullopt},
        ParseCase{"nan", std::nullopt}, ParseCase{"-infinity", std::nullopt}, ParseCase{"0x10", std::nullopt},
        ParseCase{"1e400", std::nullopt}, ParseCase{"\n5", std::nullopt}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return CaseName(info.index, info.param.text); });

TEST(OstrelFormatNumber, GeneralNotationWithFifteenAndSixDigits) {
    EXPECT_EQ(formatDouble(0.342), "0.342");
    EXPECT_EQ(formatDouble(186.16), "186.16");
    EXPECT_EQ(formatDouble(0.1 + 0.2), "0.3");
    EXPECT_EQ(formatDouble(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(formatDouble(1e20), "1e+20");
    EXPECT_EQ(formatDouble(0.0), "0");
    EXPECT_EQ(formatFloat(96.2336f), "96.2336");
    EXPECT_EQ(formatFloat(34.24896f), "34.249");
    EXPECT_EQ(formatFloat(-25.6f), "-25.6");
    EXPECT_EQ(formatFloat(1234567.0f), "1.23457e+06");
}

TEST(OstrelFormatNumber, TheUserLocaleDoesNotChangeTheText) {
    const char* german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(formatDouble(30.38), "30.38");
    EXPECT_EQ(parseNumber("30.38"), 30.38);
    EXPECT_FALSE(parseNumber("30,38").has_value());
    std::setlocale(LC_NUMERIC, "C");
    (void)german;
}

TEST(OstrelFormatNumber, ShownTextReadsBackToTheSameDouble) {
    for (double v : {0.342, 186.16, 6.57418, 1.0 / 7.0, 123456.789, 1e-7})
        EXPECT_NEAR(*parseNumber(formatDouble(v)), v, std::abs(v) * 1e-14);
}

} // namespace
} // namespace ostrel
