#include "platform/linux/DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = Service;

}  // namespace

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus) : bus_(bus) {}

void DesktopNotifier::setCallback(std::function<void(int, const QString&)> callback)
{
    callback_ = std::move(callback);
}

int DesktopNotifier::show(const QString& title, const QString& text, const std::vector<NotificationAction>& actions,
                          NotificationUrgency urgency, int replaces)
{
    const int id = replaces > 0 ? replaces : ++lastId_;
    Entry& entry = entries_[id];
    entry.withdrawn = false;
    Content content{title, text, actions, urgency};
    if (entry.answerDue)
        entry.waiting = std::move(content);  // it replaces the one on its way as soon as that has a number
    else
        send(id, content);
    return id;
}

void DesktopNotifier::send(int id, const Content& content)
{
    if (!bus_.isConnected())
        return;
    // The server's signals are heard from the first notification on: a program that never notifies never asks.
    if (!listening_) {
        listening_ = true;
        bus_.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                     SLOT(onActionInvoked(uint, QString)));
        bus_.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                     SLOT(onClosed(uint, uint)));
    }
    Entry& entry = entries_[id];
    QStringList actions;
    for (const NotificationAction& action : content.actions)
        actions << action.key << action.label;
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(static_cast<uchar>(content.urgency)));
    const QString desktopEntry = QGuiApplication::desktopFileName();
    if (!desktopEntry.isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), desktopEntry);
    QDBusMessage notify = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    // The last argument, 0, keeps the notification until it is withdrawn or closed by the user.
    notify << QStringLiteral("Dawnbell") << entry.serverId << desktopEntry << content.title << content.text
           << actions << hints << 0;
    entry.answerDue = true;
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(notify), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, id](QDBusPendingCallWatcher* w) { answered(id, w); });
}

void DesktopNotifier::answered(int id, QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    const auto found = entries_.find(id);
    if (found == entries_.end())
        return;
    Entry& entry = found->second;
    entry.answerDue = false;
    const QDBusPendingReply<uint> reply = *call;
    // A server that fails keeps nothing of ours; the next show starts afresh.
    entry.serverId = reply.isError() ? 0 : reply.value();
    if (entry.withdrawn) {
        close(entry.serverId);
        entries_.erase(found);
    } else if (entry.waiting) {
        const Content content = std::move(*entry.waiting);
        entry.waiting.reset();
        send(id, content);
    }
}

void DesktopNotifier::withdraw(int id)
{
    const auto found = entries_.find(id);
    if (found == entries_.end())
        return;
    Entry& entry = found->second;
    if (entry.answerDue) {
        entry.withdrawn = true;
        entry.waiting.reset();
        return;
    }
    close(entry.serverId);
    entries_.erase(found);
}

void DesktopNotifier::close(uint serverId)
{
    if (serverId == 0)
        return;
    QDBusMessage message =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("CloseNotification"));
    message << serverId;
    bus_.send(message);  // its answer is of no interest
}

void DesktopNotifier::onActionInvoked(uint serverId, const QString& actionKey)
{
    if (serverId == 0)
        return;
    for (const auto& [id, entry] : entries_) {
        if (entry.serverId == serverId) {
            const int ours = id;  // the callback may withdraw it
            if (callback_)
                callback_(ours, actionKey);
            return;
        }
    }
}

// The user closed it, or it was closed for us: a later show with its number starts a new one.
void DesktopNotifier::onClosed(uint serverId, uint)
{
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry) {
        if (entry->second.serverId == serverId && serverId != 0 && !entry->second.answerDue) {
            entries_.erase(entry);
            return;
        }
    }
}
