#pragma once
// A fresh Dawnbell against the fake platform, in one line: `World w; w.start();`. The main window is loaded
// hidden, as the program's composition root does, and start-up runs when the test says so. The helpers drive
// the alarm as the user and the clock do (arm it, tick the clock to a time, ring it) and read its state.

#include "core/Module1.h"
#include "core/TextRules.h"
#include "main_window/frmMain.h"
#include "tests/fakes/FakePlatform.h"

#include <QLabel>
#include <QPushButton>

#include <initializer_list>
#include <utility>

struct World {
    // The alarm's state texts.
    static inline const QString Off = QStringLiteral("Alarm is off.");
    static inline const QString On = QStringLiteral("Alarm is on.");
    static inline const QString Ringing = QStringLiteral("Wake up!");
    // The states as alarmState() reads them: the state text, AlarmOn, AlarmSounding, the on/off button's caption.
    static inline const QString IsOff = QStringLiteral("Alarm is off. on=0 sounding=0 Turn &alarm ON");
    static inline const QString IsArmed = QStringLiteral("Alarm is on. on=1 sounding=0 Turn &alarm OFF");
    static inline const QString IsRinging = QStringLiteral("Wake up! on=0 sounding=-1 Turn &alarm OFF");

    FakePlatform platform;
    Module1 module{platform};
    frmMain form{module};

    // A world whose store holds these "Section/Key" values, as a previous run left them.
    World(std::initializer_list<std::pair<const char*, QString>> storedValues = {})
    {
        for (const auto& [key, value] : storedValues)
            stored(key, value);
    }

    // Runs start-up as the program does.
    void start() { module.Main(); }
    Settings& settings() { return module.AppSettings; }
    frmMain& main() { return form; }
    // Stores a value as a previous run would have left it.
    void stored(const char* sectionKey, const QString& value) { platform.store.insert(QLatin1String(sectionKey), value); }

    // Starts at 7:00 AM with an 8-track disc in the CD-ROM drive "E:", and a sound file and a MIDI file chosen
    // unless the test stored others.
    void startWithDisc()
    {
        platform.cdDrives = {QStringLiteral("E:")};
        platform.insertDisc(8);
        for (const auto& [key, path] : {std::pair{"Alarm/AlarmSound", "/home/sleeper/rooster.wav"},
                                        std::pair{"Alarm/MidiSound", "/home/sleeper/reveille.mid"}}) {
            if (!platform.store.contains(QLatin1String(key)))
                stored(key, QLatin1String(path));
        }
        start();
    }

    QString state() const { return form.lblOnOff->text(); }
    QString alarmState() const
    {
        return QStringLiteral("%1 on=%2 sounding=%3 %4")
            .arg(state())
            .arg(module.AlarmOn)
            .arg(module.AlarmSounding)
            .arg(form.cmdOnOff->text());
    }
    // The status icons shown: C the CD, M the MIDI file, W the sound file, Z snooze, G gradual wake-up, S sleep.
    QString statusIcons() const
    {
        const std::pair<QLabel*, char> icons[] = {{form.imgCD, 'C'},     {form.imgMIDI, 'M'},    {form.imgWave, 'W'},
                                                  {form.imgSnooze, 'Z'}, {form.imgGradual, 'G'}, {form.imgSleep, 'S'}};
        QString shown;
        for (const auto& [icon, letter] : icons) {
            if (icon->isVisibleTo(&form))
                shown += QLatin1Char(letter);
        }
        return shown;
    }
    // The texts of the message boxes shown so far.
    QStringList boxTexts() const
    {
        QStringList texts;
        for (const FakePlatform::Box& box : platform.boxes)
            texts << box.text;
        return texts;
    }

    // The clock shows `time` of its day and ticks once.
    void tickAt(const QTime& time)
    {
        platform.clock.setTime(time);
        form.Timer1_Timer();
    }
    void tickAt(int hour, int minute, int second, int msec = 0) { tickAt(QTime(hour, minute, second, msec)); }
    // Turns the alarm on, when it is off.
    void arm()
    {
        if (state() == Off)
            form.cmdOnOff_Click();
    }
    // An alarm that is off is set to `at`; a tick just before `at`, the alarm turned on if it is off, a tick in
    // the second of `at`. True when the alarm rings.
    bool ring(const QTime& at = QTime(7, 45))
    {
        if (state() == Off)
            form.SetAlarmTimeText(TimeText(at));
        tickAt(at.addMSecs(-40));
        arm();
        tickAt(at.addMSecs(10));
        return state() == Ringing;
    }
};
