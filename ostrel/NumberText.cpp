#include "ostrel/NumberText.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace ostrel {
namespace {

std::string formatGeneral(double value, int precision) {
    if (!std::isfinite(value))
        return {};
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    if (result.ec != std::errc())
        return {};
    return std::string(buffer, result.ptr);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::string formatDouble(double value) {
    return formatGeneral(value, 15);
}

std::string formatFloat(float value) {
    return formatGeneral(value, 6);
}

std::optional<double> parseNumber(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    const char first = text.front();
    std::string_view digits = text;
    bool negative = false;
    if (digits.front() == '+' || digits.front() == '-') {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    // Only plain decimal notation; from_chars would also take "inf", "nan" and a second sign.
    if (digits.empty() ||
        !(std::isdigit(static_cast<unsigned char>(digits.front())) || digits.front() == '.'))
        return std::nullopt;
    double value = 0.0;
    const auto result =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size() || !std::isfinite(value))
        return std::nullopt;
    if (value == 0.0 && first != '0')
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace ostrel
