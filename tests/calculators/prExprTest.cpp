// The expression language: one table of formulas with the reader used and the outcome, then the
// kinds, direct node building, the resolver and the limits.
#include "calculators/prExpr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

namespace {

enum class Read { Float, Integer, String, Boolean };

// The value read as text (numbers through FloatToText / decimal), or "!" and the error message.
std::string Evaluate(const std::string& formula, Read read, const TIdentifierResolver& resolver = {}) {
    try {
        const auto tree = ParseExpression(formula, resolver);
        switch (read) {
        case Read::Float:
            return FloatToText(tree->GetFloat());
        case Read::Integer:
            return std::to_string(tree->GetInteger());
        case Read::String:
            return tree->GetString();
        case Read::Boolean:
            return tree->GetBoolean() ? "TRUE" : "FALSE";
        }
    } catch (const EExpression& error) {
        return std::string("!") + error.what();
    }
    return "?";
}

struct Row {
    const char* formula;
    Read read;
    const char* outcome;
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << '"' << row.formula << '"';
}

class Formulas : public ::testing::TestWithParam<Row> {};

TEST_P(Formulas, GiveTheirValueOrMessage) {
    const Row& row = GetParam();
    EXPECT_EQ(Evaluate(row.formula, row.read), row.outcome);
}

// The language's own examples.
const Row kLanguageRows[] = {
    {"2 + 3 * 4", Read::Integer, "14"},
    {"2 ^ 3 ^ 2", Read::Float, "64"}, // (2 ^ 3) ^ 2, not 2 ^ 9
    {"-2 ^ 2", Read::Float, "!Logarithm of a number not above zero"},
    {"7 DIV 2", Read::Integer, "3"},
    {"7 / 2", Read::Float, "3.5"},
    {"-7 MOD 2", Read::Integer, "-1"},
    {"'ab' + 'cd'", Read::String, "abcd"},
    {"'ab' + 'cd'", Read::Float, "0"},
    {"'ab'", Read::Float, "!Cannot read String as Float"},
    {"'ab' + 1", Read::String, "ab1"},
    {"'ab' - 1", Read::Float, "!Operator opMinus incompatible with String"},
    {"FALSE AND (1 / 0 > 0)", Read::Boolean, "FALSE"},
    {"TRUE OR (1 / 0 > 0)", Read::Boolean, "TRUE"},
    {"FALSE XOR (1 / 0 > 0)", Read::Boolean, "!Division by zero"},
    {"1 = 1.0", Read::Boolean, "TRUE"},
    {"'10' = 10", Read::Boolean, "TRUE"},
    {"TRUE < FALSE", Read::Boolean, "!cannot apply opLT to boolean operands"},
    {"IF(1 < 2, 'yes', 1 / 0)", Read::String, "yes"},
    {"IF(1, 2, 3)", Read::Integer, "!Invalid parameters to If"},
    {"IF(TRUE, 2)", Read::Integer, "!Invalid parameters to If"},
    {"BOOLEAN(1 + 2)", Read::Boolean, "!Internal parser error. Code 13"},
    {"BOOLEAN(1)", Read::Boolean, "!Cannot read Integer as boolean"},
    {"SQRT('4')", Read::Float, "!Invalid parameter to SQRT"},
    {"PI(1, 2)", Read::Float, "3.14159265358979"},
    {"COPY('abcdef', 2, 3)", Read::String, "bcd"},
    {"POS('c', 'abcd')", Read::Integer, "3"},
    {"$FF", Read::Integer, "255"},
    {"$", Read::Integer, "!Invalid char in hex number"},
    {"$G", Read::Integer, "!Invalid char in hex number"},
    {"1e-3", Read::Float, "0.001"},
    {"1e+3", Read::Float, "!Bad numeric format"},
    {"1.2.3", Read::Float, "!Bad numeric format"},
    {"1e3e4", Read::Float, "!Bad numeric format"},
    {"1e3.5", Read::Float, "!Bad numeric format"},
    {"1.5E3", Read::Float, "1500"},
    {"2.", Read::Float, "2"},
    {"'it''s'", Read::String, "it's"},
    {"'abc", Read::String, "!Unterminated string"},
    {"1 2", Read::Integer, "!2 not appropriate"},
    {"(1", Read::Integer, "! ) expected"},
    {"(1, 2)", Read::Integer, "! ) expected"},
    {"", Read::Integer, "!Unexpected end of factor"},
    {"   ", Read::Integer, "!Unexpected end of factor"},
    {"SIN()", Read::Float, "!Unexpected end of factor"},
    {"SIN(1", Read::Float, "!Incorrectly formed parameters"},
    {"1 + #", Read::Integer, "!Syntax error"},
    {"* 2", Read::Integer, "!opMult not allowed here"},
    {"AND", Read::Integer, "!opAnd not allowed here"},
    {"x", Read::Float, "!Unknown Identifier X"},
    {"NO", Read::Float, "!Unknown Identifier NO"},
    {"AN", Read::Float, "!Unknown Identifier AN"},
    {"ANDY", Read::Float, "!Unknown Identifier ANDY"},
    {"1 ORDER", Read::Float, "!O not appropriate"},
    {"1 < 2 AND 3", Read::Boolean, "TRUE"}, // 1 < (2 AND 3)
    {"1 < 2 < 3", Read::Boolean, "TRUE"},   // (1 < 2) read as 1, then 1 < 3
    {"- - 3", Read::Integer, "3"},
    {"NOT NOT TRUE", Read::Boolean, "TRUE"},
    {"NOT 5", Read::Integer, "-6"},
    {"- TRUE", Read::Float, "-1"},
    {"1 + - TRUE", Read::Float, "!Operator opMinus incompatible with Boolean"},
    {"+'ab'", Read::String, "!Cannot read String as String"},
    {"STRING(12) + 'x'", Read::String, "12x"},
    {"FLOAT", Read::Float, "!FLOAT needs a parameter"},
    {"INTEGER(ABS(-3))", Read::Integer, "3"},
    {"ABS(-2.5)", Read::Float, "2.5"},
    {"ARCTAN(1) * 4", Read::Float, "3.14159265358979"},
    {"COS(0) + SIN(0)", Read::Float, "1"},
    {"EXP(1)", Read::Float, "2.71828182845905"},
    {"FRAC(-2.75)", Read::Float, "-0.75"},
    {"INT(-2.75)", Read::Float, "-2"},
    {"LN(EXP(2))", Read::Float, "2"},
    {"SQR(1.5)", Read::Float, "2.25"},
    {"SQRT(2)", Read::Float, "1.4142135623731"},
    {"POWER(2, 10)", Read::Float, "1024"},
    {"POWER(2)", Read::Float, "!Invalid parameter to POWER"},
    {"UPPER('aBc1')", Read::String, "ABC1"},
    {"LOWER(1.5)", Read::String, "1.5"},
    {"LENGTH(12345)", Read::Integer, "5"},
    {"POS('', 'abc')", Read::Integer, "0"},
    {"POS('x', 'abc')", Read::Integer, "0"},
    {"COPY('abc', 2, 10)", Read::String, "bc"},
    {"COPY('abc', 4, 1)", Read::String, ""},
    {"COPY('abc', 1.5, 1)", Read::String, "!Invalid parameter to COPY"},
    {"'abc' < 'abd'", Read::Boolean, "TRUE"},
    {"'B' < 'a'", Read::Boolean, "TRUE"}, // bytes, case-sensitive
    {"IF(FALSE, 1, 'x') + 'y'", Read::String, "xy"},
    {"TRUE = 1", Read::Boolean, "TRUE"}, // compared as Integer
    {"2 AND 3", Read::Integer, "2"},
    {"5 XOR 3 OR 8", Read::Integer, "14"},
    {"2.5 AND 1", Read::Float, "!Operator opAnd incompatible with Float"},
    {"TRUE + 1", Read::Integer, "2"},
    {"TRUE + TRUE", Read::Integer, "!Operator opPlus incompatible with Boolean"},
};
INSTANTIATE_TEST_SUITE_P(Language, Formulas, ::testing::ValuesIn(kLanguageRows));

// Every reader on each kind of value: the conversions of the base node.
const Row kReaderRows[] = {
    {"'ab'", Read::String, "ab"},
    {"'ab'", Read::Integer, "!Cannot read String as prInteger"},
    {"'ab'", Read::Boolean, "!Cannot read String as boolean"},
    {"1.5", Read::String, "1.5"},
    {"1.5", Read::Float, "1.5"},
    {"1.5", Read::Integer, "!Cannot read Float as prInteger"},
    {"1.5", Read::Boolean, "!Cannot read Float as boolean"},
    {"7", Read::String, "7"},
    {"7", Read::Float, "7"},
    {"7", Read::Integer, "7"},
    {"7", Read::Boolean, "!Cannot read Integer as boolean"},
    {"TRUE", Read::String, "TRUE"},
    {"FALSE", Read::Float, "0"},
    {"TRUE", Read::Integer, "1"},
    {"TRUE", Read::Boolean, "TRUE"},
    {"SIN(0)", Read::Integer, "!Cannot read Float as prInteger"},
    {"7 DIV 2", Read::String, "3"},
    {"7 DIV 2", Read::Float, "3"},
    {"7 DIV 2", Read::Boolean, "!Internal parser error. Code 13"},
    {"7 / 2", Read::String, "3.5"},
    {"7 / 2", Read::Integer, "0"}, // an operator of kind Float read as Integer gives 0
    {"1 < 2", Read::String, "TRUE"},
    {"1 < 2", Read::Float, "1"},
    {"TRUE AND FALSE", Read::Integer, "0"},
    {"UPPER('a')", Read::Float, "!Cannot read String as Float"},
    {"LENGTH('abc')", Read::String, "3"},
    {"TRUNC(2.7)", Read::Float, "2"},
};
INSTANTIATE_TEST_SUITE_P(Readers, Formulas, ::testing::ValuesIn(kReaderRows));

// Arithmetic that never crashes: powers exact where they can be, integers wrapping modulo 2^32,
// every fault an error, rounding halves to even.
const Row kArithmeticRows[] = {
    {"2 ^ 3", Read::Float, "8"},
    {"TRUNC(2 ^ 3)", Read::Integer, "8"},
    {"TRUNC(5 ^ 3)", Read::Integer, "125"},
    {"TRUNC(10 ^ 6)", Read::Integer, "1000000"},
    {"TRUNC(3 ^ 19)", Read::Integer, "1162261467"},
    {"2 ^ 0.5", Read::Float, "1.4142135623731"},
    {"0 ^ 2", Read::Float, "!Logarithm of a number not above zero"},
    {"10 ^ 400", Read::Float, "!Floating-point overflow"},
    {"10 ^ -400", Read::Float, "0"},
    {"0.1 + 0.2", Read::Float, "0.3"},
    {"1 / 3", Read::Float, "0.333333333333333"},
    {"1E20", Read::String, "1E20"},
    {"1.5E-7", Read::String, "1.5E-7"},
    {"0.00001", Read::String, "0.00001"},
    {"123456789012345.6", Read::String, "123456789012346"},
    {"1E400", Read::Float, "!Number out of range: 1E400"},
    {"1E-400", Read::Float, "0"},
    {"1E308 * 10", Read::Float, "!Floating-point overflow"},
    {"1 / 0", Read::Float, "!Division by zero"},
    {"1.0 / 0", Read::Float, "!Division by zero"},
    {"LN(0)", Read::Float, "!Logarithm of a number not above zero"},
    {"SQRT(-1)", Read::Float, "!Invalid floating-point operation"},
    {"EXP(1000)", Read::Float, "!Floating-point overflow"},
    {"2147483647 + 1", Read::Integer, "-2147483648"},
    {"-2147483647 - 2", Read::Integer, "2147483647"},
    {"$7FFFFFFF * 2", Read::Integer, "-2"},
    {"$FFFFFFFF", Read::Integer, "-1"},
    {"$100000000", Read::Integer, "!Invalid char in hex number"},
    {"2147483648", Read::Integer, "!Integer out of range: 2147483648"},
    {"(-2147483647 - 1) DIV 2", Read::Integer, "-1073741824"},
    {"(-2147483647 - 1) DIV -1", Read::Integer, "!Integer overflow"},
    {"(-2147483647 - 1) MOD -1", Read::Integer, "0"},
    {"ABS(-2147483647 - 1)", Read::Integer, "-2147483648"},
    {"7 DIV 0", Read::Integer, "!Division by zero"},
    {"7 MOD 0", Read::Integer, "!Division by zero"},
    {"1 SHL 31", Read::Integer, "-2147483648"},
    {"-8 SHR 28", Read::Integer, "15"},
    {"1 SHL 33", Read::Integer, "!Shift count outside 0..31"},
    {"1 SHR -1", Read::Integer, "!Shift count outside 0..31"},
    {"ROUND(2.5)", Read::Integer, "2"},
    {"ROUND(3.5)", Read::Integer, "4"},
    {"ROUND(-2.5)", Read::Integer, "-2"},
    {"TRUNC(-2.7)", Read::Integer, "-2"},
    {"TRUNC(1E10)", Read::Integer, "1410065408"}, // low 32 bits of the 64-bit result
    {"ROUND(1E15)", Read::Integer, "-1530494976"},
    {"ROUND(1E19)", Read::Integer, "!Number outside the integer range"},
    {"COPY('abc', 5, 1)", Read::String, "!COPY position 5 outside the text"},
    {"COPY('abc', 0, 1)", Read::String, "!COPY position 0 outside the text"},
    {"COPY('abc', 1, -1)", Read::String, ""},
};
INSTANTIATE_TEST_SUITE_P(Arithmetic, Formulas, ::testing::ValuesIn(kArithmeticRows));

// The character left over after a whole formula is shown in the message; one that cannot be seen
// is named by its code, so that the message is never empty or blank. A character of several bytes
// is shown whole.
TEST(ExpressionMessages, NameTheLeftOverCharacterVisibly) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> rows[] = {
        {"1\0+1"s, "!#0 not appropriate"},
        {"1\x7f"s, "!#127 not appropriate"},
        {"1 \xc3\xa9"s, "!\xc3\xa9 not appropriate"},
        {"1 \u20ac2"s, "!\u20ac not appropriate"},
        {"1 \xff"s, "!#255 not appropriate"}, // no character of UTF-8
        {"1 \xc3"s, "!#195 not appropriate"}, // cut off
    };
    for (const auto& [formula, message] : rows)
        EXPECT_EQ(Evaluate(formula, Read::Integer), message) << formula.size();
}

