#include "platform/atomic_file.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Why writing `file` failed, as far as the file system tells; `systemReason` is the system's own words.
QString writeFailure(const QString& file, const QString& systemReason, qint64 bytesNeeded)
{
    const QFileInfo info(file);
    const QString folder = info.absolutePath();
    if (info.isDir())
        return u"%1 is a folder, not a file."_s.arg(native(file));
    if (!QFileInfo(folder).isWritable())
        return u"The folder %1 is read-only."_s.arg(native(folder));
    if (info.exists() && !info.isWritable())
        return u"The file %1 is read-only."_s.arg(native(file));
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.isReadOnly())
        return u"The disk holding %1 is read-only."_s.arg(native(folder));
    if (storage.isValid() && storage.bytesAvailable() < bytesNeeded + 4096)
        return u"The disk holding %1 is full."_s.arg(native(folder));
    return u"%1 could not be written: %2."_s.arg(native(file), systemReason);
}

// Gives the new file a modification time at least a millisecond after that of the file at `path` it replaces.
// QSettings takes a file whose size and time (to the millisecond) are unchanged for the one it has read before, so
// two versions written within one millisecond would otherwise look the same to it.
bool stampAfter(QSaveFile& out, const QString& path)
{
    const QFileInfo old(path);
    if (!old.exists())
        return true;
    // The file system's clock runs coarser than the wall clock, so a file written now may still get the old
    // file's millisecond: the time is always set, never left to the write.
    const qint64 stamp = std::max(QDateTime::currentMSecsSinceEpoch(), old.lastModified().toMSecsSinceEpoch() + 1);
    return out.setFileTime(QDateTime::fromMSecsSinceEpoch(stamp), QFileDevice::FileModificationTime);
}

}  // namespace

bool ensureFolder(const QString& folder, QString& error)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    if (info.exists()) {
        error = u"%1 is a file, not a folder."_s.arg(native(folder));
        return false;
    }
    // The nearest part of the path that exists decides why the rest cannot be made.
    QString existing = info.absolutePath();
    while (!QFileInfo::exists(existing) && existing != QDir::rootPath())
        existing = QFileInfo(existing).absolutePath();
    const QFileInfo ancestor(existing);
    if (!ancestor.isDir()) {
        error = u"%1 is a file, not a folder."_s.arg(native(existing));
        return false;
    }
    if (QDir().mkpath(folder))
        return true;
    if (!ancestor.isWritable())
        error = u"The folder %1 is read-only."_s.arg(native(existing));
    else
        error = u"The folder %1 could not be created."_s.arg(native(folder));
    return false;
}

bool writeFileAtomically(const QString& path, const QByteArray& contents, QString& error)
{
    error.clear();
    if (!ensureFolder(QFileInfo(path).absolutePath(), error))
        return false;
    if (QFileInfo(path).isDir()) {
        error = u"%1 is a folder, not a file."_s.arg(native(path));
        return false;
    }

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        error = writeFailure(path, out.errorString(), contents.size());
        return false;
    }
    // QSaveFile buffers small writes and flushes them inside commit(), which renames the new file over the old
    // one even when that flush failed (a full disk then leaves an empty file). So every step is checked here,
    // before commit() is allowed to rename.
    QString reason;
    if (out.write(contents) != contents.size() || !out.flush()) {
        reason = out.errorString();
    } else if (!stampAfter(out, path)) {
        reason = out.errorString();
    } else if (::fdatasync(out.handle()) != 0 && errno != EINVAL) {
        // Some file systems report a lack of space or a failed write only when the data goes to the disk.
        reason = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!reason.isEmpty()) {
        out.cancelWriting();
        error = writeFailure(path, reason, contents.size());
        return false;
    }
    if (!out.commit()) {
        error = writeFailure(path, out.errorString(), contents.size());
        return false;
    }
    return true;
}
