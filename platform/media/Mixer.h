#pragma once
// The mixer: every sounding source is a Voice whose worker fills a ring buffer ahead of time; the output
// pulls mixed blocks from here. Sound files, MIDI and the beep go through the wave bus (wave-output device 0),
// CD audio through the auxiliary bus (auxiliary device 0); each bus has its own left and right gain.

#include "platform/media/AudioOutput.h"
#include "platform/media/RingBuffer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace media {

enum class Bus { Wave = 0, Aux = 1 };

// One playback on its way to the output. The worker writes into `ring`; the output callback reads and counts
// what it mixed. The worker names the total number of frames as soon as it knows where the sound ends (before
// the last of them go into the ring), so that the end is seen the moment the last frame has been mixed, however
// late the worker runs.
struct Voice {
    static constexpr uint64_t unknownEnd = UINT64_MAX;

    Voice(size_t ringFrames, Bus bus) : ring(ringFrames), bus(bus) {}
    RingBuffer ring;
    const Bus bus;
    std::atomic<uint64_t> endFrames{unknownEnd};  // how many frames the worker writes in all, once known
    std::atomic<uint32_t> error{0};          // the worker stopped: the media could not be read (an error code)
    std::atomic<bool> stopRequested{false};  // no more mixing, the worker ends
    std::atomic<uint64_t> mixedFrames{0};
    std::atomic<int64_t> firstMixNs{0};      // steady-clock time of the first mixed frame, 0 before
    std::atomic<uint32_t> wake{0};           // bumped after every mixed block and on stop; the worker waits on it

    // The worker has written its last frame.
    bool allWritten() const
    {
        const uint64_t end = endFrames.load(std::memory_order_acquire);
        return end != unknownEnd && ring.written() >= end;
    }
    // The last frame has been mixed.
    bool drained() const
    {
        const uint64_t end = endFrames.load(std::memory_order_acquire);
        return end != unknownEnd && ring.consumed() >= end;
    }

    void requestStop()
    {
        stopRequested.store(true, std::memory_order_release);
        wake.fetch_add(1, std::memory_order_release);
        wake.notify_all();
    }
};

// What the devices ask of the engine: a place in the mixer for a voice and an output that pulls it.
class VoiceHost {
public:
    virtual ~VoiceHost() = default;
    // Opens the output if needed and attaches the voice. Returns 0 or an error code (no audio output).
    virtual uint32_t startVoice(Voice& voice) = 0;
    virtual void endVoice(Voice& voice) = 0;
};

// Appends to `stereo` (interleaved, both channels alike) `seconds` of a sine of `hz` at `amplitude`, faded in and
// out over a few milliseconds so that it does not click, then `gapSeconds` of silence: the beep, and the beeps of
// the alarm tone.
void appendToneBurst(std::vector<float>& stereo, double hz, double seconds, double gapSeconds, float amplitude);

class Mixer final : public AudioRenderer {
public:
    static constexpr int maxVoices = 8;
    static constexpr int blockFrames = 1024;

    Mixer();

    // Both with the output locked (or closed): the callback does not run meanwhile.
    bool attach(Voice* voice);
    void detach(Voice* voice);

    // Volume words: low 16 bits left, high 16 bits right, 0 to 65535, linear. Any thread.
    void setVolume(Bus bus, uint32_t volume) { volume_[int(bus)].store(volume, std::memory_order_relaxed); }
    uint32_t volume(Bus bus) const { return volume_[int(bus)].load(std::memory_order_relaxed); }

    // Queues one short tone on the wave bus; queued tones follow each other.
    void beep() { pendingBeeps_.fetch_add(1, std::memory_order_release); }

    void render(int16_t* out, int frames, OutputClock clock) override;
    bool silent() const override;

private:
    void renderBlock(int16_t* out, int frames, OutputClock clock);
    static void waitForProducer(Voice& voice, size_t frames);

    std::array<std::atomic<Voice*>, maxVoices> voices_{};
    std::array<std::atomic<uint32_t>, 2> volume_{};
    std::atomic<int> pendingBeeps_{0};

    // Owned by the output callback.
    std::vector<float> beepTone_;
    size_t beepPos_ = 0;
    std::array<std::vector<float>, 2> bus_;
    std::array<std::array<float, 2>, 2> appliedGain_{};
    std::array<bool, 2> sounded_{};  // a bus carried sound in the last block
};

}  // namespace media
