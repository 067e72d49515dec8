#include "platform/media/SoundFile.h"

#include "platform/media/AudioOutput.h"
#include "platform/media/MciErrors.h"

#include <QFile>
#include <QFileInfo>

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace media {

namespace {

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;
using StreamHandle = std::unique_ptr<SDL_AudioStream, decltype(&SDL_FreeAudioStream)>;

constexpr int readFrames = 1024;

}  // namespace

struct SoundFile::Impl {
    Impl(SndfileHandle file, const SF_INFO& info, const QString& path)
        : file(std::move(file)), info(info), stream(nullptr, &SDL_FreeAudioStream), path(path),
          bytesAtOpen(QFileInfo(path).size())
    {
        end = info.frames * outputRate / info.samplerate;
        raw.resize(size_t(readFrames) * size_t(info.channels));
        stereo.resize(size_t(readFrames) * 2);
    }

    // Reads up to `frames` frames of the file into `stereo`. Returns -1 when the file ends before its own length
    // because it was cut short (or fails to decode).
    int readStereo(int frames)
    {
        const sf_count_t n = sf_readf_float(file.get(), raw.data(), frames);
        sourceNext += n;
        if (n < frames && sourceNext < info.frames &&
            (sf_error(file.get()) != SF_ERR_NO_ERROR || QFileInfo(path).size() < bytesAtOpen)) {
            failed.store(true, std::memory_order_release);
            return -1;
        }
        const int channels = info.channels;
        for (sf_count_t i = 0; i < n; ++i) {
            const float* frame = raw.data() + i * channels;
            stereo[size_t(i) * 2] = frame[0];
            stereo[size_t(i) * 2 + 1] = channels > 1 ? frame[1] : frame[0];
        }
        return int(n);
    }

    SndfileHandle file;
    SF_INFO info;
    StreamHandle stream;
    const QString path;
    const qint64 bytesAtOpen;
    int64_t end = 0;
    int64_t remaining = 0;
    bool sourceEnded = false;
    sf_count_t sourceNext = 0;
    std::atomic<bool> failed{false};
    std::vector<float> raw;
    std::vector<float> stereo;
};

std::unique_ptr<SoundFile> SoundFile::open(const QString& path, uint32_t& error)
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
    return std::unique_ptr<SoundFile>(new SoundFile(std::make_unique<Impl>(std::move(file), info, path)));
}

SoundFile::SoundFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SoundFile::~SoundFile() = default;

int64_t SoundFile::frames() const { return impl_->end; }

bool SoundFile::atEnd() const { return impl_->remaining <= 0; }

bool SoundFile::failed() const { return impl_->failed.load(std::memory_order_acquire); }

uint32_t SoundFile::seek(int64_t frame, int64_t count)
{
    Impl& f = *impl_;
    const sf_count_t sourceFrame = frame * f.info.samplerate / outputRate;
    if (sf_seek(f.file.get(), sourceFrame, SEEK_SET) < 0)
        return mci::FileUnreadable;
    f.sourceNext = sourceFrame;
    f.remaining = count;
    f.sourceEnded = false;
    f.stream.reset();
    if (f.info.samplerate != outputRate) {
        // A fresh converter for every range: nothing of the previous one may leak into it.
        f.stream.reset(SDL_NewAudioStream(AUDIO_F32SYS, 2, f.info.samplerate, AUDIO_F32SYS, 2, outputRate));
        if (!f.stream)
            return mci::DeviceFailed;
    }
    return mci::NoError;
}

int SoundFile::read(float* out, int frames)
{
    Impl& f = *impl_;
    frames = int(std::min<int64_t>(frames, f.remaining));
    if (frames <= 0)
        return 0;
    int got = 0;
    if (!f.stream) {
        while (got < frames) {
            const int n = f.readStereo(std::min(frames - got, readFrames));
            if (n < 0)
                return -1;
            if (n == 0)
                break;
            std::copy_n(f.stereo.begin(), size_t(n) * 2, out + ptrdiff_t(got) * 2);
            got += n;
        }
    } else {
        const int bytesPerFrame = int(sizeof(float)) * 2;
        while (SDL_AudioStreamAvailable(f.stream.get()) < frames * bytesPerFrame && !f.sourceEnded) {
            const int n = f.readStereo(readFrames);
            if (n < 0)
                return -1;
            if (n == 0) {
                // The converter holds back the last few hundred frames; silence behind the file's end pushes them
                // out (the range's length still ends the sound where the file ends).
                std::fill(f.stereo.begin(), f.stereo.end(), 0.0F);
                for (int i = 0; i < 4; ++i)
                    SDL_AudioStreamPut(f.stream.get(), f.stereo.data(), readFrames * bytesPerFrame);
                SDL_AudioStreamFlush(f.stream.get());
                f.sourceEnded = true;
            } else if (SDL_AudioStreamPut(f.stream.get(), f.stereo.data(), n * bytesPerFrame) != 0) {
                return -1;
            }
        }
        const int bytes = SDL_AudioStreamGet(f.stream.get(), out, frames * bytesPerFrame);
        got = bytes > 0 ? bytes / bytesPerFrame : 0;
    }
    f.remaining -= got;
    return got;
}

}  // namespace media
