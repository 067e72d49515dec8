#pragma once
// Module1: the settings record, the state the forms share, and the shared routines: start-up, saving the
// settings, the MCI sends and sources, sounding and silencing the alarm, sleep playback, shell services and
// the orderly exit. One object, built by the composition root with the platform and handed the main window
// before Main runs; the forms reach it by reference.

#include "core/MainWindow.h"
#include "platform/Platform.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Every user preference, with the default a first run starts from. Settings that live in main-window
// controls (the alarm time, the alarm-source menus, "Turn off CD with alarm", "Save settings on exit") are not
// here: the controls hold them.
struct Settings {
    int16_t Dialog1 = 1;  // 1 = show the note that no CD-ROM drive was found
    int16_t Dialog3 = 1;  // 1 = show the note of the gradual wake-up controls
    int16_t Dialog4 = 1;  // 1 = show the note on MIDI and gradual wake-up
    int16_t Dialog5 = 1;  // 1 = warn when the window is minimized while the alarm sounds
    int32_t BGColor = -1;  // 0x00BBGGRR; -1 = not chosen yet
    int16_t SleepTime = 15;
    int16_t SleepEnabled = 0;
    int16_t SleepStartTrack = 1;
    int16_t AllowSnooze = 0;
    int16_t AllowMultipleSnoozes = 0;
    int16_t GradVolumeMinutes = 4;
    int16_t GradualWakeup = 0;
    int32_t GradualVolumePeak = 40000;
    int16_t TimerTime = 5;
    int16_t SnoozeTime = 8;
    int16_t ShowTimeRemaining = 0;
    int16_t CDStartTrack = 1;
    QString AlarmSound;
    QString MidiSound;
    int16_t LoopSound = 0;  // -1 = repeat the sound file until silenced
    int16_t ShowInNotify = 0;
    int16_t StartOn = 0;
    int16_t StartMinimized = 0;
    QString Preset1, Preset2, Preset3;
    QString Preset1Desc, Preset2Desc, Preset3Desc;
    QString CDDrive;     // "D:"; empty when there is no CD-ROM drive
    QString SleepDrive;  // "D:"; empty when none was remembered
    int16_t MidiAlarm = 0;  // 1 = the MIDI file sounds (kept in AlarmType when stored)
};

inline constexpr int VolumeDeviceCount = 11;  // device numbers 0 to 10 of each kind

// The sources an alarm sounds, in the order it starts them, and their aliases.
enum class AlarmSource { CD, Midi, Sound };
inline constexpr int AlarmSourceCount = 3;

// The keys of the ringing alarm's notification buttons.
inline const QString NotificationSnooze = QStringLiteral("snooze");
inline const QString NotificationTurnOff = QStringLiteral("off");

class Module1 {
public:
    explicit Module1(Platform& platform);
    ~Module1();
    Module1(const Module1&) = delete;
    Module1& operator=(const Module1&) = delete;

    Platform& platform;
    MainWindow* MainForm = nullptr;  // frmMain: lives for the whole run

    Settings AppSettings;

    // Facts about the machine, found by Main.
    QString AppFolder;      // the program's folder, ending in a separator
    QString SystemFolder;
    QString WindowsFolder;
    int16_t IsWindowsNT = 0;
    QString CdAudioPlayerPath;  // the desktop's CD player, empty when none is installed
    std::array<uint32_t, 16> CustomColors{};  // the colour chooser's custom colours

    // The alarm.
    int16_t AlarmOn = 0;        // 1 while armed
    int16_t AlarmSounding = 0;  // -1 while it sounds
    QString AlarmAt;            // the alarm time in force, copied from lblAlarm every tick
    int16_t HasAlarmMessage = 0;
    int16_t MinimizeWarned = 0;
    int16_t SnoozeOffered = 0;
    int16_t GradualVolume = 0;
    int32_t GradualStep = 0;
    std::array<uint32_t, VolumeDeviceCount> SavedAuxVolumes{};
    std::array<uint32_t, VolumeDeviceCount> SavedWaveVolumes{};

    // Media and windows.
    int16_t CDOpen = 0;         // -1 while the alias "cd" is open for playing
    int16_t MessageHidden = 0;  // 1 only while the message panel shrinks the window

    // Sleep playback.
    int16_t SleepActive = 0;
    int16_t SleepMinutesLeft = 0;
    QString SleepStatusText;

