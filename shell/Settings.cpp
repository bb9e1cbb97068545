#include "shell/Settings.h"

#include "platform/FileNames.h"
#include "platform/Folders.h"

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <pwd.h>
#include <span>
#include <unistd.h>
#include <vector>

namespace {

using platform::SettingsStore;

struct FloatSetting {
    const char* name;
    double TConfig::*field;
};

struct IntegerSetting {
    const char* name;
    std::int32_t TConfig::*field;
};

struct BoolSetting {
    const char* name;
    bool TConfig::*field;
};

// Every Double with its stored name, in the order of the record, which is the order the writer
// stores them.
constexpr FloatSetting kFloatSettings[] = {
    {"Limits_FreqStart", &TConfig::Limits_FreqStart},
    {"Limits_FreqEnd", &TConfig::Limits_FreqEnd},
    {"Limits_GainStart", &TConfig::Limits_GainStart},
    {"Limits_GainEnd", &TConfig::Limits_GainEnd},
    {"Limits_EQTFMagMin", &TConfig::Limits_EQTFMagMin},
    {"Limits_EQTFMagMax", &TConfig::Limits_EQTFMagMax},
    {"Limits_GainPhaseStart", &TConfig::Limits_GainPhaseStart},
    {"Limits_GainPhaseEnd", &TConfig::Limits_GainPhaseEnd},
    {"Limits_SPLStart", &TConfig::Limits_SPLStart},
    {"Limits_SPLEnd", &TConfig::Limits_SPLEnd},
    {"Limits_ExcursionStart", &TConfig::Limits_ExcursionStart},
    {"Limits_ExcursionEnd", &TConfig::Limits_ExcursionEnd},
    {"Limits_ImpedanceStart", &TConfig::Limits_ImpedanceStart},
    {"Limits_ImpedanceEnd", &TConfig::Limits_ImpedanceEnd},
    {"Limits_ImpedancePhaseStart", &TConfig::Limits_ImpedancePhaseStart},
    {"Limits_ImpedancePhaseEnd", &TConfig::Limits_ImpedancePhaseEnd},
    {"Limits_DelayStart", &TConfig::Limits_DelayStart},
    {"Limits_DelayEnd", &TConfig::Limits_DelayEnd},
    {"Limits_MaxPowerStart", &TConfig::Limits_MaxPowerStart},
    {"Limits_MaxPowerEnd", &TConfig::Limits_MaxPowerEnd},
    {"Limits_VelocityStart", &TConfig::Limits_VelocityStart},
    {"Limits_VelocityEnd", &TConfig::Limits_VelocityEnd},
    {"Environment_Temperature", &TConfig::Environment_Temperature},
    {"Environment_AirPressure", &TConfig::Environment_AirPressure},
    {"Environment_Humidy", &TConfig::Environment_Humidy},
};

// The Doubles in the order the reader completes them (the order of the stored key's table).
constexpr double TConfig::*kFloatsInStoreOrder[] = {
    &TConfig::Environment_Temperature,
    &TConfig::Environment_AirPressure,
    &TConfig::Environment_Humidy,
    &TConfig::Limits_FreqStart,
    &TConfig::Limits_FreqEnd,
    &TConfig::Limits_GainStart,
    &TConfig::Limits_GainEnd,
    &TConfig::Limits_EQTFMagMax,
    &TConfig::Limits_EQTFMagMin,
    &TConfig::Limits_GainPhaseStart,
    &TConfig::Limits_GainPhaseEnd,
    &TConfig::Limits_SPLStart,
    &TConfig::Limits_SPLEnd,
    &TConfig::Limits_ExcursionStart,
    &TConfig::Limits_ExcursionEnd,
    &TConfig::Limits_ImpedanceStart,
    &TConfig::Limits_ImpedanceEnd,
    &TConfig::Limits_ImpedancePhaseStart,
    &TConfig::Limits_ImpedancePhaseEnd,
    &TConfig::Limits_DelayStart,
    &TConfig::Limits_DelayEnd,
    &TConfig::Limits_MaxPowerStart,
    &TConfig::Limits_MaxPowerEnd,
    &TConfig::Limits_VelocityStart,
    &TConfig::Limits_VelocityEnd,
};

constexpr BoolSetting kGridOn{"GridON", &TConfig::GridON};
constexpr BoolSetting kButtonText{"ButtonText", &TConfig::ButtonText};

// Every Integer with its stored name, in the order the writer stores them.
constexpr IntegerSetting kIntegerSettings[] = {
    {"GridX", &TConfig::GridX},
    {"GridY", &TConfig::GridY},
    {"Line0dB", &TConfig::Line0dB},
    {"Line3dB", &TConfig::Line3dB},
    {"LineXmax", &TConfig::LineXmax},
    {"LineOther", &TConfig::LineOther},
    {"Back", &TConfig::Back},
    {"Label", &TConfig::Label},
    {"ExcursionScale", &TConfig::ExcursionScale},
    {"VelocityScale", &TConfig::VelocityScale},
};

// The Integers in the order the reader completes them (the order of the stored key's table). The
// never-read "Joystick" stands before the last ones, the amplitude scales (indices 0..2).
constexpr std::int32_t TConfig::*kIntegersInStoreOrder[] = {
    &TConfig::GridX,          &TConfig::GridY,         &TConfig::Line0dB, &TConfig::LineXmax,
    &TConfig::Line3dB,        &TConfig::LineOther,     &TConfig::Back,    &TConfig::Label,
    &TConfig::ExcursionScale, &TConfig::VelocityScale,
};
constexpr std::size_t kAmplitudeScaleCount = 2;

// A reader's order and the writer's table hold the same values, each once: a value only one of
// them knew would be read and never written, or written and never completed.
template <class Field, std::size_t N, class Setting, std::size_t M>
constexpr bool OrdersAgree(const Field (&order)[N], const Setting (&settings)[M]) {
    if (N != M)
        return false;
    for (const Field field : order) {
        int inSettings = 0;
        int inOrder = 0;
        for (const Setting& setting : settings)
            inSettings += setting.field == field ? 1 : 0;
        for (const Field other : order)
            inOrder += other == field ? 1 : 0;
        if (inSettings != 1 || inOrder != 1)
            return false;
    }
    return true;
}
static_assert(OrdersAgree(kFloatsInStoreOrder, kFloatSettings));
static_assert(OrdersAgree(kIntegersInStoreOrder, kIntegerSettings));

// A value range of the plot limits: the two ends must differ, or the axis scale divides by zero.
struct LimitPair {
    double TConfig::*start;
    double TConfig::*end;
};

constexpr LimitPair kValueRanges[] = {
    {&TConfig::Limits_GainStart, &TConfig::Limits_GainEnd},
    {&TConfig::Limits_EQTFMagMin, &TConfig::Limits_EQTFMagMax},
    {&TConfig::Limits_GainPhaseStart, &TConfig::Limits_GainPhaseEnd},
    {&TConfig::Limits_SPLStart, &TConfig::Limits_SPLEnd},
    {&TConfig::Limits_ExcursionStart, &TConfig::Limits_ExcursionEnd},
    {&TConfig::Limits_ImpedanceStart, &TConfig::Limits_ImpedanceEnd},
    {&TConfig::Limits_ImpedancePhaseStart, &TConfig::Limits_ImpedancePhaseEnd},
    {&TConfig::Limits_DelayStart, &TConfig::Limits_DelayEnd},
    {&TConfig::Limits_MaxPowerStart, &TConfig::Limits_MaxPowerEnd},
    {&TConfig::Limits_VelocityStart, &TConfig::Limits_VelocityEnd},
};

template <class Setting, std::size_t N, class Field>
const char* NameIn(const Setting (&settings)[N], Field field) {
    for (const Setting& setting : settings)
        if (setting.field == field)
            return setting.name;
    return "";
}

const char* NameOf(double TConfig::*field) {
    return NameIn(kFloatSettings, field);
}

const char* NameOf(std::int32_t TConfig::*field) {
    return NameIn(kIntegerSettings, field);
}

// The Integers the reader completes before "Joystick", and the amplitude scales after it.
std::span<std::int32_t TConfig::*const> IntegersBeforeJoystick() {
    return std::span(kIntegersInStoreOrder).first(std::size(kIntegersInStoreOrder) - kAmplitudeScaleCount);
}

std::span<std::int32_t TConfig::*const> AmplitudeScales() {
    return std::span(kIntegersInStoreOrder).last(kAmplitudeScaleCount);
}

// The stored value when there is one that reads as its type; else the default, written so that
// the store holds every value.
template <class T, class Written>
T ReadOrComplete(SettingsStore& store, const char* name, const T& defaultValue,
                 std::optional<T> (SettingsStore::*read)(std::string_view) const,
                 void (SettingsStore::*write)(std::string_view, Written)) {
    if (auto value = (store.*read)(name))
        return *value;
    (store.*write)(name, defaultValue);
    return defaultValue;
}

void RestoreDefault(SettingsStore& store, TConfig& config, const TConfig& defaults, double TConfig::*field) {
    config.*field = defaults.*field;
    store.WriteFloat(NameOf(field), defaults.*field);
}

// Replaces the values that later arithmetic cannot use (log of a non-positive frequency, an
// empty axis range, air without density) by their defaults and stores the replacements.
void RepairUnusableValues(SettingsStore& store, TConfig& config, const TConfig& defaults) {
    for (double TConfig::*field : kFloatsInStoreOrder)
        if (!std::isfinite(config.*field))
            RestoreDefault(store, config, defaults, field);

    if (!(config.Environment_Temperature > 0))
        RestoreDefault(store, config, defaults, &TConfig::Environment_Temperature);
    if (!(config.Environment_AirPressure > 0))
        RestoreDefault(store, config, defaults, &TConfig::Environment_AirPressure);
    if (!(config.Environment_Humidy >= 0 && config.Environment_Humidy <= 1))
        RestoreDefault(store, config, defaults, &TConfig::Environment_Humidy);

    if (!(config.Limits_FreqStart > 0))
        RestoreDefault(store, config, defaults, &TConfig::Limits_FreqStart);
    if (!(config.Limits_FreqEnd > 0))
        RestoreDefault(store, config, defaults, &TConfig::Limits_FreqEnd);
    if (!(config.Limits_FreqStart < config.Limits_FreqEnd)) {
        RestoreDefault(store, config, defaults, &TConfig::Limits_FreqStart);
        RestoreDefault(store, config, defaults, &TConfig::Limits_FreqEnd);
    }

    for (const LimitPair& range : kValueRanges) {
        if (config.*range.start == config.*range.end) {
            RestoreDefault(store, config, defaults, range.start);
            RestoreDefault(store, config, defaults, range.end);
        }
    }

    for (std::int32_t TConfig::*scale : AmplitudeScales()) {
        if (config.*scale < 0 || config.*scale > 2) {
            config.*scale = defaults.*scale;
            store.WriteInteger(NameOf(scale), defaults.*scale);
        }
    }
}

} // namespace

