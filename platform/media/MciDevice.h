#pragma once
// An open device of the command layer: a source of sound (CD, sound file, MIDI sequence) with a play
// position, a mode and a worker that produces its sound ahead of the output.

#include "platform/media/MciCommand.h"
#include "platform/media/Mixer.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <thread>

struct CdDrive;

namespace media {

// The sound of a device on its own timeline. Positions count frames at the output rate; the worker thread
// calls prepare() and read(), the command thread everything else while no worker runs.
class MediaSource {
public:
    virtual ~MediaSource() = default;
    virtual int64_t startFrame() const { return 0; }
    virtual int64_t endFrame() const = 0;
    // False when the media cannot be read now (a removed disc, an image deleted).
    virtual bool checkReady() { return true; }
    // False when the range [from, to) holds nothing to hear (a CD range of data tracks only).
    virtual bool hasSound(int64_t from, int64_t to) const { return from < to; }
    // Gets ready to read the range [from, to). Returns 0 or an error code.
    virtual uint32_t prepare(int64_t from, int64_t to) = 0;
    // Fills up to `frames` interleaved stereo frames; returns how many, 0 at the end, -1 when the media could
    // not be read.
    virtual int read(float* out, int frames) = 0;
    // True once read() has given the last frame of the range (the next read would return 0). A source that
    // cannot tell says false; its end is then noticed one read later.
    virtual bool atEnd() const { return false; }
    // The position after `mixed` frames of a range started at `from` and ending at `to` have sounded.
    virtual int64_t positionAfter(int64_t from, int64_t to, int64_t mixed) const
    {
        return std::min(to, from + mixed);
    }
    // How far ahead the worker produces, and in what steps.
    virtual size_t bufferFrames() const { return outputRate / 2; }
    virtual int chunkFrames() const { return 2048; }
};

class MciDevice {
public:
    MciDevice(std::unique_ptr<MediaSource> source, Bus bus, VoiceHost& host);
    virtual ~MciDevice();
    MciDevice(const MciDevice&) = delete;
    MciDevice& operator=(const MciDevice&) = delete;

    virtual QString deviceType() const = 0;

    // Positions as written in the present time format.
    virtual uint32_t parsePosition(const QString& text, int64_t& frame) const;
    virtual QString formatPosition(int64_t frame) const;
    virtual QString formatLength(int64_t frames) const { return formatPosition(frames); }
    virtual uint32_t setTimeFormat(const QString& name);
    virtual QString timeFormat() const { return QStringLiteral("milliseconds"); }
    // Status items beyond those every device answers; the reader stands after "status <alias>".
    virtual uint32_t statusItem(mci::WordReader& words, QString& reply);

    uint32_t play(std::optional<int64_t> from, std::optional<int64_t> to, bool wait);
    uint32_t stop();
    uint32_t pause();
    uint32_t resume();
    uint32_t seek(int64_t frame);
    uint32_t seekToStart() { return seek(source_->startFrame()); }
    uint32_t seekToEnd() { return seek(source_->endFrame()); }
    // The present mode: "playing", "stopped", "paused" or "not ready".
    QString mode();
    int64_t position();
    // Called before every command: takes note of a playback that has ended or failed. Returns NotReady when
    // the media is gone, else 0.
    uint32_t refresh();
    // The voice of a playback in progress (for measurements), or nullptr.
    const Voice* voice() const { return voice_.get(); }

protected:
    MediaSource& source() { return *source_; }
    const MediaSource& source() const { return *source_; }
    bool notReady() const { return notReady_; }

private:
    enum class State { Stopped, Playing, Paused };
    void endPlayback(bool keepPosition);
    void produce();

    std::unique_ptr<MediaSource> source_;
    const Bus bus_;
    VoiceHost& host_;
    State state_ = State::Stopped;
    bool notReady_ = false;
    int64_t position_ = 0;
    int64_t playFrom_ = 0;
    int64_t playTo_ = 0;
    std::unique_ptr<Voice> voice_;
    std::thread worker_;
};

// The three devices. Each returns nullptr with an error code when it cannot open.
// `paranoiaForImages` reads a disc image the way a drive is read, through libcdio-paranoia.
std::unique_ptr<MciDevice> openCdAudio(const CdDrive& drive, VoiceHost& host, uint32_t& error,
                                       bool paranoiaForImages = false);
std::unique_ptr<MciDevice> openWaveAudio(const QString& path, VoiceHost& host, uint32_t& error);
std::unique_ptr<MciDevice> openSequencer(const QString& path, const QString& soundFont, VoiceHost& host,
                                         uint32_t& error);

}  // namespace media
