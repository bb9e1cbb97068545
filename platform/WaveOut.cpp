#include "platform/WaveOut.h"

#include <cstdlib>
#include <string_view>

namespace platform {

namespace {

constexpr std::uint32_t kLoopFlags = WaveBeginLoop | WaveEndLoop;

WaveSinkFactory& InstalledFactory() {
    static WaveSinkFactory factory;
    return factory;
}

class NullWaveSink final : public WaveSink {
public:
    int Open(const WaveFormat&) override { return WaveNoDriver; }
    int Play(std::span<const std::int16_t>) override { return WaveInvalidHandle; }
    void Abort() override {}
    void Discard() override {}
    void Resume() override {}
    void Close() override {}
};

} // namespace

WaveOut::WaveOut(std::unique_ptr<WaveSink> sink) : sink_(std::move(sink)) {}

WaveOut::~WaveOut() {
    Shutdown();
}

void WaveOut::Shutdown() {
    if (!thread_.joinable() || OnDeviceThread())
        return;
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    Reset();
    thread_.join();
    sink_->Close();
    std::lock_guard lock(mutex_);
    open_ = false;
    closing_ = false;
}

bool WaveOut::IsOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

int WaveOut::Open(const WaveFormat& format, WaveCallback callback) {
    if (IsOpen())
        return WaveError;
    if (format.channels < 1 || format.channels > 2 || format.samplesPerSecond < 8000 ||
        format.samplesPerSecond > 192000)
        return WaveBadFormat;
    if (sink_ == nullptr)
        return WaveNoDriver;
    if (const int code = sink_->Open(format); code != WaveOk)
        return code;
    format_ = format;
    callback_ = std::move(callback);
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        closing_ = false;
        queue_.clear();
    }
    thread_ = std::thread([this] { Run(); });
    return WaveOk;
}

int WaveOut::PrepareHeader(WaveHeader& header) {
    const std::uint32_t frameBytes = 2u * static_cast<std::uint32_t>(format_.channels);
    if (header.data == nullptr || header.bufferLength == 0 || header.bufferLength % frameBytes != 0)
        return WaveInvalidParameter;
    std::lock_guard lock(mutex_);
    header.flags |= WavePrepared;
    return WaveOk;
}

int WaveOut::UnprepareHeader(WaveHeader& header) {
    std::lock_guard lock(mutex_);
    if ((header.flags & WaveInQueue) != 0)
        return WaveStillPlaying;
    header.flags &= ~static_cast<std::uint32_t>(WavePrepared);
    return WaveOk;
}

int WaveOut::Write(WaveHeader& header) {
    std::lock_guard lock(mutex_);
    if (!open_ || closing_)
        return WaveInvalidHandle;
    if ((header.flags & WavePrepared) == 0)
        return WaveUnprepared;
    if ((header.flags & WaveInQueue) != 0)
        return WaveStillPlaying;
    // A loop must begin and end in one buffer: the only kind this device plays.
    if ((header.flags & kLoopFlags) != 0 && (header.flags & kLoopFlags) != kLoopFlags)
        return WaveInvalidFlag;
    header.flags = (header.flags & ~static_cast<std::uint32_t>(WaveDone)) | WaveInQueue;
    queue_.push_back(&header);
    wake_.notify_all();
    return WaveOk;
}

int WaveOut::Reset() {
    // The device thread would wait for itself.
    if (OnDeviceThread())
        return WaveError;
    std::unique_lock lock(mutex_);
    if (!open_)
        return WaveInvalidHandle;
    const std::uint64_t ticket = ++resetsAsked_;
    interrupted_ = true;
    sink_->Abort();
    wake_.notify_all();
    settled_.wait(lock, [&] { return resetsDone_ >= ticket; });
    return WaveOk;
}

int WaveOut::Close() {
    if (OnDeviceThread())
        return WaveError;
    {
        std::lock_guard lock(mutex_);
        if (!open_)
            return WaveInvalidHandle;
        if (!queue_.empty())
            return WaveStillPlaying;
    }
    Shutdown();
    return WaveOk;
}

void WaveOut::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return !queue_.empty() || resetsAsked_ != resetsDone_ || closing_; });
        if (resetsAsked_ != resetsDone_) {
            const std::uint64_t asked = resetsAsked_;
            std::deque<WaveHeader*> handedBack;
            handedBack.swap(queue_);
            for (WaveHeader* header : handedBack)
                header->flags = (header->flags & ~static_cast<std::uint32_t>(WaveInQueue)) | WaveDone;
            interrupted_ = false;
            lock.unlock();
            // What the device holds goes only when something was stopped; a reset after the last
            // buffer lets its tail play out.
            if (handedBack.empty())
                sink_->Resume();
            else
                sink_->Discard();
            for (WaveHeader* header : handedBack)
                callback_(WaveMessage::Done, header, 0);
            lock.lock();
            resetsDone_ = asked;
            settled_.notify_all();
            continue;
        }
        if (queue_.empty()) {
            if (closing_)
                break;
            continue;
        }
        WaveHeader* header = queue_.front();
        const bool looping = (header->flags & kLoopFlags) == kLoopFlags;
        const std::uint32_t plays = looping ? std::max<std::uint32_t>(header->loops, 1) : 1;
        const std::span<const std::int16_t> samples(header->data, header->bufferLength / 2);
        lock.unlock();

        int code = WaveOk;
        for (std::uint32_t play = 0; play < plays && code == WaveOk && !interrupted_; ++play)
            code = sink_->Play(samples);

        lock.lock();
        // A reset asked meanwhile hands this buffer back with the rest.
        if (resetsAsked_ != resetsDone_)
            continue;
        queue_.pop_front();
        header->flags = (header->flags & ~static_cast<std::uint32_t>(WaveInQueue)) | WaveDone;
        lock.unlock();
        if (code != WaveOk)
            callback_(WaveMessage::Error, header, code);
        callback_(WaveMessage::Done, header, 0);
        lock.lock();
    }
    lock.unlock();
    callback_(WaveMessage::Close, nullptr, 0);
}

std::unique_ptr<WaveSink> MakeNullWaveSink() {
    return std::make_unique<NullWaveSink>();
}

std::unique_ptr<WaveSink> CreateWaveSink() {
    if (const WaveSinkFactory& factory = InstalledFactory(); factory)
        return factory();
    const char* chosen = std::getenv("BORVIK_WAVE_OUT");
    if (chosen == nullptr || *chosen == '\0')
        return MakeAlsaWaveSink();
    const std::string_view name(chosen);
    if (name == "none")
        return MakeNullWaveSink();
    if (name.size() > 4 && (name.ends_with(".wav") || name.ends_with(".WAV")))
        return MakeWavFileSink(std::string(name), WavFileOptions{0, true});
    return MakeAlsaWaveSink(std::string(name));
}

WaveSinkFactory InstallWaveSinkFactory(WaveSinkFactory factory) {
    WaveSinkFactory previous = std::move(InstalledFactory());
    InstalledFactory() = std::move(factory);
    return previous;
}

} // namespace platform
