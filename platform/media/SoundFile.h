#pragma once
// A sound file as the engine hears it: decoded by libsndfile (any format it reads: WAV, FLAC, Ogg, MP3 where the
// installed libsndfile has it, ...), converted to the output's rate and to stereo (mono on both sides, else the
// first two channels). The sound-file device plays one; an album folder plays one per track. Used by one thread
// at a time, but for failed().

#include <QString>

#include <cstdint>
#include <memory>

namespace media {

class SoundFile {
public:
    // Opens `path`; nullptr with the error (FileUnreadable, UnsupportedFile) when it cannot be read or decoded.
    static std::unique_ptr<SoundFile> open(const QString& path, uint32_t& error);
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // The length in frames of the output rate.
    int64_t frames() const;
    // Gets ready to give `count` frames from `frame` on. Returns 0 or an error code.
    uint32_t seek(int64_t frame, int64_t count);
    // Up to `frames` interleaved stereo frames into `out`: how many, 0 once the range is given, -1 when the file
    // could no longer be read (it was cut short, or it fails to decode).
    int read(float* out, int frames);
    // The range is given whole.
    bool atEnd() const;
    // The file could no longer be read; it stays so. Any thread may ask.
    bool failed() const;

private:
    struct Impl;
    explicit SoundFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace media
