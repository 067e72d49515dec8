// The settings dialog against the fake platform: when it opens; one table of what its pages show and what OK and
// Cancel keep (the alarm-time fields, the volume preview, the presets, the sleep page, the hidden playlist editor
// and the alarm types among them); the test alarm, the volume information, the pages and the autostart entry.

#include "core/Autostart.h"
#include "editors/frmPlaylist.h"
#include "editors/frmPreset.h"
#include "settings_dialog/frmOptions.h"
#include "tests/fakes/World.h"
#include "tests/support/TestHome.h"
#include "tests/support/files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

namespace {

const QString Sound = QStringLiteral("/home/sleeper/rooster.wav");
const QString Midi = QStringLiteral("/home/sleeper/reveille.mid");

// Starts Dawnbell with an 8-track disc in the CD-ROM drive E:, the sound and MIDI files chosen, and the
// settings given as "Section/Key=value". A few entries set the world instead: "drives=D:,F:" the CD-ROM drives,
// "tray=0" no notification area, and after start-up "disc=N" a disc of N tracks (0: none) and "lblAlarm=TIME"
// the main window's alarm time.
void Start(World& w, const QStringList& stored = {})
{
    QMap<QString, QString> world;
    for (const QString& entry : stored)
        (entry.contains(u'/') ? w.platform.store : world).insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    for (const auto& [key, value] : {std::pair{"Settings/Dialog1", QStringLiteral("0")},
                                     std::pair{"Settings/SleepDrive", QStringLiteral("E:")},
                                     std::pair{"Alarm/AlarmSound", Sound}, std::pair{"Alarm/MidiSound", Midi}}) {
        if (!w.platform.store.contains(QLatin1String(key)))
            w.stored(key, value);
    }
    w.platform.cdDrives = world.value(QStringLiteral("drives"), QStringLiteral("E:")).split(u',');
    w.platform.trayAvailable = world.value(QStringLiteral("tray")) != QStringLiteral("0");
    w.platform.insertDisc(8);
    w.start();
    if (world.contains(QStringLiteral("disc"))) {
        const int tracks = world.value(QStringLiteral("disc")).toInt();
        tracks > 0 ? w.platform.insertDisc(tracks) : w.platform.removeDisc();
    }
    if (world.contains(QStringLiteral("lblAlarm")))
        w.main().lblAlarm->setText(world.value(QStringLiteral("lblAlarm")));
}

// The settings saved now that differ from `before`, as "Section/Key=value" joined by blanks.
QString Changed(World& w, const QMap<QString, QString>& before)
{
    w.module.SaveSettings();
    QStringList changed;
    for (auto it = w.platform.store.cbegin(); it != w.platform.store.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            changed << it.key() + u'=' + it.value();
    }
    return changed.join(u' ');
}

// Types `text` into a time field as a user would, and leaves it with Tab unless `stay`; no entry of its list is
// put in its place ("3" stays 3, not 30).
void Type(QComboBox* field, const QString& text, bool stay = false)
{
    field->setFocus();
    field->lineEdit()->selectAll();
    QTest::keyClicks(field, text);
    QCOMPARE(field->currentText(), text);
    if (!stay)
        QTest::keyClick(field, Qt::Key_Tab);
}

// What the dialog shows under `name`: a control's text or value ("on"/"off" for a check box or option),
// with " (disabled)", or "(hidden)"; "NAME.count" the items of a list; "time" the four time fields, "alarm"
// the main window's alarm time, "sources" the source rows in use, "probed" the drives whose disc was read since
// the dialog was opened, "wave" the wave-out volume, "beeps" the beeps since then.
QString Shown(World& w, const frmOptions& d, const QString& name)
{
    if (name.endsWith(QLatin1String(".count")))
        return QString::number(d.findChild<QComboBox*>(name.chopped(6))->count());
    if (name == QLatin1String("probed")) {
        QStringList drives;
        for (const QString& open : w.platform.commandsMatching(QStringLiteral("^open .* type cdaudio alias cd$")))
            drives << open.section(u' ', 1, 1);
        return drives.join(u' ');
    }
    if (name == QLatin1String("time")) {
        return QStringList{d.cmbHour->currentText(), d.cmbMinute->currentText(), d.cmbSecond->currentText(),
                           d.cmbAMPM->currentText()}
            .join(u' ');
    }
    if (name == QLatin1String("alarm"))
        return w.main().lblAlarm->text();
    if (name == QLatin1String("wave"))
        return QString::number(w.platform.waveVolumes[0], 16);
    if (name == QLatin1String("beeps"))
        return QString::number(w.platform.beeps);
    if (name == QLatin1String("sources")) {
        QStringList inUse;
        for (const auto& [source, button, picture] : {std::tuple{"CD", d.cmdEditPlaylist, d.imgCDsml},
                                                      std::tuple{"sound", d.cmdChangeSound, d.imgSoundsml},
                                                      std::tuple{"MIDI", d.cmdChangeMIDI, d.imgMIDIsml}}) {
            if (button->isEnabled() && !picture->isHidden())
                inUse << source;
        }
        return inUse.join(u' ');
    }
    auto* control = d.findChild<QWidget*>(name);
    if (control == nullptr)
        return QStringLiteral("no control ") + name;
    if (control->isHidden())
        return QStringLiteral("(hidden)");
    QString shown;
    if (auto* combo = qobject_cast<QComboBox*>(control))
        shown = combo->currentText();
    else if (auto* check = qobject_cast<QAbstractButton*>(control); check && check->isCheckable())
        shown = check->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    else if (auto* label = qobject_cast<QLabel*>(control))
        shown = label->text();
    if (!control->isEnabled())
        shown += QStringLiteral(" (disabled)");
    return shown;
}

}  // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT
private slots:
    // The picture beside the alarm time opens the dialog, as the menu does, only while the alarm is off.
    void opensOnlyWhileTheAlarmIsOff()
    {
        const QString on = QStringLiteral("Settings cannot be changed until you turn off the alarm.");
        const QString ringing = QStringLiteral(
            "The alarm is going off!  You need to turn the alarm off before you can change settings.");
        for (const auto& [state, refusal] : {std::pair{0, QString()}, std::pair{1, on}, std::pair{2, ringing}}) {
            World w;
            Start(w);
            if (state >= 1)
                w.main().cmdOnOff_Click();
            if (state == 2)
                w.module.SoundAlarm();
            QTest::mouseClick(w.main().Image2, Qt::LeftButton);
            QCOMPARE(w.platform.modalForms, refusal.isEmpty() ? 1 : 0);
            QCOMPARE(w.boxTexts(), refusal.isEmpty() ? QStringList() : QStringList{refusal});
        }
    }

    // Dawnbell started with `stored` (see Start()); the dialog opens, the actions run, and the dialog shows
    // `shown` ("NAME=text", see Shown()); then OK or Cancel, and the stored settings that changed since start-up
    // are `changed`; the device volumes are as before. Actions: "click:NAME"; "right:NAME" (a right-button
    // release); "type:NAME=TEXT" (typed into a field, which is then left with Tab); "focus:NAME"; "enter:NAME"
    // (Return pressed there); "set:NAME=TEXT" (a field's text or a slider's value, without the focus);
    // "pick:NAME=TEXT" (an entry chosen from a list); "file:PATH" (the next file chooser's answer; empty
    // cancels); "color:RRGGBB" (the colour chooser's answer); "tick:H:MM:SS" (the clock ticks at that time);
    // "playlist:DRIVE=N" (the playlist editor shown, a drive and start track chosen there, Esc);
    // "presets:STEP,..." (the preset editor shown, and in it: "h6", "m5", "s0", "aAM" typed into a time field,
    // which is then left, or not with "!"; "dText" typed as the description; "o2" an option clicked; "ok", "esc").
    void scenarios_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("actions");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("changed");
        const auto row = [](const char* tag, const QStringList& stored, const QString& actions,
                            const QStringList& shown, bool ok, const QStringList& changed = {}) {
            QTest::newRow(tag) << stored << actions << shown << ok << changed;
        };
        // What opening shows; opening and an OK without edits change nothing but the out-of-range values.
        row("first opening, a peak of 30000, a preset, menu states and start-up",
            {"Alarm/GradualVolumePeak=30000", "Presets/Preset2=6:30:00 AM", "Presets/Preset2Desc=Work",
             "Settings/CDOffWithAlarm=0", "Settings/SaveOnExit=0", "Settings/StartMinimized=1"}, "",
            {"cmbGradMinutes=4 (disabled)", "lblPreset1=No preset defined", "cmdPreset1= (disabled)",
             "lblPreset2=6:30:00 AM - Work", "cmdPreset2=", "lblLength= 15 minutes (disabled)",
             "cmbSleepDrive=E: (disabled)", "lblNoNotifyArea=(hidden)", "optCD=on",
             "lblCDInfo=Alarm will start on track 1.", "chkTurnOffWithAlarm=off", "chkSaveOnExit=off",
             "chkStartMini=on"}, true);
        row("timer 0", {"Alarm/TimerTime=0"}, "", {"cmbMin=5"}, true, {"Alarm/TimerTime=5"});
        row("timer 61, ramp of 45 minutes",
            {"Alarm/TimerTime=61", "Alarm/GradVolumeMinutes=45", "Alarm/GradualWakeup=1"}, "",
            {"cmbMin=5", "cmbGradMinutes=4"}, true, {"Alarm/TimerTime=5", "Alarm/GradVolumeMinutes=4"});
        row("sleep of 1", {"Settings/SleepTime=1", "Settings/SleepEnabled=1"}, "", {"lblLength= 1 minute"}, true);
        row("MIDI", {"Alarm/AlarmType=3", "Alarm/CDStartTrack=3"}, "",
            {"optMIDI=on", "sources=MIDI", "lblCDInfo=Alarm will start on track 3. (disabled)", "lblMIDI=" + Midi},
            true);
        row("a long sound path", {"Alarm/AlarmType=1", "Alarm/AlarmSound=/home/sleeper/Media/S/chimes.wav"}, "",
            {"lblSound=/home/sleeper/Media/S/.../chimes.wav"}, true);
        row("no sound file", {"Alarm/AlarmSound="}, "", {"lblSound=None (disabled)"}, true);
        row("to the tray", {"Settings/ShowInNotify=1", "Settings/ShowTimeRemaining=1", "tray=0"}, "",
            {"chkShowTimeRemaining=on (disabled)",
             "lblNoNotifyArea=This desktop has no notification area at the moment, so Dawnbell will minimize to the "
             "taskbar instead."}, true);
        row("no disc: the alarm CD starts on track 1", {"Alarm/CDStartTrack=5", "disc=0"}, "", {}, true,
            {"Alarm/CDStartTrack=1"});

        // The alarm-time fields: split from the main window's caption, corrected when left and again by OK,
        // stepped by their buttons, filled by the timer and the presets; only OK sets the alarm.
        const QStringList preset3 = {"Presets/Preset3=12:30:00 PM"};
        const auto time = [&](const char* tag, const char* caption, const QString& actions, const QString& fields,
                              const QString& alarm, const QStringList& more = {}) {
            row(tag, preset3 + QStringList{QStringLiteral("lblAlarm=") + caption}, actions,
                {"time=" + fields, QString("alarm=") + caption}, true, QStringList{"Alarm/AlarmTime=" + alarm} + more);
        };
        time("fields corrected when left", "7:45:00 AM",
             "type:cmbHour=13 type:cmbMinute=7 type:cmbSecond=3 type:cmbAMPM=pmx",
             "12 07 03 PM", "12:07:03 PM");
        row("fields corrected by OK, which Enter in a field gives", {"lblAlarm=7:45:00 AM"},
            "set:cmbHour=0 set:cmbMinute=75 set:cmbSecond=-5 set:cmbAMPM=p.m. enter:cmbAMPM", {"alarm=1:59:00 PM"}, true,
            {"Alarm/AlarmTime=1:59:00 PM"});
        // Each step button steps its own field (the rules of a step are test_text_rules'), up on the left button
        // and down on the right one; a second stepped past 59 does not carry.
        time("steps up", "12:00:59 PM", "click:cmdHourUp click:cmdMinuteUp click:cmdSecondUp right:cmdAMPMToggle",
             "1 01 00 AM", "1:01:00 AM");
        time("steps down", "12:00:00 PM", "right:cmdHourUp right:cmdMinuteUp right:cmdSecondUp set:cmbAMPM=p "
             "click:cmdAMPMToggle", "11 59 59 AM", "11:59:59 AM");
        time("preset", "7:45:00 AM", "click:cmdPreset3", "12 30 00 PM", "12:30:00 PM");
        row("timer of 0 minutes", {"lblAlarm=7:45:00 AM"}, "tick:7:00:00 set:cmbMin=0 click:cmdTimer",
            {"time=7 05 00 AM", "cmbMin=5"}, true, {"Alarm/AlarmTime=7:05:00 AM"});

        // OK writes the committed settings; Cancel keeps only what took effect at once, and puts the alarm CD's
        // drive and start track, chosen in the playlist editor, back.
        const QString edits = QStringLiteral(
            "file:/home/sleeper/rooster.wav color:123456 set:cmbHour=9 set:cmbAMPM=p.m. set:cmbMin=10 "
            "click:chkAllowSnooze set:cmbSnoozeTime=12 click:chkAllowMultiple click:chkSleepEnable set:sldMin=30 "
            "set:cmbSleepTrack=3 click:optNotify click:chkStartOn click:chkStartMini click:chkTurnOffWithAlarm "
            "click:chkSaveOnExit click:cmdChangeColor playlist:D:=4 click:optSound click:chkLoop click:chkGradual "
            "set:cmbGradMinutes=10");
        const QStringList immediate = {"Alarm/AlarmSound=" + Sound, "Alarm/AlarmType=1", "Alarm/GradualWakeup=1",
                                       "Alarm/LoopSound=1", "Settings/CDOffWithAlarm=0", "Settings/Dialog3=0",
                                       "Settings/SaveOnExit=0", "Settings/SleepEnabled=1"};
        const QStringList noSound = {"Alarm/AlarmSound=", "Alarm/CDStartTrack=5", "drives=D:,F:",
                                     "Settings/SleepDrive=D:", "Settings/CDDrive=F:"};
        row("OK", noSound, edits,
            {"SliderVol=", "cmbSnoozeTime=12", "chkShowTimeRemaining=off (disabled)", "imgTaskbar=(hidden)",
             "imgNotify=", "lblCDInfo=Alarm will start on track 4. (disabled)"}, true,
            immediate + QStringList{"Settings/CDDrive=D:", "Alarm/AlarmTime=9:45:00 PM", "Alarm/AllowMultipleSnoozes=1",
                                    "Alarm/AllowSnooze=1", "Alarm/CDStartTrack=4", "Alarm/GradVolumeMinutes=10",
                                    "Alarm/SnoozeTime=12", "Alarm/TimerTime=10", "Settings/BGColor=1193046",
                                    "Settings/ShowInNotify=1", "Settings/SleepStartTrack=3", "Settings/SleepTime=30",
                                    "Settings/StartMinimized=1", "Settings/StartOn=1"});
        row("Cancel", noSound, edits, {}, false, immediate);
        // The volume slider sounds the level it is moved to, and the volume comes back when it loses the focus,
        // by OK or by Cancel; the peak takes effect at once.
        const QStringList gradual = {"Alarm/GradualWakeup=1"};
        row("preview, the focus leaves", gradual, "focus:SliderVol set:SliderVol=255 focus:cmbGradMinutes",
            {"wave=ffffffff", "beeps=1"}, false, {"Alarm/GradualVolumePeak=255"});
        row("preview, OK", gradual, "focus:SliderVol set:SliderVol=255", {"wave=ff00ff", "beeps=1"}, true,
            {"Alarm/GradualVolumePeak=255"});
        row("preview, Cancel", gradual, "focus:SliderVol set:SliderVol=0", {"wave=0"}, false,
            {"Alarm/GradualVolumePeak=0"});
        row("the colour chooser cancelled", {"Settings/BGColor=8405024"}, "click:cmdChangeColor", {}, true);
        row("the display's default colour", {"Settings/BGColor=8405024"}, "click:cmdResetColor", {}, true,
            {"Settings/BGColor=14737632"});

        // The preset editor writes into the presets as the user works, and Cancel keeps them; Speed Set shows them
        // however the editor closes. "PMX" is no AM/PM mark there: the editor does not cut it to "PM".
        row("presets: OK at once defines preset 1", {}, "presets:ok",
            {"lblPreset1=7:00:00 AM - ", "cmdPreset1=", "lblPreset2=No preset defined", "cmdPreset2= (disabled)"},
            false, {"Presets/Preset1=7:00:00 AM"});
        row("presets: edited", {}, "presets:h6,m5,s0,aAM,dWeekdays,ok", {"lblPreset1=6:05:00 AM - Weekdays"}, false,
            {"Presets/Preset1=6:05:00 AM", "Presets/Preset1Desc=Weekdays"});
        row("presets: the edit goes to its preset before the next is shown",
            {"Presets/Preset2=5:15:00 PM", "Presets/Preset2Desc=Gym"}, "presets:h9!,o2,h10.5,ok",
            {"lblPreset1=9:00:00 AM - ", "lblPreset2=10:15:00 PM - Gym", "lblPreset3=No preset defined"}, false,
            {"Presets/Preset1=9:00:00 AM", "Presets/Preset2=10:15:00 PM"});
        row("presets: AM/PM is never cut", {}, "presets:aPMX,ok", {}, false, {"Presets/Preset1=7:00:00 AM"});
        row("presets: at most 50 characters", {}, "presets:d" + QString(60, u'x') + ",ok", {}, false,
            {"Presets/Preset1=7:00:00 AM", "Presets/Preset1Desc=" + QString(50, u'x')});
        row("presets: Esc keeps what was stored", {}, "presets:h8,dLate,esc", {"lblPreset1=8:00:00 AM - Late"}, false,
            {"Presets/Preset1=8:00:00 AM", "Presets/Preset1Desc=Late"});

        // The sleep page reads the disc of the drive it shows, again when another drive is chosen or rescanned.
        const QStringList sleep = {"drives=D:,F:", "Settings/SleepDrive=F:", "Settings/SleepEnabled=1",
                                   "Settings/SleepStartTrack=5"};
        row("sleep, 12 tracks", sleep + QStringList{"disc=12"}, "",
            {"cmbSleepDrive=F:", "probed=D: F:", "lblSleepTrack=12", "cmbSleepTrack.count=12", "cmbSleepTrack=5"},
            true);
        row("sleep, a start track beyond the disc", sleep + QStringList{"disc=4"}, "", {"cmbSleepTrack=1"}, true,
            {"Settings/SleepStartTrack=1"});
        row("sleep, no disc", sleep + QStringList{"disc=0"}, "",
            {"lblSleepTrack=No CD.", "cmbSleepTrack.count=25", "cmbSleepTrack=1"}, true,
            {"Settings/SleepStartTrack=1"});
        row("sleep, another drive", sleep, "pick:cmbSleepDrive=D: click:cmdSleepRescan",
            {"cmbSleepDrive=D:", "probed=D: F: D: D:", "lblSleepTrack=8", "cmbSleepTrack=5"}, true,
            {"Settings/SleepDrive=D:"});

        // An alarm type changes only when what it plays is there: a cancelled file choice keeps the type in
        // force, and the page shows the type in force.
        const auto type = [&](const char* tag, const char* from, const QString& files, const QString& actions,
                              const char* option, const char* sources, const QStringList& changed) {
            const QStringList stored = {QStringLiteral("Alarm/AlarmType=") + from,
                                        "Alarm/AlarmSound=" + files.section(u'|', 0, 0),
                                        "Alarm/MidiSound=" + files.section(u'|', 1)};
            row(tag, stored, actions, {QString(option) + "=on", QString("sources=") + sources},
                false, changed);
        };
        const QString both = Sound + u'|' + Midi;
        type("CD", "1", both, "click:optCD", "optCD", "CD", {"Alarm/AlarmType=2"});
        type("CD and sound", "4", both, "click:optCDSound", "optCDSound", "CD sound", {"Alarm/AlarmType=0"});
        type("MIDI, its file there", "2", both, "click:optMIDI", "optMIDI", "MIDI", {"Alarm/AlarmType=3"});
        type("MIDI and sound", "2", both, "click:optMIDISound", "optMIDISound", "sound MIDI", {"Alarm/AlarmType=4"});
        type("sound, chosen", "2", "|", "file:" + Sound + " click:optSound", "optSound", "sound",
             {"Alarm/AlarmType=1", "Alarm/AlarmSound=" + Sound});
        type("sound from MIDI, cancelled", "3", "|" + Midi, "file: click:optSound", "optMIDI", "MIDI", {});
        type("MIDI, chosen", "2", "|", "file:" + Midi + " click:optMIDI", "optMIDI", "MIDI",
             {"Alarm/AlarmType=3", "Alarm/MidiSound=" + Midi});
        type("MIDI, cancelled", "2", "|", "file: click:optMIDI", "optCD", "CD", {});
        type("MIDI and sound, MIDI cancelled", "2", Sound + "|", "file: click:optMIDISound", "optCD", "CD", {});
    }
    void scenarios()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, actions);
        QFETCH(QStringList, shown);
        QFETCH(bool, ok);
        QFETCH(QStringList, changed);
        World w;
        Start(w, stored);
        w.module.SaveSettings();
        const auto before = w.platform.store;
        w.platform.clearLog();
        const auto volumes = std::pair(w.platform.waveVolumes, w.platform.auxVolumes);
        frmOptions d(w.module, w.main());
        QCOMPARE(w.platform.beeps, 0);  // setting the volume slider does not preview it
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitFor([&d] { return QApplication::activeWindow() == &d; }));
        size_t files = 0;
        for (const QString& action : actions.split(u' ', Qt::SkipEmptyParts)) {
            const QString verb = action.section(u':', 0, 0);
            const QString what = action.section(u':', 1);
            const QString name = what.section(u'=', 0, 0);
            const QString text = what.section(u'=', 1);
            if (verb == QLatin1String("click")) {
                d.findChild<QAbstractButton*>(name)->click();
            } else if (verb == QLatin1String("right")) {
                QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::RightButton,
                                    Qt::NoButton, Qt::NoModifier);
                QCoreApplication::sendEvent(d.findChild<QWidget*>(name), &release);
            } else if (verb == QLatin1String("type")) {
                Type(d.findChild<QComboBox*>(name), text);
            } else if (verb == QLatin1String("focus")) {
                d.findChild<QWidget*>(name)->setFocus();
            } else if (verb == QLatin1String("enter")) {
                QTest::keyClick(d.findChild<QWidget*>(name), Qt::Key_Return);
                QVERIFY(!d.isVisible());
            } else if (verb == QLatin1String("set")) {
                if (auto* slider = d.findChild<QSlider*>(name))
                    slider->setValue(text.toInt());
                else
                    d.findChild<QComboBox*>(name)->setEditText(text);
            } else if (verb == QLatin1String("file")) {
                w.platform.fileAnswers.push_back(what);
                ++files;
            } else if (verb == QLatin1String("color")) {
                w.platform.colorAnswer = true;
                w.platform.colorChosen = what.toUInt(nullptr, 16);
            } else if (verb == QLatin1String("tick")) {
                w.tickAt(QTime::fromString(what, QStringLiteral("H:mm:ss")));
            } else if (verb == QLatin1String("pick")) {
                auto* list = d.findChild<QComboBox*>(name);
                list->setCurrentIndex(list->findText(text));
                emit list->activated(list->currentIndex());
            } else if (verb == QLatin1String("playlist")) {
                w.platform.onModal = [&](QDialog& form) {
                    auto& editor = dynamic_cast<frmPlaylist&>(form);
                    editor.cmbDrive->setCurrentIndex(editor.cmbDrive->findText(name));
                    emit editor.cmbDrive->activated(editor.cmbDrive->currentIndex());
                    editor.cmbTrack->setEditText(text);
                    QTest::keyClick(&editor, Qt::Key_Escape);  // Esc commits like OK
                    return editor.result();
                };
                d.cmdEditPlaylist->click();
            } else if (verb == QLatin1String("presets")) {
                w.platform.onModal = [&](QDialog& form) {
                    auto& p = dynamic_cast<frmPreset&>(form);
                    p.show();
                    p.activateWindow();
                    if (!QTest::qWaitFor([&p] { return QApplication::activeWindow() == &p; }))
                        return 0;
                    for (const QString& step : what.split(u',')) {
                        const QString text = step.mid(1).remove(u'!');
                        const auto field = QString("hmsa").indexOf(step[0]);
                        if (step == "ok") {
                            QTest::mouseClick(p.cmdOK, Qt::LeftButton);
                        } else if (step == "esc") {
                            QTest::keyClick(&p, Qt::Key_Escape);
                        } else if (field >= 0) {
                            const std::array fields{p.cmbHour, p.cmbMinute, p.cmbSecond, p.cmbAMPM};
                            Type(fields[size_t(field)], text, step.endsWith(u'!'));
                        } else if (step.startsWith(u'd')) {
                            p.txtDesc->setFocus();
                            QTest::keyClicks(p.txtDesc, text);
                        } else {
                            QTest::mouseClick(p.findChild<QRadioButton*>("opt" + text), Qt::LeftButton);
                        }
                    }
                    return p.result();
                };
                d.cmdEditPresets->click();
            } else {
                QFAIL(qPrintable(QStringLiteral("unknown action ") + action));
            }
        }
        QCOMPARE(w.platform.fileRequests.size(), files);  // each answer was asked for, and nothing else
        for (const QString& expected : shown) {
            const QString name = expected.section(u'=', 0, 0);
            QCOMPARE(name + u'=' + Shown(w, d, name), expected);
        }
        (ok ? d.cmdOK : d.cmdCancel)->click();
        QCOMPARE(w.main().PlaylistEditor != nullptr, ok);  // OK leaves the playlist editor loaded, Cancel does not
        QVERIFY(std::pair(w.platform.waveVolumes, w.platform.auxVolumes) == volumes);
        changed.sort();
        QCOMPARE(Changed(w, before), changed.join(u' '));
    }

    void testAlarm_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("disc");
        QTest::addColumn<bool>("gradual");
        QTest::addColumn<QStringList>("plays");  // the sources' play commands; none: the drive is reported
        QTest::newRow("sound, no disc needed") << "1" << false << false << QStringList{"play Sound"};
        QTest::newRow("CD and sound, gradual") << "0" << true << true << QStringList{"play cd", "play Sound"};
        QTest::newRow("MIDI and sound, gradual") << "4" << true << true << QStringList{"play midi", "play Sound"};
        QTest::newRow("CD, no disc, gradual") << "2" << false << true << QStringList{};
    }
    void testAlarm()
    {
        QFETCH(QString, type);
        QFETCH(bool, disc);
        QFETCH(bool, gradual);
        QFETCH(QStringList, plays);
        World w;
        Start(w, {"Alarm/AlarmType=" + type, QStringLiteral("Alarm/GradualWakeup=%1").arg(gradual ? 1 : 0)});
        if (!disc)
            w.platform.removeDisc();
        w.platform.waveVolumes[0] = 0x80008000;
        w.platform.auxVolumes[0] = 0x30003000;
        frmOptions d(w.module, w.main());
        w.platform.clearLog();
        d.cmdTest->click();
        QCOMPARE(w.platform.commandsMatching("^play ").join(u','), plays.join(u','));
        // A MIDI sequence under gradual wake-up gets its note first: the information dialog, with its beep (the
        // dialog's text is test_startup_settings' drive scan).
        const int note = type == QLatin1String("4") && gradual ? 1 : 0;
        QCOMPARE(w.platform.modalForms, note);
        QCOMPARE(w.platform.beeps, note);
        const bool sounding = !plays.isEmpty();
        QCOMPARE(w.boxTexts().join(QString()),
                 sounding ? QString()
                          : "There is no audio CD in drive E: or there is a problem with the drive.  Put a CD in the "
                            "drive and try again, or change the alarm so that it includes only sound and MIDI files.");
        QCOMPARE(d.cmdTest->text(), sounding ? QStringLiteral("&Turn off alarm") : QStringLiteral("&Test alarm now"));
        // While it sounds the dialog cannot be closed, nor the alarm type or gradual wake-up changed.
        for (QWidget* control : std::initializer_list<QWidget*>{d.cmdOK, d.cmdCancel, d.optCD, d.chkGradual})
            QCOMPARE(control->isEnabled(), !sounding);
        QCOMPARE(w.main().tmrVolume->isActive(), sounding && gradual);
        if (sounding) {
            QCOMPARE(w.platform.waveVolumes[0] | w.platform.auxVolumes[0], gradual ? 0u : 0xB000B000u);
            d.reject();  // Esc does not close it: Cancel would unload the playlist editor
            QVERIFY(w.main().PlaylistEditor != nullptr);
            d.cmdTest->click();
            QCOMPARE(w.platform.commandsMatching("^stop ").join(u','), plays.join(u',').replace("play", "stop"));
            QVERIFY(d.cmdOK->isEnabled() && !w.main().tmrVolume->isActive());
        }
        // Restored, or never touched.
        QCOMPARE(w.platform.waveVolumes[0], 0x80008000u);
        QCOMPARE(w.platform.auxVolumes[0], 0x30003000u);
    }

    // Ticking gradual wake-up the first time tells how the volume is handled and how to see it again; Info tells
    // it again without that sentence.
    void gradualInformationComesUpOnce()
    {
        World w;
        Start(w);
        frmOptions d(w.module, w.main());
        for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{d.chkGradual, d.chkGradual,
                                                                               d.chkGradual, d.cmdInfo})
            button->click();
        QCOMPARE(w.platform.boxes.size(), size_t{2});
        QCOMPARE(w.platform.boxes[0].title, "Important Volume Information");
        QVERIFY(w.platform.boxes[0].text.endsWith("press the button marked 'Info.'"));
        QVERIFY(w.platform.boxes[1].text.endsWith("not too soft and not too loud."));
    }

    // The pages turn; OK shows the alarm message with the alarm when its box is ticked.
    void pagesAndTheAlarmMessage()
    {
        World w;
        Start(w);
        frmOptions d(w.module, w.main());
        QVERIFY(d.frmTab[1]->isVisibleTo(&d));
        d.TabStrip1->setCurrentIndex(5);
        QCOMPARE(d.CurrentTab, 6);
        QVERIFY(d.frmTab[6]->isVisibleTo(&d) && !d.frmTab[1]->isVisibleTo(&d));
        d.chkShowMessage->click();
        QVERIFY(d.cmdEditMessage->isEnabled());
        d.cmdOK->click();
        QCOMPARE(w.module.HasAlarmMessage, 1);
    }

    // The autostart entry is written and removed by OK; a folder that cannot be made is reported.
    void startAtLogin()
    {
        SKIP_OUTSIDE_TEST_HOME();
        QFile::remove(AutostartEntryPath());
        World w;
        Start(w);
        for (bool wanted : {true, false}) {
            frmOptions d(w.module, w.main());
            QCOMPARE(d.chkStartAtLogin->isChecked(), !wanted);
            d.chkStartAtLogin->click();
            d.cmdOK->click();
            QCOMPARE(AutostartEnabled(), wanted);
            QCOMPARE(readFile(AutostartEntryPath()).contains("\nExec=\"/opt/dawnbell/bin/dawnbell\"\n"), wanted);
        }
        const QString folder = QFileInfo(AutostartEntryPath()).absolutePath();
        QDir(folder).removeRecursively();
        QVERIFY(QFile(folder).open(QIODevice::WriteOnly));  // a file where the folder should be
        frmOptions d(w.module, w.main());
        d.chkStartAtLogin->click();
        d.cmdOK->click();
        QFile::remove(folder);
        QCOMPARE(w.platform.boxes.size(), size_t{1});
        QVERIFY(w.platform.boxes[0].text.startsWith("Dawnbell could not set itself to start when you log in.  ") &&
                w.platform.boxes[0].style == 48);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "test_settings_dialog.moc"
