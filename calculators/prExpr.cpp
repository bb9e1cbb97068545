#include "calculators/prExpr.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

namespace {

// ---- budget ----------------------------------------------------------------------------------

// What the formula being parsed or read has cost so far on this thread. A parse and a read open a
// scope; the work starts from nothing when the outermost scope opens (a resolver's nested parse
// and the reads inside a parse count towards the outer one).
struct Budget {
    int scopes = 0;
    std::uint64_t work = 0;
    std::uint64_t nodes = 0;
    int nesting = 0;
};

thread_local Budget budget;

void Spend(std::uint64_t units) {
    if (budget.scopes == 0)
        return;
    budget.work += units;
    if (budget.work > kMaxExpressionWork)
        throw EExpression("Formula takes too much work");
}

void CountNode() {
    if (budget.scopes == 0)
        return;
    if (++budget.nodes > kMaxExpressionNodes)
        throw EExpression("Formula too large");
    Spend(1);
}

class NestingGuard {
public:
    NestingGuard() {
        if (budget.nesting >= kMaxExpressionNesting)
            throw EExpression("Formula nested too deeply");
        ++budget.nesting;
    }
    ~NestingGuard() { --budget.nesting; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
};

// ---- messages --------------------------------------------------------------------------------

std::string Format(const char* pattern, std::string_view argument) {
    std::string text(pattern);
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, argument);
    return text;
}

[[noreturn]] void Fail(const char* pattern, std::string_view argument) {
    throw EExpression(Format(pattern, argument));
}

[[noreturn]] void Fail(const char* message) {
    throw EExpression(message);
}

// The character at `at` as a message shows it: itself, with all its bytes where UTF-8 gives it
// several; a control character, or a byte that starts no whole character, as "#" and its code.
// A NUL would otherwise cut the message short where it is read as a C string.
std::string ShownCharacter(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const auto code = [&] { return "#" + std::to_string(lead); };
    if (lead < 0x20 || lead == 0x7F)
        return code();
    if (lead < 0x80)
        return std::string(1, text[at]);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || at + length > text.size())
        return code();
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80)
            return code();
    return std::string(text.substr(at, length));
}

// Texts of our own for the arithmetic faults.
constexpr const char* kDivisionByZero = "Division by zero";
constexpr const char* kOverflow = "Floating-point overflow";
constexpr const char* kInvalidResult = "Invalid floating-point operation";
constexpr const char* kLogarithm = "Logarithm of a number not above zero";
constexpr const char* kIntegerOverflow = "Integer overflow";
constexpr const char* kShiftRange = "Shift count outside 0..31";
constexpr const char* kIntegerRange = "Number outside the integer range";
constexpr const char* kTextTooLong = "Text too long";

// Longest text a formula may build; keeps concatenation through resolved names bounded.
constexpr std::size_t kMaxTextLength = 65536;

// A result computed from finite operands must be finite too.
double Checked(double value) {
    if (std::isnan(value))
        Fail(kInvalidResult);
    if (std::isinf(value))
        Fail(kOverflow);
    return value;
}

// exp(ln(x) * y), in extended precision so that whole powers of whole numbers come out exact.
double Power(double base, double exponent) {
    if (!(base > 0.0))
        Fail(kLogarithm);
    const long double result =
        std::exp(std::log(static_cast<long double>(base)) * static_cast<long double>(exponent));
    if (!std::isfinite(result) || std::fabs(result) > std::numeric_limits<double>::max())
        Fail(kOverflow);
    return static_cast<double>(result);
}

std::int32_t Wrap(std::uint32_t value) {
    return static_cast<std::int32_t>(value);
}

std::uint32_t Bits(std::int32_t value) {
    return static_cast<std::uint32_t>(value);
}

