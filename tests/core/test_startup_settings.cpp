// Start-up and the settings: what a first run loads, how stored values are read and clamped, what a save
// writes, and how the drives and the disc are found.

#include "tests/fakes/World.h"

#include "core/TextRules.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

struct MenuState {
    bool cdAndSound, alarm, cd;
    int midi;
};

MenuState Menus(World& w)
{
    return {w.main().mnuCDAndSound->isChecked(), w.main().mnuAlarm->isChecked(), w.main().mnuCD->isChecked(),
            w.settings().MidiAlarm};
}

// Every key a save writes, in the order it writes them.
const QStringList SavedKeys = {
    QStringLiteral("Settings/Top"), QStringLiteral("Settings/Left"), QStringLiteral("Settings/Dialog1"),
    QStringLiteral("Settings/Dialog3"), QStringLiteral("Settings/Dialog4"), QStringLiteral("Settings/Dialog5"),
    QStringLiteral("Settings/SleepTime"), QStringLiteral("Settings/SleepEnabled"), QStringLiteral("Settings/BGColor"),
    QStringLiteral("Alarm/AlarmTime"), QStringLiteral("Alarm/AllowSnooze"), QStringLiteral("Alarm/AllowMultipleSnoozes"),
    QStringLiteral("Alarm/TimerTime"), QStringLiteral("Alarm/SnoozeTime"), QStringLiteral("Settings/ShowTimeRemaining"),
    QStringLiteral("Alarm/GradVolumeMinutes"), QStringLiteral("Alarm/GradualWakeup"),
    QStringLiteral("Alarm/GradualVolumePeak"), QStringLiteral("Settings/SleepDrive"),
    QStringLiteral("Settings/SleepStartTrack"), QStringLiteral("Alarm/AlarmType"), QStringLiteral("Alarm/CDStartTrack"),
    QStringLiteral("Alarm/AlarmSound"), QStringLiteral("Alarm/MidiSound"), QStringLiteral("Alarm/LoopSound"),
    QStringLiteral("Settings/CDOffWithAlarm"), QStringLiteral("Settings/ShowInNotify"),
    QStringLiteral("Settings/SaveOnExit"), QStringLiteral("Settings/StartOn"), QStringLiteral("Settings/StartMinimized"),
    QStringLiteral("Settings/CDDrive"), QStringLiteral("Presets/Preset1"), QStringLiteral("Presets/Preset1Desc"),
    QStringLiteral("Presets/Preset2"), QStringLiteral("Presets/Preset2Desc"), QStringLiteral("Presets/Preset3"),
    QStringLiteral("Presets/Preset3Desc"),
};

}  // namespace

class TestStartupSettings : public QObject {
    Q_OBJECT
private slots:
    void firstRunLoadsEveryDefault()
    {
        World w;
        w.platform.cdDrives = {QStringLiteral("D:")};
        w.start();
        const Settings& s = w.settings();
        QCOMPARE(w.main().lblAlarm->text(), QStringLiteral("7:45:00 AM"));
        QCOMPARE(w.main().lblOnOff->text(), QStringLiteral("Alarm is off."));
        QCOMPARE(Menus(w).cd, true);
        QCOMPARE(Menus(w).cdAndSound || Menus(w).alarm, false);
        QCOMPARE(s.MidiAlarm, 0);
        QCOMPARE(s.SnoozeTime, 8);
        QCOMPARE(s.TimerTime, 5);
        QCOMPARE(s.GradVolumeMinutes, 4);
        QCOMPARE(s.GradualVolumePeak, 40000);
        QCOMPARE(s.SleepTime, 15);
        QCOMPARE(s.SleepStartTrack, 1);
        QCOMPARE(s.SleepEnabled, 0);
        QCOMPARE(s.AllowSnooze, 0);
        QCOMPARE(s.AllowMultipleSnoozes, 0);
        QCOMPARE(s.GradualWakeup, 0);
        QCOMPARE(s.CDStartTrack, 1);
        QCOMPARE(s.LoopSound, 0);
        QCOMPARE(s.Dialog1, 1);
        QCOMPARE(s.Dialog5, 1);
        QVERIFY(w.main().mnuOff->isChecked());
        QVERIFY(w.main().mnuSaveOnExit->isChecked());
        QCOMPARE(w.main().LeftTwips(), 975.0);
        QCOMPARE(w.main().TopTwips(), 1095.0);
        QCOMPARE(s.CDDrive, QStringLiteral("D:"));
        QCOMPARE(s.SleepDrive, QString());
        QCOMPARE(w.module.AlarmAt, QStringLiteral("7:45:00 AM"));
        QVERIFY(w.main().isVisible());
        QCOMPARE(w.main().HeightTwips(), NormalHeightTwips);
        QCOMPARE(w.module.AppFolder, QStringLiteral("/opt/dawnbell/bin/"));
        QCOMPARE(w.module.IsWindowsNT, 1);
        QCOMPARE(w.platform.modalForms, 0);
    }

