#include "model/HV_Math.h"

#include <cstdint>

double NthRoot(double x, double n) {
    return std::pow(x, 1.0 / n);
}

double RoundToDecimals(int n, double x) {
    const double factor = RealPower(10.0, static_cast<double>(n));
    const double scaled = x * factor;
    // 2^53: from here on every double is an integer and the 64-bit step could overflow.
    constexpr double integerLimit = 9007199254740992.0;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= integerLimit || !(factor > 0.0))
        return x;
    // llrint follows the current rounding mode, by default to nearest with halves to even.
    const std::int64_t rounded = std::llrint(scaled);
    return static_cast<double>(rounded) / factor;
}
