#include "siggen/WaveDevice.h"
#include "tests/siggen/SiggenTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <thread>

using namespace std::chrono_literals;
using siggentest::RecordingEngine;

namespace {

// An ideal 16-bit sine sample for a 30-bit phase: the table's resolution, computed directly.
std::int16_t IdealSample(std::uint32_t phase, double peak) {
    return static_cast<std::int16_t>(
        std::nearbyint(std::sin(2 * std::numbers::pi * (phase >> 15) / 32768.0) * peak));
}

int SignChanges(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t count) {
    int changes = 0;
    for (std::size_t i = from + 1; i < from + count; ++i)
        if ((samples[i - 1] < 0) != (samples[i] < 0))
            ++changes;
    return changes;
}

} // namespace

TEST(Synthesis, SineTablePeaksFollowTheAttenuation) {
    struct Case {
        double attenuation;
        std::int16_t peak;
    };
    TSineTable table;
    for (const Case c : {Case{0, 32767}, Case{20, 3277}, Case{6, 16422}, Case{45, 184}}) {
        BuildSineTable(table, AttenuationGain(c.attenuation));
        EXPECT_EQ(table[8192], c.peak) << c.attenuation;
        EXPECT_EQ(table[24576], -c.peak) << c.attenuation;
        EXPECT_EQ(table[0], 0);
        EXPECT_EQ(table[16384], 0);
        EXPECT_EQ(*std::max_element(table.begin(), table.end()), c.peak);
    }
}

TEST(Synthesis, PhaseStepIsAFixedPointFrequency) {
    EXPECT_EQ(PhaseStep(1000), 24347887u);
    EXPECT_EQ(PhaseStep(10), 243479u);
    EXPECT_EQ(PhaseStep(20000), 486957743u);
    EXPECT_EQ(PhaseStep(0), 0u);
    EXPECT_EQ(PhaseStep(-5), 0u);
    EXPECT_EQ(PhaseStep(std::nan("")), 0u);
    EXPECT_EQ(PhaseStep(1e300), 0u); // clamped to the sample rate: one whole turn per sample
}

TEST(Synthesis, NoiseStaysInsideSixteenBitsAndReachesBothEnds) {
    TNoiseGenerator noise;
    int lowest = 0, highest = 0;
    double sum = 0;
    const int count = 1 << 20;
    for (int i = 0; i < count; ++i) {
        const std::int16_t sample = noise.Next(1.0);
        lowest = std::min<int>(lowest, sample);
        highest = std::max<int>(highest, sample);
        sum += sample;
    }
    EXPECT_EQ(lowest, -32767);
    EXPECT_GE(highest, 32760);
    EXPECT_NEAR(sum / count, 0.0, 100.0);
    // The seed whose successor is 2^32 - 1: u just below 1 scales to 32768, kept at 32767
    // rather than wrapped to -32768.
    std::uint32_t inverse = 134775813u; // modular inverse by Newton's iteration
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - 134775813u * inverse;
    ASSERT_EQ(inverse * 134775813u, 1u);
    TNoiseGenerator top(0xFFFFFFFEu * inverse);
    EXPECT_EQ(top.Next(1.0), 32767);
    EXPECT_EQ(top.Seed(), 0xFFFFFFFFu);
}

// The sweep's segments, read back through a table that holds its own index: each sample then
// shows the top 15 bits of the phase, and a segment's phase advance is its frequency.
TEST(Synthesis, FastSweepSegmentsStepLogarithmicallyFromF1ToF2) {
    TSineTable ramp;
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<std::int16_t>(i);
    std::vector<std::int16_t> buffer(kBufferSamples, -1);
    std::uint32_t phase = 12345;
    const double f1 = 100, f2 = 10000;
    ASSERT_EQ(BuildSweepBuffer(ramp, phase, f1, f2, kFastSweepSteps, buffer), 31992u);
    EXPECT_EQ(buffer[31992], -1); // nothing written past the sweep
    for (std::size_t i = 0; i < 333 * 24; ++i)
        ASSERT_EQ(buffer[i], 0) << i;
    EXPECT_EQ(buffer[333 * 24 + 1], PhaseStep(f1) >> 15); // the tone starts at phase 0
    for (int k = 0; k < 1000; k += 37) {
        const std::size_t first = (333 + static_cast<std::size_t>(k)) * 24;
        // 23 steps of the segment's frequency in table units, each less than half a turn.
        int advance = 0;
        for (std::size_t i = first + 1; i < first + 24; ++i)
            advance += (buffer[i] - buffer[i - 1] + 32768) % 32768;
        const double measured = advance / 23.0 * 32768.0 / 1073741824.0 * kSampleRate;
        const double expected = f1 * std::pow(f2 / f1, k / 999.0);
        EXPECT_NEAR(measured, expected, expected * 0.001 + 1) << k;
    }
}

