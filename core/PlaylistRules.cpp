#include "core/PlaylistRules.h"

#include "core/TextRules.h"

#include <limits>

namespace {

constexpr char16_t CR = u'\r';
constexpr qsizetype NoLimit = std::numeric_limits<qsizetype>::max();

// Calls `line` for each line of `text` until it returns false or `maxLines` lines have gone by; false when it
// stopped early or there were more lines than that.
template <typename LineFn>
bool ForEachLine(const QString& text, qsizetype maxLines, LineFn line)
{
    qsizetype start = 0;
    qsizetype count = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(CR, start);
        if (end < 0)
            end = text.size();
        if (++count > maxLines || !line(QStringView(text).mid(start, end - start)))
            return false;
        start = end + 1;
        if (start < text.size() && end < text.size() && text[start] == u'\n')
            ++start;  // CR LF ends a line as one
    }
    return true;
}

}  // namespace

QStringList PlaylistFileLines(const QByteArray& contents)
{
    QStringList lines;
    ForEachLine(QString::fromUtf8(contents), NoLimit, [&lines](QStringView line) {
        lines.append(line.toString());
        return true;
    });
    return lines;
}

bool IsPlaylistLine(const QString& line)
{
    const double value = NumericValue(line);
    return value >= PlaylistLowestTrack && value <= PlaylistHighestTrack;
}

std::optional<QStringList> ReadPlaylistFile(const QByteArray& contents)
{
    // The first line that is no track number decides; the rest is not looked at.
    QStringList lines;
    const bool valid = ForEachLine(QString::fromUtf8(contents), PlaylistMaxEntries, [&lines](QStringView line) {
        lines.append(line.toString());
        return IsPlaylistLine(lines.back());
    });
    if (!valid)
        return std::nullopt;
    return lines;
}

FittedPlaylist FitPlaylistToDisc(const QStringList& lines, double trackCount)
{
    FittedPlaylist fitted;
    for (const QString& line : lines) {
        if (NumericValue(line) > trackCount)
            fitted.modified = true;
        else
            fitted.lines.append(line);
    }
    return fitted;
}

QByteArray PlaylistFileContents(const QStringList& lines)
{
    QByteArray contents;
    for (const QString& line : lines)
        contents += line.toUtf8() + "\r\n";
    return contents;
}

QString PlaylistItemText(const QString& trackText) { return QStringLiteral("Track ") + trackText; }

QString PlaylistItemTrackText(const QString& item) { return item.mid(6); }

int16_t PlaylistItemTrack(const QString& item) { return WholeNumber16(PlaylistItemTrackText(item)); }
