// libFuzzer target of the playlist file reader: any bytes are split into lines, checked and fitted to a disc
// whose track count the first byte gives, without a crash, and with the reader's promises kept:
// - a file read as a playlist holds only track numbers, its lines as split, at most the entries a playlist holds;
// - a file refused has a line that is no track number, or too many lines;
// - fitting keeps exactly the lines within the disc, in order, and each stands for a track of the disc;
// - the lines saved and read again are the same lines.

#include "core/PlaylistRules.h"
#include "core/TextRules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<QStringList> read = ReadPlaylistFile(bytes);
    const QStringList lines = PlaylistFileLines(bytes);
    bool allTracks = lines.size() <= PlaylistMaxEntries;
    for (const QString& line : lines)
        allTracks = allTracks && IsPlaylistLine(line);
    if (read.has_value() != allTracks)
        std::abort();
    if (!read)
        return 0;
    if (*read != lines || ReadPlaylistFile(PlaylistFileContents(lines)) != read)
        std::abort();

    const double tracks = size > 0 ? data[0] % 100 : 0;
    const FittedPlaylist fitted = FitPlaylistToDisc(lines, tracks);
    qsizetype kept = 0;
    for (const QString& line : lines) {
        if (NumericValue(line) <= tracks && (kept >= fitted.lines.size() || fitted.lines[kept++] != line))
            std::abort();
    }
    if (kept != fitted.lines.size() || fitted.modified != (kept != lines.size()))
        std::abort();
    for (const QString& line : fitted.lines) {
        const int16_t track = PlaylistItemTrack(PlaylistItemText(line));
        if (track < 1 || track > 99 || track > tracks + 0.5)
            std::abort();
    }
    return 0;
}
