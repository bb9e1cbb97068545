#pragma once
// A small typed expression language for the calculators.
//
// ParseExpression turns a formula into a tree of nodes; each node is read on demand as text,
// number, integer or truth value, and every read evaluates its whole sub-tree again. Identifiers
// the language does not know go to a resolver supplied by the caller, which answers with a
// sub-tree of its own (the calculators bind input symbols and other outputs that way).
//
// Every failure, of parsing or of evaluation, is an EExpression. Arithmetic never overflows
// silently into undefined behaviour: integer division by zero, INT_MIN DIV -1, shifts outside
// 0..31, float-to-integer conversions of values out of range and floating-point results that are
// not finite all raise. A nesting limit and a work budget bound what one formula may cost, so no
// text can exhaust the stack or keep the processor busy without end.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The error of every parse and evaluation.
class EExpression : public std::runtime_error {
public:
    explicit EExpression(const std::string& message) : std::runtime_error(message) {}
};

enum class TExprValueKind : std::uint8_t { String = 0, Float = 1, Integer = 2, Boolean = 3 };

// The operator names are the ones messages show.
enum TExprOperator : std::uint8_t {
    opNot,
    opExp,
    opMult,
    opDivide,
    opDiv,
    opMod,
    opAnd,
    opShl,
    opShr,
    opPlus,
    opMinus,
    opOr,
    opXor,
    opEq,
    opNEQ,
    opLT,
    opGT,
    opLTE,
    opGTE,
};

// "String", "Float", "Integer", "Boolean".
const char* KindName(TExprValueKind kind);
// "opNot", "opExp", ...
const char* OperatorName(TExprOperator op);

// A number as the language writes it: general format with 15 significant digits, "." as the
// decimal separator (so the text parses back as a formula), exponent form "1.5E20" and "1E-7"
// outside 1E-5 .. 1E15.
std::string FloatToText(double value);

// A node of an expression tree. Readers are public and non-virtual; they keep the nesting and
// work budget and hand over to the node's own Read* operations. The base Read* operations
// convert from the node's own kind as the language defines.
class TExpression {
public:
    virtual ~TExpression() = default;
    TExpression(const TExpression&) = delete;
    TExpression& operator=(const TExpression&) = delete;

    std::string GetString() const;
    double GetFloat() const;
    std::int32_t GetInteger() const;
    bool GetBoolean() const;
    TExprValueKind ResultKind() const;

    // Longest path from this node to a leaf, counting this node; bounded when trees are built.
    int Height() const { return height_; }

protected:
    TExpression();
    // Taller of the children plus one; raises when the tree would grow beyond the limit.
    void SetHeight(int childHeight);

    virtual std::string ReadString() const;
    virtual double ReadFloat() const;
    virtual std::int32_t ReadInteger() const;
    virtual bool ReadBoolean() const;
    virtual TExprValueKind ReadKind() const = 0;

private:
    int height_ = 1;
};

using TExpressionPtr = std::unique_ptr<TExpression>;

// The parameters of a function; owns its items.
class TParameterList {
public:
    std::size_t Count() const { return items_.size(); }
    TExpression& Item(std::size_t index) const { return *items_.at(index); }
    void Add(TExpressionPtr item);
    int Height() const;

private:
    std::vector<TExpressionPtr> items_;
};

using TParameterListPtr = std::unique_ptr<TParameterList>;

class TStringLiteral final : public TExpression {
public:
    explicit TStringLiteral(std::string text) : text_(std::move(text)) {}

protected:
    std::string ReadString() const override { return text_; }
    TExprValueKind ReadKind() const override { return TExprValueKind::String; }

private:
    std::string text_;
};

class TFloatLiteral final : public TExpression {
public:
    explicit TFloatLiteral(double value);

protected:
    std::string ReadString() const override { return FloatToText(value_); }
    double ReadFloat() const override { return value_; }
    TExprValueKind ReadKind() const override { return TExprValueKind::Float; }

private:
    double value_;
};

class TIntegerLiteral final : public TExpression {
public:
    explicit TIntegerLiteral(std::int32_t value) : value_(value) {}

protected:
    std::string ReadString() const override { return std::to_string(value_); }
    double ReadFloat() const override { return value_; }
    std::int32_t ReadInteger() const override { return value_; }
    TExprValueKind ReadKind() const override { return TExprValueKind::Integer; }

private:
    std::int32_t value_;
};

class TBooleanLiteral final : public TExpression {
public:
    explicit TBooleanLiteral(bool value) : value_(value) {}

protected:
    std::string ReadString() const override { return value_ ? "TRUE" : "FALSE"; }
    double ReadFloat() const override { return value_ ? 1 : 0; }
    std::int32_t ReadInteger() const override { return value_ ? 1 : 0; }
    bool ReadBoolean() const override { return value_; }
    TExprValueKind ReadKind() const override { return TExprValueKind::Boolean; }

private:
    bool value_;
};

// NOT, unary + and -. Building asks the operand for its kind.
class TUnaryOp final : public TExpression {
public:
    TUnaryOp(TExprOperator op, TExpressionPtr operand);

protected:
    double ReadFloat() const override;
    std::int32_t ReadInteger() const override;
    bool ReadBoolean() const override;
    TExprValueKind ReadKind() const override;

private:
    TExpressionPtr operand_;
    TExprOperator operator_;
    TExprValueKind operandKind_;
};

