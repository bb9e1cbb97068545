#include "platform/Folders.h"

#include "platform/AsciiCase.h"

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace platform {

namespace {

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return std::nullopt;
    return std::string(value);
}

// Splits at "/" and "\" (names written on the original platform use the backslash).
std::optional<std::vector<std::string>> SplitRelative(std::string_view relative) {
    std::vector<std::string> parts;
    if (!relative.empty() && (relative.front() == '/' || relative.front() == '\\'))
        return std::nullopt;
    std::string part;
    auto flush = [&]() -> bool {
        if (part == "..")
            return false;
        if (!part.empty() && part != ".")
            parts.push_back(part);
        part.clear();
        return true;
    };
    for (char c : relative) {
        if (c == '/' || c == '\\') {
            if (!flush())
                return std::nullopt;
        } else {
            part += c;
        }
    }
    if (!flush())
        return std::nullopt;
    return parts;
}

} // namespace

std::filesystem::path ProgramFolder() {
    std::error_code code;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", code);
    if (!code && executable.has_parent_path())
        return executable.parent_path();
    if (QCoreApplication::instance() != nullptr) {
        const QString folder = QCoreApplication::applicationDirPath();
        if (!folder.isEmpty())
            return std::filesystem::path(folder.toStdString());
    }
    return std::filesystem::current_path(code);
}

std::vector<std::filesystem::path> ShippedFolders() {
    const std::filesystem::path program = ProgramFolder();
    std::vector<std::filesystem::path> folders{program};
    std::error_code code;
    const std::filesystem::path installed = (program / ".." / "share" / "borvik").lexically_normal();
    if (std::filesystem::is_directory(installed, code) && installed != program)
        folders.push_back(installed);
    return folders;
}

std::optional<std::filesystem::path> ResolveWithoutCase(const std::filesystem::path& folder,
                                                        std::string_view relative) {
    const auto parts = SplitRelative(relative);
    if (!parts)
        return std::nullopt;
    std::filesystem::path current = folder;
    std::error_code code;
    for (const std::string& part : *parts) {
        std::filesystem::path exact = current / part;
        if (std::filesystem::exists(exact, code)) {
            current = std::move(exact);
            continue;
        }
        std::vector<std::string> candidates;
        for (std::filesystem::directory_iterator it(current, code), end; !code && it != end;
             it.increment(code)) {
            const std::string name = it->path().filename().string();
            if (SameWithoutCase(name, part))
                candidates.push_back(name);
        }
        if (candidates.empty())
            return std::nullopt;
        // Several spellings of one name: take a fixed one so every machine agrees.
        std::sort(candidates.begin(), candidates.end());
        current /= candidates.front();
    }
    return current;
}

std::optional<std::filesystem::path> FindShippedFile(std::string_view relative) {
    for (const std::filesystem::path& folder : ShippedFolders())
        if (auto found = ResolveWithoutCase(folder, relative))
            return found;
    return std::nullopt;
}

std::filesystem::path HomeFolder() {
    if (auto home = Environment("HOME"))
        return *home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/";
}

std::filesystem::path ChooseDocumentsFolder(const std::optional<std::string>& borvikHome,
                                            const std::filesystem::path& programFolder, bool programWritable,
                                            const std::optional<std::string>& xdgDataHome,
                                            const std::filesystem::path& home) {
    if (borvikHome && !borvikHome->empty())
        return *borvikHome;
    if (programWritable)
        return programFolder;
    // The XDG rules ignore a relative data folder.
    if (xdgDataHome && std::filesystem::path(*xdgDataHome).is_absolute())
        return std::filesystem::path(*xdgDataHome) / "Borvik";
    return home / ".local" / "share" / "Borvik";
}

std::filesystem::path DocumentsFolder() {
    const std::filesystem::path program = ProgramFolder();
    const bool writable = ::access(program.c_str(), W_OK | X_OK) == 0;
    return ChooseDocumentsFolder(Environment("BORVIK_HOME"), program, writable, Environment("XDG_DATA_HOME"),
                                 HomeFolder());
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    // Iterative wildcard match with one back-tracking point: linear in practice, never exponential.
    std::size_t n = 0, p = 0;
    std::size_t starPattern = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool LessWithoutCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char x = LowerAscii(a[i]), y = LowerAscii(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

std::vector<std::string> ListFiles(const std::filesystem::path& folder, std::string_view pattern) {
    std::vector<std::string> names;
    std::error_code code;
    for (std::filesystem::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        std::error_code typeCode;
        if (!it->is_regular_file(typeCode))
            continue;
        std::string name = it->path().filename().string();
        if (MatchesPattern(name, pattern))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return LessWithoutCase(a, b); });
    return names;
}

} // namespace platform