// TRUNC and ROUND: the low 32 bits of a 64-bit integral result.
std::int32_t LowBits(double integral) {
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (!std::isfinite(integral) || !(integral >= -limit && integral < limit))
        Fail(kIntegerRange);
    return Wrap(static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(integral))));
}

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsIdentifierChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsWhite(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

bool IsRelational(TExprOperator op) {
    return op >= opEq && op <= opGTE;
}

TExprValueKind Lower(TExprValueKind a, TExprValueKind b) {
    return a < b ? a : b;
}

[[noreturn]] void Incompatible(TExprOperator op, TExprValueKind kind) {
    throw EExpression(std::string("Operator ") + OperatorName(op) + " incompatible with " + KindName(kind));
}

constexpr std::array<const char*, 14> kMathNames = {"TRUNC", "ROUND", "ABS",  "ARCTAN", "COS",
                                                    "EXP",   "FRAC",  "INT",  "LN",     "PI",
                                                    "SIN",   "SQR",   "SQRT", "POWER"};
constexpr std::array<const char*, 5> kStringNames = {"UPPER", "LOWER", "COPY", "POS", "LENGTH"};

} // namespace

TExpressionBudget::TExpressionBudget() {
    if (budget.scopes++ == 0) {
        budget.work = 0;
        budget.nodes = 0;
    }
}

TExpressionBudget::~TExpressionBudget() {
    --budget.scopes;
}

// ---- names and numbers -----------------------------------------------------------------------

const char* KindName(TExprValueKind kind) {
    switch (kind) {
    case TExprValueKind::String:
        return "String";
    case TExprValueKind::Float:
        return "Float";
    case TExprValueKind::Integer:
        return "Integer";
    case TExprValueKind::Boolean:
        return "Boolean";
    }
    return "?";
}

const char* OperatorName(TExprOperator op) {
    static constexpr std::array<const char*, 19> names = {
        "opNot",   "opExp", "opMult", "opDivide", "opDiv", "opMod", "opAnd", "opShl", "opShr", "opPlus",
        "opMinus", "opOr",  "opXor",  "opEq",     "opNEQ", "opLT",  "opGT",  "opLTE", "opGTE"};
    return op < names.size() ? names[op] : "op?";
}

