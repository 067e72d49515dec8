// The "waveaudio" device: any sound file libsndfile reads, converted to the output's rate and to stereo.

#include "platform/media/MciDevice.h"
#include "platform/media/MciErrors.h"

#include <QFile>
#include <QFileInfo>

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <vector>

namespace media {

namespace {

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;
using StreamHandle = std::unique_ptr<SDL_AudioStream, decltype(&SDL_FreeAudioStream)>;

constexpr int readFrames = 1024;

class WaveSource final : public MediaSource {
public:
    WaveSource(SndfileHandle file, const SF_INFO& info, const QString& path)
        : file_(std::move(file)), info_(info), stream_(nullptr, &SDL_FreeAudioStream), path_(path),
          bytesAtOpen_(QFileInfo(path).size())
    {
        end_ = info_.frames * outputRate / info_.samplerate;
        raw_.resize(size_t(readFrames) * size_t(info_.channels));
        stereo_.resize(size_t(readFrames) * 2);
    }

    int64_t endFrame() const override { return end_; }
    uint32_t failureError() const override { return mci::DeviceFailed; }
    // A file that could no longer be read while it played stays failed until it is closed.
    bool checkReady() override { return !failed_.load(std::memory_order_acquire); }

    uint32_t prepare(int64_t from, int64_t to) override
    {
        const sf_count_t sourceFrame = from * info_.samplerate / outputRate;
        if (sf_seek(file_.get(), sourceFrame, SEEK_SET) < 0)
            return mci::FileUnreadable;
        sourceNext_ = sourceFrame;
        remaining_ = to - from;
        sourceEnded_ = false;
        if (info_.samplerate != outputRate) {
            // A fresh converter for every range: nothing of the previous one may leak into it.
            stream_.reset(SDL_NewAudioStream(AUDIO_F32SYS, 2, info_.samplerate, AUDIO_F32SYS, 2, outputRate));
            if (!stream_)
                return mci::DeviceFailed;
        }
        return mci::NoError;
    }

    int read(float* out, int frames, const std::atomic<bool>& /*stop*/) override
    {
        frames = int(std::min<int64_t>(frames, remaining_));
        if (frames <= 0)
            return 0;
        int got = 0;
        if (!stream_) {
            while (got < frames) {
                const int n = readStereo(std::min(frames - got, readFrames));
                if (n < 0)
                    return -1;
                if (n == 0)
                    break;
                std::copy_n(stereo_.begin(), size_t(n) * 2, out + ptrdiff_t(got) * 2);
                got += n;
            }
        } else {
            const int bytesPerFrame = int(sizeof(float)) * 2;
            while (SDL_AudioStreamAvailable(stream_.get()) < frames * bytesPerFrame && !sourceEnded_) {
                const int n = readStereo(readFrames);
                if (n < 0)
                    return -1;
                if (n == 0) {
                    // The converter holds back the last few hundred frames; silence behind the file's end
                    // pushes them out (the range's length still ends the sound where the file ends).
                    std::fill(stereo_.begin(), stereo_.end(), 0.0F);
                    for (int i = 0; i < 4; ++i)
                        SDL_AudioStreamPut(stream_.get(), stereo_.data(), readFrames * bytesPerFrame);
                    SDL_AudioStreamFlush(stream_.get());
                    sourceEnded_ = true;
                } else if (SDL_AudioStreamPut(stream_.get(), stereo_.data(), n * bytesPerFrame) != 0) {
                    return -1;
                }
            }
            const int bytes = SDL_AudioStreamGet(stream_.get(), out, frames * bytesPerFrame);
            got = bytes > 0 ? bytes / bytesPerFrame : 0;
        }
        remaining_ -= got;
        return got;
    }

    bool atEnd() const override { return remaining_ <= 0; }

private:
    // Reads up to `frames` frames of the file into stereo_: mono on both sides, else the first two channels.
    // Returns -1 when the file ends before its own length because it was cut short (or fails to decode).
    int readStereo(int frames)
    {
        const sf_count_t n = sf_readf_float(file_.get(), raw_.data(), frames);
        sourceNext_ += n;
        if (n < frames && sourceNext_ < info_.frames &&
            (sf_error(file_.get()) != SF_ERR_NO_ERROR || QFileInfo(path_).size() < bytesAtOpen_)) {
            failed_.store(true, std::memory_order_release);
            return -1;
        }
        const int channels = info_.channels;
        for (sf_count_t i = 0; i < n; ++i) {
            const float* frame = raw_.data() + i * channels;
            stereo_[size_t(i) * 2] = frame[0];
            stereo_[size_t(i) * 2 + 1] = channels > 1 ? frame[1] : frame[0];
        }
        return int(n);
    }

    SndfileHandle file_;
    SF_INFO info_;
    StreamHandle stream_;
    int64_t end_ = 0;
    int64_t remaining_ = 0;
    bool sourceEnded_ = false;
    const QString path_;
    const qint64 bytesAtOpen_;
    sf_count_t sourceNext_ = 0;
    std::atomic<bool> failed_{false};
    std::vector<float> raw_;
    std::vector<float> stereo_;
};

class WaveAudioDevice final : public MciDevice {
public:
    using MciDevice::MciDevice;
    QString deviceType() const override { return QStringLiteral("waveaudio"); }
};

}  // namespace

std::unique_ptr<MciDevice> openWaveAudio(const QString& path, VoiceHost& host, uint32_t& error)
{
    SF_INFO info{};
    SndfileHandle file(sf_open(QFile::encodeName(path).constData(), SFM_READ, &info));
    if (!file) {
        error = sf_error(nullptr) == SF_ERR_SYSTEM ? mci::FileUnreadable : mci::UnsupportedFile;
        return nullptr;
    }
    if (info.channels < 1 || info.samplerate < 1) {
        error = mci::UnsupportedFile;
        return nullptr;
    }
    // Files stored as integers are read as floats in -1..1; a float file's own scale is kept.
    sf_command(file.get(), SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    error = mci::NoError;
    return std::make_unique<WaveAudioDevice>(std::make_unique<WaveSource>(std::move(file), info, path), Bus::Wave, host);
}

}  // namespace media
