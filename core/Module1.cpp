#include "core/Module1.h"

#include "core/TextRules.h"
#include "platform/units.h"

#include <QCursor>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

const QString AppTitle = QStringLiteral("Dawnbell");
const QString SectionSettings = QStringLiteral("Settings");
const QString SectionAlarm = QStringLiteral("Alarm");
const QString SectionPresets = QStringLiteral("Presets");


// A window coordinate as the store holds it: the decimal text of a single-precision number ("1095").
QString SingleText(double value) { return QString::number(static_cast<float>(value), 'g', 7); }

}  // namespace

Module1::Module1(Platform& platform_) : platform(platform_) {}

Module1::~Module1() = default;

// ---------------------------------------------------------------------------------------------------------
// Start-up

void Module1::Main()
{
    MainWindow& f = *MainForm;  // loaded hidden by the composition root; its Form_Load has run
    f.SetBusy(true);
    platform.doEvents();

    const QString exe = platform.moduleFileName();
    AppFolder = exe.left(exe.lastIndexOf(QLatin1Char('/')) + 1);
    CustomColors.fill(0);
    IsWindowsNT = platform.platformId() == VER_PLATFORM_WIN32_NT ? 1 : 0;
    CDOpen = 0;
    MessageHidden = 0;
    SystemFolder = platform.systemFolder();
    WindowsFolder = platform.windowsFolder();

    LoadSettings();

    // The first CD-ROM drive from "A:" on is the alarm drive.
    const QString detected = CdDriveNames().value(0);
    AppSettings.CDDrive = detected;
    if (detected.isEmpty() && AppSettings.Dialog1 == 1) {
        AppSettings.Dialog1 = ShowInfoDialog(QStringLiteral(
            "Dawnbell was unable to detect any CD-ROM drives.  Some features will be unavailable."));
    }
    // The remembered drives win while they are still CD-ROM drives.
    const QString savedCD = platform.getSetting(SectionSettings, QStringLiteral("CDDrive"), QString());
    if (platform.getDriveType(savedCD) == DRIVE_CDROM)
        AppSettings.CDDrive = savedCD;
    const QString savedSleep = platform.getSetting(SectionSettings, QStringLiteral("SleepDrive"), QString());
    AppSettings.SleepDrive = platform.getDriveType(savedSleep) == DRIVE_CDROM ? savedSleep : QString();

    SleepActive = 0;
    AlarmAt = f.AlarmTimeText();
    if (AppSettings.CDStartTrack < 1)
        AppSettings.CDStartTrack = 1;
    if (ProbeCdTrackCount(AppSettings.CDDrive) < AppSettings.CDStartTrack)
        AppSettings.CDStartTrack = 1;

    f.SetClockText(TimeText(platform.now().time()));
    platform.doEvents();

    CdAudioPlayerPath = platform.cdPlayerPath();
    if (CdAudioPlayerPath.isEmpty() || !platform.canOpenForReading(CdAudioPlayerPath))
        f.SetTurnOffCdAvailable(false);

    f.Timer1_Timer();
    OpenAlarmSound();

    f.SetBusy(false);
    f.ShowWindow();
    if (AppSettings.StartOn == 1)
        f.cmdOnOff_Click();
    if (AppSettings.StartMinimized != 1)
        f.FocusMessage();

    // What went wrong while the settings were read is said once start-up is through, so that arming the alarm
    // at start-up does not wipe it.
    const QString storeNotice = platform.takeLoadNotice();
    if (!storeNotice.isEmpty())
        startNotices_.prepend(storeNotice);
    if (!startNotices_.isEmpty())
        GiveNotice(startNotices_.join(QLatin1Char(' ')));
    startNotices_.clear();
}

