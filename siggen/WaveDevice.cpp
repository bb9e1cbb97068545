#include "siggen/WaveDevice.h"

#include "model/HV_Math.h"
#include "siggen/mmErrMsg.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using platform::MessageKind;
using platform::WaveHeader;
using platform::WaveMessage;

namespace {

constexpr std::uint32_t kPhaseMask = 0x3FFFFFFF;
constexpr std::uint32_t kNoLoopCount = 0xFFFF;

// The program's rounding: to the nearest integer, halves to the even neighbour.
double RoundEven(double x) {
    return std::nearbyint(x);
}

// Whether an engine holds the buffers; the engine is one per program.
std::atomic<bool> buffersTaken{false};

// The noise sequence goes on from window to window; touched only by the engine holding the
// buffers, under its lock.
TNoiseGenerator noise;

// exp(ln(f2/f1) / intervals); 1 when the ends cannot give a ratio.
double SweepRatio(double f1, double f2, int intervals) {
    if (!(f1 > 0) || !(f2 > 0) || !std::isfinite(f1) || !std::isfinite(f2) || intervals <= 0)
        return 1;
    return std::exp(std::log(f2 / f1) / intervals);
}

} // namespace

double AttenuationGain(double attenuation) {
    return 1 / RealPower(10, attenuation / 20);
}

void BuildSineTable(TSineTable& table, double gain) {
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<std::int16_t>(
            std::clamp(RoundEven(std::sin(2 * std::numbers::pi * static_cast<double>(i) / kSineTableSize) *
                                 32767 * gain),
                       -32767.0, 32767.0));
}

std::uint32_t PhaseStep(double frequency) {
    // A whole period per sample is the same as none; a frequency that is no number plays silence.
    if (!std::isfinite(frequency))
        return 0;
    const double step =
        RoundEven(std::clamp(frequency, 0.0, double{kSampleRate}) * 1073741824.0 / kSampleRate);
    return static_cast<std::uint32_t>(step) & kPhaseMask;
}

void SynthesizeSine(const TSineTable& table, std::uint32_t& phase, double frequency,
                    std::span<std::int16_t> samples) {
    const std::uint32_t step = PhaseStep(frequency);
    std::uint32_t at = phase & kPhaseMask;
    for (std::int16_t& sample : samples) {
        sample = table[at >> 15];
        at = (at + step) & kPhaseMask;
    }
    phase = at;
}

std::int16_t TNoiseGenerator::Next(double gain) {
    seed_ = seed_ * 134775813u + 1u;
    const double u = seed_ / 4294967296.0;
    // At full gain the top of the scale would be 32768, one past the 16-bit range.
    return static_cast<std::int16_t>(std::clamp(RoundEven((u * 65535 - 32767) * gain), -32768.0, 32767.0));
}

void TNoiseGenerator::Fill(std::span<std::int16_t> samples, double gain) {
    for (std::int16_t& sample : samples)
        sample = Next(gain);
}

std::size_t BuildSweepBuffer(const TSineTable& table, std::uint32_t& phase, double f1, double f2, int steps,
                             std::span<std::int16_t> buffer) {
    if (steps < 2)
        return 0;
    const double ratio = SweepRatio(f1, f2, steps - 1);
    const int lead = steps / 3;
    const auto segments = static_cast<std::size_t>(steps + lead);
    const std::size_t segmentLength = buffer.size() / segments;
    phase = 0;
    double frequency = f1;
    std::size_t at = 0;
    for (std::size_t j = 1; j <= segments; ++j) {
        const auto segment = buffer.subspan(at, segmentLength);
        if (j <= static_cast<std::size_t>(lead)) {
            std::fill(segment.begin(), segment.end(), std::int16_t{0});
        } else {
            SynthesizeSine(table, phase, frequency, segment);
            frequency *= ratio;
        }
        at += segmentLength;
    }
    return at;
}

// ---------------------------------------------------------------------------------------------

TWaveDevice::~TWaveDevice() {
    FreeWaveBuffers();
}

void TWaveDevice::ResetNoiseSequence() {
    noise = TNoiseGenerator();
}

