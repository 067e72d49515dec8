// What the ringing alarm does: which sources start and in which order, the gradual volume ramp, sleep
// playback, playlist stepping, the sound loop, the flashing picture, and the orderly exit.

#include "tests/fakes/World.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

using Levels = QList<QPair<int, int>>;

namespace {

const QString Ringing = QStringLiteral("Wake up!");

void Prepare(World& w)
{
    w.platform.cdDrives = {QStringLiteral("E:")};
    w.platform.insertDisc(8);
    w.stored("Alarm/AlarmSound", QStringLiteral("/home/sleeper/rooster.wav"));
    w.stored("Alarm/MidiSound", QStringLiteral("/home/sleeper/reveille.mid"));
    w.start();
}

// Arms the alarm at 7:44:59.96 and lets the clock reach 7:45:00.
void Ring(World& w)
{
    w.platform.setTime(7, 44, 59, 960);
    w.main().Timer1_Timer();
    if (w.main().lblOnOff->text() == QLatin1String("Alarm is off."))
        w.main().cmdOnOff_Click();
    w.platform.setTime(7, 45, 0, 10);
    w.main().Timer1_Timer();
    QCOMPARE(w.main().lblOnOff->text(), Ringing);
}

QString Both(uint32_t level) { return QStringLiteral("0x%1").arg(level | (level << 16), 8, 16, QLatin1Char('0')); }

// The volume calls of one ramp tick: wave then aux for every device 0 to 10.
QStringList RampTick(uint32_t level)
{
    QStringList calls;
    for (int n = 0; n <= 10; ++n) {
        calls << QStringLiteral("waveOutSetVolume(%1, %2)").arg(n).arg(Both(level));
        calls << QStringLiteral("auxSetVolume(%1, %2)").arg(n).arg(Both(level));
    }
    return calls;
}

// Index of the first log entry that matches `pattern`, or -1.
int IndexOf(const FakePlatform& p, const QString& pattern)
{
    const QRegularExpression expression(QRegularExpression::anchoredPattern(pattern));
    for (size_t i = 0; i < p.log.size(); ++i) {
        if (expression.match(p.log[i]).hasMatch())
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

class TestAlarmSources : public QObject {
    Q_OBJECT
private slots:
    void sourcesByAlarmType_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("starts");  // the sources' opening commands, in order
        const QString cd = QStringLiteral("open E: shareable type cdaudio alias cd");
        const QString midi = QStringLiteral("open \"/home/sleeper/reveille.mid\" alias midi ");
        const QString sound = QStringLiteral("open \"/home/sleeper/rooster.wav\" alias Sound");
        QTest::newRow("0 CD and sound") << "0" << QStringList{cd, sound};
        QTest::newRow("1 sound") << "1" << QStringList{sound};
        QTest::newRow("2 CD") << "2" << QStringList{cd};
        QTest::newRow("3 MIDI") << "3" << QStringList{midi};
        QTest::newRow("4 MIDI before sound") << "4" << QStringList{midi, sound};
    }
    void sourcesByAlarmType()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, starts);
        World w;
        w.stored("Alarm/AlarmType", type);
        Prepare(w);
        w.platform.clearLog();
        Ring(w);
        QCOMPARE(w.platform.commandsMatching(QStringLiteral("^open ")), starts);
        const bool cd = starts.first().contains(QLatin1String("cdaudio"));
        QCOMPARE(w.platform.commandsMatching(QStringLiteral("cdaudio|^(seek|play|set) cd")).isEmpty(), !cd);
        QCOMPARE(w.module.AlarmSounding, -1);
        QCOMPARE(w.module.AlarmOn, 0);
        QCOMPARE(w.platform.iconCalls.size() > 0, true);

        // Silencing stops exactly what was started.
        w.platform.clearLog();
        w.module.SilenceAlarm();
        QStringList stops;
        if (type == QLatin1String("3") || type == QLatin1String("4"))
            stops << QStringLiteral("stop midi") << QStringLiteral("close midi");
        stops << QStringLiteral("stop Sound") << QStringLiteral("close Sound");
        if (cd)
            stops << QStringLiteral("stop cd") << QStringLiteral("close cd");
        QCOMPARE(w.platform.mciCommands(), stops);
        QCOMPARE(w.module.AlarmSounding, 0);
    }

