#include "resources/DataFolder.h"

#include "dawnbell_build.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

// DAWNBELL_DATA_RELATIVE and DAWNBELL_DATA_INSTALLED come from resources/CMakeLists.txt.

namespace {

bool holdsHelp(const QString& folder)
{
    return !folder.isEmpty() && QFileInfo(folder + QStringLiteral("/help.txt")).isFile();
}

}  // namespace

QString DawnbellDataFolder()
{
    const QString fromProgram =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/" DAWNBELL_DATA_RELATIVE));
    QStringList candidates{qEnvironmentVariable("DAWNBELL_DATA_DIR"), fromProgram};
    candidates += QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("dawnbell"),
                                            QStandardPaths::LocateDirectory);
    candidates += QStringLiteral(DAWNBELL_DATA_INSTALLED);
    for (const QString& folder : std::as_const(candidates)) {
        if (holdsHelp(folder))
            return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    }
    return fromProgram;
}

QString DawnbellWebAddress(const QString& path)
{
    return DawnbellWebAddress(path, QStringLiteral(DAWNBELL_WEB_BASE), DawnbellDataFolder());
}

QString DawnbellWebAddress(const QString& path, const QString& webBase, const QString& dataFolder)
{
    QString serverPath = path.trimmed();
    if (!serverPath.startsWith(u'/'))
        serverPath.prepend(u'/');

    QString base = webBase.trimmed();
    if (!base.isEmpty()) {
        while (base.endsWith(u'/'))
            base.chop(1);
        return base + serverPath;
    }

    // A web server answers a folder with its index page; a file:// address has to name it.
    QString file = dataFolder + QStringLiteral("/pages") + serverPath;
    while (file.endsWith(u'/'))
        file.chop(1);
    if (!serverPath.section(u'/', -1).contains(u'.'))
        file += QStringLiteral("/index.html");
    return QUrl::fromLocalFile(QDir::cleanPath(file)).toString(QUrl::FullyEncoded);
}