bool TWaveDevice::AllocWaveBuffers() {
    if (allocated_ || buffersTaken.exchange(true)) {
        Report({{MessageKind::Plain, "WaveOut device routines are allocated by other module"}});
        return false;
    }
    buffer1_.assign(kBufferSamples, 0);
    buffer2_.assign(kBufferSamples, 0);
    header1_ = {};
    header2_ = {};
    sineTable_ = std::make_unique<TSineTable>();
    {
        std::lock_guard lock(lock_);
        tableBuilt_ = false;
    }
    closing_ = false;
    stopping_ = false;
    playing_ = false;
    device_.reset();
    allocated_ = true;
    return true;
}

void TWaveDevice::FreeWaveBuffers() {
    if (!allocated_)
        return;
    // The device may still hold the buffers (a sweep that ended by itself and was never stopped).
    StopPlayback();
    closing_ = true;
    buffer1_ = {};
    buffer2_ = {};
    sineTable_.reset();
    allocated_ = false;
    buffersTaken = false;
}

void TWaveDevice::SetClosing() {
    std::lock_guard lock(lock_);
    closing_ = true;
}

void TWaveDevice::SetMode(std::uint8_t mode) {
    std::lock_guard lock(lock_);
    if (mode >= kModeFastSweep && mode <= kModeWhiteNoise)
        mode_ = mode;
}

void TWaveDevice::SetF1(double frequency) {
    std::lock_guard lock(lock_);
    f1_ = frequency;
}

void TWaveDevice::SetF2(double frequency) {
    std::lock_guard lock(lock_);
    f2_ = frequency;
}

void TWaveDevice::SetCurrentFrequency(double frequency) {
    std::lock_guard lock(lock_);
    currentFrequency_ = frequency;
}

void TWaveDevice::SetAttenuation(double attenuation) {
    std::lock_guard lock(lock_);
    attenuation_ = attenuation;
}

void TWaveDevice::ClearTableBuilt() {
    std::lock_guard lock(lock_);
    tableBuilt_ = false;
}

std::uint8_t TWaveDevice::Mode() const {
    std::lock_guard lock(lock_);
    return mode_;
}

double TWaveDevice::F1() const {
    std::lock_guard lock(lock_);
    return f1_;
}

double TWaveDevice::F2() const {
    std::lock_guard lock(lock_);
    return f2_;
}

double TWaveDevice::Attenuation() const {
    std::lock_guard lock(lock_);
    return attenuation_;
}

double TWaveDevice::CurrentFrequency() const {
    std::lock_guard lock(lock_);
    return currentFrequency_;
}

int TWaveDevice::Written() const {
    std::lock_guard lock(lock_);
    return written_;
}

int TWaveDevice::Done() const {
    std::lock_guard lock(lock_);
    return done_;
}

void TWaveDevice::Report(const std::vector<TPendingReport>& reports) const {
    if (!hooks_.report)
        return;
    for (const TPendingReport& report : reports)
        hooks_.report(report.kind, report.text);
}

void TWaveDevice::ReportMMError(std::vector<TPendingReport>& reports, const char* call, int code) const {
    if (code != 0)
        reports.push_back({MessageKind::Plain, MMErrorMessage(call, code)});
}

void TWaveDevice::StartPlayback() {
    if (device_ != nullptr)
        StopPlayback();
    if (!allocated_)
        return;
    std::vector<TPendingReport> reports;
    {
        std::lock_guard lock(lock_);
        stopping_ = false;
        closing_ = false;
        phase_ = 0;
        failure_ = 0;
    }
    const std::uint64_t session = ++session_;
    device_ = std::make_unique<platform::WaveOut>(platform::CreateWaveSink());
    const int code = device_->Open(platform::WaveFormat{1, kSampleRate},
                                   [this, session](WaveMessage message, WaveHeader* header, int reported) {
                                       OnWaveMessage(session, message, header, reported);
                                   });
    if (code != 0) {
        playing_ = false;
        device_.reset();
        Report({{MessageKind::Warning, "Error opening waveform audio!\n" + TranslateMMError(code)}});
        return;
    }
    {
        // Held while both buffers go out, so that a device quicker than this thread reports the
        // first one done only once the second is queued.
        std::lock_guard lock(lock_);
        QueueFirstBuffers(reports);
    }
    Report(reports);
    if (hooks_.onStart)
        hooks_.onStart();
}