    // The latest notice Dawnbell has to give (an alarm time it could not read, a source that failed): the status
    // bar shows it whenever it shows no sleep status, until the alarm is next turned on or off.
    QString Notice;

    // The committed CD playlist; never stored, so every run starts in start-track mode.
    int16_t UsePlaylist = 0;
    int16_t PlaylistCount = 0;
    std::vector<int16_t> PlaylistTracks;
    int16_t PlaylistIndex = 0;

    bool ProgramEnded = false;  // set by ExitProgram once the program has been ended

    // Never silent: from the moment the alarm goes off until it is silenced, the sources it chose are watched.
    // When none of them plays and one has failed (it could not start, or the engine gave up on it while it
    // played), or none has started two seconds after the alarm, Dawnbell sounds its own alarm tone (the engine's
    // "alarmtone" device, alias "tone") through the same volumes, and says what failed.
    struct SourceWatch {
        bool chosen = false;   // the alarm type chose it
        bool started = false;  // it was seen playing
        QString failure;       // why it cannot sound, in the engine's words; empty while nothing went wrong
    };
    std::array<SourceWatch, AlarmSourceCount> AlarmWatch;
    bool WatchingAlarm = false;
    bool AlarmToneOpen = false;     // the alias "tone" is open
    bool AlarmTonePlaying = false;
    bool NoAudioSaid = false;       // no audio output: the user has been told
    QDateTime AlarmWentOffAt;
    QString AlarmTrouble;           // what the ringing alarm's notice and notification say went wrong
    NotificationUrgency AlarmUrgency = NotificationUrgency::Normal;
    uint32_t LastMciError = 0;      // the result of the last SendMci or SendMciChecked

    // While one lives, a command of SendMci or SendMciChecked that fails is a failure of `source` for the watch:
    // told before the error box, which waits for the user.
    class SourceCommands {
    public:
        SourceCommands(Module1& m, AlarmSource source) : m_(m), previous_(m.commandsFor_) { m.commandsFor_ = source; }
        ~SourceCommands() { m_.commandsFor_ = previous_; }
        SourceCommands(const SourceCommands&) = delete;
        SourceCommands& operator=(const SourceCommands&) = delete;

    private:
        Module1& m_;
        std::optional<AlarmSource> previous_;
    };

    // The desktop beyond the window: the ringing alarm's notification, and the machine's sleep.
    int AlarmNotification = 0;   // the notification of the ringing alarm; 0 when none is shown
    int MissedNotification = 0;  // the last "Missed alarm" notification
    bool SleepDelayHeld = false;  // the sleep delay is asked for: the alarm is armed and the machine awake
    bool MachineAsleep = false;   // from the announcement of sleep to the wake-up
    QDateTime SleepStartedAt;     // when the machine was last announced to sleep

    // Start-up: loads the settings into the main window, finds the drives, probes the disc, shows the window.
    void Main();
    // Writes every setting to the store; a failure is reported in a message box.
    void SaveSettings();
    // Paints BGColor onto the main window and picks the label text colour that reads on it.
    void ApplyBackgroundColor();
    // The background a first run starts with, chosen from the display: white on a display of fewer than 10000
    // colours, light grey on one with more.
    int32_t DefaultBackgroundColor();

    // The CD-ROM drives "A:" to "Z:" as the drive table answers, in letter order.
    QStringList CdDriveNames();

    // MCI: a send whose failure is harmless, a send whose failure is reported, and the mode of a device.
    QString SendMci(const QString& command);
    QString SendMciChecked(const QString& command);
    QString GetDeviceMode(const QString& alias);
    // Opens the drive, reads its track count and closes it again, all without reporting errors; 0 when there
    // is no disc (or no drive).
    int ProbeCdTrackCount(const QString& drive);

    // The alarm's sources.
    void PlayAlarmCD();
    // Opens `drive` shareable for playing and returns the disc's track count (0 when it cannot be read);
    // failures are reported.
    double OpenCdForPlaying(const QString& drive);
    // Plays the open disc from `startTrack`, or from track 1 when the disc has fewer tracks.
    void PlayCdFromTrack(double trackCount, int16_t startTrack);
    // Plays exactly one track of the open disc; the disc's last track plays to its end.
    void PlayPlaylistTrack(int16_t track, double trackCount);
    void StopCD();
    void PlayAlarmSound();
    void StopAlarmSound();
    // Opens the alarm sound file under the alias "Sound"; a failure (no file set, an open alias) is harmless.
    void OpenAlarmSound();
    void PlayAlarmMidi();
    void StopMidi();
    // A MIDI alarm sounds on its second: from a minute before its time, while it is armed, the sequence is opened
    // under the alias "midi" (the sound font loaded), so that the alarm only plays it; any other time the alias
    // is let go again, and the sound font's memory with it. The clock tick keeps it so.
    void KeepMidiReady();
    bool MidiReady() const { return !midiReadyFile_.isEmpty(); }