std::string FloatToText(double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    if (value == 0)
        return "0";
    // 15 significant digits: d.dddddddddddddde±x
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    if (ec != std::errc())
        return "0";
    const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    const bool negative = text.front() == '-';
    const auto ePos = text.find('e');
    std::string digits;
    for (char c : text.substr(0, ePos))
        if (IsDigit(c))
            digits += c;
    int exponent = 0;
    std::from_chars(text.data() + ePos + (text[ePos + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string result = negative ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        result += digits[0];
        if (digits.size() > 1)
            result += "." + digits.substr(1);
        result += "E" + std::to_string(exponent);
    } else if (exponent < 0) {
        result += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            result += digits + std::string(whole - digits.size(), '0');
        } else {
            result += digits.substr(0, whole) + "." + digits.substr(whole);
        }
    }
    return result;
}

// ---- base node -------------------------------------------------------------------------------

TExpression::TExpression() {
    CountNode();
}

void TExpression::SetHeight(int childHeight) {
    if (childHeight >= kMaxExpressionHeight)
        Fail("Formula nested too deeply");
    height_ = childHeight + 1;
}

std::string TExpression::GetString() const {
    const TExpressionBudget scope;
    Spend(1);
    return ReadString();
}

double TExpression::GetFloat() const {
    const TExpressionBudget scope;
    Spend(1);
    return ReadFloat();
}

std::int32_t TExpression::GetInteger() const {
    const TExpressionBudget scope;
    Spend(1);
    return ReadInteger();
}

bool TExpression::GetBoolean() const {
    const TExpressionBudget scope;
    Spend(1);
    return ReadBoolean();
}

TExprValueKind TExpression::ResultKind() const {
    const TExpressionBudget scope;
    Spend(1);
    return ReadKind();
}

std::string TExpression::ReadString() const {
    switch (const auto kind = ResultKind()) {
    case TExprValueKind::String:
        Fail("Cannot read %s as String", KindName(kind));
    case TExprValueKind::Float:
        return FloatToText(GetFloat());
    case TExprValueKind::Integer:
        return std::to_string(GetInteger());
    case TExprValueKind::Boolean:
        return GetBoolean() ? "TRUE" : "FALSE";
    }
    Fail("Cannot read %s as String", "?");
}

double TExpression::ReadFloat() const {
    switch (const auto kind = ResultKind()) {
    case TExprValueKind::String:
    case TExprValueKind::Float:
        Fail("Cannot read %s as Float", KindName(kind));
    case TExprValueKind::Integer:
        return GetInteger();
    case TExprValueKind::Boolean:
        return GetBoolean() ? 1 : 0;
    }
    Fail("Cannot read %s as Float", "?");
}

std::int32_t TExpression::ReadInteger() const {
    const auto kind = ResultKind();
    if (kind == TExprValueKind::Boolean)
        return GetBoolean() ? 1 : 0;
    Fail("Cannot read %s as prInteger", KindName(kind));
}

bool TExpression::ReadBoolean() const {
    Fail("Cannot read %s as boolean", KindName(ResultKind()));
}

void TParameterList::Add(TExpressionPtr item) {
    if (item)
        items_.push_back(std::move(item));
}

int TParameterList::Height() const {
    int height = 0;
    for (const auto& item : items_)
        height = std::max(height, item->Height());
    return height;
}

// ---- literals --------------------------------------------------------------------------------

TFloatLiteral::TFloatLiteral(double value) : value_(Checked(value)) {}

// ---- unary -----------------------------------------------------------------------------------

TUnaryOp::TUnaryOp(TExprOperator op, TExpressionPtr operand) : operand_(std::move(operand)), operator_(op) {
    if (op != opNot && op != opPlus && op != opMinus)
        Fail("%s is not simple unary operator", OperatorName(op));
    operandKind_ = operand_->ResultKind();
    SetHeight(operand_->Height());
}

TExprValueKind TUnaryOp::ReadKind() const {
    switch (operandKind_) {
    case TExprValueKind::String:
        if (operator_ == opPlus)
            return TExprValueKind::String;
        break;
    case TExprValueKind::Float:
        if (operator_ != opNot)
            return TExprValueKind::Float;
        break;
    case TExprValueKind::Integer:
        return TExprValueKind::Integer;
    case TExprValueKind::Boolean:
        if (operator_ == opNot)
            return TExprValueKind::Boolean;
        break;
    }
    Incompatible(operator_, operandKind_);
}

// Unary plus and minus pass numbers through without asking for the kind, so - TRUE reads as -1.
double TUnaryOp::ReadFloat() const {
    if (operator_ == opPlus)
        return operand_->GetFloat();
    if (operator_ == opMinus)
        return -operand_->GetFloat();
    return TExpression::ReadFloat();
}

std::int32_t TUnaryOp::ReadInteger() const {
    if (operator_ == opPlus)
        return operand_->GetInteger();
    if (operator_ == opMinus)
        return Wrap(0u - Bits(operand_->GetInteger()));
    if (operandKind_ == TExprValueKind::Integer)
        return ~operand_->GetInteger();
    return TExpression::ReadInteger();
}

bool TUnaryOp::ReadBoolean() const {
    if (operator_ == opNot && operandKind_ == TExprValueKind::Boolean)
        return !operand_->GetBoolean();
    return TExpression::ReadBoolean();
}

// ---- binary ----------------------------------------------------------------------------------

TBinaryOp::TBinaryOp(TExprOperator op, TExpressionPtr left, TExpressionPtr right)
    : left_(std::move(left)), right_(std::move(right)), operator_(op) {
    if (op < opExp || op > opXor)
        Fail("%s is not a simple binary operator", OperatorName(op));
    const auto leftKind = left_->ResultKind();
    commonKind_ = Lower(leftKind, right_->ResultKind());
    SetHeight(std::max(left_->Height(), right_->Height()));
}

TExprValueKind TBinaryOp::ReadKind() const {
    switch (commonKind_) {
    case TExprValueKind::String:
        if (operator_ == opPlus)
            return TExprValueKind::String;
        break;
    case TExprValueKind::Float:
        switch (operator_) {
        case opExp:
        case opMult:
        case opDivide:
        case opPlus:
        case opMinus:
            return TExprValueKind::Float;
        default:
            break;
        }
        break;
    case TExprValueKind::Integer:
        if (operator_ == opExp || operator_ == opDivide)
            return TExprValueKind::Float;
        return TExprValueKind::Integer;
    case TExprValueKind::Boolean:
        if (operator_ == opAnd || operator_ == opOr || operator_ == opXor)
            return TExprValueKind::Boolean;
        break;
    }
    Incompatible(operator_, commonKind_);
}

std::string TBinaryOp::ReadString() const {
    if (ResultKind() != TExprValueKind::String)
        return TExpression::ReadString();
    std::string text = left_->GetString();
    const std::string right = right_->GetString();
    if (text.size() + right.size() > kMaxTextLength)
        Fail(kTextTooLong);
    Spend((text.size() + right.size()) / 16);
    return text + right;
}

double TBinaryOp::ReadFloat() const {
    switch (ResultKind()) {
    case TExprValueKind::String:
        return 0;
    case TExprValueKind::Integer:
        return GetInteger();
    case TExprValueKind::Boolean:
        return GetBoolean() ? 1 : 0;
    case TExprValueKind::Float:
        break;
    }
    const double left = left_->GetFloat();
    const double right = right_->GetFloat();
    switch (operator_) {
    case opExp:
        return Power(left, right);
    case opMult:
        return Checked(left * right);
    case opDivide:
        if (right == 0)
            Fail(kDivisionByZero);
        return Checked(left / right);
    case opPlus:
        return Checked(left + right);
    case opMinus:
        return Checked(left - right);
    default:
        Incompatible(operator_, commonKind_);
    }
}

std::int32_t TBinaryOp::ReadInteger() const {
    switch (ResultKind()) {
    case TExprValueKind::String:
    case TExprValueKind::Float:
        return 0;
    case TExprValueKind::Boolean:
        return GetBoolean() ? 1 : 0;
    case TExprValueKind::Integer:
        break;
    }
    const std::int32_t left = left_->GetInteger();
    const std::int32_t right = right_->GetInteger();
    // Modulo 2^32, as the 32-bit registers always gave; only the faults raise.
    switch (operator_) {
    case opMult:
        return Wrap(Bits(left) * Bits(right));
    case opDiv:
        if (right == 0)
            Fail(kDivisionByZero);
        if (left == std::numeric_limits<std::int32_t>::min() && right == -1)
            Fail(kIntegerOverflow);
        return left / right;
    case opMod:
        if (right == 0)
            Fail(kDivisionByZero);
        if (right == -1)
            return 0;
        return left % right;
    case opAnd:
        return left & right;
    case opOr:
        return left | right;
    case opXor:
        return left ^ right;
    case opShl:
        if (right < 0 || right > 31)
            Fail(kShiftRange);
        return Wrap(Bits(left) << right);
    case opShr:
        if (right < 0 || right > 31)
            Fail(kShiftRange);
        return Wrap(Bits(left) >> right);
    case opPlus:
        return Wrap(Bits(left) + Bits(right));
    case opMinus:
        return Wrap(Bits(left) - Bits(right));
    default:
        Incompatible(operator_, commonKind_);
    }
}

bool TBinaryOp::ReadBoolean() const {
    switch (operator_) {
    case opAnd:
        return left_->GetBoolean() && right_->GetBoolean();
    case opOr:
        return left_->GetBoolean() || right_->GetBoolean();
    case opXor: {
        const bool left = left_->GetBoolean();
        return left != right_->GetBoolean();
    }
    default:
        throw EExpression("Internal parser error. Code 13");
    }
}

// ---- relational ------------------------------------------------------------------------------

TRelationalOp::TRelationalOp(TExprOperator op, TExpressionPtr left, TExpressionPtr right)
    : left_(std::move(left)), right_(std::move(right)), operator_(op) {
    if (!IsRelational(op))
        Fail("%s is not relational operator", OperatorName(op));
    SetHeight(std::max(left_->Height(), right_->Height()));
}

namespace {
template <typename T> bool Compare(TExprOperator op, const T& left, const T& right) {
    switch (op) {
    case opEq:
        return left == right;
    case opNEQ:
        return left != right;
    case opLT:
        return left < right;
    case opGT:
        return left > right;
    case opLTE:
        return left <= right;
    default:
        return left >= right;
    }
}
} // namespace

bool TRelationalOp::ReadBoolean() const {
    const auto leftKind = left_->ResultKind();
    switch (Lower(leftKind, right_->ResultKind())) {
    case TExprValueKind::String: {
        // std::string compares bytes as unsigned characters, case-sensitive.
        const std::string left = left_->GetString();
        return Compare(operator_, left, right_->GetString());
    }
    case TExprValueKind::Float: {
        const double left = left_->GetFloat();
        return Compare(operator_, left, right_->GetFloat());
    }
    case TExprValueKind::Integer: {
        const std::int32_t left = left_->GetInteger();
        return Compare(operator_, left, right_->GetInteger());
    }
    case TExprValueKind::Boolean:
        break;
    }
    if (operator_ != opEq && operator_ != opNEQ)
        Fail("cannot apply %s to boolean operands", OperatorName(operator_));
    const bool left = left_->GetBoolean();
    return Compare(operator_, left, right_->GetBoolean());
}

std::string TRelationalOp::ReadString() const {
    return ReadBoolean() ? "TRUE" : "FALSE";
}
double TRelationalOp::ReadFloat() const {
    return ReadBoolean() ? 1 : 0;
}
std::int32_t TRelationalOp::ReadInteger() const {
    return ReadBoolean() ? 1 : 0;
}

// ---- functions -------------------------------------------------------------------------------

TFunction::TFunction(TParameterListPtr parameters) : parameters_(std::move(parameters)) {
    if (parameters_)
        SetHeight(parameters_->Height());
}

TExpression& TFunction::Param(std::size_t index) const {
    if (index >= ParameterCount())
        Fail("Missing parameter");
    return parameters_->Item(index);
}

TTypeCast::TTypeCast(TExprValueKind target, TParameterListPtr parameters)
    : TFunction(std::move(parameters)), target_(target) {}

TExpression& TTypeCast::Operand() const {
    if (ParameterCount() == 0) {
        std::string name = KindName(target_);
        for (auto& c : name)
            c = Upper(c);
        Fail("%s needs a parameter", name);
    }
    return Param(0);
}

std::string TTypeCast::ReadString() const {
    return Operand().GetString();
}
double TTypeCast::ReadFloat() const {
    return Operand().GetFloat();
}
std::int32_t TTypeCast::ReadInteger() const {
    return Operand().GetInteger();
}
bool TTypeCast::ReadBoolean() const {
    return Operand().GetBoolean();
}

TMathExpression::TMathExpression(int function, TParameterListPtr parameters)
    : TFunction(std::move(parameters)), function_(function) {}

void TMathExpression::CheckParameters() const {
    const bool ok = [this] {
        if (function_ == 9) // PI takes anything and ignores it
            return true;
        const std::size_t wanted = function_ == 13 ? 2 : 1;
        if (ParameterCount() != wanted)
            return false;
        for (std::size_t i = 0; i < wanted; ++i)
            if (Param(i).ResultKind() == TExprValueKind::String)
                return false;
        return true;
    }();
    if (!ok)
        Fail("Invalid parameter to %s", kMathNames[static_cast<std::size_t>(function_)]);
}

TExprValueKind TMathExpression::ReadKind() const {
    return function_ <= 1 ? TExprValueKind::Integer : TExprValueKind::Float;
}

double TMathExpression::ReadFloat() const {
    CheckParameters();
    if (function_ == 9)
        return 3.141592653589793;
    if (function_ <= 1)
        return ReadInteger();
    const double x = Param(0).GetFloat();
    switch (function_) {
    case 2:
        return std::fabs(x);
    case 3:
        return std::atan(x);
    case 4:
        return std::cos(x);
    case 5:
        return Checked(std::exp(x));
    case 6:
        return x - std::trunc(x);
    case 7:
        return std::trunc(x);
    case 8:
        if (!(x > 0))
            Fail(kLogarithm);
        return std::log(x);
    case 10:
        return std::sin(x);
    case 11:
        return Checked(x * x);
    case 12:
        if (x < 0)
            Fail(kInvalidResult);
        return std::sqrt(x);
    default:
        return Power(x, Param(1).GetFloat());
    }
}

std::int32_t TMathExpression::ReadInteger() const {
    if (function_ > 2)
        return TExpression::ReadInteger();
    CheckParameters();
    if (function_ == 2) {
        const std::int32_t value = Param(0).GetInteger();
        return value < 0 ? Wrap(0u - Bits(value)) : value;
    }
    const double x = Param(0).GetFloat();
    // ROUND: to nearest, halves to even (the default rounding mode).
    return LowBits(function_ == 0 ? std::trunc(x) : std::nearbyint(x));
}

TStringExpression::TStringExpression(int function, TParameterListPtr parameters)
    : TFunction(std::move(parameters)), function_(function) {}

void TStringExpression::CheckParameters() const {
    const bool ok = [this] {
        switch (function_) {
        case 2: {
            if (ParameterCount() != 3)
                return false;
            for (std::size_t i = 1; i < 3; ++i) {
                const auto kind = Param(i).ResultKind();
                if (kind != TExprValueKind::Integer && kind != TExprValueKind::Boolean)
                    return false;
            }
            return true;
        }
        case 3:
            return ParameterCount() == 2;
        default:
            return ParameterCount() == 1;
        }
    }();
    if (!ok)
        Fail("Invalid parameter to %s", kStringNames[static_cast<std::size_t>(function_)]);
}

TExprValueKind TStringExpression::ReadKind() const {
    return function_ >= 3 ? TExprValueKind::Integer : TExprValueKind::String;
}

std::string TStringExpression::ReadString() const {
    if (function_ >= 3)
        return TExpression::ReadString();
    CheckParameters();
    std::string text = Param(0).GetString();
    Spend(text.size() / 16);
    if (function_ == 0) {
        for (auto& c : text)
            c = Upper(c);
        return text;
    }
    if (function_ == 1) {
        for (auto& c : text)
            c = Lower(c);
        return text;
    }
    const std::int32_t start = Param(1).GetInteger();
    const std::int32_t count = Param(2).GetInteger();
    // Positions run 1 .. length + 1 (the empty tail); anything else is a mistake in the formula.
    if (start < 1 || static_cast<std::size_t>(start) > text.size() + 1)
        throw EExpression("COPY position " + std::to_string(start) + " outside the text");
    if (count <= 0)
        return {};
    return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

std::int32_t TStringExpression::ReadInteger() const {
    if (function_ < 3)
        return TExpression::ReadInteger();
    CheckParameters();
    const std::string text = Param(0).GetString();
    if (function_ == 4)
        return static_cast<std::int32_t>(std::min<std::size_t>(text.size(), kMaxTextLength));
    const std::string within = Param(1).GetString();
    Spend((text.size() + within.size()) / 16);
    if (text.empty())
        return 0;
    const auto at = within.find(text);
    return at == std::string::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

const TExpression& TConditional::Chosen() const {
    if (ParameterCount() != 3 || Param(0).ResultKind() != TExprValueKind::Boolean)
        Fail("Invalid parameters to If");
    return Param(0).GetBoolean() ? Param(1) : Param(2);
}

TExpressionPtr LookupStandardFunction(const std::string& identifier, TParameterListPtr& parameters) {
    if (identifier == "IF")
        return std::make_unique<TConditional>(std::move(parameters));
    static constexpr std::array<std::pair<const char*, TExprValueKind>, 4> casts = {{
        {"STRING", TExprValueKind::String},
        {"FLOAT", TExprValueKind::Float},
        {"INTEGER", TExprValueKind::Integer},
        {"BOOLEAN", TExprValueKind::Boolean},
    }};
    for (const auto& [name, kind] : casts)
        if (identifier == name)
            return std::make_unique<TTypeCast>(kind, std::move(parameters));
    for (std::size_t i = 0; i < kMathNames.size(); ++i)
        if (identifier == kMathNames[i])
            return std::make_unique<TMathExpression>(static_cast<int>(i), std::move(parameters));
    for (std::size_t i = 0; i < kStringNames.size(); ++i)
        if (identifier == kStringNames[i])
            return std::make_unique<TStringExpression>(static_cast<int>(i), std::move(parameters));
    return nullptr;
}

// ---- parser ----------------------------------------------------------------------------------

namespace {

class Parser {
public:
    Parser(std::string_view text, const TIdentifierResolver& resolver) : text_(text), resolver_(resolver) {}

    TExpressionPtr ParseWhole() {
        auto root = ParseLevel(0);
        if (pos_ < text_.size())
            Fail("%s not appropriate", ShownCharacter(text_, pos_));
        return root;
    }

private:
    struct Found {
        TExprOperator op;
        std::size_t end;
    };

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek(std::size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    bool Has(std::size_t ahead = 0) const { return pos_ + ahead < text_.size(); }

    void SkipWhite() {
        while (!AtEnd() && IsWhite(text_[pos_]))
            ++pos_;
    }

    // The operator at the cursor, without moving the cursor.
    std::optional<Found> ReadOperator() const {
        if (AtEnd())
            return std::nullopt;
        const char c = text_[pos_];
        switch (c) {
        case '*':
            return Found{opMult, pos_ + 1};
        case '+':
            return Found{opPlus, pos_ + 1};
        case '-':
            return Found{opMinus, pos_ + 1};
        case '/':
            return Found{opDivide, pos_ + 1};
        case '^':
            return Found{opExp, pos_ + 1};
        case '=':
            return Found{opEq, pos_ + 1};
        case '<':
            if (Has(1) && Peek(1) == '=')
                return Found{opLTE, pos_ + 2};
            if (Has(1) && Peek(1) == '>')
                return Found{opNEQ, pos_ + 2};
            return Found{opLT, pos_ + 1};
        case '>':
            if (Has(1) && Peek(1) == '=')
                return Found{opGTE, pos_ + 2};
            return Found{opGT, pos_ + 1};
        default:
            break;
        }
        if (std::strchr("ADMNOSX", Upper(c)) == nullptr || c == '\0')
            return std::nullopt;
        std::string word;
        std::size_t at = pos_;
        while (at < text_.size() && word.size() < 4 && IsIdentifierChar(text_[at]))
            word += Upper(text_[at++]);
        // Only whole words of two or three letters: ANDY and ORDER stay identifiers.
        if (word.size() < 2 || word.size() > 3)
            return std::nullopt;
        static constexpr std::array<std::pair<const char*, TExprOperator>, 8> words = {{
            {"NOT", opNot},
            {"DIV", opDiv},
            {"MOD", opMod},
            {"AND", opAnd},
            {"SHL", opShl},
            {"SHR", opShr},
            {"OR", opOr},
            {"XOR", opXor},
        }};
        for (const auto& [name, op] : words)
            if (word == name)
                return Found{op, at};
        return std::nullopt;
    }

    static bool InLevel(int level, TExprOperator op) {
        switch (level) {
        case 0:
            return IsRelational(op);
        case 1:
            return op == opPlus || op == opMinus || op == opOr || op == opXor;
        case 2:
            return op == opMult || op == opDivide || op == opDiv || op == opMod || op == opAnd ||
                   op == opShl || op == opShr;
        default:
            return op == opExp;
        }
    }

    // Levels 0 relation, 1 sum, 2 product, 3 power; each left-associative over the next one.
    TExpressionPtr ParseLevel(int level) {
        auto operand = [&] { return level == 3 ? ParseFactor() : ParseLevel(level + 1); };
        TExpressionPtr tree = operand();
        for (;;) {
            SkipWhite();
            if (AtEnd() || Peek() == ')' || Peek() == ',')
                break;
            const auto found = ReadOperator();
            if (!found || !InLevel(level, found->op))
                break;
            pos_ = found->end;
            TExpressionPtr right = operand();
            if (IsRelational(found->op))
                tree = std::make_unique<TRelationalOp>(found->op, std::move(tree), std::move(right));
            else
                tree = std::make_unique<TBinaryOp>(found->op, std::move(tree), std::move(right));
        }
        return tree;
    }

    TExpressionPtr ParseFactor() {
        NestingGuard nesting;
        SkipWhite();
        if (AtEnd())
            Fail("Unexpected end of factor");
        if (const auto found = ReadOperator()) {
            if (found->op != opNot && found->op != opPlus && found->op != opMinus)
                Fail("%s not allowed here", OperatorName(found->op));
            pos_ = found->end;
            return std::make_unique<TUnaryOp>(found->op, ParseFactor());
        }
        const char c = Peek();
        if (c == '$')
            return ParseHex();
        if (c == '\'')
            return ParseString();
        if (c == '(') {
            ++pos_;
            auto inner = ParseLevel(0);
            SkipWhite();
            if (Peek() != ')' || AtEnd())
                Fail(" ) expected");
            ++pos_;
            return inner;
        }
        if (IsDigit(c))
            return ParseNumber();
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
            return ParseIdentifier();
        if (c == ')' || c == ',')
            Fail("Unexpected end of factor");
        Fail("Syntax error");
    }

    TExpressionPtr ParseHex() {
        ++pos_;
        const std::size_t start = pos_;
        while (!AtEnd() && IsHexDigit(Peek())) {
            ++pos_;
            if (pos_ - start > 255)
                Fail("Hex string too long");
        }
        std::string_view digits = text_.substr(start, pos_ - start);
        while (digits.size() > 1 && digits.front() == '0')
            digits.remove_prefix(1);
        std::uint32_t value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
            Fail("Invalid char in hex number");
        // All 32 bits count: $FFFFFFFF is -1.
        return std::make_unique<TIntegerLiteral>(Wrap(value));
    }

    TExpressionPtr ParseString() {
        ++pos_;
        std::string text;
        for (;;) {
            if (AtEnd())
                Fail("Unterminated string");
            const char c = text_[pos_++];
            if (c == '\'') {
                if (Peek() != '\'' || AtEnd())
                    break;
                ++pos_;
            }
            if (text.size() == 256)
                Fail("String too long");
            text += c;
        }
        return std::make_unique<TStringLiteral>(std::move(text));
    }

    TExpressionPtr ParseNumber() {
        std::string literal;
        bool dot = false;
        bool exponent = false;
        bool negativeExponent = false;
        auto take = [&](char c) {
            if (literal.size() == 28)
                Fail("Bad numeric format");
            literal += c;
        };
        while (!AtEnd()) {
            const char c = Peek();
            if (IsDigit(c)) {
                take(c);
                ++pos_;
            } else if (c == '.') {
                if (dot || exponent)
                    Fail("Bad numeric format");
                dot = true;
                take(c);
                ++pos_;
            } else if (c == 'e' || c == 'E') {
                if (exponent)
                    Fail("Bad numeric format");
                exponent = true;
                take('E');
                ++pos_;
                if (Peek() == '-' && !AtEnd()) {
                    negativeExponent = true;
                    take('-');
                    ++pos_;
                }
                if (AtEnd() || !IsDigit(Peek()))
                    Fail("Bad numeric format");
            } else {
                break;
            }
        }
        if (!dot && !exponent) {
            std::int64_t value = 0;
            const auto [end, ec] = std::from_chars(literal.data(), literal.data() + literal.size(), value);
            if (ec != std::errc() || value > std::numeric_limits<std::int32_t>::max())
                Fail("Integer out of range: %s", literal);
            return std::make_unique<TIntegerLiteral>(static_cast<std::int32_t>(value));
        }
        // "1." and "1.E5" carry no fraction digits; the converter wants one.
        std::string normal;
        for (std::size_t i = 0; i < literal.size(); ++i) {
            normal += literal[i];
            if (literal[i] == '.' && (i + 1 == literal.size() || !IsDigit(literal[i + 1])))
                normal += '0';
        }
        double value = 0;
        const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
        if (ec == std::errc::result_out_of_range && negativeExponent)
            value = 0; // too small to tell from zero
        else if (ec != std::errc() || end != normal.data() + normal.size() || !std::isfinite(value))
            Fail("Number out of range: %s", literal);
        return std::make_unique<TFloatLiteral>(value);
    }

    TExpressionPtr ParseIdentifier() {
        std::string name;
        while (!AtEnd() && IsIdentifierChar(Peek()))
            name += Upper(text_[pos_++]);
        if (name == "TRUE")
            return std::make_unique<TBooleanLiteral>(true);
        if (name == "FALSE")
            return std::make_unique<TBooleanLiteral>(false);
        SkipWhite();
        TParameterListPtr parameters;
        if (!AtEnd() && Peek() == '(') {
            ++pos_;
            parameters = std::make_unique<TParameterList>();
            for (;;) {
                parameters->Add(ParseLevel(0));
                SkipWhite();
                if (!AtEnd() && Peek() == ',') {
                    ++pos_;
                    continue;
                }
                if (!AtEnd() && Peek() == ')') {
                    ++pos_;
                    break;
                }
                Fail("Incorrectly formed parameters");
            }
        }
        if (auto node = LookupStandardFunction(name, parameters))
            return node;
        if (resolver_) {
            if (auto node = resolver_(name, parameters))
                return node;
        }
        Fail("Unknown Identifier %s", name);
    }

    std::string_view text_;
    const TIdentifierResolver& resolver_;
    std::size_t pos_ = 0;
};

} // namespace

TExpressionPtr ParseExpression(std::string_view text, const TIdentifierResolver& resolver) {
    const TExpressionBudget scope;
    NestingGuard nesting;
    Spend(text.size() / 16);
    return Parser(text, resolver).ParseWhole();
}
