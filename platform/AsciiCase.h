#pragma once
// Comparisons without regard to ASCII case, as the profile files, the file-name patterns and the
// address schemes of the original platform make them. Bytes outside A..Z, those of UTF-8
// characters included, compare as they are.

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
