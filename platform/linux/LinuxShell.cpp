// Opening documents and web addresses with the desktop's programs, and starting programs.
//
// xdg-open does the opening, detached, so the program never waits for the document's program. Before that the
// desktop is asked (xdg-mime, a short query) whether any program is associated at all, because xdg-open itself
// reports that only after the program would have waited: the old result codes need the answer at once.

#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/xdg.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// The old shell's result codes.
constexpr int32_t SE_ERR_FNF = 2;
constexpr int32_t SE_ERR_PNF = 3;
constexpr int32_t SE_ERR_NOASSOC = 31;
constexpr int32_t openedOk = 42;  // any value above 32 means success

// At most this many MIME types are asked for a program: the file's own type and its nearest ancestors
// (a C source has no program of its own, but plain text has).
constexpr int maxTypesAsked = 4;

// True when the desktop answered that no program handles `mimeType` or any of its ancestors; false when one
// does, or when the desktop could not be asked (xdg-open then gets its chance).
bool nothingHandles(const QString& mimeType)
{
    QStringList types{mimeType};
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeType);
    if (type.isValid()) {
        for (const QString& ancestor : type.allAncestors()) {
            if (ancestor != u"application/octet-stream"_s)
                types.append(ancestor);
        }
    }
    for (qsizetype i = 0; i < types.size() && i < maxTypesAsked; ++i) {
        const std::optional<QString> program = xdg::queryDefaultApplication(types.at(i));
        if (!program || !program->isEmpty())
            return false;
    }
    return true;
}

// The file's MIME type as the desktop sees it; no value when the desktop could not be asked.
std::optional<QString> mimeTypeOfFile(const QString& path)
{
    if (QFileInfo(path).isDir())
        return u"inode/directory"_s;
    const std::optional<QString> answer = xdg::mimeQuery({u"query"_s, u"filetype"_s, path});
    if (!answer)
        return std::nullopt;
    // "text/plain; charset=us-ascii" from some desktops: the type is the part before the parameters.
    const QString type = answer->section(u';', 0, 0).trimmed();
    if (type.contains(u'/'))
        return type;
    return QMimeDatabase().mimeTypeForFile(path).name();
}

// The folder a started program runs in: the one asked for, else the home folder, else the root.
QString workingFolder(const QString& directory)
{
    for (const QString& folder : {directory, QDir::homePath()}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::rootPath();
}

bool launchDetached(const QString& program, const QStringList& arguments, const QString& directory)
{
    return QProcess::startDetached(program, arguments, workingFolder(directory));
}

// A web address or another URL with a scheme of its own ("https:", "mailto:"), not a local path.
bool isUrlWithScheme(const QString& path)
{
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.-]+:"_s);
    return scheme.match(path).hasMatch();
}

}  // namespace

int32_t LinuxPlatform::shellOpen(const QString& path, const QString& directory)
{
    const QString xdgOpen = QStandardPaths::findExecutable(u"xdg-open"_s);
    const QString target = path.trimmed();

    if (isUrlWithScheme(target) && !target.startsWith(u"file:"_s, Qt::CaseInsensitive)) {
        const QString scheme = QUrl(target).scheme().toLower();
        if (xdgOpen.isEmpty())
            return SE_ERR_NOASSOC;
        // xdg-open falls back to $BROWSER for web addresses when the desktop names no browser.
        const bool web = scheme == u"http"_s || scheme == u"https"_s;
        if (nothingHandles(u"x-scheme-handler/"_s + scheme) && !(web && qEnvironmentVariableIsSet("BROWSER")))
            return SE_ERR_NOASSOC;
        return launchDetached(xdgOpen, {target}, directory) ? openedOk : SE_ERR_NOASSOC;
    }

    QString local = target.startsWith(u"file:"_s, Qt::CaseInsensitive) ? QUrl(target).toLocalFile() : target;
    if (local.isEmpty())
        return SE_ERR_FNF;
    if (QDir::isRelativePath(local))
        local = QDir(workingFolder(directory)).absoluteFilePath(local);
    local = QDir::cleanPath(local);
    const QFileInfo file(local);
    if (!file.exists())
        return QFileInfo(file.absolutePath()).isDir() ? SE_ERR_FNF : SE_ERR_PNF;
    if (xdgOpen.isEmpty())
        return SE_ERR_NOASSOC;
    const std::optional<QString> type = mimeTypeOfFile(local);
    if (type && nothingHandles(*type))
        return SE_ERR_NOASSOC;
    return launchDetached(xdgOpen, {local}, directory) ? openedOk : SE_ERR_NOASSOC;
}

bool LinuxPlatform::runProgram(const QString& program, const QStringList& arguments)
{
    if (program.isEmpty())
        return false;
    return launchDetached(program, arguments, QDir::homePath());
}
