#pragma once
// The rules of the signal generator window's controls, apart from the widgets: mode mapping,
// frequency entry, the joystick's steps, the plot cursor's frequency and the desktop grid.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The output modes in the order of the window's list.
inline constexpr int kModeIndexNormal = 0;
inline constexpr int kModeIndexSlowSweep = 1;
inline constexpr int kModeIndexFastSweep = 2;
inline constexpr int kModeIndexWhiteNoise = 3;

inline constexpr double kMinFrequency = 10;
inline constexpr double kMaxFrequency = 20000;

// The engine mode of a list index: "Normal" a fixed tone, then slow sweep, fast sweep, noise.
std::uint8_t EngineModeForIndex(int index);
bool IsSweepIndex(int index);

// A typed frequency in Hz ("." or "," as decimal separator); no value when it is not a number.
std::optional<double> ReadFrequencyText(std::string_view text);
// Kept inside 10..20000 Hz.
double ClampFrequency(double frequency);
// The text the window shows for a frequency: the shortest general form, the locale's separator.
std::string FrequencyText(double frequency);

// The joystick's step index for an X position (0..65535): -8 at the left to 9 at the right,
// 0 around the centre.
int JoystickStepIndex(std::uint32_t x);
// One tick's change of the frequency: up by 2^k - 1 or down by 2^|k| - 1 (not yet clamped).
double JoystickFrequency(double frequency, std::uint32_t x);

// The plot cursor's frequency as the window's text: rounded to an integer (halves to even);
// empty when it is not a number.
std::string CursorFrequencyText(double frequency);

// A window position rounded to the nearest multiple of the grid (halves to even); unchanged for
// a grid below 1.
int GridPosition(int position, int grid);
