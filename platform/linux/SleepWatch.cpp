#include "platform/linux/SleepWatch.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString Service = QStringLiteral("org.freedesktop.login1");
const QString Path = QStringLiteral("/org/freedesktop/login1");
const QString Interface = QStringLiteral("org.freedesktop.login1.Manager");

}  // namespace

SleepWatch::SleepWatch(const QDBusConnection& bus) : bus_(bus)
{
    if (bus_.isConnected()) {
        bus_.connect(Service, Path, Interface, QStringLiteral("PrepareForSleep"), this,
                     SLOT(onPrepareForSleep(bool)));
    }
}

void SleepWatch::setCallback(std::function<void(bool)> callback) { callback_ = std::move(callback); }

void SleepWatch::onPrepareForSleep(bool goingToSleep)
{
    if (callback_)
        callback_(goingToSleep);
}

void SleepWatch::takeDelay()
{
    wanted_ = true;
    if (lock_.isValid() || taking_ || !bus_.isConnected())
        return;
    QDBusMessage inhibit = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("sleep") << QStringLiteral("Dawnbell")
            << QStringLiteral("Saves the settings of the armed alarm before the machine sleeps")
            << QStringLiteral("delay");
    taking_ = true;
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(inhibit), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();  // with the answer's copy of the descriptor
        taking_ = false;
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        // Without logind, or when it refuses, the machine sleeps as it would have: nothing to tell.
        if (wanted_ && !reply.isError())
            lock_ = reply.value();
    });
}

void SleepWatch::releaseDelay()
{
    wanted_ = false;
    lock_ = QDBusUnixFileDescriptor();
}
