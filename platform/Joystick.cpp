#include "platform/Joystick.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/joystick.h>
#include <unistd.h>

namespace platform {

namespace {

Joystick* installedJoystick = nullptr;

// A stick that floods events must not keep one reading busy; what is left waits for the next.
constexpr int kMaxEventsPerReading = 4096;

} // namespace

std::uint32_t ScaleJoystickAxis(int value) {
    // Some drivers report -32768; the interface's documented range is symmetric.
    const std::int64_t clamped = std::clamp(value, -32767, 32767) + 32767;
    return static_cast<std::uint32_t>((clamped * 65535 + 32767) / 65534);
}

LinuxJoystick::~LinuxJoystick() {
    CloseDevice();
}

void LinuxJoystick::CloseDevice() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::optional<JoystickState> LinuxJoystick::ReadPosition() {
    if (fd_ < 0) {
        fd_ = ::open(device_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            return std::nullopt;
        // The driver sends the present state as initial events right after the open.
        state_ = JoystickState{};
    }
    for (int i = 0; i < kMaxEventsPerReading; ++i) {
        js_event event{};
        const ssize_t got = ::read(fd_, &event, sizeof event);
        if (got == static_cast<ssize_t>(sizeof event)) {
            const unsigned type = event.type & ~static_cast<unsigned>(JS_EVENT_INIT);
            if (type == JS_EVENT_AXIS && event.number < 2) {
                (event.number == 0 ? state_.x : state_.y) = ScaleJoystickAxis(event.value);
            } else if (type == JS_EVENT_BUTTON && event.number < 32) {
                const std::uint32_t bit = 1u << event.number;
                state_.buttons = event.value != 0 ? state_.buttons | bit : state_.buttons & ~bit;
            }
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // An error (ENODEV when unplugged), an end of file or a torn event: the device is gone.
        CloseDevice();
        return std::nullopt;
    }
    return state_;
}

Joystick& AppJoystick() {
    static LinuxJoystick joystickZero;
    return installedJoystick != nullptr ? *installedJoystick : joystickZero;
}

Joystick* InstallJoystick(Joystick* joystick) {
    Joystick* previous = installedJoystick;
    installedJoystick = joystick;
    return previous;
}

} // namespace platform
