#include "siggen/SignalControls.h"

#include "model/HV_Math.h"
#include "model/Units.h"

#include <algorithm>
#include <cmath>

std::uint8_t EngineModeForIndex(int index) {
    switch (index) {
    case kModeIndexSlowSweep:
        return 2;
    case kModeIndexFastSweep:
        return 1;
    case kModeIndexWhiteNoise:
        return 4;
    default:
        return 3;
    }
}

bool IsSweepIndex(int index) {
    return index == kModeIndexSlowSweep || index == kModeIndexFastSweep;
}

std::optional<double> ReadFrequencyText(std::string_view text) {
    double value = 0;
    if (!TryStr2Float(text, value))
        return std::nullopt;
    return value;
}

double ClampFrequency(double frequency) {
    if (!(frequency >= kMinFrequency))
        return kMinFrequency;
    return std::min(frequency, kMaxFrequency);
}

std::string FrequencyText(double frequency) {
    return Float2Str(frequency, DecimalSeparator());
}

int JoystickStepIndex(std::uint32_t x) {
    return static_cast<int>(std::nearbyint(std::min<std::uint32_t>(x, 65535) / 3855.0)) - 8;
}

double JoystickFrequency(double frequency, std::uint32_t x) {
    const int k = JoystickStepIndex(x);
    if (k > 0)
        return frequency + RealPower(2, k) - 1;
    return frequency - RealPower(2, -k) + 1;
}

std::string CursorFrequencyText(double frequency) {
    if (!std::isfinite(frequency))
        return {};
    // Far outside the window's range anyway; kept where the integer conversion is exact.
    const double rounded = std::nearbyint(std::clamp(frequency, -1e9, 1e9));
    return std::to_string(static_cast<long long>(rounded));
}

int GridPosition(int position, int grid) {
    if (grid < 1)
        return position;
    const double snapped = std::nearbyint(static_cast<double>(position) / grid) * grid;
    return static_cast<int>(std::clamp(snapped, -1e9, 1e9));
}
