#pragma once
// The help debug log "HHDebug.txt": every help request, every help error message and, at the
// top, the help environment found at start-up (program paths, locale, the versions of the CHM
// reader and of the text browser that shows the pages).
//
// Logging is on when the marker file "debug.debug" lies beside the program or a command-line
// argument is "-debug" or "/debug" (any case). The log goes to the documents folder, or to the
// temporary folder when that cannot be written; an old log is deleted at every start, also when
// logging is off. The file is opened without following links and is readable by its user only.
// A line that cannot be written is dropped silently.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// A library's version, from the numbers its file name carries ("libchm.so.1.0.0" is 1.0.0.0).
struct TFileVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t release = 0;
    std::uint16_t build = 0;
    std::string text; // "major.minor.release.build", empty when unknown
};

// Zeros and an empty text when the file does not exist or its name carries no version.
TFileVersion ReadFileVersion(const std::filesystem::path& file);

// The file of the loaded library that holds `symbol`, or empty.
std::filesystem::path LibraryFileOf(const void* symbol);

// What the start-up reads from the running program; tests make their own.
struct THelpEnvironment {
    std::filesystem::path programFile;     // the running executable
    std::filesystem::path runFolder;       // folder of the first command-line item
    std::filesystem::path documentsFolder; // preferred log folder
    std::filesystem::path tempFolder;      // log folder when the documents folder is not writable
    std::vector<std::string> arguments;    // command-line arguments after the program
    std::filesystem::path helpLibrary;     // the CHM reader's library file
    std::filesystem::path browserLibrary;  // the library of the page viewer
};

// The environment of this process, apart from the browser library (the window layer knows it).
THelpEnvironment CurrentHelpEnvironment(const std::vector<std::string>& commandLine);

// What the start-up settled.
struct THelpFacts {
    bool debugOn = false;
    std::filesystem::path logFile;
    std::string moduleName;
    std::filesystem::path moduleFolder;
    std::filesystem::path runFolder;
    bool helpInstalled = false;
    TFileVersion helpVersion;
    std::string helpReleaseName;
    bool browserInstalled = false;
    TFileVersion browserVersion;
    std::string browserReleaseName;
};

// Settles the switch, the log location and the environment facts, deletes an old log and, when
// logging is on, writes the header. Runs once at start-up; running it again starts afresh.
void StartHelpDebugLog(const THelpEnvironment& environment);
const THelpFacts& HelpFacts();
bool HHDebugOn();

// Appends one line when logging is on (see FormatLogLine).
void DebugLog(std::string_view line);

// A log line as written, without its line end: "-" and "=" become 79 of that character, a line
// beginning with "!", "-" or "=" loses that character and gets no time, every other line is
// `time`, three blanks and the text. Line breaks inside the text become blanks.
std::string FormatLogLine(std::string_view line, std::string_view time);

// "1 (HELP_CONTEXT)" and the other help command names; "??" for unknown numbers.
std::string HelpCommandText(unsigned command);

// `text` in double quotes, for the log's argument lists.
std::string Quoted(std::string_view text);
