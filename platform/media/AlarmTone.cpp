// The "alarmtone" device: Dawnbell's own alarm tone, synthesised here, so that an alarm whose chosen sources
// cannot sound (a file gone, no disc, no sound font) still rings with nothing but an audio output. Four short
// beeps and a pause, over and over, on the wave bus (the sound files' volume and ramp), until it is stopped; its
// length is a day.

#include "platform/media/MciDevice.h"
#include "platform/media/MciErrors.h"

#include <algorithm>
#include <vector>

namespace media {

namespace {

constexpr int beepsPerCycle = 4;
constexpr double beepSeconds = 0.1;
constexpr double beepGapSeconds = 0.1;
constexpr double pauseSeconds = 0.6;
constexpr float toneAmplitude = 0.6F;
constexpr int64_t lengthFrames = int64_t(outputRate) * 24 * 3600;

class ToneSource final : public MediaSource {
public:
    ToneSource()
    {
        for (int i = 0; i < beepsPerCycle; ++i)
            appendToneBurst(cycle_, alarmToneHz, beepSeconds, i + 1 < beepsPerCycle ? beepGapSeconds : pauseSeconds,
                            toneAmplitude);
    }

    int64_t endFrame() const override { return lengthFrames; }
    uint32_t failureError() const override { return mci::DeviceFailed; }

    uint32_t prepare(int64_t from, int64_t to) override
    {
        next_ = from;
        end_ = to;
        return mci::NoError;
    }

    int read(float* out, int frames, const std::atomic<bool>& /*stop*/) override
    {
        const auto cycleFrames = int64_t(cycle_.size() / 2);
        int done = 0;
        while (done < frames && next_ < end_) {
            const int64_t at = next_ % cycleFrames;
            const int n = int(std::min({int64_t(frames - done), cycleFrames - at, end_ - next_}));
            std::copy_n(cycle_.begin() + ptrdiff_t(at * 2), size_t(n) * 2, out + ptrdiff_t(done) * 2);
            done += n;
            next_ += n;
        }
        return done;
    }

    bool atEnd() const override { return next_ >= end_; }

private:
    std::vector<float> cycle_;  // one cycle of beeps and pause, interleaved stereo
    int64_t next_ = 0;
    int64_t end_ = 0;
};

class AlarmToneDevice final : public MciDevice {
public:
    explicit AlarmToneDevice(VoiceHost& host) : MciDevice(std::make_unique<ToneSource>(), Bus::Wave, host) {}
    QString deviceType() const override { return QStringLiteral("alarmtone"); }
};

}  // namespace

std::unique_ptr<MciDevice> openAlarmTone(VoiceHost& host)
{
    return std::make_unique<AlarmToneDevice>(host);
}

}  // namespace media
