#pragma once

// One stage of a project's filter and equaliser chain. Each kind holds its own
// parameters and the transfer function computed from them; the plot engine
// multiplies the enabled stages' responses into every curve and adds their
// group delays. The kind number doubles as the number stored in project files.

#include "simulation/boxmath_util.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum TFilterKind : std::int32_t {
    fkLowpass = 0,
    fkHighpass = 1,
    fkAllpass = 2,
    fkLinkwitzTransform = 3,
    fkParametricEQ = 4,
    fkPeakHighpass = 5,
    fkStaticGain = 6,
};

class TFilterBase {
public:
    virtual ~TFilterBase() = default;

    TTransferFunction TF = ZeroTransferFunction();
    bool Enabled = false;
    std::int32_t Kind = 0;
    std::int32_t SubType = 0;

    // Names of the design variants, index = SubType.
    virtual std::vector<std::string> GetTypeNames() const;
    // One line for the project's filter list.
    virtual std::string GetDescription() const;
    // The parameters as one line of semicolon-separated fields.
    virtual std::string SaveToString() const;
    // Takes the parameters from a text written by SaveToString; the transfer
    // function is not recomputed (call Calculate). A text with fewer fields
    // than the kind needs changes nothing and is not an error. A field that must
    // be an integer and is not one refuses the whole text: the stage is left as
    // it was, the reason is in `error` and the result is false.
    virtual bool LoadFromString(std::string_view text, std::string& error);
    // Rebuilds TF from the parameters. Returns false when the design refuses
    // them; the stage then contributes nothing until a later Calculate succeeds.
    virtual bool Calculate() = 0;

    // True when the last Calculate accepted the parameters.
    bool HasResponse() const { return m_HasResponse; }
    // Why the last Calculate refused the parameters; empty after one that accepted them.
    const std::string& RefusalReason() const { return m_RefusalReason; }

    // H(j·2π·f), f in Hz; 1 for a stage without a response.
    TComplex GetResponse(double f) const {
        if (!m_HasResponse)
            return MakeComplex(1.0, 0.0);
        return EvalTransferFunction(TF, 2.0 * HV_Pi * f);
    }

    // Group delay at f (Hz) in seconds, from the exact slope of the phase; 0 for a
    // stage without a response.
    double GetGroupDelay(double f) const;

protected:
    explicit TFilterBase(std::int32_t kind) : Kind(kind) {}
    TFilterBase(const TFilterBase&) = default;
    TFilterBase& operator=(const TFilterBase&) = default;

    static constexpr TTransferFunction ZeroTransferFunction() {
        TTransferFunction tf;
        tf.Num[0] = 0.0;
        tf.Den[0] = 0.0;
        return tf;
    }

    static bool Positive(double value) { return value > 0.0 && std::isfinite(value); }

    // The designs end in one of these two. A record with a coefficient that is not
    // finite (parameters so extreme that a power overflows, or a peak too small to
    // place) is no response and is refused like any other unusable parameters.
    bool Accept(const TTransferFunction& tf);
    // `reason` says what the design refused, for the user.
    bool Refuse(std::string reason) {
        m_HasResponse = false;
        m_RefusalReason = std::move(reason);
        return false;
    }

    // Shared by the low- and the high-pass, which are named, described and
    // checked alike.
    static std::vector<std::string> CrossoverTypeNames();
    std::string CrossoverDescription(std::int32_t order, double fc, double q) const;
    // The denominator the two share at w = 2π·fc, written into tf with its numerator left at 1:
    // Butterworth (SubType 0) of an order 1..10, fourth-order Linkwitz-Riley (1; sets `order`
    // to 4) or one second-order section of quality q (3). False for any other subtype and for
    // parameters these designs refuse. The low-pass puts the denominator's lowest term over it,
    // the high-pass, its mirror image, the highest.
    bool CrossoverDenominator(std::int32_t& order, double w, double q, TTransferFunction& tf) const;

    // The parameter line of every kind: SubType, Enabled, the order when the kind
    // has one, then its doubles in the kind's order.
    std::string SaveFields(const std::int32_t* order, std::initializer_list<double> values) const;
    // Reads that line. `order` may be nullptr for kinds without one. Nothing is
    // assigned unless every integer field converts.
    bool LoadFields(std::string_view text, std::string& error, std::int32_t* order,
                    std::initializer_list<double*> values);

    // Field texts of the parameter line and of the descriptions. Numbers carry
    // the decimal separator of the user's locale.
    static std::string FormatInteger(std::int64_t value);
    // Scientific form with 15 significant digits and an exponent of at least
    // three digits: 50 is "5.00000000000000E+001".
    static std::string FormatScientific(double value);
    // Fixed notation with the given number of decimals.
    static std::string FormatFixed(double value, int decimals);

    // The non-empty pieces of a parameter line; semicolons and line breaks end a field.
    static std::vector<std::string_view> SplitFields(std::string_view text);
    // A strict decimal 32-bit integer (blanks around it allowed). On failure the
    // reason goes to `error`.
    static bool ParseInteger(std::string_view field, std::int32_t& value, std::string& error);
    // A number with "." or "," as decimal separator; 0 when it is none.
    static double ParseDouble(std::string_view field);

private:
    bool m_HasResponse = false;
    std::string m_RefusalReason;
};

// A new stage of the given kind (disabled, all parameters 0), or nullptr for a
// number that names no kind.
std::unique_ptr<TFilterBase> CreateFilter(std::int32_t kind);
