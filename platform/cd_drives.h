#pragma once
// The drive letters of CD drives. Each CD-ROM device, each disc image of the discs folder (a "*.cue" with the
// "*.bin" of the same base name, a drive that always holds its disc) and each album folder there (a folder, or a
// link to one, whose sound files in name order are the tracks) is a drive. A letter, once given, keeps
// naming the same device (by its stable identity, the /dev/disk/by-id name) or the same image file across runs:
// the letters given are remembered in a small file of their own beside the settings. A new drive takes the next
// free letter from "D:". A remembered drive that is not there has no drive now; its letter is not given to
// another, except that once all of "D:" to "Z:" are taken, the letter of an image whose file is gone is given
// again. Every other letter is no CD drive.

#include <QString>

#include <functional>
#include <map>
#include <vector>

struct CdDrive {
    QString name;    // "D:"
    QString source;  // device path ("/dev/sr0"), the full path of the .cue file, or of the album folder
    bool isImage = false;   // a disc image
    bool isFolder = false;  // an album folder
};

// A CD-ROM device as the system lists it.
struct CdDevice {
    QString node;      // what libcdio opens: "/dev/sr0"
    QString identity;  // what names it across runs: "/dev/disk/by-id/ata-…", else the device's own path
};

// The CD-ROM devices present, in the order libcdio lists them (a drive without a disc is listed as well).
std::vector<CdDevice> systemCdDevices();

// $XDG_DATA_HOME/Dawnbell/discs (default ~/.local/share/Dawnbell/discs), without a trailing separator.
QString discsFolder();

// $XDG_CONFIG_HOME/Dawnbell/drives.conf (default ~/.config/Dawnbell/drives.conf): the letters given.
QString driveLettersFile();

// The drive table. It looks at the machine only when asked to rescan and answers from memory otherwise. Not
// thread-safe: one thread at a time uses a table.
class CdDriveTable {
public:
    using DeviceLister = std::function<std::vector<CdDevice>()>;
    explicit CdDriveTable(QString lettersFile = driveLettersFile(), QString discs = discsFolder(),
                          DeviceLister devices = systemCdDevices);

    // Looks at the devices and disc images present. The letters remembered in the letters file are read again
    // (another table may have given some); each drive without a letter gets the next free one, and the file is
    // written at once. False, with a full sentence in `error`, when it could not be written: the letters hold
    // for this run all the same.
    bool rescan(QString& error);

    // The drives present at the last rescan, in letter order.
    const std::vector<CdDrive>& drives() const { return drives_; }

private:
    bool readLetters();
    QChar freeLetter() const;

    QString lettersFile_;
    QString discs_;
    DeviceLister devices_;
    std::map<QChar, QString> letters_;  // letter -> identity of the device, full path of the image's .cue or folder
    std::vector<CdDrive> drives_;
};

// The drive named by `name` ("D:", case-insensitive, a trailing separator allowed), or nullptr.
const CdDrive* findCdDrive(const std::vector<CdDrive>& drives, const QString& name);

// The drives present now, by a table of the standard places scanned once for this call: for a caller that has no
// table of its own (a test or a tool that looks for the letter of an image). It waits for the devices to answer.
std::vector<CdDrive> listCdDrives();

// The drives of a table kept elsewhere, as its last scan found them: how the media engine reaches the platform's
// table without a look at the machine of its own.
using CdDriveList = std::function<std::vector<CdDrive>()>;
