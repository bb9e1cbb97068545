#pragma once

#include "ostrel/OstrelAlignments.h"

#include <array>
#include <optional>
#include <string_view>

namespace ostrel {

// Factors between the two unit systems the dialog shows. Each metric factor is the
// double-precision reciprocal of its English one.
namespace units {
inline constexpr double LitresToCubicFeet = 0.0353146667;
inline constexpr double CubicFeetToLitres = 28.316846609230495;
inline constexpr double CentimetresToInches = 0.3937007874;
inline constexpr double InchesToCentimetres = 2.5400000000101604;
inline constexpr double MillimetresToInches = 0.0393700787;
inline constexpr double InchesToMillimetres = 25.400000025908;
inline constexpr double LitresToCubicInches = 61.023744095;
inline constexpr double CubicInchesToLitres = 0.01638706399992811;
} // namespace units

// The driver and vent inputs, in the working units: litres, cm (diameter, vent diameter), mm (Xmax).
struct VentedInputs {
    double qts = 0.0;
    double qes = 0.0;
    double vas = 0.0;
    double fs = 0.0;
    double pmax = 0.0;
    double diameter = 0.0;
    double xmax = 0.0;
    double dp = 0.0;
    double ports = 0.0;
};

// The same inputs given in ft3, in and in; Q values, Fs, Pmax and the vent count carry no unit.
VentedInputs toMetric(const VentedInputs& english);

// The message for the first input that is not above zero, in the order Qts, Qes, Vas, Fs, Pmax,
// Diameter, Xmax, vent diameter, number of vents: "can't equal 0" for exactly zero, "must be
// above 0" for a value below zero or no number.
std::optional<std::string_view> checkInputs(const VentedInputs& inputs);

inline constexpr int FirstFrequency = 10;
inline constexpr int CurvePoints = 990; // 10 to 999 Hz, index = frequency - 10
using Curve = std::array<double, CurvePoints>;

inline constexpr std::string_view OutOfRangeMessage =
    "Warning Qts out of range. Try using a different alignment. Calculation will continue with "
    "predicted values";
inline constexpr std::string_view PortTooSmallMessage =
    "Port diameter too small. Try using a larger diameter.\n"
    "Note: The diameter can be used but port noise might be produced.\n"
    "Calculation will continue.";
inline constexpr std::string_view VentTooWideMessage =
    "The vent comes out no longer than zero: it is too wide, or there are too many vents, for this "
    "box and tuning.\nTry using a smaller diameter or fewer vents.";
inline constexpr std::string_view NoUsableBoxMessage =
    "Calculation Stopped: the predicted values give no usable box for this Qts. Try using a "
    "different alignment.";

struct VentedDesign {
    // Single precision, as they are shown; the curves and the vent use these stored values.
    float vb = 0.0f;                  // litres
    float fb = 0.0f;                  // Hz
    float f3 = 0.0f;                  // Hz
    float lp = 0.0f;                  // cm
    Curve output{};                   // dB relative to the passband
    Curve displacement{};             // displacement-limited maximum SPL, dB
    Curve thermal{};                  // thermal-limited maximum SPL, dB
    double minimumVentDiameter = 0.0; // cm
    // Vb, Fb and F3 are finite and above zero and the vent length is finite.
    bool usable = false;
    bool portTooSmall = false;
    bool ventTooShort = false;
};

// Stores a double as float, saturating to infinity instead of overflowing.
float toFloat(double value);

// The box, its three curves, the vent and the vent-size check for metric inputs. Inputs that
// checkInputs refuses, or an alignment without positive finite values, give a design that is not
// usable, with curves of gaps. Curve points that come out not finite are stored as NaN: gaps,
// not values.
VentedDesign designVentedBox(const VentedInputs& inputs, const AlignmentValues& alignment);

// Level in dB of s^4 / (s^4 + a3 s^3 + a2 s^2 + a1 s + h^2) at s = j f/Fs, the box response with
// box-loss Q LeakageQ.
double outputResponse(double frequency, double fs, double h, double alpha, double qts);

} // namespace ostrel
