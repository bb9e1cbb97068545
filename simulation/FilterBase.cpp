#include "simulation/FilterBase.h"

#include "model/Units.h"
#include "simulation/AllPass.h"
#include "simulation/Highpass.h"
#include "simulation/LinkwitzTransform.h"
#include "simulation/Lowpass.h"
#include "simulation/ParametricEQ.h"
#include "simulation/PeakHighpass.h"
#include "simulation/StaticGain.h"

#include <charconv>
#include <cmath>
#include <limits>

std::vector<std::string> TFilterBase::GetTypeNames() const {
    return {"<none>"};
}

std::string TFilterBase::GetDescription() const {
    return "(No description)";
}

std::string TFilterBase::SaveToString() const {
    return {};
}

bool TFilterBase::LoadFromString(std::string_view, std::string&) {
    return true;
}

std::vector<std::string> TFilterBase::CrossoverTypeNames() {
    return {"Butterworth", "Linkwitz-Riley (4th order only)", "Bessel", "SOS, User specified fc and Q"};
}

std::string TFilterBase::CrossoverDescription(std::int32_t order, double fc, double q) const {
    static const char* const shortNames[] = {"Butterworth", "Linkwitz-Riley", "Bessel", "User SOS"};
    const char* name = SubType >= 0 && SubType <= 3 ? shortNames[SubType] : "";
    std::string text =
        std::string(name) + ", n=" + FormatInteger(order) + ", fc=" + FormatFixed(fc, 2) + " Hz";
    if (SubType == 3)
        text += ", Q=" + FormatFixed(q, 3);
    return text;
}

bool TFilterBase::CrossoverDenominator(std::int32_t& order, double w, double q, TTransferFunction& tf) const {
    tf = TTransferFunction{};
    switch (SubType) {
    case 0: // Butterworth: an odd order starts with a first-order part
        if (order < 1 || order > MaxTransferOrder)
            return false;
        if (order % 2 == 1) {
            tf.Den[1] = 1.0 / w;
            tf.DenOrder = 1;
        }
        for (std::int32_t k = 0; k < order / 2; ++k) {
            const double qk = 1.0 / (2.0 * std::sin((2 * k + 1) * HV_Pi / (2.0 * order)));
            TTransferFunction section;
            section.Den[1] = 1.0 / (w * qk);
            section.Den[2] = 1.0 / (w * w);
            section.DenOrder = 2;
            const auto product = MultiplyTransferFunctions(tf, section);
            if (!product)
                return false;
            tf = *product;
        }
        return true;
    case 1: { // Linkwitz-Riley: the square of the second-order Butterworth
        order = 4;
        const double butterworthQ = 0.7071067811865476;
        tf.Den[0] = w * w * w * w;
        tf.Den[1] = 2.0 * w * w * w / butterworthQ;
        tf.Den[2] = 2.0 * w * w + w * w / (butterworthQ * butterworthQ);
        tf.Den[3] = 2.0 * w / butterworthQ;
        tf.Den[4] = 1.0;
        tf.DenOrder = 4;
        return true;
    }
    case 3:
        if (!Positive(q))
            return false;
        tf.Den[0] = w * w;
        tf.Den[1] = w / q;
        tf.Den[2] = 1.0;
        tf.DenOrder = 2;
        return true;
    default:
        return false;
    }
}

std::string TFilterBase::SaveFields(const std::int32_t* order, std::initializer_list<double> values) const {
    std::string text = FormatInteger(SubType) + ";" + (Enabled ? "1" : "0");
    if (order)
        text += ";" + FormatInteger(*order);
    for (double value : values)
        text += ";" + FormatScientific(value);
    return text;
}

