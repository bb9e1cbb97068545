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

// The CHM reader's library file, when it exists.
std::filesystem::path FindHelpControlPath();

// Installs the viewer's entry point when the reader's library is found; true when installed.
// Installing again replaces the entry.
bool LoadHelpControl(THtmlHelpEntry entry);
// Back to no viewer (at shutdown, and for tests).
void UnloadHelpControl();
// The installed entry; empty when none is installed.
const THtmlHelpEntry& HtmlHelpA();
