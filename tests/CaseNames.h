#pragma once
// Readable names for the cases of parameterised tests: the case's number and the letters and
// digits of a text that describes it, so a name says which row failed and stays the same from
// run to run.

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

inline std::string CaseName(std::size_t index, std::string_view description) {
    std::string name = "Case" + std::to_string(index);
    std::string tail;
    for (const char c : description) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            tail += c;
        else if (c == '-')
            tail += "Minus";
        else if (c == '.' || c == ',')
            tail += c == '.' ? "Point" : "Comma";
        if (tail.size() >= 40)
            break;
    }
    if (!tail.empty())
        name += "_" + tail;
    return name;
}
