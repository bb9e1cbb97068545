#pragma once
// The values behind every plot: the twenty plot types, their axis ranges from the settings,
// the logarithmic frequency axis and the linear value axis with their rounding, the grid and
// label texts, and the value of a plot type from one model answer and the filter chain.
//
// Plain C++; the drawing on a canvas lives in plothelper.

#include "model/HV_Math.h"
#include "shell/Settings.h"
#include "simulation/boxmath.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

// How the enabled filters of a project take part in a plot type's value.
enum class TFilterUse : std::uint8_t {
    None,     // the model's answer alone (or, for the filter plots, the chain alone)
    Multiply, // r := r x H, the chain's product of responses
    AddDelay, // r := r + tau, the chain's sum of group delays in seconds
};

// What a plot type shows, from the combined answer r, the chain's response H and delay tau.
enum class TValueFormula : std::uint8_t {
    None,
    MagnitudeDb,     // 20 log10 |r|
    Magnitude,       // |r|
    PhaseDegrees,    // arg r in degrees
    RealPart,        // Re r
    FilterDb,        // 20 log10 |H|
    FilterPhase,     // arg H in degrees
    FilterDelay,     // tau
    ApparentPowerVA, // |H|^2 P Re / |r + Rg|, r the impedance
};

// The driver flag without which a plot type shows 0.
enum class TDriverGate : std::uint8_t {
    None,
    Coupling,   // the electro-mechanical coupling is known (impedance)
    ConeArea,   // the cone area is known (excursion, power)
    ModelReady, // the driver's model is usable (vent velocities)
};

// Where a plot type's unit text, scale and the factor of its range come from.
enum class TPlotUnitSource : std::uint8_t {
    Fixed,     // the table's unit text and scale
    Delay,     // stored in ms, computed in s: range x 0.001 x scale
    Excursion, // the display unit of the options window's "edExcursionEnd" and ExcursionScale
    Velocity,  // the display unit of "edVelocityEnd" and VelocityScale
};

// Reference lines of a plot type (bits).
enum TReferenceLines : std::uint8_t {
    rlNone = 0,
    rlZero = 1,         // value 0, zero-line colour
    rlMinus3dB = 2,     // value -3, -3 dB line colour
    rlXmaxDriver = 4,   // the driver's Xmax
    rlXmaxRadiator = 8, // the passive radiator's Xmax
};

struct TPlotTypeInfo {
    int Tag = 0;
    std::string_view Caption;
    std::string_view Group;
    TCurveKind Kind = ckTransfer;
    TFilterUse Filters = TFilterUse::None;
    TValueFormula Formula = TValueFormula::None;
    TDriverGate Gate = TDriverGate::None;
    TPlotUnitSource UnitSource = TPlotUnitSource::Fixed;
    std::string_view UnitText;
    double Scale = 1;
    double TConfig::*Top = nullptr;
    double TConfig::*Bottom = nullptr;
    std::uint8_t ReferenceLines = rlNone;
    bool PhaseBreaks = false; // a jump of 90 degrees or more between columns breaks the curve

    // Whether the value needs the chain's response or its delay at all.
    bool NeedsResponse() const {
        return Filters == TFilterUse::Multiply || Formula == TValueFormula::FilterDb ||
               Formula == TValueFormula::FilterPhase || Formula == TValueFormula::ApparentPowerVA;
    }
    bool NeedsDelay() const {
        return Filters == TFilterUse::AddDelay || Formula == TValueFormula::FilterDelay;
    }
};

inline constexpr int PlotTypeCount = 20;

// The row of plot type 1..20; nullptr for any other number (0 is "nothing").
const TPlotTypeInfo* PlotTypeInfo(int plotType);

// Display unit of the excursion and velocity plots: the factor that turns one SI unit into the
// unit chosen for the options window's field, that factor times the amplitude factor of the
// amplitude scale, and the text "<amplitude> <unit>", e.g. "peak mm".
struct TPlotDisplayUnit {
    double UnitFactor = 1;
    double Scale = 1;
    std::string Text;
};
TPlotDisplayUnit ExcursionDisplayUnit(const TConfig& config);
TPlotDisplayUnit VelocityDisplayUnit(const TConfig& config);

