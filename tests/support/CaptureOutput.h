#pragma once
// An audio output for tests and benchmarks that records what the engine mixes, sample for sample.
// Free: a thread of its own pulls whenever something sounds (as fast as the producers go) and records only
// sound, back to back. Manual: nothing is pulled until the test calls pull(), so the test decides how much
// time passes between two commands.

#include "platform/media/AudioOutput.h"
#include "tests/support/audio_fixtures.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

class CaptureOutput final : public media::AudioOutput {
public:
    enum class Mode { Free, Manual };
    explicit CaptureOutput(Mode mode = Mode::Free);
    ~CaptureOutput() override;

    // Makes open() fail, as on a machine without a sound device.
    void setFailOpen(bool fail) { failOpen_ = fail; }

    // Manual mode: renders and records `frames` frames. False (nothing recorded) while the output is closed.
    bool pull(int frames);

    audiofix::Audio audio() const;
    void clearRecording();
    int opens() const { return opens_.load(); }
    int closes() const { return closes_.load(); }

    bool open(media::AudioRenderer& renderer, QString& error) override;
    void close() override;
    bool isOpen() const override { return open_.load(); }
    void lock() override { mutex_.lock(); }
    void unlock() override { mutex_.unlock(); }
    bool closesWhenIdle() const override { return true; }

private:
    void run();

    const Mode mode_;
    std::atomic<bool> failOpen_{false};
    mutable std::mutex mutex_;  // held while rendering
    media::AudioRenderer* renderer_ = nullptr;
    std::atomic<bool> open_{false};
    std::atomic<int> opens_{0};
    std::atomic<int> closes_{0};
    std::vector<int16_t> recording_;
    std::thread thread_;
};
