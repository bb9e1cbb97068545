// The number codec of the document files: whatever the text, reading gives a number, and every
// number written reads back as the same double, with either decimal separator.
#include "model/Units.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void CheckRoundTrip(double value) {
    for (const char separator : {'.', ','}) {
        const std::string text = Float2Str(value, separator);
        const double back = Str2Float(text);
        if (std::isfinite(value) &&
            std::bit_cast<std::uint64_t>(back) != std::bit_cast<std::uint64_t>(value) &&
            !(value == 0 && back == 0))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    double parsed = 0;
    const bool number = TryStr2Float(text, parsed);
    const double read = Str2Float(text);
    if (number && std::bit_cast<std::uint64_t>(read) != std::bit_cast<std::uint64_t>(parsed))
        std::abort();
    if (!number && read != 0)
        std::abort();
    CheckRoundTrip(read);
    // The raw bytes as a double too: every bit pattern, denormals and extremes included.
    if (size >= sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        CheckRoundTrip(raw);
    }
    return 0;
}
