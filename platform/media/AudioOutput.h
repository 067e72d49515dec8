#pragma once
// Where the mixed sound goes: the SDL output in the program, a capture in the tests. The engine opens the
// output when something starts to sound and closes it when everything has been silent for a while, so that an
// idle program runs no audio thread at all.

#include <QString>

#include <cstdint>

namespace media {

inline constexpr int outputRate = 44100;  // frames per second of everything the engine produces
inline constexpr int outputChannels = 2;

// How the output's clock relates to the producers.
enum class OutputClock {
    RealTime,  // a sound card: rendering never waits; a producer that is late leaves a gap
    Paced,     // a recorder at its own speed: rendering waits for producers, silence passes in real time
    Manual,    // a recorder driven by hand: rendering waits for producers, silence takes no time
};

// What an output pulls from: the engine's mixer.
class AudioRenderer {
public:
    virtual ~AudioRenderer() = default;
    // Fills `frames` frames of interleaved stereo 16-bit samples.
    virtual void render(int16_t* out, int frames, OutputClock clock) = 0;
    // True when no source is sounding (what would be rendered is silence).
    virtual bool silent() const = 0;
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts pulling from `renderer`. False, with a reason in `error`, when there is no audio output.
    virtual bool open(AudioRenderer& renderer, QString& error) = 0;
    // Stops pulling; returns when the renderer is no longer called.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // While locked, the renderer is not being called. Only brief changes happen under the lock.
    virtual void lock() = 0;
    virtual void unlock() = 0;
    // True when the engine should close the output once all is silent (false for a recorder that keeps one
    // continuous recording).
    virtual bool closesWhenIdle() const = 0;
};

// The real output: SDL2 audio (PipeWire, PulseAudio or ALSA, whichever the desktop has; SDL's "disk" driver
// in the tests, which records the mixed sound).
class SdlOutput final : public AudioOutput {
public:
    SdlOutput();
    ~SdlOutput() override;
    bool open(AudioRenderer& renderer, QString& error) override;
    void close() override;
    bool isOpen() const override { return device_ != 0; }
    void lock() override;
    void unlock() override;
    bool closesWhenIdle() const override { return clock_ == OutputClock::RealTime; }

private:
    static void callback(void* self, uint8_t* stream, int bytes);
    uint32_t device_ = 0;
    AudioRenderer* renderer_ = nullptr;
    OutputClock clock_ = OutputClock::RealTime;
};

}  // namespace media
