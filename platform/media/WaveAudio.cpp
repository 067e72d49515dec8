// The "waveaudio" device: any sound file libsndfile reads, converted to the output's rate and to stereo.

#include "platform/media/MciDevice.h"
#include "platform/media/MciErrors.h"
#include "platform/media/SoundFile.h"

namespace media {

namespace {

class WaveSource final : public MediaSource {
public:
    explicit WaveSource(std::unique_ptr<SoundFile> file) : file_(std::move(file)) {}

    int64_t endFrame() const override { return file_->frames(); }
    uint32_t failureError() const override { return mci::DeviceFailed; }
    // A file that could no longer be read while it played stays failed until it is closed.
    bool checkReady() override { return !file_->failed(); }
    uint32_t prepare(int64_t from, int64_t to) override { return file_->seek(from, to - from); }
    int read(float* out, int frames, const std::atomic<bool>& /*stop*/) override { return file_->read(out, frames); }
    bool atEnd() const override { return file_->atEnd(); }

private:
    std::unique_ptr<SoundFile> file_;
};

class WaveAudioDevice final : public MciDevice {
public:
    using MciDevice::MciDevice;
    QString deviceType() const override { return QStringLiteral("waveaudio"); }
};

}  // namespace

std::unique_ptr<MciDevice> openWaveAudio(const QString& path, VoiceHost& host, uint32_t& error)
{
    std::unique_ptr<SoundFile> file = SoundFile::open(path, error);
    if (!file)
        return nullptr;
    return std::make_unique<WaveAudioDevice>(std::make_unique<WaveSource>(std::move(file)), Bus::Wave, host);
}

}  // namespace media
