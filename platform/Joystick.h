#pragma once
// Joystick positions and buttons, through the Linux joystick interface (/dev/input/js*).

#include <cstdint>
#include <filesystem>
#include <optional>

namespace platform {

// Where joystick 0 stands: the first two axes on the original platform's scale 0..65535
// (32767 or 32768 at rest), and the buttons pressed, bit 0 for button 1.
struct JoystickPosition {
    std::uint16_t x = 32767;
    std::uint16_t y = 32767;
    std::uint32_t buttons = 0;

    bool Pressed(int button) const {
        return button >= 1 && button <= 32 && ((buttons >> (button - 1)) & 1u) != 0;
    }
    bool operator==(const JoystickPosition&) const = default;
};

class Joystick {
public:
    virtual ~Joystick() = default;
    // The current position; no value when the joystick cannot be read (absent or unplugged).
    virtual std::optional<JoystickPosition> Read() = 0;
};

// A Linux axis value (-32767..32767) on the 0..65535 scale.
std::uint16_t AxisToPosition(std::int16_t value);

// Joystick 0 of the Linux joystick API. The device is opened on the first read, kept open and
// drained of its queued events at each read; a device that goes away is closed and opened again
// on a later read.
class LinuxJoystick final : public Joystick {
public:
    explicit LinuxJoystick(std::filesystem::path device = "/dev/input/js0") : device_(std::move(device)) {}
    ~LinuxJoystick() override;
    LinuxJoystick(const LinuxJoystick&) = delete;
    LinuxJoystick& operator=(const LinuxJoystick&) = delete;

    std::optional<JoystickPosition> Read() override;

private:
    void Close();

    std::filesystem::path device_;
    int fd_ = -1;
    JoystickPosition position_;
};

// A joystick that stands where the test puts it; no value reads as a failure.
class FakeJoystick final : public Joystick {
public:
    std::optional<JoystickPosition> Read() override {
        ++reads;
        return position;
    }
    std::optional<JoystickPosition> position = JoystickPosition{};
    int reads = 0;
};

} // namespace platform