TEST(Engine, ToneOf1kHzIsSampleExactAndJoinsItsBuffers) {
    RecordingEngine rec({3 * kRefillSamples, false});
    ASSERT_TRUE(rec.engine.AllocWaveBuffers());
    rec.engine.SetMode(kModeFixedTone);
    rec.engine.SetF1(1000);
    rec.engine.SetCurrentFrequency(1000);
    rec.engine.StartPlayback();
    EXPECT_TRUE(rec.engine.Playing());
    EXPECT_EQ(rec.starts, 1);
    ASSERT_TRUE(rec.progress->WaitForSamples(3 * kRefillSamples, 20s));
    rec.engine.StopPlayback();
    EXPECT_FALSE(rec.engine.Playing());
    EXPECT_FALSE(rec.engine.DeviceOpen());
    EXPECT_EQ(rec.stops, 1);
    EXPECT_TRUE(rec.reports.empty());

    const auto samples = rec.Samples();
    ASSERT_EQ(samples.size(), 3 * kRefillSamples);
    const std::uint32_t step = 24347887;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto phase = static_cast<std::uint32_t>((static_cast<std::uint64_t>(step) * i) & 0x3FFFFFFF);
        ASSERT_EQ(samples[i], IdealSample(phase, 32767)) << i;
    }
    EXPECT_EQ(samples[0], 0);
    EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 32767);
    // 1000 periods a second: two sign changes each.
    EXPECT_NEAR(SignChanges(samples, 0, samples.size()), 2 * 1000 * 0.75, 2);
}

TEST(Engine, ToneAt20dBPeaksAtATenth) {
    RecordingEngine rec({2 * kRefillSamples, false});
    ASSERT_TRUE(rec.engine.AllocWaveBuffers());
    rec.engine.SetF1(1000);
    rec.engine.SetCurrentFrequency(1000);
    rec.engine.SetAttenuation(20);
    rec.engine.StartPlayback();
    ASSERT_TRUE(rec.progress->WaitForSamples(2 * kRefillSamples, 20s));
    rec.engine.StopPlayback();
    const auto samples = rec.Samples();
    ASSERT_EQ(samples.size(), 2 * kRefillSamples);
    EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 3277);
    EXPECT_EQ(samples[1], IdealSample(24347887, 3276.7));
}

TEST(Engine, NoiseFirstSamplesAt0And20dB) {
    for (const double attenuation : {0.0, 20.0}) {
        SCOPED_TRACE(attenuation);
        RecordingEngine rec({1000, false});
        TWaveDevice::ResetNoiseSequence();
        ASSERT_TRUE(rec.engine.AllocWaveBuffers());
        rec.engine.SetMode(kModeWhiteNoise);
        rec.engine.SetAttenuation(attenuation);
        rec.engine.StartPlayback();
        ASSERT_TRUE(rec.progress->WaitForSamples(1000, 20s));
        rec.engine.StopPlayback();
        const auto samples = rec.Samples();
        ASSERT_EQ(samples.size(), 1000u);
        // The generator written out independently: seed × 134775813 + 1, scaled to ±32767.
        const double gain = attenuation == 0 ? 1.0 : 0.1;
        std::uint32_t seed = 0;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            seed = seed * 134775813u + 1u;
            const double value = std::nearbyint((seed / 4294967296.0 * 65535 - 32767) * gain);
            ASSERT_EQ(samples[i], static_cast<std::int16_t>(value)) << i;
        }
        EXPECT_EQ(samples[0], attenuation == 0 ? -32767 : -3277);
    }
}

TEST(Engine, FastSweepLoopsOneBufferOf31992Samples) {
    RecordingEngine rec({2 * 31992, false});
    ASSERT_TRUE(rec.engine.AllocWaveBuffers());
    rec.engine.SetMode(kModeFastSweep);
    rec.engine.SetF1(100);
    rec.engine.SetF2(10000);
    rec.engine.StartPlayback();
    ASSERT_TRUE(rec.progress->WaitForSamples(2 * 31992, 20s));
    rec.engine.StopPlayback();
    const auto samples = rec.Samples();
    ASSERT_EQ(samples.size(), 2u * 31992);
    // The loop: the same buffer again, its silent lead-in 0.18 s.
    EXPECT_TRUE(std::equal(samples.begin(), samples.begin() + 31992, samples.begin() + 31992));
    EXPECT_TRUE(std::all_of(samples.begin(), samples.begin() + 7992, [](std::int16_t s) { return s == 0; }));
    EXPECT_NE(samples[7993], 0);
    // The first step is F1 from phase 0.
    for (std::uint32_t i = 0; i < 24; ++i)
        EXPECT_EQ(samples[7992 + i], IdealSample(i * PhaseStep(100), 32767)) << i;
    EXPECT_EQ(rec.engine.Written(), 0); // the loop needs no refill
}

