#pragma once
// What the engine needs to know of a standard MIDI file before it plays it: that it is one, how long it
// lasts and where a time falls in its ticks (the tempo map). RIFF-wrapped files (.rmi) are unwrapped.

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace media {

class MidiFile {
public:
    // A sequence longer than this is no alarm sound (and most likely a damaged or hostile file).
    static constexpr int64_t maxLengthUs = int64_t(24) * 3600 * 1'000'000;

    // False when `bytes` hold no standard MIDI file this reader understands, or one longer than maxLengthUs.
    bool read(const QByteArray& bytes);

    const QByteArray& smf() const { return smf_; }
    int64_t lengthUs() const { return usAtTick(lastTick_); }
    // Times beyond what int64_t holds come out as its largest value.
    int64_t usAtTick(int64_t tick) const;
    int64_t tickAtUs(int64_t us) const;

private:
    struct TempoPoint {
        int64_t tick;
        int64_t us;           // time of `tick` from the start
        int64_t usPerQuarter;
    };
    bool readTracks(int trackCount);

    QByteArray smf_;
    int division_ = 96;
    double usPerSmpteTick_ = 0.0;  // > 0 for a file timed in SMPTE frames
    int64_t lastTick_ = 0;
    std::vector<TempoPoint> tempo_;
};

}  // namespace media
