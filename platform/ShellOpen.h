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
// "mailto:" address as given, or an existing local file as its absolute path. Empty when the
// target is none of these, or holds blanks or control characters, so that nothing typed or
// downloaded can make the opener run something else.
std::string DesktopOpenArgument(std::string_view target);

// Opens `target` with "xdg-open"; false when the target is refused or the opener cannot start.
bool OpenWithDesktop(std::string_view target);
bool OpenWithDesktop(std::string_view target, const DetachedLauncher& launcher);

} // namespace platform