TEST(ExpressionKinds, FollowTheOperatorTable) {
    const std::pair<const char*, TExprValueKind> rows[] = {
        {"7 DIV 2", TExprValueKind::Integer},
        {"7 / 2", TExprValueKind::Float},
        {"2 ^ 2", TExprValueKind::Float},
        {"1 = 1.0", TExprValueKind::Boolean},
        {"'a' + 'b'", TExprValueKind::String},
        {"TRUNC(1.5)", TExprValueKind::Integer},
        {"ABS(1)", TExprValueKind::Float},
        {"LENGTH('a')", TExprValueKind::Integer},
        {"COPY('a', 1, 1)", TExprValueKind::String},
        {"IF(TRUE, 1, 'a')", TExprValueKind::Integer},
        {"IF(FALSE, 1, 'a')", TExprValueKind::String},
        {"INTEGER(1.5)", TExprValueKind::Integer},
        {"NOT TRUE", TExprValueKind::Boolean},
        {"1.5 + 1", TExprValueKind::Float},
    };
    for (const auto& [formula, kind] : rows)
        EXPECT_EQ(ParseExpression(formula)->ResultKind(), kind) << formula;
}

TEST(ExpressionNodes, RefuseOperatorsOfAnotherClass) {
    const auto one = [] { return std::make_unique<TIntegerLiteral>(1); };
    const auto message = [](auto build) {
        try {
            build();
        } catch (const EExpression& error) {
            return std::string(error.what());
        }
        return std::string("built");
    };
    EXPECT_EQ(message([&] { TUnaryOp(opMult, one()); }), "opMult is not simple unary operator");
    EXPECT_EQ(message([&] { TBinaryOp(opEq, one(), one()); }), "opEq is not a simple binary operator");
    EXPECT_EQ(message([&] { TBinaryOp(opNot, one(), one()); }), "opNot is not a simple binary operator");
    EXPECT_EQ(message([&] { TRelationalOp(opPlus, one(), one()); }), "opPlus is not relational operator");
    // An ill-typed operand fails when its parent is built.
    EXPECT_EQ(message([&] {
                  TBinaryOp(
                      opPlus, one(),
                      std::make_unique<TBinaryOp>(opMinus, std::make_unique<TStringLiteral>("a"), one()));
              }),
              "Operator opMinus incompatible with String");
    EXPECT_EQ(message([&] { TBinaryOp(opPlus, one(), one()); }), "built");
}

