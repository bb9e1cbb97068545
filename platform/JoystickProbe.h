#pragma once
// Whether a joystick is attached, through the Linux joystick interface.

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// What the probe learnt about joystick 0.
struct JoystickInfo {
    std::string name;
    int axes = 0;
    int buttons = 0;
};

class JoystickProbe {
public:
    virtual ~JoystickProbe() = default;
    // The device's capabilities when a joystick answers, no value otherwise.
    virtual std::optional<JoystickInfo> Probe() const = 0;
};

// Joystick 0 of the Linux joystick API ("/dev/input/js0" unless told otherwise). A device that
// cannot be opened, or does not answer the joystick queries, counts as no joystick.
class LinuxJoystickProbe final : public JoystickProbe {
public:
    explicit LinuxJoystickProbe(std::filesystem::path device = "/dev/input/js0")
        : device_(std::move(device)) {}
    std::optional<JoystickInfo> Probe() const override;

private:
    std::filesystem::path device_;
};

// A probe that answers what the test tells it to.
class FakeJoystickProbe final : public JoystickProbe {
public:
    FakeJoystickProbe() = default;
    explicit FakeJoystickProbe(std::optional<JoystickInfo> answer) : answer(std::move(answer)) {}
    std::optional<JoystickInfo> Probe() const override {
        ++probes;
        return answer;
    }

    std::optional<JoystickInfo> answer;
    mutable int probes = 0;
};

} // namespace platform
