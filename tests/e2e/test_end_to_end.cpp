// The real program, offscreen, in a home of its own, with SDL's disk audio driver recording what a listener
// would hear: it starts and keeps running; an alarm set a few seconds ahead rings at its time with the sound
// file, louder every two seconds; an alarm CD from a disc image plays its start track.

#include "core/TextRules.h"
#include "platform/cd_drives.h"
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

// A home of its own with a settings file, and the program running in it.
class Dawnbell {
public:
    Dawnbell()
    {
        home_ = dir_.path();
        QDir().mkpath(home_ + QStringLiteral("/.config/Dawnbell"));
        QDir().mkpath(home_ + QStringLiteral("/.local/share/Dawnbell/discs"));
        QDir().mkpath(home_ + QStringLiteral("/run"));
        QFile::setPermissions(home_ + QStringLiteral("/run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ~Dawnbell() { stop(); }

    QString home() const { return home_; }
    QString recording() const { return home_ + QStringLiteral("/heard.raw"); }
    QString discs() const { return home_ + QStringLiteral("/.local/share/Dawnbell/discs"); }

    void set(const QString& key, const QString& value)
    {
        QSettings file(home_ + QStringLiteral("/.config/Dawnbell/Dawnbell.conf"), QSettings::IniFormat);
        file.setValue(key, value);
    }

    bool start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home_);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_ + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home_ + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home_ + QStringLiteral("/run"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
        env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), recording());
        env.remove(QStringLiteral("SDL_DISKAUDIODELAY"));  // recorded at the pace of a real sound card
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(ProgramPath(), {});
        return process_.waitForStarted(10000);
    }

    bool running() { return process_.state() == QProcess::Running; }

    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

private:
    QTemporaryDir dir_;
    QString home_;
    QProcess process_;
};

// Lets the event loop run until `deadline` (ms since `clock` started).
void WaitUntil(const QElapsedTimer& clock, qint64 deadline)
{
    while (clock.elapsed() < deadline)
        QTest::qWait(static_cast<int>(std::min<qint64>(50, deadline - clock.elapsed())));
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
        Dawnbell dawnbell;
        QVERIFY(dawnbell.start());
        QTest::qWait(2000);
        QVERIFY(dawnbell.running());
    }

    void soundFileRingsAtItsTimeAndGrowsLouder()
    {
        constexpr double Hz = 440;
        Dawnbell dawnbell;
        const QString wav = dawnbell.home() + QStringLiteral("/rooster.wav");
        QVERIFY(audiofix::writeToneWav(wav, Hz, 40.0));
        const QTime alarm = AlarmAhead(4);
        dawnbell.set(QStringLiteral("Settings/Dialog1"), QStringLiteral("0"));
        dawnbell.set(QStringLiteral("Settings/StartOn"), QStringLiteral("1"));
        dawnbell.set(QStringLiteral("Alarm/AlarmTime"), TimeText(alarm));
        dawnbell.set(QStringLiteral("Alarm/AlarmType"), QStringLiteral("1"));
        dawnbell.set(QStringLiteral("Alarm/AlarmSound"), wav);
        dawnbell.set(QStringLiteral("Alarm/GradualWakeup"), QStringLiteral("1"));
        dawnbell.set(QStringLiteral("Alarm/GradVolumeMinutes"), QStringLiteral("1"));
        dawnbell.set(QStringLiteral("Alarm/GradualVolumePeak"), QStringLiteral("65535"));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(dawnbell.start());

        // Nothing sounds before the alarm time: the output is not even open.
        const qint64 alarmAt = QTime::currentTime().msecsTo(alarm) + clock.elapsed();
        WaitUntil(clock, alarmAt - 400);
        QVERIFY(dawnbell.running());
        QVERIFY2(QFileInfo(dawnbell.recording()).size() == 0, "sound before the alarm time");

        WaitUntil(clock, alarmAt + 11000);
        QVERIFY(dawnbell.running());
        dawnbell.stop();

        const audiofix::Audio heard = audiofix::readRawS16(dawnbell.recording());
        QVERIFY2(heard.seconds() > 8, qPrintable(QStringLiteral("only %1 s recorded").arg(heard.seconds())));
        // The ramp starts from silence and adds a step every two seconds (65535 over a minute: 2184 a step).
        const auto level = [&](double from) {
            return audiofix::toneLevel(heard.left, heard.at(from), heard.at(1.0) - heard.at(0.0), Hz);
        };
        const double step = 2184.0 / 65535.0 * 0.5;  // the file's amplitude is 0.5
        QVERIFY2(level(0.5) < 0.1 * step, qPrintable(QStringLiteral("first two seconds: %1").arg(level(0.5))));
        double previous = 0;
        for (int k = 1; k <= 4; ++k) {
            const double measured = level(2.0 * k + 0.5);
            QVERIFY2(std::abs(measured - k * step) < 0.35 * step,
                     qPrintable(QStringLiteral("step %1: %2, expected about %3").arg(k).arg(measured).arg(k * step)));
            QVERIFY(measured > previous);
            previous = measured;
        }
        // Both channels carry it.
        QVERIFY(audiofix::toneLevel(heard.right, heard.at(6.5), heard.at(1.0), Hz) > 2.5 * step);
    }

    void alarmCdPlaysItsStartTrack()
    {
        Dawnbell dawnbell;
        const QString cue = audiofix::writeDiscImage(dawnbell.discs(), QStringLiteral("morning"),
                                                     {{440, 20}, {660, 20}, {880, 20}});
        QVERIFY(!cue.isEmpty());
        // The image is the drive after the machine's own CD-ROM drives.
        qputenv("XDG_DATA_HOME", (dawnbell.home() + QStringLiteral("/.local/share")).toUtf8());
        QString drive;
        for (const CdDrive& d : listCdDrives()) {
            if (d.isImage)
                drive = d.name;
        }
        QVERIFY(!drive.isEmpty());
        const QTime alarm = AlarmAhead(4);
        dawnbell.set(QStringLiteral("Settings/Dialog1"), QStringLiteral("0"));
        dawnbell.set(QStringLiteral("Settings/StartOn"), QStringLiteral("1"));
        dawnbell.set(QStringLiteral("Settings/CDDrive"), drive);
        dawnbell.set(QStringLiteral("Alarm/AlarmTime"), TimeText(alarm));
        dawnbell.set(QStringLiteral("Alarm/AlarmType"), QStringLiteral("2"));
        dawnbell.set(QStringLiteral("Alarm/CDStartTrack"), QStringLiteral("2"));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(dawnbell.start());
        const qint64 alarmAt = QTime::currentTime().msecsTo(alarm) + clock.elapsed();
        WaitUntil(clock, alarmAt - 400);
        QVERIFY2(QFileInfo(dawnbell.recording()).size() == 0, "sound before the alarm time");
        WaitUntil(clock, alarmAt + 5000);
        QVERIFY(dawnbell.running());
        dawnbell.stop();

        const audiofix::Audio heard = audiofix::readRawS16(dawnbell.recording());
        QVERIFY(heard.seconds() > 3);
        const size_t window = heard.at(2.0);
        QCOMPARE(audiofix::dominantTone(heard.left, heard.at(0.5), window, {440, 660, 880}), 660.0);
        QVERIFY(audiofix::toneLevel(heard.left, heard.at(0.5), window, 660) > 0.4);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
