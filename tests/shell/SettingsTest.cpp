#include "shell/Settings.h"

#include "platform/Folders.h"
#include "tests/platform/TempFolders.h"

#include "tests/CaseNames.h"

#include <gtest/gtest.h>

#include <optional>

#include <string>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::FakeJoystickProbe;
using platform::MemorySettingsStore;

namespace {

using platformtest::MakeTempFolder;
using platformtest::PrivateConfigHome;

// QSettings settles its folders on first use: the configuration home is private to this program
// from before main() on, so no test can reach the user's real settings.
const PrivateConfigHome configHome("settings-test");

// The stored key as the first start leaves it: every value, in this order, with these defaults.
const std::vector<std::string> kFirstStartOrder = {
    "ProgramPath",
    "UserName",
    "GridON",
    "ButtonText",
    "GridX",
    "GridY",
    "Line0dB",
    "LineXmax",
    "Line3dB",
    "LineOther",
    "Back",
    "Label",
    "Joystick",
    "ExcursionScale",
    "VelocityScale",
    "Environment_Temperature",
    "Environment_AirPressure",
    "Environment_Humidy",
    "Limits_FreqStart",
    "Limits_FreqEnd",
    "Limits_GainStart",
    "Limits_GainEnd",
    "Limits_EQTFMagMax",
    "Limits_EQTFMagMin",
    "Limits_GainPhaseStart",
    "Limits_GainPhaseEnd",
    "Limits_SPLStart",
    "Limits_SPLEnd",
    "Limits_ExcursionStart",
    "Limits_ExcursionEnd",
    "Limits_ImpedanceStart",
    "Limits_ImpedanceEnd",
    "Limits_ImpedancePhaseStart",
    "Limits_ImpedancePhaseEnd",
    "Limits_DelayStart",
    "Limits_DelayEnd",
    "Limits_MaxPowerStart",
    "Limits_MaxPowerEnd",
    "Limits_VelocityStart",
    "Limits_VelocityEnd",
};

const std::vector<std::pair<const char*, std::int32_t>> kIntegerDefaults = {
    {"GridON", 1},         {"ButtonText", 1},      {"GridX", 20},         {"GridY", 20},
    {"Line0dB", 0x0000FF}, {"LineXmax", 0x0000FF}, {"Line3dB", 0x800080}, {"LineOther", 0x008000},
    {"Back", 0},           {"Label", 0xFFFFFF},    {"Joystick", 0},       {"ExcursionScale", 1},
    {"VelocityScale", 1},
};

const std::vector<std::pair<const char*, double>> kFloatDefaults = {
    {"Environment_Temperature", 293.15},
    {"Environment_AirPressure", 101325},
    {"Environment_Humidy", 0.3},
    {"Limits_FreqStart", 10},
    {"Limits_FreqEnd", 500},
    {"Limits_GainStart", -30},
    {"Limits_GainEnd", 6},
    {"Limits_EQTFMagMax", 20},
    {"Limits_EQTFMagMin", -40},
    {"Limits_GainPhaseStart", -180},
    {"Limits_GainPhaseEnd", 180},
    {"Limits_SPLStart", 75},
    {"Limits_SPLEnd", 105},
    {"Limits_ExcursionStart", 0},
    {"Limits_ExcursionEnd", 0.03},
    {"Limits_ImpedanceStart", 0},
    {"Limits_ImpedanceEnd", 50},
    {"Limits_ImpedancePhaseStart", -90},
    {"Limits_ImpedancePhaseEnd", 90},
    {"Limits_DelayStart", 0},
    {"Limits_DelayEnd", 40},
    {"Limits_MaxPowerStart", 0},
    {"Limits_MaxPowerEnd", 500},
    {"Limits_VelocityStart", 0},
    {"Limits_VelocityEnd", 20},
};

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        TC = TConfig{};
        JoystickPresent = false;
    }
    void TearDown() override {
        TC = TConfig{};
        JoystickPresent = false;
    }

    // A store as a previous run leaves it.
    static MemorySettingsStore CompleteStore() {
        MemorySettingsStore store;
        FakeJoystickProbe none;
        ReadSettings(store, none);
        store.ClearWrites();
        return store;
    }

    FakeJoystickProbe noJoystick;
};

} // namespace