    void noDiscStillStartsTheOtherSources()
    {
        World w;
        w.stored("Alarm/AlarmType", QStringLiteral("0"));
        Prepare(w);
        w.platform.removeDisc();
        int boxesWhenSoundStarted = -1;
        w.platform.clearLog();
        Ring(w);
        boxesWhenSoundStarted = static_cast<int>(w.platform.boxes.size());
        QCOMPARE(boxesWhenSoundStarted, 5);
        QVERIFY(w.platform.mciCommands().contains(QStringLiteral("play Sound")));
        QVERIFY(IndexOf(w.platform, QStringLiteral("play Sound")) > IndexOf(w.platform, QStringLiteral("play cd")));
        QCOMPARE(w.main().lblOnOff->text(), Ringing);
    }

    void sleepIsStoppedBeforeTheAlarmCdOpens()
    {
        World w;
        w.stored("Settings/SleepEnabled", QStringLiteral("1"));
        w.stored("Settings/SleepDrive", QStringLiteral("E:"));
        Prepare(w);
        w.platform.setTime(7, 44, 59, 960);
        w.main().Timer1_Timer();
        w.main().cmdOnOff_Click();
        QCOMPARE(w.module.SleepActive, 1);
        w.platform.clearLog();
        w.platform.setTime(7, 45, 0, 10);
        w.main().Timer1_Timer();
        const QStringList commands = w.platform.mciCommands();
        const qsizetype stop = commands.indexOf(QStringLiteral("stop cd"));
        const qsizetype close = commands.indexOf(QStringLiteral("close cd"));
        const qsizetype open = commands.indexOf(QStringLiteral("open E: shareable type cdaudio alias cd"));
        QVERIFY(stop >= 0 && stop < close && close < open);
        QCOMPARE(w.module.SleepActive, 0);
        QVERIFY(!w.main().tmrSleep->isActive());
        QCOMPARE(w.main().StatusText(), QString());
    }

    void ramp_data()
    {
        QTest::addColumn<int>("peak");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("step");
        QTest::addColumn<Levels>("levels");  // tick number, level written
        QTest::newRow("defaults") << 40000 << 4 << 333
                                  << Levels{{1, 333}, {2, 666}, {120, 39960}, {121, 40000}, {200, 40000}};
        QTest::newRow("60000 in a minute") << 60000 << 1 << 2000
                                           << Levels{{1, 2000}, {29, 58000}, {30, 60000}, {31, 60000}};
        QTest::newRow("full in a minute") << 65535 << 1 << 2184
                                          << Levels{{30, 65520}, {31, 65535}, {40, 65535}};
        QTest::newRow("zero minutes count as one") << 60000 << 0 << 2000
                                                   << Levels{{1, 2000}, {30, 60000}};
    }
    void ramp()
    {
        QFETCH(int, peak);
        QFETCH(int, minutes);
        QFETCH(int, step);
        QFETCH(Levels, levels);
        World w;
        w.stored("Alarm/GradualWakeup", QStringLiteral("1"));
        w.stored("Alarm/GradualVolumePeak", QString::number(peak));
        w.stored("Alarm/GradVolumeMinutes", QString::number(minutes));
        Prepare(w);
        w.platform.volumeDevices = 2;
        w.platform.waveVolumes[0] = 0x80008000;
        w.platform.auxVolumes[0] = 0x40004000;
        w.platform.waveVolumes[1] = 0x11112222;
        w.platform.clearLog();
        Ring(w);
        QCOMPARE(w.module.GradualStep, step);
        QVERIFY(w.main().tmrVolume->isActive());
        // Saved, then zeroed, before any source starts.
        const auto first = static_cast<size_t>(IndexOf(w.platform, QStringLiteral("auxGetVolume\\(0\\)")));
        QCOMPARE(w.platform.log[first + 1], QStringLiteral("waveOutGetVolume(0)"));
        QCOMPARE(w.platform.log[first + 22], QStringLiteral("auxSetVolume(0, 0x00000000)"));
        QCOMPARE(w.platform.log[first + 23], QStringLiteral("waveOutSetVolume(0, 0x00000000)"));
        QVERIFY(IndexOf(w.platform, QStringLiteral("waveOutSetVolume\\(10, 0x00000000\\)")) <
                IndexOf(w.platform, QStringLiteral("open .*")));
        QCOMPARE(w.platform.waveVolumes[0], 0u);

        int tick = 0;
        for (const auto& [at, level] : levels) {
            while (tick < at) {
                w.platform.clearLog();
                w.main().tmrVolume_Timer();
                ++tick;
            }
            QCOMPARE(w.platform.mciCommands(), QStringList());
            QCOMPARE(QStringList(w.platform.log.begin(), w.platform.log.end()), RampTick(static_cast<uint32_t>(level)));
        }
        // Silencing restores what was there before the ramp.
        w.module.SilenceAlarm();
        QVERIFY(!w.main().tmrVolume->isActive());
        QCOMPARE(w.platform.waveVolumes[0], 0x80008000u);
        QCOMPARE(w.platform.auxVolumes[0], 0x40004000u);
        QCOMPARE(w.platform.waveVolumes[1], 0x11112222u);
    }

