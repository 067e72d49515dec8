#include "platform/media/Mixer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace media {

namespace {

constexpr double beepHz = 880.0;
constexpr double beepToneSeconds = 0.15;
constexpr double beepGapSeconds = 0.10;
constexpr double beepFadeSeconds = 0.005;
constexpr float beepAmplitude = 0.5F;
// A gain change is spread over this many frames, so a volume step does not click.
constexpr int gainRampFrames = 256;
// How long a recorder waits for a late producer before it lets a gap through: a recording is meant to hold every
// sample, so only a producer that has stopped altogether (not merely one starved of processor time on a busy
// machine) may leave a gap.
constexpr auto producerPatience = std::chrono::seconds(10);

int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::array<float, 2> gains(uint32_t volume)
{
    return {float(volume & 0xFFFFU) / 65535.0F, float(volume >> 16) / 65535.0F};
}

}  // namespace

Mixer::Mixer()
{
    for (auto& v : volume_)
        v.store(0xFFFFFFFFU);
    for (auto& g : appliedGain_)
        g = {1.0F, 1.0F};
    for (auto& b : bus_)
        b.assign(size_t(blockFrames) * 2, 0.0F);

    appendToneBurst(beepTone_, beepHz, beepToneSeconds, beepGapSeconds, beepAmplitude);
}

void appendToneBurst(std::vector<float>& stereo, double hz, double seconds, double gapSeconds, float amplitude)
{
    const auto toneFrames = size_t(seconds * outputRate);
    const auto gapFrames = size_t(gapSeconds * outputRate);
    const double fadeFrames = beepFadeSeconds * outputRate;
    const size_t at = stereo.size();
    stereo.resize(at + (toneFrames + gapFrames) * 2, 0.0F);
    for (size_t i = 0; i < toneFrames; ++i) {
        const double edge = std::min({1.0, double(i) / fadeFrames, double(toneFrames - 1 - i) / fadeFrames});
        const auto s = float(std::sin(2.0 * M_PI * hz * double(i) / outputRate) * edge) * amplitude;
        stereo[at + i * 2] = s;
        stereo[at + i * 2 + 1] = s;
    }
}

bool Mixer::attach(Voice* voice)
{
    for (auto& slot : voices_) {
        if (slot.load(std::memory_order_relaxed) == nullptr) {
            slot.store(voice, std::memory_order_release);
            return true;
        }
    }
    return false;
}

void Mixer::detach(Voice* voice)
{
    for (auto& slot : voices_) {
        if (slot.load(std::memory_order_relaxed) == voice)
            slot.store(nullptr, std::memory_order_release);
    }
}

bool Mixer::silent() const
{
    if (pendingBeeps_.load(std::memory_order_acquire) > 0)
        return false;
    for (const auto& slot : voices_) {
        const Voice* v = slot.load(std::memory_order_acquire);
        if (v && !v->drained() && !v->stopRequested.load(std::memory_order_acquire))
            return false;
    }
    return true;
}

void Mixer::render(int16_t* out, int frames, OutputClock clock)
{
    while (frames > 0) {
        const int n = std::min(frames, blockFrames);
        renderBlock(out, n, clock);
        out += ptrdiff_t(n) * 2;
        frames -= n;
    }
}

void Mixer::waitForProducer(Voice& voice, size_t frames)
{
    const auto deadline = std::chrono::steady_clock::now() + producerPatience;
    while (voice.ring.available() < frames && !voice.allWritten() &&
           !voice.stopRequested.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
}

void Mixer::renderBlock(int16_t* out, int frames, OutputClock clock)
{
    const auto n = size_t(frames);
    if (clock == OutputClock::Paced && silent()) {
        // A recorder hears silence pass at the speed of a real device.
        std::this_thread::sleep_for(std::chrono::microseconds(int64_t(n) * 1'000'000 / outputRate));
    }
    for (auto& b : bus_)
        std::fill_n(b.begin(), n * 2, 0.0F);
    std::array<bool, 2> sounds{};

    for (auto& slot : voices_) {
        Voice* v = slot.load(std::memory_order_acquire);
        if (!v || v->drained() || v->stopRequested.load(std::memory_order_acquire))
            continue;
        if (clock != OutputClock::RealTime)
            waitForProducer(*v, n);
        const size_t got = v->ring.mixInto(bus_[int(v->bus)].data(), n);
        if (got > 0) {
            sounds[int(v->bus)] = true;
            if (v->firstMixNs.load(std::memory_order_relaxed) == 0)
                v->firstMixNs.store(steadyNs(), std::memory_order_relaxed);
            v->mixedFrames.fetch_add(got, std::memory_order_release);
        }
        v->wake.fetch_add(1, std::memory_order_release);
        v->wake.notify_all();
    }

    // Queued beeps, one after the other.
    size_t at = 0;
    while (at < n && pendingBeeps_.load(std::memory_order_acquire) > 0) {
        const size_t take = std::min(n - at, beepTone_.size() / 2 - beepPos_);
        float* bus = bus_[int(Bus::Wave)].data();
        sounds[int(Bus::Wave)] = true;
        for (size_t i = 0; i < take * 2; ++i)
            bus[at * 2 + i] += beepTone_[beepPos_ * 2 + i];
        at += take;
        beepPos_ += take;
        if (beepPos_ * 2 == beepTone_.size()) {
            beepPos_ = 0;
            pendingBeeps_.fetch_sub(1, std::memory_order_acq_rel);
        }
    }

    // Each bus at its own gain, moved towards the volume set over a few hundred frames while it sounds. A bus
    // that was silent takes the volume set at once: a sound starts at the volume set before it, from its first
    // sample, never from a level left over from an earlier sound.
    std::array<std::array<float, 2>, 2> target{gains(volume(Bus::Wave)), gains(volume(Bus::Aux))};
    for (int b = 0; b < 2; ++b) {
        if (!sounded_[b])
            appliedGain_[b] = target[b];
        sounded_[b] = sounds[b];
    }
    for (size_t i = 0; i < n; ++i) {
        const float t = i < size_t(gainRampFrames) ? float(i + 1) / gainRampFrames : 1.0F;
        for (int c = 0; c < 2; ++c) {
            float sum = 0.0F;
            for (int b = 0; b < 2; ++b) {
                const float g = appliedGain_[b][c] + (target[b][c] - appliedGain_[b][c]) * t;
                sum += bus_[b][i * 2 + c] * g;
            }
            const float scaled = std::clamp(sum * 32767.0F, -32768.0F, 32767.0F);
            out[i * 2 + c] = int16_t(std::lrint(scaled));
        }
    }
    if (n >= size_t(gainRampFrames))
        appliedGain_ = target;
    else {
        const float t = float(n) / gainRampFrames;
        for (int b = 0; b < 2; ++b)
            for (int c = 0; c < 2; ++c)
                appliedGain_[b][c] += (target[b][c] - appliedGain_[b][c]) * t;
    }
}

}  // namespace media
