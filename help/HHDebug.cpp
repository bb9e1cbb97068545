#include "help/HHDebug.h"

#include "platform/AsciiCase.h"
#include "platform/Folders.h"

#include <chm_lib.h>

#include <array>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

THelpFacts facts;

const char* const kLogName = "HHDebug.txt";
const char* const kMarkerName = "debug.debug";

std::string Now(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[128];
    const std::size_t length = std::strftime(buffer, sizeof buffer, format, &local);
    return std::string(buffer, length);
}

// Whether a new file can be made in `folder`: the probe is created exclusively and removed.
bool FolderWritable(const std::filesystem::path& folder) {
    if (folder.empty())
        return false;
    const std::filesystem::path probe = folder / "$_Temp_$.$$$";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

void WriteRaw(const std::string& text) {
    if (facts.logFile.empty())
        return;
    const int fd =
        ::open(facts.logFile.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        const std::string line = text + "\n";
        std::size_t written = 0;
        while (written < line.size()) {
            const ssize_t n = ::write(fd, line.data() + written, line.size() - written);
            if (n <= 0)
                break;
            written += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
}

// The locale the program runs in, as its name says: "de_DE.UTF-8" gives "de" and "DE".
struct LocaleFacts {
    std::string name;
    std::string language;
    std::string territory;
    std::string decimalSeparator;
};

LocaleFacts CurrentLocale() {
    LocaleFacts locale;
    const char* name = std::setlocale(LC_NUMERIC, nullptr);
    locale.name = name ? name : "C";
    const std::string base = locale.name.substr(0, locale.name.find_first_of(".@"));
    const auto underscore = base.find('_');
    locale.language = base.substr(0, underscore);
    if (underscore != std::string::npos)
        locale.territory = base.substr(underscore + 1);
    const std::lconv* conventions = std::localeconv();
    locale.decimalSeparator = conventions && conventions->decimal_point ? conventions->decimal_point : ".";
    return locale;
}

std::string ReleaseName(const std::filesystem::path& library, const TFileVersion& version) {
    if (version.text.empty())
        return {};
    std::string name = library.filename().string();
    name = name.substr(0, name.find(".so"));
    return name + " " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.release);
}

} // namespace

TFileVersion ReadFileVersion(const std::filesystem::path& file) {
    TFileVersion version;
    std::error_code code;
    const auto real = std::filesystem::canonical(file, code);
    if (code || !std::filesystem::is_regular_file(real, code))
        return version;
    const std::string name = real.filename().string();
    const auto so = name.find(".so.");
    if (so == std::string::npos)
        return version;
    std::array<std::uint16_t, 4> numbers{};
    std::string_view rest = std::string_view(name).substr(so + 4);
    std::size_t count = 0;
    while (!rest.empty() && count < numbers.size()) {
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
        if (ec != std::errc() || value > 0xFFFF)
            return TFileVersion{};
        numbers[count++] = static_cast<std::uint16_t>(value);
        rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
        if (!rest.empty()) {
            if (rest.front() != '.')
                return TFileVersion{};
            rest.remove_prefix(1);
        }
    }
    if (count == 0)
        return version;
    version.major = numbers[0];
    version.minor = numbers[1];
    version.release = numbers[2];
    version.build = numbers[3];
    version.text = std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
                   std::to_string(version.release) + "." + std::to_string(version.build);
    return version;
}

std::filesystem::path LibraryFileOf(const void* symbol) {
    Dl_info info{};
    if (symbol == nullptr || ::dladdr(symbol, &info) == 0 || info.dli_fname == nullptr)
        return {};
    return info.dli_fname;
}

THelpEnvironment CurrentHelpEnvironment(const std::vector<std::string>& commandLine) {
    THelpEnvironment environment;
    std::error_code code;
    environment.programFile = std::filesystem::read_symlink("/proc/self/exe", code);
    if (!commandLine.empty()) {
        environment.runFolder =
            std::filesystem::absolute(commandLine.front(), code).lexically_normal().parent_path();
        environment.arguments.assign(commandLine.begin() + 1, commandLine.end());
    }
    environment.documentsFolder = platform::DocumentsFolder();
    environment.tempFolder = std::filesystem::temp_directory_path(code);
    if (environment.tempFolder.empty())
        environment.tempFolder = "/tmp";
    environment.helpLibrary = LibraryFileOf(reinterpret_cast<const void*>(&chm_open));
    return environment;
}

void StartHelpDebugLog(const THelpEnvironment& environment) {
    facts = THelpFacts{};
    facts.moduleName = environment.programFile.filename().string();
    facts.moduleFolder = environment.programFile.parent_path();
    facts.runFolder = environment.runFolder;

    const std::filesystem::path logFolder =
        FolderWritable(environment.documentsFolder) ? environment.documentsFolder : environment.tempFolder;
    if (!logFolder.empty())
        facts.logFile = logFolder / kLogName;

    std::error_code code;
    facts.debugOn =
        !facts.moduleFolder.empty() && std::filesystem::exists(facts.moduleFolder / kMarkerName, code);
    for (const auto& argument : environment.arguments)
        if (platform::SameWithoutCase(argument, "/debug") || platform::SameWithoutCase(argument, "-debug"))
            facts.debugOn = true;

    facts.helpVersion = ReadFileVersion(environment.helpLibrary);
    facts.helpInstalled = !facts.helpVersion.text.empty();
    facts.helpReleaseName = ReleaseName(environment.helpLibrary, facts.helpVersion);
    facts.browserVersion = ReadFileVersion(environment.browserLibrary);
    facts.browserInstalled = !facts.browserVersion.text.empty();
    facts.browserReleaseName = ReleaseName(environment.browserLibrary, facts.browserVersion);

    // An old log goes at every start; remove() takes a link itself, never what it points to.
    if (!facts.logFile.empty())
        std::filesystem::remove(facts.logFile, code);
    if (!facts.debugOn)
        return;

    const LocaleFacts locale = CurrentLocale();
    const auto item = [](const char* label, const std::string& value) {
        DebugLog(std::string("!") + label + "\t" + value);
    };
    item("Filename:             ", facts.logFile.string());
    item("Date:                 ", Now("%x %X"));
    item("SysLocale.DefaultLCID: ", locale.name);
    item("SysLocale.PriLangID:   ", locale.language);
    item("SysLocale.SubLangID:   ", locale.territory);
    item("DecimalSeparator:      ", locale.decimalSeparator);
    DebugLog("-");
    item("EXE Path =          ", environment.programFile.string());
    item("_RunDir =           ", facts.runFolder.string());
    item("_ModuleName =       ", facts.moduleName);
    item("_ModuleDir =        ", facts.moduleFolder.string());
    DebugLog("-");
    item("_hhInstalled =      ", facts.helpInstalled ? "YES" : "NO");
    item("_hhVerStr =         ", facts.helpVersion.text);
    item("_hhFriendlyVerStr = ", facts.helpReleaseName);
    DebugLog("-");
    item("_ieInstalled =      ", facts.browserInstalled ? "YES" : "NO");
    item("_ieVerStr =         ", facts.browserVersion.text);
    item("_ieFriendlyVerStr = ", facts.browserReleaseName);
    DebugLog("=");
}

const THelpFacts& HelpFacts() {
    return facts;
}

bool HHDebugOn() {
    return facts.debugOn;
}

std::string FormatLogLine(std::string_view line, std::string_view time) {
    std::string text(line);
    for (auto& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    if (text == "-" || text == "=")
        return std::string(79, text[0]);
    if (!text.empty() && (text[0] == '!' || text[0] == '-' || text[0] == '='))
        return text.substr(1);
    return std::string(time) + "   " + text;
}

void DebugLog(std::string_view line) {
    if (!facts.debugOn)
        return;
    WriteRaw(FormatLogLine(line, Now("%X")));
}

std::string HelpCommandText(unsigned command) {
    static const std::pair<unsigned, const char*> names[] = {
        {1, "HELP_CONTEXT"},
        {2, "HELP_QUIT"},
        {3, "HELP_INDEX or HELP_CONTENTS"},
        {4, "HELP_HELPONHELP"},
        {5, "HELP_SETINDEX or HELP_SETCONTENTS"},
        {8, "HELP_CONTEXTPOPUP"},
        {9, "HELP_FORCEFILE"},
        {10, "HELP_CONTEXTMENU"},
        {11, "HELP_FINDER"},
        {12, "HELP_WM_HELP"},
        {13, "HELP_SETPOPUP_POS"},
        {257, "HELP_KEY"},
        {258, "HELP_COMMAND"},
        {261, "HELP_PARTIALKEY"},
        {513, "HELP_MULTIKEY"},
        {515, "HELP_SETWINPOS"},
    };
    const char* name = "??";
    for (const auto& [number, text] : names)
        if (number == command)
            name = text;
    return std::to_string(command) + " (" + name + ")";
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}
