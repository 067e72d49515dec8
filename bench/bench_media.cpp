// Media engine benchmarks. Prints, for each device (sound file, CD image, MIDI sequence):
//   - CPU time per second of audio (decoding or synthesis plus mixing), in ms and in % of one core;
//   - latency from "play" to the first sample reaching the output (SDL's dummy driver, which runs its
//     callback in real time like a sound card), with the output closed (as after idling) and already open;
// and the memory: resident size at start, with the sound font loaded, at its peak, and after closing.
// Then the worst latency of CD commands while the drive reads slowly and retries (a drive simulated through the
// engine's test hooks), and last the idle cost: CPU time and threads while nothing plays.
//
//   bench_media [--seconds N] [--soundfont PATH]

#include "platform/cd_drives.h"
#include "platform/media/MediaEngine.h"
#include "tests/support/CaptureOutput.h"
#include "tests/support/audio_fixtures.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A line of /proc/self/status, such as "VmRSS" or "Threads", as a number.
long procStatus(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toLong();
    }
    return -1;
}

double mb(long kb)
{
    return double(kb) / 1024.0;
}

uint32_t send(MediaEngine& engine, const QString& command)
{
    QString reply;
    const uint32_t code = engine.mciSendString(command, reply);
    if (code != 0)
        std::fprintf(stderr, "  ! %s -> %u\n", qPrintable(command), code);
    return code;
}

QString reply(MediaEngine& engine, const QString& command)
{
    QString r;
    engine.mciSendString(command, r);
    return r;
}

struct Source {
    const char* name;
    QString open;   // the open command, alias "x"
    QString play;   // the play command
};

// Plays the source to its end through a capture output pulled as fast as it goes; returns CPU s per audio s.
double cpuPerAudioSecond(const Source& s, const QString& soundFont, double& audioSeconds)
{
    auto output = std::make_shared<CaptureOutput>(CaptureOutput::Mode::Manual);
    MediaEngineOptions options;
    options.output = output;
    options.soundFont = soundFont;
    MediaEngine engine(std::move(options));
    if (send(engine, s.open) != 0)
        return -1.0;
    const double start = cpuSeconds();
    send(engine, s.play);
    int64_t frames = 0;
    while (reply(engine, QStringLiteral("status x mode")) == QLatin1String("playing")) {
        output->pull(media::outputRate / 10);
        frames += media::outputRate / 10;
        output->clearRecording();
    }
    const double used = cpuSeconds() - start;
    audioSeconds = double(frames) / media::outputRate;
    return used / audioSeconds;
}

// Time from "play" to the first frame mixed into the SDL output, in ms; `warm` keeps the output open first.
double latencyMs(const Source& s, const QString& soundFont, bool warm)
{
    MediaEngineOptions options;
    options.soundFont = soundFont;
    MediaEngine engine(std::move(options));
    if (send(engine, s.open) != 0)
        return -1.0;
    if (warm) {
        engine.waveOutSetVolume(0, 0);
        engine.beep();  // opens the output
        std::this_thread::sleep_for(100ms);
    }
    const auto t0 = std::chrono::steady_clock::now();
    if (send(engine, s.play) != 0)
        return -1.0;
    int64_t first = 0;
    for (int i = 0; i < 2000 && first == 0; ++i) {
        first = engine.firstSoundNs(QStringLiteral("x"));
        if (first == 0)
            std::this_thread::sleep_for(100us);
    }
    if (first == 0)
        return -1.0;
    const int64_t start = std::chrono::duration_cast<std::chrono::nanoseconds>(t0.time_since_epoch()).count();
    return double(first - start) / 1e6;
}

