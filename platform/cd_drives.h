#pragma once
// The drive letters of CD drives: the CD-ROM devices in the order libcdio lists them become "D:", "E:", ...;
// after them each disc image of the discs folder (a "*.cue" with the "*.bin" of the same base name) is one more
// drive that always holds its disc, in name order. Every other letter is no CD drive.

#include <QString>

#include <vector>

struct CdDrive {
    QString name;    // "D:"
    QString source;  // device path ("/dev/sr0") or the full path of the .cue file
    bool isImage = false;
};

// $XDG_DATA_HOME/Dawnbell/discs (default ~/.local/share/Dawnbell/discs), without a trailing separator.
QString discsFolder();

// The present table, read anew at every call (drives and images can come and go).
std::vector<CdDrive> listCdDrives();

// The drive named by `name` ("D:", case-insensitive, a trailing separator allowed), or nullptr.
const CdDrive* findCdDrive(const std::vector<CdDrive>& drives, const QString& name);
