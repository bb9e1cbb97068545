#include "shell/OptionsRules.h"

#include "model/Airmodel.h"
#include "model/Units.h"

#include <algorithm>
#include <cmath>

const std::vector<TLimitRow>& LimitRows() {
    static const std::vector<TLimitRow> rows = {
        {"Frequency range", "edFreqStart", "edFreqEnd", &TConfig::Limits_FreqStart, &TConfig::Limits_FreqEnd,
         "Hz", 0, true},
        {"Transfer func. magn.", "edGainStart", "edGainEnd", &TConfig::Limits_GainStart,
         &TConfig::Limits_GainEnd, "dB", 0, false},
        {"Transfer func. phase", "edGainPhaseStart", "edGainPhaseEnd", &TConfig::Limits_GainPhaseStart,
         &TConfig::Limits_GainPhaseEnd, "deg", 0, false},
        {"SPL", "edSPLStart", "edSPLEnd", &TConfig::Limits_SPLStart, &TConfig::Limits_SPLEnd, "dB", 0, false},
        {"Cone excursion", "edExcursionStart", "edExcursionEnd", &TConfig::Limits_ExcursionStart,
         &TConfig::Limits_ExcursionEnd, "", qkLength, false},
        {"Impedance", "edImpedanceStart", "edImpedanceEnd", &TConfig::Limits_ImpedanceStart,
         &TConfig::Limits_ImpedanceEnd, "ohm", 0, false},
        {"Impedance phase", "edImpedancePhaseStart", "edImpedancePhaseEnd",
         &TConfig::Limits_ImpedancePhaseStart, &TConfig::Limits_ImpedancePhaseEnd, "deg", 0, false},
        {"Group delay", "edDelayStart", "edDelayEnd", &TConfig::Limits_DelayStart, &TConfig::Limits_DelayEnd,
         "ms", 0, false},
        {"Maximum power", "edMaxPowerStart", "edMaxPowerEnd", &TConfig::Limits_MaxPowerStart,
         &TConfig::Limits_MaxPowerEnd, "W", 0, false},
        {"Air velocity", "edVelocityStart", "edVelocityEnd", &TConfig::Limits_VelocityStart,
         &TConfig::Limits_VelocityEnd, "", qkVelocity, false},
        {"EQ transfer func mag", "edEQtfmagmin", "edEQtfmagmax", &TConfig::Limits_EQTFMagMin,
         &TConfig::Limits_EQTFMagMax, "dB", 0, false},
    };
    return rows;
}

bool TemperatureAcceptable(double kelvins) {
    return std::isfinite(kelvins) && kelvins >= 174 && kelvins <= 373;
}

bool HumidityAcceptable(double fraction) {
    return std::isfinite(fraction) && fraction >= 0 && fraction <= 1;
}

std::optional<TOptionsRefusal> CheckOptions(const TConfig& edited) {
    if (edited.GridX <= 0 || edited.GridY <= 0) {
        return TOptionsRefusal{kGridMessage, edited.GridX <= 0 ? "edGridX" : "edGridY"};
    }
    if (!TemperatureAcceptable(edited.Environment_Temperature)) {
        return TOptionsRefusal{kTemperatureMessage, "edTemperature"};
    }
    if (!HumidityAcceptable(edited.Environment_Humidy)) {
        return TOptionsRefusal{kHumidityMessage, "edHumidy"};
    }
    if (!std::isfinite(edited.Environment_AirPressure) || edited.Environment_AirPressure <= 0) {
        return TOptionsRefusal{kPressureMessage, "edAirPressure"};
    }
    for (const TLimitRow& row : LimitRows()) {
        const double start = edited.*row.start;
        const double end = edited.*row.end;
        if (!std::isfinite(start) || !std::isfinite(end)) {
            return TOptionsRefusal{std::string(row.caption) + ": the limits must be numbers.", row.startName};
        }
        if (row.frequency && (start <= 0 || start >= end)) {
            return TOptionsRefusal{
                std::string(row.caption) + ": the start must be above 0 and below the end.", row.startName};
        }
        if (start == end) {
            return TOptionsRefusal{std::string(row.caption) + ": the start and the end must differ.",
                                   row.startName};
        }
    }
    return std::nullopt;
}

std::optional<double> SoundVelocity(double kelvins, double pascals, double humidity) {
    if (!std::isfinite(kelvins) || !std::isfinite(pascals) || !std::isfinite(humidity) || kelvins <= 0 ||
        pascals <= 0 || humidity < 0 || humidity > 1) {
        return std::nullopt;
    }
    const double density = AirDensity(kelvins, pascals, humidity);
    if (!std::isfinite(density) || density <= 0) {
        return std::nullopt;
    }
    const double velocity = SpeedOfSound(pascals, density);
    return std::isfinite(velocity) ? std::optional<double>(velocity) : std::nullopt;
}

std::int32_t NextAmplitudeScale(std::int32_t scale) {
    return scale >= 0 && scale < 2 ? scale + 1 : 0;
}

int JoystickTrackPosition(std::uint32_t position) {
    return static_cast<int>(
        std::lround(static_cast<double>(std::min<std::uint32_t>(position, 65535)) / 3855.0));
}
