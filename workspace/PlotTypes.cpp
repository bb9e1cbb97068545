#include "workspace/PlotTypes.h"

#include "model/UnitHelper.h"
#include "model/Units.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using FU = TFilterUse;
using VF = TValueFormula;
using DG = TDriverGate;
using US = TPlotUnitSource;

constexpr double RadToDeg = 180.0 / HV_Pi;

// clang-format off
constexpr std::array<TPlotTypeInfo, PlotTypeCount> PlotTypes = {{
    {1, "Transfer function magnitude", "System overall", ckTransfer, FU::Multiply, VF::MagnitudeDb, DG::None,
     US::Fixed, "dB", 1, &TConfig::Limits_GainEnd, &TConfig::Limits_GainStart, rlZero | rlMinus3dB, false},
    {2, "SPL", "System overall", ckSPL, FU::Multiply, VF::MagnitudeDb, DG::None,
     US::Fixed, "dB", 1, &TConfig::Limits_SPLEnd, &TConfig::Limits_SPLStart, rlNone, false},
    {3, "Group Delay", "System overall", ckGroupDelay, FU::AddDelay, VF::RealPart, DG::None,
     US::Delay, "ms", 1000, &TConfig::Limits_DelayEnd, &TConfig::Limits_DelayStart, rlNone, false},
    {4, "Transfer function phase", "System overall", ckTransfer, FU::Multiply, VF::PhaseDegrees, DG::None,
     US::Fixed, "deg", 1, &TConfig::Limits_GainPhaseEnd, &TConfig::Limits_GainPhaseStart, rlZero, true},
    {5, "Cone excursion", "Driver", ckExcursion, FU::Multiply, VF::Magnitude, DG::ConeArea,
     US::Excursion, "", 1, &TConfig::Limits_ExcursionEnd, &TConfig::Limits_ExcursionStart, rlXmaxDriver, false},
    {6, "Impedance", "Driver", ckImpedance, FU::None, VF::Magnitude, DG::Coupling,
     US::Fixed, "ohm", 1, &TConfig::Limits_ImpedanceEnd, &TConfig::Limits_ImpedanceStart, rlNone, false},
    {7, "Maximum Power", "System overall", ckMaxPower, FU::None, VF::RealPart, DG::ConeArea,
     US::Fixed, "W", 1, &TConfig::Limits_MaxPowerEnd, &TConfig::Limits_MaxPowerStart, rlNone, false},
    {8, "Impedance phase", "Driver", ckImpedance, FU::None, VF::PhaseDegrees, DG::Coupling,
     US::Fixed, "deg", 1, &TConfig::Limits_ImpedancePhaseEnd, &TConfig::Limits_ImpedancePhaseStart, rlNone, false},
    {9, "Rear port - Air velocity", "Rear port", ckRearPortVelocity, FU::Multiply, VF::Magnitude, DG::ModelReady,
     US::Velocity, "", 1, &TConfig::Limits_VelocityEnd, &TConfig::Limits_VelocityStart, rlNone, false},
    {10, "Front port - Air velocity", "Front port", ckFrontPortVelocity, FU::Multiply, VF::Magnitude, DG::ModelReady,
     US::Velocity, "", 1, &TConfig::Limits_VelocityEnd, &TConfig::Limits_VelocityStart, rlNone, false},
    {11, "Rear port - Gain", "Rear port", ckRearPortGain, FU::Multiply, VF::MagnitudeDb, DG::None,
     US::Fixed, "dB", 1, &TConfig::Limits_GainEnd, &TConfig::Limits_GainStart, rlNone, false},
    {12, "Front port - Gain", "Front port", ckFrontPortGain, FU::Multiply, VF::MagnitudeDb, DG::None,
     US::Fixed, "dB", 1, &TConfig::Limits_GainEnd, &TConfig::Limits_GainStart, rlNone, false},
    {13, "Transfer function magnitude (PR)", "Passive radiator", ckPRTransfer, FU::None, VF::MagnitudeDb, DG::None,
     US::Fixed, "dB", 1, &TConfig::Limits_GainEnd, &TConfig::Limits_GainStart, rlNone, false},
    {14, "Transfer function phase (PR)", "Passive radiator", ckPRTransfer, FU::None, VF::PhaseDegrees, DG::None,
     US::Fixed, "deg", 1, &TConfig::Limits_GainPhaseEnd, &TConfig::Limits_GainPhaseStart, rlNone, true},
    {15, "Cone excursion (PR)", "Passive radiator", ckPRExcursion, FU::Multiply, VF::Magnitude, DG::ConeArea,
     US::Excursion, "", 1, &TConfig::Limits_ExcursionEnd, &TConfig::Limits_ExcursionStart, rlXmaxRadiator, false},
    {16, "Maximum SPL", "System overall", ckMaxSPL, FU::None, VF::MagnitudeDb, DG::ConeArea,
     US::Fixed, "dB", 1, &TConfig::Limits_SPLEnd, &TConfig::Limits_SPLStart, rlNone, false},
    {17, "Transfer function magnitude (EQ/Filter)", "Filter/Equalizer", ckTransfer, FU::None, VF::FilterDb, DG::None,
     US::Fixed, "dB", 1, &TConfig::Limits_EQTFMagMax, &TConfig::Limits_EQTFMagMin, rlZero | rlMinus3dB, false},
    {18, "Transfer function phase (EQ/Filter)", "Filter/Equalizer", ckTransfer, FU::None, VF::FilterPhase, DG::None,
     US::Fixed, "deg", 1, &TConfig::Limits_GainPhaseEnd, &TConfig::Limits_GainPhaseStart, rlZero, true},
    {19, "Group Delay (EQ/Filter)", "Filter/Equalizer", ckGroupDelay, FU::None, VF::FilterDelay, DG::None,
     US::Delay, "ms", 1000, &TConfig::Limits_DelayEnd, &TConfig::Limits_DelayStart, rlNone, false},
    {20, "Amplifier apparent load power (VA)", "System overall", ckImpedance, FU::None, VF::ApparentPowerVA,
     DG::Coupling, US::Fixed, "VA", 1, &TConfig::Limits_MaxPowerEnd, &TConfig::Limits_MaxPowerStart, rlNone, false},
}};
// clang-format on

