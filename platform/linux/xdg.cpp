#include "platform/linux/xdg.h"

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <memory>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace xdg {

namespace {

// Undoes the escapes of a desktop entry value (\s \n \t \r \\).
QString unescapeValue(const QString& value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 >= value.size()) {
            result.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's': result.append(u' '); break;
        case 'n': result.append(u'\n'); break;
        case 't': result.append(u'\t'); break;
        case 'r': result.append(u'\r'); break;
        case '\\': result.append(u'\\'); break;
        default:
            // Not a value escape: the quoting rules of Exec= still need to see it.
            result.append(c);
            result.append(next);
        }
    }
    return result;
}

// Runs in the new program's process, between fork and exec: only async-signal-safe calls.
void enterFolder(gpointer folder)
{
    if (::chdir(static_cast<const char*>(folder)) != 0)
        static_cast<void>(::chdir("/"));
}

using AppInfo = std::unique_ptr<GAppInfo, decltype(&g_object_unref)>;

QString resolveProgram(const QString& program)
{
    if (program.isEmpty())
        return {};
    if (program.contains(u'/')) {
        const QFileInfo info(program);
        return info.isAbsolute() && info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

}  // namespace

QString defaultApplicationFile(const QString& mimeType)
{
    const AppInfo app(g_app_info_get_default_for_type(mimeType.toUtf8().constData(), FALSE), &g_object_unref);
    if (!app || !G_IS_DESKTOP_APP_INFO(app.get()))
        return {};
    const char* file = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(app.get()));
    return file ? QFile::decodeName(file) : QString();
}

Opened openWithDefaultApplication(const QString& mimeType, const QString& uri, const QString& folder)
{
    const bool isFile = uri.startsWith(u"file:"_s);
    const AppInfo app(g_app_info_get_default_for_type(mimeType.toUtf8().constData(), isFile ? FALSE : TRUE),
                      &g_object_unref);
    if (!app || !G_IS_DESKTOP_APP_INFO(app.get()))
        return Opened::NoProgram;

    QByteArray address = uri.toUtf8();
    GList uris{address.data(), nullptr, nullptr};
    QByteArray workingFolder = QFile::encodeName(folder);
    GError* failure = nullptr;
    // GIO forks the program off (and does not wait for it) or asks a D-Bus activatable one to open the address.
    const bool started = g_desktop_app_info_launch_uris_as_manager(
        G_DESKTOP_APP_INFO(app.get()), &uris, nullptr, G_SPAWN_SEARCH_PATH, &enterFolder, workingFolder.data(),
        nullptr, nullptr, &failure);
    if (failure) {
        qWarning("Dawnbell: %s could not be opened: %s", qUtf8Printable(uri), failure->message);
        g_error_free(failure);
    }
    return started ? Opened::Yes : Opened::NotStarted;
}

QStringList splitExecLine(const QString& exec)
{
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == u'\\' && i + 1 < exec.size() && QStringView(u"\"`$\\").contains(exec.at(i + 1)))
                word.append(exec.at(++i));
            else if (c == u'"')
                quoted = false;
            else
                word.append(c);
        } else if (c == u' ' || c == u'\t') {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else if (c == u'"') {
            quoted = true;
            inWord = true;
        } else {
            word.append(c);
            inWord = true;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

QString programOfDesktopEntry(const QString& desktopFile)
{
    if (desktopFile.isEmpty())
        return {};
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};

    QString exec;
    QString tryExec;
    bool hidden = false;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == u"[Desktop Entry]"_s;
            continue;
        }
        if (!inMainGroup || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = unescapeValue(line.mid(equals + 1).trimmed());
        if (key == u"Exec"_s)
            exec = value;
        else if (key == u"TryExec"_s)
            tryExec = value;
        else if (key == u"Hidden"_s)
            hidden = value == u"true"_s;
    }
    if (hidden || (!tryExec.isEmpty() && resolveProgram(tryExec).isEmpty()))
        return {};

    QStringList words = splitExecLine(exec);
    // "env NAME=value program ..." starts `program`.
    if (!words.isEmpty() && QFileInfo(words.first()).fileName() == u"env"_s) {
        words.removeFirst();
        while (!words.isEmpty() && (words.first().contains(u'=') || words.first().startsWith(u'-')))
            words.removeFirst();
    }
    return words.isEmpty() ? QString() : resolveProgram(words.first());
}

}  // namespace xdg