    void windowPositionIsClamped_data()
    {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("left");
        QTest::addColumn<double>("expectedTop");
        QTest::addColumn<double>("expectedLeft");
        QTest::newRow("in range") << "1500" << "3000" << 1500.0 << 3000.0;
        QTest::newRow("saved while minimized") << "-32000" << "-32000" << 1095.0 << 975.0;
        QTest::newRow("at the limits, on whole pixels") << "7500" << "10000" << 7500.0 << 9990.0;
        QTest::newRow("past the limits") << "7515" << "10015" << 1095.0 << 975.0;
        QTest::newRow("zero") << "0" << "0" << 0.0 << 0.0;
        QTest::newRow("nonsense") << "abc" << "12abc" << 1095.0 << 975.0;
        QTest::newRow("fraction") << "1500.0" << "300.00" << 1500.0 << 300.0;
    }
    void windowPositionIsClamped()
    {
        QFETCH(QString, top);
        QFETCH(QString, left);
        QFETCH(double, expectedTop);
        QFETCH(double, expectedLeft);
        World w;
        w.stored("Settings/Top", top);
        w.stored("Settings/Left", left);
        w.start();
        QCOMPARE(w.main().TopTwips(), expectedTop);
        QCOMPARE(w.main().LeftTwips(), expectedLeft);
    }

