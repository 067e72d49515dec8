// mcish end to end: the tool reads command strings, the engine plays them through SDL's disk driver, and the
// recording holds what a listener would have heard.

#include "platform/cd_drives.h"
#include "tests/support/audio_fixtures.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <optional>

using namespace audiofix;

namespace {

const QString soundFont = u"/usr/share/sounds/sf2/default-GM.sf2"_qs;

struct Run {
    QStringList lines;
    Audio audio;
    bool clean = false;  // ended by itself with 0 (a sanitizer's report makes it end otherwise)
    QByteArray errors;
};

Run runMcish(const QString& script, const QString& recording)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"SDL_AUDIODRIVER"_qs, u"disk"_qs);
    env.insert(u"SDL_DISKAUDIOFILE"_qs, recording);
    env.insert(u"SDL_DISKAUDIODELAY"_qs, u"0"_qs);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MCISH_PATH), {});
    p.write(script.toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        p.kill();
    Run r;
    r.clean = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    r.errors = p.readAllStandardError();
    r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    r.audio = readRawS16(recording);
    return r;
}

int codeOf(const QString& line)
{
    return line.section(QLatin1Char(' '), 0, 0).toInt();
}

// The first span of `hz` that starts at or after `after` seconds.
std::optional<Span> spanAfter(const std::vector<Span>& spans, double after)
{
    for (const Span& s : spans) {
        if (s.start >= after - 0.03)
            return s;
    }
    return std::nullopt;
}

}  // namespace

