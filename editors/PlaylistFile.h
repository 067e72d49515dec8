#pragma once
// Reading a playlist file from disk, once: whatever the path names, opening it never waits (a FIFO, a device)
// and never reads more than a playlist can be.

#include <QByteArray>
#include <QString>

struct PlaylistFileRead {
    enum Result {
        Read,        // `bytes` holds the whole file
        NotAFile,    // not a regular file, or larger than a playlist: no playlist
        Failed,      // it could not be opened or read: `reason` holds the system's words
    };
    Result result = Failed;
    QByteArray bytes;
    QString reason;
};

// Reads the regular file at `path` of at most `maxBytes` bytes. The file is opened without waiting and its kind
// and size are taken from the opened file itself, so a file swapped for a FIFO after it was chosen cannot make
// the reading hang.
PlaylistFileRead ReadPlaylistFileBytes(const QString& path, qint64 maxBytes);
