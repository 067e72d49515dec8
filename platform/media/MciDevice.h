#pragma once
// An open device of the command layer: a source of sound (CD, sound file, MIDI sequence) with a play
// position, a mode and a worker thread of its own. Everything that reads the media (a drive, a disc image, a
// file, the synthesiser) happens on the worker; a command only hands work over and reads what the worker
// published, so it returns at once however slowly the media answers. Only `open`, a question about a disc
// whose table of contents is not known yet, and `wait` wait for the worker, and never longer than the
// engine's patience.

#include "platform/media/MciCommand.h"
#include "platform/media/Mixer.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

struct CdDrive;

namespace media {

// The sound of a device on its own timeline. Positions count frames at the output rate.
class MediaSource {
public:
    virtual ~MediaSource() = default;

    // ---- Command thread: the media as the worker last found it ----
    virtual int64_t startFrame() const { return 0; }
    virtual int64_t endFrame() const = 0;
    // False when the range [from, to) holds nothing to hear (a CD range of data tracks only).
    virtual bool hasSound(int64_t from, int64_t to) const { return from < to; }
    // The position after `mixed` frames of a range started at `from` and ending at `to` have sounded.
    virtual int64_t positionAfter(int64_t from, int64_t to, int64_t mixed) const
    {
        return std::min(to, from + mixed);
    }
    // Takes over what the worker's last look at the media found (a disc's table of contents).
    virtual void adopt() {}
    // True when the media can change under an open device (a disc taken out): checkReady() then runs on the
    // worker. Otherwise checkReady() is a cheap question any thread may ask.
    virtual bool mediaCanChange() const { return false; }
    // The error a command answers while the media cannot be read.
    virtual uint32_t failureError() const = 0;
    // Changes whenever the worker has read the media anew (another disc, an image that came back): a device
    // whose playback failed plays again only once its media was read anew.
    virtual uint64_t generation() const { return 0; }

    // ---- Worker thread ----
    // False when the media cannot be read now (no disc, a removed disc, a file that failed).
    virtual bool checkReady() { return true; }
    // Gets ready to read the range [from, to). Returns 0 or an error code.
    virtual uint32_t prepare(int64_t from, int64_t to) = 0;
    // Fills up to `frames` interleaved stereo frames; returns how many, 0 at the end (or when `stop` was seen
    // during a slow read), -1 when the media could not be read.
    virtual int read(float* out, int frames, const std::atomic<bool>& stop) = 0;
    // True once read() has given the last frame of the range (the next read would return 0). A source that
    // cannot tell says false; its end is then noticed one read later.
    virtual bool atEnd() const { return false; }

    // ---- Fixed ----
    // How far ahead the worker produces, and in what steps.
    virtual size_t bufferFrames() const { return outputRate / 2; }
    virtual int chunkFrames() const { return 2048; }
};

class MciDevice {
public:
    MciDevice(std::unique_ptr<MediaSource> source, Bus bus, VoiceHost& host);
    // Waits for the worker: call it once finished() is true, or accept the wait.
    virtual ~MciDevice();
    MciDevice(const MciDevice&) = delete;
    MciDevice& operator=(const MciDevice&) = delete;

    virtual QString deviceType() const = 0;

    // The first look at media that can change (a disc), waiting at most `patience`. False when the media did
    // not answer in time.
    bool start(std::chrono::milliseconds patience);
    // How long a command may wait for the worker (open, the first question about a disc, `wait` without
    // progress).
    void setPatience(std::chrono::milliseconds patience) { patience_ = patience; }
    // Ends any playback and asks the worker to end, without waiting for it.
    void retire();
    // The worker has ended (or never ran): destroying the device waits for nothing. Waits up to `patience` for
    // a worker that is not busy to end.
    bool finished(std::chrono::milliseconds patience = std::chrono::milliseconds(0));

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
    uint32_t seekToStart();
    uint32_t seekToEnd();
    // The present mode: "playing", "stopped", "paused" or "not ready".
    QString mode();
    int64_t position();
    // How much a command needs to know the media: a brief look (mode, position), or the media itself (its
    // length, tracks, a position to play from), for which a command waits while the media is not known.
    enum class Need { Glance, Media };
    // Called before every command: takes note of a playback that has ended or failed, and of what the worker
    // found on the media. Returns 0, or the error of media that cannot be read.
    uint32_t refresh(Need need = Need::Media);
    // The voice of a playback in progress (for measurements), or nullptr.
    const Voice* voice() const { return voice_.get(); }

protected:
    MediaSource& source() { return *source_; }
    const MediaSource& source() const { return *source_; }

private:
    enum class State { Stopped, Playing, Paused };
    struct Job {
        std::shared_ptr<Voice> voice;
        int64_t from = 0;
        int64_t to = 0;
    };
    void stopVoice(bool keepPosition);
    // Asks the worker for a fresh look at the media and waits at most `patience` for it. Returns whether it came;
    // `ready` is the last answer either way.
    bool checkMedia(std::chrono::milliseconds patience, bool& ready);
    void startWorker();
    void work();
    void produce(Voice& voice, int64_t from, int64_t to);

    std::unique_ptr<MediaSource> source_;
    const Bus bus_;
    VoiceHost& host_;
    std::chrono::milliseconds patience_{5000};

    // Command thread.
    State state_ = State::Stopped;
    bool notReady_ = false;
    uint32_t failure_ = 0;  // the error of a playback that failed, until the media is read anew
    uint64_t failedGeneration_ = 0;
    int64_t position_ = 0;
    int64_t playFrom_ = 0;
    int64_t playTo_ = 0;
    std::shared_ptr<Voice> voice_;

    // Shared with the worker, under mutex_.
    std::mutex mutex_;
    std::condition_variable workWanted_;  // the worker waits here
    std::condition_variable checked_;     // a command waits here for a look at the media
    std::optional<Job> job_;
    uint64_t checksWanted_ = 0;
    uint64_t checksDone_ = 0;
    bool mediaReady_ = false;
    bool busy_ = false;  // the worker is inside a playback or a look at the media
    bool quit_ = false;
    bool ended_ = false;
    std::thread worker_;
};

// Tests only: stands between the CD device's worker and the disc, to make a drive slow or failing.
struct CdTestHooks {
    // Before every look at the disc (opening it, reading its table of contents, asking whether it changed);
    // false: the drive answers that no disc is in.
    std::function<bool()> look;
    // Before every attempt to read sectors (one attempt of a retrying read); false: the attempt fails.
    std::function<bool(int64_t lba, int sectors)> read;
    // Each time the disc is opened anew to read its table of contents.
    std::function<void()> opened;
};

// The pitch of the built-in alarm tone's beeps.
inline constexpr double alarmToneHz = 1000.0;

// The devices. Each returns nullptr with an error code when it cannot open.
// `paranoiaForImages` reads a disc image the way a drive is read, through libcdio-paranoia.
std::unique_ptr<MciDevice> openCdAudio(const CdDrive& drive, VoiceHost& host, uint32_t& error,
                                       bool paranoiaForImages = false, const CdTestHooks& hooks = {});
std::unique_ptr<MciDevice> openWaveAudio(const QString& path, VoiceHost& host, uint32_t& error);
std::unique_ptr<MciDevice> openSequencer(const QString& path, const QString& soundFont, VoiceHost& host,
                                         uint32_t& error);
// The built-in alarm tone: needs no file, only an audio output.
std::unique_ptr<MciDevice> openAlarmTone(VoiceHost& host);

}  // namespace media
