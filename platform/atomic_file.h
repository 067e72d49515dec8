#pragma once
// Replacing a file in one step, every write checked: what Dawnbell keeps on disk (the settings, the drive
// letters, playlist files) is never left half written.

#include <QByteArray>
#include <QString>

// Replaces the file at `path` with `contents`; afterwards the file holds either all of `contents` or exactly what
// it held before. Missing folders on the way are made. The new text goes to a file of its own beside the old one
// and is flushed and synced to the disk, each step checked, before it takes the old file's name: a full disk, a
// quota or a file size limit leaves the old file as it was. Returns false with a full sentence for the user in
// `error` ("The disk holding /home/ann/.config/Dawnbell is full."). The new file's modification time is at least a
// millisecond after the old one's, so readers that look for a change by size and time (QSettings) see it.
bool writeFileAtomically(const QString& path, const QByteArray& contents, QString& error);

// Makes sure `folder` exists as a folder, making the missing ones on the way; on failure `error` tells why in a
// full sentence.
bool ensureFolder(const QString& folder, QString& error);