void Module1::LoadSettings()
{
    MainWindow& f = *MainForm;
    Settings& s = AppSettings;
    const auto text = [this](const QString& section, const char* key, const QString& fallback) {
        return platform.getSetting(section, QLatin1String(key), fallback);
    };
    // A stored number that its field cannot hold (a hand-edited "abc" or "99999") reads as the default.
    const auto whole = [&](const QString& section, const char* key, auto fallback) {
        using T = decltype(fallback);
        const std::optional<int64_t> value =
            ParseWholeNumber(text(section, key, QString::number(fallback)), std::numeric_limits<T>::min(),
                             std::numeric_limits<T>::max());
        return value ? static_cast<T>(*value) : fallback;
    };
    // The last character of a stored flag decides it.
    const auto lastCharacter = [&](const QString& section, const char* key, const char* fallback) {
        return text(section, key, QLatin1String(fallback)).right(1);
    };

    double top = ParseDecimal(text(SectionSettings, "Top", QStringLiteral("1095"))).value_or(1095.0);
    double left = ParseDecimal(text(SectionSettings, "Left", QStringLiteral("975"))).value_or(975.0);
    top = static_cast<float>(top);
    left = static_cast<float>(left);
    if (top < 0 || top > 7500)
        top = 1095;
    if (left < 0 || left > 10000)
        left = 975;
    f.MoveTwips(left, top);

    s.Dialog1 = whole(SectionSettings, "Dialog1", int16_t{1});
    s.Dialog3 = whole(SectionSettings, "Dialog3", int16_t{1});
    s.Dialog4 = whole(SectionSettings, "Dialog4", int16_t{1});
    s.Dialog5 = whole(SectionSettings, "Dialog5", int16_t{1});

    // The colour is the leading number of its text; a text without one, or beyond 32 bits, is no colour.
    const std::optional<double> color = LeadingNumber(text(SectionSettings, "BGColor", QStringLiteral("-1")));
    s.BGColor = color && *color >= std::numeric_limits<int32_t>::min() && *color <= std::numeric_limits<int32_t>::max()
                    ? static_cast<int32_t>(RoundHalfEven(*color))
                    : -1;
    if (s.BGColor == -1)
        s.BGColor = DefaultBackgroundColor();
    if (s.BGColor < 0)
        s.BGColor = 0xE0E0E0;
    ApplyBackgroundColor();

    s.SleepTime = whole(SectionSettings, "SleepTime", int16_t{15});
    s.SleepEnabled = whole(SectionSettings, "SleepEnabled", int16_t{0});
    s.SleepStartTrack = whole(SectionSettings, "SleepStartTrack", int16_t{1});
    // A hand-written alarm time is read as the time it means and shown in the program's own form, so that the
    // clock can match it; a text that is no time would never ring, so the default stands in and the user is
    // told.
    const QString alarmTime = text(SectionAlarm, "AlarmTime", QStringLiteral("7:45:00 AM"));
    const QTime meant = ReadAlarmTime(alarmTime);
    f.SetAlarmTimeText(meant.isValid() ? TimeText(meant) : QStringLiteral("7:45:00 AM"));
    if (!meant.isValid()) {
        startNotices_ << (QStringLiteral("Dawnbell could not read the alarm time \"") + alarmTime +
                   QStringLiteral("\" in its settings, so the alarm is set for 7:45:00 AM."));
    }
    s.AllowSnooze = whole(SectionAlarm, "AllowSnooze", int16_t{0});
    s.AllowMultipleSnoozes = whole(SectionAlarm, "AllowMultipleSnoozes", int16_t{0});
    s.GradVolumeMinutes = whole(SectionAlarm, "GradVolumeMinutes", int16_t{4});
    s.GradualWakeup = whole(SectionAlarm, "GradualWakeup", int16_t{0});
    s.GradualVolumePeak = whole(SectionAlarm, "GradualVolumePeak", int32_t{40000});
    s.TimerTime = whole(SectionAlarm, "TimerTime", int16_t{5});
    s.SnoozeTime = whole(SectionAlarm, "SnoozeTime", int16_t{8});
    s.ShowTimeRemaining = whole(SectionSettings, "ShowTimeRemaining", int16_t{0});
    LoadAlarmType(lastCharacter(SectionAlarm, "AlarmType", "2"));
    s.CDStartTrack = whole(SectionAlarm, "CDStartTrack", int16_t{1});
    s.AlarmSound = text(SectionAlarm, "AlarmSound", QString());
    s.MidiSound = text(SectionAlarm, "MidiSound", QString());
    s.LoopSound = lastCharacter(SectionAlarm, "LoopSound", "0") == QLatin1String("1") ? -1 : 0;
    f.SetTurnOffCdWithAlarm(lastCharacter(SectionSettings, "CDOffWithAlarm", "1") != QLatin1String("0"));
    s.ShowInNotify = whole(SectionSettings, "ShowInNotify", int16_t{0});
    f.SetSaveOnExit(lastCharacter(SectionSettings, "SaveOnExit", "1") != QLatin1String("0"));
    s.StartOn = whole(SectionSettings, "StartOn", int16_t{0});
    s.StartMinimized = whole(SectionSettings, "StartMinimized", int16_t{0});
    if (s.StartMinimized == 1)
        f.Minimize();
    s.Preset1 = text(SectionPresets, "Preset1", QString());
    s.Preset1Desc = text(SectionPresets, "Preset1Desc", QString());
    s.Preset2 = text(SectionPresets, "Preset2", QString());
    s.Preset2Desc = text(SectionPresets, "Preset2Desc", QString());
    s.Preset3 = text(SectionPresets, "Preset3", QString());
    s.Preset3Desc = text(SectionPresets, "Preset3Desc", QString());
}

