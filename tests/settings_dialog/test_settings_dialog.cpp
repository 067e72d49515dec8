// The settings dialog against the fake platform: what opening it shows, what OK and Cancel keep, the handlers
// of its pages, the test alarm, and the hidden playlist editor it reads.

#include "core/Autostart.h"
#include "editors/frmPlaylist.h"
#include "settings_dialog/frmOptions.h"
#include "platform/units.h"
#include "editors/frmAlarmMessage.h"
#include "tests/fakes/World.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const QString Sound = QStringLiteral("/home/sleeper/rooster.wav");
const QString Midi = QStringLiteral("/home/sleeper/reveille.mid");

// Starts Dawnbell with a CD-ROM drive E: holding an 8-track disc and the settings given as "Section/Key=value".
void Start(World& w, const QStringList& stored = {})
{
    w.platform.cdDrives = {QStringLiteral("E:")};
    w.platform.insertDisc(8);
    w.stored("Settings/Dialog1", QStringLiteral("0"));
    for (const QString& entry : stored)
        w.platform.store.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    w.start();
}

std::unique_ptr<frmOptions> Open(World& w) { return std::make_unique<frmOptions>(w.module, w.main()); }

// What is stored after a save.
QMap<QString, QString> Saved(World& w)
{
    w.module.SaveSettings();
    return w.platform.store;
}

// The stored keys that changed, as "Section/Key=value".
QStringList Changed(const QMap<QString, QString>& before, const QMap<QString, QString>& after)
{
    QStringList changed;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            changed << it.key() + u'=' + it.value();
    }
    return changed;
}

// What a control shows: its text or value, "on" or "off" for a check box or option, and whether it is disabled.
QString Shown(QWidget* w)
{
    QString shown;
    if (auto* combo = qobject_cast<QComboBox*>(w))
        shown = combo->currentText();
    else if (auto* check = qobject_cast<QAbstractButton*>(w); check && check->isCheckable())
        shown = check->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    else if (auto* label = qobject_cast<QLabel*>(w))
        shown = label->text();
    if (!w->isEnabled())
        shown += QStringLiteral(" (disabled)");
    return shown;
}

