// The notification-area icon's clicks, as each kind of tray reports them, turned into the mouse messages the
// main window acts on: the click that restores the window, and the context click that opens its popup.

#include "platform/linux/NotifyIconHost.h"

#include <QApplication>
#include <QTest>

using R = QSystemTrayIcon::ActivationReason;
using Kind = NotifyIconHost::TrayKind;

class TestNotifyIconHost : public QObject {
    Q_OBJECT
private slots:
    void clicksBecomeMessages_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QList<R>>("clicks");
        QTest::addColumn<QList<int>>("messages");
        // An XEmbed tray reports a press as Trigger and the second click of a double click as DoubleClick.
        QTest::newRow("XEmbed: a single click does nothing") << Kind::XEmbed << QList<R>{R::Trigger} << QList<int>{};
        QTest::newRow("XEmbed: a double click restores")
            << Kind::XEmbed << QList<R>{R::Trigger, R::DoubleClick} << QList<int>{WM_LBUTTONDBLCLK};
        QTest::newRow("XEmbed: context") << Kind::XEmbed << QList<R>{R::Context} << QList<int>{WM_RBUTTONUP};
        QTest::newRow("XEmbed: middle click") << Kind::XEmbed << QList<R>{R::MiddleClick} << QList<int>{};
        // A StatusNotifier tray's Activate arrives as Trigger; it knows no double click. Context and other clicks are
        // the same for both kinds.
        QTest::newRow("StatusNotifier: activate restores")
            << Kind::StatusNotifier << QList<R>{R::Trigger} << QList<int>{WM_LBUTTONDBLCLK};
    }
    void clicksBecomeMessages()
    {
        QFETCH(Kind, kind);
        QFETCH(QList<R>, clicks);
        QFETCH(QList<int>, messages);
        NotifyIconHost host(kind);
        QList<int> received;
        host.setCallback([&](int message) { received.append(message); });
        for (R reason : clicks)
            emit host.icon().activated(reason);
        QVERIFY(received.isEmpty());  // the window acts once the tray's own handling is over
        QCoreApplication::processEvents();
        QCOMPARE(received, messages);

        host.setCallback({});
        emit host.icon().activated(R::Context);
        QCoreApplication::processEvents();  // no callback: nothing happens, nothing breaks
        QCOMPARE(received, messages);
    }
};

QTEST_MAIN(TestNotifyIconHost)
#include "tst_notify_icon_host.moc"
