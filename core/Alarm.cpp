// Sounding and silencing the alarm, sleep playback and the orderly exit.

#include "core/Module1.h"
#include "core/TextRules.h"

#include <QCoreApplication>

#include <algorithm>

namespace {
const QString AppTitle = QStringLiteral("Dawnbell");
}

void Module1::SoundAlarm()
{
    MainWindow& f = *MainForm;
    AlarmOn = 0;
    MinimizeWarned = 0;
    KeepSleepDelay();  // no longer armed

    f.BringToFront();
    platform.doEvents();
    f.SetCaption(AppTitle);

    if (SleepActive == 1)
        StopSleep();

    if (AppSettings.GradualWakeup == 1)
        StartVolumeRamp();

    // Watched from before they start: an error box of a source waits for the user, the watch does not.
    WatchAlarmSources();
    if (PlaysCD())
        PlayAlarmCD();
    if (AppSettings.MidiAlarm == 1)
        PlayAlarmMidi();
    if (PlaysSoundFile())
        PlayAlarmSound();

    if (HasAlarmMessage == 1)
        f.ShowMessagePanel();
    f.SetStateText(QStringLiteral("Wake up!"));
    platform.shellNotifyIcon(NIM_MODIFY, MakeNotifyIconData(f.OwnerWidget(), 1, 7, 512, f.Icon(),
                                                            QStringLiteral("Dawnbell - Alarm is going off!")));

    const Settings& s = AppSettings;
    if (s.AllowMultipleSnoozes == 0 && s.AllowSnooze == 1 && SnoozeOffered == 0) {
        f.EnableSnooze();
        SnoozeOffered = 1;
    } else if (s.AllowSnooze == 1 && s.AllowMultipleSnoozes == 1) {
        f.EnableSnooze();
    }
    ShowAlarmNotification(AlarmUrgency);

    f.ShowWindow();
    f.FocusAwayFromButtons();
    AlarmSounding = -1;
}

void Module1::SilenceAlarm()
{
    EndAlarmWatch();
    if (AppSettings.MidiAlarm == 1)
        StopMidi();
    StopAlarmSound();
    MainForm->StopTimer(MainWindow::Timer::Volume);
    if (PlaysCD())
        StopCD();
    if (AppSettings.GradualWakeup == 1)
        RestoreVolumes();
    AlarmSounding = 0;
    WithdrawAlarmNotification();
}

bool Module1::PlaysCD() const
{
    const MainWindow::Sources sources = MainForm->AlarmSources();
    return sources.cd || sources.cdAndSound;
}

bool Module1::PlaysSoundFile() const
{
    const MainWindow::Sources sources = MainForm->AlarmSources();
    return sources.alarm || sources.cdAndSound;
}

void Module1::StartVolumeRamp()
{
    for (int n = 0; n < VolumeDeviceCount; ++n) {
        platform.auxGetVolume(n, SavedAuxVolumes[static_cast<size_t>(n)]);
        platform.waveOutGetVolume(n, SavedWaveVolumes[static_cast<size_t>(n)]);
    }
    SetAllVolumes(0);
    // The ramp ticks every two seconds, 30 times a minute; a ramp of less than a minute counts as one.
    const int minutes = std::max<int>(1, AppSettings.GradVolumeMinutes);
    GradualStep =
        static_cast<int32_t>(RoundHalfEven(static_cast<double>(AppSettings.GradualVolumePeak) / (minutes * 30.0)));
    GradualVolume = 0;
    MainForm->StartTimer(MainWindow::Timer::Volume);
}

void Module1::RestoreVolumes()
{
    for (int n = 0; n < VolumeDeviceCount; ++n) {
        platform.waveOutSetVolume(n, SavedWaveVolumes[static_cast<size_t>(n)]);
        platform.auxSetVolume(n, SavedAuxVolumes[static_cast<size_t>(n)]);
    }
}

void Module1::SetAllVolumes(uint32_t volume)
{
    for (int n = 0; n < VolumeDeviceCount; ++n) {
        platform.auxSetVolume(n, volume);
        platform.waveOutSetVolume(n, volume);
    }
}

