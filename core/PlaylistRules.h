#pragma once
// The rules of playlist files and of the playlist editor's items, apart from any file or widget: how a file's
// bytes split into lines, which lines are track numbers, how a list is fitted to a disc with fewer tracks, and
// the bytes a list is saved as.
//
// A playlist file is plain text, one track number per line, each line ended by CR LF; no header, no count. A
// line is valid when its numeric value lies between 1 and 99. The editor's items read "Track " followed by the
// line's text exactly as it stood in the file ("Track  7" for a line " 7").

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// Larger files are not playlists: they are refused before they are read.
inline constexpr qint64 PlaylistFileMaxBytes = 1024 * 1024;
// A playlist holds at most this many entries (its count is a 16-bit number).
inline constexpr int PlaylistMaxEntries = 32767;
// The lowest and highest track numbers a line may hold.
inline constexpr double PlaylistLowestTrack = 1;
inline constexpr double PlaylistHighestTrack = 99;

// The lines of a file's bytes, read as UTF-8 (bytes that are not are kept as replacement characters). CR LF ends
// a line, and so does a CR alone; a line feed without a CR before it stays in the line. The last line needs no
// ending, and nothing after the last ending is a line: an empty file has no lines, "3\r\n" one, "3\r\n\r\n" two.
QStringList PlaylistFileLines(const QByteArray& contents);

// A line is a track number when its numeric value lies between 1 and 99.
bool IsPlaylistLine(const QString& line);

// The lines of a playlist file, or nothing when the file is not a playlist: a line that is no track number, or
// more lines than a playlist holds.
std::optional<QStringList> ReadPlaylistFile(const QByteArray& contents);

// A playlist fitted to a disc of `trackCount` tracks (0 without a disc): the lines whose numeric value exceeds
// the count are dropped, the others kept in order; `modified` tells whether any was dropped.
struct FittedPlaylist {
    QStringList lines;
    bool modified = false;
};
FittedPlaylist FitPlaylistToDisc(const QStringList& lines, double trackCount);

// The bytes of a playlist file: each line in UTF-8, followed by CR LF.
QByteArray PlaylistFileContents(const QStringList& lines);

// The editor's items: "Track " and a track number's text; the text after the first six characters; and the
// track the item stands for, its numeric value rounded to the nearest whole number, a half to the even one.
QString PlaylistItemText(const QString& trackText);
QString PlaylistItemTrackText(const QString& item);
int16_t PlaylistItemTrack(const QString& item);