// The alarm type's last digit sets the three source menus and MidiAlarm; any other character leaves them.
void Module1::LoadAlarmType(const QString& digit)
{
    struct Row {
        char16_t digit;
        bool cdAndSound, alarm, cd;
        int16_t midi;
    };
    static constexpr Row Table[] = {
        {u'0', true, false, false, 0}, {u'1', false, true, false, 0}, {u'2', false, false, true, 0},
        {u'3', false, false, false, 1}, {u'4', false, true, false, 1},
    };
    for (const Row& row : Table) {
        if (digit == QChar(row.digit)) {
            MainForm->SetAlarmSources({row.cdAndSound, row.alarm, row.cd});
            AppSettings.MidiAlarm = row.midi;
            return;
        }
    }
}

QString Module1::AlarmTypeText() const
{
    const MainWindow::Sources sources = MainForm->AlarmSources();
    if (sources.cdAndSound)
        return QStringLiteral("0");
    if (sources.alarm)
        return AppSettings.MidiAlarm == 1 ? QStringLiteral("4") : QStringLiteral("1");
    if (sources.cd)
        return QStringLiteral("2");
    return QStringLiteral("3");
}

// ---------------------------------------------------------------------------------------------------------
// Saving

void Module1::SaveSettings()
{
    MainWindow& f = *MainForm;
    f.SetBusy(true);
    QString error;
    const bool saved = WriteSettings(error);
    f.SetBusy(false);
    if (!saved)
        platform.messageBox(SaveFailedText(error), 48, AppTitle);
}

QString Module1::SaveFailedText(const QString& error)
{
    return QStringLiteral("Dawnbell was unable to save your settings.  ") + error +
           QStringLiteral("  Your previous settings have been kept.");
}

bool Module1::WriteSettings(QString& error)
{
    MainWindow& f = *MainForm;
    const Settings& s = AppSettings;
    const auto put = [this](const QString& section, const char* key, const QString& value) {
        platform.saveSetting(section, QLatin1String(key), value);
    };
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    const auto number = [](auto value) { return QString::number(value); };

    put(SectionSettings, "Top", SingleText(f.TopTwips()));
    put(SectionSettings, "Left", SingleText(f.LeftTwips()));
    put(SectionSettings, "Dialog1", number(s.Dialog1));
    put(SectionSettings, "Dialog3", number(s.Dialog3));
    put(SectionSettings, "Dialog4", number(s.Dialog4));
    put(SectionSettings, "Dialog5", number(s.Dialog5));
    put(SectionSettings, "SleepTime", number(s.SleepTime));
    put(SectionSettings, "SleepEnabled", number(s.SleepEnabled));
    put(SectionSettings, "BGColor", number(s.BGColor));
    put(SectionAlarm, "AlarmTime", f.AlarmTimeText());
    put(SectionAlarm, "AllowSnooze", number(s.AllowSnooze));
    put(SectionAlarm, "AllowMultipleSnoozes", number(s.AllowMultipleSnoozes));
    put(SectionAlarm, "TimerTime", number(s.TimerTime));
    put(SectionAlarm, "SnoozeTime", number(s.SnoozeTime));
    put(SectionSettings, "ShowTimeRemaining", number(s.ShowTimeRemaining));
    put(SectionAlarm, "GradVolumeMinutes", number(s.GradVolumeMinutes));
    put(SectionAlarm, "GradualWakeup", number(s.GradualWakeup));
    put(SectionAlarm, "GradualVolumePeak", number(s.GradualVolumePeak));
    put(SectionSettings, "SleepDrive", s.SleepDrive);
    put(SectionSettings, "SleepStartTrack", number(s.SleepStartTrack));
    put(SectionAlarm, "AlarmType", AlarmTypeText());
    put(SectionAlarm, "CDStartTrack", number(s.CDStartTrack));
    put(SectionAlarm, "AlarmSound", s.AlarmSound);
    put(SectionAlarm, "MidiSound", s.MidiSound);
    put(SectionAlarm, "LoopSound", flag(s.LoopSound != 0));
    put(SectionSettings, "CDOffWithAlarm", flag(f.TurnOffCdWithAlarm()));
    put(SectionSettings, "ShowInNotify", number(s.ShowInNotify));
    put(SectionSettings, "SaveOnExit", flag(f.SaveOnExit()));
    put(SectionSettings, "StartOn", number(s.StartOn));
    put(SectionSettings, "StartMinimized", number(s.StartMinimized));
    put(SectionSettings, "CDDrive", s.CDDrive);
    put(SectionPresets, "Preset1", s.Preset1);
    put(SectionPresets, "Preset1Desc", s.Preset1Desc);
    put(SectionPresets, "Preset2", s.Preset2);
    put(SectionPresets, "Preset2Desc", s.Preset2Desc);
    put(SectionPresets, "Preset3", s.Preset3);
    put(SectionPresets, "Preset3Desc", s.Preset3Desc);

    return platform.commitSettings(error);
}

