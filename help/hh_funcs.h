#pragma once
// The help viewer as the help system reaches it: one entry point taking a target and a command,
// installed by the viewer when the CHM reader is available, empty otherwise ("not installed").
//
// Targets are "<help file>::/<topic>" or "<help file>", each optionally followed by
// ">" and a window definition.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace platform {
class SettingsStore;
}

enum THHCommand : unsigned {
    HH_DISPLAY_TOPIC = 0, // show the target's topic
    HH_HELP_CONTEXT = 15, // show the page of context number `data` in the target's file
    HH_CLOSE_ALL = 18,    // close every help window
};

// Result codes of the open operations.
enum THHResult : int {
    HH_OK = 0,
    HH_NOT_INSTALLED = 1,
    HH_KEYHH_MISSING = 2,
    HH_HH_MISSING = 3,
    HH_FILE_FAILED = 4,   // the help file cannot be opened; the answer says why
    HH_TOPIC_MISSING = 5, // the file has no such topic or context; the answer names it
};

struct THtmlHelpAnswer {
    int result = HH_OK;
    std::string detail; // the reason or the missing topic, for the message
};

using THtmlHelpEntry =
    std::function<THtmlHelpAnswer(const std::string& target, unsigned command, std::uint32_t data)>;

// The settings value naming the CHM reader's library file (the counterpart of the control's
// registry entry). When the value is missing, the reader this program is linked with is used.
inline constexpr const char* kHelpControlSetting = "HelpControl/Library";

// The reader this program is linked with, when its file can be found.
std::filesystem::path LinkedHelpControlPath();
// The reader's library file: the settings value when given, else the linked reader; empty when
// the file named does not exist. The store is only read.
std::filesystem::path FindHelpControlPath(const platform::SettingsStore& store);

// Installs the viewer's entry point when `controlPath` names an existing file; true when
// installed. Installing again replaces the entry.
bool LoadHelpControl(const std::filesystem::path& controlPath, THtmlHelpEntry entry);
// Back to no viewer (at shutdown, and for tests).
void UnloadHelpControl();
// The installed entry; empty when none is installed.
const THtmlHelpEntry& HtmlHelpA();