TEST_F(Settings, DefaultRecordHoldsTheDefaultsBeforeAnythingIsRead) {
    const TConfig fresh;
    EXPECT_EQ(fresh.Environment_Temperature, 293.15);
    EXPECT_EQ(fresh.Environment_AirPressure, 101325);
    EXPECT_EQ(fresh.Environment_Humidy, 0.3);
    EXPECT_EQ(fresh.Limits_FreqStart, 10);
    EXPECT_EQ(fresh.GridX, 20);
    EXPECT_TRUE(fresh.GridON);
}

TEST_F(Settings, FirstStartWritesEveryValueWithItsDefault) {
    MemorySettingsStore store;
    EXPECT_TRUE(ReadSettings(store, noJoystick));
    EXPECT_EQ(store.writes, kFirstStartOrder);
    EXPECT_EQ(store.writes.size(), 40u);
    EXPECT_GE(store.flushes, 1);

    EXPECT_EQ(store.ReadString("ProgramPath"), platform::ProgramFolder().string() + "/");
    EXPECT_EQ(store.ReadString("UserName"), LoginName());
    for (const auto& [name, value] : kIntegerDefaults)
        EXPECT_EQ(store.ReadInteger(name), value) << name;
    for (const auto& [name, value] : kFloatDefaults)
        EXPECT_EQ(store.ReadFloat(name), value) << name;

    EXPECT_EQ(TC.ProgramPath, platform::ProgramFolder().string() + "/");
    EXPECT_TRUE(fs::exists(TC.ProgramPath + "shell_tests"));
    EXPECT_EQ(TC.UserName, LoginName());
    EXPECT_EQ(TC.Line3dB, 0x800080);
    EXPECT_EQ(TC.Limits_ExcursionEnd, 0.03);
}

TEST_F(Settings, SecondStartWritesOnlyTheProgramPath) {
    MemorySettingsStore store = CompleteStore();
    store.Seed("Joystick", 5);
    EXPECT_FALSE(ReadSettings(store, noJoystick));
    EXPECT_EQ(store.writes, (std::vector<std::string>{"ProgramPath"}));
    EXPECT_EQ(store.ReadInteger("Joystick"), 5);
}

TEST_F(Settings, StoredValuesReachTheRecord) {
    MemorySettingsStore store = CompleteStore();
    store.Seed("UserName", std::string("Ann \xC3\x85str\xC3\xB6m"));
    store.Seed("ProgramPath", std::string("C:\\Old\\Place\\"));
    store.Seed("GridON", 0);
    store.Seed("ButtonText", 0);
    store.Seed("GridX", 8);
    store.Seed("GridY", 12);
    store.Seed("Line0dB", 0x123456);
    store.Seed("ExcursionScale", 2);
    store.Seed("Environment_Humidy", 0.55);
    store.Seed("Limits_SPLEnd", 120.5);
    store.Seed("Limits_GainStart", 10.0); // an inverted range is the user's choice
    EXPECT_FALSE(ReadSettings(store, noJoystick));
    EXPECT_EQ(store.writes, (std::vector<std::string>{"ProgramPath"}));
    EXPECT_EQ(TC.UserName, "Ann \xC3\x85str\xC3\xB6m");
    EXPECT_EQ(TC.ProgramPath, platform::ProgramFolder().string() + "/");
    EXPECT_FALSE(TC.GridON);
    EXPECT_FALSE(TC.ButtonText);
    EXPECT_EQ(TC.GridX, 8);
    EXPECT_EQ(TC.GridY, 12);
    EXPECT_EQ(TC.Line0dB, 0x123456);
    EXPECT_EQ(TC.ExcursionScale, 2);
    EXPECT_EQ(TC.Environment_Humidy, 0.55);
    EXPECT_EQ(TC.Limits_SPLEnd, 120.5);
    EXPECT_EQ(TC.Limits_GainStart, 10.0);
}

TEST_F(Settings, GridBelowOneMakesBothGridStepsTwenty) {
    for (const auto& [x, y] : {std::pair{0, 7}, std::pair{7, 0}, std::pair{-3, -3}}) {
        MemorySettingsStore store = CompleteStore();
        store.Seed("GridX", x);
        store.Seed("GridY", y);
        ReadSettings(store, noJoystick);
        EXPECT_EQ(TC.GridX, 20) << x << "," << y;
        EXPECT_EQ(TC.GridY, 20) << x << "," << y;
    }
}

struct RepairCase {
    const char* name;
    MemorySettingsStore::Value stored;
    std::vector<std::string> replaced; // values that must be back at their defaults
};

