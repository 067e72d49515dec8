// Program benchmarks. Prints:
//   - the time from the process's start to the main window painted, for the real program code (the Linux
//     platform, the media engine, start-up) run in this process, over several runs;
//   - the idle cost of the real program (app/dawnbell) with the alarm armed and its window shown: CPU time over
//     a minute, as % of one core, from the scheduler's counts, and its wake-ups (the voluntary context switches:
//     a thread that went to sleep and was woken), in all and for each thread; its resident memory and threads;
//   - the onset of each kind of alarm: a sound file, a CD (a disc image in the discs folder) and a MIDI sequence,
//     each armed at start-up for a few seconds later and rung by the program's own clock tick, with SDL's disk
//     driver at its real pace: the time of the first sample that is not silence, from the start of the alarm's
//     second, as a listener would hear it.
// Each run has a home of its own with a settings file that arms an alarm twelve hours ahead (seconds ahead for
// the onsets).
//
//   bench_program [--idle-seconds N] [--startup-runs N] [--onset-runs N] [--program PATH]
//   bench_program --startup-once      (internal: one start-up measurement, printed in ms)
//   bench_program --onset-once KIND   (internal: one alarm of KIND sound, cd or midi; its onset printed in ms)

#include "core/Module1.h"
#include "core/TextRules.h"
#include "platform/cd_drives.h"
#include "tests/support/audio_fixtures.h"
#include "main_window/StartupStyle.h"
#include "main_window/frmMain.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/media/MediaEngine.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>
#include <vector>

