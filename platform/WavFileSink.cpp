#include "platform/WaveOut.h"

#include <array>
#include <cstdio>
#include <vector>

namespace platform {

namespace {

void PutLittleEndian(std::vector<unsigned char>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// The canonical 44-byte header of a PCM WAV file with `dataBytes` of samples.
std::vector<unsigned char> WavHeader(const WaveFormat& format, std::uint32_t dataBytes) {
    const auto channels = static_cast<std::uint32_t>(format.channels);
    const auto rate = static_cast<std::uint32_t>(format.samplesPerSecond);
    std::vector<unsigned char> bytes;
    for (const char c : std::string_view("RIFF"))
        bytes.push_back(static_cast<unsigned char>(c));
    PutLittleEndian(bytes, 36 + dataBytes, 4);
    for (const char c : std::string_view("WAVEfmt "))
        bytes.push_back(static_cast<unsigned char>(c));
    PutLittleEndian(bytes, 16, 4);
    PutLittleEndian(bytes, 1, 2); // PCM
    PutLittleEndian(bytes, channels, 2);
    PutLittleEndian(bytes, rate, 4);
    PutLittleEndian(bytes, rate * channels * 2, 4);
    PutLittleEndian(bytes, channels * 2, 2);
    PutLittleEndian(bytes, 16, 2);
    for (const char c : std::string_view("data"))
        bytes.push_back(static_cast<unsigned char>(c));
    PutLittleEndian(bytes, dataBytes, 4);
    return bytes;
}

} // namespace

class WavFileSink final : public WaveSink {
public:
    WavFileSink(std::filesystem::path file, WavFileOptions options, std::shared_ptr<WavFileProgress> progress)
        : path_(std::move(file)), options_(options),
          progress_(progress ? std::move(progress) : std::make_shared<WavFileProgress>()) {}
    ~WavFileSink() override { Close(); }

    int Open(const WaveFormat& format) override {
        Close();
        format_ = format;
        file_ = std::fopen(path_.c_str(), "wb");
        if (file_ == nullptr)
            return WaveCannotOpen;
        const auto header = WavHeader(format_, 0);
        if (std::fwrite(header.data(), 1, header.size(), file_) != header.size()) {
            Close();
            return WaveCannotWrite;
        }
        samples_ = 0;
        started_ = std::chrono::steady_clock::now();
        return WaveOk;
    }

    int Play(std::span<const std::int16_t> samples) override {
        if (file_ == nullptr)
            return WaveInvalidHandle;
        std::size_t take = samples.size();
        if (options_.sampleLimit != 0)
            take = static_cast<std::size_t>(std::min<std::uint64_t>(take, options_.sampleLimit - samples_));
        if (take > 0 && !Aborted()) {
            std::vector<unsigned char> bytes;
            bytes.reserve(2 * take);
            for (std::size_t i = 0; i < take; ++i)
                PutLittleEndian(bytes, static_cast<std::uint16_t>(samples[i]), 2);
            if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
                return WaveCannotWrite;
            samples_ += take;
            // The sizes stay right after every buffer, so a check may read the file while it grows.
            if (!WriteSizes())
                return WaveCannotWrite;
            progress_->Add(take);
        }
        std::unique_lock lock(mutex_);
        if (take < samples.size()) {
            // Past the limit the device stalls until it is reset.
            abortChanged_.wait(lock, [&] { return aborted_; });
        } else if (options_.realTime) {
            const auto frames = samples_ / static_cast<std::uint64_t>(format_.channels);
            const auto due =
                started_ + std::chrono::microseconds(frames * 1000000 /
                                                     static_cast<std::uint64_t>(format_.samplesPerSecond));
            abortChanged_.wait_until(lock, due, [&] { return aborted_; });
        }
        return WaveOk;
    }

    void Abort() override {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        abortChanged_.notify_all();
    }
    void Discard() override { Resume(); }
    void Resume() override {
        std::lock_guard lock(mutex_);
        aborted_ = false;
        // Real-time pacing goes on from now, not from when the output stopped.
        started_ = std::chrono::steady_clock::now() -
                   std::chrono::microseconds(samples_ / static_cast<std::uint64_t>(format_.channels) *
                                             1000000 / static_cast<std::uint64_t>(format_.samplesPerSecond));
    }

    void Close() override {
        if (file_ == nullptr)
            return;
        WriteSizes();
        std::fclose(file_);
        file_ = nullptr;
    }

private:
    // The header with the sizes so far; the file position stays at the end. Past what a WAV
    // header can say, the sizes stop at its limit.
    bool WriteSizes() {
        const std::uint64_t dataBytes = std::min<std::uint64_t>(2 * samples_, 0xFFFFFFFFu - 36);
        const auto header = WavHeader(format_, static_cast<std::uint32_t>(dataBytes));
        return std::fseek(file_, 0, SEEK_SET) == 0 &&
               std::fwrite(header.data(), 1, header.size(), file_) == header.size() &&
               std::fseek(file_, 0, SEEK_END) == 0 && std::fflush(file_) == 0;
    }

    bool Aborted() {
        std::lock_guard lock(mutex_);
        return aborted_;
    }

    std::filesystem::path path_;
    WavFileOptions options_;
    std::shared_ptr<WavFileProgress> progress_;
    WaveFormat format_;
    std::FILE* file_ = nullptr;
    std::uint64_t samples_ = 0;
    std::chrono::steady_clock::time_point started_;
    std::mutex mutex_;
    std::condition_variable abortChanged_;
    bool aborted_ = false;
};

void WavFileProgress::Add(std::uint64_t samples) {
    {
        std::lock_guard lock(mutex_);
        samples_ += samples;
    }
    changed_.notify_all();
}

bool WavFileProgress::WaitForSamples(std::uint64_t samples, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return samples_.load() >= samples; });
}

std::unique_ptr<WaveSink> MakeWavFileSink(std::filesystem::path file, WavFileOptions options,
                                          std::shared_ptr<WavFileProgress> progress) {
    return std::make_unique<WavFileSink>(std::move(file), options, std::move(progress));
}

} // namespace platform