// The arithmetic, bitwise and logical operators (opExp .. opXor). The common kind of the two
// operands is the lower-numbered of their kinds.
class TBinaryOp final : public TExpression {
public:
    TBinaryOp(TExprOperator op, TExpressionPtr left, TExpressionPtr right);

protected:
    std::string ReadString() const override;
    double ReadFloat() const override;
    std::int32_t ReadInteger() const override;
    bool ReadBoolean() const override;
    TExprValueKind ReadKind() const override;

private:
    TExpressionPtr left_;
    TExpressionPtr right_;
    TExprOperator operator_;
    TExprValueKind commonKind_;
};

// = <> < > <= >=; always of kind Boolean.
class TRelationalOp final : public TExpression {
public:
    TRelationalOp(TExprOperator op, TExpressionPtr left, TExpressionPtr right);

protected:
    std::string ReadString() const override;
    double ReadFloat() const override;
    std::int32_t ReadInteger() const override;
    bool ReadBoolean() const override;
    TExprValueKind ReadKind() const override { return TExprValueKind::Boolean; }

private:
    TExpressionPtr left_;
    TExpressionPtr right_;
    TExprOperator operator_;
};

// A node with a parameter list (possibly none). Parameters are checked when the node is read.
class TFunction : public TExpression {
public:
    explicit TFunction(TParameterListPtr parameters);

    TExpression& Param(std::size_t index) const;
    std::size_t ParameterCount() const { return parameters_ ? parameters_->Count() : 0; }

private:
    TParameterListPtr parameters_;
};

// STRING, FLOAT, INTEGER and BOOLEAN: the first parameter read as the target kind.
class TTypeCast final : public TFunction {
public:
    TTypeCast(TExprValueKind target, TParameterListPtr parameters);

protected:
    std::string ReadString() const override;
    double ReadFloat() const override;
    std::int32_t ReadInteger() const override;
    bool ReadBoolean() const override;
    TExprValueKind ReadKind() const override { return target_; }

private:
    // The first parameter; raises when the cast was given none.
    TExpression& Operand() const;

    TExprValueKind target_;
};

// TRUNC, ROUND, ABS, ARCTAN, COS, EXP, FRAC, INT, LN, PI, SIN, SQR, SQRT, POWER (numbers 0..13).
class TMathExpression final : public TFunction {
public:
    TMathExpression(int function, TParameterListPtr parameters);

protected:
    double ReadFloat() const override;
    std::int32_t ReadInteger() const override;
    TExprValueKind ReadKind() const override;

private:
    void CheckParameters() const;

    int function_;
};

// UPPER, LOWER, COPY, POS, LENGTH (numbers 0..4).
class TStringExpression final : public TFunction {
public:
    TStringExpression(int function, TParameterListPtr parameters);

protected:
    std::string ReadString() const override;
    std::int32_t ReadInteger() const override;
    TExprValueKind ReadKind() const override;

private:
    void CheckParameters() const;

    int function_;
};

// IF(condition, then, else): only the chosen branch is evaluated.
class TConditional final : public TFunction {
public:
    explicit TConditional(TParameterListPtr parameters) : TFunction(std::move(parameters)) {}

protected:
    std::string ReadString() const override { return Chosen().GetString(); }
    double ReadFloat() const override { return Chosen().GetFloat(); }
    std::int32_t ReadInteger() const override { return Chosen().GetInteger(); }
    bool ReadBoolean() const override { return Chosen().GetBoolean(); }
    TExprValueKind ReadKind() const override { return Chosen().ResultKind(); }

private:
    const TExpression& Chosen() const;
};

// Answers an identifier the language does not know (upper-cased) with a new sub-tree, or null.
// `parameters` is the identifier's parameter list (null when it has none); a resolver that
// answers with a node may take the list over by moving it out.
using TIdentifierResolver =
    std::function<TExpressionPtr(const std::string& identifier, TParameterListPtr& parameters)>;

// Parses a whole formula. The resolver may be empty.
TExpressionPtr ParseExpression(std::string_view text, const TIdentifierResolver& resolver = {});

// The built-in functions by upper-cased name, or null.
TExpressionPtr LookupStandardFunction(const std::string& identifier, TParameterListPtr& parameters);

// One budget for everything parsed and read while it lives: the limits below then hold for all
// of it together (a calculation of many formulas that refer to each other), not per formula.
class TExpressionBudget {
public:
    TExpressionBudget();
    ~TExpressionBudget();
    TExpressionBudget(const TExpressionBudget&) = delete;
    TExpressionBudget& operator=(const TExpressionBudget&) = delete;
};

// Limits of one formula: parser nesting (parentheses, unary operators, function parameters and
// resolved identifiers together), height of the tree, the nodes built and the work (nodes built
// and nodes read) of one outermost parse or read.
inline constexpr int kMaxExpressionNesting = 200;
inline constexpr int kMaxExpressionHeight = 1000;
inline constexpr std::uint64_t kMaxExpressionNodes = 500'000;
inline constexpr std::uint64_t kMaxExpressionWork = 5'000'000;
