#pragma once
// The signal generator's sound engine: a fixed tone, a slow or a fast logarithmic sweep, or
// white noise, as 16-bit mono PCM at 44100 Hz, streamed through two rotating buffers that the
// device's callback refills and queues again as each one finishes.
//
// Two threads meet here: the window's (everything but the callback) and the device's (the
// callback). What both touch is kept under one short lock or in atomics; the device thread
// asks the window for a stop only by posting, and the window stops on its own thread.

#include "platform/Dialogs.h"
#include "platform/WaveOut.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

// Engine modes.
inline constexpr std::uint8_t kModeFastSweep = 1;
inline constexpr std::uint8_t kModeSlowSweep = 2;
inline constexpr std::uint8_t kModeFixedTone = 3;
inline constexpr std::uint8_t kModeWhiteNoise = 4;

inline constexpr int kSampleRate = 44100;
// Each of the two buffers: 64000 bytes.
inline constexpr std::size_t kBufferSamples = 32000;
// The refilled modes play buffers of 0.25 s.
inline constexpr std::size_t kRefillSamples = 11025;
// Steps of the fast sweep's looping buffer.
inline constexpr int kFastSweepSteps = 1000;
// Buffers of the slow sweep: 45 s from F1 to F2.
inline constexpr int kSlowSweepBuffers = 180;

inline constexpr std::size_t kSineTableSize = 32768;
using TSineTable = std::array<std::int16_t, kSineTableSize>;

// ---------------------------------------------------------------------------------------------
// Synthesis, table look-up with a fixed-point phase.

// 10^(-attenuation/20).
double AttenuationGain(double attenuation);
// One period of the sine, peak 32767 × gain.
void BuildSineTable(TSineTable& table, double gain);
// The phase increment per sample for a frequency in Hz: round(frequency × 2^30 / 44100).
std::uint32_t PhaseStep(double frequency);
// Fills `samples` with the sine at `frequency`, going on from `phase` (30 bits) and leaving it
// where the next call goes on, so that buffers and segments join without jumps.
void SynthesizeSine(const TSineTable& table, std::uint32_t& phase, double frequency,
                    std::span<std::int16_t> samples);

// White noise from a linear congruential generator, the same sequence in every run.
class TNoiseGenerator {
public:
    explicit TNoiseGenerator(std::uint32_t seed = 0) : seed_(seed) {}
    // One sample at `gain`, kept inside the 16-bit range.
    std::int16_t Next(double gain);
    void Fill(std::span<std::int16_t> samples, double gain);
    std::uint32_t Seed() const { return seed_; }

private:
    std::uint32_t seed_;
};

// The fast sweep's looping buffer: a silent lead-in of steps/3 segments, then `steps` segments
// of the sine from f1 to f2 on a logarithmic scale, each buffer.size() / (steps + steps/3)
// samples long. Starts at phase 0 and returns the number of samples written.
std::size_t BuildSweepBuffer(const TSineTable& table, std::uint32_t& phase, double f1, double f2, int steps,
                             std::span<std::int16_t> buffer);

// ---------------------------------------------------------------------------------------------

class TWaveDevice {
public:
    struct THooks {
        // On the window's thread: after the first buffers are queued, after the device closed.
        std::function<void()> onStart;
        std::function<void()> onStop;
        // On the device's thread: must only post, so that the window calls HandleStopMessage
        // with this session on its own thread.
        std::function<void(std::uint64_t session)> postStopMessage;
        // On the window's thread: a message for the user.
        std::function<void(platform::MessageKind kind, const std::string& text)> report;
    };

    TWaveDevice() = default;
    ~TWaveDevice(); // frees the buffers, stopping a device still open first
    TWaveDevice(const TWaveDevice&) = delete;
    TWaveDevice& operator=(const TWaveDevice&) = delete;

    void SetHooks(THooks hooks) { hooks_ = std::move(hooks); }

    // Only one engine of the program holds the buffers at a time; a second one is refused with a
    // message and false.
    bool AllocWaveBuffers();
    void FreeWaveBuffers();
    bool Allocated() const { return allocated_; }

    // Opens the sound device and queues the first buffers; a device still open (playing, or
    // after a sweep ended by itself) is stopped first.
    void StartPlayback();
    // Resets and closes the device; nothing when none is open.
    void StopPlayback();
    void RestartIfPlaying();
    // The posted stop: stops the session that asked, not a later one.
    void HandleStopMessage(std::uint64_t session);
    // The window closes: no buffer is refilled any more.
    void SetClosing();

    void SetMode(std::uint8_t mode);
    void SetF1(double frequency);
    void SetF2(double frequency);
    // The frequency of the next buffer: a playing tone changes at its next buffer.
    void SetCurrentFrequency(double frequency);
    void SetAttenuation(double attenuation);
    // The sine table is built again at the next start.
    void ClearTableBuilt();

    std::uint8_t Mode() const;
    double F1() const;
    double F2() const;
    double Attenuation() const;
    double CurrentFrequency() const;
    bool Playing() const { return playing_; }
    bool DeviceOpen() const { return device_ != nullptr; }
    std::uint64_t Session() const { return session_; }
    // Buffers written to the device and reported done since the start.
    int Written() const;
    int Done() const;

    // Starts the noise sequence over, for renderings that must be compared.
    static void ResetNoiseSequence();

private:
    struct TPendingReport {
        platform::MessageKind kind;
        std::string text;
    };

    void OnWaveMessage(std::uint64_t session, platform::WaveMessage message, platform::WaveHeader* header,
                       int code);
    // Under lock_.
    void QueueFirstBuffers(std::vector<TPendingReport>& reports);
    void RefillBuffer(platform::WaveHeader& header);
    void Report(const std::vector<TPendingReport>& reports) const;
    void ReportMMError(std::vector<TPendingReport>& reports, const char* call, int code) const;

    THooks hooks_;
    bool allocated_ = false;
    std::vector<std::int16_t> buffer1_;
    std::vector<std::int16_t> buffer2_;
    platform::WaveHeader header1_;
    platform::WaveHeader header2_;
    std::unique_ptr<TSineTable> sineTable_;
    std::unique_ptr<platform::WaveOut> device_;
    std::uint64_t session_ = 0;

    mutable std::mutex lock_;
    bool tableBuilt_ = false;
    std::uint8_t mode_ = kModeFixedTone;
    double f1_ = 100;
    double f2_ = 10000;
    double attenuation_ = 0;
    double gain_ = 1;
    double currentFrequency_ = 100;
    double ratio_ = 1;
    std::uint32_t phase_ = 0;
    int written_ = 0;
    int done_ = 0;
    int sweepIndex_ = 0;
    bool pastEnd_ = false;
    int failure_ = 0; // the device failed while playing

    std::atomic<bool> playing_{false};
    std::atomic<bool> closing_{false};
    std::atomic<bool> stopping_{false};
};
