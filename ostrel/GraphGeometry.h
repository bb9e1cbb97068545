#pragma once

#include <optional>

namespace ostrel {

// The response graph's fixed plot area in pixels of the dialog's client area.
inline constexpr int PlotLeft = 70;
inline constexpr int PlotRight = 740;
inline constexpr int PlotTop = 240;
inline constexpr int PlotBottom = 490;

// X of a frequency on the log axis from 10 Hz (x 70) to 1000 Hz (x 740).
int frequencyToX(double frequency);

// Y of a level on the output scale (-25 dB at the bottom, 25 dB at the top) and on the power
// scale (0 dB at the bottom, 150 dB at the top). A level that is not finite, or lies so far off
// the plot that it has no pixel, has no Y at all.
std::optional<int> outputLevelToY(double level);
std::optional<int> powerLevelToY(double level);

// A curve segment is drawn whole or not at all: only when both ends lie strictly inside the
// plot's height.
bool segmentInside(std::optional<int> y0, std::optional<int> y1);

} // namespace ostrel