void RightClick(QWidget* button)
{
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), button->mapToGlobal(QPointF(2, 2)),
                        Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &release);
}

}  // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT
private slots:
    void opensOnlyWhileTheAlarmIsOff_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("refusal");
        const QString off = QStringLiteral("Settings cannot be changed until you turn off the alarm.");
        QTest::newRow("off") << "off" << "";
        QTest::newRow("armed") << "armed" << off;
        QTest::newRow("sleeping") << "sleeping" << off;
        QTest::newRow("ringing") << "ringing"
                                 << "The alarm is going off!  You need to turn the alarm off before you can change settings.";
    }
    void opensOnlyWhileTheAlarmIsOff()
    {
        QFETCH(QString, state);
        QFETCH(QString, refusal);
        World w;
        Start(w, {state == "sleeping" ? "Settings/SleepEnabled=1" : "Settings/SleepEnabled=0"});
        if (state != "off")
            w.main().cmdOnOff_Click();
        if (state == "ringing")
            w.module.SoundAlarm();
        frmOptions* shown = nullptr;
        w.platform.onModal = [&](QDialog& form) {
            shown = qobject_cast<frmOptions*>(&form);
            return 0;
        };
        // The picture beside the alarm time opens it as the menu does, and looks pressed while held.
        QTest::mousePress(w.main().Image2, Qt::LeftButton);
        QCOMPARE(w.main().Image2->frameShape(), QFrame::Box);
        QTest::mouseRelease(w.main().Image2, Qt::LeftButton);
        QCOMPARE(w.main().Image2->frameShape(), QFrame::NoFrame);
        QCOMPARE(shown != nullptr, refusal.isEmpty());
        QCOMPARE(w.platform.boxes.empty(), refusal.isEmpty());
        if (!refusal.isEmpty())
            QCOMPARE(w.platform.boxes.back().text, refusal);
    }

    void openingShowsTheSettings_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* tag, QStringList stored, const char* control, const QString& shown) {
            QTest::newRow(tag) << stored << control << shown;
        };
        row("alarm hour, 11 characters", {"lblAlarm=12:30:00 PM"}, "cmbHour", "12");
        row("alarm hour, a blank and 10 characters", {"lblAlarm= 7:05:00 AM"}, "cmbHour", " 7");
        row("alarm hour, 12 characters", {"lblAlarm= 12:30:00 PM"}, "cmbHour", "12");
        row("alarm minute", {"lblAlarm=7:05:00 AM"}, "cmbMinute", "05");
        row("timer 0", {"Alarm/TimerTime=0"}, "cmbMin", "5");
        row("timer 61", {"Alarm/TimerTime=61"}, "cmbMin", "5");
        row("ramp of 45 minutes", {"Alarm/GradVolumeMinutes=45", "Alarm/GradualWakeup=1"}, "cmbGradMinutes", "4");
        row("ramp while gradual is off", {}, "cmbGradMinutes", "4 (disabled)");
        row("no preset", {}, "lblPreset1", "No preset defined");
        row("its button", {}, "cmdPreset1", " (disabled)");
        row("a preset", {"Presets/Preset2=6:30:00 AM", "Presets/Preset2Desc=Work"}, "lblPreset2", "6:30:00 AM - Work");
        row("sleep of 1", {"Settings/SleepTime=1", "Settings/SleepEnabled=1"}, "lblLength", " 1 minute");
        row("sleep of 15, switched off", {}, "lblLength", " 15 minutes (disabled)");
        row("type 0", {"Alarm/AlarmType=0"}, "optCDSound", "on");
        row("type 1", {"Alarm/AlarmType=1"}, "optSound", "on");
        row("type 2", {"Alarm/AlarmType=2"}, "optCD", "on");
        row("type 3", {"Alarm/AlarmType=3"}, "optMIDI", "on");
        row("type 4", {"Alarm/AlarmType=4"}, "optMIDISound", "on");
        row("type 3: no CD row", {"Alarm/AlarmType=3"}, "lblCDInfo", "Alarm will start on track 1. (disabled)");
        row("type 4: no CD row", {"Alarm/AlarmType=4"}, "lblMIDI", Midi);
        row("type 2: no MIDI row", {"Alarm/AlarmType=2"}, "lblMIDI", Midi + " (disabled)");
        row("start track", {"Alarm/CDStartTrack=3"}, "lblCDInfo", "Alarm will start on track 3.");
        row("a long sound path", {"Alarm/AlarmType=1", "Alarm/AlarmSound=/home/sleeper/Media/S/chimes.wav"},
            "lblSound", "/home/sleeper/Media/S/.../chimes.wav");
        row("no sound file", {"Alarm/AlarmSound="}, "lblSound", "None (disabled)");
        row("to the tray", {"Settings/ShowInNotify=1", "Settings/ShowTimeRemaining=1"}, "chkShowTimeRemaining",
            "on (disabled)");
        row("CD stays on", {"Settings/CDOffWithAlarm=0"}, "chkTurnOffWithAlarm", "off");
        row("no saving on exit", {"Settings/SaveOnExit=0"}, "chkSaveOnExit", "off");
        row("start minimized", {"Settings/StartMinimized=1"}, "chkStartMini", "on");
        row("no autostart entry", {}, "chkStartAtLogin", "off");
        row("sleep drive", {}, "cmbSleepDrive", "E: (disabled)");
    }
    void openingShowsTheSettings()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, control);
        QFETCH(QString, shown);
        World w;
        w.stored("Alarm/AlarmSound", Sound);
        w.stored("Alarm/MidiSound", Midi);
        QStringList settings;
        for (const QString& entry : stored) {
            if (!entry.startsWith(QLatin1String("lblAlarm=")))
                settings << entry;
        }
        Start(w, settings);
        for (const QString& entry : stored) {
            if (entry.startsWith(QLatin1String("lblAlarm=")))
                w.main().lblAlarm->setText(entry.mid(9));
        }
        const auto before = Saved(w);
        w.platform.beeps = 0;
        auto d = Open(w);
        QCOMPARE(Shown(d->findChild<QWidget*>(control)), shown);
        QCOMPARE(w.platform.beeps, 0);  // setting the volume slider does not preview it
        // Opening changes no setting but the two corrections of out-of-range values.
        const QStringList changed = Changed(before, Saved(w));
        QVERIFY2(changed.isEmpty() || QTest::currentDataTag() == QLatin1String("timer 0") ||
                     QTest::currentDataTag() == QLatin1String("timer 61") ||
                     QTest::currentDataTag() == QLatin1String("ramp of 45 minutes"),
                 qPrintable(changed.join(u' ')));
    }

    // OK writes the committed settings; Cancel keeps only what took effect at once, and puts the alarm CD's
    // drive and start track back.
    void okCommitsAndCancelKeepsTheImmediateSettings_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("changed");
        const QStringList immediate = {"Alarm/AlarmSound=" + Sound, "Alarm/AlarmType=1", "Alarm/GradualWakeup=1",
                                       "Alarm/LoopSound=1", "Settings/Dialog3=0", "Settings/SleepEnabled=1"};
        QTest::newRow("OK") << true
                            << immediate + QStringList{"Alarm/AlarmTime=9:05:30 PM", "Alarm/AllowMultipleSnoozes=1",
                                                       "Alarm/GradVolumeMinutes=10",
                                                       "Alarm/AllowSnooze=1", "Alarm/CDStartTrack=4",
                                                       "Alarm/SnoozeTime=12", "Alarm/TimerTime=10",
                                                       "Settings/BGColor=1193046", "Settings/CDOffWithAlarm=0",
                                                       "Settings/ShowInNotify=1", "Settings/SleepDrive=E:",
                                                       "Settings/SleepStartTrack=3",
                                                       "Settings/SleepTime=30", "Settings/StartMinimized=1",
                                                       "Settings/StartOn=1"};
        QTest::newRow("Cancel") << false << immediate;
    }
    void okCommitsAndCancelKeepsTheImmediateSettings()
    {
        QFETCH(bool, ok);
        QFETCH(QStringList, changed);
        World w;
        Start(w);
        const auto before = Saved(w);
        w.platform.fileAnswers = {Sound};
        w.platform.colorAnswer = true;
        w.platform.colorChosen = 0x123456;
        auto d = Open(w);
        d->cmbHour->setEditText(QStringLiteral("09"));
        d->cmbMinute->setEditText(QStringLiteral("5"));
        d->cmbSecond->setEditText(QStringLiteral("30"));
        d->cmbAMPM->setEditText(QStringLiteral("p.m."));
        d->cmbMin->setEditText(QStringLiteral("10"));
        d->chkAllowSnooze->click();
        d->cmbSnoozeTime->setEditText(QStringLiteral("12"));
        d->chkAllowMultiple->click();
        d->chkSleepEnable->click();
        d->sldMin->setValue(30);
        d->cmbSleepTrack->setEditText(QStringLiteral("3"));
        d->optNotify->click();
        d->chkStartOn->click();
        d->chkStartMini->click();
        d->chkTurnOffWithAlarm->click();  // the menu item follows at once; OK sets it again
        d->cmdChangeColor->click();
        d->Playlist().cmbTrack->setEditText(QStringLiteral("4"));
        d->tmrTrack_Timer();  // the start track follows the editor's field while the dialog is open
        d->optSound->click();
        d->chkLoop->click();
        d->chkGradual->click();
        d->cmbGradMinutes->setEditText(QStringLiteral("10"));  // typed, never left: OK takes it
        (ok ? d->cmdOK : d->cmdCancel)->click();
        QCOMPARE(d->result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(w.main().PlaylistEditor != nullptr, ok);
        if (!ok)
            w.main().mnuOff_Click();  // Cancel left the immediate toggle of "Turn off CD with alarm" in force
        changed.sort();
        QCOMPARE(Changed(before, Saved(w)), changed);
    }

    // A drive with no disc gives start track 1, and nothing else changes.
    void okWithNoDiscStartsOnTrackOne()
    {
        World w;
        Start(w, {"Alarm/CDStartTrack=5", "Settings/SleepDrive=E:"});
        const auto before = Saved(w);
        w.platform.removeDisc();
        auto d = Open(w);
        d->cmdOK->click();
        QCOMPARE(Changed(before, Saved(w)), QStringList{"Alarm/CDStartTrack=1"});
    }

    void fieldsAreCorrectedWhenLeftAndOnOK_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("corrected");
        QTest::newRow("hour") << "cmbHour" << "13" << "12";
        QTest::newRow("minute") << "cmbMinute" << "7" << "07";
        QTest::newRow("second, not completed from the list") << "cmbSecond" << "3" << "03";
        QTest::newRow("second") << "cmbSecond" << "75" << "59";
        QTest::newRow("AM/PM") << "cmbAMPM" << "pmx" << "PM";
    }
    void fieldsAreCorrectedWhenLeftAndOnOK()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, corrected);
        World w;
        Start(w);
        auto d = Open(w);
        d->show();
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        auto* combo = d->findChild<QComboBox*>(field);
        combo->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo, typed);
        QCOMPARE(combo->currentText(), typed);
        QTest::keyClick(combo, Qt::Key_Tab);
        QCOMPARE(combo->currentText(), corrected);
        combo->setEditText(typed);
        d->cmdOK->click();  // the corrections run again, whatever has the focus
        QCOMPARE(combo->currentText(), corrected);
    }

    void stepButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("right");
        QTest::addColumn<QString>("shown");  // hour, minute, second, AM/PM afterwards, from 12:00:59 p
        QTest::newRow("hour up") << "cmdHourUp" << false << "1 00 59 p";
        QTest::newRow("hour down") << "cmdHourUp" << true << "11 00 59 p";
        QTest::newRow("minute down") << "cmdMinuteUp" << true << "12 59 59 p";
        QTest::newRow("second up, no carry") << "cmdSecondUp" << false << "12 00 00 p";
        QTest::newRow("AM/PM") << "cmdAMPMToggle" << false << "12 00 59 AM";
        QTest::newRow("AM/PM, right") << "cmdAMPMToggle" << true << "12 00 59 AM";
    }
    void stepButtons()
    {
        QFETCH(QString, button);
        QFETCH(bool, right);
        QFETCH(QString, shown);
        World w;
        Start(w);
        auto d = Open(w);
        d->cmbHour->setEditText(QStringLiteral("12"));
        d->cmbMinute->setEditText(QStringLiteral("00"));
        d->cmbSecond->setEditText(QStringLiteral("59"));
        d->cmbAMPM->setEditText(QStringLiteral("p"));
        auto* b = d->findChild<QPushButton*>(button);
        if (right)
            RightClick(b);
        else
            b->click();
        QCOMPARE(QStringList({d->cmbHour->currentText(), d->cmbMinute->currentText(), d->cmbSecond->currentText(),
                              d->cmbAMPM->currentText()})
                     .join(u' '),
                 shown);
    }

    // The timer fills the fields with the clock's time plus its minutes; a preset with its time. Neither sets
    // the alarm before OK.
    void speedSet_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("fields");
        QTest::newRow("timer round midnight") << QTime(23, 55, 10) << "cmdTimer" << "10" << "12 05 10 AM";
        QTest::newRow("timer to noon") << QTime(11, 50, 0) << "cmdTimer" << "20" << "12 10 00 PM";
        QTest::newRow("timer, 0 minutes") << QTime(7, 0, 0) << "cmdTimer" << "0" << "7 05 00 AM";
        QTest::newRow("preset") << QTime(7, 0, 0) << "cmdPreset3" << "5" << "12 30 00 PM";
    }
    void speedSet()
    {
        QFETCH(QTime, now);
        QFETCH(QString, button);
        QFETCH(QString, minutes);
        QFETCH(QString, fields);
        World w;
        Start(w, {"Presets/Preset3=12:30:00 PM"});
        w.platform.clock.setTime(QTime(now.hour(), now.minute(), now.second()));
        w.main().Timer1_Timer();
        auto d = Open(w);
        d->cmbMin->setEditText(minutes);
        d->findChild<QPushButton*>(button)->click();
        QCOMPARE(QStringList({d->cmbHour->currentText(), d->cmbMinute->currentText(), d->cmbSecond->currentText(),
                              d->cmbAMPM->currentText()})
                     .join(u' '),
                 fields);
        QCOMPARE(w.main().lblAlarm->text(), QStringLiteral("7:45:00 AM"));
        QCOMPARE(d->cmbMin->currentText(), minutes == "0" ? QStringLiteral("5") : minutes);
    }

    // An alarm type changes only when what it plays is there: a cancelled file choice keeps the type in force.
    void alarmTypes_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QStringList>("files");  // the sound and MIDI files stored
        QTest::addColumn<QString>("option");
        QTest::addColumn<QStringList>("chosen");  // the chooser's answers; an empty one cancels
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("rows");  // the source rows in use afterwards
        const QStringList both = {Sound, Midi};
        QTest::newRow("CD") << "1" << both << "optCD" << QStringList{} << "2" << "CD";
        QTest::newRow("sound") << "2" << both << "optSound" << QStringList{} << "1" << "sound";
        QTest::newRow("CD and sound from MIDI and sound") << "4" << both << "optCDSound" << QStringList{} << "0" << "CD sound";
        QTest::newRow("MIDI") << "2" << both << "optMIDI" << QStringList{} << "3" << "MIDI";
        QTest::newRow("MIDI and sound") << "2" << both << "optMIDISound" << QStringList{} << "4" << "sound MIDI";
        QTest::newRow("sound, chosen") << "2" << QStringList{"", ""} << "optSound" << QStringList{Sound} << "1" << "sound";
        QTest::newRow("sound, cancelled") << "2" << QStringList{"", ""} << "optSound" << QStringList{""} << "2" << "CD";
        QTest::newRow("sound from MIDI, cancelled") << "3" << QStringList{"", Midi} << "optSound" << QStringList{""}
                                                    << "3" << "MIDI";
        QTest::newRow("MIDI, chosen") << "2" << QStringList{"", ""} << "optMIDI" << QStringList{Midi} << "3" << "MIDI";
        QTest::newRow("MIDI, cancelled") << "2" << QStringList{"", ""} << "optMIDI" << QStringList{""} << "2" << "CD";
        QTest::newRow("MIDI and sound, MIDI cancelled") << "2" << QStringList{Sound, ""} << "optMIDISound"
                                                        << QStringList{""} << "2" << "CD";
    }
    void alarmTypes()
    {
        QFETCH(QString, from);
        QFETCH(QStringList, files);
        QFETCH(QString, option);
        QFETCH(QStringList, chosen);
        QFETCH(QString, type);
        QFETCH(QString, rows);
        World w;
        Start(w, {"Alarm/AlarmType=" + from, "Alarm/AlarmSound=" + files[0], "Alarm/MidiSound=" + files[1]});
        auto d = Open(w);
        w.platform.fileAnswers = {chosen.begin(), chosen.end()};
        d->findChild<QRadioButton*>(option)->click();
        QCOMPARE(w.platform.fileRequests.size(), size_t(chosen.size()));
        QCOMPARE(Saved(w).value("Alarm/AlarmType"), type);
        // The page shows the type in force: its option and its source rows.
        const std::map<QString, QRadioButton*> options = {{"0", d->optCDSound}, {"1", d->optSound}, {"2", d->optCD},
                                                          {"3", d->optMIDI}, {"4", d->optMIDISound}};
        QVERIFY(options.at(type)->isChecked());
        QStringList inUse;
        if (d->cmdEditPlaylist->isEnabled())
            inUse << "CD";
        if (d->cmdChangeSound->isEnabled() && !d->imgSoundsml->isHidden())
            inUse << "sound";
        if (d->cmdChangeMIDI->isEnabled() && !d->imgMIDI->isHidden())
            inUse << "MIDI";
        QCOMPARE(inUse.join(u' '), rows);
        QCOMPARE(d->lblMIDI->text(), w.settings().MidiSound.isEmpty() ? QStringLiteral("None") : Midi);
    }

    void testAlarm_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("disc");
        QTest::addColumn<bool>("gradual");
        QTest::addColumn<QStringList>("plays");  // the sources' play commands
        QTest::addColumn<QString>("box");
        const QString noCd = "There is no audio CD in drive E: or there is a problem with the drive.  Put a CD in the "
                             "drive and try again, or change the alarm so that it includes only sound and MIDI files.";
        QTest::newRow("sound, no disc needed") << "1" << false << false << QStringList{"play Sound"} << "";
        QTest::newRow("CD and sound, gradual") << "0" << true << true << QStringList{"play cd", "play Sound"} << "";
        QTest::newRow("MIDI and sound, gradual") << "4" << true << true << QStringList{"play midi", "play Sound"} << "";
        QTest::newRow("CD, no disc") << "2" << false << false << QStringList{} << noCd;
        QTest::newRow("CD, no disc, gradual") << "2" << false << true << QStringList{} << noCd;
    }
    void testAlarm()
    {
        QFETCH(QString, type);
        QFETCH(bool, disc);
        QFETCH(bool, gradual);
        QFETCH(QStringList, plays);
        QFETCH(QString, box);
        World w;
        Start(w, {"Alarm/AlarmType=" + type, "Alarm/AlarmSound=" + Sound, "Alarm/MidiSound=" + Midi,
                  "Settings/Dialog4=0", QStringLiteral("Alarm/GradualWakeup=%1").arg(gradual ? 1 : 0)});
        if (!disc)
            w.platform.removeDisc();
        w.platform.waveVolumes[0] = 0x80008000;
        auto d = Open(w);
        w.platform.clearLog();
        d->cmdTest->click();
        QCOMPARE(w.platform.commandsMatching("^play ").join(u','), plays.join(u','));
        QCOMPARE(w.platform.boxes.empty() ? QString() : w.platform.boxes.back().text, box);
        const bool sounding = box.isEmpty();
        QCOMPARE(d->cmdTest->text(), sounding ? QStringLiteral("&Turn off alarm") : QStringLiteral("&Test alarm now"));
        for (QWidget* control : std::initializer_list<QWidget*>{d->cmdOK, d->cmdCancel, d->optCD, d->optMIDI, d->chkGradual})
            QCOMPARE(control->isEnabled(), !sounding);
        QCOMPARE(d->SliderVol->isEnabled(), !sounding && gradual);
        QCOMPARE(w.main().tmrVolume->isActive(), sounding && gradual);
        QCOMPARE(d->tmrBlink->isActive(), sounding);
        if (sounding) {
            QCOMPARE(w.platform.waveVolumes[0], gradual ? 0u : 0x80008000u);
            QCOMPARE(w.module.GradualStep, gradual ? 333 : w.module.GradualStep);
            d->reject();  // Esc cannot close the dialog while the test sounds
            QCOMPARE(d->result(), 0);
            QVERIFY(w.main().PlaylistEditor != nullptr);
            d->cmdTest->click();
            QVERIFY(!w.platform.commandsMatching("^stop Sound").isEmpty());
            QCOMPARE(w.platform.commandsMatching("^stop cd").isEmpty(), !plays.contains("play cd"));
            QCOMPARE(w.platform.commandsMatching("^stop midi").isEmpty(), !plays.contains("play midi"));
            QVERIFY(d->cmdOK->isEnabled() && !d->tmrBlink->isActive() && !w.main().tmrVolume->isActive());
        }
        QCOMPARE(w.platform.waveVolumes[0], 0x80008000u);  // restored, or never touched
        QCOMPARE(d->imgL->isVisibleTo(d.get()), false);
    }

    void volumePreview_data()
    {
        QTest::addColumn<QString>("close");
        QTest::newRow("focus leaves") << "focus";
        QTest::newRow("OK") << "OK";
        QTest::newRow("Cancel") << "Cancel";
    }
    void volumePreview()
    {
        QFETCH(QString, close);
        World w;
        Start(w, {"Alarm/GradualWakeup=1"});
        w.platform.waveVolumes[0] = 0x90009000;
        auto d = Open(w);
        d->show();
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        d->TabStrip1->setCurrentIndex(4);
        d->SliderVol->setFocus();
        d->SliderVol->setValue(255);
        QCOMPARE(w.platform.waveVolumes[0], 0x00FF00FFu);
        QCOMPARE(w.platform.beeps, 1);
        QCOMPARE(w.settings().GradualVolumePeak, 255);
        if (close == "focus")
            d->cmbGradMinutes->setFocus();
        else
            (close == "OK" ? d->cmdOK : d->cmdCancel)->click();
        QCOMPARE(w.platform.waveVolumes[0], 0x90009000u);
        QCOMPARE(w.settings().GradualVolumePeak, 255);  // the peak takes effect at once
    }

    void gradualInformationComesUpOnce()
    {
        World w;
        Start(w);
        auto d = Open(w);
        d->chkGradual->click();
        QCOMPARE(w.platform.boxes.size(), size_t{1});
        QCOMPARE(w.platform.boxes[0].title, QStringLiteral("Important Volume Information"));
        QVERIFY(w.platform.boxes[0].text.endsWith("press the button marked 'Info.'"));
        QVERIFY(!w.platform.boxes[0].text.contains("Windows"));
        QCOMPARE(w.settings().Dialog3, 0);
        QCOMPARE(w.settings().GradualWakeup, 1);
        QVERIFY(d->SliderVol->isEnabled() && !d->Image[5]->isHidden());
        d->chkGradual->click();
        QCOMPARE(w.settings().GradualWakeup, 0);
        QVERIFY(!d->SliderVol->isEnabled());
        d->chkGradual->click();
        QCOMPARE(w.platform.boxes.size(), size_t{1});
        d->cmdInfo->click();
        QCOMPARE(w.platform.boxes.size(), size_t{2});
        QVERIFY(w.platform.boxes[1].text.endsWith("not too soft and not too loud."));
    }

    // The sleep page reads the disc of the drive it shows, and reads it again when another drive is chosen.
    void sleepPage_data()
    {
        QTest::addColumn<int>("tracks");  // 0: no disc
        QTest::addColumn<int>("startTrack");
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("listed");
        QTest::addColumn<QString>("field");
        QTest::newRow("12 tracks, from 5") << 12 << 5 << "12" << 12 << "5";
        QTest::newRow("12 tracks, from 15") << 12 << 15 << "12" << 12 << "1";
        QTest::newRow("no disc") << 0 << 5 << "No CD." << 25 << "1";
    }
    void sleepPage()
    {
        QFETCH(int, tracks);
        QFETCH(int, startTrack);
        QFETCH(QString, count);
        QFETCH(int, listed);
        QFETCH(QString, field);
        World w;
        Start(w, {QStringLiteral("Settings/SleepStartTrack=%1").arg(startTrack), "Settings/SleepDrive=F:",
                  "Settings/SleepEnabled=1"});
        w.platform.cdDrives = {QStringLiteral("D:"), QStringLiteral("F:")};
        w.module.Main();
        if (tracks > 0)
            w.platform.insertDisc(tracks);
        else
            w.platform.removeDisc();
        w.platform.clearLog();
        auto d = Open(w);
        QCOMPARE(d->cmbSleepDrive->currentText(), QStringLiteral("F:"));
        QVERIFY(w.platform.commandsMatching("^open F: type cdaudio alias cd$").size() == 1);
        QCOMPARE(d->lblSleepTrack->text(), count);
        QCOMPARE(d->cmbSleepTrack->count(), listed);
        QCOMPARE(d->cmbSleepTrack->currentText(), field);
        d->cmdSleepRescan->click();
        QCOMPARE(w.platform.driveRescans, 1);
        QCOMPARE(d->cmbSleepDrive->currentText(), QStringLiteral("F:"));
    }

    // "Change" shows the playlist editor; its OK commits start-track mode and the start track it shows, and
    // it stays loaded until the dialog is cancelled, which puts the drive and start track back.
    void playlistEditor_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void playlistEditor()
    {
        QFETCH(bool, ok);
        World w;
        Start(w, {"Settings/CDDrive=F:", "Alarm/CDStartTrack=2"});
        w.platform.cdDrives = {QStringLiteral("D:"), QStringLiteral("F:")};
        w.module.Main();
        w.module.UsePlaylist = 0;
        auto d = Open(w);
        frmPlaylist& editor = d->Playlist();
        QVERIFY(!editor.isVisible());
        QCOMPARE(editor.cmbDrive->currentText(), QStringLiteral("F:"));
        QCOMPARE(editor.lblTracks->text(), QStringLiteral("8"));
        QCOMPARE(editor.cmbTrack->currentText(), QStringLiteral("2"));
        bool startTrackMode = false;
        w.platform.onModal = [&](QDialog& form) {
            auto& shown = dynamic_cast<frmPlaylist&>(form);
            shown.cmbDrive->setCurrentIndex(0);
            emit shown.cmbDrive->activated(0);
            shown.cmbTrack->setEditText(QStringLiteral("6"));
            startTrackMode = shown.optNoPlayList->isChecked() && !shown.optPlayList->isChecked();
            QTest::keyClick(&shown, Qt::Key_Escape);  // Esc commits like OK
            return shown.result();
        };
        d->cmdEditPlaylist->click();
        QVERIFY(startTrackMode);
        QCOMPARE(d->lblCDInfo->text(), QStringLiteral("Alarm will start on track 6."));
        QCOMPARE(w.settings().CDDrive, QStringLiteral("D:"));
        (ok ? d->cmdOK : d->cmdCancel)->click();
        QCOMPARE(w.settings().CDDrive, ok ? QStringLiteral("D:") : QStringLiteral("F:"));
        QCOMPARE(w.settings().CDStartTrack, ok ? 6 : 2);
        QCOMPARE(w.main().PlaylistEditor == &editor, ok);
        // The next opening reads the editor that stayed loaded, or loads it anew.
        auto again = Open(w);
        QCOMPARE(again->Playlist().cmbTrack->currentText(), ok ? QStringLiteral("6") : QStringLiteral("2"));
        again->cmdCancel->click();
    }

    void backgroundColour_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<uint>("shown");
        QTest::newRow("chosen") << "cmdChangeColor" << true << 0x123456u;
        QTest::newRow("cancelled") << "cmdChangeColor" << false << 0x804020u;
        QTest::newRow("reset to the display's default") << "cmdResetColor" << false << 0xE0E0E0u;
    }
    void backgroundColour()
    {
        QFETCH(QString, button);
        QFETCH(bool, chosen);
        QFETCH(uint, shown);
        World w;
        Start(w, {"Settings/BGColor=8405024"});  // 0x804020
        w.module.CustomColors[3] = 0x111111;
        w.platform.colorAnswer = chosen;
        w.platform.colorChosen = 0x123456;
        auto d = Open(w);
        d->findChild<QPushButton*>(button)->click();
        QCOMPARE(BGRFromColor(d->Color->palette().color(QPalette::Window)), shown);
        QCOMPARE(w.settings().BGColor, 0x804020);  // OK applies it
        d->cmdOK->click();
        QCOMPARE(uint(w.settings().BGColor), shown);
        QCOMPARE(w.module.CustomColors[3], 0x111111u);
    }

    void startAtLogin()
    {
        QFile::remove(AutostartEntryPath());
        World w;
        Start(w);
        auto d = Open(w);
        d->chkStartAtLogin->click();
        d->cmdOK->click();
        QFile entry(AutostartEntryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains("\nExec=\"/opt/dawnbell/bin/dawnbell\"\n"));
        QVERIFY(AutostartEnabled());
        d = Open(w);
        QVERIFY(d->chkStartAtLogin->isChecked());
        d->chkStartAtLogin->click();
        d->cmdOK->click();
        QVERIFY(!QFile::exists(AutostartEntryPath()));

        // A folder that cannot be made is reported.
        const QString folder = QFileInfo(AutostartEntryPath()).absolutePath();
        QDir(folder).removeRecursively();
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        d = Open(w);
        d->chkStartAtLogin->click();
        d->cmdOK->click();
        QFile::remove(folder);
        QCOMPARE(w.platform.boxes.size(), size_t{1});
        QVERIFY(w.platform.boxes[0].text.startsWith("Dawnbell could not set itself to start when you log in.  "));
        QCOMPARE(w.platform.boxes[0].style, 48);
    }

    void minimizePage_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::newRow("with a notification area") << true;
        QTest::newRow("without one") << false;
    }
    void minimizePage()
    {
        QFETCH(bool, tray);
        World w;
        Start(w, {"Settings/ShowTimeRemaining=1"});
        w.platform.trayAvailable = tray;
        auto d = Open(w);
        QCOMPARE(d->lblNoNotifyArea->isVisibleTo(d->frmTab[3]), !tray);
        QVERIFY(d->imgTaskbar->isVisibleTo(d->Frame2) && d->imgTime->isVisibleTo(d->Frame2));
        d->optNotify->click();
        QVERIFY(d->optNotify->isEnabled());
        QVERIFY(!d->chkShowTimeRemaining->isEnabled() && d->chkShowTimeRemaining->isChecked());
        QVERIFY(d->imgNotify->isVisibleTo(d->Frame2) && !d->imgTaskbar->isVisibleTo(d->Frame2));
    }

    void pagesAndImmediateMenus()
    {
        World w;
        Start(w);
        auto d = Open(w);
        QCOMPARE(d->CurrentTab, 1);
        QVERIFY(d->frmTab[1]->isVisibleTo(d.get()));
        d->TabStrip1->setCurrentIndex(5);
        QCOMPARE(d->CurrentTab, 6);
        QVERIFY(d->frmTab[6]->isVisibleTo(d.get()) && !d->frmTab[1]->isVisibleTo(d.get()));
        QCOMPARE(d->frmTab[6]->pos(), QPoint(10, 29));
        d->TabStrip1->setCurrentIndex(5);
        QCOMPARE(d->CurrentTab, 6);

        d->chkSaveOnExit->click();  // clearing it saves at once, as the menu does
        QVERIFY(!w.main().mnuSaveOnExit->isChecked());
        QCOMPARE(w.platform.commits, 1);
        d->chkTurnOffWithAlarm->click();
        QVERIFY(!w.main().mnuOff->isChecked());
        d->chkSleepEnable->click();
        QCOMPARE(w.settings().SleepEnabled, 1);
        QVERIFY(d->cmbSleepDrive->isEnabled() && !d->Image[7]->isHidden());

        // The alarm message: saved from its editor, shown with the alarm once OK keeps the box ticked.
        d->chkShowMessage->click();
        QVERIFY(d->cmdEditMessage->isEnabled());
        w.platform.onModal = [](QDialog& form) {
            auto& editor = dynamic_cast<frmAlarmMessage&>(form);
            editor.txtMessage->setPlainText(QStringLiteral("Take the bins out"));
            editor.cmdSave->click();
            return editor.result();
        };
        d->cmdEditMessage->click();
        QCOMPARE(w.main().txtAlarm->toPlainText(), QStringLiteral("Take the bins out"));
        d->cmdOK->click();
        QCOMPARE(w.module.HasAlarmMessage, 1);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "test_settings_dialog.moc"