int32_t Module1::DefaultBackgroundColor()
{
    QWidget* window = MainForm->OwnerWidget();
    const double colours =
        std::pow(2.0, platform.getDeviceCaps(window, BITSPIXEL)) * platform.getDeviceCaps(window, PLANES);
    return colours < 10000 ? 0xFFFFFF : 0xE0E0E0;
}

QStringList Module1::CdDriveNames()
{
    QStringList drives;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        const QString root = QString(QChar(letter)) + QLatin1Char(':');
        if (platform.getDriveType(root) == DRIVE_CDROM)
            drives << root;
    }
    return drives;
}

void Module1::ApplyBackgroundColor()
{
    const QColor background = ColorFromBGR(static_cast<uint32_t>(AppSettings.BGColor) & 0xFFFFFFu);
    const QColor text = AppSettings.BGColor >= 0x444444 ? QColor(Qt::black) : QColor(Qt::white);
    MainForm->PaintBackground(background, text);
}

// ---------------------------------------------------------------------------------------------------------
// MCI

namespace {

// A reply as its 256-character buffer holds it: the text before the first NUL, at most 255 characters.
QString ReplyText(const QString& reply)
{
    const qsizetype nul = reply.indexOf(QChar(0));
    return reply.left(std::min<qsizetype>(nul < 0 ? reply.size() : nul, 255));
}

}  // namespace

QString Module1::SendMci(const QString& command)
{
    QString reply;
    LastMciError = platform.mciSendString(command, reply);
    if (LastMciError != 0 && commandsFor_)
        NoteCommandFailure(MciErrorText(LastMciError));
    return ReplyText(reply);
}

QString Module1::SendMciChecked(const QString& command)
{
    QString reply;
    const uint32_t error = platform.mciSendString(command, reply);
    LastMciError = error;
    if (error == 0)
        return ReplyText(reply);
    QString text;
    platform.mciGetErrorString(error, text);
    if (commandsFor_)
        NoteCommandFailure(MciErrorText(error));
    platform.messageBox(
        QStringLiteral("Dawnbell has encountered an error with the MCI multimedia device.  Error: ") + text, 0,
        AppTitle);
    return text;
}

QString Module1::GetDeviceMode(const QString& alias)
{
    const QString reply = SendMci(QStringLiteral("status ") + alias + QStringLiteral(" mode"));
    return reply.left(7) == QLatin1String("playing") ? QStringLiteral("playing") : QStringLiteral("stopped");
}

