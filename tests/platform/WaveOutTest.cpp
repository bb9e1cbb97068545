#include "platform/WaveOut.h"
#include "tests/platform/TempFolders.h"
#include "tests/platform/WavReader.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using namespace platform;
using namespace std::chrono_literals;

namespace {

// What the device reported, in order, from its thread.
struct Reports {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<WaveMessage, WaveHeader*>> messages;

    WaveCallback Callback(std::function<void(WaveMessage, WaveHeader*)> also = {}) {
        return [this, also](WaveMessage message, WaveHeader* header, int) {
            if (also)
                also(message, header);
            std::lock_guard lock(mutex);
            messages.emplace_back(message, header);
            changed.notify_all();
        };
    }
    bool WaitFor(std::size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return messages.size() >= count; });
    }
    std::vector<std::pair<WaveMessage, WaveHeader*>> Taken() {
        std::lock_guard lock(mutex);
        return messages;
    }
};

struct Buffer {
    explicit Buffer(std::vector<std::int16_t> samples) : samples(std::move(samples)) {
        header.data = this->samples.data();
        header.bufferLength = static_cast<std::uint32_t>(2 * this->samples.size());
    }
    std::vector<std::int16_t> samples;
    WaveHeader header;
};

std::vector<std::int16_t> Ramp(int from, int count) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
    std::iota(samples.begin(), samples.end(), static_cast<std::int16_t>(from));
    return samples;
}

} // namespace

class WaveOutFile : public ::testing::Test {
protected:
    std::filesystem::path File() const { return folder_.path() / "out.wav"; }
    platformtest::TempFolder folder_;
};

TEST_F(WaveOutFile, PlaysBuffersInOrderAndReportsCloseLast) {
    Reports reports;
    Buffer a(Ramp(-3, 5)), b(Ramp(100, 4)), c({32767, -32768});
    WaveOut device(MakeWavFileSink(File()));
    ASSERT_EQ(device.Open({1, 44100}, reports.Callback()), WaveOk);
    for (Buffer* buffer : {&a, &b, &c}) {
        ASSERT_EQ(device.PrepareHeader(buffer->header), WaveOk);
        ASSERT_EQ(device.Write(buffer->header), WaveOk);
    }
    ASSERT_TRUE(reports.WaitFor(3));
    EXPECT_EQ(device.Reset(), WaveOk); // nothing left to hand back
    ASSERT_EQ(device.Close(), WaveOk);
    EXPECT_FALSE(device.IsOpen());

    const auto messages = reports.Taken();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0], std::make_pair(WaveMessage::Done, &a.header));
    EXPECT_EQ(messages[1], std::make_pair(WaveMessage::Done, &b.header));
    EXPECT_EQ(messages[2], std::make_pair(WaveMessage::Done, &c.header));
    EXPECT_EQ(messages[3], std::make_pair(WaveMessage::Close, static_cast<WaveHeader*>(nullptr)));
    EXPECT_EQ(a.header.flags & (WaveDone | WaveInQueue), static_cast<std::uint32_t>(WaveDone));

    const auto wav = platformtest::ReadWav(File());
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->channels, 1);
    EXPECT_EQ(wav->samplesPerSecond, 44100);
    EXPECT_EQ(wav->bitsPerSample, 16);
    EXPECT_EQ(wav->samples, (std::vector<std::int16_t>{-3, -2, -1, 0, 1, 100, 101, 102, 103, 32767, -32768}));
}

TEST_F(WaveOutFile, BufferRefilledFromItsDoneReportPlaysAgain) {
    Buffer a(Ramp(0, 3));
    int refills = 0;
    Reports reports;
    WaveOut device(MakeWavFileSink(File()));
    ASSERT_EQ(device.Open({1, 44100}, reports.Callback([&](WaveMessage message, WaveHeader* header) {
        if (message == WaveMessage::Done && refills < 4) {
            ++refills;
            for (std::int16_t& sample : a.samples)
                sample = static_cast<std::int16_t>(sample + 10);
            EXPECT_EQ(device.Write(*header), WaveOk);
        }
    })),
              WaveOk);
    ASSERT_EQ(device.PrepareHeader(a.header), WaveOk);
    ASSERT_EQ(device.Write(a.header), WaveOk);
    ASSERT_TRUE(reports.WaitFor(5));
    ASSERT_EQ(device.Close(), WaveOk);
    const auto wav = platformtest::ReadWav(File());
    ASSERT_TRUE(wav);
    std::vector<std::int16_t> expected;
    for (int round = 0; round < 5; ++round)
        for (int i = 0; i < 3; ++i)
            expected.push_back(static_cast<std::int16_t>(10 * round + i));
    EXPECT_EQ(wav->samples, expected);
}

