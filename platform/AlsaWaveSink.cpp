#include "platform/WaveOut.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>

namespace platform {

namespace {

// ALSA prints its own complaints (no card, no configuration) to stderr; the caller already
// gets the result code and shows it.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

// Frames per write: small enough that a reset waits at most this long for the device.
constexpr snd_pcm_uframes_t kChunkFrames = 1024;
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
        int result = snd_pcm_open(&pcm_, device_.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
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
        aborted_ = false;
        return WaveOk;
    }

    int Play(std::span<const std::int16_t> samples) override {
        if (pcm_ == nullptr)
            return WaveInvalidHandle;
        const auto channels = static_cast<std::size_t>(channels_);
        std::size_t done = 0;
        while (done < samples.size()) {
            if (aborted_)
                return WaveOk;
            const auto frames = std::min<snd_pcm_uframes_t>(kChunkFrames, (samples.size() - done) / channels);
            if (frames == 0)
                break;
            snd_pcm_sframes_t written = snd_pcm_writei(pcm_, samples.data() + done, frames);
            if (written < 0) {
                // An underrun or a suspend is recovered from; anything else is a failed device.
                if (snd_pcm_recover(pcm_, static_cast<int>(written), 1) < 0)
                    return WaveError;
                continue;
            }
            done += static_cast<std::size_t>(written) * channels;
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
        snd_pcm_drain(pcm_);
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
    }

private:
    std::string device_;
    snd_pcm_t* pcm_ = nullptr;
    int channels_ = 1;
    std::atomic<bool> aborted_{false};
};

} // namespace

std::unique_ptr<WaveSink> MakeAlsaWaveSink(std::string device) {
    return std::make_unique<AlsaWaveSink>(std::move(device));
}

} // namespace platform