int Module1::ProbeCdTrackCount(const QString& drive)
{
    SendMci(QStringLiteral("open ") + drive + QStringLiteral(" type cdaudio alias cd"));
    SendMci(QStringLiteral("set cd time format tmsf"));
    const int64_t count = RoundHalfEven(NumericValue(SendMci(QStringLiteral("status cd number of tracks"))));
    SendMci(QStringLiteral("close cd"));
    return count < 1 ? 0 : static_cast<int>(std::min<int64_t>(count, 99));
}

double Module1::OpenCdForPlaying(const QString& drive)
{
    SendMciChecked(QStringLiteral("open ") + drive + QStringLiteral(" shareable type cdaudio alias cd"));
    SendMciChecked(QStringLiteral("set cd time format tmsf"));
    return NumericValue(SendMciChecked(QStringLiteral("status cd number of tracks")));
}

void Module1::PlayCdFromTrack(double trackCount, int16_t startTrack)
{
    const int16_t track = RoundHalfEven(trackCount) >= startTrack ? startTrack : int16_t{1};
    SendMci(QStringLiteral("set cd seek exactly on"));
    SendMciChecked(QStringLiteral("seek cd to ") + QString::number(track) + QStringLiteral(" wait"));
    SendMciChecked(QStringLiteral("play cd"));
}

void Module1::PlayPlaylistTrack(int16_t track, double trackCount)
{
    if (track == trackCount)
        SendMci(QStringLiteral("play cd from ") + QString::number(track));
    else
        SendMci(QStringLiteral("play cd from ") + QString::number(track) + QStringLiteral(" to ") +
                QString::number(track + 1));
}

void Module1::PlayAlarmCD()
{
    const SourceCommands commands(*this, AlarmSource::CD);
    const double trackCount = OpenCdForPlaying(AppSettings.CDDrive);
    if (UsePlaylist == 1 && PlaylistCount > 0 && !PlaylistTracks.empty()) {
        PlayPlaylistTrack(PlaylistTracks[0], trackCount);
        MainForm->StartTimer(MainWindow::Timer::PlayList);
        PlaylistIndex = 0;
    } else {
        PlayCdFromTrack(trackCount, AppSettings.CDStartTrack);
    }
    if (LastMciError == 0)
        NoteSourceStarted(AlarmSource::CD);
    CDOpen = -1;
}

void Module1::StopCD()
{
    MainForm->StopTimer(MainWindow::Timer::PlayList);
    SendMci(QStringLiteral("stop cd"));
    SendMci(QStringLiteral("close cd"));
    CDOpen = 0;
}

void Module1::PlayAlarmSound()
{
    // Every file the media engine can open plays through it, so that Snooze and Off stop it and the gradual
    // ramp reaches it. The alias may be open already from start-up; the play then finds it open. A play that
    // fails finds no open alias: the engine refused the file (or has no sound output at all).
    OpenAlarmSound();
    const uint32_t opened = LastMciError;
    QString reply;
    const uint32_t played = platform.mciSendString(QStringLiteral("play Sound"), reply);
    if (played == 0) {
        NoteSourceStarted(AlarmSource::Sound);
        MainForm->StartTimer(MainWindow::Timer::Sound);
        return;
    }
    // The engine is the judge of what sounds: a file it refused counts as failed though the desktop's player may
    // take it, as Dawnbell cannot hear that player. Why: the open's error, unless the alias was open already
    // (from start-up) and the play itself failed.
    if (WatchingAlarm) {
        const bool aliasOpen = opened != 0 && platform.mciSendString(QStringLiteral("status Sound mode"), reply) == 0;
        NoteSourceFailure(AlarmSource::Sound, MciErrorText(opened != 0 && !aliasOpen ? opened : played));
    }
    // What the engine cannot play goes to the program the desktop associates with it.
    const int32_t result = ShellOpen(AppSettings.AlarmSound);
    for (int i = 0; i < 10; ++i)
        platform.beep();
    if (result == 0 || result == 2 || result == 3 || result == 31) {
        platform.messageBox(QStringLiteral("There was an error launching the MPEG3 audio player.  Make sure it "
                                           "is properly associated with .MP3 files."),
                            0, AppTitle);
    }
}

void Module1::OpenAlarmSound()
{
    SendMci(QStringLiteral("open ") + QuoteMciName(AppSettings.AlarmSound) + QStringLiteral(" alias Sound"));
}

void Module1::StopAlarmSound()
{
    SendMci(QStringLiteral("stop Sound"));
    SendMci(QStringLiteral("close Sound"));
    MainForm->StopTimer(MainWindow::Timer::Sound);
}