TEST(ExpressionResolver, AnswersUnknownNamesAndTakesTheirParameters) {
    std::vector<std::string> asked;
    std::size_t parameterCount = 99;
    const TIdentifierResolver resolver = [&](const std::string& name, TParameterListPtr& parameters) {
        asked.push_back(name);
        if (name == "WIDTH")
            return TExpressionPtr(std::make_unique<TFloatLiteral>(0.25));
        if (name == "SUM2") {
            parameterCount = parameters ? parameters->Count() : 0;
            return TExpressionPtr(std::make_unique<TTypeCast>(TExprValueKind::Float, std::move(parameters)));
        }
        return TExpressionPtr();
    };
    EXPECT_EQ(Evaluate("Width * 4 + sum2(3, 4)", Read::Float, resolver), "4");
    EXPECT_EQ(parameterCount, 2u);
    EXPECT_EQ(Evaluate("depth", Read::Float, resolver), "!Unknown Identifier DEPTH");
    // Standard names come first, TRUE and FALSE never reach the resolver.
    EXPECT_EQ(Evaluate("PI + TRUE", Read::Float, resolver), "4.14159265358979");
    EXPECT_EQ(asked, (std::vector<std::string>{"WIDTH", "SUM2", "DEPTH"}));
}

TEST(ExpressionReading, DoesNotChangeTheTree) {
    const auto tree = ParseExpression("IF(2 > 1, 3 * 7, 0) + 0.5");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(tree->GetFloat(), 21.5);
        EXPECT_EQ(tree->GetString(), "21.5");
    }
}