class SettingsRepair : public ::testing::TestWithParam<RepairCase> {
protected:
    void TearDown() override { TC = TConfig{}; }
};

TEST_P(SettingsRepair, UnusableValueIsReplacedByItsDefaultAndWrittenBack) {
    const RepairCase& c = GetParam();
    MemorySettingsStore store;
    FakeJoystickProbe none;
    ReadSettings(store, none);
    // Non-default partners show that only the broken values are replaced.
    store.Seed("Limits_FreqEnd", 800.0);
    store.Seed("Limits_SPLEnd", 110.0);
    store.Seed(c.name, c.stored);
    store.ClearWrites();

    ReadSettings(store, none);
    for (const std::string& name : c.replaced) {
        EXPECT_NE(std::find(store.writes.begin(), store.writes.end(), name), store.writes.end())
            << name << " not written back";
        bool found = false;
        for (const auto& [defaultName, value] : kFloatDefaults) {
            if (name == defaultName) {
                found = true;
                EXPECT_EQ(store.ReadFloat(name), value) << name;
            }
        }
        for (const auto& [defaultName, value] : kIntegerDefaults) {
            if (name == defaultName) {
                found = true;
                EXPECT_EQ(store.ReadInteger(name), value) << name;
            }
        }
        EXPECT_TRUE(found) << name;
    }
    const std::size_t expectedWrites = 1 + c.replaced.size();
    EXPECT_EQ(store.writes.size(), expectedWrites);

    // The record agrees with the store, and what later arithmetic needs holds.
    EXPECT_GT(TC.Environment_Temperature, 0);
    EXPECT_GT(TC.Environment_AirPressure, 0);
    EXPECT_TRUE(TC.Environment_Humidy >= 0 && TC.Environment_Humidy <= 1);
    EXPECT_GT(TC.Limits_FreqStart, 0);
    EXPECT_LT(TC.Limits_FreqStart, TC.Limits_FreqEnd);
    EXPECT_NE(TC.Limits_SPLStart, TC.Limits_SPLEnd);
    EXPECT_TRUE(TC.ExcursionScale >= 0 && TC.ExcursionScale <= 2);
    EXPECT_TRUE(TC.VelocityScale >= 0 && TC.VelocityScale <= 2);
    EXPECT_TRUE(std::isfinite(TC.Limits_DelayEnd));
    EXPECT_EQ(store.ReadFloat("Limits_FreqEnd"), TC.Limits_FreqEnd);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsRepair,
    ::testing::Values(RepairCase{"Environment_Temperature", 0.0, {"Environment_Temperature"}},
                      RepairCase{"Environment_Temperature", -20.0, {"Environment_Temperature"}},
                      RepairCase{"Environment_Temperature", kNaN, {"Environment_Temperature"}},
                      RepairCase{"Environment_Temperature", std::string("warm"), {"Environment_Temperature"}},
                      RepairCase{"Environment_AirPressure", 0.0, {"Environment_AirPressure"}},
                      RepairCase{"Environment_AirPressure", kInfinity, {"Environment_AirPressure"}},
                      RepairCase{"Environment_Humidy", 1.5, {"Environment_Humidy"}},
                      RepairCase{"Environment_Humidy", -0.01, {"Environment_Humidy"}},
                      RepairCase{"Environment_Humidy", 1.0, {}}, RepairCase{"Environment_Humidy", 0.0, {}},
                      RepairCase{"Limits_FreqStart", 0.0, {"Limits_FreqStart"}},
                      RepairCase{"Limits_FreqStart", -5.0, {"Limits_FreqStart"}},
                      RepairCase{"Limits_FreqStart", 800.0, {"Limits_FreqStart", "Limits_FreqEnd"}},
                      RepairCase{"Limits_FreqStart", 900.0, {"Limits_FreqStart", "Limits_FreqEnd"}},
                      RepairCase{"Limits_FreqEnd", 0.0, {"Limits_FreqEnd"}},
                      RepairCase{"Limits_SPLStart", 110.0, {"Limits_SPLStart", "Limits_SPLEnd"}},
                      RepairCase{"Limits_DelayEnd", std::int32_t{40}, {"Limits_DelayEnd"}},
                      RepairCase{"Limits_DelayEnd", -kInfinity, {"Limits_DelayEnd"}},
                      RepairCase{"ExcursionScale", std::int32_t{3}, {"ExcursionScale"}},
                      RepairCase{"VelocityScale", std::int32_t{-1}, {"VelocityScale"}},
                      RepairCase{"GridX", std::string("abc"), {"GridX"}}, RepairCase{"Label", 1.5, {"Label"}},
                      RepairCase{"GridON", std::string("yes"), {"GridON"}}),
    [](const ::testing::TestParamInfo<RepairCase>& info) { return CaseName(info.index, info.param.name); });

