#include "model/BV_Utils.h"

#include "platform/IniFile.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cctype>
#include <optional>
#include <system_error>

namespace {

constexpr std::string_view VersionSection = "Version";
constexpr std::string_view MissingText = "-error-";

class TDesktopLauncher final : public TShellLauncher {
public:
    void Open(const std::string& address) override {
        // An argument list, never a command line: the address reaches the opener
        // as it is, with no shell to interpret it.
        QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{QString::fromStdString(address)});
    }
};

TDesktopLauncher DesktopLauncher;
TShellLauncher* InstalledLauncher = nullptr;

bool StartsWithoutCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(prefix[i]))
            return false;
    return true;
}

bool IsWebOrMailAddress(std::string_view target) {
    return StartsWithoutCase(target, "http://") || StartsWithoutCase(target, "https://") ||
           StartsWithoutCase(target, "mailto:");
}

bool EndsWithoutCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           StartsWithoutCase(text.substr(text.size() - suffix.size()), suffix);
}

// An existing file or folder to hand to the opener, as an absolute path so that
// the opener can never take it for an option. A program, or a desktop launcher
// file that would start one, is not opened: the opener may run either.
std::optional<std::filesystem::path> OpenableFile(std::string_view target) {
    if (target.empty())
        return std::nullopt;
    std::error_code error;
    const std::filesystem::path path(target);
    const auto status = std::filesystem::status(path, error);
    if (error || !(std::filesystem::is_regular_file(status) || std::filesystem::is_directory(status)))
        return std::nullopt;
    const std::filesystem::path canonical = std::filesystem::canonical(path, error);
    if (error || EndsWithoutCase(canonical.filename().string(), ".desktop"))
        return std::nullopt;
    using std::filesystem::perms;
    const perms executable = perms::owner_exec | perms::group_exec | perms::others_exec;
    if (std::filesystem::is_regular_file(status) && (status.permissions() & executable) != perms::none)
        return std::nullopt;
    return canonical;
}

bool HoldsControlCharacter(std::string_view text) {
    for (const char character : text)
        if (static_cast<unsigned char>(character) < 0x20 || character == 0x7F)
            return true;
    return false;
}

} // namespace

bool ReadVersionInfo(const std::filesystem::path& fileName, TVersionInfo& info) {
    const platform::IniFile file(fileName);
    if (!file.LoadResult())
        return false;
    info.Number = file.ReadString(VersionSection, "Number", MissingText);
    info.ReleasedBy = file.ReadString(VersionSection, "ReleasedBy", MissingText);
    info.ReleaseDate = file.ReadString(VersionSection, "ReleaseDate", "");
    info.DownloadFrom = file.ReadString(VersionSection, "DownloadFrom", MissingText);
    info.AuthorEmail = file.ReadString(VersionSection, "AuthorEmail", MissingText);
    info.WebURL = file.ReadString(VersionSection, "WebURL", MissingText);
    return true;
}

TShellLauncher& ShellLauncher() {
    return InstalledLauncher != nullptr ? *InstalledLauncher : DesktopLauncher;
}

void SetShellLauncher(TShellLauncher* launcher) {
    InstalledLauncher = launcher;
}

void ShellOpen(std::string_view command) {
    if (HoldsControlCharacter(command))
        return;
    // Paths on this system often hold blanks; a text that names a file as a whole
    // is that file, not a file and its parameters.
    if (const auto file = OpenableFile(command)) {
        ShellLauncher().Open(file->string());
        return;
    }
    const std::string_view target = command.substr(0, command.find(' '));
    if (IsWebOrMailAddress(target)) {
        ShellLauncher().Open(std::string(target));
        return;
    }
    if (const auto file = OpenableFile(target))
        ShellLauncher().Open(file->string());
}

std::string SanitizeFileName(std::string_view text) {
    std::string result(text);
    for (char& character : result) {
        switch (character) {
        case '"':
        case '\'':
        case '*':
        case ',':
        case '/':
        case ':':
        case '?':
        case '\\':
        case '|':
            character = '_';
            break;
        default:
            break;
        }
    }
    return result;
}
