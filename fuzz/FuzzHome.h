#pragma once
// A home of its own for a fuzz target, as every test has: the settings, the drive letters and the discs folder
// live in a temporary folder, which is also the working folder, so that an input names a fixture by its plain
// name. It goes when the target ends. It lies in memory where the machine offers it (/dev/shm): every save of
// the settings waits for the disk otherwise, and that would be most of the time an input takes. The program's and
// Qt's messages (a file name holding a NUL, a drive that did not answer) are kept quiet unless FUZZ_SHOW is set;
// critical and fatal ones always show.

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

inline const QString& fuzzHome()
{
    static QTemporaryDir home(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                  ? QStringLiteral("/dev/shm/dawnbell-fuzz-XXXXXX")
                                  : QDir::tempPath() + QStringLiteral("/dawnbell-fuzz-XXXXXX"));
    static const QString path = [] {
        const QByteArray at = QFile::encodeName(home.path());
        qputenv("HOME", at);
        qputenv("XDG_CONFIG_HOME", at + "/.config");
        qputenv("XDG_DATA_HOME", at + "/.local/share");
        qputenv("XDG_RUNTIME_DIR", at + "/run");
        QDir::setCurrent(home.path());
        if (!qEnvironmentVariableIsSet("FUZZ_SHOW"))
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
                if (type == QtCriticalMsg || type == QtFatalMsg)
                    std::fputs(qPrintable(text + QLatin1Char('\n')), stderr);
            });
        return home.path();
    }();
    return path;
}
