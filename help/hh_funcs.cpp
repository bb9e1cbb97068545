#include "help/hh_funcs.h"

#include "help/HHDebug.h"
#include "platform/SettingsStore.h"

#include <chm_lib.h>

#include <system_error>

namespace {
THtmlHelpEntry entryPoint;
}

std::filesystem::path LinkedHelpControlPath() {
    const auto path = LibraryFileOf(reinterpret_cast<const void*>(&chm_open));
    std::error_code code;
    return !path.empty() && std::filesystem::exists(path, code) ? path : std::filesystem::path();
}

std::filesystem::path FindHelpControlPath(const platform::SettingsStore& store) {
    if (!store.ValueExists(kHelpControlSetting))
        return LinkedHelpControlPath();
    const auto named = store.ReadString(kHelpControlSetting);
    std::error_code code;
    if (!named || named->empty() || !std::filesystem::is_regular_file(*named, code))
        return {};
    return *named;
}

bool LoadHelpControl(const std::filesystem::path& controlPath, THtmlHelpEntry entry) {
    std::error_code code;
    if (controlPath.empty() || !std::filesystem::exists(controlPath, code))
        return false;
    entryPoint = std::move(entry);
    return static_cast<bool>(entryPoint);
}

void UnloadHelpControl() {
    entryPoint = nullptr;
}

const THtmlHelpEntry& HtmlHelpA() {
    return entryPoint;
}