// Each case: F1, F2. The slow sweep plays 180 buffers of 0.25 s whatever the rounding of its
// ratio, F2 = F1 and F1 > F2 included.
class SlowSweep : public ::testing::TestWithParam<std::pair<double, double>> {};

TEST_P(SlowSweep, Plays180BuffersWithContinuousPhaseThenAsksToStop) {
    const auto [f1, f2] = GetParam();
    RecordingEngine rec;
    ASSERT_TRUE(rec.engine.AllocWaveBuffers());
    rec.engine.SetMode(kModeSlowSweep);
    rec.engine.SetF1(f1);
    rec.engine.SetF2(f2);
    rec.engine.StartPlayback();
    const auto session = rec.mailbox.Wait();
    ASSERT_TRUE(session);
    EXPECT_FALSE(rec.engine.Playing()); // ended by itself, the device still open until the stop
    EXPECT_TRUE(rec.engine.DeviceOpen());
    rec.engine.HandleStopMessage(*session);
    EXPECT_FALSE(rec.engine.DeviceOpen());
    EXPECT_EQ(rec.stops, 1);
    EXPECT_EQ(rec.engine.Written(), kSlowSweepBuffers);

    const auto samples = rec.Samples();
    ASSERT_EQ(samples.size(), kSlowSweepBuffers * kRefillSamples);
    for (int k = 0; k < kSlowSweepBuffers; k += 11) {
        const double frequency = f1 * std::pow(f2 / f1, k / 179.0);
        const int changes =
            SignChanges(samples, static_cast<std::size_t>(k) * kRefillSamples, kRefillSamples);
        EXPECT_NEAR(changes, 2 * frequency * 0.25, 3) << k;
    }
    // No jump where buffers meet: never more than the steepest slope of the higher frequency.
    for (int k = 1; k < kSlowSweepBuffers; ++k) {
        const auto at = static_cast<std::size_t>(k) * kRefillSamples;
        const double slope = 32767 * 2 * std::numbers::pi * std::max(f1, f2) / kSampleRate;
        ASSERT_LE(std::abs(samples[at] - samples[at - 1]), slope + 2) << k;
    }
    // The last buffer ends at F2.
    EXPECT_NEAR(SignChanges(samples, 179 * kRefillSamples, kRefillSamples), 2 * f2 * 0.25, 3);
}

INSTANTIATE_TEST_SUITE_P(Ranges, SlowSweep,
                         ::testing::Values(std::pair{100.0, 1000.0}, std::pair{10.0, 20000.0},
                                           std::pair{440.0, 440.0}, std::pair{2000.0, 200.0}));

