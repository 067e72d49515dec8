// Settings dialog benchmark. Prints how long the settings dialog takes to open (its load, which loads the
// playlist editor and reads the alarm and sleep discs, then shown and painted) with two disc images as its
// drives, in the real program code run in this process; and the program's idle CPU before the dialog was
// opened and after it was closed, which should not differ.
//
//   bench_options [--runs N] [--idle-seconds N]

#include "core/Module1.h"
#include "main_window/frmMain.h"
#include "platform/cd_drives.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/media/MediaEngine.h"
#include "settings_dialog/frmOptions.h"
#include "tests/support/audio_fixtures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// CPU time of this process in seconds, from the scheduler's counts of its threads.
double CpuSeconds()
{
    double total = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task) + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            total += stat.readAll().split(' ').value(0).toDouble() / 1e9;
    }
    return total;
}

// The program left alone for `seconds`: its CPU time, as % of one core.
double IdlePercent(int seconds)
{
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);  // past whatever was going on
    loop.exec();
    const double before = CpuSeconds();
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return 100.0 * (CpuSeconds() - before) / seconds;
}

}  // namespace

int main(int argc, char* argv[])
{
    // A home of its own, with two disc images as the CD drives and the saved drives on them.
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
        qunsetenv(name);
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home.path() + QStringLiteral("/run")).toUtf8());
    QDir().mkpath(home.path() + QStringLiteral("/run"));
    QFile::setPermissions(home.path() + QStringLiteral("/run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    int runs = 20;
    int idleSeconds = 10;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--idle-seconds"))
            idleSeconds = std::max(1, args[i + 1].toInt());
    }

    audiofix::writeDiscImage(discsFolder(), QStringLiteral("alpha"), {{440, 2}, {660, 2}, {880, 2}});
    audiofix::writeDiscImage(discsFolder(), QStringLiteral("beta"), {{440, 2}, {660, 2}});
    QStringList drives;
    for (const CdDrive& drive : listCdDrives())
        drives << drive.name;
    {
        QSettings file(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Dawnbell"), QStringLiteral("Dawnbell"));
        file.setValue(QStringLiteral("Settings/Dialog1"), QStringLiteral("0"));
        file.setValue(QStringLiteral("Settings/CDDrive"), drives.value(drives.size() - 1));
        file.setValue(QStringLiteral("Settings/SleepDrive"), drives.value(0));
    }

    LinuxPlatform platform(makeMediaEngine);
    Module1 module(platform);
    frmMain window(module);
    module.Main();
    std::printf("Settings dialog benchmark (QT_QPA_PLATFORM=%s), CD drives: %s\n",
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default" : qgetenv("QT_QPA_PLATFORM").constData(),
                qPrintable(drives.join(QLatin1Char(' '))));

    const double idleBefore = IdlePercent(idleSeconds);

    // Each opening is the first of its kind: Cancel unloads the playlist editor, so the next load reads both
    // discs again.
    std::vector<double> opening;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        auto dialog = std::make_unique<frmOptions>(module, window);
        dialog->show();
        QCoreApplication::processEvents();
        opening.push_back(double(clock.nsecsElapsed()) / 1e6);
        dialog->cmdCancel->click();
    }
    std::sort(opening.begin(), opening.end());
    std::printf("open (load, both discs read, shown): median %.1f ms, best %.1f ms, worst %.1f ms (%d runs; "
                "target under 100 ms)\n",
                opening[opening.size() / 2], opening.front(), opening.back(), runs);

    const double idleAfter = IdlePercent(idleSeconds);
    std::printf("idle CPU before opening: %.3f %% of one core; after closing: %.3f %% (%d s each)\n", idleBefore,
                idleAfter, idleSeconds);
    return 0;
}
