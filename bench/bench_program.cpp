// Program benchmarks. Prints:
//   - the time from the process's start to the main window painted, for the real program code (the Linux
//     platform, the media engine, start-up) run in this process, over several runs;
//   - the idle cost of the real program (app/dawnbell) with the alarm armed and its window shown: CPU time over
//     a minute, as % of one core, from the scheduler's counts; its resident memory (VmRSS, VmHWM) and threads.
// Each run has a home of its own with a settings file that arms an alarm twelve hours ahead.
//
//   bench_program [--idle-seconds N] [--startup-runs N] [--program PATH]
//   bench_program --startup-once      (internal: one start-up measurement, printed in ms)

#include "core/Module1.h"
#include "core/TextRules.h"
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

#include <algorithm>
#include <chrono>
#include <cstdio>
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

// A home with the alarm armed at start, twelve hours ahead, and no note about missing CD-ROM drives.
void WriteSettings(const QString& home)
{
    QDir().mkpath(home + QStringLiteral("/.config/Dawnbell"));
    QDir().mkpath(home + QStringLiteral("/run"));
    QFile::setPermissions(home + QStringLiteral("/run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QSettings file(home + QStringLiteral("/.config/Dawnbell/Dawnbell.conf"), QSettings::IniFormat);
    file.setValue(QStringLiteral("Settings/Dialog1"), QStringLiteral("0"));
    file.setValue(QStringLiteral("Settings/StartOn"), QStringLiteral("1"));
    file.setValue(QStringLiteral("Alarm/AlarmTime"), TimeText(QTime::currentTime().addSecs(12 * 3600)));
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

// CPU time of a process, in seconds: the scheduler's nanosecond count of every thread (/proc/<pid>/task/*/
// schedstat), finer than the clock ticks of /proc/<pid>/stat. Threads that ended are not counted.
double CpuSeconds(qint64 pid)
{
    double total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task) + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            total += stat.readAll().split(' ').value(0).toDouble() / 1e9;
    }
    return total;
}

// How often the threads of a process have been woken: their context switches (/proc/<pid>/task/*/status),
// voluntary and not. Threads that ended are not counted.
long ContextSwitches(qint64 pid)
{
    long total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task) + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.contains("ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLong();
        }
    }
    return total;
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
    QApplication app(argc, argv);
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

}  // namespace

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--startup-once") == 0)
            return StartupOnce(argc, argv);
    }
    QCoreApplication app(argc, argv);
    int idleSeconds = 60;
    int startupRuns = 7;
    QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../app/dawnbell");
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--idle-seconds"))
            idleSeconds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--startup-runs"))
            startupRuns = args[i + 1].toInt();
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
    const double before = CpuSeconds(pid);
    const long switchesBefore = ContextSwitches(pid);
    QThread::sleep(static_cast<unsigned long>(idleSeconds));
    const double after = CpuSeconds(pid);
    const long switches = ContextSwitches(pid) - switchesBefore;
    std::printf("idle, alarm armed, window shown: %.4f s CPU in %d s = %.3f %% of one core\n", after - before,
                idleSeconds, 100.0 * (after - before) / idleSeconds);
    std::printf("idle wake-ups (context switches of every thread): %ld in %d s = %.2f per second\n", switches,
                idleSeconds, double(switches) / idleSeconds);
    std::printf("resident memory: %.1f MB now, %.1f MB at its peak; %ld threads\n",
                double(StatusValue(pid, "VmRSS")) / 1024.0, double(StatusValue(pid, "VmHWM")) / 1024.0,
                StatusValue(pid, "Threads"));
    dawnbell.terminate();
    if (!dawnbell.waitForFinished(5000))
        dawnbell.kill();
    return 0;
}
