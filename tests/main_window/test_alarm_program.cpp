// The real Dawnbell (the Linux platform and the media engine, recorded by SDL's disk driver) at the alarm: for every
// kind of failure of its sources the built-in alarm tone is heard within two seconds, while the error boxes still
// wait for the user; and without any audio output the notice says why.

#include "core/TextRules.h"
#include "platform/cd_drives.h"
#include "tests/support/RealDawnbell.h"
#include "tests/support/TestHome.h"
#include "tests/support/audio_fixtures.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include <chrono>

using namespace Qt::StringLiterals;

namespace {

int64_t SteadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Waits until `seconds` more of sound are in the recording: the recorder keeps its own pace, which falls behind the
// wall clock on a busy machine.
bool RecordFor(const QString& recording, double seconds)
{
    const qint64 until = QFileInfo(recording).size() + qint64(seconds * audiofix::cdRate) * 4;
    return QTest::qWaitFor([&] { return QFileInfo(recording).size() >= until; }, 10000);
}

// Arms the alarm for the next second but one and returns when it rings, with the steady-clock time of its
// second. Error boxes are closed `boxesFor` ms after the alarm, as a user who wakes would.
int64_t Ring(Dawnbell& dawnbell, int boxesFor)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime alarm = now.addMSecs(2000 - now.time().msec());
    const int64_t alarmNs = SteadyNs() + now.msecsTo(alarm) * 1'000'000;
    dawnbell.form->SetAlarmTimeText(TimeText(alarm.time()));
    dawnbell.form->cmdOnOff_Click();
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closer, [&] {
        if (QWidget* box = QApplication::activeModalWidget(); box && SteadyNs() > alarmNs + boxesFor * 1'000'000LL)
            box->close();
    });
    closer.start(50);
    [&] { QTRY_COMPARE_WITH_TIMEOUT(dawnbell.form->lblOnOff->text(), u"Wake up!"_s, 4000); }();
    return alarmNs;
}

}  // namespace

class TestAlarmProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SKIP_OUTSIDE_TEST_HOME();
        qunsetenv("SDL_DISKAUDIODELAY");  // recorded at the pace of a real sound card: the tone never ends by itself
        // No desktop program takes a file the engine refuses: the desktop's applications are out of sight.
        QVERIFY(QDir().mkpath(Home() + u"/no-applications"_s));
        qputenv("XDG_DATA_DIRS", (Home() + u"/no-applications"_s).toUtf8());
        QVERIFY(audiofix::writeToneWav(Home() + u"/rooster.wav"_s, 440, 10.0));
        QVERIFY(audiofix::writeMidiFile(Home() + u"/reveille.mid"_s, {{69, 0.0, 5.0}}));
        QDir(discsFolder()).removeRecursively();
        QVERIFY(QDir().mkpath(discsFolder() + u"/empty"_s));
    }

    // Each kind of failure: the sources chosen, what is done to them `failAfter` ms after the alarm (-1: nothing),
    // and the start of the notice.
    void theToneStandsInForFailedSources_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("failAfter");
        QTest::addColumn<QString>("notice");
        QTest::newRow("sound file missing") << "1" << "gone.wav" << -1 << "The sound file \"gone.wav\"";
        QTest::newRow("not a sound file") << "1" << "notes.wav" << -1 << "The sound file \"notes.wav\"";
        QTest::newRow("no disc in the drive") << "2" << "empty" << -1 << "The alarm CD in";
        QTest::newRow("no sound font") << "3" << "" << -1 << "The MIDI file \"reveille.mid\"";
        QTest::newRow("a file cut short while it plays") << "1" << "rooster.wav" << 500 << "The sound file \"cut.wav\"";
        QTest::newRow("a disc image pulled while it plays") << "2" << "pulled" << 500 << "The alarm CD in";
    }
    void theToneStandsInForFailedSources()
    {
        QFETCH(QString, type);
        QFETCH(QString, setup);
        QFETCH(int, failAfter);
        QFETCH(QString, notice);
        QMap<QString, QString> stored{{u"Alarm/AlarmType"_s, type}, {u"Alarm/MidiSound"_s, Home() + u"/reveille.mid"_s}};
        QString pulled;  // what the failure takes away
        if (setup == u"rooster.wav"_s) {
            pulled = Home() + u"/cut.wav"_s;
            QFile::remove(pulled);
            QVERIFY(QFile::copy(Home() + u"/rooster.wav"_s, pulled));
            stored[u"Alarm/AlarmSound"_s] = pulled;
        } else if (setup == u"pulled"_s) {
            pulled = audiofix::writeDiscImage(discsFolder(), u"pulled"_s, {{440, 20}}).chopped(4) + u".bin"_s;
            stored[u"Settings/CDDrive"_s] = audiofix::driveOf(u"pulled.cue"_s);
        } else if (setup == u"empty"_s) {
            stored[u"Settings/CDDrive"_s] = audiofix::driveOf(u"empty"_s);
        } else if (setup == u"notes.wav"_s) {
            QFile notes(Home() + u"/notes.wav"_s);
            QVERIFY(notes.open(QIODevice::WriteOnly));
            notes.write("These are notes, not sound.\n");
            stored[u"Alarm/AlarmSound"_s] = notes.fileName();
        } else {
            stored[u"Alarm/AlarmSound"_s] = Home() + u"/"_s + setup;
        }
        const QString recording = Home() + u"/"_s + QString::fromLatin1(QTest::currentDataTag()) + u".raw"_s;
        Dawnbell dawnbell(recording, stored, setup.isEmpty() ? Home() + u"/no-font.sf2"_s : QString());

        int64_t failedAt = Ring(dawnbell, 2500);
        if (failAfter >= 0) {
            QTest::qWait(failAfter);
            QVERIFY(setup == u"rooster.wav"_s ? QFile::resize(pulled, 44 + 4 * 44100 / 2) : QFile::remove(pulled));
            failedAt = SteadyNs();
        }
        QTRY_VERIFY_WITH_TIMEOUT(dawnbell.engine->firstSoundNs(u"tone"_s) != 0, 5000);
        const double delay = double(dawnbell.engine->firstSoundNs(u"tone"_s) - failedAt) / 1e9;
        QVERIFY2(delay > 0 && delay < 2.0, qPrintable(QString::number(delay)));
        QVERIFY2(dawnbell.module->Notice.startsWith(notice) &&
                     dawnbell.module->Notice.endsWith(u"Dawnbell sounds its own alarm tone instead."_s),
                 qPrintable(dawnbell.module->Notice));
        QVERIFY(RecordFor(recording, 1.0));
        // Turned off, the tone stops.
        dawnbell.form->cmdOnOff_Click();
        QCOMPARE(dawnbell.engine->firstSoundNs(u"tone"_s), int64_t(0));

        // In the recording: the tone's four beeps within the second after it started.
        const audiofix::Audio heard = audiofix::readRawS16(recording);
        const std::vector<audiofix::Span> beeps = audiofix::toneSpans(heard.left, 1000.0, heard.rate, 0.05, 0.01);
        QVERIFY2(beeps.size() >= 4, qPrintable(QString::number(beeps.size())));
        QVERIFY(beeps[3].start - beeps[0].start < 0.7);
    }

    // Without any audio output nothing can be heard: the notice says so, and the tone is tried again.
    void noAudioOutputIsSaid()
    {
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        Dawnbell dawnbell(Home() + u"/silent.raw"_s, {{u"Alarm/AlarmType"_s, u"1"_s}, {u"Alarm/AlarmSound"_s, Home() + u"/rooster.wav"_s}}, {});
        Ring(dawnbell, 0);
        QTRY_VERIFY_WITH_TIMEOUT(dawnbell.module->NoAudioSaid, 2000);
        qputenv("SDL_AUDIODRIVER", "disk");
        QVERIFY2(dawnbell.module->Notice.startsWith(u"Dawnbell cannot sound the alarm: No audio output is available"_s),
                 qPrintable(dawnbell.module->Notice));
        QCOMPARE(dawnbell.module->AlarmUrgency, NotificationUrgency::Critical);
        // The sound server is back: the tone sounds at the next try.
        QTRY_VERIFY_WITH_TIMEOUT(dawnbell.engine->firstSoundNs(u"tone"_s) != 0, 4000);
        dawnbell.form->cmdSnooze_Click();
    }
};

QTEST_MAIN(TestAlarmProgram)
#include "test_alarm_program.moc"
