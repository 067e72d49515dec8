// Opening documents and web addresses with the desktop's programs, starting programs, and the desktop's CD player.
//
// GIO finds the program the desktop opens a file type or an address scheme with (the user's choice in
// mimeapps.list, else a program that declares the type) and starts it without waiting for it. No program is
// started to ask a question: the old result codes need the answer at once, and the interface thread must not wait
// on another process. What the desktop's programs are is first read at start-up, off the interface thread.

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

// How long cdPlayerPath waits for the start-up lookup. Reading the applications folders takes tens of
// milliseconds; a desktop whose folders do not answer within this time has no CD player for that question.
constexpr std::chrono::seconds desktopLookupWait{1};

// The folder a started program runs in: the one asked for, else the home folder, else the root.
QString workingFolder(const QString& directory)
{
    for (const QString& folder : {directory, QDir::homePath()}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::rootPath();
}

// A web address or another URL with a scheme of its own ("https:", "mailto:"), not a local path.
bool isUrlWithScheme(const QString& path)
{
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.-]+:"_s);
    return scheme.match(path).hasMatch();
}

// Opens a web address with the first program of $BROWSER ("firefox:chromium", "%s" standing for the address) that
// is installed: a desktop that names no browser of its own may name one there.
bool startBrowser(const QString& address, const QString& folder)
{
    for (const QString& entry : qEnvironmentVariable("BROWSER").split(u':', Qt::SkipEmptyParts)) {
        QStringList words = QProcess::splitCommand(entry);
        if (words.isEmpty() || QStandardPaths::findExecutable(words.first()).isEmpty())
            continue;
        const QString program = words.takeFirst();
        if (words.contains(u"%s"_s))
            words.replaceInStrings(u"%s"_s, address);
        else
            words.append(address);
        if (QProcess::startDetached(program, words, folder))
            return true;
    }
    return false;
}

int32_t openResult(xdg::Opened opened)
{
    return opened == xdg::Opened::Yes ? openedOk : SE_ERR_NOASSOC;
}

}  // namespace

void LinuxPlatform::startDesktopLookup()
{
    desktopLookup_.start([this] {
        // The first questions load GIO's list of applications and Qt's MIME database; shellOpen then answers
        // from memory.
        QMimeDatabase().mimeTypeForName(u"text/plain"_s);
        const QString player = xdg::programOfDesktopEntry(xdg::defaultApplicationFile(u"x-content/audio-cdda"_s));
        const std::lock_guard lock(desktopMutex_);
        cdPlayer_ = player;
    });
    desktopLookupDeadline_ = std::chrono::steady_clock::now() + desktopLookupWait;
}

QString LinuxPlatform::cdPlayerPath()
{
    desktopLookup_.waitUntil(desktopLookupDeadline_);
    const std::lock_guard lock(desktopMutex_);
    return cdPlayer_;
}

int32_t LinuxPlatform::shellOpen(const QString& path, const QString& directory)
{
    const QString target = path.trimmed();
    const QString folder = workingFolder(directory);

    if (isUrlWithScheme(target) && !target.startsWith(u"file:"_s, Qt::CaseInsensitive)) {
        const QString scheme = QUrl(target).scheme().toLower();
        const xdg::Opened opened = xdg::openWithDefaultApplication(u"x-scheme-handler/"_s + scheme, target, folder);
        if (opened != xdg::Opened::NoProgram)
            return openResult(opened);
        const bool web = scheme == u"http"_s || scheme == u"https"_s;
        return web && startBrowser(target, folder) ? openedOk : SE_ERR_NOASSOC;
    }

    QString local = target.startsWith(u"file:"_s, Qt::CaseInsensitive) ? QUrl(target).toLocalFile() : target;
    if (local.isEmpty())
        return SE_ERR_FNF;
    if (QDir::isRelativePath(local))
        local = QDir(folder).absoluteFilePath(local);
    local = QDir::cleanPath(local);
    const QFileInfo file(local);
    if (!file.exists())
        return QFileInfo(file.absolutePath()).isDir() ? SE_ERR_FNF : SE_ERR_PNF;
    const QString type = file.isDir() ? u"inode/directory"_s : QMimeDatabase().mimeTypeForFile(file).name();
    return openResult(
        xdg::openWithDefaultApplication(type, QUrl::fromLocalFile(local).toString(QUrl::FullyEncoded), folder));
}

bool LinuxPlatform::runProgram(const QString& program, const QStringList& arguments)
{
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments, QDir::homePath());
}
