#include "platform/linux/xdg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace xdg {

namespace {

// xdg-mime is a shell script that asks the desktop's own tools; it answers in a few milliseconds, but a
// wedged desktop service must not freeze the program.
constexpr int queryTimeoutMs = 3000;

QStringList applicationFolders()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + u"/.local/share"_s;
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = u"/usr/local/share:/usr/share"_s;

    QStringList folders{dataHome + u"/applications"_s};
    for (const QString& dir : dataDirs.split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            folders.append(dir + u"/applications"_s);
    }
    return folders;
}

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

std::optional<QString> mimeQuery(const QStringList& arguments)
{
    const QString program = QStandardPaths::findExecutable(u"xdg-mime"_s);
    if (program.isEmpty())
        return std::nullopt;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(queryTimeoutMs))
        return std::nullopt;
    if (!process.waitForFinished(queryTimeoutMs)) {
        process.kill();
        process.waitForFinished(500);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return output.section(u'\n', 0, 0).trimmed();
}

std::optional<QString> queryDefaultApplication(const QString& mimeType)
{
    const std::optional<QString> answer = mimeQuery({u"query"_s, u"default"_s, mimeType});
    if (!answer)
        return std::nullopt;
    // Some desktops list several programs, the preferred one first.
    return answer->section(u';', 0, 0).trimmed();
}

QString defaultApplication(const QString& mimeType)
{
    return queryDefaultApplication(mimeType).value_or(QString());
}

QString findDesktopEntry(const QString& desktopId)
{
    if (desktopId.isEmpty() || desktopId.contains(u'/'))
        return {};
    // "vendor-name.desktop" may stand for "vendor/name.desktop": try the id as it is, then with its dashes
    // turned into folder separators from the left.
    QStringList candidates{desktopId};
    QString nested = desktopId;
    for (qsizetype dash = nested.indexOf(u'-'); dash > 0; dash = nested.indexOf(u'-', dash + 1)) {
        nested[dash] = u'/';
        candidates.append(nested);
    }
    for (const QString& folder : applicationFolders()) {
        for (const QString& candidate : candidates) {
            const QFileInfo file(folder + u'/' + candidate);
            if (file.isFile())
                return file.absoluteFilePath();
        }
    }
    return {};
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
