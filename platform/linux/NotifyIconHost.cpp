#include "platform/linux/NotifyIconHost.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>

namespace {

// Which fields of the record are valid.
constexpr uint32_t NIF_ICON = 0x2;
constexpr uint32_t NIF_TIP = 0x4;

constexpr qsizetype maxTipLength = 63;

}  // namespace

NotifyIconHost::TrayKind NotifyIconHost::DetectTrayKind()
{
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr || !bus.interface()->isServiceRegistered(watcher))
        return TrayKind::XEmbed;
    const QDBusInterface host(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return host.isValid() && host.property("IsStatusNotifierHostRegistered").toBool() ? TrayKind::StatusNotifier
                                                                                     : TrayKind::XEmbed;
}

// Mouse messages. The main window restores itself on WM_LBUTTONDBLCLK and shows its popup menu, whose bold
// default item is "&Open", on WM_RBUTTONUP. On an XEmbed tray the double click restores and a single click
// does nothing; on a StatusNotifier tray the activation (a left click) restores, as the users of those
// desktops expect, since that protocol has no double click.
NotifyIconHost::NotifyIconHost(TrayKind kind) : kind_(kind)
{
    connect(&icon_, &QSystemTrayIcon::activated, this, &NotifyIconHost::activated);
}

bool NotifyIconHost::add(const NotifyIconData& data)
{
    if (shown_ || !QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    apply(data);
    if (icon_.icon().isNull())
        icon_.setIcon(QApplication::windowIcon());
    if (icon_.icon().isNull())
        return false;  // the tray shows nothing without a picture
    icon_.show();
    shown_ = true;
    return true;
}

bool NotifyIconHost::modify(const NotifyIconData& data)
{
    if (!shown_)
        return false;
    apply(data);
    return true;
}

bool NotifyIconHost::remove()
{
    if (!shown_)
        return false;
    icon_.hide();
    shown_ = false;
    return true;
}

void NotifyIconHost::setCallback(std::function<void(int mouseMessage)> callback)
{
    callback_ = std::move(callback);
}

// The main window renews the tip on every clock tick; the tray hears of it only when something changed, since
// each change travels to the desktop's tray (over D-Bus for StatusNotifierItem trays).
void NotifyIconHost::apply(const NotifyIconData& data)
{
    if ((data.uFlags & NIF_ICON) != 0 && !data.hIcon.isNull() && data.hIcon.cacheKey() != icon_.icon().cacheKey())
        icon_.setIcon(data.hIcon);
    if ((data.uFlags & NIF_TIP) != 0) {
        const QString tip = data.szTip.left(maxTipLength);
        if (tip != icon_.toolTip())
            icon_.setToolTip(tip);
    }
}

void NotifyIconHost::activated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        if (kind_ == TrayKind::StatusNotifier)
            deliver(WM_LBUTTONDBLCLK);
        break;
    case QSystemTrayIcon::DoubleClick:
        deliver(WM_LBUTTONDBLCLK);
        break;
    case QSystemTrayIcon::Context:
        deliver(WM_RBUTTONUP);
        break;
    default:
        break;
    }
}

// The main window's handler may open a modal popup menu or delete this very icon, so it runs once the tray's
// own event handling is over.
void NotifyIconHost::deliver(int mouseMessage)
{
    QMetaObject::invokeMethod(
        this,
        [this, mouseMessage] {
            if (callback_)
                callback_(mouseMessage);
        },
        Qt::QueuedConnection);
}
