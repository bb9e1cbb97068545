#include "help/hh_funcs.h"

#include "help/HHDebug.h"

#include <chm_lib.h>

#include <system_error>

namespace {
THtmlHelpEntry entryPoint;
}

std::filesystem::path FindHelpControlPath() {
    const auto path = LibraryFileOf(reinterpret_cast<const void*>(&chm_open));
    std::error_code code;
    return !path.empty() && std::filesystem::exists(path, code) ? path : std::filesystem::path();
}

bool LoadHelpControl(THtmlHelpEntry entry) {
    if (FindHelpControlPath().empty())
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
