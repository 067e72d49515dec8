// Never silent: the watch of the ringing alarm's sources and Dawnbell's own alarm tone. The watch runs from the
// moment the alarm goes off until it is silenced, on a timer of the main window, so that it goes on while an
// error box of a source waits for the user; an idle Dawnbell runs none of it.

#include "core/Module1.h"

#include <QFileInfo>

#include <utility>

namespace {

// How long the alarm's sources have to start before the tone stands in for them.
constexpr qint64 StartPatienceMs = 2000;
// While no audio output can be opened, the tone is tried again every this many checks (2 s).
constexpr int ToneRetryChecks = 8;

const QString ToneAlias = QStringLiteral("tone");

}  // namespace

QString Module1::AliasOf(AlarmSource source)
{
    switch (source) {
    case AlarmSource::CD:
        return QStringLiteral("cd");
    case AlarmSource::Midi:
        return QStringLiteral("midi");
    case AlarmSource::Sound:
        break;
    }
    return QStringLiteral("Sound");
}

QString Module1::MciErrorText(uint32_t error)
{
    QString text;
    if (!platform.mciGetErrorString(error, text) || text.isEmpty())
        text = QStringLiteral("Error %1.").arg(error);
    return text;
}

void Module1::WatchAlarmSources()
{
    EndAlarmWatch();
    AlarmWatch = {};
    AlarmWatch[size_t(AlarmSource::CD)].chosen = PlaysCD();
    AlarmWatch[size_t(AlarmSource::Midi)].chosen = AppSettings.MidiAlarm == 1;
    AlarmWatch[size_t(AlarmSource::Sound)].chosen = PlaysSoundFile();
    WatchingAlarm = true;
    NoAudioSaid = false;
    toneTries_ = 0;
    AlarmTrouble.clear();
    AlarmUrgency = NotificationUrgency::Normal;
    // The alarm second: the sources' two seconds count from its start.
    const QDateTime now = platform.now();
    AlarmWentOffAt = now.addMSecs(-now.time().msec());
    MainForm->StartTimer(MainWindow::Timer::AlarmCheck);
}

void Module1::NoteSourceStarted(AlarmSource source)
{
    if (!WatchingAlarm)
        return;
    // A play that was accepted plays until its last sample has been heard; one that reports nothing to play (an
    // empty file) has not started.
    QString mode;
    if (platform.mciSendString(QStringLiteral("status ") + AliasOf(source) + QStringLiteral(" mode"), mode) == 0 &&
        mode.startsWith(QLatin1String("playing")))
        AlarmWatch[size_t(source)].started = true;
}

void Module1::NoteSourceFailure(AlarmSource source, const QString& reason)
{
    SourceWatch& watch = AlarmWatch[size_t(source)];
    if (!WatchingAlarm || !watch.chosen || !watch.failure.isEmpty())
        return;
    watch.failure = reason;
    if (!NoAudioSaid)
        GiveNotice(TroubleText());
}

void Module1::NoteCommandFailure(const QString& text)
{
    NoteSourceFailure(*commandsFor_, text);
}

void Module1::CheckAlarmSources()
{
    if (!WatchingAlarm) {
        MainForm->StopTimer(MainWindow::Timer::AlarmCheck);
        return;
    }
    bool playing = false;
    bool failed = false;
    bool started = false;
    for (size_t i = 0; i < AlarmWatch.size(); ++i) {
        SourceWatch& watch = AlarmWatch[i];
        if (!watch.chosen)
            continue;
        const QString alias = AliasOf(AlarmSource(i));
        QString mode;
        const uint32_t error = platform.mciSendString(QStringLiteral("status ") + alias + QStringLiteral(" mode"), mode);
        if (error == 0 && mode.startsWith(QLatin1String("playing"))) {
            watch.started = true;
            playing = true;
        } else if (error == 0 && mode.startsWith(QLatin1String("not ready"))) {
            // The engine gave up on it (no disc, a disc taken out, a file cut short): any question about the media
            // answers why.
            QString length;
            const uint32_t why = platform.mciSendString(QStringLiteral("status ") + alias + QStringLiteral(" length"), length);
            NoteSourceFailure(AlarmSource(i), MciErrorText(why));
        }
        failed = failed || !watch.failure.isEmpty();
        started = started || watch.started;
    }
    const bool late = AlarmWentOffAt.msecsTo(platform.now()) >= StartPatienceMs;
    if (playing || !(failed || (late && !started)))
        return;
    if (toneTries_++ % ToneRetryChecks == 0)
        StartAlarmTone();
}

void Module1::StartAlarmTone()
{
    if (!AlarmToneOpen) {
        SendMci(QStringLiteral("open alarmtone alias ") + ToneAlias);
        AlarmToneOpen = LastMciError == 0;
    }
    QString reply;
    const uint32_t error = platform.mciSendString(QStringLiteral("play ") + ToneAlias, reply);
    if (error == 0) {
        AlarmTonePlaying = true;
        MainForm->StopTimer(MainWindow::Timer::AlarmCheck);
        AlarmTrouble = TroubleText();
        GiveNotice(AlarmTrouble);
        if (AlarmNotification != 0)
            ShowAlarmNotification(AlarmUrgency);
        return;
    }
    if (NoAudioSaid)
        return;
    // Nothing can be heard at all: the window comes forward and asks for attention, and the desktop's notification
    // says it urgently. The tone is tried again while the alarm rings (the sound server may come back).
    NoAudioSaid = true;
    AlarmUrgency = NotificationUrgency::Critical;
    AlarmTrouble = QStringLiteral("Dawnbell cannot sound the alarm: ") + MciErrorText(error);
    MainForm->BringToFront();
    MainForm->Alert();
    GiveNotice(AlarmTrouble);
    ShowAlarmNotification(AlarmUrgency);
}

void Module1::EndAlarmWatch()
{
    WatchingAlarm = false;
    MainForm->StopTimer(MainWindow::Timer::AlarmCheck);
    if (AlarmToneOpen) {
        SendMci(QStringLiteral("stop ") + ToneAlias);
        SendMci(QStringLiteral("close ") + ToneAlias);
    }
    AlarmToneOpen = false;
    AlarmTonePlaying = false;
}

QString Module1::TroubleText() const
{
    QStringList said;
    for (size_t i = 0; i < AlarmWatch.size(); ++i) {
        const SourceWatch& watch = AlarmWatch[i];
        if (watch.failure.isEmpty())
            continue;
        // The file's name, in quotes, when there is one.
        const auto named = [](const QString& what, const QString& path) {
            const QString name = QFileInfo(path).fileName();
            return name.isEmpty() ? what : what + QStringLiteral(" \"") + name + u'"';
        };
        QString what;
        switch (AlarmSource(i)) {
        case AlarmSource::CD:
            what = AppSettings.CDDrive.isEmpty() ? QStringLiteral("The alarm CD")
                                                 : QStringLiteral("The alarm CD in ") + AppSettings.CDDrive;
            break;
        case AlarmSource::Midi:
            what = named(QStringLiteral("The MIDI file"), AppSettings.MidiSound);
            break;
        case AlarmSource::Sound:
            what = named(QStringLiteral("The sound file"), AppSettings.AlarmSound);
            break;
        }
        said << what + QStringLiteral(" could not be played: ") + watch.failure;
    }
    if (said.isEmpty())
        said << QStringLiteral("None of the alarm's sources started to play.");
    if (AlarmTonePlaying)
        said << QStringLiteral("Dawnbell sounds its own alarm tone instead.");
    return said.join(u' ');
}
