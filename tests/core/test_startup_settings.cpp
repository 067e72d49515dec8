// Start-up and the settings: what a first run shows, that a save gives back every key start-up read, how
// stored texts are read (clamps, last characters, nonsense), the colours, and how the drives, the disc and the
// CD player are found.

#include "tests/fakes/World.h"

#include <QAction>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestStartupSettings : public QObject {
    Q_OBJECT
private slots:
    void firstRun()
    {
        World w;
        w.platform.cdDrives = {u"D:"_s};
        w.platform.cdPlayer = u"/usr/bin/cdplayer"_s;  // named, but not there
        w.start();
        const Settings& s = w.settings();
        QCOMPARE(w.statusIcons(), u"C"_s);  // the CD alone, shown by the tick that has run once
        // Snooze and timer minutes, the ramp's minutes and peak, sleep minutes and track.
        QCOMPARE((QList<int>{s.SnoozeTime, s.TimerTime, s.GradVolumeMinutes, s.GradualVolumePeak, s.SleepTime,
                             s.SleepStartTrack}),
                 (QList<int>{8, 5, 4, 40000, 15, 1}));
        QVERIFY(w.form.TurnOffCdWithAlarm() && w.form.SaveOnExit());
        QVERIFY(!w.form.mnuOff->isEnabled());  // no CD player to hand a playing CD to
        QCOMPARE(QPointF(w.form.LeftTwips(), w.form.TopTwips()), QPointF(975, 1095));
    }

    // A store as a previous run left it, no value at its default: start-up reads every key, a save writes every
    // one back as it was.
    void aSaveGivesBackWhatStartUpRead()
    {
        const QMap<QString, QString> previous = {
            {"Settings/Top", "1500"}, {"Settings/Left", "3000"}, {"Settings/Dialog1", "0"}, {"Settings/Dialog3", "0"},
            {"Settings/Dialog4", "0"}, {"Settings/Dialog5", "0"}, {"Settings/SleepTime", "30"},
            {"Settings/SleepEnabled", "1"}, {"Settings/BGColor", "128"}, {"Alarm/AlarmTime", "6:15:00 AM"},
            {"Alarm/AllowSnooze", "1"}, {"Alarm/AllowMultipleSnoozes", "1"}, {"Alarm/TimerTime", "20"},
            {"Alarm/SnoozeTime", "9"}, {"Settings/ShowTimeRemaining", "1"}, {"Alarm/GradVolumeMinutes", "7"},
            {"Alarm/GradualWakeup", "1"}, {"Alarm/GradualVolumePeak", "65535"}, {"Settings/SleepDrive", "E:"},
            {"Settings/SleepStartTrack", "2"}, {"Alarm/AlarmType", "4"}, {"Alarm/CDStartTrack", "3"},
            {"Alarm/AlarmSound", "/home/sleeper/Music/rooster, loud.wav"},
            {"Alarm/MidiSound", "/home/sleeper/reveille.mid"}, {"Alarm/LoopSound", "1"},
            {"Settings/CDOffWithAlarm", "0"}, {"Settings/ShowInNotify", "1"}, {"Settings/SaveOnExit", "0"},
            {"Settings/StartOn", "1"}, {"Settings/StartMinimized", "1"}, {"Settings/CDDrive", "E:"},
            {"Presets/Preset1", "6:30:00 AM"}, {"Presets/Preset1Desc", "Weekdays"}, {"Presets/Preset2", "9:00:00 AM"},
            {"Presets/Preset2Desc", "Sunday"}, {"Presets/Preset3", "5:10:00 AM"},
            {"Presets/Preset3Desc", "Early train"},
        };
        World w;
        w.platform.cdDrives = {u"D:"_s, u"E:"_s};
        w.platform.insertDisc(10);
        w.platform.cdPlayer = u"/usr/bin/cdplayer"_s;
        w.platform.readableFiles << w.platform.cdPlayer;
        w.platform.store = previous;
        w.start();
        QVERIFY(w.form.mnuOff->isEnabled());
        // Started on (as the start-up notices read) and minimized, without taking the focus; MIDI and sound,
        // snooze, gradual wake-up, sleep.
        QVERIFY(w.form.IsMinimized());
        QVERIFY(w.form.focusWidget() != w.form.txtAlarm);
        QCOMPARE(w.statusIcons(), u"MWZGS"_s);
        w.platform.store.clear();
        w.module.SaveSettings();
        QCOMPARE(w.platform.store.keys(), previous.keys());
        for (auto it = previous.begin(); it != previous.end(); ++it)
            QVERIFY2(w.platform.store.value(it.key()) == it.value(), qPrintable(it.key()));
        QVERIFY(w.platform.boxes.empty());
        // With no source menu checked the type saved is "3", whatever MidiAlarm holds.
        w.form.SetAlarmSources({});
        w.settings().MidiAlarm = 0;
        w.module.SaveSettings();
        QCOMPARE(w.platform.store.value(u"Alarm/AlarmType"_s), u"3"_s);
        // A save that fails warns (its text, and that the old file is kept: test_desktop_events).
        w.platform.commitFails = true;
        w.module.SaveSettings();
        QCOMPARE(w.platform.boxes.at(0).style, 48);
    }

    // What a save writes for one key after start-up read a stored text there.
    void storedTextsAreReadByTheirRules_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("saved");
        // The window's position, kept on the screen.
        QTest::newRow("top saved while minimized") << "Settings/Top" << "-32000" << "1095";
        QTest::newRow("top past its limit") << "Settings/Top" << "7515" << "1095";
        QTest::newRow("top at its limit") << "Settings/Top" << "7500" << "7500";
        QTest::newRow("top with a fraction") << "Settings/Top" << "1500.0" << "1500";
        QTest::newRow("top not a number") << "Settings/Top" << "12abc" << "1095";
        QTest::newRow("left past its limit") << "Settings/Left" << "10015" << "975";
        QTest::newRow("left at its limit, on whole pixels") << "Settings/Left" << "10000" << "9990";
        QTest::newRow("left zero") << "Settings/Left" << "0" << "0";
        // Flags decided by their last character: "1" loops, "0" unchecks.
        QTest::newRow("loop -1") << "Alarm/LoopSound" << "-1" << "1";
        QTest::newRow("loop 10") << "Alarm/LoopSound" << "10" << "0";
        QTest::newRow("save on exit -1") << "Settings/SaveOnExit" << "-1" << "1";
        QTest::newRow("save on exit empty") << "Settings/SaveOnExit" << "" << "1";
        QTest::newRow("CD off yes") << "Settings/CDOffWithAlarm" << "yes" << "1";
        // The alarm type by its last digit; another character keeps the menus (CD only). Which sources each
        // type sounds is the ringing alarm's test.
        for (const char* type : {"0", "1", "2", "3", "4"})
            QTest::newRow(type) << "Alarm/AlarmType" << type << type;
        QTest::newRow("type 14") << "Alarm/AlarmType" << "14" << "4";
        QTest::newRow("type 7") << "Alarm/AlarmType" << "7" << "2";
        QTest::newRow("type abc") << "Alarm/AlarmType" << "abc" << "2";
        // Numbers a field cannot hold, and alarm times the clock never shows, read as their defaults.
        QTest::newRow("sleep beyond 16 bits") << "Settings/SleepTime" << "99999999999" << "15";
        QTest::newRow("peak 1e999") << "Alarm/GradualVolumePeak" << "1e999" << "40000";
        QTest::newRow("alarm time in words") << "Alarm/AlarmTime" << "half past seven" << "7:45:00 AM";
        // Hand-written alarm times are read as the times they mean, in the program's own form (which texts
        // mean a time is the text rules' test).
        QTest::newRow("alarm time without seconds") << "Alarm/AlarmTime" << "6:30 am" << "6:30:00 AM";
    }

    // What start-up could not read is said in the status bar once it is through, also when it arms the alarm (a
    // notice goes when the alarm is next turned on or off: test_main_window_hints_menus' taskbar notice); started on
    // alone, the window is neither minimized nor without the focus (both flags on: the round trip).
    void startUpNotices_data()
    {
        QTest::addColumn<QString>("alarmTime");
        QTest::addColumn<QString>("storeNotice");
        QTest::addColumn<QString>("shown");
        const QString words = QStringLiteral("Dawnbell could not read the alarm time \"+7:45\" in its settings, so the "
                                             "alarm is set for 7:45:00 AM.");
        const QString broken = QStringLiteral("The settings file could not be read; it is kept as Dawnbell.conf.bad.");
        QTest::newRow("all read") << "6:30 AM" << "" << "";
        QTest::newRow("no time") << "+7:45" << "" << words;
        QTest::newRow("a broken file") << "" << broken << broken;
        QTest::newRow("both") << "+7:45" << broken << broken + u' ' + words;
    }
    void startUpNotices()
    {
        QFETCH(QString, alarmTime);
        QFETCH(QString, storeNotice);
        QFETCH(QString, shown);
        World w{{"Settings/StartOn", "1"}};
        if (!alarmTime.isEmpty())
            w.stored("Alarm/AlarmTime", alarmTime);
        w.platform.loadNotice = storeNotice;
        w.start();
        QCOMPARE(w.state(), World::On);
        QVERIFY(!w.form.IsMinimized() && w.form.focusWidget() == w.form.txtAlarm);
        QCOMPARE(w.form.StatusText(), shown);
    }
    void storedTextsAreReadByTheirRules()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, saved);
        World w;
        w.platform.store.insert(key, stored);
        w.start();
        w.module.SaveSettings();
        QCOMPARE(w.platform.store.value(key), saved);
    }

    void backgroundColour_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("bitsPerPixel");
        QTest::addColumn<int>("colour");
        QTest::addColumn<bool>("blackText");
        QTest::newRow("unset, 256 colours") << "-1" << 8 << 0xFFFFFF << true;
        QTest::newRow("unset, 16 bit") << "-1" << 16 << 0xE0E0E0 << true;
        QTest::newRow("at the text threshold") << "4473924" << 24 << 0x444444 << true;
        QTest::newRow("just below it") << "4473923" << 24 << 0x444443 << false;
        QTest::newRow("other negative") << "-5" << 24 << 0xE0E0E0 << true;
        QTest::newRow("leading number") << "255xyz" << 24 << 0x0000FF << false;
        QTest::newRow("beyond 32 bits") << "99999999999" << 8 << 0xFFFFFF << true;
    }
    void backgroundColour()
    {
        QFETCH(QString, stored);
        QFETCH(int, bitsPerPixel);
        QFETCH(int, colour);
        QFETCH(bool, blackText);
        World w{{"Settings/BGColor", stored}};
        w.platform.bitsPerPixel = bitsPerPixel;
        w.start();
        QCOMPARE(w.settings().BGColor, colour);
        const QColor text = blackText ? QColor(Qt::black) : QColor(Qt::white);
        for (QLabel* label : {w.form.lblTime, w.form.lblAlarm, w.form.lblOnOff, w.form.lblTimeLeft, w.form.Label2,
                              w.form.Label3, w.form.lblTimeUntil}) {
            QCOMPARE(label->palette().color(QPalette::WindowText), text);
            QCOMPARE(label->palette().color(QPalette::Window),
                     QColor(colour & 0xFF, (colour >> 8) & 0xFF, colour >> 16));  // 0x00BBGGRR
        }
    }

    // Without a drive the user is told so, unless told not to; ticking the note's box keeps it away from then on
    // (the note itself: test_small_dialogs).
    void driveScan_data()
    {
        QTest::addColumn<QStringList>("drives");
        QTest::addColumn<QString>("saved");  // both the alarm's and the sleep drive
        QTest::addColumn<QString>("cdDrive");
        QTest::addColumn<QString>("sleepDrive");
        QTest::addColumn<QString>("note");  // "shown", "ticked", "suppressed" (Dialog1 0); empty: drives, no note
        QTest::newRow("saved drive is now a hard disk") << QStringList{"E:"} << "D:" << "E:" << "" << "";
        QTest::newRow("saved drive still a CD-ROM") << QStringList{"D:", "E:"} << "E:" << "E:" << "E:" << "";
        QTest::newRow("nothing saved") << QStringList{"F:", "G:"} << "" << "F:" << "" << "";
        QTest::newRow("no drive, the note shown") << QStringList{} << "D:" << "" << "" << "shown";
        QTest::newRow("no drive, the note ticked") << QStringList{} << "D:" << "" << "" << "ticked";
        QTest::newRow("no drive, the note suppressed") << QStringList{} << "D:" << "" << "" << "suppressed";
    }
    void driveScan()
    {
        QFETCH(QStringList, drives);
        QFETCH(QString, saved);
        QFETCH(QString, cdDrive);
        QFETCH(QString, sleepDrive);
        QFETCH(QString, note);
        World w{{"Settings/CDDrive", saved}, {"Settings/SleepDrive", saved},
                {"Settings/Dialog1", note == u"suppressed"_s ? "0" : "1"}};
        w.platform.cdDrives = drives;
        QString text;
        w.platform.onModal = [&](QDialog& form) {
            text = form.findChild<QLabel*>(u"lblText"_s)->text();
            if (note == u"ticked"_s)
                form.findChild<QAbstractButton*>(u"chkShow"_s)->click();
            form.findChild<QPushButton*>(u"cmdOK"_s)->click();
            return form.result();
        };
        w.start();
        QCOMPARE(w.settings().CDDrive, cdDrive);
        QCOMPARE(w.settings().SleepDrive, sleepDrive);
        const bool shown = note == u"shown"_s || note == u"ticked"_s;
        QCOMPARE(w.platform.modalForms, shown ? 1 : 0);
        QCOMPARE(text, shown ? u"Dawnbell was unable to detect any CD-ROM drives.  Some features will be unavailable."_s
                             : QString());
        QCOMPARE(w.settings().Dialog1, note.isEmpty() || note == u"shown"_s ? 1 : 0);
        QVERIFY(w.form.isVisible());
    }

    // A start track inside the disc is kept: heard in test_end_to_end. Here, the edges.
    void startTrackAfterTheProbe_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("count");  // the probe's reply; empty when there is no disc
        QTest::addColumn<int>("startTrack");
        QTest::newRow("12 on a 10-track disc") << 12 << "10" << 1;
        QTest::newRow("12 with no disc") << 12 << "" << 1;
        QTest::newRow("10 on a 10-track disc") << 10 << "10" << 10;
        QTest::newRow("0 becomes 1") << 0 << "10" << 1;
        QTest::newRow("negative becomes 1") << -4 << "10" << 1;
        QTest::newRow("a count of 2.5 is 2, below 3") << 3 << "2.5" << 1;
    }
    void startTrackAfterTheProbe()
    {
        QFETCH(int, stored);
        QFETCH(QString, count);
        QFETCH(int, startTrack);
        World w{{"Alarm/CDStartTrack", QString::number(stored)}, {"Alarm/AlarmSound", "/home/sleeper/rooster.wav"}};
        w.platform.cdDrives = {u"E:"_s};
        w.platform.answer(u"status cd number of tracks"_s, 0, count);
        w.start();
        QCOMPARE(w.settings().CDStartTrack, startTrack);
        // The probe, then the sound file opened ahead of the alarm; failures report nothing.
        QCOMPARE(w.platform.mciCommands(),
                 (QStringList{u"open E: type cdaudio alias cd"_s, u"set cd time format tmsf"_s,
                              u"status cd number of tracks"_s, u"close cd"_s,
                              u"open \"/home/sleeper/rooster.wav\" alias Sound"_s}));
        QVERIFY(w.platform.boxes.empty());
    }
};

QTEST_MAIN(TestStartupSettings)
#include "test_startup_settings.moc"