    // Which sources the alarm-source menus choose.
    bool PlaysCD() const;
    bool PlaysSoundFile() const;

    // Sounding and silencing the alarm, and the orderly exit.
    void SoundAlarm();
    void SilenceAlarm();
    // The watch of the ringing alarm's sources: started by SoundAlarm before the sources start; its timer checks
    // every 250 ms; silencing ends it, with the tone.
    void WatchAlarmSources();
    void CheckAlarmSources();
    void EndAlarmWatch();
    void NoteSourceStarted(AlarmSource source);
    void NoteSourceFailure(AlarmSource source, const QString& reason);
    static QString AliasOf(AlarmSource source);
    // The gradual wake-up: saves the device volumes, sets them to silence and starts the main window's ramp;
    // and puts the saved volumes back. The ringing alarm and the test alarm share them.
    void StartVolumeRamp();
    void RestoreVolumes();
    void ExitProgram();
    // The way out when the system asks Dawnbell to end (a signal, a session that ends without letting it ask):
    // the settings are saved when "Save settings on exit" is checked, every source stops, nothing is asked.
    void ExitOnRequest();
    // Ends the program: every window goes, no timer fires again, the event loop returns.
    void EndProgram();
    NotifyIconData MakeNotifyIconData(QWidget* hWnd, uint32_t uID, uint32_t uFlags, uint32_t uCallbackMessage,
                                      const QIcon& hIcon, const QString& tip) const;

    // The ringing alarm's notification on the desktop, with "Snooze" while the snooze button is offered and
    // "Turn off"; shown again, it takes the place of the one shown. Withdrawn when the alarm is silenced.
    void ShowAlarmNotification(NotificationUrgency urgency);
    void WithdrawAlarmNotification();
    // The sleep delay is held while the alarm is armed and the machine awake, and let go otherwise; the clock
    // tick keeps it so.
    void KeepSleepDelay();
    // The machine is about to sleep: the settings are saved when "Save settings on exit" is checked, then the
    // delay is let go so that sleep goes ahead.
    void PrepareForSleep();
    // The machine is awake: the clock catches up, and an alarm time that passed while it slept is told in a
    // notification and the notice. The alarm stays armed for its time on the next day.
    void WakeFromSleep();

    // Sleep playback.
    void StartSleep();
    void StopSleep();
    static QString SleepText(int minutesLeft);
    // What the status bar shows when nothing is hovered: the sleep status, else the notice.
    QString StatusResetText() const;

    // Notices.
    void GiveNotice(const QString& text);
    void ClearNotice();

    // Shell services and the information dialog.
    int32_t ShellOpen(const QString& path);
    int16_t ShowInfoDialog(const QString& text);
    // The MIDI chooser: MidiSound becomes the chosen file; a cancel keeps it.
    void ChooseMidiFile();
    // The once-only note that gradual wake-up may not reach a MIDI alarm.
    void ShowMidiGradualNote();
    // Where the Help menu's document and web pages are.
    // The about box and the version window have closed themselves: the main window comes back.
    void CloseAboutBox();
    void CloseVersionWindow();

private:
    void LoadSettings();
    // Writes every setting; false with the reason in `error` when the store could not be written.
    bool WriteSettings(QString& error);
    static QString SaveFailedText(const QString& error);
    QStringList startNotices_;  // what start-up has to say, said once it is through
    void LoadAlarmType(const QString& stored);
    QString AlarmTypeText() const;
    void SetAllVolumes(uint32_t volume);
    // The engine's words for an error code.
    QString MciErrorText(uint32_t error);
    void NoteCommandFailure(const QString& text);
    void StartAlarmTone();
    QString TroubleText() const;
    std::optional<AlarmSource> commandsFor_;  // whose commands are being sent
    QString midiReadyFile_;    // the MIDI file open ahead of the alarm under "midi"; empty when none is
    QString midiTriedFile_;    // the file the last opening ahead of the alarm failed for, not tried again
    QString midiTriedAlarm_;   // for this alarm time
    int toneTries_ = 0;
};
