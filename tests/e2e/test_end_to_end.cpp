// The real program, offscreen, in a home of its own, with SDL's disk audio driver recording what a listener
// would hear: it starts and keeps running, and an alarm set a few seconds ahead rings at its time with its two
// sources, the start track of a disc image and the sound file. (The gradual wake-up is heard in
// test_settings_program, through the test alarm.)

#include "core/TextRules.h"
#include "tests/support/audio_fixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString ProgramPath()
{
    return qEnvironmentVariable("DAWNBELL_TEST_BINARY_DIR") + QStringLiteral("/app/dawnbell");
}

// Starts the program in `home`, recording into home/heard.raw; XDG_RUNTIME_DIR must be private.
bool Launch(QProcess& dawnbell, const QString& home)
{
    QDir().mkpath(home + "/run");
    QFile::setPermissions(home + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : {std::pair{"HOME", home}, std::pair{"XDG_CONFIG_HOME", home + "/.config"},
                                      std::pair{"XDG_DATA_HOME", home + "/.local/share"},
                                      std::pair{"XDG_RUNTIME_DIR", home + "/run"},
                                      std::pair{"QT_QPA_PLATFORM", QStringLiteral("offscreen")},
                                      std::pair{"SDL_AUDIODRIVER", QStringLiteral("disk")},
                                      std::pair{"SDL_DISKAUDIOFILE", home + "/heard.raw"}})
        env.insert(QLatin1String(name), value);
    env.remove(QStringLiteral("SDL_DISKAUDIODELAY"));  // recorded at the pace of a real sound card
    dawnbell.setProcessEnvironment(env);
    dawnbell.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    dawnbell.start(ProgramPath(), {});
    return dawnbell.waitForStarted(10000);
}

// An alarm time whole seconds ahead, far enough from a minute's end that the test cannot straddle midnight.
QTime AlarmAhead(int seconds)
{
    if (QTime::currentTime() > QTime(23, 59, 0))
        QTest::qWait(70000);
    const QTime ahead = QTime::currentTime().addSecs(seconds);
    return QTime(ahead.hour(), ahead.minute(), ahead.second());  // the alarm goes off on the whole second
}

}  // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(QFileInfo::exists(ProgramPath()), qPrintable(ProgramPath())); }

    void startsWithAnEmptyHomeAndKeepsRunning()
    {
        QTemporaryDir home;
        QProcess dawnbell;
        QVERIFY(Launch(dawnbell, home.path()));
        QTest::qWait(2000);
        QCOMPARE(dawnbell.state(), QProcess::Running);
    }

    // In a home of its own, alarm type "CD and sound" with the disc image's track 2 (660 Hz) and a sound file of
    // 550 Hz, turned on at start-up: the program keeps running, nothing sounds before the alarm time, then both
    // sources on both channels, and no other track.
    void theAlarmRingsAtItsTimeWithItsSources()
    {
        QTemporaryDir dir;
        const QString home = dir.path(), data = home + QStringLiteral("/.local/share");
        const QString recording = home + QStringLiteral("/heard.raw"), wav = home + QStringLiteral("/rooster.wav");
        QVERIFY(audiofix::writeToneWav(wav, 550, 20.0, audiofix::cdRate, 2, 0.4));
        const std::vector<audiofix::DiscTrack> tracks = {{440, 20}, {660, 20}, {880, 20}};
        QVERIFY(!audiofix::writeDiscImage(data + "/Dawnbell/discs", QStringLiteral("morning"), tracks, 0.4).isEmpty());
        // The program finds the image after the machine's own CD-ROM drives, as this process does in that home.
        qputenv("XDG_DATA_HOME", data.toUtf8());
        const QString drive = audiofix::driveOf(QStringLiteral("morning.cue"));
        QVERIFY(!drive.isEmpty());
        const QTime alarm = AlarmAhead(4);
        QSettings settings(home + QStringLiteral("/.config/Dawnbell/Dawnbell.conf"), QSettings::IniFormat);
        for (const auto& [key, value] : {std::pair{"Settings/Dialog1", QStringLiteral("0")},
                                         std::pair{"Settings/StartOn", QStringLiteral("1")},
                                         std::pair{"Settings/CDDrive", drive},
                                         std::pair{"Alarm/AlarmTime", TimeText(alarm)},
                                         std::pair{"Alarm/AlarmType", QStringLiteral("0")},
                                         std::pair{"Alarm/AlarmSound", wav},
                                         std::pair{"Alarm/CDStartTrack", QStringLiteral("2")}})
            settings.setValue(QLatin1String(key), value);
        settings.sync();

        QProcess dawnbell;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(Launch(dawnbell, home));
        const qint64 alarmAt = QTime::currentTime().msecsTo(alarm) + clock.elapsed();
        QTest::qWait(int(alarmAt - 400 - clock.elapsed()));
        QCOMPARE(dawnbell.state(), QProcess::Running);
        QVERIFY2(QFileInfo(recording).size() == 0, "sound before the alarm time");
        QTest::qWait(int(alarmAt + 5000 - clock.elapsed()));
        QCOMPARE(dawnbell.state(), QProcess::Running);
        dawnbell.terminate();
        dawnbell.waitForFinished(5000);

        const audiofix::Audio heard = audiofix::readRawS16(recording);
        QVERIFY2(heard.seconds() > 3, qPrintable(QStringLiteral("only %1 s recorded").arg(heard.seconds())));
        const size_t from = heard.at(0.5), window = heard.at(2.0);
        for (const std::vector<float>* side : {&heard.left, &heard.right}) {
            for (double hz : {550.0, 660.0})
                QVERIFY2(audiofix::toneLevel(*side, from, window, hz) > 0.3, qPrintable(QString::number(hz)));
            for (double hz : {440.0, 880.0})
                QVERIFY2(audiofix::toneLevel(*side, from, window, hz) < 0.02, qPrintable(QString::number(hz)));
        }
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
