#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

// The dialogs' number rule, the same whatever the user's locale: "%.15g" for doubles and
// "%.6g" for floats when writing; when reading, one decimal number between optional blanks
// and tabs.
std::string formatDouble(double value);
std::string formatFloat(float value);

// Rejected: an empty text, anything besides the one number, a value that is not finite or out
// of range, and a text that reads as zero without beginning with the digit 0 (".0", "-0").
std::optional<double> parseNumber(std::string_view text);

} // namespace ostrel
