// What the ringing alarm does: which sources start and in which order, the gradual volume ramp, sleep
// playback, the sound loop, and the orderly exit. What a listener hears of the ramp and of a playlist's
// stepping is test_settings_program's; here are the levels and the calls.

#include "tests/fakes/World.h"

#include <QAction>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;
using Levels = QList<QPair<int, int>>;

class TestAlarmSources : public QObject {
    Q_OBJECT
private slots:
    void sourcesByAlarmType_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("disc");
        QTest::addColumn<QStringList>("starts");  // the sources' opening commands, in order
        QTest::addColumn<QStringList>("stops");   // what silencing sends
        QTest::addColumn<QString>("icons");       // the status icons of the sources
        const QString cd = u"open E: shareable type cdaudio alias cd"_s;
        const QString midi = u"open \"/home/sleeper/reveille.mid\" alias midi "_s;
        const QString sound = u"open \"/home/sleeper/rooster.wav\" alias Sound"_s;
        const QStringList stopCd{u"stop cd"_s, u"close cd"_s};
        const QStringList stopMidi{u"stop midi"_s, u"close midi"_s};
        const QStringList stopSound{u"stop Sound"_s, u"close Sound"_s};
        // The CD, then the sound file (both heard from a disc: test_end_to_end); a CD that fails (each failed
        // checked command says so) does not keep the sound file from starting.
        QTest::newRow("0 no disc") << "0" << false << QStringList{cd, sound} << stopSound + stopCd << "CW";
        QTest::newRow("1 sound") << "1" << true << QStringList{sound} << stopSound << "W";
        QTest::newRow("2 CD") << "2" << true << QStringList{cd} << stopSound + stopCd << "C";
        QTest::newRow("3 MIDI") << "3" << true << QStringList{midi} << stopMidi + stopSound << "M";
        QTest::newRow("4 MIDI before sound") << "4" << true << QStringList{midi, sound} << stopMidi + stopSound << "MW";
    }
    void sourcesByAlarmType()
    {
        QFETCH(QString, type);
        QFETCH(bool, disc);
        QFETCH(QStringList, starts);
        QFETCH(QStringList, stops);
        QFETCH(QString, icons);
        World w{{"Alarm/AlarmType", type}};
        w.startWithDisc();
        QCOMPARE(w.statusIcons(), icons);
        if (!disc)
            w.platform.removeDisc();
        w.platform.clearLog();
        QVERIFY(w.ring());
        QCOMPARE(w.platform.commandsMatching(u"^open "_s), starts);
        QCOMPARE(w.platform.boxes.size(), size_t(disc ? 0 : 5));
        // Silencing stops exactly what was started.
        w.platform.clearLog();
        w.module.SilenceAlarm();
        QCOMPARE(w.platform.mciCommands(), stops);
        QVERIFY(!w.form.SoundTimer->isActive() && !w.form.tmrPlayList->isActive() && w.module.CDOpen == 0);
    }

    void sleepIsStoppedBeforeTheAlarmCdOpens()
    {
        World w{{"Settings/SleepEnabled", "1"}, {"Settings/SleepDrive", "E:"}};
        w.startWithDisc();
        w.arm();
        w.platform.clearLog();
        QVERIFY(w.ring());
        const QStringList commands = w.platform.mciCommands();
        const qsizetype close = commands.indexOf(u"close cd"_s);
        QVERIFY(commands.indexOf(u"stop cd"_s) < close);
        QVERIFY(close < commands.indexOf(u"open E: shareable type cdaudio alias cd"_s));
        QCOMPARE(w.module.SleepActive, 0);
        QCOMPARE(w.form.StatusText(), QString());
    }

    void ramp_data()
    {
        QTest::addColumn<int>("peak");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<Levels>("levels");  // tick number, level written
        QTest::newRow("defaults") << 40000 << 4 << Levels{{1, 333}, {2, 666}, {120, 39960}, {121, 40000}, {200, 40000}};
        QTest::newRow("full in a minute") << 65535 << 1 << Levels{{30, 65520}, {31, 65535}, {40, 65535}};
        QTest::newRow("zero minutes count as one") << 60000 << 0 << Levels{{1, 2000}, {30, 60000}};
        QTest::newRow("a stored peak beyond full") << 70010 << 1 << Levels{{1, 2334}, {28, 65352}, {29, 65535}};
    }
    void ramp()
    {
        QFETCH(int, peak);
        QFETCH(int, minutes);
        QFETCH(Levels, levels);
        World w{{"Alarm/GradualWakeup", "1"},
                {"Alarm/GradualVolumePeak", QString::number(peak)},
                {"Alarm/GradVolumeMinutes", QString::number(minutes)}};
        w.startWithDisc();
        FakePlatform& p = w.platform;
        p.volumeDevices = 2;
        p.waveVolumes[1] = 0x11112222;
        p.clearLog();
        QVERIFY(w.ring());
        // Every device silenced before any source starts. (The first device's volumes saved, zeroed and given
        // back by the shared routines, and the ramp's timer, are the settings dialog's test alarm's.)
        const QStringList log(p.log.begin(), p.log.end());
        QVERIFY(log.indexOf(u"waveOutSetVolume(10, 0x00000000)"_s) < log.indexOf(QRegularExpression(u"open .*"_s)));
        QCOMPARE(p.auxVolumes[1], 0u);

        int tick = 0;
        uint32_t both = 0;
        for (const auto& [at, level] : levels) {
            while (tick < at) {
                w.form.tmrVolume_Timer();
                ++tick;
            }
            both = static_cast<uint32_t>(level) * 0x10001u;  // the level in both channels
            QCOMPARE(p.waveVolumes[0], both);
            QCOMPARE(p.auxVolumes[1], both);
        }
        QCOMPARE(p.log.back(), u"auxSetVolume(10, 0x%1)"_s.arg(both, 8, 16, QLatin1Char('0')));  // every device
        // Silencing restores what was there before the ramp.
        w.module.SilenceAlarm();
        QVERIFY(!w.form.tmrVolume->isActive());
        QCOMPARE(p.waveVolumes[1], 0x11112222u);
    }

    void sleepCountdown_data()
    {
        QTest::addColumn<QString>("drive");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QStringList>("texts");  // at start, then after each minute
        const QStringList twoMinutes{"Sleeping: 2 minutes left", "Sleeping: 1 minute left", ""};
        QTest::newRow("fifteen minutes") << "E:" << 15
                                         << QStringList{"Sleeping: 15 minutes left", "Sleeping: 14 minutes left"};
        QTest::newRow("zero minutes end at the first tick") << "E:" << 0 << QStringList{"Sleeping: 1 minute left", ""};
        // The open fails with its error box, and the countdown runs as with a playing disc.
        QTest::newRow("no drive remembered") << "" << 2 << twoMinutes;
    }
    void sleepCountdown()
    {
        QFETCH(QString, drive);
        QFETCH(int, minutes);
        QFETCH(QStringList, texts);
        World w{{"Settings/SleepEnabled", "1"},
                {"Settings/SleepDrive", drive},
                {"Settings/SleepTime", QString::number(minutes)},
                {"Settings/SleepStartTrack", "2"}};
        w.startWithDisc();
        w.platform.answer(u"open  shareable type cdaudio alias cd"_s, 271);
        w.platform.clearLog();
        w.arm();
        QCOMPARE(w.platform.commandsMatching(u"^(open|seek|play) "_s),
                 (QStringList{"open " + drive + " shareable type cdaudio alias cd", "seek cd to 2 wait", "play cd"}));
        QCOMPARE(w.platform.boxes.size(), size_t(drive.isEmpty() ? 1 : 0));
        QVERIFY(w.form.tmrSleep->isActive());
        for (qsizetype i = 0; i < texts.size(); ++i) {
            if (i > 0)
                w.form.tmrSleep_Timer();
            QCOMPARE(w.form.StatusText(), texts[i]);
        }
        QCOMPARE(w.module.SleepActive, texts.last().isEmpty() ? 0 : 1);
        if (texts.last().isEmpty()) {
            QVERIFY(!w.form.tmrSleep->isActive());
            QCOMPARE(w.platform.mciCommands().mid(w.platform.mciCommands().size() - 2),
                     (QStringList{u"stop cd"_s, u"close cd"_s}));
        }
        // Turning the alarm off ends sleep playback too.
        w.form.cmdOnOff_Click();
        QCOMPARE(w.module.SleepActive, 0);
    }

    void soundLoop_data()
    {
        QTest::addColumn<QString>("loop");  // as stored
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<bool>("running");
        QTest::newRow("still playing") << "1" << "playing" << QStringList{"status Sound mode"} << true;
        QTest::newRow("ended, looping")
            << "1" << "stopped"
            << QStringList{"status Sound mode", "Close Sound", "open \"/home/sleeper/rooster.wav\" alias Sound",
                           "play Sound"}
            << true;
        QTest::newRow("ended, once") << "0" << "stopped" << QStringList{"status Sound mode", "Close Sound"} << false;
    }
    void soundLoop()
    {
        QFETCH(QString, loop);
        QFETCH(QString, mode);
        QFETCH(QStringList, commands);
        QFETCH(bool, running);
        World w{{"Alarm/AlarmType", "1"}, {"Alarm/LoopSound", loop}};
        w.startWithDisc();
        QVERIFY(w.ring());
        QVERIFY(w.form.SoundTimer->isActive());
        w.platform.answer(u"status Sound mode"_s, 0, mode);
        w.platform.clearLog();
        w.form.SoundTimer_Timer();
        QCOMPARE(w.platform.mciCommands(), commands);
        QCOMPARE(w.form.SoundTimer->isActive(), running);
    }

    void exitWithAPlayingCd_data()
    {
        QTest::addColumn<QString>("player");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("handedOver");
        QTest::newRow("Yes") << "/usr/bin/cdplayer" << 6 << true;
        QTest::newRow("No") << "/usr/bin/cdplayer" << 7 << false;
        QTest::newRow("no CD player installed") << "" << 0 << false;
    }
    void exitWithAPlayingCd()
    {
        QFETCH(QString, player);
        QFETCH(int, answer);
        QFETCH(bool, handedOver);
        World w;
        w.platform.cdPlayer = player;
        w.platform.readableFiles << player;
        w.startWithDisc();
        w.module.PlayAlarmCD();
        w.platform.answer(u"status cd mode"_s, 0, u"playing"_s);
        w.platform.iconShown = true;
        if (answer)
            w.platform.boxAnswers.push_back(answer);
        w.platform.clearLog();
        w.form.mnuExit_Click();

        QVERIFY(w.module.ProgramEnded);
        QCOMPARE(w.platform.mciCommands().mid(0, 2), (QStringList{u"stop Sound"_s, u"close Sound"_s}));
        const QStringList ask{"Would you like to pass control of the currently playing CD to Linux?  Selecting \"No\" "
                              "will turn off the CD."};
        QCOMPARE(w.boxTexts(), answer ? ask : QStringList());
        if (answer)
            QCOMPARE(std::make_pair(w.platform.boxes[0].style, w.platform.boxes[0].title),
                     std::make_pair(36, u"CD is playing"_s));  // Yes and No, a question
        QCOMPARE(w.platform.programsRun,
                 handedOver ? QStringList{u"/usr/bin/cdplayer /dev/sr0"_s} : QStringList());
        QVERIFY(w.platform.mciCommands().contains(u"close cd"_s));
        QCOMPARE(w.platform.iconShown, handedOver);  // the icon goes, unless the program ended at the hand-over
    }

    // Never silent: which failure of the chosen sources brings in the alarm tone, what the notice says, and how
    // urgently the notification asks (a sound file, a disc or a sound font missing and a file cut short are heard
    // through the real program and engine: test_alarm_program). Answers are "pattern=code" or "pattern=0:reply";
    // `before` hold as the alarm goes off, `after` from then on; the watch's timer ticks once, `checkAt` ms after
    // the alarm.
    void neverSilent_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("checkAt");
        QTest::addColumn<bool>("tone");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<bool>("critical");
        QTest::addColumn<QString>("silence");  // how it is silenced: "off" (the sources playing on), "snooze", "exit"
        const QStringList playing{u"status .* mode=0:playing"_s};
        const QString instead = u" Dawnbell sounds its own alarm tone instead."_s;
        const QString sound = u"The sound file \"rooster.wav\" could not be played: "_s;
        QTest::newRow("all is well") << "0" << playing << QStringList() << 2000 << false << "" << false << "off";
        QTest::newRow("not a sound file: the desktop's player may take it, the engine judges")
            << "1" << QStringList{u"open .* alias Sound=269"_s, u"play Sound=262"_s, u"status Sound mode=262"_s}
            << QStringList() << 250 << true << sound + "Error 269." + instead << false << "off";
        QTest::newRow("sound file open since start-up, its play fails")
            << "1" << QStringList{u"open .* alias Sound=263"_s, u"play Sound=275"_s} << QStringList() << 250 << true
            << sound + "Error 275." + instead << false << "exit";
        QTest::newRow("no disc, but the sound file plays: told, no tone")
            << "0" << (QStringList{u"(set|seek|play|status) cd.*=277"_s} + playing) << QStringList() << 2000 << false
            << "The alarm CD in E: could not be played: The drive holds no disc." << false << "exit";
        QTest::newRow("the disc taken out while it plays")
            << "2" << playing << QStringList{u"status cd mode=0:not ready"_s, u"status cd length=266"_s} << 2250 << true
            << "The alarm CD in E: could not be played: Error 266." + instead << false << "snooze";
        QTest::newRow("nothing has reported playing, not yet two seconds")
            << "4" << QStringList() << QStringList() << 1750 << false << "" << false << "exit";
        QTest::newRow("nothing reports playing two seconds after the alarm")
            << "4" << QStringList() << QStringList() << 2000 << true
            << "None of the alarm's sources started to play." + instead << false << "off";
        QTest::newRow("no audio output at all")
            << "1" << QStringList{u"play .*=270"_s} << QStringList() << 250 << false
            << "Dawnbell cannot sound the alarm: Error 270." << true << "snooze";
    }
    void neverSilent()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(int, checkAt);
        QFETCH(bool, tone);
        QFETCH(QString, notice);
        QFETCH(bool, critical);
        World w{{"Alarm/AlarmType", type}};
        w.startWithDisc();
        const auto answer = [&](const QStringList& rules) {
            for (const QString& rule : rules) {
                const QString code = rule.section(u'=', -1).section(u':', 0, 0);
                w.platform.answer(rule.section(u'=', 0, -2), code.toUInt(), rule.section(u'=', -1).section(u':', 1));
            }
        };
        answer(before);
        QVERIFY(w.ring(QTime(7, 45)));
        answer(after);
        w.platform.clock = w.platform.clock.addMSecs(checkAt - 10);
        w.form.tmrAlarmCheck_Timer();
        QCOMPARE(w.module.AlarmTonePlaying, tone);
        QCOMPARE(w.module.Notice, notice);
        QCOMPARE(w.form.tmrAlarmCheck->isActive(), !tone);  // the watch ends once the tone plays
        const FakePlatform::Notification shown = w.platform.notifications.at(w.module.AlarmNotification);
        QCOMPARE(shown.urgency, critical ? NotificationUrgency::Critical : NotificationUrgency::Normal);
        QVERIFY(shown.text.endsWith(w.module.AlarmTrouble));
        QFETCH(QString, silence);
        w.platform.clearLog();
        if (silence == u"snooze"_s) {
            w.form.cmdSnooze_Click();
        } else if (silence == u"exit"_s) {
            w.module.ExitProgram();
        } else {
            // Turned off with the sources playing on: the tone stops all the same; what went wrong stays said.
            w.form.mnuOff->setChecked(false);
            w.form.cmdOnOff_Click();
            QCOMPARE(w.module.Notice, notice);
        }
        QCOMPARE(w.platform.mciCommands().contains(u"close tone"_s), tone || critical);
        QVERIFY(!w.form.tmrAlarmCheck->isActive());
    }

    // The MIDI file is opened a minute ahead of the alarm, while it is armed, and let go when it is not wanted;
    // the alarm plays what was opened. Steps: "arm", "off", "snooze" or a time the clock ticks at; "fails" makes
    // every opening of the file fail.
    void midiOpenedAMinuteAhead_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("commands");  // what is sent to the alias "midi" but questions
        const QString open = u"open \"/home/sleeper/reveille.mid\" alias midi "_s;
        const QString close = u"close midi"_s;
        const QString play = u"play midi"_s;
        QTest::newRow("a minute ahead") << "3" << QStringList{"arm", "7:44:00"} << QStringList{open};
        QTest::newRow("further ahead") << "3" << QStringList{"arm", "7:43:59"} << QStringList();
        QTest::newRow("not armed") << "3" << QStringList{"7:44:30"} << QStringList();
        QTest::newRow("no MIDI file in the alarm") << "1" << QStringList{"arm", "7:44:30"} << QStringList();
        QTest::newRow("turned off") << "3" << QStringList{"arm", "7:44:30", "off", "7:44:31"}
                                    << QStringList{open, close};
        QTest::newRow("snoozed: opened again a minute before the snooze ends")
            << "3" << QStringList{"arm", "7:44:30", "7:45:00", "snooze", "7:52:00", "7:52:01"}
            << QStringList{open, play, u"stop midi"_s, close, open};
        QTest::newRow("rung a second late, after a busy moment") << "3" << QStringList{"arm", "7:44:30", "7:45:01"}
                                                                 << QStringList{open, play};
        QTest::newRow("the alarm time passes unheard") << "3" << QStringList{"arm", "7:44:30", "7:46:30"}
                                                       << QStringList{open, close};
        QTest::newRow("cannot be opened: tried once, said when the alarm goes off")
            << "3" << QStringList{"fails", "arm", "7:44:30", "7:44:31", "7:45:00"} << QStringList{open, open, play};
    }
    void midiOpenedAMinuteAhead()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, steps);
        World w{{"Alarm/AlarmType", type}, {"Alarm/AllowSnooze", "1"}};
        w.startWithDisc();
        w.platform.clearLog();
        for (const QString& step : steps) {
            if (step == u"fails"_s)
                w.platform.answer(u"open .* alias midi "_s, 275);
            else if (step == u"arm"_s)
                w.arm();
            else if (step == u"off"_s)
                w.form.cmdOnOff_Click();
            else if (step == u"snooze"_s)
                w.form.cmdSnooze_Click();
            else
                w.tickAt(QTime::fromString(step, u"h:mm:ss"_s));
        }
        QTEST(w.platform.commandsMatching(u"^(?!status).* midi ?$"_s), "commands");
        QCOMPARE(w.module.MidiReady(), w.platform.commandsMatching(u"midi"_s).endsWith(
                                           u"open \"/home/sleeper/reveille.mid\" alias midi "_s));
    }
};

QTEST_MAIN(TestAlarmSources)
#include "test_alarm_sources.moc"
