#include "platform/linux/LinuxSettings.h"

#include "platform/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The first of "<file>.bad", "<file>.bad.2", "<file>.bad.3", ... that does not exist yet.
QString freeBadName(const QString& file)
{
    QString name = file + u".bad"_s;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = file + u".bad."_s + QString::number(n);
    return name;
}

}  // namespace

LinuxSettings::LinuxSettings(QString file)
    : file_(std::move(file))
{
    load();
}

LinuxSettings::~LinuxSettings() = default;

QString LinuxSettings::standardFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/Dawnbell/Dawnbell.conf"_s;
}

LinuxSettings::Stamp LinuxSettings::stampOf(const QString& file)
{
    struct stat info {};
    if (::stat(QFile::encodeName(file).constData(), &info) != 0)
        return {};
    return {true, static_cast<uint64_t>(info.st_ino), static_cast<int64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

void LinuxSettings::load()
{
    stamp_ = stampOf(file_);
    // A fresh reader each time: QSettings keeps the first error it met for as long as the object lives.
    reader_ = std::make_unique<QSettings>(file_, QSettings::IniFormat);
    stored_ = readIniTexts(*reader_);

    unreadable_ = false;
    if (QFileInfo(file_).isFile()) {
        QFile probe(file_);
        if (!probe.open(QIODevice::ReadOnly)) {
            unreadable_ = true;
            stored_.clear();
            loadNotice_ = u"The settings file %1 cannot be read (%2), so Dawnbell has started with its default "
                          "settings and will not save over it."_s.arg(native(file_), probe.errorString());
            return;
        }
    }
    if (reader_->status() == QSettings::FormatError) {
        // What QSettings could make out of it stays in use; the file itself is kept for the user to look at.
        keepAs_ = freeBadName(file_);
        loadNotice_ = u"Some lines of the settings file %1 could not be read, so Dawnbell has used its defaults "
                      "for them. The file will be kept as %2 when the settings are next saved."_s.arg(
                          native(file_), native(keepAs_));
    }
}

QString LinuxSettings::get(const QString& section, const QString& key, const QString& fallback) const
{
    const auto group = stored_.find(section);
    if (group == stored_.end())
        return fallback;
    const auto value = group->second.find(key);
    return value == group->second.end() ? fallback : value->second;
}

void LinuxSettings::stage(const QString& section, const QString& key, const QString& value)
{
    staged_[{section, key}] = value;
}

QString LinuxSettings::takeLoadNotice()
{
    return std::exchange(loadNotice_, QString());
}

bool LinuxSettings::keepUnparsableFile(QString& error)
{
    if (!QFileInfo(file_).isFile())
        return true;
    if (QFileInfo::exists(keepAs_) || QFileInfo(keepAs_).isSymLink())
        keepAs_ = freeBadName(file_);
    // A second name for the same file takes no room on the disk; a copy is the way where links are not allowed.
    if (::link(QFile::encodeName(file_).constData(), QFile::encodeName(keepAs_).constData()) != 0 &&
        !QFile::copy(file_, keepAs_)) {
        error = u"The settings file %1 could not be read entirely and could not be kept as %2, so it was not "
                "replaced."_s.arg(native(file_), native(keepAs_));
        return false;
    }
    return true;
}

bool LinuxSettings::commit(QString& error)
{
    error.clear();
    if (staged_.empty())
        return true;

    // Keys of others, and edits made while Dawnbell ran, are kept: read the file again if it changed.
    if (unreadable_ || stampOf(file_) != stamp_)
        load();
    if (unreadable_) {
        error = u"The settings file %1 cannot be read, so it was not replaced."_s.arg(native(file_));
        return false;
    }

    IniSections next = stored_;
    for (const auto& [name, value] : staged_)
        next[name.first][name.second] = value;
    if (!keepAs_.isEmpty()) {
        if (!keepUnparsableFile(error))
            return false;
        keepAs_.clear();
    }
    if (!writeFileAtomically(file_, formatIni(next), error))
        return false;

    stored_ = std::move(next);
    staged_.clear();
    stamp_ = stampOf(file_);
    return true;
}
