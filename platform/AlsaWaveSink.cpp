#include "platform/WaveOut.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace platform {

namespace {

// ALSA prints its own complaints (no card, no configuration) to stderr; the caller already
// gets the result code and shows it.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

// Frames per write: small enough that a reset waits at most this long for the device.
constexpr snd_pcm_uframes_t kChunkFrames = 1024;
// How often a write waiting for room looks at the abort flag.
constexpr int kWaitMilliseconds = 50;
// A device that takes nothing for this long has failed (a stalled sound server, a card gone).
constexpr auto kStallLimit = std::chrono::seconds(2);
// At most this much of a tail is let play out at the close.
constexpr auto kLongestTail = std::chrono::milliseconds(500);
// The device's buffer: short, so a stop is heard at once.
constexpr unsigned kLatencyMicroseconds = 100000;

class AlsaWaveSink final : public WaveSink {
public:
    explicit AlsaWaveSink(std::string device) : device_(std::move(device)) {}
    ~AlsaWaveSink() override { Close(); }

    int Open(const WaveFormat& format) override {
        Close();
        static const bool quieted = [] {
            snd_lib_error_set_handler(&QuietAlsa);
            return true;
        }();
        (void)quieted;
        // Non-blocking, so that neither a reset nor a close can hang on a device that stalls.
        int result = snd_pcm_open(&pcm_, device_.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
        if (result < 0) {
            pcm_ = nullptr;
            if (result == -EBUSY)
                return 4; // device already allocated
            return WaveNoDriver;
        }
        result = snd_pcm_set_params(pcm_, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                                    static_cast<unsigned>(format.channels),
                                    static_cast<unsigned>(format.samplesPerSecond), 1, kLatencyMicroseconds);
        if (result < 0) {
            snd_pcm_close(pcm_);
            pcm_ = nullptr;
            return WaveBadFormat;
        }
        channels_ = format.channels;
        rate_ = format.samplesPerSecond;
        aborted_ = false;
        return WaveOk;
    }

    int Play(std::span<const std::int16_t> samples) override {
        if (pcm_ == nullptr)
            return WaveInvalidHandle;
        const auto channels = static_cast<std::size_t>(channels_);
        std::size_t done = 0;
        auto progressed = std::chrono::steady_clock::now();
        while (done < samples.size()) {
            if (aborted_)
                return WaveOk;
            const auto frames = std::min<snd_pcm_uframes_t>(kChunkFrames, (samples.size() - done) / channels);
            if (frames == 0)
                break;
            const snd_pcm_sframes_t written = snd_pcm_writei(pcm_, samples.data() + done, frames);
            if (written == -EAGAIN) {
                if (std::chrono::steady_clock::now() - progressed > kStallLimit)
                    return WaveError;
                snd_pcm_wait(pcm_, kWaitMilliseconds);
                continue;
            }
            if (written < 0) {
                // An underrun or a suspend is recovered from; anything else is a failed device.
                if (snd_pcm_recover(pcm_, static_cast<int>(written), 1) < 0)
                    return WaveError;
                continue;
            }
            done += static_cast<std::size_t>(written) * channels;
            progressed = std::chrono::steady_clock::now();
        }
        return WaveOk;
    }

    void Abort() override { aborted_ = true; }

    void Discard() override {
        if (pcm_ != nullptr) {
            snd_pcm_drop(pcm_);
            snd_pcm_prepare(pcm_);
        }
        aborted_ = false;
    }

    void Resume() override { aborted_ = false; }

    void Close() override {
        if (pcm_ == nullptr)
            return;
        // What the device still holds (the end of a sweep) plays out, within a bound.
        snd_pcm_sframes_t held = 0;
        if (snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING && snd_pcm_delay(pcm_, &held) == 0 && held > 0) {
            const auto tail = std::chrono::microseconds(static_cast<std::int64_t>(held) * 1000000 / rate_);
            std::this_thread::sleep_for(std::min<std::chrono::microseconds>(tail, kLongestTail));
        }
        snd_pcm_drop(pcm_);
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
    }

private:
    std::string device_;
    snd_pcm_t* pcm_ = nullptr;
    int channels_ = 1;
    int rate_ = 44100;
    std::atomic<bool> aborted_{false};
};

} // namespace

std::unique_ptr<WaveSink> MakeAlsaWaveSink(std::string device) {
    return std::make_unique<AlsaWaveSink>(std::move(device));
}

} // namespace platform