// Sends `command` and returns how long it took, in ms.
double timedMs(MediaEngine& engine, const QString& command, uint32_t& code)
{
    QString r;
    const auto t0 = std::chrono::steady_clock::now();
    code = engine.mciSendString(command, r);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// CD commands against a drive whose every read attempt takes `attemptMs` and fails three times in four (so a
// read is retried), and whose every look at the disc takes `lookMs`. Prints the worst latency of each command.
void cdCommandLatency(const QString& drive, int attemptMs, int lookMs)
{
    std::atomic<int> attempts{0};
    MediaEngineOptions options;
    options.cdTestHooks.look = [lookMs] {
        std::this_thread::sleep_for(std::chrono::milliseconds(lookMs));
        return true;
    };
    options.cdTestHooks.read = [&attempts, attemptMs](int64_t, int) {
        std::this_thread::sleep_for(std::chrono::milliseconds(attemptMs));
        return ++attempts % 4 == 0;
    };
    MediaEngine engine(std::move(options));
    std::map<std::string, double> worst;
    uint32_t code = 0;
    const auto measure = [&](const char* name, const QString& command) {
        const double ms = timedMs(engine, command, code);
        worst[name] = std::max(worst[name], ms);
        if (code != 0 && code != 266)
            std::fprintf(stderr, "  ! %s -> %u\n", qPrintable(command), code);
    };
    measure("open", QStringLiteral("open %1 shareable type cdaudio alias cd").arg(drive));
    measure("set time format", QStringLiteral("set cd time format tmsf"));
    measure("status number of tracks", QStringLiteral("status cd number of tracks"));
    for (int round = 0; round < 6; ++round) {
        measure("play", QStringLiteral("play cd from %1").arg(round % 3 + 1));
        // Long enough for the worker to be inside a read attempt.
        std::this_thread::sleep_for(std::chrono::milliseconds(lookMs + attemptMs / 2));
        measure("status mode", QStringLiteral("status cd mode"));
        measure("status position", QStringLiteral("status cd position"));
        measure("pause", QStringLiteral("pause cd"));
        measure("resume", QStringLiteral("resume cd"));
        std::this_thread::sleep_for(std::chrono::milliseconds(attemptMs / 3));
        measure("stop", QStringLiteral("stop cd"));
        measure("status mode", QStringLiteral("status cd mode"));
        measure("seek", QStringLiteral("seek cd to %1").arg(3 - round % 3));
    }
    measure("play", QStringLiteral("play cd from 1"));
    std::this_thread::sleep_for(std::chrono::milliseconds(attemptMs / 2));
    measure("close", QStringLiteral("close cd"));
    double overall = 0.0;
    std::printf("  drive: each read attempt %d ms, 3 of 4 attempts fail; each look at the disc %d ms\n", attemptMs,
                lookMs);
    for (const auto& [name, ms] : worst) {
        std::printf("    %-26s worst %7.1f ms\n", name.c_str(), ms);
        if (name != "open" && name != "status number of tracks")
            overall = std::max(overall, ms);
    }
    std::printf("    worst of the commands that must not wait for the drive: %.1f ms (%d read attempts made)\n",
                overall, attempts.load());
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    double seconds = 30.0;
    QString soundFont = QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2");
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = args[i + 1].toDouble();
        else if (args[i] == QLatin1String("--soundfont"))
            soundFont = args[i + 1];
    }

    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toLocal8Bit());
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    const QString wav48 = dir.filePath(QStringLiteral("tone48k.wav"));
    const QString mid = dir.filePath(QStringLiteral("chords.mid"));
    audiofix::writeToneWav(wav, 440, seconds);
    audiofix::writeToneWav(wav48, 440, seconds, 48000);
    audiofix::writeDiscImage(discsFolder(), QStringLiteral("bench"), {{440, seconds / 3}, {660, seconds / 3}, {880, seconds / 3}});
    // A piano playing a chord of three notes and a melody note every half second.
    std::vector<audiofix::MidiNote> notes;
    const int chords[4][3] = {{48, 52, 55}, {53, 57, 60}, {55, 59, 62}, {48, 55, 64}};
    for (int beat = 0; beat < int(seconds * 2); ++beat) {
        const double at = beat * 0.5;
        for (int key : chords[(beat / 4) % 4])
            notes.push_back({key, at, 0.5, 80});
        notes.push_back({72 + (beat * 5) % 12, at, 0.25, 100});
    }
    audiofix::writeMidiFile(mid, notes, 0);
    QString drive;
    for (const CdDrive& d : listCdDrives()) {
        if (d.isImage)
            drive = d.name;
    }

    const std::vector<Source> sources{
        {"sound file (WAV 44100 Hz)", QStringLiteral("open \"%1\" alias x").arg(wav), QStringLiteral("play x")},
        {"sound file (WAV 48000 Hz, converted)", QStringLiteral("open \"%1\" alias x").arg(wav48), QStringLiteral("play x")},
        {"CD image", QStringLiteral("open %1 shareable type cdaudio alias x").arg(drive), QStringLiteral("play x")},
        {"MIDI sequence", QStringLiteral("open \"%1\" alias x").arg(mid), QStringLiteral("play x")},
    };

    std::printf("Media engine benchmarks (%.0f s of audio per source)\n\n", seconds);

    // Memory first, while the process's peak is still its own.
    {
        const long start = procStatus("VmRSS");
        auto output = std::make_shared<CaptureOutput>(CaptureOutput::Mode::Manual);
        MediaEngineOptions options;
        options.output = output;
        options.soundFont = soundFont;
        MediaEngine engine(std::move(options));
        const long engineRss = procStatus("VmRSS");
        send(engine, sources[3].open);
        const long loaded = procStatus("VmRSS");
        send(engine, QStringLiteral("play x"));
        while (reply(engine, QStringLiteral("status x mode")) == QLatin1String("playing")) {
            output->pull(media::outputRate);
            output->clearRecording();
        }
        const long played = procStatus("VmRSS");
        send(engine, QStringLiteral("close x"));
        const long closed = procStatus("VmRSS");
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("Memory (resident, MB; sound font %s, %.0f MB on disk)\n", qPrintable(soundFont),
                    mb(QFileInfo(soundFont).size() / 1024));
        std::printf("  at start %.1f | engine built %.1f | sequencer open %.1f | after playing %.1f | closed %.1f | peak %.1f\n\n",
                    mb(start), mb(engineRss), mb(loaded), mb(played), mb(closed), mb(usage.ru_maxrss));
    }

    std::printf("CPU per second of audio (decode or synthesis + mixing, all threads)\n");
    for (const Source& s : sources) {
        double audio = 0.0;
        const double perSecond = cpuPerAudioSecond(s, soundFont, audio);
        std::printf("  %-38s %7.2f ms/s = %5.2f %% of one core (%.1f s played)\n", s.name, perSecond * 1000.0,
                    perSecond * 100.0, audio);
    }

    qputenv("SDL_AUDIODRIVER", "dummy");
    std::printf("\nPlay to first sample in the output (SDL dummy driver, 1024-frame buffers; ms, median and worst of 7)\n");
    for (const Source& s : sources) {
        for (bool warm : {false, true}) {
            std::vector<double> ms;
            for (int i = 0; i < 7; ++i)
                ms.push_back(latencyMs(s, soundFont, warm));
            std::sort(ms.begin(), ms.end());
            std::printf("  %-38s output %-6s median %6.1f  worst %6.1f\n", s.name, warm ? "open" : "closed", ms[3],
                        ms.back());
        }
    }

    std::printf("\nCD commands while the drive reads slowly and retries (SDL dummy driver)\n");
    cdCommandLatency(drive, 200, 0);
    cdCommandLatency(drive, 50, 300);

    // Idle: an engine with its devices open but silent, after the output has closed.
    {
        MediaEngineOptions options;
        options.idleClose = 200ms;
        MediaEngine engine(std::move(options));
        send(engine, sources[0].open);
        send(engine, QStringLiteral("play x from 0 to 100 wait"));
        std::this_thread::sleep_for(600ms);
        const double start = cpuSeconds();
        std::this_thread::sleep_for(3s);
        const double used = cpuSeconds() - start;
        std::printf("\nIdle (a sound file open, output closed %s): %.3f ms CPU in 3 s; %ld threads in the process\n",
                    engine.outputOpen() ? "NOT" : "as it should be", used * 1000.0, procStatus("Threads"));
    }
    return 0;
}
