#pragma once
// Comparisons without regard to ASCII case, as profile names, file-name patterns and address
// schemes are compared. Bytes outside A..Z, those of UTF-8 characters included, compare as they
// are, so the result never depends on the user's locale.

#include <cstddef>
#include <string_view>

namespace platform {

inline char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool SameWithoutCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

inline bool StartsWithoutCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameWithoutCase(text.substr(0, prefix.size()), prefix);
}

inline bool EndsWithoutCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && SameWithoutCase(text.substr(text.size() - suffix.size()), suffix);
}

} // namespace platform