TEST_F(WaveOutFile, LoopingBufferRepeatsItsLoopCount) {
    Reports reports;
    Buffer a(Ramp(7, 2));
    WaveOut device(MakeWavFileSink(File()));
    ASSERT_EQ(device.Open({1, 44100}, reports.Callback()), WaveOk);
    a.header.flags = WaveBeginLoop | WaveEndLoop;
    a.header.loops = 3;
    ASSERT_EQ(device.PrepareHeader(a.header), WaveOk);
    ASSERT_EQ(device.Write(a.header), WaveOk);
    ASSERT_TRUE(reports.WaitFor(1));
    ASSERT_EQ(device.Close(), WaveOk);
    const auto wav = platformtest::ReadWav(File());
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->samples, (std::vector<std::int16_t>{7, 8, 7, 8, 7, 8}));
}

TEST_F(WaveOutFile, ResetHandsBackEveryQueuedBufferBeforeReturning) {
    // The file "device" stalls after the first buffer, so the other two are still queued.
    auto progress = std::make_shared<WavFileProgress>();
    Reports reports;
    Buffer a(Ramp(0, 4)), b(Ramp(10, 4)), c(Ramp(20, 4));
    WaveOut device(MakeWavFileSink(File(), {4, false}, progress));
    ASSERT_EQ(device.Open({1, 44100}, reports.Callback()), WaveOk);
    for (Buffer* buffer : {&a, &b, &c}) {
        ASSERT_EQ(device.PrepareHeader(buffer->header), WaveOk);
        ASSERT_EQ(device.Write(buffer->header), WaveOk);
    }
    ASSERT_TRUE(progress->WaitForSamples(4, 10s));
    ASSERT_TRUE(reports.WaitFor(1));
    EXPECT_EQ(device.Close(), WaveStillPlaying);
    EXPECT_EQ(device.UnprepareHeader(b.header), WaveStillPlaying);

    ASSERT_EQ(device.Reset(), WaveOk);
    auto messages = reports.Taken();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[1].second, &b.header);
    EXPECT_EQ(messages[2].second, &c.header);
    EXPECT_EQ(device.UnprepareHeader(b.header), WaveOk);
    EXPECT_EQ(device.Write(b.header), WaveUnprepared);

    ASSERT_EQ(device.Close(), WaveOk);
    EXPECT_EQ(device.Write(a.header), WaveInvalidHandle);
    EXPECT_EQ(device.Reset(), WaveInvalidHandle);
    messages = reports.Taken();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[3].first, WaveMessage::Close);
    EXPECT_EQ(platformtest::ReadWav(File())->samples, a.samples);
}

TEST_F(WaveOutFile, LoopEndsAtReset) {
    Reports reports;
    Buffer a(std::vector<std::int16_t>(441, 5)); // 10 ms, looped for 11 minutes
    WaveOut device(MakeWavFileSink(File(), {0, true}));
    ASSERT_EQ(device.Open({1, 44100}, reports.Callback()), WaveOk);
    a.header.flags = WaveBeginLoop | WaveEndLoop;
    a.header.loops = 65535;
    ASSERT_EQ(device.PrepareHeader(a.header), WaveOk);
    ASSERT_EQ(device.Write(a.header), WaveOk);
    ASSERT_EQ(device.Reset(), WaveOk);
    ASSERT_EQ(device.Close(), WaveOk);
    EXPECT_EQ(reports.Taken().size(), 2u);
}

TEST(WaveOut, RefusesWhatItCannotPlay) {
    platformtest::TempFolder folder;
    Buffer odd(Ramp(0, 3));
    Buffer a(Ramp(0, 3));
    WaveOut device(MakeWavFileSink(folder.path() / "x.wav"));
    EXPECT_EQ(device.Open({3, 44100}, {}), WaveBadFormat);
    EXPECT_EQ(device.Open({1, 100}, {}), WaveBadFormat);
    ASSERT_EQ(device.Open({1, 44100}, [](WaveMessage, WaveHeader*, int) {}), WaveOk);
    EXPECT_EQ(device.Open({1, 44100}, {}), WaveError);

    odd.header.bufferLength = 5; // half a sample
    EXPECT_EQ(device.PrepareHeader(odd.header), WaveInvalidParameter);
    EXPECT_EQ(device.Write(a.header), WaveUnprepared);
    a.header.flags = WaveBeginLoop;
    ASSERT_EQ(device.PrepareHeader(a.header), WaveOk);
    EXPECT_EQ(device.Write(a.header), WaveInvalidFlag);
    // Left open: the destructor resets and closes.
}