void TWaveDevice::QueueFirstBuffers(std::vector<TPendingReport>& reports) {
    if (!tableBuilt_) {
        gain_ = AttenuationGain(attenuation_);
        BuildSineTable(*sineTable_, gain_);
        tableBuilt_ = true;
    }
    header1_ = {};
    header1_.data = buffer1_.data();
    header1_.loops = 1;
    header2_ = header1_;
    header2_.data = buffer2_.data();
    playing_ = true;
    if (mode_ == kModeFastSweep) {
        const std::size_t samples =
            BuildSweepBuffer(*sineTable_, phase_, f1_, f2_, kFastSweepSteps, buffer1_);
        header1_.bufferLength = static_cast<std::uint32_t>(2 * samples);
        header1_.flags = platform::WaveBeginLoop | platform::WaveEndLoop;
        header1_.loops = kNoLoopCount;
        ReportMMError(reports, "waveOutPrepareHeader1", device_->PrepareHeader(header1_));
        ReportMMError(reports, "waveOutWrite", device_->Write(header1_));
        return;
    }
    header1_.bufferLength = header2_.bufferLength = static_cast<std::uint32_t>(2 * kRefillSamples);
    ratio_ = SweepRatio(f1_, f2_, kSlowSweepBuffers - 1);
    currentFrequency_ = f1_;
    written_ = 0;
    done_ = 0;
    sweepIndex_ = 0;
    pastEnd_ = false;
    ReportMMError(reports, "waveOutPrepareHeader1", device_->PrepareHeader(header1_));
    RefillBuffer(header1_);
    ReportMMError(reports, "waveOutPrepareHeader2", device_->PrepareHeader(header2_));
    RefillBuffer(header2_);
}

void TWaveDevice::RefillBuffer(WaveHeader& header) {
    if (closing_)
        return;
    const std::span<std::int16_t> samples(header.data, header.bufferLength / 2);
    if (mode_ == kModeWhiteNoise)
        noise.Fill(samples, gain_);
    else
        SynthesizeSine(*sineTable_, phase_, currentFrequency_, samples);
    device_->Write(header);
    ++written_;
    if (mode_ == kModeSlowSweep) {
        currentFrequency_ *= ratio_;
        // Counted, not compared: rounding in the ratio must neither cut the sweep short nor run
        // it past its end.
        pastEnd_ = ++sweepIndex_ >= kSlowSweepBuffers;
    } else {
        pastEnd_ = false;
    }
}

void TWaveDevice::OnWaveMessage(std::uint64_t session, WaveMessage message, WaveHeader* header, int code) {
    bool postStop = false;
    {
        std::lock_guard lock(lock_);
        if (message == WaveMessage::Error) {
            // The device failed: no more refills, and the window stops and says why.
            if (failure_ == 0)
                failure_ = code;
            closing_ = true;
            postStop = true;
        } else if (message == WaveMessage::Done && header != nullptr) {
            if (closing_) {
                postStop = true;
            } else if (mode_ != kModeFastSweep) {
                ++done_;
                if (!pastEnd_ && done_ < written_) {
                    RefillBuffer(*header);
                } else {
                    // The sweep has played out; the next report asks the window to stop.
                    closing_ = true;
                    playing_ = false;
                    stopping_ = false;
                }
            }
        }
    }
    if (postStop && hooks_.postStopMessage)
        hooks_.postStopMessage(session);
}

void TWaveDevice::HandleStopMessage(std::uint64_t session) {
    // A stop asked by an earlier session (queued while that one was stopped) leaves a new one alone.
    if (session == session_)
        StopPlayback();
}

void TWaveDevice::StopPlayback() {
    if (device_ == nullptr)
        return;
    if (stopping_)
        return;
    {
        // Under the lock: a refill under way finishes before, and no refill follows.
        std::lock_guard lock(lock_);
        closing_ = true;
        stopping_ = true;
    }
    std::vector<TPendingReport> reports;
    ReportMMError(reports, "waveOutReset", device_->Reset());
    ReportMMError(reports, "waveOutClose", device_->Close());
    device_->UnprepareHeader(header1_);
    device_->UnprepareHeader(header2_);
    device_.reset();
    playing_ = false;
    int failure = 0;
    {
        std::lock_guard lock(lock_);
        failure = failure_;
        failure_ = 0;
    }
    ReportMMError(reports, "waveOutWrite", failure);
    Report(reports);
    if (hooks_.onStop)
        hooks_.onStop();
}

void TWaveDevice::RestartIfPlaying() {
    if (playing_)
        StartPlayback();
}