// Axis ranges of one plot type: frequency limits, value at the top and the bottom edge in
// display units, the factor applied to every value and the unit text.
struct TPlotAxes {
    double FMin = 10;
    double FMax = 500;
    double TopValue = 6;
    double BottomValue = -30;
    double Scale = 1;
    std::string UnitText = "dB";
};

// Fills the axes of a plot type from the settings; a type outside 1..20 changes only the
// frequency limits and keeps the previous range, scale and unit.
void SetPlotAxes(int plotType, const TConfig& config, TPlotAxes& axes);

// Rounding to the nearest integer with ties to even: the default rounding mode, which nothing
// in the program changes, does it without the unpredictable branches of doing it by hand.
inline double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

// The next vertical grid frequency above x: 1..9 times a power of ten (x below 1 gives 1).
// Infinity when x is not finite or beyond the range where the digits can be counted.
double NextGridFrequency(double x);

// The value step of the horizontal grid: the first of 1, 2, 5 and 10 times a power of ten that
// is not below the wanted step. 0 when the wanted step is not positive and finite.
double ValueGridStep(double wanted);

// A frequency label: the number in the decade of 10^k with its SI prefix, "20", "1k", "200m".
std::string FrequencyLabel(int multiplier, int decadeExponent);

// A value label: at least one integer digit, up to five decimals, no trailing zeros and no
// thousands separator, the decimal separator of the user's locale; "-0" is shown as "0".
std::string ValueLabel(double value);

// Axis mapping on a plot rectangle: logarithmic in frequency across columns left..right-1,
// linear in value across rows top..bottom.
class TPlotMapping {
public:
    TPlotMapping() = default;
    TPlotMapping(int left, int top, int right, int bottom, double fmin, double fmax, double topValue,
                 double bottomValue);

    // The axes can be drawn: positive increasing frequency limits, distinct finite value limits
    // and a rectangle at least two columns wide and one row high.
    bool Valid() const { return m_Valid; }

    double XToFrequency(int x) const;
    int FrequencyToX(double f) const;

    // The exact (unrounded) row of a value; may lie far outside the rectangle or be non-finite.
    double RowPosition(double value) const;
    // The rounded row of a finite value, clamped to one row outside the rectangle on either
    // side so that it always converts safely; a value that is not finite gives top - 1.
    int Row(double value) const;
    // The same from a position RowPosition gave, for callers that looked at the position first.
    int RowAtPosition(double position) const;

    // Wanted value step for a text height: text height times the value per pixel.
    double ValuePerPixel() const;

private:
    bool m_Valid = false;
    int m_Left = 0, m_Top = 0, m_Right = 0, m_Bottom = 0;
    double m_LogMin = 0, m_LogMax = 0;
    double m_TopValue = 0, m_BottomValue = 0;
};

// The row mapping runs at every point of every curve: inline.
inline double TPlotMapping::RowPosition(double value) const {
    if (!m_Valid)
        return std::nan("");
    return (m_TopValue - value) / (m_TopValue - m_BottomValue) * static_cast<double>(m_Bottom - m_Top);
}

inline int TPlotMapping::RowAtPosition(double position) const {
    if (!std::isfinite(position))
        return m_Top - 1;
    const double clamped = std::clamp(position, -1.0, static_cast<double>(m_Bottom - m_Top) + 1.0);
    return m_Top + static_cast<int>(RoundHalfEven(clamped));
}

inline int TPlotMapping::Row(double value) const {
    return RowAtPosition(RowPosition(value));
}

// The flags of a driver that gate plot types, in the order the table names them.
struct TDriverFlags {
    bool CouplingKnown = false;
    bool MassAdded = false;
    bool ModelReady = false;
};

// The value of a plot type (already scaled) from the model's answer r, the chain's product of
// responses H and sum of group delays tau (s), the driver's flags, the evaluation point's Rg
// and P, and the driver's Re. The filters enter exactly once. A combined answer of magnitude 0
// gives 0, as does a gated type without its flag and a type outside 1..20. The result may be
// non-finite (a curve gap) only when the inputs are.
// The same for the plot type's description, found once by the caller.
double PlotValue(const TPlotTypeInfo& info, double scale, TComplex r, TComplex H, double tau,
                 const TDriverFlags& flags, double Rg, double P, double Re);
double PlotValue(int plotType, double scale, TComplex r, TComplex H, double tau, const TDriverFlags& flags,
                 double Rg, double P, double Re);
