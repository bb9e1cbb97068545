#include "model/BV_Utils.h"

#include "platform/IniFile.h"
#include "platform/ShellOpen.h"

namespace {

constexpr std::string_view VersionSection = "Version";
constexpr std::string_view MissingText = "-error-";

class TDesktopLauncher final : public TShellLauncher {
public:
    // What the opener is asked to do is not reported back.
    void Open(const std::string& address) override { platform::OpenWithDesktop(address); }
};

TDesktopLauncher DesktopLauncher;
TShellLauncher* InstalledLauncher = nullptr;

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
    // Paths on this system often hold blanks; a text that names a document as a
    // whole is that document, not a file and its parameters. The parameters after
    // the first blank have no use for a document opener and are dropped.
    std::string argument = platform::DesktopOpenArgument(command);
    if (argument.empty())
        argument = platform::DesktopOpenArgument(command.substr(0, command.find(' ')));
    if (!argument.empty())
        ShellLauncher().Open(argument);
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