TEST(Engine, PlaysThroughAlsaUntilStopped) {
    // ALSA's null device takes the samples as a sound card would, without pacing them.
    platform::ScopedWaveSink alsa([] { return platform::MakeAlsaWaveSink("null"); });
    TWaveDevice engine;
    std::vector<std::string> texts;
    int stops = 0;
    engine.SetHooks({{},
                     [&] { ++stops; },
                     {},
                     [&](platform::MessageKind, const std::string& text) { texts.push_back(text); }});
    ASSERT_TRUE(engine.AllocWaveBuffers());
    for (const std::uint8_t mode : {kModeFixedTone, kModeWhiteNoise, kModeFastSweep}) {
        engine.SetMode(mode);
        engine.StartPlayback();
        ASSERT_TRUE(engine.Playing()) << int(mode);
        const auto until = std::chrono::steady_clock::now() + 20s;
        while (mode != kModeFastSweep && engine.Written() < 8 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(1ms);
        engine.StopPlayback();
        EXPECT_FALSE(engine.DeviceOpen());
    }
    EXPECT_EQ(stops, 3);
    EXPECT_TRUE(texts.empty()) << texts.front();
}

TEST(Engine, NoSoundDeviceSaysSoAndStaysIdle) {
    platform::ScopedWaveSink none([] { return platform::MakeNullWaveSink(); });
    TWaveDevice engine;
    std::vector<std::string> texts;
    int starts = 0;
    engine.SetHooks({[&] { ++starts; },
                     {},
                     {},
                     [&](platform::MessageKind kind, const std::string& text) {
                         EXPECT_EQ(kind, platform::MessageKind::Warning);
                         texts.push_back(text);
                     }});
    ASSERT_TRUE(engine.AllocWaveBuffers());
    engine.StartPlayback();
    EXPECT_FALSE(engine.Playing());
    EXPECT_FALSE(engine.DeviceOpen());
    EXPECT_EQ(starts, 0);
    EXPECT_EQ(texts, std::vector<std::string>{"Error opening waveform audio!\nno device driver present"});
}

TEST(Engine, OnlyOneEngineHoldsTheBuffers) {
    TWaveDevice first, second;
    std::vector<std::string> texts;
    second.SetHooks(
        {{}, {}, {}, [&](platform::MessageKind, const std::string& text) { texts.push_back(text); }});
    ASSERT_TRUE(first.AllocWaveBuffers());
    EXPECT_FALSE(second.AllocWaveBuffers());
    EXPECT_EQ(texts, std::vector<std::string>{"WaveOut device routines are allocated by other module"});
    first.FreeWaveBuffers();
    EXPECT_TRUE(second.AllocWaveBuffers());
}

TEST(Engine, StopTwiceStopsOnceAndAStaleStopLeavesANewStartAlone) {
    RecordingEngine rec({kRefillSamples, false});
    ASSERT_TRUE(rec.engine.AllocWaveBuffers());
    rec.engine.StartPlayback();
    const std::uint64_t first = rec.engine.Session();
    rec.engine.StopPlayback();
    rec.engine.StopPlayback();
    EXPECT_EQ(rec.stops, 1);

    rec.engine.StartPlayback();
    // Start while playing stops first.
    rec.engine.StartPlayback();
    EXPECT_EQ(rec.stops, 2);
    EXPECT_EQ(rec.starts, 3);
    // The buffers the first stop handed back asked for stops that arrive only now.
    for (const std::uint64_t session : rec.mailbox.TakeAll())
        rec.engine.HandleStopMessage(session);
    rec.engine.HandleStopMessage(first);
    EXPECT_TRUE(rec.engine.Playing());
    EXPECT_EQ(rec.stops, 2);
    rec.engine.HandleStopMessage(rec.engine.Session());
    EXPECT_FALSE(rec.engine.Playing());
    EXPECT_EQ(rec.stops, 3);
}

TEST(Engine, StartRightAfterASweepEndedByItselfClosesTheOldDeviceFirst) {
    RecordingEngine rec;
    ASSERT_TRUE(rec.engine.AllocWaveBuffers());
    rec.engine.SetMode(kModeSlowSweep);
    rec.engine.SetF1(1000);
    rec.engine.SetF2(2000);
    rec.engine.StartPlayback();
    const auto session = rec.mailbox.Wait();
    ASSERT_TRUE(session);
    rec.engine.SetMode(kModeFixedTone);
    rec.engine.StartPlayback(); // before the stop message is handled
    EXPECT_EQ(rec.stops, 1);
    EXPECT_TRUE(rec.engine.Playing());
    rec.engine.HandleStopMessage(*session); // late: ignored
    EXPECT_TRUE(rec.engine.Playing());
    rec.engine.FreeWaveBuffers(); // closing the window while playing stops first
    EXPECT_FALSE(rec.engine.DeviceOpen());
    EXPECT_EQ(rec.stops, 2);
}

TEST(Engine, FreeingAfterASweepEndedByItselfClosesTheDevice) {
    RecordingEngine rec;
    ASSERT_TRUE(rec.engine.AllocWaveBuffers());
    rec.engine.SetMode(kModeSlowSweep);
    rec.engine.SetF1(5000);
    rec.engine.SetF2(6000);
    rec.engine.StartPlayback();
    ASSERT_TRUE(rec.mailbox.Wait());
    EXPECT_FALSE(rec.engine.Playing());
    rec.engine.SetClosing();
    rec.engine.FreeWaveBuffers();
    EXPECT_FALSE(rec.engine.DeviceOpen());
    EXPECT_FALSE(rec.engine.Allocated());
}

namespace {

// A sound card that fails after its first buffer.
class BrokenCard final : public platform::WaveSink {
public:
    int Open(const platform::WaveFormat&) override { return 0; }
    int Play(std::span<const std::int16_t>) override { return ++plays_ > 1 ? platform::WaveError : 0; }
    void Abort() override {}
    void Discard() override {}
    void Resume() override {}
    void Close() override {}

private:
    std::atomic<int> plays_{0};
};

} // namespace

TEST(Engine, DeviceFailingWhilePlayingStopsAndSaysWhy) {
    platform::ScopedWaveSink broken([] { return std::make_unique<BrokenCard>(); });
    TWaveDevice engine;
    siggentest::StopMailbox mailbox;
    std::vector<std::string> texts;
    int stops = 0;
    engine.SetHooks({{},
                     [&] { ++stops; },
                     [&](std::uint64_t session) { mailbox.Post(session); },
                     [&](platform::MessageKind, const std::string& text) { texts.push_back(text); }});
    ASSERT_TRUE(engine.AllocWaveBuffers());
    engine.StartPlayback();
    const auto session = mailbox.Wait();
    ASSERT_TRUE(session);
    engine.HandleStopMessage(*session);
    EXPECT_FALSE(engine.Playing());
    EXPECT_FALSE(engine.DeviceOpen());
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(texts, std::vector<std::string>{"unspecified error : waveOutWrite"});
}
