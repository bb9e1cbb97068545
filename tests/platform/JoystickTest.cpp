#include "platform/Joystick.h"
#include "tests/platform/TempFolders.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/joystick.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

TEST(Joystick, AxisScaleCoversTheWholeRange) {
    struct Case {
        int raw;
        std::uint32_t scaled;
    };
    for (const Case c : {Case{-32768, 0}, Case{-32767, 0}, Case{0, 32768}, Case{32767, 65535},
                         Case{-16384, 16383}, Case{16384, 49152}})
        EXPECT_EQ(ScaleJoystickAxis(c.raw), c.scaled) << c.raw;
}

TEST(Joystick, ButtonsAreOneBased) {
    JoystickState state;
    state.buttons = 0b101;
    EXPECT_TRUE(state.Button(1));
    EXPECT_FALSE(state.Button(2));
    EXPECT_TRUE(state.Button(3));
    EXPECT_FALSE(state.Button(0));
    EXPECT_FALSE(state.Button(33));
}

// A named pipe stands in for the device node: the reader sees the same event stream.
class PipeJoystick : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = folder_.path() / "js0";
        ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    }
    void TearDown() override {
        if (writer_ >= 0)
            ::close(writer_);
    }
    void OpenWriter() {
        // Read-write, so the open does not wait for a reader (Linux allows it on a pipe).
        writer_ = ::open(path_.c_str(), O_RDWR | O_NONBLOCK);
        ASSERT_GE(writer_, 0);
    }
    void Send(unsigned char type, unsigned char number, short value) {
        js_event event{};
        event.type = type;
        event.number = number;
        event.value = value;
        ASSERT_EQ(::write(writer_, &event, sizeof event), static_cast<ssize_t>(sizeof event));
    }

    platformtest::TempFolder folder_;
    std::filesystem::path path_;
    int writer_ = -1;
};

TEST_F(PipeJoystick, FollowsAxisAndButtonEventsUntilUnplugged) {
    OpenWriter();
    LinuxJoystick joystick(path_);
    const auto centred = joystick.ReadPosition();
    ASSERT_TRUE(centred); // nothing waiting yet
    EXPECT_EQ(centred->x, 32767u);
    EXPECT_EQ(centred->buttons, 0u);
    // The driver's initial events, then changes.
    Send(JS_EVENT_AXIS | JS_EVENT_INIT, 0, -32767);
    Send(JS_EVENT_AXIS | JS_EVENT_INIT, 1, 32767);
    Send(JS_EVENT_BUTTON | JS_EVENT_INIT, 0, 1);
    Send(JS_EVENT_BUTTON | JS_EVENT_INIT, 1, 0);
    auto state = joystick.ReadPosition();
    ASSERT_TRUE(state);
    EXPECT_EQ(state->x, 0u);
    EXPECT_EQ(state->y, 65535u);
    EXPECT_TRUE(state->Button(1));
    EXPECT_FALSE(state->Button(2));

    // Only the latest value of each axis counts; axes past the second are ignored.
    Send(JS_EVENT_AXIS, 0, 0);
    Send(JS_EVENT_AXIS, 0, 32767);
    Send(JS_EVENT_AXIS, 2, -32767);
    Send(JS_EVENT_BUTTON, 0, 0);
    Send(JS_EVENT_BUTTON, 1, 1);
    state = joystick.ReadPosition();
    ASSERT_TRUE(state);
    EXPECT_EQ(state->x, 65535u);
    EXPECT_EQ(state->y, 65535u);
    EXPECT_FALSE(state->Button(1));
    EXPECT_TRUE(state->Button(2));

    // Nothing new: the same state again.
    state = joystick.ReadPosition();
    ASSERT_TRUE(state);
    EXPECT_EQ(state->x, 65535u);

    // The writer going away reads as an end of file: unplugged.
    ::close(writer_);
    writer_ = -1;
    EXPECT_FALSE(joystick.ReadPosition());
}

TEST(Joystick, MissingDeviceCannotBeRead) {
    LinuxJoystick joystick("/nonexistent/js0");
    EXPECT_FALSE(joystick.ReadPosition());
}

TEST(Joystick, FakeIsInstalledForOneScope) {
    FakeJoystick fake(JoystickState{65535, 0, 1});
    {
        ScopedJoystick scope(fake);
        const auto state = AppJoystick().ReadPosition();
        ASSERT_TRUE(state);
        EXPECT_EQ(state->x, 65535u);
        EXPECT_TRUE(state->Button(1));
        fake.answer.reset();
        EXPECT_FALSE(AppJoystick().ReadPosition());
    }
    EXPECT_EQ(fake.reads, 2);
    EXPECT_NE(&AppJoystick(), &fake);
}