TEST(WaveOut, AlsaSinkPlaysThroughAlsasNullDevice) {
    Reports reports;
    Buffer a(Ramp(0, 441)), b(Ramp(1000, 441));
    WaveOut device(MakeAlsaWaveSink("null"));
    ASSERT_EQ(device.Open({1, 44100}, reports.Callback()), WaveOk);
    for (Buffer* buffer : {&a, &b}) {
        ASSERT_EQ(device.PrepareHeader(buffer->header), WaveOk);
        ASSERT_EQ(device.Write(buffer->header), WaveOk);
    }
    ASSERT_TRUE(reports.WaitFor(2));
    ASSERT_EQ(device.Reset(), WaveOk);
    ASSERT_EQ(device.Close(), WaveOk);
    const auto messages = reports.Taken();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].second, &a.header);
    EXPECT_EQ(messages[1].second, &b.header);
    EXPECT_EQ(messages[2].first, WaveMessage::Close);
}

TEST_F(WaveOutFile, FileIsCompleteWhileItGrows) {
    auto progress = std::make_shared<WavFileProgress>();
    Reports reports;
    Buffer a(Ramp(0, 6));
    WaveOut device(MakeWavFileSink(File(), {6, false}, progress));
    ASSERT_EQ(device.Open({1, 44100}, reports.Callback()), WaveOk);
    ASSERT_EQ(device.PrepareHeader(a.header), WaveOk);
    ASSERT_EQ(device.Write(a.header), WaveOk);
    ASSERT_TRUE(reports.WaitFor(1));
    const auto wav = platformtest::ReadWav(File()); // still open
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->samples, a.samples);
}

TEST(WaveOut, SinksThatCannotOpenSayWhy) {
    EXPECT_EQ(WaveOut(MakeNullWaveSink()).Open({1, 44100}, {}), WaveNoDriver);
    EXPECT_EQ(WaveOut(MakeWavFileSink("/nonexistent/folder/x.wav")).Open({1, 44100}, {}), WaveCannotOpen);
    EXPECT_EQ(WaveOut(MakeAlsaWaveSink("no-such-alsa-device")).Open({1, 44100}, {}), WaveNoDriver);
    WaveOut closed(MakeNullWaveSink());
    EXPECT_EQ(closed.Close(), WaveInvalidHandle);
}

namespace {

// A device that fails on its second buffer.
class FailingSink final : public WaveSink {
public:
    int Open(const WaveFormat&) override { return WaveOk; }
    int Play(std::span<const std::int16_t>) override { return ++plays >= 2 ? WaveError : WaveOk; }
    void Abort() override {}
    void Discard() override {}
    void Resume() override {}
    void Close() override {}
    std::atomic<int> plays{0};
};

} // namespace

TEST(WaveOut, FailureWhilePlayingIsReportedBeforeTheBufferComesBack) {
    Reports reports;
    std::atomic<int> code{0};
    Buffer a(Ramp(0, 2)), b(Ramp(0, 2));
    WaveOut device(std::make_unique<FailingSink>());
    ASSERT_EQ(device.Open({1, 44100},
                          [&](WaveMessage message, WaveHeader* header, int reported) {
                              if (message == WaveMessage::Error)
                                  code = reported;
                              reports.Callback()(message, header, reported);
                          }),
              WaveOk);
    for (Buffer* buffer : {&a, &b}) {
        ASSERT_EQ(device.PrepareHeader(buffer->header), WaveOk);
        ASSERT_EQ(device.Write(buffer->header), WaveOk);
    }
    ASSERT_TRUE(reports.WaitFor(3));
    const auto messages = reports.Taken();
    EXPECT_EQ(messages[0], std::make_pair(WaveMessage::Done, &a.header));
    EXPECT_EQ(messages[1], std::make_pair(WaveMessage::Error, &b.header));
    EXPECT_EQ(messages[2], std::make_pair(WaveMessage::Done, &b.header));
    EXPECT_EQ(code, WaveError);
}

TEST(WaveOut, EnvironmentChoosesTheSinkWhenNoFactoryIsInstalled) {
    platformtest::TempFolder folder;
    const std::string wav = (folder.path() / "take.wav").string();
    struct Case {
        std::string chosen;
        int opened;
    };
    const Case cases[] = {
        {"none", WaveNoDriver}, {"no-such-alsa-device", WaveNoDriver}, {"null", WaveOk}, {wav, WaveOk}};
    for (const Case& c : cases) {
        ::setenv("BORVIK_WAVE_OUT", c.chosen.c_str(), 1);
        WaveOut device(CreateWaveSink());
        EXPECT_EQ(device.Open({1, 44100}, [](WaveMessage, WaveHeader*, int) {}), c.opened) << c.chosen;
    }
    ::unsetenv("BORVIK_WAVE_OUT");
    EXPECT_TRUE(std::filesystem::exists(wav));
}

TEST(WaveOut, InstalledFactoryChoosesTheSink) {
    int made = 0;
    {
        ScopedWaveSink scope([&] {
            ++made;
            return MakeNullWaveSink();
        });
        EXPECT_EQ(WaveOut(CreateWaveSink()).Open({1, 44100}, {}), WaveNoDriver);
    }
    EXPECT_EQ(made, 1);
}
