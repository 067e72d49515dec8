#include "platform/linux/NotifyIconHost.h"

#include <QApplication>
#include <QStyleHints>

namespace {

// Which fields of the record are valid.
constexpr uint32_t NIF_ICON = 0x2;
constexpr uint32_t NIF_TIP = 0x4;

constexpr qsizetype maxTipLength = 63;

}  // namespace

// Mouse messages. The main window restores itself on a double click and shows its popup menu on the context
// click. A single left click also shows the popup, once the double-click time has passed without a second
// click: trays that follow the StatusNotifierItem protocol (KDE, GNOME's AppIndicator extension) report only
// single clicks and no double click at all, and there the popup, whose bold default item is "&Open", is the
// way back to the window. On trays that do report double clicks, the pending single click is dropped when the
// second click arrives, so a double click restores the window without a popup flashing up first.
NotifyIconHost::NotifyIconHost()
{
    singleClick_.setSingleShot(true);
    singleClick_.setInterval(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    connect(&singleClick_, &QTimer::timeout, this, [this] { deliver(WM_RBUTTONUP); });
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
    singleClick_.stop();
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
        singleClick_.start();
        break;
    case QSystemTrayIcon::DoubleClick:
        singleClick_.stop();
        deliver(WM_LBUTTONDBLCLK);
        break;
    case QSystemTrayIcon::Context:
        singleClick_.stop();
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
