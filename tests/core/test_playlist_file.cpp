// The rules of playlist files: the lines of a file's bytes, which files are playlists, the fitting to a disc
// with fewer tracks, and the bytes a list is saved as.

#include "core/PlaylistRules.h"

#include <QtTest>

class TestPlaylistFile : public QObject {
    Q_OBJECT
private slots:
    // A file read, then fitted to a disc of `tracks` tracks (0: no disc), and saved again.
    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<double>("tracks");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<bool>("modified");
        const auto row = [](const char* name, const QByteArray& file, double tracks, bool valid,
                            const QStringList& loaded = {}, bool modified = false) {
            QTest::newRow(name) << file << tracks << valid << loaded << modified;
        };
        row("CR LF after every line", "3\r\n12\r\n3\r\n", 12, true, {"3", "12", "3"});
        row("last line without an ending", "3\r\n7", 8, true, {"3", "7"});
        row("a CR alone ends a line", "3\r7\r", 8, true, {"3", "7"});
        row("a lone LF stays in the line", "1\n2\r\n", 12, true, {"1\n2"});
        row("a blank before a number", " 7\r\n", 8, true, {" 7"});
        row("a fraction", "3.5\r\n", 8, true, {"3.5"});
        row("letters after the number", "12abc\r\n", 12, true, {"12abc"});
        row("99 is a track", "99\r\n", 99, true, {"99"});
        row("an empty file", "", 8, true);
        row("a trailing empty line", "3\r\n\r\n", 8, false);
        row("a line feed alone", "\n", 8, false);
        row("zero", "3\r\n0\r\n", 8, false);
        row("100", "100\r\n", 99, false);
        row("negative", "-3\r\n", 8, false);
        row("no number", "Track 3\r\n", 8, false);
        row("UTF-8", "5\xc3\xa9\r\n", 8, true, {QStringLiteral("5\u00e9")});
        row("bytes that are not UTF-8 after the number", "5\xff\r\n", 8, true, {QStringLiteral("5\uFFFD")});
        row("bytes that are not UTF-8 before it", "\xff" "5\r\n", 8, false);
        row("NUL bytes", QByteArray("5\0\r\n", 4), 8, true, {QString(QStringLiteral("5")) + QChar(0)});
        row("tracks beyond the disc", "3\r\n9\r\n4\r\n", 8, true, {"3", "4"}, true);
        row("a fraction beyond the disc", "8\r\n8.5\r\n", 8, true, {"8"}, true);
        row("no disc", "3\r\n1\r\n", 0, true, {}, true);
        row("as many lines as a playlist holds", QByteArray("1\r\n").repeated(PlaylistMaxEntries), 1, true,
            QStringList(PlaylistMaxEntries, QStringLiteral("1")));
        row("one line more", QByteArray("1\r\n").repeated(PlaylistMaxEntries + 1), 1, false);
    }
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(double, tracks);
        QFETCH(bool, valid);
        QFETCH(QStringList, loaded);
        QFETCH(bool, modified);
        const std::optional<QStringList> lines = ReadPlaylistFile(file);
        QCOMPARE(lines.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(*lines, PlaylistFileLines(file));
        const FittedPlaylist fitted = FitPlaylistToDisc(*lines, tracks);
        QCOMPARE(fitted.lines, loaded);
        QCOMPARE(fitted.modified, modified);
        // What was read, saved, reads back the same (the bytes a list is saved as are test_playlist_editor's).
        QCOMPARE(PlaylistFileLines(PlaylistFileContents(*lines)), *lines);
    }
};

QTEST_APPLESS_MAIN(TestPlaylistFile)
#include "test_playlist_file.moc"
