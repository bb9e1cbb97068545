#pragma once
// The options window's rules that need no window: its limit rows, the checks of OK, the sound
// velocity panel, the amplitude-scale cycle and the joystick track positions.

#include "shell/Settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One row of the limits table: two edits and the record's pair. `kind` 0 shows plain numbers
// in the record's own unit; otherwise the edits show the quantity in their display unit.
struct TLimitRow {
    const char* caption;
    const char* startName;
    const char* endName;
    double TConfig::*start;
    double TConfig::*end;
    const char* unit; // fixed unit text; empty when the unit follows the edits
    int kind;
    bool frequency; // the frequency axis is logarithmic: its start must be above 0
};

// The rows in the window's order.
const std::vector<TLimitRow>& LimitRows();

// What OK refuses, in the order it checks: the message shown and the field the focus goes to.
struct TOptionsRefusal {
    std::string message;
    std::string field; // objectName of the edit to focus
};

inline constexpr const char* kGridMessage = "Grid setting must be greater than 0! => Set to default.";
inline constexpr const char* kTemperatureMessage =
    "Temperature must have a value between 174 and 373 kelvins!";
inline constexpr const char* kHumidityMessage = "Relative humidity must have an value between 0 and 100!";
inline constexpr const char* kPressureMessage = "Air pressure must be greater than 0!";
inline constexpr const char* kJoystickMessage = "Can't read joystick position.";

bool TemperatureAcceptable(double kelvins);
bool HumidityAcceptable(double fraction);

// The checks of OK on the edited copy of the settings, after every field was read: the grid,
// then the air, then each limit pair (drawable: finite, the ends different, a frequency range
// rising from above 0). No value when everything can be kept.
std::optional<TOptionsRefusal> CheckOptions(const TConfig& edited);

// The speed of sound in m/s for the air given in SI units, or no value when the values cannot
// describe air (not finite, temperature or pressure not above 0, humidity outside 0..1).
std::optional<double> SoundVelocity(double kelvins, double pascals, double humidity);

// The next amplitude scale: 0 -> 1 -> 2 -> 0 (anything else goes to 0).
std::int32_t NextAmplitudeScale(std::int32_t scale);

// Track-bar position of a joystick axis (0..65535 scale): steps of 3855, 0..kJoystickTrackMax.
inline constexpr int kJoystickTrackMax = 17;
int JoystickTrackPosition(std::uint32_t position);
