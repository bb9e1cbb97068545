// The settings reader: whatever the settings file holds, reading it never crashes and leaves a
// record the program can compute with; the record written out and read again is the same.
#include "platform/JoystickProbe.h"
#include "platform/SettingsStore.h"
#include "shell/Settings.h"

#include <QCoreApplication>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

void CheckUsable(const TConfig& c) {
    if (!(c.Environment_Temperature > 0) || !(c.Environment_AirPressure > 0) ||
        !(c.Environment_Humidy >= 0 && c.Environment_Humidy <= 1))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char name[] = "settings_reader_fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "settings-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return std::filesystem::path(pattern);
    }();
    const std::filesystem::path file = folder / "Borvik Pro.conf";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    platform::FakeJoystickProbe joystick;
    {
        platform::QtSettingsStore store(file);
        TC = TConfig{};
        ReadSettings(store, joystick);
        CheckUsable(TC);
    }
    // What was read, written and read again, gives the same values.
    const TConfig first = TC;
    platform::MemorySettingsStore memory;
    WriteSettings(memory);
    TC = TConfig{};
    ReadSettings(memory, joystick);
    CheckUsable(TC);
    if (TC.Environment_Temperature != first.Environment_Temperature ||
        TC.Environment_AirPressure != first.Environment_AirPressure ||
        TC.Environment_Humidy != first.Environment_Humidy || TC.GridX != first.GridX)
        std::abort();
    std::error_code ignored;
    std::filesystem::remove_all(folder / "Borvik Pro.conf", ignored);
    return 0;
}
