#pragma once
// The desktop's notification server (org.freedesktop.Notifications on the session bus), through QtDBus. Every
// call is asynchronous: a server that is slow, missing or gone never holds the interface thread up, and a
// notification withdrawn before the server has answered is closed once its number arrives.

#include "platform/Platform.h"

#include <QDBusConnection>
#include <QObject>

#include <functional>
#include <map>
#include <optional>

class QDBusPendingCallWatcher;

class DesktopNotifier final : public QObject {
    Q_OBJECT
public:
    // Talks to the server on `bus`; on a bus that is not connected nothing is shown.
    explicit DesktopNotifier(const QDBusConnection& bus);

    // The three operations of DesktopNotifications, with its contract.
    int show(const QString& title, const QString& text, const std::vector<NotificationAction>& actions,
             NotificationUrgency urgency, int replaces);
    void withdraw(int id);
    void setCallback(std::function<void(int id, const QString& actionKey)> callback);

private slots:
    void onActionInvoked(uint serverId, const QString& actionKey);
    void onClosed(uint serverId, uint reason);

private:
    struct Content {
        QString title, text;
        std::vector<NotificationAction> actions;
        NotificationUrgency urgency = NotificationUrgency::Normal;
    };
    // One notification of the program, by its own number.
    struct Entry {
        uint serverId = 0;               // the server's number once it has answered; 0 before, or after a failure
        bool answerDue = false;          // a Notify is on its way
        std::optional<Content> waiting;  // shown again while the answer was due: sent when it comes
        bool withdrawn = false;          // withdrawn while the answer was due
    };
    void send(int id, const Content& content);
    void answered(int id, QDBusPendingCallWatcher* call);
    void close(uint serverId);

    QDBusConnection bus_;
    bool listening_ = false;
    int lastId_ = 0;
    std::map<int, Entry> entries_;
    std::function<void(int, const QString&)> callback_;
};
