// The per-user settings store: QSettings' native file, $XDG_CONFIG_HOME/Dawnbell/Dawnbell.conf, with the
// sections [Settings], [Alarm] and [Presets] and every value a text.
//
// Values are staged in memory and written together by commitSettings. QSettings lays the file out (so it stays
// the native format, with its quoting of commas, blanks, backslashes and "@" texts), but it does so in a
// scratch folder; the finished file then replaces the store through QSaveFile in one rename. Either every
// staged value reaches the disk or none does, and a failure comes back with the system's reason instead of
// QSettings' bare "access error".

#include "platform/linux/LinuxPlatform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

QString settingsKey(const QString& section, const QString& key)
{
    return section + u'/' + key;
}

// A stored value as text. The program writes only texts; a hand-edited file can make QSettings read other
// things: an unquoted "a, b" comes back as a list, "@ByteArray(...)" as bytes, a broken "@Variant(...)" as
// nothing at all.
std::optional<QString> asText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QStringList:
        return value.toStringList().join(u", "_s);
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        if (value.isValid() && value.canConvert<QString>())
            return value.toString();
        return std::nullopt;
    }
}

// Makes sure `folder` exists as a folder; on failure `error` tells why.
bool ensureFolder(const QString& folder, QString& error)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    if (info.exists()) {
        error = u"%1 is a file, not a folder."_s.arg(QDir::toNativeSeparators(folder));
        return false;
    }
    // The nearest part of the path that exists decides why the rest cannot be made.
    QString existing = QFileInfo(folder).absolutePath();
    while (!QFileInfo::exists(existing) && existing != QDir::rootPath())
        existing = QFileInfo(existing).absolutePath();
    const QFileInfo ancestor(existing);
    if (!ancestor.isDir()) {
        error = u"%1 is a file, not a folder."_s.arg(QDir::toNativeSeparators(existing));
        return false;
    }
    if (QDir().mkpath(folder))
        return true;
    if (!ancestor.isWritable())
        error = u"The folder %1 is read-only."_s.arg(QDir::toNativeSeparators(existing));
    else
        error = u"The folder %1 could not be created."_s.arg(QDir::toNativeSeparators(folder));
    return false;
}

// Why writing `file` failed, as far as the file system tells.
QString writeFailure(const QString& file, const QString& systemReason, qint64 bytesNeeded)
{
    const QFileInfo info(file);
    const QString folder = info.absolutePath();
    if (info.isDir())
        return u"%1 is a folder, not a file."_s.arg(QDir::toNativeSeparators(file));
    if (!QFileInfo(folder).isWritable())
        return u"The folder %1 is read-only."_s.arg(QDir::toNativeSeparators(folder));
    if (info.exists() && !info.isWritable())
        return u"The file %1 is read-only."_s.arg(QDir::toNativeSeparators(file));
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.isReadOnly())
        return u"The disk holding %1 is read-only."_s.arg(QDir::toNativeSeparators(folder));
    if (storage.isValid() && storage.bytesAvailable() < bytesNeeded + 4096)
        return u"The disk holding %1 is full."_s.arg(QDir::toNativeSeparators(folder));
    return u"%1 could not be written: %2."_s.arg(QDir::toNativeSeparators(file), systemReason);
}

}  // namespace

QString LinuxPlatform::getSetting(const QString& section, const QString& key, const QString& fallback)
{
    const QSettings store(settingsFile_, QSettings::IniFormat);
    const QString name = settingsKey(section, key);
    if (store.status() == QSettings::AccessError || !store.contains(name))
        return fallback;
    return asText(store.value(name)).value_or(fallback);
}

void LinuxPlatform::saveSetting(const QString& section, const QString& key, const QString& value)
{
    stagedSettings_[{section, key}] = value;
}

bool LinuxPlatform::commitSettings(QString& error)
{
    error.clear();
    if (stagedSettings_.empty())
        return true;

    const QFileInfo target(settingsFile_);
    if (!ensureFolder(target.absolutePath(), error))
        return false;
    if (target.isDir()) {
        error = u"%1 is a folder, not a file."_s.arg(QDir::toNativeSeparators(settingsFile_));
        return false;
    }

    // What the store holds now: kept, so that keys this run does not write are not lost.
    const QSettings current(settingsFile_, QSettings::IniFormat);
    if (current.status() == QSettings::AccessError) {
        error = u"The settings file %1 cannot be read, so it was not replaced."_s.arg(
            QDir::toNativeSeparators(settingsFile_));
        return false;
    }

    // Lay the new file out in a scratch folder.
    const QTemporaryDir scratch;
    if (!scratch.isValid()) {
        error = u"No temporary folder for the settings could be made in %1: %2."_s.arg(
            QDir::toNativeSeparators(QDir::tempPath()), scratch.errorString());
        return false;
    }
    const QString draftFile = scratch.filePath(u"Dawnbell.conf"_s);
    {
        QSettings draft(draftFile, QSettings::IniFormat);
        const QStringList keys = current.allKeys();
        for (const QString& name : keys)
            draft.setValue(name, current.value(name));
        for (const auto& [name, value] : stagedSettings_)
            draft.setValue(settingsKey(name.first, name.second), value);
        draft.sync();
        if (draft.status() != QSettings::NoError) {
            error = u"The settings could not be prepared in the temporary folder %1."_s.arg(
                QDir::toNativeSeparators(scratch.path()));
            return false;
        }
    }
    QFile draft(draftFile);
    if (!draft.open(QIODevice::ReadOnly)) {
        error = u"The prepared settings could not be read back: %1."_s.arg(draft.errorString());
        return false;
    }
    const QByteArray contents = draft.readAll();

    // Replace the store in one step.
    const qint64 sizeBefore = target.exists() ? target.size() : -1;
    const QDateTime timeBefore = target.exists() ? target.lastModified() : QDateTime();
    QSaveFile out(settingsFile_);
    if (!out.open(QIODevice::WriteOnly)) {
        error = writeFailure(settingsFile_, out.errorString(), contents.size());
        return false;
    }
    if (out.write(contents) != contents.size() || !out.commit()) {
        const QString reason = out.errorString();
        out.cancelWriting();
        error = writeFailure(settingsFile_, reason, contents.size());
        return false;
    }

    // QSettings re-reads a file it has seen only when its size or time stamp (in milliseconds) changed. Two
    // commits of the same length within one millisecond would look unchanged, so move the time on.
    const QFileInfo written(settingsFile_);
    if (written.size() == sizeBefore && written.lastModified() == timeBefore) {
        QFile touch(settingsFile_);
        if (touch.open(QIODevice::ReadOnly))
            touch.setFileTime(timeBefore.addMSecs(1), QFileDevice::FileModificationTime);
    }

    stagedSettings_.clear();
    return true;
}