std::string LoginName() {
    char buffer[256] = {};
    if (::getlogin_r(buffer, sizeof buffer) == 0 && buffer[0] != '\0')
        return buffer;
    std::vector<char> scratch(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, scratch.data(), scratch.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr && found->pw_name[0] != '\0')
        return found->pw_name;
    if (const char* user = std::getenv("USER"); user != nullptr)
        return user;
    return {};
}

std::string ProgramPathSetting() {
    std::string path = platform::ProgramFolder().string();
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

double ReadFloatDefault(SettingsStore& store, std::string_view name, double defaultValue) {
    if (!store.ValueExists(name))
        store.WriteFloat(name, defaultValue);
    if (auto value = store.ReadFloat(name))
        return *value;
    // Stored in a form that is not a Double: the reader must not stop start-up over it.
    store.WriteFloat(name, defaultValue);
    return defaultValue;
}

bool ReadSettings(SettingsStore& store, const platform::JoystickProbe& joystick,
                  platform::StoreResult* writeResult) {
    JoystickPresent = joystick.Probe().has_value();

    const bool wasNew = !store.KeyExists();
    const std::string programPath = ProgramPathSetting();
    store.WriteString("ProgramPath", programPath);

    TConfig defaults;
    defaults.UserName = LoginName();
    TConfig config = TC;

    config.UserName = ReadOrComplete(store, "UserName", defaults.UserName, &SettingsStore::ReadString,
                                     &SettingsStore::WriteString);
    for (const BoolSetting& setting : {kGridOn, kButtonText})
        config.*setting.field = ReadOrComplete(store, setting.name, defaults.*setting.field,
                                               &SettingsStore::ReadBool, &SettingsStore::WriteBool);
    const auto readIntegers = [&](std::span<std::int32_t TConfig::*const> fields) {
        for (std::int32_t TConfig::*field : fields)
            config.*field = ReadOrComplete(store, NameOf(field), defaults.*field, &SettingsStore::ReadInteger,
                                           &SettingsStore::WriteInteger);
    };
    readIntegers(IntegersBeforeJoystick());
    // Kept in the store for older tools; the program itself never reads it.
    if (!store.ValueExists("Joystick"))
        store.WriteInteger("Joystick", 0);
    readIntegers(AmplitudeScales());
    for (double TConfig::*field : kFloatsInStoreOrder)
        config.*field = ReadFloatDefault(store, NameOf(field), defaults.*field);

    RepairUnusableValues(store, config, defaults);

    config.ProgramPath = programPath;
    // A grid step below 1 gives both steps their defaults, in the record only: the store keeps
    // what the user set.
    if (config.GridX < 1 || config.GridY < 1) {
        config.GridX = defaults.GridX;
        config.GridY = defaults.GridY;
    }
    TC = std::move(config);

    platform::StoreResult result = store.Flush();
    if (writeResult != nullptr)
        *writeResult = std::move(result);
    return wasNew;
}

platform::StoreResult WriteSettings(SettingsStore& store) {
    store.WriteString("ProgramPath", TC.ProgramPath.empty() ? ProgramPathSetting() : TC.ProgramPath);
    store.WriteString("UserName", TC.UserName);
    for (const BoolSetting& setting : {kGridOn, kButtonText})
        store.WriteBool(setting.name, TC.*setting.field);
    for (const IntegerSetting& setting : kIntegerSettings)
        store.WriteInteger(setting.name, TC.*setting.field);
    for (const FloatSetting& setting : kFloatSettings)
        store.WriteFloat(setting.name, TC.*setting.field);
    return store.Flush();
}

std::string SettingsStartupMessage(const platform::SettingsStore& store, const platform::StoreResult& written) {
    if (const std::string problem = store.ReadProblem(); !problem.empty()) {
        // A store that could not be read is not written either, so the write's failure says
        // nothing more.
        std::string text = "The settings could not be read: " + problem + ".\nThe defaults are in use";
        if (const std::string kept = store.KeptCopy(); !kept.empty())
            text += "; the old settings file was kept as \"" + platform::DisplayFileName(kept) + "\"";
        return text + ".";
    }
    if (!written)
        return "The settings could not be written: " + written.error;
    return {};
}
