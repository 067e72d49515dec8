// mcish end to end: the tool reads command strings, the engine plays them through SDL's disk driver, and the
// recording holds what a listener would have heard.

#include "platform/cd_drives.h"
#include "tests/support/audio_fixtures.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace audiofix;

namespace {

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
    // SDL's disk driver, without delay, as every test runs: only the recording is this run's own.
    env.insert(u"SDL_DISKAUDIOFILE"_qs, recording);
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

}  // namespace

class TstMcish : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString drive_;

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(!writeDiscImage(discsFolder(), u"mcish"_qs, {{440, 1.0}, {660, 1.2}, {880, 0.8}}).isEmpty());
        drive_ = driveOf(u"mcish.cue"_qs);
        QVERIFY(!drive_.isEmpty());
    }

    // Through SDL, each channel keeps its own side and its own gain. (How the engine mixes sound files, discs and
    // sequences at their volumes is tst_media_engine's, on a capture output.)
    void playsADiscTrackAtTheVolumeSet()
    {
        const QString script = QStringLiteral(
                                   "# track 2 of the disc: left at half, right at full\n"
                                   "open %1 shareable type cdaudio alias cd\n"
                                   "set cd time format tmsf\n"
                                   "auxvol 0 0xFFFF8000\n"
                                   "play cd from 2 to 3 wait\n"
                                   "status cd mode\n"
                                   "close cd\n")
                                   .arg(drive_);
        const Run r = runMcish(script, dir_.filePath(u"out.raw"_qs));
        QVERIFY2(r.clean, r.errors.constData());
        QCOMPARE(r.lines, (QStringList{u"0"_qs, u"0"_qs, u"0"_qs, u"0"_qs, u"0 stopped"_qs, u"0"_qs}));

        // Track 2 (660 Hz) alone, for its whole 1.2 s, left at half and right at full.
        const Audio& a = r.audio;
        const std::vector<Span> cd = toneSpans(a.right, 660);
        QCOMPARE(cd.size(), size_t(1));
        QVERIFY2(std::abs(cd.front().length() - 1.2) < 0.041, qPrintable(QString::number(cd.front().length())));
        QVERIFY(std::abs(double(audibleFrames(a.right)) / cdRate - 1.2) < 0.041);
        const size_t from = a.at(cd.front().start + 0.1);
        const size_t n = a.at(1.0);
        QVERIFY(std::abs(toneLevel(a.left, from, n, 660) - 0.25) < 0.005);
        QVERIFY(std::abs(toneLevel(a.right, from, n, 660) - 0.5) < 0.005);
    }

    void answersEveryLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("answer");  // the code, or the code and the reply
        QTest::newRow("missing file") << u"open \"/nowhere/x.wav\" alias Sound"_qs << u"267 ["_qs;
        // 4294967295 reaches the engine as device -1.
        const QString badDevice = u"2 [bad device id]"_qs;
        QTest::newRow("no device but 0") << u"wavevol 4 0\nwavevol 1\nauxvol 4294967295 0\nauxvol 4294967295"_qs
                                         << QStringList(4, badDevice).join(u'\n');
        QTest::newRow("hex volume") << u"auxvol 0 0x0000FFFF\nauxvol 0"_qs << u"0\n0 0x0000FFFF"_qs;
        QTest::newRow("decimal volume") << u"wavevol 0 65535\nwavevol 0"_qs << u"0\n0 0x0000FFFF"_qs;
        QTest::newRow("full at start") << u"wavevol 0\nauxvol 0"_qs << u"0 0xFFFFFFFF\n0 0xFFFFFFFF"_qs;
        QTest::newRow("comments and blanks") << u"# nothing\n\n   \nsleep 1"_qs << u"0"_qs;
        QTest::newRow("not a volume") << u"wavevol 0 loud"_qs << u"1 [usage: wavevol N [V]]"_qs;
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
