// The desktop beyond the main window: the ringing alarm's notification with its buttons, and the machine's
// sleep, before which the settings are saved and after which a missed alarm is told.

#include "core/Module1.h"
#include "core/TextRules.h"

#include <utility>

namespace {
const QString AppTitle = QStringLiteral("Dawnbell");
}

void Module1::ShowAlarmNotification(NotificationUrgency urgency)
{
    std::vector<NotificationAction> actions;
    if (MainForm->SnoozeEnabled())
        actions.push_back({NotificationSnooze, QStringLiteral("Snooze")});
    actions.push_back({NotificationTurnOff, QStringLiteral("Turn off")});
    QString text = QStringLiteral("The alarm set for ") + AlarmAt + QStringLiteral(" is going off.");
    if (!AlarmTrouble.isEmpty())
        text += u' ' + AlarmTrouble;
    AlarmNotification = platform.showNotification(QStringLiteral("Wake up!"), text, actions, urgency, AlarmNotification);
}

void Module1::WithdrawAlarmNotification()
{
    if (AlarmNotification != 0)
        platform.withdrawNotification(std::exchange(AlarmNotification, 0));
}

void Module1::KeepSleepDelay()
{
    const bool wanted = AlarmOn == 1 && !MachineAsleep && !ProgramEnded;
    if (wanted == SleepDelayHeld)
        return;
    SleepDelayHeld = wanted;
    if (wanted)
        platform.takeSleepDelay();
    else
        platform.releaseSleepDelay();
}

void Module1::PrepareForSleep()
{
    SleepStartedAt = platform.now();
    MachineAsleep = true;
    // Nothing is lost if the machine never wakes. The delay, held while the alarm is armed, keeps the machine
    // awake until the file is written; a failure is told only once sleep may go ahead.
    QString error;
    const bool saved = !MainForm->SaveOnExit() || WriteSettings(error);
    KeepSleepDelay();
    if (!saved)
        platform.messageBox(SaveFailedText(error), 48, AppTitle);
}

void Module1::WakeFromSleep()
{
    const QDateTime wokeAt = platform.now();
    const QDateTime asleepSince = std::exchange(SleepStartedAt, QDateTime());
    // The clock catches up at once: an alarm due within the minute the tick allows still rings now.
    MainForm->Timer1_Timer();
    const QTime alarm = ParseTimeText(AlarmAt);
    if (AlarmOn == 1 && asleepSince.isValid() && alarm.isValid()) {
        // The first moment after falling asleep at which the clock showed the alarm time.
        QDateTime due(asleepSince.date(), alarm);
        if (due <= asleepSince)
            due = due.addDays(1);
        if (due <= wokeAt) {
            const QString missed = QStringLiteral("Missed alarm at ") + AlarmAt;
            MissedNotification = platform.showNotification(
                missed, QStringLiteral("The computer was asleep. The alarm stays on for the same time tomorrow."),
                {}, NotificationUrgency::Normal, MissedNotification);
            GiveNotice(missed);
        }
    }
    MachineAsleep = false;
    KeepSleepDelay();
}