class TstMcish : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString drive_;
    QString album_;  // an album folder of three FLAC files and a file that is no sound

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(writeToneWav(dir_.filePath(u"tone.wav"_qs), 440, 0.5));
        QVERIFY(writeMidiFile(dir_.filePath(u"a5.mid"_qs), {{81, 0.0, 0.6}}));
        QVERIFY(!writeDiscImage(discsFolder(), u"mcish"_qs, {{440, 1.0}, {660, 1.2}, {880, 0.8}}).isEmpty());
        QVERIFY(writeAlbumFolder(discsFolder() + u"/mcish album"_qs, {{440, 0.5}, {660, 0.5}, {0, 0.5, true}, {880, 0.5}}));
        for (const CdDrive& d : listCdDrives()) {
            if (d.isImage && QFileInfo(d.source).fileName() == u"mcish.cue"_qs)
                drive_ = d.name;
            if (d.isFolder)
                album_ = d.name;
        }
        QVERIFY(!drive_.isEmpty());
        QVERIFY(!album_.isEmpty());
    }

    void playsDiscSoundFileAndMidiAtTheVolumesSet()
    {
        const bool midi = QFileInfo(soundFont).isReadable();
        QString script = QStringLiteral(
                             "# track 2 of the disc: left at half, right at full\n"
                             "open %1 shareable type cdaudio alias cd\n"
                             "set cd time format tmsf\n"
                             "status cd number of tracks\n"
                             "auxvol 0 0xFFFF8000\n"
                             "play cd from 2 to 3 wait\n"
                             "status cd mode\n"
                             "close cd\n"
                             "# the sound file at a quarter, on the left only\n"
                             "wavevol 0 16384\n"
                             "open \"%2\" alias Sound\n"
                             "play Sound wait\n"
                             "Close Sound\n"
                             "wavevol 0 0xFFFFFFFF\n")
                             .arg(drive_, dir_.filePath(u"tone.wav"_qs));
        if (midi)
            script += QStringLiteral("open \"%1\" alias midi \nplay midi wait\nclose midi\n").arg(dir_.filePath(u"a5.mid"_qs));
        const Run r = runMcish(script, dir_.filePath(u"out.raw"_qs));
        QVERIFY2(r.clean, r.errors.constData());

        QCOMPARE(r.lines.size(), midi ? 15 : 12);
        for (const QString& line : r.lines)
            QVERIFY2(codeOf(line) == 0, qPrintable(line));
        QCOMPARE(r.lines[2], u"0 3"_qs);
        QCOMPARE(r.lines[5], u"0 stopped"_qs);

        const Audio& a = r.audio;
        // Track 2 (660 Hz) first, for its whole 1.2 s, left at half and right at full.
        const std::vector<Span> cd = toneSpans(a.right, 660);
        QVERIFY(!cd.empty());
        const Span track = cd.front();
        QVERIFY2(std::abs(track.length() - 1.2) < 0.041, qPrintable(QString::number(track.length())));
        const size_t from = a.at(track.start + 0.1);
        const size_t n = a.at(1.0);
        QVERIFY(std::abs(toneLevel(a.left, from, n, 660) - 0.25) < 0.005);
        QVERIFY(std::abs(toneLevel(a.right, from, n, 660) - 0.5) < 0.005);

        // Then the sound file, half a second at a quarter of full volume on the left only (16384 sets the left
        // channel; the right word is 0).
        const std::optional<Span> sound = spanAfter(toneSpans(a.left, 440, cdRate, 0.05), track.end);
        QVERIFY(sound);
        QVERIFY2(std::abs(sound->length() - 0.5) < 0.041, qPrintable(QStringLiteral("%1 %2").arg(sound->start).arg(sound->end)));
        QVERIFY(std::abs(toneLevel(a.left, a.at(sound->start + 0.05), a.at(0.4), 440) - 0.125) < 0.005);
        QVERIFY(rms(a.right, a.at(sound->start + 0.05), a.at(0.4)) < 1e-3);

        if (!midi)
            QSKIP("The General MIDI sound font is not installed (package fluid-soundfont-gm); the MIDI part was left out.");
        // Then the sequence: A5 at full volume, its note and its release for longer than the note's 0.6 s. The
        // sound file's span ends on a whole window, so its last few milliseconds may lie beyond it: the sequence
        // is looked for after the silence that follows the sound file (the output mixes whole blocks).
        size_t after = a.at(sound->end);
        for (size_t zeros = 0; after < a.frames() && zeros < 64; ++after)
            zeros = a.left[after] == 0.0F ? zeros + 1 : 0;
        std::vector<float> rest(a.left.begin() + ptrdiff_t(after), a.left.end());
        const size_t first = firstSound(rest, 0.005F);
        QVERIFY(first < rest.size());
        QVERIFY(lastSound(rest, 0.001F) - first > a.at(0.6));
        const std::vector<double> candidates{keyHz(79), keyHz(80), keyHz(81), keyHz(82), keyHz(83), keyHz(69)};
        QCOMPARE(dominantTone(rest, first + a.at(0.1), a.at(0.3), candidates), keyHz(81));
        QVERIFY(rms(rest, first + a.at(0.1), a.at(0.3)) > 0.02);
    }

    void answersEveryLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("answer");  // the code, or the code and the reply
        QTest::newRow("missing file") << u"open \"/nowhere/x.wav\" alias Sound"_qs << u"267 ["_qs;
        QTest::newRow("wave device 4") << u"wavevol 4 0"_qs << u"2 [bad device id]"_qs;
        QTest::newRow("hex volume") << u"auxvol 0 0x0000FFFF\nauxvol 0"_qs << u"0\n0 0x0000FFFF"_qs;
        QTest::newRow("decimal volume") << u"wavevol 0 65535\nwavevol 0"_qs << u"0\n0 0x0000FFFF"_qs;
        QTest::newRow("full at start") << u"wavevol 0"_qs << u"0 0xFFFFFFFF"_qs;
        QTest::newRow("comments and blanks") << u"# nothing\n\n   \nsleep 1"_qs << u"0"_qs;
        QTest::newRow("not a volume") << u"wavevol 0 loud"_qs << u"1 [usage: wavevol N [V]]"_qs;
        QTest::newRow("an album folder's tracks, the file that is no sound a data track")
            << u"open %1 type cdaudio alias cd\nset cd time format tmsf\nstatus cd number of tracks\n"
               "status cd type track 3\nstatus cd length track 2"_qs.arg(album_)
            << u"0\n0\n0 4\n0 other\n0 00:00:38"_qs;
    }

    void answersEveryLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, answer);
        const Run r = runMcish(line + u"\n"_qs, dir_.filePath(u"lines.raw"_qs));
        QVERIFY2(r.clean, r.errors.constData());
        const QStringList expected = answer.split(QLatin1Char('\n'));
        QCOMPARE(r.lines.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QVERIFY2(r.lines[i].startsWith(expected[i]), qPrintable(r.lines[i]));
        // No command here makes a sound, so the output was never opened.
        QVERIFY(!QFileInfo::exists(dir_.filePath(u"lines.raw"_qs)));
    }
};

QTEST_GUILESS_MAIN(TstMcish)
#include "tst_mcish.moc"
