#include "ostrel/GraphGeometry.h"

#include <cmath>

namespace ostrel {
namespace {

// Far beyond the plot either way, yet well inside int.
constexpr double PixelLimit = 1.0e6;

std::optional<int> truncatedPixel(double value) {
    if (!std::isfinite(value) || value > PixelLimit || value < -PixelLimit)
        return std::nullopt;
    return static_cast<int>(std::trunc(value));
}

} // namespace

int frequencyToX(double frequency) {
    return static_cast<int>(std::trunc((std::log10(frequency) - 1.0) * 0.5 * 670.0 + 70.0));
}

std::optional<int> outputLevelToY(double level) {
    const std::optional<int> offset = truncatedPixel((level + 25.0) * 5.0 - 490.0);
    if (!offset)
        return std::nullopt;
    return 1 - *offset;
}

std::optional<int> powerLevelToY(double level) {
    return truncatedPixel(490.0 - level * 1.666666666);
}

bool segmentInside(std::optional<int> y0, std::optional<int> y1) {
    const auto inside = [](std::optional<int> y) { return y && *y > PlotTop && *y < PlotBottom; };
    return inside(y0) && inside(y1);
}

} // namespace ostrel
