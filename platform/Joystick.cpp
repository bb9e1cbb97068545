#include "platform/Joystick.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/joystick.h>
#include <unistd.h>

namespace platform {

std::uint16_t AxisToPosition(std::int16_t value) {
    // -32768 can come from some drivers; it reads as the end of the scale like -32767.
    const int shifted = static_cast<int>(value) + 32767;
    return static_cast<std::uint16_t>(shifted < 0 ? 0 : (shifted > 65535 ? 65535 : shifted));
}

LinuxJoystick::~LinuxJoystick() {
    Close();
}

void LinuxJoystick::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::optional<JoystickPosition> LinuxJoystick::Read() {
    if (fd_ < 0) {
        fd_ = ::open(device_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            return std::nullopt;
        }
        position_ = JoystickPosition{};
    }
    // The driver queues a synthetic event per axis and button on opening, then one per change;
    // a bounded drain keeps a flood of events from holding the caller.
    for (int events = 0; events < 4096; ++events) {
        js_event event{};
        const ssize_t got = ::read(fd_, &event, sizeof event);
        if (got == static_cast<ssize_t>(sizeof event)) {
            const unsigned type = event.type & ~static_cast<unsigned>(JS_EVENT_INIT);
            if (type == JS_EVENT_AXIS && event.number < 2) {
                (event.number == 0 ? position_.x : position_.y) = AxisToPosition(event.value);
            } else if (type == JS_EVENT_BUTTON && event.number < 32) {
                const std::uint32_t bit = 1u << event.number;
                position_.buttons = event.value != 0 ? (position_.buttons | bit) : (position_.buttons & ~bit);
            }
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        // Unplugged (ENODEV), end of file or a short read: the device is no longer usable.
        Close();
        return std::nullopt;
    }
    return position_;
}

} // namespace platform
