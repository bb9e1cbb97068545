#pragma once
// The engine rendering into a WAV file, with its posted stop messages collected so that the test
// delivers them on its own thread as the window would.

#include "siggen/WaveDevice.h"
#include "tests/platform/TempFolders.h"
#include "tests/platform/WavReader.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace siggentest {

// Stop messages posted from the device thread.
class StopMailbox {
public:
    void Post(std::uint64_t session) {
        {
            std::lock_guard lock(mutex_);
            sessions_.push_back(session);
        }
        changed_.notify_all();
    }
    std::optional<std::uint64_t> Wait(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, timeout, [&] { return !sessions_.empty(); }))
            return std::nullopt;
        const std::uint64_t session = sessions_.front();
        sessions_.pop_front();
        return session;
    }
    std::vector<std::uint64_t> TakeAll() {
        std::lock_guard lock(mutex_);
        std::vector<std::uint64_t> all(sessions_.begin(), sessions_.end());
        sessions_.clear();
        return all;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::uint64_t> sessions_;
};

struct Report {
    platform::MessageKind kind;
    std::string text;
};

// An engine with its hooks recorded, rendering into "out.wav" of a temporary folder.
class RecordingEngine {
public:
    explicit RecordingEngine(platform::WavFileOptions options = {})
        : progress(std::make_shared<platform::WavFileProgress>()),
          sinkScope_([this, options] { return platform::MakeWavFileSink(File(), options, progress); }) {
        engine.SetHooks({[this] { ++starts; }, [this] { ++stops; },
                         [this](std::uint64_t s) { mailbox.Post(s); },
                         [this](platform::MessageKind kind, const std::string& text) {
                             reports.push_back({kind, text});
                         }});
    }

    std::filesystem::path File() const { return folder_.path() / "out.wav"; }
    std::vector<std::int16_t> Samples() const {
        const auto wav = platformtest::ReadWav(File());
        return wav ? wav->samples : std::vector<std::int16_t>{};
    }

    platformtest::TempFolder folder_{"borvik-siggen"};
    std::shared_ptr<platform::WavFileProgress> progress;
    StopMailbox mailbox;
    std::vector<Report> reports;
    int starts = 0;
    int stops = 0;
    // After what its hooks reach, so that it goes first.
    TWaveDevice engine;

private:
    platform::ScopedWaveSink sinkScope_;
};

} // namespace siggentest
