#pragma once
// The machine's sleep as systemd-logind announces it on the system bus (PrepareForSleep of
// org.freedesktop.login1.Manager), and the "delay" sleep inhibitor that holds the sleep back until the program
// has done what it must before it. All calls are asynchronous; without logind (or without a system bus) no
// announcement comes and no delay is held.

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

#include <functional>

class SleepWatch final : public QObject {
    Q_OBJECT
public:
    // Listens on `bus` from now on.
    explicit SleepWatch(const QDBusConnection& bus);

    // The three operations of PowerEvents, with its contract.
    void setCallback(std::function<void(bool goingToSleep)> callback);
    void takeDelay();
    void releaseDelay();
    // The inhibitor is in our hands: logind waits for it before the machine sleeps.
    bool delayHeld() const { return lock_.isValid(); }
    // logind has not answered the last take yet.
    bool delayPending() const { return taking_; }

private slots:
    void onPrepareForSleep(bool goingToSleep);

private:
    QDBusConnection bus_;
    std::function<void(bool)> callback_;
    QDBusUnixFileDescriptor lock_;  // logind holds the sleep back until every copy of it is closed
    bool taking_ = false;           // an Inhibit is on its way
    bool wanted_ = false;           // what the last take or release asked for
};
