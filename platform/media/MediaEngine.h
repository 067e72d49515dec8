#pragma once
// The media engine: the command-string interpreter with its alias table, the three devices (cdaudio,
// waveaudio, sequencer), the mixer with the wave-output and auxiliary volumes, the beep, and the output.
// Commands come from one thread at a time (the user-interface thread); every device produces its sound on a
// worker of its own, and the output only mixes what is ready.

#include "platform/Platform.h"
#include "platform/cd_drives.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/MciDevice.h"
#include "platform/media/Mixer.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace mci {
class WordReader;
}

struct MediaEngineOptions {
    // The General MIDI sound font the sequencer plays from; read only while a sequencer is open.
    QString soundFont = QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2");
    // Where the sound goes: SDL's audio output when empty.
    std::shared_ptr<media::AudioOutput> output;
    // How long the output stays open after the last sound, before it is closed (no audio thread while idle).
    std::chrono::milliseconds idleClose{3000};
    // Reads disc images through libcdio-paranoia, as drives are read (slower; lets a machine without a CD drive
    // run the drive's reading path).
    bool paranoiaForImages = false;
    // How long `open` of a CD drive, the first question about a disc and a `wait` without progress may wait for
    // the drive before they answer "not ready" (266). Every other command returns at once.
    std::chrono::milliseconds drivePatience{5000};
    // Tests only: makes CD drives slow or failing.
    media::CdTestHooks cdTestHooks;
    // The CD drives, as the platform's drive table last found them: the table is scanned at start-up and when the
    // user asks, never at a command. Without it (a tool or a test with no platform) the engine keeps a table of
    // its own, scanned once, at the first command that names a drive.
    CdDriveList cdDrives;
};

class MediaEngine final : public Multimedia, private media::VoiceHost {
public:
    explicit MediaEngine(MediaEngineOptions options = {});
    ~MediaEngine() override;
    MediaEngine(const MediaEngine&) = delete;
    MediaEngine& operator=(const MediaEngine&) = delete;

    uint32_t mciSendString(const QString& command, QString& reply) override;
    bool mciGetErrorString(uint32_t error, QString& text) override;
    uint32_t waveOutGetVolume(int device, uint32_t& volume) override;
    uint32_t waveOutSetVolume(int device, uint32_t volume) override;
    uint32_t auxGetVolume(int device, uint32_t& volume) override;
    uint32_t auxSetVolume(int device, uint32_t volume) override;
    void beep() override;

    // For measurements: the steady-clock time (ns) at which the playback of `alias` first reached the output,
    // 0 when it has not (yet), or the alias is not playing.
    int64_t firstSoundNs(const QString& alias);
    bool outputOpen();
    // Why the output could not be opened the last time it failed (the audio library's words).
    QString lastOutputError();

private:
    uint32_t execute(const QString& command, QString& reply);
    uint32_t open(mci::WordReader& words, const QString& name, bool quoted);
    uint32_t set(media::MciDevice& device, mci::WordReader& words);
    uint32_t startVoice(media::Voice& voice) override;
    void endVoice(media::Voice& voice) override;
    void keepOutput();
    void retire(std::unique_ptr<media::MciDevice> device);
    std::vector<CdDrive> cdDrives();
    void reapRetired(std::chrono::milliseconds patience = std::chrono::milliseconds(0));

    const MediaEngineOptions options_;
    std::mutex commandMutex_;
    std::map<QString, std::unique_ptr<media::MciDevice>> devices_;  // by alias, in lower case
    std::unique_ptr<CdDriveTable> ownDrives_;  // without options_.cdDrives: scanned once, on first use
    // Closed devices whose worker is still inside a slow read; destroyed once it has noticed.
    std::vector<std::unique_ptr<media::MciDevice>> retired_;

    media::Mixer mixer_;
    std::shared_ptr<media::AudioOutput> output_;
    std::mutex outputMutex_;
    std::condition_variable outputChanged_;
    bool quit_ = false;
    std::chrono::steady_clock::time_point lastStart_;
    QString lastOutputError_;
    std::thread keeper_;
};

// The engine with the default options that finds its CD drives through `drives`: what a platform that keeps the
// drive table builds it with (LinuxPlatform's factory).
std::unique_ptr<Multimedia> makeMediaEngine(CdDriveList drives);
