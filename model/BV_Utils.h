#pragma once

// Small services several windows share: the version file, handing an address to
// the desktop, and a file name made from driver data.

#include <filesystem>
#include <string>
#include <string_view>

// The contents of a version file: the program's own at start-up, or the one the
// update check downloads.
struct TVersionInfo {
    std::string Number;
    std::string ReleasedBy;
    std::string ReleaseDate;
    std::string DownloadFrom;
    std::string WebURL;
    std::string AuthorEmail;
};

// The running program's version, filled by the main window at start-up.
inline TVersionInfo VersionInfo;

// Reads section "Version" of an INI file into info. A missing file or key reads
// as "-error-" (ReleaseDate as empty) and the result is true; the caller judges
// the texts. False, with info unchanged, only when the file exists but cannot be
// read at all.
bool ReadVersionInfo(const std::filesystem::path& fileName, TVersionInfo& info);

// Hands a web address, a mail address or a local document to the desktop's opener.
// The text up to its first blank is what is opened (a whole text that names an
// existing document is opened whole); what follows the blank is the opener's
// parameters, which a document opener has no use for. What is accepted is
// platform::DesktopOpenArgument's: "http:", "https:" and "mailto:" addresses and
// existing documents, never a folder, a program or a launcher file, so that text
// from a downloaded file cannot start a program. Nothing is reported.
void ShellOpen(std::string_view command);

// Starts the desktop's opener on one address. Tests install their own so that no
// process is started.
class TShellLauncher {
public:
    virtual ~TShellLauncher() = default;
    // address is one argument of the opener; no shell sees it.
    virtual void Open(const std::string& address) = 0;
};

// The launcher ShellOpen uses: platform::OpenWithDesktop ("xdg-open", detached)
// unless another was installed.
TShellLauncher& ShellLauncher();
// Installs a launcher (not owned); nullptr restores the desktop's opener.
void SetShellLauncher(TShellLauncher* launcher);

// The text with each of the characters " ' * , / : ? \ | replaced by "_", the
// rest kept as it is; used for a driver's default file name.
std::string SanitizeFileName(std::string_view text);