bool TFilterBase::LoadFields(std::string_view text, std::string& error, std::int32_t* order,
                             std::initializer_list<double*> values) {
    const std::vector<std::string_view> fields = SplitFields(text);
    const std::size_t integerCount = order ? 3 : 2;
    if (fields.size() < integerCount + values.size())
        return true;
    std::int32_t integers[3] = {0, 0, 0};
    for (std::size_t i = 0; i < integerCount; ++i)
        if (!ParseInteger(fields[i], integers[i], error))
            return false;
    SubType = integers[0];
    Enabled = integers[1] != 0;
    if (order)
        *order = integers[2];
    std::size_t index = integerCount;
    for (double* value : values)
        *value = ParseDouble(fields[index++]);
    return true;
}

bool TFilterBase::Accept(const TTransferFunction& tf) {
    if (!TransferOrdersValid(tf))
        return Refuse("the design's order is out of range");
    for (std::int32_t k = 0; k <= tf.NumOrder; ++k)
        if (!std::isfinite(tf.Num[k]))
            return Refuse("the parameters are too extreme for a finite design");
    for (std::int32_t k = 0; k <= tf.DenOrder; ++k)
        if (!std::isfinite(tf.Den[k]))
            return Refuse("the parameters are too extreme for a finite design");
    TF = tf;
    m_HasResponse = true;
    m_RefusalReason.clear();
    return true;
}

double TFilterBase::GetGroupDelay(double f) const {
    if (!m_HasResponse)
        return 0.0;
    return TransferGroupDelay(TF, 2.0 * HV_Pi * f);
}

std::string TFilterBase::FormatInteger(std::int64_t value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

namespace {

std::string nonFiniteText(double value) {
    if (std::isnan(value))
        return "NAN";
    return value < 0.0 ? "-INF" : "INF";
}

void useLocaleSeparator(std::string& text) {
    const char separator = DecimalSeparator();
    for (char& c : text)
        if (c == '.')
            c = separator;
}

} // namespace

std::string TFilterBase::FormatScientific(double value) {
    if (!std::isfinite(value))
        return nonFiniteText(value);
    if (value == 0.0)
        value = 0.0; // no sign on a zero
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string_view written(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = written.find('e');
    std::string text(written.substr(0, e));
    useLocaleSeparator(text);
    std::string_view exponent = written.substr(e + 1);
    const char sign = exponent.front();
    exponent.remove_prefix(1);
    text += 'E';
    text += sign;
    for (std::size_t digits = exponent.size(); digits < 3; ++digits)
        text += '0';
    text += exponent;
    return text;
}

std::string TFilterBase::FormatFixed(double value, int decimals) {
    if (!std::isfinite(value))
        return nonFiniteText(value);
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, result.ptr);
    // A value that rounds to zero is shown without a sign: "0.00", not "-0.00".
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    useLocaleSeparator(text);
    return text;
}

std::vector<std::string_view> TFilterBase::SplitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ';' || text[i] == '\r' || text[i] == '\n') {
            if (i > start)
                fields.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return fields;
}

bool TFilterBase::ParseInteger(std::string_view field, std::int32_t& value, std::string& error) {
    std::string_view digits = field;
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t'))
        digits.remove_prefix(1);
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t'))
        digits.remove_suffix(1);
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-')
        digits.remove_prefix(1);
    std::int32_t parsed = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
        error = "'" + std::string(field) + "' is not a valid integer value";
        return false;
    }
    value = parsed;
    return true;
}

double TFilterBase::ParseDouble(std::string_view field) {
    return Str2Float(field);
}

std::unique_ptr<TFilterBase> CreateFilter(std::int32_t kind) {
    switch (kind) {
    case fkLowpass:
        return std::make_unique<TLowpass>();
    case fkHighpass:
        return std::make_unique<THighpass>();
    case fkAllpass:
        return std::make_unique<TAllpass>();
    case fkLinkwitzTransform:
        return std::make_unique<TLinkwitzTransform>();
    case fkParametricEQ:
        return std::make_unique<TParametricEQ>();
    case fkPeakHighpass:
        return std::make_unique<TPeakHighpass>();
    case fkStaticGain:
        return std::make_unique<TStaticGain>();
    default:
        return nullptr;
    }
}