// The options window's fields whose display units the excursion and velocity plots follow.
class TOptionsField : public TUnitField {
public:
    TOptionsField(std::string name, int kind) : m_Name(std::move(name)), m_Kind(kind) {}
    std::string Name() const override { return m_Name; }
    int Kind() const override { return m_Kind; }
    std::string Text() const override { return {}; }
    void SetText(const std::string&) override {}

private:
    std::string m_Name;
    int m_Kind;
};

TPlotDisplayUnit DisplayUnitOf(const char* fieldName, int kind, int amplitudeIndex) {
    const TOptionsField field(fieldName, kind);
    const int index = GetUnitIndex(field);
    TPlotDisplayUnit unit;
    unit.UnitFactor = Val2Display(kind, index, 1.0);
    unit.Scale = unit.UnitFactor * AmplitudeFactor(amplitudeIndex);
    const std::string_view amplitude =
        amplitudeIndex >= 0 && amplitudeIndex <= 2 ? AmplitudeKinds[amplitudeIndex].Name : std::string_view();
    unit.Text = std::string(amplitude) + " " + std::string(GetUnitInfo(kind, index).Name);
    return unit;
}

} // namespace

const TPlotTypeInfo* PlotTypeInfo(int plotType) {
    if (plotType < 1 || plotType > PlotTypeCount)
        return nullptr;
    return &PlotTypes[static_cast<std::size_t>(plotType - 1)];
}

TPlotDisplayUnit ExcursionDisplayUnit(const TConfig& config) {
    return DisplayUnitOf("edExcursionEnd", qkLength, config.ExcursionScale);
}

TPlotDisplayUnit VelocityDisplayUnit(const TConfig& config) {
    return DisplayUnitOf("edVelocityEnd", qkVelocity, config.VelocityScale);
}

