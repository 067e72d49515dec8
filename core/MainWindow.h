#pragma once
// What Module1's routines ask of the main window: the settings its controls hold (the alarm time, the source
// checks, "Turn off CD with alarm", "Save settings on exit"), the texts it shows, its timers, its geometry and
// the few things the ringing alarm does to it. frmMain implements it; the composition root hands it to Module1,
// so that core knows no widget.

#include <QColor>
#include <QIcon>
#include <QString>

class QWidget;

class MainWindow {
public:
    // The window's timers that the routines switch on and off.
    enum class Timer {
        Volume,    // tmrVolume: the gradual volume ramp
        Sleep,     // tmrSleep: the sleep countdown
        PlayList,  // tmrPlayList: the playlist stepping
        Sound,     // SoundTimer: the sound-file loop
        AlarmCheck,  // tmrAlarmCheck: the watch of the ringing alarm's sources
    };
    // The three alarm-source menu items; at most one is checked, none when only the MIDI file sounds.
    struct Sources {
        bool cdAndSound = false;  // mnuCDAndSound
        bool alarm = false;       // mnuAlarm
        bool cd = false;          // mnuCD
    };

    virtual ~MainWindow() = default;

    // The window as owner of dialogs and of the notification icon, and its icon.
    virtual QWidget* OwnerWidget() = 0;
    virtual QIcon Icon() const = 0;

    // Settings that live in controls.
    virtual QString AlarmTimeText() const = 0;  // lblAlarm: the one authority for the alarm time
    virtual void SetAlarmTimeText(const QString& text) = 0;
    virtual Sources AlarmSources() const = 0;
    virtual void SetAlarmSources(Sources sources) = 0;
    virtual bool TurnOffCdWithAlarm() const = 0;  // mnuOff's check mark
    virtual void SetTurnOffCdWithAlarm(bool on) = 0;
    virtual void SetTurnOffCdAvailable(bool available) = 0;  // mnuOff enabled
    virtual bool SaveOnExit() const = 0;  // mnuSaveOnExit's check mark
    virtual void SetSaveOnExit(bool on) = 0;

    // Texts and colours.
    virtual void SetClockText(const QString& text) = 0;   // lblTime
    virtual void SetStateText(const QString& text) = 0;   // lblOnOff: the alarm's state
    virtual void SetCaption(const QString& text) = 0;     // the window title
    virtual void SetStatusText(const QString& text) = 0;  // SBar's one line
    virtual void PaintBackground(const QColor& background, const QColor& text) = 0;

    // Timers.
    virtual void StartTimer(Timer timer) = 0;
    virtual void StopTimer(Timer timer) = 0;
    virtual void StopAllTimers() = 0;

    // The handlers start-up runs as plain procedures.
    virtual void Timer1_Timer() = 0;
    virtual void cmdOnOff_Click() = 0;

    // Geometry, in twips on the outer frame, and the window's state.
    virtual double TopTwips() const = 0;
    virtual double LeftTwips() const = 0;
    virtual void MoveTwips(double left, double top) = 0;
    virtual void Minimize() = 0;
    virtual void ShowWindow() = 0;
    // Shown, restored and in front with the keyboard, so that Enter and Space reach it.
    virtual void BringToFront() = 0;
    // Asks the desktop for the user's attention: the taskbar entry flashes, or the desktop's own sign.
    virtual void Alert() = 0;
    virtual void SetBusy(bool busy) = 0;  // the wait pointer

    // The ringing alarm: the message panel below the clock, the snooze button, where the focus goes.
    virtual void ShowMessagePanel() = 0;
    virtual void EnableSnooze() = 0;
    virtual bool SnoozeEnabled() const = 0;
    virtual void FocusMessage() = 0;          // txtAlarm
    virtual void FocusAwayFromButtons() = 0;  // chk1, so that no button holds the focus

    // The information dialog with its text; true when the user ticked "Do not show this dialog again".
    virtual bool ShowInformation(const QString& text) = 0;
    // Every window of the program goes.
    virtual void CloseAllWindows() = 0;
};