    void sleepPlayback_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("startTrack");
        QTest::addColumn<int>("tracks");
        QTest::addColumn<QString>("seek");
        QTest::addColumn<QStringList>("texts");  // at start, then after each minute
        QTest::newRow("fifteen minutes")
            << 15 << 2 << 8 << "seek cd to 2 wait"
            << QStringList{"Sleeping: 15 minutes left", "Sleeping: 14 minutes left", "Sleeping: 13 minutes left"};
        QTest::newRow("two minutes") << 2 << 1 << 8 << "seek cd to 1 wait"
                                     << QStringList{"Sleeping: 2 minutes left", "Sleeping: 1 minute left", ""};
        QTest::newRow("one minute") << 1 << 1 << 8 << "seek cd to 1 wait"
                                    << QStringList{"Sleeping: 1 minute left", ""};
        QTest::newRow("start track beyond the disc") << 1 << 5 << 3 << "seek cd to 1 wait"
                                                     << QStringList{"Sleeping: 1 minute left", ""};
        QTest::newRow("zero minutes end at the first tick") << 0 << 1 << 3 << "seek cd to 1 wait"
                                                            << QStringList{"Sleeping: 1 minute left", ""};
    }
    void sleepPlayback()
    {
        QFETCH(int, minutes);
        QFETCH(int, startTrack);
        QFETCH(int, tracks);
        QFETCH(QString, seek);
        QFETCH(QStringList, texts);
        World w;
        w.stored("Settings/SleepEnabled", QStringLiteral("1"));
        w.stored("Settings/SleepDrive", QStringLiteral("E:"));
        w.stored("Settings/SleepTime", QString::number(minutes));
        w.stored("Settings/SleepStartTrack", QString::number(startTrack));
        Prepare(w);
        w.platform.insertDisc(tracks);
        w.platform.clearLog();
        w.main().cmdOnOff_Click();
        QCOMPARE(w.platform.mciCommands(),
                 (QStringList{QStringLiteral("status cd mode"), QStringLiteral("open E: shareable type cdaudio alias cd"),
                              QStringLiteral("set cd time format tmsf"), QStringLiteral("status cd number of tracks"),
                              QStringLiteral("set cd seek exactly on"), seek, QStringLiteral("play cd")}));
        QVERIFY(w.main().tmrSleep->isActive());
        QCOMPARE(w.module.CDOpen, -1);
        for (qsizetype i = 0; i < texts.size(); ++i) {
            if (i > 0)
                w.main().tmrSleep_Timer();
            QCOMPARE(w.main().StatusText(), texts[i]);
        }
        if (texts.last().isEmpty()) {
            QCOMPARE(w.module.SleepActive, 0);
            QVERIFY(!w.main().tmrSleep->isActive());
            QCOMPARE(w.platform.mciCommands().mid(w.platform.mciCommands().size() - 2),
                     (QStringList{QStringLiteral("stop cd"), QStringLiteral("close cd")}));
            w.main().Timer1_Timer();
            QCOMPARE(w.module.SleepStatusText, QString());
        }
        // Turning the alarm off ends sleep playback too.
        w.main().cmdOnOff_Click();
        QCOMPARE(w.module.SleepActive, 0);
    }

    void sleepWithoutADriveStillCountsDown()
    {
        World w;
        w.stored("Settings/SleepEnabled", QStringLiteral("1"));
        w.stored("Settings/SleepTime", QStringLiteral("2"));
        w.stored("Settings/Dialog1", QStringLiteral("0"));
        w.start();
        w.platform.answer(QStringLiteral("open  shareable type cdaudio alias cd"), 271);
        w.main().cmdOnOff_Click();
        QCOMPARE(w.platform.boxes.size(), size_t{1});
        QCOMPARE(w.module.SleepActive, 1);
        QCOMPARE(w.main().StatusText(), QStringLiteral("Sleeping: 2 minutes left"));
    }

    void playlistStepping()
    {
        World w;
        Prepare(w);
        w.module.UsePlaylist = 1;
        w.module.PlaylistCount = 3;
        w.module.PlaylistTracks = {2, 8, 5};
        Ring(w);
        frmMain& f = w.main();
        QVERIFY(w.platform.mciCommands().contains(QStringLiteral("play cd from 2 to 3")));
        QVERIFY(f.tmrPlayList->isActive());

        const auto step = [&](const char* mode) {
            w.platform.answer(QStringLiteral("status cd mode"), 0, QLatin1String(mode));
            w.platform.clearLog();
            f.tmrPlayList_Timer();
            return w.platform.mciCommands();
        };
        QCOMPARE(step("playing"), QStringList{QStringLiteral("status cd mode")});
        QCOMPARE(step("stopped"), (QStringList{QStringLiteral("status cd mode"),
                                               QStringLiteral("status cd number of tracks"),
                                               QStringLiteral("play cd from 8")}));
        QCOMPARE(step("stopped"), (QStringList{QStringLiteral("status cd mode"),
                                               QStringLiteral("status cd number of tracks"),
                                               QStringLiteral("play cd from 5 to 6")}));
        QCOMPARE(step("stopped"), QStringList{QStringLiteral("status cd mode")});  // the list is used up
        QCOMPARE(w.module.PlaylistIndex, 3);
        QCOMPARE(step("stopped"), (QStringList{QStringLiteral("stop cd"), QStringLiteral("close cd")}));
        QVERIFY(!f.tmrPlayList->isActive());
        QCOMPARE(w.module.CDOpen, 0);
    }

    void soundLoop_data()
    {
        QTest::addColumn<int>("loop");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<bool>("running");
        QTest::newRow("still playing") << -1 << "playing" << QStringList{"status Sound mode"} << true;
        QTest::newRow("ended, looping")
            << -1 << "stopped"
            << QStringList{"status Sound mode", "Close Sound", "open \"/home/sleeper/rooster.wav\" alias Sound",
                           "play Sound"}
            << true;
        QTest::newRow("ended, once") << 0 << "stopped" << QStringList{"status Sound mode", "Close Sound"} << false;
    }
    void soundLoop()
    {
        QFETCH(int, loop);
        QFETCH(QString, mode);
        QFETCH(QStringList, commands);
        QFETCH(bool, running);
        World w;
        w.stored("Alarm/AlarmType", QStringLiteral("1"));
        Prepare(w);
        w.settings().LoopSound = static_cast<int16_t>(loop);
        Ring(w);
        QVERIFY(w.main().SoundTimer->isActive());
        w.platform.answer(QStringLiteral("status Sound mode"), 0, mode);
        w.platform.clearLog();
        w.main().SoundTimer_Timer();
        QCOMPARE(w.platform.mciCommands(), commands);
        QCOMPARE(w.main().SoundTimer->isActive(), running);
    }

    void flashing()
    {
        World w;
        Prepare(w);
        Ring(w);
        frmMain& f = w.main();
        w.main().Timer1_Timer();  // the tick after the alarm went off starts the flashing
        QVERIFY(f.tmrFlashAlarm->isActive());
        const bool onBefore = f.imgOn->isVisibleTo(&f);
        f.tmrFlashAlarm_Timer();
        QCOMPARE(f.imgOn->isVisibleTo(&f), !onBefore);
        QCOMPARE(f.imgOff->isVisibleTo(&f), onBefore);
        f.tmrFlashAlarm_Timer();
        QCOMPARE(f.imgOn->isVisibleTo(&f), onBefore);
    }

    void exitWithAPlayingCd_data()
    {
        QTest::addColumn<QString>("player");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("handedOver");
        QTest::newRow("Yes") << "/usr/bin/cdplayer" << 6 << true << true;
        QTest::newRow("No") << "/usr/bin/cdplayer" << 7 << true << false;
        QTest::newRow("no CD player installed") << "" << 0 << false << false;
    }
    void exitWithAPlayingCd()
    {
        QFETCH(QString, player);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, handedOver);
        World w;
        w.platform.cdPlayer = player;
        w.platform.readableFiles << player;
        Prepare(w);
        w.module.PlayAlarmCD();
        w.platform.answer(QStringLiteral("status cd mode"), 0, QStringLiteral("playing"));
        w.platform.iconShown = true;
        if (answer)
            w.platform.boxAnswers.push_back(answer);
        w.platform.clearLog();
        w.main().mnuExit_Click();

        QVERIFY(w.module.ProgramEnded);
        QCOMPARE(w.platform.mciCommands().mid(0, 2),
                 (QStringList{QStringLiteral("stop Sound"), QStringLiteral("close Sound")}));
        QCOMPARE(w.platform.commits, 1);  // "Save settings on exit" is checked
        QCOMPARE(w.platform.boxes.size(), size_t(asked ? 1 : 0));
        if (asked) {
            QCOMPARE(w.platform.boxes[0].text,
                     QStringLiteral("Would you like to pass control of the currently playing CD to Linux?  Selecting "
                                    "\"No\" will turn off the CD."));
            QCOMPARE(w.platform.boxes[0].style, 36);
            QCOMPARE(w.platform.boxes[0].title, QStringLiteral("CD is playing"));
        }
        QCOMPARE(w.platform.programsRun, handedOver ? QStringList{QStringLiteral("/usr/bin/cdplayer /dev/sr0")}
                                                    : QStringList());
        QVERIFY(w.platform.mciCommands().contains(QStringLiteral("close cd")));
        QCOMPARE(w.platform.iconShown, handedOver);  // the icon goes, unless the program ended at the hand-over
        QVERIFY(!w.main().isVisible());
        QVERIFY(!w.main().Timer1->isActive());
    }

    void exitWithoutSaving()
    {
        World w;
        Prepare(w);
        w.main().mnuSaveOnExit_Click();  // clearing it saves once, with the item still checked
        QCOMPARE(w.platform.commits, 1);
        QCOMPARE(w.platform.store.value(QStringLiteral("Settings/SaveOnExit")), QStringLiteral("1"));
        QVERIFY(!w.main().mnuSaveOnExit->isChecked());
        w.main().mnuExit_Click();
        QCOMPARE(w.platform.commits, 1);
        QVERIFY(w.module.ProgramEnded);
    }
};

QTEST_MAIN(TestAlarmSources)
#include "test_alarm_sources.moc"
