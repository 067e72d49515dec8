#pragma once
// The program's one notification-area icon and the mouse messages it sends to the main window.

#include "platform/Platform.h"

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class NotifyIconHost final : public QObject {
    Q_OBJECT

public:
    // The two kinds of tray on a Linux desktop. An XEmbed tray (IceWM, Xfce, older panels) reports clicks and
    // double clicks; a StatusNotifier tray (KDE Plasma, GNOME with the AppIndicator extension) reports the
    // item's activation (its primary action, a left click) and the context request, and no double click.
    enum class TrayKind { XEmbed, StatusNotifier };
    // The kind Qt's tray icon talks to on this desktop, found as Qt finds it: a StatusNotifier watcher on the
    // session bus with a host registered.
    static TrayKind DetectTrayKind();

    explicit NotifyIconHost(TrayKind kind = DetectTrayKind());

    // The three operations of the notification area; each fails as the old shell's did (see NotifyArea).
    bool add(const NotifyIconData& data);
    bool modify(const NotifyIconData& data);
    bool remove();
    void setCallback(std::function<void(int mouseMessage)> callback);

    QSystemTrayIcon& icon() { return icon_; }
    TrayKind kind() const { return kind_; }

private:
    void apply(const NotifyIconData& data);
    void activated(QSystemTrayIcon::ActivationReason reason);
    void deliver(int mouseMessage);

    TrayKind kind_;
    QSystemTrayIcon icon_;
    bool shown_ = false;
    std::function<void(int)> callback_;
};
