#include "platform/ShellOpen.h"

#include "platform/AsciiCase.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <filesystem>

namespace platform {

namespace {

bool HoldsControl(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

bool HoldsBlankOrControl(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

bool LaunchDetached(const std::string& program, const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    return QProcess::startDetached(QString::fromStdString(program), list);
}

} // namespace

std::string DesktopOpenArgument(std::string_view target) {
    if (target.empty())
        return {};
    for (const std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
        if (StartsWithoutCase(target, scheme)) {
            const std::string_view rest = target.substr(scheme.size());
            if (rest.empty() || rest.front() == '/' || HoldsBlankOrControl(target))
                return {};
            return std::string(target);
        }
    }
    if (StartsWithoutCase(target, "mailto:")) {
        if (target.size() == 7 || HoldsBlankOrControl(target))
            return {};
        return std::string(target);
    }
    // Anything else must be a document that exists. Its absolute path cannot be taken for an
    // option, and resolving links shows the opener, and the checks below, the real file.
    if (HoldsControl(target))
        return {};
    std::error_code code;
    const std::filesystem::path path = std::filesystem::canonical(std::filesystem::path(target), code);
    if (code)
        return {};
    const std::filesystem::file_status status = std::filesystem::status(path, code);
    if (code || !std::filesystem::is_regular_file(status))
        return {};
    // The opener runs programs and desktop launcher files instead of showing them, so text from
    // a downloaded file could start one.
    using std::filesystem::perms;
    const perms executable = perms::owner_exec | perms::group_exec | perms::others_exec;
    if ((status.permissions() & executable) != perms::none ||
        EndsWithoutCase(path.filename().string(), ".desktop"))
        return {};
    return path.string();
}

bool OpenWithDesktop(std::string_view target, const DetachedLauncher& launcher) {
    const std::string argument = DesktopOpenArgument(target);
    if (argument.empty() || !launcher)
        return false;
    return launcher("xdg-open", {argument});
}

bool OpenWithDesktop(std::string_view target) {
    return OpenWithDesktop(target, LaunchDetached);
}

} // namespace platform