    void backgroundColour_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("bitsPerPixel");
        QTest::addColumn<int>("colour");
        QTest::addColumn<bool>("blackText");
        QTest::newRow("unset, 256 colours") << "-1" << 8 << 0xFFFFFF << true;
        QTest::newRow("unset, 16 bit") << "-1" << 16 << 0xE0E0E0 << true;
        QTest::newRow("unset, 24 bit") << "-1" << 24 << 0xE0E0E0 << true;
        QTest::newRow("missing") << "" << 8 << 0xFFFFFF << true;
        QTest::newRow("dark red") << "128" << 24 << 0x000080 << false;
        QTest::newRow("at the text threshold") << "4473924" << 24 << 0x444444 << true;
        QTest::newRow("just below it") << "4473923" << 24 << 0x444443 << false;
        QTest::newRow("other negative") << "-5" << 24 << 0xE0E0E0 << true;
        QTest::newRow("leading number") << "255xyz" << 24 << 0x0000FF << false;
        QTest::newRow("no number at all") << "blue" << 24 << 0xE0E0E0 << true;
        QTest::newRow("beyond 32 bits") << "99999999999" << 8 << 0xFFFFFF << true;
    }
    void backgroundColour()
    {
        QFETCH(QString, stored);
        QFETCH(int, bitsPerPixel);
        QFETCH(int, colour);
        QFETCH(bool, blackText);
        World w;
        if (!stored.isEmpty())
            w.stored("Settings/BGColor", stored);
        w.platform.bitsPerPixel = bitsPerPixel;
        w.start();
        QCOMPARE(w.settings().BGColor, colour);
        const QColor expectedText = blackText ? QColor(Qt::black) : QColor(Qt::white);
        for (QLabel* label : {w.main().lblTime, w.main().lblAlarm, w.main().lblOnOff, w.main().lblTimeLeft,
                              w.main().Label2, w.main().Label3, w.main().lblTimeUntil}) {
            QCOMPARE(label->palette().color(QPalette::WindowText), expectedText);
            QCOMPARE(label->palette().color(QPalette::Window).rgb() & 0xFFFFFF,
                     static_cast<QRgb>(((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF)));
        }
    }

    void alarmTypeLoads_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("cdAndSound");
        QTest::addColumn<bool>("alarm");
        QTest::addColumn<bool>("cd");
        QTest::addColumn<int>("midi");
        QTest::newRow("0 CD and sound") << "0" << true << false << false << 0;
        QTest::newRow("1 sound only") << "1" << false << true << false << 0;
        QTest::newRow("2 CD only") << "2" << false << false << true << 0;
        QTest::newRow("3 MIDI only") << "3" << false << false << false << 1;
        QTest::newRow("4 MIDI and sound") << "4" << false << true << false << 1;
        QTest::newRow("last digit decides") << "14" << false << true << false << 1;
        QTest::newRow("other digit keeps the menus") << "7" << false << false << true << 0;
        QTest::newRow("letters keep the menus") << "abc" << false << false << true << 0;
    }
    void alarmTypeLoads()
    {
        QFETCH(QString, stored);
        QFETCH(bool, cdAndSound);
        QFETCH(bool, alarm);
        QFETCH(bool, cd);
        QFETCH(int, midi);
        World w;
        w.stored("Alarm/AlarmType", stored);
        w.start();
        QCOMPARE(Menus(w).cdAndSound, cdAndSound);
        QCOMPARE(Menus(w).alarm, alarm);
        QCOMPARE(Menus(w).cd, cd);
        QCOMPARE(Menus(w).midi, midi);
    }

    void alarmTypeSaves_data()
    {
        QTest::addColumn<bool>("cdAndSound");
        QTest::addColumn<bool>("alarm");
        QTest::addColumn<bool>("cd");
        QTest::addColumn<int>("midi");
        QTest::addColumn<QString>("saved");
        QTest::newRow("CD and sound") << true << false << false << 0 << "0";
        QTest::newRow("sound only") << false << true << false << 0 << "1";
        QTest::newRow("CD only") << false << false << true << 0 << "2";
        QTest::newRow("MIDI only") << false << false << false << 1 << "3";
        QTest::newRow("none checked, no MIDI") << false << false << false << 0 << "3";
        QTest::newRow("MIDI and sound") << false << true << false << 1 << "4";
    }
    void alarmTypeSaves()
    {
        QFETCH(bool, cdAndSound);
        QFETCH(bool, alarm);
        QFETCH(bool, cd);
        QFETCH(int, midi);
        QFETCH(QString, saved);
        World w;
        w.start();
        w.main().mnuCDAndSound->setChecked(cdAndSound);
        w.main().mnuAlarm->setChecked(alarm);
        w.main().mnuCD->setChecked(cd);
        w.settings().MidiAlarm = static_cast<int16_t>(midi);
        w.module.SaveSettings();
        QCOMPARE(w.platform.store.value(QStringLiteral("Alarm/AlarmType")), saved);
        // And the saved type loads back into the same menus.
        World again;
        again.platform.store = w.platform.store;
        again.start();
        QCOMPARE(Menus(again).cdAndSound, cdAndSound);
        QCOMPARE(Menus(again).alarm, alarm);
        QCOMPARE(Menus(again).cd, cd);
        QCOMPARE(Menus(again).midi, saved == QLatin1String("3") || saved == QLatin1String("4") ? 1 : 0);
    }

    void flagsDecidedByTheirLastCharacter_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("loop");
        QTest::addColumn<bool>("checked");
        QTest::newRow("1") << "1" << -1 << true;
        QTest::newRow("-1") << "-1" << -1 << true;
        QTest::newRow("0") << "0" << 0 << false;
        QTest::newRow("10") << "10" << 0 << false;
        QTest::newRow("empty text") << "" << 0 << true;
        QTest::newRow("yes") << "yes" << 0 << true;
    }
    void flagsDecidedByTheirLastCharacter()
    {
        QFETCH(QString, stored);
        QFETCH(int, loop);
        QFETCH(bool, checked);
        World w;
        w.stored("Alarm/LoopSound", stored);
        w.stored("Settings/SaveOnExit", stored);
        w.stored("Settings/CDOffWithAlarm", stored);
        w.start();
        QCOMPARE(w.settings().LoopSound, loop);
        QCOMPARE(w.main().mnuSaveOnExit->isChecked(), checked);
        QCOMPARE(w.main().mnuOff->isChecked(), checked);
    }

    void nonsenseReadsAsDefaults()
    {
        World w;
        const QStringList keys = SavedKeys;
        for (const QString& key : keys)
            w.platform.store.insert(key, QStringLiteral("99999999999"));
        w.stored("Alarm/SnoozeTime", QStringLiteral("abc"));
        w.stored("Alarm/GradualVolumePeak", QStringLiteral("1e999"));
        w.stored("Alarm/AlarmTime", QStringLiteral("half past seven"));
        w.stored("Settings/SleepTime", QStringLiteral("-"));
        w.start();
        const Settings& s = w.settings();
        QCOMPARE(s.SnoozeTime, 8);
        QCOMPARE(s.GradualVolumePeak, 40000);
        QCOMPARE(s.SleepTime, 15);
        QCOMPARE(s.TimerTime, 5);
        QCOMPARE(s.GradVolumeMinutes, 4);
        QCOMPARE(s.SleepStartTrack, 1);
        QCOMPARE(s.CDStartTrack, 1);
        QCOMPARE(s.Dialog1, 1);
        QCOMPARE(s.StartOn, 0);
        QCOMPARE(s.BGColor, 0xE0E0E0);
        QCOMPARE(w.main().lblAlarm->text(), QStringLiteral("7:45:00 AM"));
        QCOMPARE(w.main().TopTwips(), 1095.0);
        // The last-character rules hold for the flags: "...9" is neither "0" nor "1".
        QCOMPARE(s.LoopSound, 0);
        QVERIFY(w.main().mnuSaveOnExit->isChecked());
        QVERIFY(w.main().isVisible());
    }

    void saveWritesEveryKeyInOrder()
    {
        World w;
        w.platform.cdDrives = {QStringLiteral("D:"), QStringLiteral("E:")};
        w.stored("Settings/SleepDrive", QStringLiteral("E:"));
        w.stored("Alarm/AlarmSound", QStringLiteral("/home/sleeper/Music/rooster, loud.wav"));
        w.stored("Alarm/LoopSound", QStringLiteral("-1"));
        w.stored("Settings/CDOffWithAlarm", QStringLiteral("0"));
        w.stored("Alarm/GradualVolumePeak", QStringLiteral("65535"));
        w.stored("Presets/Preset2", QStringLiteral("6:30:00 AM"));
        w.stored("Presets/Preset2Desc", QStringLiteral("Weekdays"));
        w.start();
        w.main().lblAlarm->setText(QStringLiteral("6:15:00 AM"));
        w.main().mnuSaveNow->trigger();

        QStringList keys;
        for (const auto& [key, value] : w.platform.saved)
            keys << key;
        QCOMPARE(keys, SavedKeys);
        QCOMPARE(keys.size(), 37);
        QCOMPARE(w.platform.commits, 1);
        const auto& store = w.platform.store;
        QCOMPARE(store.value(QStringLiteral("Settings/Top")), QStringLiteral("1095"));
        QCOMPARE(store.value(QStringLiteral("Settings/Left")), QStringLiteral("975"));
        QCOMPARE(store.value(QStringLiteral("Alarm/AlarmTime")), QStringLiteral("6:15:00 AM"));
        QCOMPARE(store.value(QStringLiteral("Alarm/LoopSound")), QStringLiteral("1"));
        QCOMPARE(store.value(QStringLiteral("Settings/CDOffWithAlarm")), QStringLiteral("0"));
        QCOMPARE(store.value(QStringLiteral("Settings/SaveOnExit")), QStringLiteral("1"));
        QCOMPARE(store.value(QStringLiteral("Settings/BGColor")), QString::number(0xE0E0E0));
        QCOMPARE(store.value(QStringLiteral("Alarm/GradualVolumePeak")), QStringLiteral("65535"));
        QCOMPARE(store.value(QStringLiteral("Alarm/AlarmSound")), QStringLiteral("/home/sleeper/Music/rooster, loud.wav"));
        QCOMPARE(store.value(QStringLiteral("Settings/SleepDrive")), QStringLiteral("E:"));
        QCOMPARE(store.value(QStringLiteral("Settings/CDDrive")), QStringLiteral("D:"));
        QCOMPARE(store.value(QStringLiteral("Presets/Preset2Desc")), QStringLiteral("Weekdays"));
        QCOMPARE(store.value(QStringLiteral("Alarm/AlarmType")), QStringLiteral("2"));
        QVERIFY(w.platform.boxes.empty());
    }

    void aSaveThatFailsIsReported()
    {
        World w;
        w.start();
        w.platform.commitFails = true;
        w.module.SaveSettings();
        QCOMPARE(w.platform.boxes.size(), size_t{1});
        QVERIFY(w.platform.boxes[0].text.startsWith(QLatin1String("Dawnbell was unable to save your settings.  ")));
        QVERIFY(w.platform.boxes[0].text.contains(QLatin1String("read-only")));
        QCOMPARE(w.platform.boxes[0].style, 48);
        QCOMPARE(w.platform.boxes[0].title, QStringLiteral("Dawnbell"));
    }

    void driveScan_data()
    {
        QTest::addColumn<QStringList>("drives");
        QTest::addColumn<QString>("savedCD");
        QTest::addColumn<QString>("savedSleep");
        QTest::addColumn<QString>("cdDrive");
        QTest::addColumn<QString>("sleepDrive");
        QTest::newRow("saved drive is now a hard disk") << QStringList{QStringLiteral("E:")} << "D:" << "D:" << "E:" << "";
        QTest::newRow("saved drive still a CD-ROM") << QStringList{QStringLiteral("D:"), QStringLiteral("E:")} << "E:" << "E:" << "E:" << "E:";
        QTest::newRow("nothing saved") << QStringList{QStringLiteral("F:"), QStringLiteral("G:")} << "" << "" << "F:" << "";
        QTest::newRow("no drive at all") << QStringList{} << "D:" << "D:" << "" << "";
    }
    void driveScan()
    {
        QFETCH(QStringList, drives);
        QFETCH(QString, savedCD);
        QFETCH(QString, savedSleep);
        QFETCH(QString, cdDrive);
        QFETCH(QString, sleepDrive);
        World w;
        w.platform.cdDrives = drives;
        w.stored("Settings/CDDrive", savedCD);
        w.stored("Settings/SleepDrive", savedSleep);
        w.stored("Settings/Dialog1", QStringLiteral("0"));
        w.start();
        QCOMPARE(w.settings().CDDrive, cdDrive);
        QCOMPARE(w.settings().SleepDrive, sleepDrive);
    }

    void noDriveShowsTheNoteUnlessSuppressed_data()
    {
        QTest::addColumn<QString>("dialog1");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("after");
        QTest::newRow("shown, left unticked") << "1" << false << 1 << 1;
        QTest::newRow("shown, ticked") << "1" << true << 1 << 0;
        QTest::newRow("suppressed") << "0" << false << 0 << 0;
    }
    void noDriveShowsTheNoteUnlessSuppressed()
    {
        QFETCH(QString, dialog1);
        QFETCH(bool, tick);
        QFETCH(int, shown);
        QFETCH(int, after);
        World w;
        w.stored("Settings/Dialog1", dialog1);
        QString text;
        w.platform.onModal = [&](QDialog& form) {
            text = form.findChild<QLabel*>(QStringLiteral("lblText"))->text();
            if (tick)
                form.findChild<QAbstractButton*>(QStringLiteral("chkShow"))->click();
            form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
            return form.result();
        };
        w.start();
        QCOMPARE(w.platform.modalForms, shown);
        QCOMPARE(w.settings().Dialog1, after);
        if (shown) {
            QCOMPARE(text, QStringLiteral("Dawnbell was unable to detect any CD-ROM drives.  Some features will be "
                                          "unavailable."));
            QCOMPARE(w.platform.beeps, 1);
        }
        QVERIFY(w.main().isVisible());
    }

    void startTrackAfterTheProbe_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("tracks");  // -1: no disc
        QTest::addColumn<int>("startTrack");
        QTest::newRow("12 on a 10-track disc") << "12" << 10 << 1;
        QTest::newRow("12 with no disc") << "12" << -1 << 1;
        QTest::newRow("12 on a 14-track disc") << "12" << 14 << 12;
        QTest::newRow("10 on a 10-track disc") << "10" << 10 << 10;
        QTest::newRow("0 becomes 1") << "0" << 10 << 1;
        QTest::newRow("negative becomes 1") << "-4" << 10 << 1;
    }
    void startTrackAfterTheProbe()
    {
        QFETCH(QString, stored);
        QFETCH(int, tracks);
        QFETCH(int, startTrack);
        World w;
        w.platform.cdDrives = {QStringLiteral("E:")};
        if (tracks < 0)
            w.platform.removeDisc();
        else
            w.platform.insertDisc(tracks);
        w.stored("Alarm/CDStartTrack", stored);
        w.start();
        QCOMPARE(w.settings().CDStartTrack, startTrack);
        const QStringList probe = w.platform.mciCommands().mid(0, 4);
        QCOMPARE(probe, (QStringList{QStringLiteral("open E: type cdaudio alias cd"),
                                     QStringLiteral("set cd time format tmsf"),
                                     QStringLiteral("status cd number of tracks"), QStringLiteral("close cd")}));
        QVERIFY(w.platform.boxes.empty());  // the probe reports nothing
    }

    void startUpPreOpensTheSound()
    {
        World w;
        w.stored("Alarm/AlarmSound", QStringLiteral("/home/sleeper/rooster.wav"));
        w.start();
        QVERIFY(w.platform.mciCommands().contains(QStringLiteral("open \"/home/sleeper/rooster.wav\" alias Sound")));
        QCOMPARE(w.main().lblTime->text(), QStringLiteral("7:00:00 AM"));
    }

    void cdOffMenuNeedsACdPlayer_data()
    {
        QTest::addColumn<QString>("player");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("no player") << "" << false << false;
        QTest::newRow("player installed") << "/usr/bin/cdplayer" << true << true;
        QTest::newRow("player gone") << "/usr/bin/cdplayer" << false << false;
    }
    void cdOffMenuNeedsACdPlayer()
    {
        QFETCH(QString, player);
        QFETCH(bool, readable);
        QFETCH(bool, enabled);
        World w;
        w.platform.cdPlayer = player;
        if (readable)
            w.platform.readableFiles << player;
        w.start();
        QCOMPARE(w.main().mnuOff->isEnabled(), enabled);
        QCOMPARE(w.module.CdAudioPlayerPath, player);
    }

    void startOnAndMinimized_data()
    {
        QTest::addColumn<QString>("startOn");
        QTest::addColumn<QString>("minimized");
        QTest::newRow("plain") << "0" << "0";
        QTest::newRow("on") << "1" << "0";
        QTest::newRow("minimized") << "0" << "1";
        QTest::newRow("on and minimized") << "1" << "1";
    }
    void startOnAndMinimized()
    {
        QFETCH(QString, startOn);
        QFETCH(QString, minimized);
        World w;
        w.stored("Settings/StartOn", startOn);
        w.stored("Settings/StartMinimized", minimized);
        w.start();
        const bool on = startOn == QLatin1String("1");
        QCOMPARE(w.main().lblOnOff->text(), on ? QStringLiteral("Alarm is on.") : QStringLiteral("Alarm is off."));
        QCOMPARE(w.module.AlarmOn, on ? 1 : 0);
        QCOMPARE(w.main().cmdOnOff->text(), on ? QStringLiteral("Turn &alarm OFF") : QStringLiteral("Turn &alarm ON"));
        QCOMPARE(w.main().IsMinimized(), minimized == QLatin1String("1"));
        QCOMPARE(w.main().focusWidget() == w.main().txtAlarm, minimized != QLatin1String("1"));
    }
};

QTEST_MAIN(TestStartupSettings)
#include "test_startup_settings.moc"