void Module1::PlayAlarmMidi()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    {
        const SourceCommands commands(*this, AlarmSource::Midi);
        // Opened ahead of the alarm, the sequence is the ringing alarm's from now on.
        const QString ready = std::exchange(midiReadyFile_, QString());
        if (ready != AppSettings.MidiSound) {
            if (!ready.isEmpty())
                SendMci(QStringLiteral("close midi"));
            SendMciChecked(QStringLiteral("open ") + QuoteMciName(AppSettings.MidiSound) +
                           QStringLiteral(" alias midi "));
        }
        SendMciChecked(QStringLiteral("play midi"));
        if (LastMciError == 0)
            NoteSourceStarted(AlarmSource::Midi);
    }
    QGuiApplication::restoreOverrideCursor();
}

void Module1::StopMidi()
{
    SendMci(QStringLiteral("stop midi"));
    SendMci(QStringLiteral("close midi"));
    midiReadyFile_.clear();
}

void Module1::KeepMidiReady()
{
    if (midiReadyFile_.isEmpty() && (AlarmOn != 1 || AppSettings.MidiAlarm != 1))
        return;
    // Armed with a MIDI file, the alarm's time at most a minute ahead: opened from then on, and kept open from the
    // alarm's own second for as long as the clock tick may still ring it (a minute, after a busy moment).
    const QTime alarm = ParseTimeText(AlarmAt);
    int ahead = -1;
    if (alarm.isValid()) {
        ahead = platform.now().time().secsTo(alarm);
        if (ahead < 0)
            ahead += 24 * 3600;
    }
    const bool armed = AlarmOn == 1 && AlarmSounding == 0 && AppSettings.MidiAlarm == 1 &&
                       !AppSettings.MidiSound.isEmpty() && ahead >= 0 && (ahead <= 60 || ahead >= 24 * 3600 - 60);
    if (!midiReadyFile_.isEmpty()) {
        if (armed && midiReadyFile_ == AppSettings.MidiSound)
            return;
        SendMci(QStringLiteral("close midi"));
        midiReadyFile_.clear();
    }
    const QString& file = AppSettings.MidiSound;
    if (!armed || ahead == 0 || ahead > 60 || (file == midiTriedFile_ && AlarmAt == midiTriedAlarm_))
        return;
    // A file that cannot be opened now is opened again when the alarm goes off, which says why.
    SendMci(QStringLiteral("open ") + QuoteMciName(file) + QStringLiteral(" alias midi "));
    if (LastMciError == 0) {
        midiReadyFile_ = file;
    } else {
        midiTriedFile_ = file;
        midiTriedAlarm_ = AlarmAt;
    }
}

// ---------------------------------------------------------------------------------------------------------
// Shell services and the information dialog

int32_t Module1::ShellOpen(const QString& path)
{
    return platform.shellOpen(path, platform.homeFolder());
}

int16_t Module1::ShowInfoDialog(const QString& text)
{
    platform.beep();
    return MainForm->ShowInformation(text) ? 0 : 1;
}

void Module1::ChooseMidiFile()
{
    const QString chosen = platform.getOpenFileName(
        MainForm->OwnerWidget(), QStringLiteral("Choose a MIDI sequence..."),
        {QStringLiteral("MIDI Sequences (*.mid, *.rmi)"), QStringLiteral("*.mid;*.rmi"),
         QStringLiteral("Karaoke Files (*.kar)"), QStringLiteral("*.kar")},
        1, QString());
    if (!chosen.isEmpty())
        AppSettings.MidiSound = chosen.trimmed();
    AppSettings.MidiSound.remove(QChar(0));
}

void Module1::ShowMidiGradualNote()
{
    const Settings& s = AppSettings;
    if (s.MidiAlarm == 1 && s.GradualWakeup == 1 && s.Dialog4 == 1) {
        AppSettings.Dialog4 = ShowInfoDialog(QStringLiteral(
            "On some systems, gradual wake-up affects only sound files and CD's.  Playback of your MIDI file may be "
            "at a constant volume."));
    }
}

void Module1::CloseAboutBox() { MainForm->ShowWindow(); }

void Module1::CloseVersionWindow() { MainForm->ShowWindow(); }
