#pragma once
// Wave output: PCM buffers queued to a sound device and handed back, one by one, through a
// callback on the device's own thread as they finish.
//
// The client writes a buffer, the device plays it and reports it done; the client may refill
// and write it again from inside that report. Reset hands back every queued buffer at once;
// Close reports the device closed after the last buffer report. Where the samples go is a sink:
// the sound card through ALSA, a WAV file, or nothing at all (no sound device).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

namespace platform {

// Result codes, numbered as the multimedia results whose texts the signal generator shows.
enum WaveResult : int {
    WaveOk = 0,
    WaveError = 1,         // unspecified error
    WaveInvalidHandle = 5, // the device is not open
    WaveNoDriver = 6,      // no sound device
    WaveNoMemory = 7,
    WaveInvalidFlag = 10,
    WaveInvalidParameter = 11,
    WaveBadFormat = 32,
    WaveStillPlaying = 33,
    WaveUnprepared = 34,
    WaveCannotOpen = 259, // a file sink's file
    WaveCannotWrite = 262,
};

// 16-bit PCM.
struct WaveFormat {
    int channels = 1;
    int samplesPerSecond = 44100;
};

// Header flags.
enum WaveHeaderFlag : std::uint32_t {
    WaveDone = 1,
    WavePrepared = 2,
    WaveBeginLoop = 4, // a loop starts with this buffer ...
    WaveEndLoop = 8,   // ... and ends with it; only single-buffer loops are played
    WaveInQueue = 16,
};

// One buffer and its state. The client owns the memory and must not touch a queued buffer.
struct WaveHeader {
    std::int16_t* data = nullptr;
    std::uint32_t bufferLength = 0; // bytes
    std::uint32_t flags = 0;        // WaveHeaderFlag; the device sets Done, Prepared and InQueue
    std::uint32_t loops = 0;        // plays of a looping buffer
};

enum class WaveMessage {
    Done = 957,  // a buffer is handed back
    Close = 956, // the device closed; no report follows
    Error = 1,   // the device failed while playing (code in the report); its buffers follow as done
};

// Called on the device's thread, never while the device holds its own lock: the client may write
// buffers from inside, but must not reset or close the device there.
using WaveCallback = std::function<void(WaveMessage message, WaveHeader* header, int code)>;

// Where the samples go. Open and Close run on the client's thread; Play and Discard on the device
// thread only; Abort on any thread.
class WaveSink {
public:
    virtual ~WaveSink() = default;
    virtual int Open(const WaveFormat& format) = 0;
    // Plays the samples, returning when the device took them all or Abort was called.
    virtual int Play(std::span<const std::int16_t> samples) = 0;
    // Makes a running or the next Play return at once, until Discard or Resume.
    virtual void Abort() = 0;
    // Drops what the device still holds and clears the abort.
    virtual void Discard() = 0;
    // Clears the abort, keeping what the device holds.
    virtual void Resume() = 0;
    // Lets the device play what it holds, then closes.
    virtual void Close() = 0;
};

// The device: one thread plays the queued buffers in order through the sink.
class WaveOut {
public:
    explicit WaveOut(std::unique_ptr<WaveSink> sink);
    ~WaveOut(); // resets and closes when still open
    WaveOut(const WaveOut&) = delete;
    WaveOut& operator=(const WaveOut&) = delete;

    int Open(const WaveFormat& format, WaveCallback callback);
    int PrepareHeader(WaveHeader& header);
    int UnprepareHeader(WaveHeader& header); // WaveStillPlaying while queued
    int Write(WaveHeader& header);
    // Stops playing and hands back every queued buffer before returning.
    int Reset();
    // WaveStillPlaying while buffers are queued; otherwise reports Close and ends the thread.
    int Close();
    bool IsOpen() const;

private:
    void Run();
    // Refuses further writes, hands back what is queued and ends the thread, whatever the state.
    void Shutdown();
    bool OnDeviceThread() const { return std::this_thread::get_id() == thread_.get_id(); }

    std::unique_ptr<WaveSink> sink_;
    WaveCallback callback_;
    WaveFormat format_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable settled_;
    std::deque<WaveHeader*> queue_;
    WaveHeader* playing_ = nullptr;
    std::uint64_t resetsAsked_ = 0;
    std::uint64_t resetsDone_ = 0;
    std::atomic<bool> interrupted_{false}; // a reset is asked: a looping buffer stops looping
    bool open_ = false;
    bool closing_ = false;
};

// Sinks.

// No sound device: every open fails with WaveNoDriver.
std::unique_ptr<WaveSink> MakeNullWaveSink();

// The sound card through ALSA's PCM device `device` ("default": the user's default output).
std::unique_ptr<WaveSink> MakeAlsaWaveSink(std::string device = "default");

// Renders into a WAV file. The file is complete when the sink closes.
struct WavFileOptions {
    // Samples after which the "device" stalls: further Play calls block until aborted and write
    // nothing. 0: no limit. Lets a test take a fixed, repeatable stretch of an endless signal.
    std::uint64_t sampleLimit = 0;
    // Paces the output in real time, as a sound card would, instead of as fast as possible.
    bool realTime = false;
};

// What a WAV sink has written so far, shared with the test or check that made it.
class WavFileProgress {
public:
    std::uint64_t Samples() const { return samples_.load(); }
    // Waits until at least `samples` were written or `timeout` passed; true when reached.
    bool WaitForSamples(std::uint64_t samples, std::chrono::milliseconds timeout) const;

private:
    friend class WavFileSink;
    void Add(std::uint64_t samples);

    std::atomic<std::uint64_t> samples_{0};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
};

std::unique_ptr<WaveSink> MakeWavFileSink(std::filesystem::path file, WavFileOptions options = {},
                                          std::shared_ptr<WavFileProgress> progress = nullptr);

// The sink a new device gets: from the installed factory, else from the environment variable
// BORVIK_WAVE_OUT ("none": no device; a name ending in ".wav": that file, paced in real time;
// another text: that ALSA device), else ALSA's default device.
using WaveSinkFactory = std::function<std::unique_ptr<WaveSink>()>;
std::unique_ptr<WaveSink> CreateWaveSink();
// Installs a factory (an empty one goes back to the default) and returns the previous one.
WaveSinkFactory InstallWaveSinkFactory(WaveSinkFactory factory);

// Installs a factory for one scope, e.g. a test's WAV sink, and puts the previous back.
class ScopedWaveSink {
public:
    explicit ScopedWaveSink(WaveSinkFactory factory)
        : previous_(InstallWaveSinkFactory(std::move(factory))) {}
    ~ScopedWaveSink() { InstallWaveSinkFactory(std::move(previous_)); }
    ScopedWaveSink(const ScopedWaveSink&) = delete;
    ScopedWaveSink& operator=(const ScopedWaveSink&) = delete;

private:
    WaveSinkFactory previous_;
};

} // namespace platform
