#include "core/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

namespace {

// The program as one word of an Exec= line: in double quotes, with the characters the quotes do not protect
// escaped; then the escapes of a desktop entry's string values ("\" itself) and of its field codes ("%").
QString ExecWord(const QString& program)
{
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return quoted;
}

}  // namespace

QString AutostartEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/org.dawnbell.Dawnbell.desktop");
}

bool AutostartEnabled()
{
    QFile file(AutostartEntryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line == QLatin1String("Hidden=true") || line == QLatin1String("X-GNOME-Autostart-enabled=false"))
            return false;
    }
    return true;
}

bool WriteAutostartEntry(const QString& program, QString& error)
{
    const QString path = AutostartEntryPath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("The folder ") + folder + QStringLiteral(" could not be created.");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Dawnbell\n"
                              "Comment=Wake up to a CD, a sound file or a MIDI sequence\n"
                              "Exec=") +
                          ExecWord(program) +
                          QStringLiteral("\n"
                                         "Icon=org.dawnbell.Dawnbell\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n");
    file.write(entry.toUtf8());
    if (!file.commit()) {
        error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

bool RemoveAutostartEntry(QString& error)
{
    QFile file(AutostartEntryPath());
    if (!file.exists() || file.remove())
        return true;
    error = file.fileName() + QStringLiteral(": ") + file.errorString();
    return false;
}