namespace {

// Milliseconds since this process started, from its start time in /proc/self/stat and the boot clock.
double MsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble();  // field 22: starttime
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double nowMs = double(boot.tv_sec) * 1000.0 + double(boot.tv_nsec) / 1e6;
    return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// A home with the alarm armed at start, twelve hours ahead (or `alarmIn` seconds), and no note about missing
// CD-ROM drives.
void WriteSettings(const QString& home, int alarmIn = 12 * 3600)
{
    QDir().mkpath(home + QStringLiteral("/.config/Dawnbell"));
    QDir().mkpath(home + QStringLiteral("/run"));
    QFile::setPermissions(home + QStringLiteral("/run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QSettings file(home + QStringLiteral("/.config/Dawnbell/Dawnbell.conf"), QSettings::IniFormat);
    file.setValue(QStringLiteral("Settings/Dialog1"), QStringLiteral("0"));
    file.setValue(QStringLiteral("Settings/StartOn"), QStringLiteral("1"));
    file.setValue(QStringLiteral("Alarm/AlarmTime"), TimeText(QTime::currentTime().addSecs(alarmIn)));
}

QProcessEnvironment HomeEnvironment(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
    return env;
}

// The threads of a process by id: their names, wake-ups (voluntary context switches: the thread slept and was
// woken), preemptions (involuntary ones) and CPU time in seconds. Threads that ended are not counted.
struct ThreadFigures {
    QString name;
    long wakeups = 0;
    long preempted = 0;
    double cpu = 0;
};
std::map<QString, ThreadFigures> Threads(qint64 pid)
{
    std::map<QString, ThreadFigures> threads;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        ThreadFigures& t = threads[task];
        QFile comm(tasks.filePath(task) + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly))
            t.name = QString::fromUtf8(comm.readAll().trimmed());
        QFile status(tasks.filePath(task) + QStringLiteral("/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n')) {
                const long value = line.mid(line.indexOf(':') + 1).trimmed().toLong();
                if (line.startsWith("voluntary_ctxt_switches:"))
                    t.wakeups = value;
                else if (line.startsWith("nonvoluntary_ctxt_switches:"))
                    t.preempted = value;
            }
        }
        QFile stat(tasks.filePath(task) + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            t.cpu = stat.readAll().split(' ').value(0).toDouble() / 1e9;
    }
    return threads;
}

long StatusValue(qint64 pid, const char* key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// One start-up in this process: the same code as app/main.cpp, until the window has been painted.
int StartupOnce(int argc, char* argv[])
{
    LinuxPlatform::prepareApplication();
    QApplication app(argc, argv);
    QApplication::setStyle(new StartupStyle);
    QApplication::setQuitOnLastWindowClosed(false);
    LinuxPlatform platform(makeMediaEngine);
    Module1 module(platform);
    frmMain window(module);
    module.Main();
    // Painted: the window's backing store has been flushed once.
    bool painted = false;
    struct PaintWatch : QObject {
        bool* painted;
        explicit PaintWatch(bool* p) : painted(p) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                *painted = true;
            return false;
        }
    } watch(&painted);
    window.installEventFilter(&watch);
    window.update();
    while (!painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("%.1f\n", MsSinceProcessStart());
    return 0;
}

// One alarm of `kind` in this process, with the program's code (as StartupOnce): its settings (written by the
// caller) arm it at start-up for a few seconds later; SDL's disk driver records at its real pace into
// SDL_DISKAUDIOFILE, which a watcher reads as it grows. Prints the time of the first sample that is not silence,
// from the start of the alarm's second, in ms (-1 when none came).
int OnsetOnce(int argc, char* argv[])
{
    LinuxPlatform::prepareApplication();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QString recording = qEnvironmentVariable("SDL_DISKAUDIOFILE");
    std::atomic<double> heardAt{0};  // ms since the epoch
    std::atomic<bool> quit{false};
    std::thread watcher([&] {
        QFile file(recording);
        while (!quit && !file.open(QIODevice::ReadOnly))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        constexpr qint64 frameBytes = 4;  // 16-bit stereo
        while (!quit) {
            qint64 available = file.size() - file.pos();
            available -= available % frameBytes;
            if (available <= 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
            // The driver writes each buffer as it starts to play it: a sample is heard as far into the buffer as
            // it lies.
            const double writtenAt = double(QDateTime::currentMSecsSinceEpoch());
            const QByteArray chunk = file.read(available);
            const auto* samples = reinterpret_cast<const int16_t*>(chunk.constData());
            for (qsizetype i = 0; i < chunk.size() / 2; ++i) {
                if (std::abs(samples[i]) >= 16) {
                    heardAt = writtenAt + double(i / 2) * 1000.0 / 44100.0;
                    quit = true;
                    break;
                }
            }
        }
    });
    LinuxPlatform platform(makeMediaEngine);
    Module1 module(platform);
    frmMain window(module);
    module.Main();
    const QTime alarm = ParseTimeText(window.AlarmTimeText());
    QDateTime alarmSecond(QDate::currentDate(), alarm);
    if (alarmSecond < QDateTime::currentDateTime().addSecs(-3600))
        alarmSecond = alarmSecond.addDays(1);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (quit || QDateTime::currentDateTime() > alarmSecond.addSecs(10))
            QCoreApplication::exit(0);
    });
    poll.start(20);
    QApplication::exec();
    quit = true;
    watcher.join();
    const double heard = heardAt;
    std::printf("%.1f\n", heard > 0 ? heard - double(alarmSecond.toMSecsSinceEpoch()) : -1.0);
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--startup-once") == 0)
            return StartupOnce(argc, argv);
        if (qstrcmp(argv[i], "--onset-once") == 0)
            return OnsetOnce(argc, argv);
    }
    QCoreApplication app(argc, argv);
    int idleSeconds = 60;
    int startupRuns = 7;
    int onsetRuns = 5;
    QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../app/dawnbell");
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--idle-seconds"))
            idleSeconds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--startup-runs"))
            startupRuns = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--onset-runs"))
            onsetRuns = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--program"))
            program = args[i + 1];
    }
    std::printf("Dawnbell program benchmarks (QT_QPA_PLATFORM=%s)\n",
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default" : qgetenv("QT_QPA_PLATFORM").constData());

    // Start-up, each run a fresh process and a fresh home.
    std::vector<double> startups;
    for (int run = 0; run < startupRuns; ++run) {
        QTemporaryDir home;
        WriteSettings(home.path());
        QProcess process;
        process.setProcessEnvironment(HomeEnvironment(home.path()));
        process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--startup-once")});
        process.waitForFinished(30000);
        const double ms = QString::fromUtf8(process.readAllStandardOutput()).trimmed().toDouble();
        if (ms > 0)
            startups.push_back(ms);
    }
    std::sort(startups.begin(), startups.end());
    if (!startups.empty()) {
        std::printf("start to window painted: median %.0f ms, best %.0f ms, worst %.0f ms (%zu runs)\n",
                    startups[startups.size() / 2], startups.front(), startups.back(), startups.size());
    }

    // The onset of each kind of alarm, each run a fresh process and a fresh home with its own files.
    struct Kind {
        const char* name;
        const char* alarmType;  // 1 the sound file, 2 the CD, 3 the MIDI file
    };
    for (const Kind& kind : {Kind{"sound file", "1"}, Kind{"CD (disc image)", "2"}, Kind{"MIDI sequence", "3"}}) {
        if (onsetRuns <= 0)
            break;
        std::vector<double> onsets;
        for (int run = 0; run < onsetRuns; ++run) {
            QTemporaryDir home;
            const QString wav = home.filePath(QStringLiteral("tone.wav"));
            const QString mid = home.filePath(QStringLiteral("tune.mid"));
            audiofix::writeToneWav(wav, 440, 5);
            audiofix::writeMidiFile(mid, {{60, 0.0, 1.0, 110}, {64, 0.0, 1.0, 110}, {67, 0.0, 1.0, 110}}, 0);
            audiofix::writeDiscImage(home.filePath(QStringLiteral(".local/share/Dawnbell/discs")),
                                     QStringLiteral("alarm"), {{440, 5}});
            WriteSettings(home.path(), 4);
            {
                QSettings file(home.filePath(QStringLiteral(".config/Dawnbell/Dawnbell.conf")), QSettings::IniFormat);
                file.setValue(QStringLiteral("Alarm/AlarmType"), QLatin1String(kind.alarmType));
                file.setValue(QStringLiteral("Alarm/AlarmSound"), wav);
                file.setValue(QStringLiteral("Alarm/MidiSound"), mid);
            }
            QProcessEnvironment env = HomeEnvironment(home.path());
            env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
            env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), home.filePath(QStringLiteral("heard.raw")));
            env.remove(QStringLiteral("SDL_DISKAUDIODELAY"));  // the driver's real pace
            QProcess process;
            process.setProcessEnvironment(env);
            process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--onset-once")});
            process.waitForFinished(30000);
            bool read = false;  // a run that crashed or printed nothing is not heard, never an onset of 0 ms
            const double ms = QString::fromUtf8(process.readAllStandardOutput()).trimmed().toDouble(&read);
            if (read && ms >= 0)
                onsets.push_back(ms);
        }
        std::sort(onsets.begin(), onsets.end());
        if (onsets.empty()) {
            std::printf("onset of a %s alarm: never heard\n", kind.name);
        } else {
            std::printf("onset of a %s alarm after its second: median %.1f ms, best %.1f ms, worst %.1f ms (%zu of %d "
                        "runs heard)\n",
                        kind.name, onsets[onsets.size() / 2], onsets.front(), onsets.back(), onsets.size(), onsetRuns);
        }
    }

    // Idle, armed, window shown.
    QTemporaryDir home;
    WriteSettings(home.path());
    QProcess dawnbell;
    dawnbell.setProcessEnvironment(HomeEnvironment(home.path()));
    dawnbell.setProcessChannelMode(QProcess::ForwardedChannels);
    dawnbell.start(program, {});
    if (!dawnbell.waitForStarted(10000)) {
        std::printf("could not start %s\n", qPrintable(program));
        return 1;
    }
    const qint64 pid = dawnbell.processId();
    QThread::sleep(5);  // past start-up
    const std::map<QString, ThreadFigures> before = Threads(pid);
    QThread::sleep(static_cast<unsigned long>(idleSeconds));
    const std::map<QString, ThreadFigures> after = Threads(pid);
    ThreadFigures all;
    QStringList perThread;
    for (const auto& [id, t] : after) {
        const ThreadFigures start = before.count(id) ? before.at(id) : ThreadFigures{};
        const ThreadFigures d{t.name, t.wakeups - start.wakeups, t.preempted - start.preempted, t.cpu - start.cpu};
        all.wakeups += d.wakeups;
        all.preempted += d.preempted;
        all.cpu += d.cpu;
        perThread << QStringLiteral("%1 %2/s %3 %").arg(d.name).arg(double(d.wakeups) / idleSeconds, 0, 'f', 2)
                         .arg(100.0 * d.cpu / idleSeconds, 0, 'f', 4);
    }
    std::printf("idle, alarm armed, window shown: %.4f s CPU in %d s = %.4f %% of one core\n", all.cpu, idleSeconds,
                100.0 * all.cpu / idleSeconds);
    std::printf("idle wake-ups (voluntary context switches of every thread): %ld in %d s = %.2f per second "
                "(and %.2f preemptions per second, from the machine's other work)\n",
                all.wakeups, idleSeconds, double(all.wakeups) / idleSeconds, double(all.preempted) / idleSeconds);
    std::printf("  by thread (wake-ups, CPU): %s\n", qPrintable(perThread.join(QStringLiteral("; "))));
    std::printf("resident memory: %.1f MB now, %.1f MB at its peak; %ld threads\n",
                double(StatusValue(pid, "VmRSS")) / 1024.0, double(StatusValue(pid, "VmHWM")) / 1024.0,
                StatusValue(pid, "Threads"));
    dawnbell.terminate();
    if (!dawnbell.waitForFinished(5000))
        dawnbell.kill();
    return 0;
}