TEST_F(Settings, UnreadableUserNameFallsBackToTheLoginName) {
    MemorySettingsStore store = CompleteStore();
    store.Seed("UserName", 42);
    ReadSettings(store, noJoystick);
    EXPECT_EQ(TC.UserName, LoginName());
    EXPECT_EQ(store.ReadString("UserName"), LoginName());
}

TEST_F(Settings, JoystickPresenceComesFromTheProbe) {
    MemorySettingsStore store;
    FakeJoystickProbe present(platform::JoystickInfo{"Pad", 2, 4});
    ReadSettings(store, present);
    EXPECT_TRUE(JoystickPresent);
    EXPECT_EQ(present.probes, 1);
    ReadSettings(store, noJoystick);
    EXPECT_FALSE(JoystickPresent);
}

TEST_F(Settings, ReadFloatDefaultCompletesAndRepairs) {
    MemorySettingsStore store;
    EXPECT_EQ(ReadFloatDefault(store, "X", 2.5), 2.5);
    EXPECT_EQ(store.ReadFloat("X"), 2.5);
    store.Seed("X", 7.25);
    store.ClearWrites();
    EXPECT_EQ(ReadFloatDefault(store, "X", 2.5), 7.25);
    EXPECT_TRUE(store.writes.empty());
    store.Seed("X", std::string("7,25"));
    EXPECT_EQ(ReadFloatDefault(store, "X", 2.5), 2.5);
    EXPECT_EQ(store.ReadFloat("X"), 2.5);
}

TEST_F(Settings, WriteStoresEverySettingButTheJoystick) {
    MemorySettingsStore store;
    TC.ProgramPath = "/opt/borvik/";
    const platform::StoreResult result = WriteSettings(store);
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(store.writes.size(), 39u);
    EXPECT_FALSE(store.ValueExists("Joystick"));
    for (const std::string& name : kFirstStartOrder) {
        if (name != "Joystick") {
            EXPECT_TRUE(store.ValueExists(name)) << name;
        }
    }
    EXPECT_EQ(store.ReadString("ProgramPath"), "/opt/borvik/");
    EXPECT_GE(store.flushes, 1);
}

TEST_F(Settings, FailedWriteIsReported) {
    MemorySettingsStore store;
    store.failFlushWith = "read-only";
    const platform::StoreResult result = WriteSettings(store);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "read-only");

    // The reader still fills the record but says that the defaults could not be stored.
    MemorySettingsStore fresh;
    fresh.failFlushWith = "read-only";
    platform::StoreResult readResult;
    EXPECT_TRUE(ReadSettings(fresh, noJoystick, &readResult));
    EXPECT_FALSE(readResult.ok);
    EXPECT_EQ(TC.GridX, 20);
}

TEST_F(Settings, FailedWriteToAnUnwritableConfigFileIsReported) {
    const fs::path folder = MakeTempFolder("settings-blocked");
    std::ofstream(folder / "Halvern") << "a file where the folder should be";
    platform::QtSettingsStore store(folder / "Halvern" / "Borvik Pro.conf");
    const platform::StoreResult result = WriteSettings(store);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    std::error_code code;
    fs::remove_all(folder, code);
}

