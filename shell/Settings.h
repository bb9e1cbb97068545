#pragma once
// The program-wide settings record, filled from the settings store at start-up.

#include "platform/JoystickProbe.h"
#include "platform/SettingsStore.h"

#include <cstdint>
#include <string>
#include <string_view>

struct TConfig {
    std::string UserName;
    std::string ProgramPath; // folder of the program file, with a trailing separator

    double Limits_FreqStart = 10;
    double Limits_FreqEnd = 500;
    double Limits_GainStart = -30;
    double Limits_GainEnd = 6;
    double Limits_EQTFMagMin = -40;
    double Limits_EQTFMagMax = 20;
    double Limits_GainPhaseStart = -180;
    double Limits_GainPhaseEnd = 180;
    double Limits_SPLStart = 75;
    double Limits_SPLEnd = 105;
    double Limits_ExcursionStart = 0;
    double Limits_ExcursionEnd = 0.03;
    double Limits_ImpedanceStart = 0;
    double Limits_ImpedanceEnd = 50;
    double Limits_ImpedancePhaseStart = -90;
    double Limits_ImpedancePhaseEnd = 90;
    double Limits_DelayStart = 0;
    double Limits_DelayEnd = 40;
    double Limits_MaxPowerStart = 0;
    double Limits_MaxPowerEnd = 500;
    double Limits_VelocityStart = 0;
    double Limits_VelocityEnd = 20;

    double Environment_Temperature = 293.15; // K
    double Environment_AirPressure = 101325; // Pa
    double Environment_Humidy = 0.3;         // relative humidity, 0..1

    bool GridON = true;
    int32_t GridX = 20;
    int32_t GridY = 20;
    int32_t ExcursionScale = 1; // amplitude scale index 0..2
    int32_t VelocityScale = 1;

    // Colours as 0x00BBGGRR.
    int32_t Line0dB = 0x0000FF;
    int32_t Line3dB = 0x800080;
    int32_t LineXmax = 0x0000FF;
    int32_t LineOther = 0x008000;
    int32_t Back = 0;
    int32_t Label = 0xFFFFFF;

    bool ButtonText = true;
};

// The one settings record of the program; a default-constructed record already holds
// every default, so code that runs before the settings are read still sees valid air.
inline TConfig TC;

// Set by the settings reader: whether a joystick is present.
inline bool JoystickPresent = false;

// ---------------------------------------------------------------------------------------------
// Reading and writing the record through the settings store.

// Fills TC from the store and completes the store with the default of every missing value
// (40 values, "Joystick" included, in a fixed order); sets JoystickPresent from the probe.
// Returns true when the store held no settings before. A value that cannot be read as its type,
// or one that would make later arithmetic fail (air temperature or pressure not above 0, humidity
// outside 0..1, a frequency limit not above 0 or a start not below its end, a value range whose
// ends are equal, an amplitude scale outside 0..2), is replaced by its default and written back.
// Nothing here stops start-up; when the store cannot be written, `writeResult` (if given) says why.
bool ReadSettings(platform::SettingsStore& store, const platform::JoystickProbe& joystick,
                  platform::StoreResult* writeResult = nullptr);

// The one message start-up shows about the settings, empty when there is nothing to say: that
// the settings could not be read, why, that the defaults are in use and where the old file was
// kept; else, when the store could not be written (`written`), why not.
std::string SettingsStartupMessage(const platform::SettingsStore& store, const platform::StoreResult& written);

// Writes every setting of TC except "Joystick" and flushes the store at once.
platform::StoreResult WriteSettings(platform::SettingsStore& store);

// When the value is missing, writes the default; then reads the value. A stored value that
// cannot be read as a Double is replaced by the default and written back.
double ReadFloatDefault(platform::SettingsStore& store, std::string_view name, double defaultValue);

// The user's login name, the default author of new drivers and projects ("" when unknown).
std::string LoginName();

// The program folder with a trailing "/", the base of "Drivers/", "Projects/" and "filters/".
std::string ProgramPathSetting();
