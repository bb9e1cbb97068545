#pragma once
// Handing web pages, mail links and documents to the desktop's opener ("xdg-open").

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Starts `program` with `arguments` detached from this process, without a shell; true when it
// started. The real one uses QProcess::startDetached; tests pass a recorder.
using DetachedLauncher =
    std::function<bool(const std::string& program, const std::vector<std::string>& arguments)>;

// What the opener would receive for `target`: an "http://", "https://" (with a host) or
// "mailto:" address without blanks or control characters, as given; or an existing regular file
// as its absolute path with links resolved, unless that file is executable or a desktop
// launcher (".desktop" in any case). Empty for anything else (folders, other schemes, options,
// names with control characters), so that nothing typed or downloaded can make the opener run a
// program. These are the only acceptance rules of the program's hand-over to the desktop.
std::string DesktopOpenArgument(std::string_view target);

// Opens `target` with "xdg-open"; false when the target is refused or the opener cannot start.
bool OpenWithDesktop(std::string_view target);
bool OpenWithDesktop(std::string_view target, const DetachedLauncher& launcher);

} // namespace platform