void SetPlotAxes(int plotType, const TConfig& config, TPlotAxes& axes) {
    axes.FMin = config.Limits_FreqStart;
    axes.FMax = config.Limits_FreqEnd;
    const TPlotTypeInfo* info = PlotTypeInfo(plotType);
    if (info == nullptr)
        return;
    double rangeFactor = 1;
    axes.Scale = info->Scale;
    axes.UnitText = std::string(info->UnitText);
    switch (info->UnitSource) {
    case TPlotUnitSource::Fixed:
        break;
    case TPlotUnitSource::Delay:
        // The settings keep milliseconds, the models answer seconds.
        rangeFactor = 0.001 * info->Scale;
        break;
    case TPlotUnitSource::Excursion:
    case TPlotUnitSource::Velocity: {
        const TPlotDisplayUnit unit = info->UnitSource == TPlotUnitSource::Excursion
                                          ? ExcursionDisplayUnit(config)
                                          : VelocityDisplayUnit(config);
        rangeFactor = unit.UnitFactor;
        axes.Scale = unit.Scale;
        axes.UnitText = unit.Text;
        break;
    }
    }
    axes.TopValue = config.*(info->Top) * rangeFactor;
    axes.BottomValue = config.*(info->Bottom) * rangeFactor;
}

double NextGridFrequency(double x) {
    // Beyond 1e17 a double has no units digit left to count.
    if (!std::isfinite(x) || x >= 1e17)
        return std::numeric_limits<double>::infinity();
    if (x < 1)
        return 1;
    const auto n = static_cast<std::int64_t>(x);
    std::int64_t d = 1;
    while (n / d >= 10)
        d *= 10;
    return static_cast<double>(d * (n / d + 1));
}

double ValueGridStep(double wanted) {
    if (!(wanted > 0) || !std::isfinite(wanted))
        return 0;
    const double decade = std::pow(10.0, std::floor(std::log10(wanted)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * decade >= wanted)
            return m * decade;
    }
    // log10 rounding can leave wanted a hair above 10 x decade.
    return 20.0 * decade;
}

std::string FrequencyLabel(int multiplier, int decadeExponent) {
    static constexpr std::string_view Prefixes[13] = {"a", "f", "p", "n", "u", "m", "",
                                                      "k", "M", "G", "T", "P", "E"};
    const int group = static_cast<int>(std::floor(decadeExponent / 3.0));
    const double number = multiplier * std::pow(10.0, decadeExponent - 3 * group);
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, 0);
    std::string text(buffer, result.ptr);
    const int prefix = static_cast<int>(std::trunc(decadeExponent / 3.0 + 6));
    if (prefix >= 0 && prefix < 13)
        text += Prefixes[prefix];
    return text;
}

std::string ValueLabel(double value) {
    if (!std::isfinite(value))
        return {};
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 5);
    if (result.ec != std::errc())
        return {};
    std::string text(buffer, result.ptr);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    if (text == "-0")
        text = "0";
    const std::size_t point = text.find('.');
    if (point != std::string::npos)
        text[point] = DecimalSeparator();
    return text;
}

TPlotMapping::TPlotMapping(int left, int top, int right, int bottom, double fmin, double fmax,
                           double topValue, double bottomValue)
    : m_Left(left), m_Top(top), m_Right(right), m_Bottom(bottom), m_TopValue(topValue),
      m_BottomValue(bottomValue) {
    m_Valid = std::isfinite(fmin) && std::isfinite(fmax) && fmin > 0 && fmin < fmax &&
              std::isfinite(topValue) && std::isfinite(bottomValue) && topValue != bottomValue &&
              right - left >= 2 && bottom - top >= 1;
    if (m_Valid) {
        m_LogMin = std::log10(fmin);
        m_LogMax = std::log10(fmax);
        m_Valid = m_LogMax > m_LogMin && std::isfinite(ValuePerPixel());
    }
}