void Module1::ExitProgram()
{
    if (ProgramEnded)
        return;
    MainWindow& f = *MainForm;
    EndAlarmWatch();
    SendMci(QStringLiteral("stop Sound"));
    SendMci(QStringLiteral("close Sound"));
    if (f.SaveOnExit())
        SaveSettings();

    // A CD that Dawnbell plays may go on in the desktop's CD player; without one there is nothing to ask.
    if (!CdAudioPlayerPath.isEmpty() && GetDeviceMode(QStringLiteral("cd")) == QLatin1String("playing")) {
        const int answer = platform.messageBox(
            QStringLiteral("Would you like to pass control of the currently playing CD to ") +
                platform.platformName() + QStringLiteral("?  Selecting \"No\" will turn off the CD."),
            4 + 32, QStringLiteral("CD is playing"));
        if (answer == 6) {
            // The player needs the drive, so Dawnbell lets go of it before handing over.
            const QString device = platform.cdDevicePath(SleepActive == 1 ? AppSettings.SleepDrive : AppSettings.CDDrive);
            SendMci(QStringLiteral("close cd"));
            platform.runProgram(CdAudioPlayerPath, device.isEmpty() ? QStringList() : QStringList{device});
            EndProgram();
            return;
        }
    }
    SendMci(QStringLiteral("close cd"));
    platform.shellNotifyIcon(NIM_DELETE, MakeNotifyIconData(f.OwnerWidget(), 1, 7, 512, f.Icon(), QString()));
    EndProgram();
}

void Module1::ExitOnRequest()
{
    if (ProgramEnded)
        return;
    MainWindow& f = *MainForm;
    EndAlarmWatch();
    StopMidi();
    SendMci(QStringLiteral("stop Sound"));
    SendMci(QStringLiteral("close Sound"));
    if (f.SaveOnExit()) {
        // Nobody may be there to answer a message box: a failure goes to the log the session keeps.
        QString error;
        if (!WriteSettings(error))
            qWarning("Dawnbell was unable to save your settings: %s", qUtf8Printable(error));
    }
    SendMci(QStringLiteral("stop cd"));
    SendMci(QStringLiteral("close cd"));
    platform.shellNotifyIcon(NIM_DELETE, MakeNotifyIconData(f.OwnerWidget(), 1, 7, 512, f.Icon(), QString()));
    EndProgram();
}

void Module1::EndProgram()
{
    ProgramEnded = true;
    WithdrawAlarmNotification();
    KeepSleepDelay();
    MainForm->StopAllTimers();
    MainForm->CloseAllWindows();
    QCoreApplication::exit(0);
}

NotifyIconData Module1::MakeNotifyIconData(QWidget* hWnd, uint32_t uID, uint32_t uFlags, uint32_t uCallbackMessage,
                                           const QIcon& hIcon, const QString& tip) const
{
    NotifyIconData data;
    data.cbSize = 88;
    data.hWnd = hWnd;
    data.uID = uID;
    data.uFlags = uFlags;
    data.uCallbackMessage = uCallbackMessage;
    data.hIcon = hIcon;
    data.szTip = tip.left(63);  // the record's 64-byte field keeps room for the closing NUL
    return data;
}

// ---------------------------------------------------------------------------------------------------------
// Sleep playback

QString Module1::SleepText(int minutesLeft)
{
    if (minutesLeft >= 2)
        return QStringLiteral("Sleeping: ") + QString::number(minutesLeft) + QStringLiteral(" minutes left");
    return QStringLiteral("Sleeping: 1 minute left");
}

void Module1::StartSleep()
{
    MainWindow& f = *MainForm;
    SleepMinutesLeft = AppSettings.SleepTime;
    f.StartTimer(MainWindow::Timer::Sleep);
    const double trackCount = OpenCdForPlaying(AppSettings.SleepDrive);
    PlayCdFromTrack(trackCount, AppSettings.SleepStartTrack);
    CDOpen = -1;
    SleepStatusText = SleepText(SleepMinutesLeft);
    SleepActive = 1;
    f.SetStatusText(SleepStatusText);
}

void Module1::StopSleep()
{
    MainWindow& f = *MainForm;
    f.StopTimer(MainWindow::Timer::Sleep);
    SendMci(QStringLiteral("stop cd"));
    SendMci(QStringLiteral("close cd"));
    CDOpen = 0;
    SleepActive = 0;
    f.SetStatusText(StatusResetText());
    platform.doEvents();
}

QString Module1::StatusResetText() const { return SleepActive == 1 ? SleepStatusText : Notice; }

// ---------------------------------------------------------------------------------------------------------
// Notices

void Module1::GiveNotice(const QString& text)
{
    Notice = text;
    MainForm->SetStatusText(StatusResetText());
}

void Module1::ClearNotice()
{
    if (Notice.isEmpty())
        return;
    Notice.clear();
    MainForm->SetStatusText(StatusResetText());
}
