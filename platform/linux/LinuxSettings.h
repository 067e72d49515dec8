#pragma once
// The per-user settings store: $XDG_CONFIG_HOME/Dawnbell/Dawnbell.conf in QSettings' INI format, with the sections
// [Settings], [Alarm] and [Presets] and every value a text.
//
// One QSettings object reads the file, at start-up and again before a save when someone else changed it in the
// meantime; the store answers from what it read, so no question waits on the disk. Saving replaces the whole file
// through writeFileAtomically (QSettings' own saving renames a file whose last write failed, which empties the
// store on a full disk): either every staged value reaches the disk, or the old file stays as it was.

#include "platform/ini_file.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

class QSettings;

class LinuxSettings {
public:
    // The store in `file`, read at once.
    explicit LinuxSettings(QString file);
    ~LinuxSettings();
    LinuxSettings(const LinuxSettings&) = delete;
    LinuxSettings& operator=(const LinuxSettings&) = delete;

    // $XDG_CONFIG_HOME/Dawnbell/Dawnbell.conf (by default ~/.config/Dawnbell/Dawnbell.conf).
    static QString standardFile();

    const QString& file() const { return file_; }
    QString get(const QString& section, const QString& key, const QString& fallback) const;
    void stage(const QString& section, const QString& key, const QString& value);
    bool commit(QString& error);
    QString takeLoadNotice();

private:
    // What identifies one version of the file on the disk.
    struct Stamp {
        bool exists = false;
        uint64_t inode = 0;
        int64_t size = 0;
        int64_t modifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const QString& file);
    void load();
    bool keepUnparsableFile(QString& error);

    QString file_;
    std::unique_ptr<QSettings> reader_;
    IniSections stored_;                                        // what the file holds
    std::map<std::pair<QString, QString>, QString> staged_;    // (section, key) -> value
    Stamp stamp_;          // the file as it was last read or written here
    bool unreadable_ = false;     // the file is there but cannot be read: it must not be saved over
    QString keepAs_;              // where a file QSettings could not parse goes before it is first replaced
    QString loadNotice_;
};