double TPlotMapping::XToFrequency(int x) const {
    if (!m_Valid)
        return 0;
    return std::pow(10.0, m_LogMin + static_cast<double>(x - m_Left) * (m_LogMax - m_LogMin) /
                                         static_cast<double>(m_Right - m_Left - 1));
}

int TPlotMapping::FrequencyToX(double f) const {
    if (!m_Valid)
        return m_Left;
    const int width = m_Right - m_Left;
    if (!(f > 0) || std::isnan(f))
        return m_Left - width;
    const double position =
        (std::log10(f) - m_LogMin) / (m_LogMax - m_LogMin) * static_cast<double>(m_Right - m_Left - 1);
    // A frequency far off the axis lands just off its side: the pixel arithmetic stays in range.
    const double clamped = std::clamp(position, -static_cast<double>(width), 2.0 * width);
    return m_Left + static_cast<int>(RoundHalfEven(clamped));
}

double TPlotMapping::ValuePerPixel() const {
    return std::fabs(m_TopValue - m_BottomValue) / static_cast<double>(m_Bottom - m_Top);
}

namespace {

// 20·log10 |z| as 10·log10 (re² + im²), without the square root and the division of the modulus;
// the modulus itself only where the squares would leave the range of a double.
double MagnitudeDb(TComplex z) {
    const double norm = z.re * z.re + z.im * z.im;
    // 10/ln 10 · ln: the library's log10 is its natural logarithm with more work around it.
    constexpr double DecibelsPerNeper = 4.3429448190325182765; // 10 / ln 10
    if (norm > 1e-300 && norm < 1e300)
        return DecibelsPerNeper * std::log(norm);
    return 20 * std::log10(ComplexAbs(z));
}

} // namespace

double PlotValue(int plotType, double scale, TComplex r, TComplex H, double tau, const TDriverFlags& flags,
                 double Rg, double P, double Re) {
    const TPlotTypeInfo* info = PlotTypeInfo(plotType);
    if (info == nullptr)
        return 0;
    return PlotValue(*info, scale, r, H, tau, flags, Rg, P, Re);
}

double PlotValue(const TPlotTypeInfo& infoRecord, double scale, TComplex r, TComplex H, double tau,
                 const TDriverFlags& flags, double Rg, double P, double Re) {
    const TPlotTypeInfo* info = &infoRecord;
    switch (info->Filters) {
    case TFilterUse::None:
        break;
    case TFilterUse::Multiply:
        r = ComplexMul(r, H);
        break;
    case TFilterUse::AddDelay:
        r = ComplexAdd(r, MakeComplex(tau, 0));
        break;
    }
    // A response of exactly zero (a kind the box does not answer) lies on the zero row.
    if (r.re == 0 && r.im == 0)
        return 0;
    switch (info->Gate) {
    case TDriverGate::None:
        break;
    case TDriverGate::Coupling:
        if (!flags.CouplingKnown)
            return 0;
        break;
    case TDriverGate::ConeArea:
        if (!flags.MassAdded)
            return 0;
        break;
    case TDriverGate::ModelReady:
        if (!flags.ModelReady)
            return 0;
        break;
    }
    double value = 0;
    switch (info->Formula) {
    case TValueFormula::None:
        return 0;
    case TValueFormula::MagnitudeDb:
        value = MagnitudeDb(r);
        break;
    case TValueFormula::Magnitude:
        value = ComplexAbs(r);
        break;
    case TValueFormula::PhaseDegrees:
        value = ComplexArg(r) * RadToDeg;
        break;
    case TValueFormula::RealPart:
        value = r.re;
        break;
    case TValueFormula::FilterDb:
        value = MagnitudeDb(H);
        break;
    case TValueFormula::FilterPhase:
        value = ComplexArg(H) * RadToDeg;
        break;
    case TValueFormula::FilterDelay:
        value = tau;
        break;
    case TValueFormula::ApparentPowerVA: {
        const double magnitude = ComplexAbs(H);
        value = magnitude * magnitude * P * Re / ComplexAbs(ComplexAdd(r, MakeComplex(Rg, 0)));
        break;
    }
    }
    return value * scale;
}
