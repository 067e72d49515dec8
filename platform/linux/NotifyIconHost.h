#pragma once
// The program's one notification-area icon and the mouse messages it sends to the main window.

#include "platform/Platform.h"

#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>

class NotifyIconHost final : public QObject {
    Q_OBJECT

public:
    NotifyIconHost();

    // The three operations of the notification area; each fails as the old shell's did (see NotifyArea).
    bool add(const NotifyIconData& data);
    bool modify(const NotifyIconData& data);
    bool remove();
    void setCallback(std::function<void(int mouseMessage)> callback);

    QSystemTrayIcon& icon() { return icon_; }

private:
    void apply(const NotifyIconData& data);
    void activated(QSystemTrayIcon::ActivationReason reason);
    void deliver(int mouseMessage);

    QSystemTrayIcon icon_;
    QTimer singleClick_;
    bool shown_ = false;
    std::function<void(int)> callback_;
};