TEST(ExpressionLimits, DeepNestingIsAnErrorNotACrash) {
    const std::string parentheses = std::string(100000, '(') + "1" + std::string(100000, ')');
    EXPECT_EQ(Evaluate(parentheses, Read::Integer), "!Formula nested too deeply");
    const std::string minuses = std::string(100000, '-') + "1";
    EXPECT_EQ(Evaluate(minuses, Read::Integer), "!Formula nested too deeply");
    std::string chain = "1";
    for (int i = 0; i < 5000; ++i)
        chain += "+1";
    EXPECT_EQ(Evaluate(chain, Read::Integer), "!Formula nested too deeply");
    // Within the limits nesting works.
    EXPECT_EQ(Evaluate(std::string(150, '(') + "1" + std::string(150, ')'), Read::Integer), "1");
    std::string shorter = "1";
    for (int i = 0; i < 500; ++i)
        shorter += "+1";
    EXPECT_EQ(Evaluate(shorter, Read::Integer), "501");
}

TEST(ExpressionLimits, WorkWithoutEndIsCutOff) {
    // Each IF asks its condition for its kind and then reads it, so a chain of IFs in the
    // condition doubles the work per level.
    std::string formula = "TRUE";
    for (int i = 0; i < 60; ++i)
        formula = "IF(" + formula + ", TRUE, FALSE)";
    EXPECT_EQ(Evaluate(formula, Read::Boolean), "!Formula takes too much work");
    // A resolver that builds ever larger trees is cut off too.
    int depth = 0;
    TIdentifierResolver grow;
    grow = [&](const std::string& name, TParameterListPtr&) -> TExpressionPtr {
        if (name != "X" || depth > 60)
            return std::make_unique<TIntegerLiteral>(1);
        ++depth;
        auto tree = ParseExpression("X + X", grow);
        --depth;
        return tree;
    };
    EXPECT_EQ(Evaluate("X", Read::Integer, grow), "!Formula too large");
}

TEST(ExpressionLimits, LongTextsAreRefused) {
    EXPECT_EQ(Evaluate("'" + std::string(256, 'a') + "'", Read::String), std::string(256, 'a'));
    EXPECT_EQ(Evaluate("'" + std::string(257, 'a') + "'", Read::String), "!String too long");
    EXPECT_EQ(Evaluate("$" + std::string(256, '0'), Read::Integer), "!Hex string too long");
    EXPECT_EQ(Evaluate("$" + std::string(255, '0') + "1", Read::Integer), "!Hex string too long");
    EXPECT_EQ(Evaluate("$" + std::string(254, '0') + "1", Read::Integer), "1");
    EXPECT_EQ(Evaluate(std::string(28, '1') + ".0", Read::Float), "!Bad numeric format");
    EXPECT_EQ(Evaluate("0." + std::string(26, '5'), Read::Float), "0.555555555555556");
}

} // namespace
