#include "platform/JoystickProbe.h"

#include <cstring>
#include <fcntl.h>
#include <linux/joystick.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

std::optional<JoystickInfo> LinuxJoystickProbe::Probe() const {
    const int fd = ::open(device_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    JoystickInfo info;
    unsigned char axes = 0;
    unsigned char buttons = 0;
    // A node that does not answer the axis count is not a joystick (or has gone away).
    if (::ioctl(fd, JSIOCGAXES, &axes) < 0) {
        ::close(fd);
        return std::nullopt;
    }
    if (::ioctl(fd, JSIOCGBUTTONS, &buttons) >= 0)
        info.buttons = buttons;
    info.axes = axes;
    char name[128] = {};
    if (::ioctl(fd, JSIOCGNAME(sizeof name - 1), name) >= 0)
        info.name.assign(name, ::strnlen(name, sizeof name - 1));
    ::close(fd);
    return info;
}

} // namespace platform