TEST_F(Settings, EverySettingRoundTripsExactlyThroughTheConfigFile) {
    TConfig written;
    written.UserName = "J\xC3\xB6rg, tester";
    written.GridON = false;
    written.ButtonText = false;
    written.GridX = 13;
    written.GridY = 17;
    written.Line0dB = 0x010203;
    written.Back = 0x00FFFFFF;
    written.ExcursionScale = 0;
    written.VelocityScale = 2;
    written.Environment_Temperature = 273.15 + 0.1 + 0.2;
    written.Environment_AirPressure = std::nextafter(101325.0, 2e5);
    written.Environment_Humidy = 0.1;
    written.Limits_GainStart = -0.0;
    written.Limits_ExcursionStart = std::numeric_limits<double>::denorm_min();
    written.Limits_ExcursionEnd = 1e-300;
    written.Limits_FreqStart = 1.0 / 3.0;
    written.Limits_FreqEnd = 20000.000000000004;
    written.Limits_DelayEnd = 1e300;
    TC = written;
    ASSERT_TRUE(WriteSettings(*std::make_unique<platform::QtSettingsStore>()));
    EXPECT_TRUE(fs::exists(configHome.path / "Halvern" / "Borvik Pro.conf"));

    TC = TConfig{};
    platform::QtSettingsStore reread;
    EXPECT_FALSE(ReadSettings(reread, noJoystick));
    EXPECT_EQ(TC.UserName, written.UserName);
    EXPECT_EQ(TC.GridON, written.GridON);
    EXPECT_EQ(TC.ButtonText, written.ButtonText);
    EXPECT_EQ(TC.GridX, written.GridX);
    EXPECT_EQ(TC.GridY, written.GridY);
    EXPECT_EQ(TC.Line0dB, written.Line0dB);
    EXPECT_EQ(TC.Back, written.Back);
    EXPECT_EQ(TC.ExcursionScale, written.ExcursionScale);
    EXPECT_EQ(TC.VelocityScale, written.VelocityScale);
    const std::pair<double, double> doubles[] = {
        {TC.Environment_Temperature, written.Environment_Temperature},
        {TC.Environment_AirPressure, written.Environment_AirPressure},
        {TC.Environment_Humidy, written.Environment_Humidy},
        {TC.Limits_GainStart, written.Limits_GainStart},
        {TC.Limits_ExcursionStart, written.Limits_ExcursionStart},
        {TC.Limits_ExcursionEnd, written.Limits_ExcursionEnd},
        {TC.Limits_FreqStart, written.Limits_FreqStart},
        {TC.Limits_FreqEnd, written.Limits_FreqEnd},
        {TC.Limits_DelayEnd, written.Limits_DelayEnd},
        {TC.Limits_SPLEnd, written.Limits_SPLEnd},
    };
    for (const auto& [read, expected] : doubles)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(read), std::bit_cast<std::uint64_t>(expected)) << expected;
}

TEST_F(Settings, GarbledConfigFileNeverStopsStartUp) {
    const fs::path folder = MakeTempFolder("settings-garbled");
    const fs::path file = folder / "Borvik Pro.conf";
    {
        std::ofstream out(file, std::ios::binary);
        out << "[General]\nGridX=\"unterminated\nEnvironment_Temperature=@ByteArray(\\x\nLimits_FreqEnd="
               "1e999\n";
        for (int i = 0; i < 4096; ++i)
            out.put(static_cast<char>((i * 7919) & 0xFF));
    }
    platform::QtSettingsStore store(file);
    platform::StoreResult result;
    ReadSettings(store, noJoystick, &result);
    EXPECT_EQ(TC.GridX, 20);
    EXPECT_EQ(TC.Environment_Temperature, 293.15);
    EXPECT_EQ(TC.Limits_FreqEnd, 500);
    std::error_code code;
    fs::remove_all(folder, code);
}

namespace {

// The start-up message about the settings: a read problem says why and where the old file is,
// and hides the failed write that follows from it; a failed write alone says why.
TEST(SettingsStartupMessage, SaysOnceWhatWentWrong) {
    const struct {
        const char* readProblem;
        const char* keptCopy;
        std::optional<std::string> writeError;
        std::string message;
    } rows[] = {
        {"", "", std::nullopt, ""},
        {"", "", "Cannot write \"s.conf\"", "The settings could not be written: Cannot write \"s.conf\""},
        {"\"s.conf\" cannot be read: Permission denied", "", "Cannot write \"s.conf\"",
         "The settings could not be read: \"s.conf\" cannot be read: Permission denied.\nThe defaults are in use."},
        {"the settings file \"s.conf\" is malformed", "s.conf.broken", std::nullopt,
         "The settings could not be read: the settings file \"s.conf\" is malformed.\nThe defaults are in use; the "
         "old settings file was kept as \"s.conf.broken\"."},
    };
    for (const auto& row : rows) {
        platform::MemorySettingsStore store;
        store.readProblem = row.readProblem;
        store.keptCopy = row.keptCopy;
        platform::StoreResult written;
        if (row.writeError)
            written = {false, *row.writeError};
        EXPECT_EQ(SettingsStartupMessage(store, written), row.message);
    }
}

} // namespace
