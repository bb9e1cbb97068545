#pragma once
// Joystick positions and buttons through the Linux joystick interface, behind one interface so
// that windows poll it from a timer while tests answer from a fake.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace platform {

// One reading of a joystick. Axes are scaled to 0..65535 with the centre at 32767 or 32768, as
// the windows expect; button n (1-based) is bit n - 1 of `buttons`.
struct JoystickState {
    std::uint32_t x = 32767;
    std::uint32_t y = 32767;
    std::uint32_t buttons = 0;

    bool Button(int n) const { return n >= 1 && n <= 32 && (buttons >> (n - 1) & 1u) != 0; }
};

class Joystick {
public:
    virtual ~Joystick() = default;
    // The joystick's present position, no value when it cannot be read (absent or unplugged).
    virtual std::optional<JoystickState> ReadPosition() = 0;
};

// A joystick of the Linux joystick API ("/dev/input/js0" unless told otherwise). The device is
// opened at the first reading and kept open; each reading takes every event waiting since the
// last one. A device that cannot be opened or fails to read counts as unplugged and is opened
// again at the next reading.
class LinuxJoystick final : public Joystick {
public:
    explicit LinuxJoystick(std::filesystem::path device = "/dev/input/js0") : device_(std::move(device)) {}
    ~LinuxJoystick() override;
    LinuxJoystick(const LinuxJoystick&) = delete;
    LinuxJoystick& operator=(const LinuxJoystick&) = delete;

    std::optional<JoystickState> ReadPosition() override;

private:
    void CloseDevice();

    std::filesystem::path device_;
    int fd_ = -1;
    JoystickState state_;
};

// Answers what the test sets; `reads` counts the readings.
class FakeJoystick final : public Joystick {
public:
    FakeJoystick() = default;
    explicit FakeJoystick(std::optional<JoystickState> answer) : answer(answer) {}
    std::optional<JoystickState> ReadPosition() override {
        ++reads;
        return answer;
    }

    std::optional<JoystickState> answer = JoystickState{};
    int reads = 0;
};

// Scales a raw axis value of the Linux interface (-32767..32767) to 0..65535.
std::uint32_t ScaleJoystickAxis(int value);

// The joystick the windows read (never null): the one installed last, else joystick 0 of the
// Linux interface.
Joystick& AppJoystick();
// Installs `joystick` (not owned; null goes back to the Linux one) and returns the previous one.
Joystick* InstallJoystick(Joystick* joystick);

// Installs a joystick for one scope, e.g. a test's FakeJoystick, and puts the previous back.
class ScopedJoystick {
public:
    explicit ScopedJoystick(Joystick& joystick) : previous_(InstallJoystick(&joystick)) {}
    ~ScopedJoystick() { InstallJoystick(previous_); }
    ScopedJoystick(const ScopedJoystick&) = delete;
    ScopedJoystick& operator=(const ScopedJoystick&) = delete;

private:
    Joystick* previous_;
};

} // namespace platform
