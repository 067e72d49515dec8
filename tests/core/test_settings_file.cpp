// The settings against the real store, in the test's own home: a save writes every key to
// ~/.config/Dawnbell/Dawnbell.conf with its text encoding, and the next start reads back what was saved.

#include "core/Module1.h"
#include "main_window/frmMain.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/media/MediaEngine.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

QString ConfigFile() { return QDir::homePath() + QStringLiteral("/.config/Dawnbell/Dawnbell.conf"); }

// What a run leaves behind, as the file holds it.
QMap<QString, QString> FileContents()
{
    QSettings file(ConfigFile(), QSettings::IniFormat);
    QMap<QString, QString> contents;
    for (const QString& key : file.allKeys())
        contents.insert(key, file.value(key).toString());
    return contents;
}

struct Run {
    LinuxPlatform platform{std::make_unique<MediaEngine>()};
    Module1 module{platform};
    Run() { module.Main(); }
    frmMain& main() { return *module.MainForm; }
};

}  // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QFile::remove(ConfigFile());
        // No note on a missing CD-ROM drive: this machine may have none, and the note is modal.
        QSettings file(ConfigFile(), QSettings::IniFormat);
        file.setValue(QStringLiteral("Settings/Dialog1"), QStringLiteral("0"));
    }

    void everyKeyRoundTrips()
    {
        {
            Run first;
            Settings& s = first.module.AppSettings;
            s.Dialog3 = 0;
            s.Dialog4 = 0;
            s.Dialog5 = 0;
            s.BGColor = 0x123456;
            s.SleepTime = 45;
            s.SleepEnabled = 1;
            s.SleepStartTrack = 3;
            s.AllowSnooze = 1;
            s.AllowMultipleSnoozes = 1;
            s.TimerTime = 25;
            s.SnoozeTime = 12;
            s.ShowTimeRemaining = 1;
            s.GradVolumeMinutes = 9;
            s.GradualWakeup = 1;
            s.GradualVolumePeak = 65535;
            s.CDStartTrack = 1;
            s.AlarmSound = QStringLiteral("/home/sleeper/Music/Rooster, \"loud\" = 1; #2\\a.wav");
            s.MidiSound = QStringLiteral(" /home/sleeper/reveille.mid ");
            s.LoopSound = -1;
            s.ShowInNotify = 1;
            s.StartOn = 0;
            s.StartMinimized = 0;
            s.Preset1 = QStringLiteral("6:30:00 AM");
            s.Preset1Desc = QStringLiteral("Weekdays, early");
            s.Preset2 = QStringLiteral("9:00:00 AM");
            s.Preset2Desc = QStringLiteral("@Variant(weekend)");
            s.Preset3 = QString();
            s.Preset3Desc = QStringLiteral("[Alarm]");
            first.main().lblAlarm->setText(QStringLiteral("5:05:09 PM"));
            first.main().mnuAlarm->setChecked(true);
            first.main().mnuCD->setChecked(false);
            s.MidiAlarm = 1;
            first.main().mnuOff->setChecked(false);
            first.main().MoveTwips(1500, 3000);
            first.main().mnuSaveNow->trigger();
        }

        const QMap<QString, QString> file = FileContents();
        QCOMPARE(file.size(), 37);
        QCOMPARE(file.value(QStringLiteral("Settings/Top")), QStringLiteral("3000"));
        QCOMPARE(file.value(QStringLiteral("Settings/Left")), QStringLiteral("1500"));
        QCOMPARE(file.value(QStringLiteral("Settings/BGColor")), QString::number(0x123456));
        QCOMPARE(file.value(QStringLiteral("Alarm/AlarmTime")), QStringLiteral("5:05:09 PM"));
        QCOMPARE(file.value(QStringLiteral("Alarm/AlarmType")), QStringLiteral("4"));
        QCOMPARE(file.value(QStringLiteral("Alarm/LoopSound")), QStringLiteral("1"));
        QCOMPARE(file.value(QStringLiteral("Settings/CDOffWithAlarm")), QStringLiteral("0"));
        QCOMPARE(file.value(QStringLiteral("Settings/SaveOnExit")), QStringLiteral("1"));
        QCOMPARE(file.value(QStringLiteral("Alarm/GradualVolumePeak")), QStringLiteral("65535"));
        QCOMPARE(file.value(QStringLiteral("Presets/Preset3")), QString());

        Run second;
        const Settings& s = second.module.AppSettings;
        QCOMPARE(s.Dialog3, 0);
        QCOMPARE(s.Dialog5, 0);
        QCOMPARE(s.BGColor, 0x123456);
        QCOMPARE(s.SleepTime, 45);
        QCOMPARE(s.SleepEnabled, 1);
        QCOMPARE(s.SleepStartTrack, 3);
        QCOMPARE(s.AllowSnooze, 1);
        QCOMPARE(s.AllowMultipleSnoozes, 1);
        QCOMPARE(s.TimerTime, 25);
        QCOMPARE(s.SnoozeTime, 12);
        QCOMPARE(s.ShowTimeRemaining, 1);
        QCOMPARE(s.GradVolumeMinutes, 9);
        QCOMPARE(s.GradualWakeup, 1);
        QCOMPARE(s.GradualVolumePeak, 65535);
        QCOMPARE(s.AlarmSound, QStringLiteral("/home/sleeper/Music/Rooster, \"loud\" = 1; #2\\a.wav"));
        QCOMPARE(s.MidiSound, QStringLiteral(" /home/sleeper/reveille.mid "));
        QCOMPARE(s.LoopSound, -1);
        QCOMPARE(s.ShowInNotify, 1);
        QCOMPARE(s.Preset1Desc, QStringLiteral("Weekdays, early"));
        QCOMPARE(s.Preset2Desc, QStringLiteral("@Variant(weekend)"));
        QCOMPARE(s.Preset3Desc, QStringLiteral("[Alarm]"));
        QCOMPARE(s.MidiAlarm, 1);
        QVERIFY(second.main().mnuAlarm->isChecked());
        QVERIFY(!second.main().mnuCD->isChecked());
        QVERIFY(!second.main().mnuOff->isChecked());
        QCOMPARE(second.main().lblAlarm->text(), QStringLiteral("5:05:09 PM"));
        QCOMPARE(second.main().TopTwips(), 3000.0);
        QCOMPARE(second.main().LeftTwips(), 1500.0);
    }

    void aFileFullOfNonsenseStartsWithDefaults()
    {
        QFile file(ConfigFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Settings]\nDialog1=0\nTop=\"\"\"\nLeft=@Variant(\\0\\0\\0\\x7f)\nBGColor=,,,\n"
                   "SleepTime=99999999999\n[Alarm]\nAlarmTime=\\xff\\xfe\nSnoozeTime=abc\nAlarmType=\n"
                   "GradualVolumePeak=1e400\n\x01\x02garbage line without equals\n[[[\n");
        file.close();
        Run run;
        const Settings& s = run.module.AppSettings;
        QCOMPARE(s.SleepTime, 15);
        QCOMPARE(s.SnoozeTime, 8);
        QCOMPARE(s.GradualVolumePeak, 40000);
        QCOMPARE(run.main().lblAlarm->text(), QStringLiteral("7:45:00 AM"));
        QCOMPARE(run.main().TopTwips(), 1095.0);
        QCOMPARE(run.main().LeftTwips(), 975.0);
        QVERIFY(run.main().mnuCD->isChecked());
        QVERIFY(run.main().isVisible());
    }
};

QTEST_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
