// The desktop's notification server and logind, as Dawnbell meets them on D-Bus: fakes of both on private bus
// daemons, one as the session bus and one as the system bus (DBUS_SYSTEM_BUS_ADDRESS).

#include "platform/linux/DesktopNotifier.h"
#include "platform/linux/SleepWatch.h"
#include "tests/support/files.h"

#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A bus daemon of its own, with no services to start on demand.
struct PrivateBus {
    QProcess daemon;
    QString address;
    bool start(const QString& folder)
    {
        const QString config = folder + u"/bus.conf"_s;
        if (!writeFile(config, uR"(<busconfig><type>session</type><listen>unix:dir=%1</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
</policy></busconfig>)"_s.arg(folder).toUtf8()))
            return false;
        daemon.start(u"dbus-daemon"_s, {u"--nofork"_s, u"--print-address=1"_s, u"--config-file="_s + config});
        while (!daemon.canReadLine() && daemon.waitForReadyRead(10000)) {
        }
        address = QString::fromUtf8(daemon.readLine()).trimmed();
        return !address.isEmpty();
    }
    ~PrivateBus()
    {
        daemon.kill();
        daemon.waitForFinished();
    }
};

}  // namespace

// org.freedesktop.Notifications, numbering from 1; answers Notify at once, or when the test says.
class FakeNotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList log;  // what it was asked, a line a call
    bool holdAnswers = false;
    void reset() { log.clear(), lastId_ = 0, holdAnswers = false; }
    void answerHeld()
    {
        for (Held& answer : std::exchange(held_, {}))
            answer.bus.send(answer.call.createReply(answer.id));
    }

public slots:
    Q_SCRIPTABLE uint Notify(const QString&, uint replaces, const QString&, const QString& summary,
                             const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        const uint id = replaces ? replaces : ++lastId_;
        log.append(u"notify %1 (replaces %2) %3|%4|%5|urgency %6|timeout %7"_s.arg(id).arg(replaces).arg(
            summary, body, actions.join(u','), QString::number(hints.value(u"urgency"_s).value<uchar>()),
            QString::number(timeout)));
        if (holdAnswers) {
            setDelayedReply(true);
            held_.append({connection(), message(), id});
        }
        return id;
    }
    Q_SCRIPTABLE void CloseNotification(uint id)
    {
        log.append(u"close %1"_s.arg(id));
        emit NotificationClosed(id, 3);
    }

signals:
    Q_SCRIPTABLE void ActionInvoked(uint id, const QString& actionKey);
    Q_SCRIPTABLE void NotificationClosed(uint id, uint reason);

private:
    struct Held {
        QDBusConnection bus;
        QDBusMessage call;
        uint id;
    };
    QList<Held> held_;
    uint lastId_ = 0;
};

// org.freedesktop.login1.Manager: hands out inhibitors as logind does, one end of a pipe whose other end it
// watches for the last copy to close, and announces sleep when the test says.
class FakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    QStringList log;  // what it was asked, a line a call

public slots:
    Q_SCRIPTABLE QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString&,
                                                 const QString& mode)
    {
        log.append(u"inhibit %1 %2 %3"_s.arg(what, who, mode));
        int ends[2];
        if (::pipe(ends) != 0)
            return {};
        auto* watch = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
        connect(watch, &QSocketNotifier::activated, this, [this, watch, fd = ends[0]] {
            char byte;
            if (::read(fd, &byte, 1) > 0)
                return;
            log.append(u"released"_s);
            watch->setEnabled(false);
            watch->deleteLater();
            ::close(fd);
        });
        const QDBusUnixFileDescriptor handed(ends[1]);  // a copy: ours goes
        ::close(ends[1]);
        return handed;
    }

signals:
    Q_SCRIPTABLE void PrepareForSleep(bool start);
};

namespace {

const QString NotificationsService = u"org.freedesktop.Notifications"_s;
const QString LogindService = u"org.freedesktop.login1"_s;
constexpr auto Exported = QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals;

// Both fakes on the connections given; false when one could not take its name.
bool Serve(QDBusConnection session, FakeNotificationServer& server, QDBusConnection system, FakeLogind& logind)
{
    session.registerObject(u"/org/freedesktop/Notifications"_s, &server, Exported);
    system.registerObject(u"/org/freedesktop/login1"_s, &logind, Exported);
    return session.registerService(NotificationsService) && system.registerService(LogindService);
}

}  // namespace

class TestDbusServices : public QObject {
    Q_OBJECT
    QTemporaryDir folder_;
    PrivateBus session_, system_;
    FakeNotificationServer server_;
    FakeLogind logind_;
    QDBusConnection fakes(bool system)
    {
        return system ? QDBusConnection::connectToBus(system_.address, u"fake-logind"_s)
                      : QDBusConnection::connectToBus(session_.address, u"fake-notifications"_s);
    }
    const NotificationUrgency normal = NotificationUrgency::Normal;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty())
            QSKIP("dbus-daemon is not installed");
        QVERIFY(session_.start(folder_.filePath(u"session"_s)) && system_.start(folder_.filePath(u"system"_s)));
        qputenv("DBUS_SESSION_BUS_ADDRESS", session_.address.toUtf8());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", system_.address.toUtf8());
        QVERIFY(QDBusConnection::sessionBus().isConnected() && QDBusConnection::systemBus().isConnected());
        QVERIFY(Serve(fakes(false), server_, fakes(true), logind_));
    }
    void init()
    {
        server_.reset();
        logind_.log.clear();
    }

    // Shown, pressed, replaced and withdrawn by the server's numbers; the callback hears ours. The urgency goes
    // as its byte: normal 1, critical 2. Closed by the user, a notification shown again with its number is a new
    // one.
    void notifications()
    {
        DesktopNotifier notifier(QDBusConnection::sessionBus());
        QList<QPair<int, QString>> pressed;
        notifier.setCallback([&](int id, const QString& key) { pressed.append({id, key}); });
        const int id =
            notifier.show(u"Wake up!"_s, u"Now."_s, {{u"snooze"_s, u"Snooze"_s}, {u"off"_s, u"Turn off"_s}}, normal, 0);
        const int other = notifier.show(u"Two"_s, {}, {}, normal, 0);
        QTRY_COMPARE(server_.log.size(), 2);
        emit server_.ActionInvoked(7, u"off"_s);  // not ours
        emit server_.NotificationClosed(2, 2);
        emit server_.ActionInvoked(1, u"snooze"_s);  // heard after the closing
        QTRY_COMPARE(pressed, (QList<QPair<int, QString>>{{id, u"snooze"_s}}));
        notifier.show(u"Two, again"_s, {}, {}, normal, other);
        QCOMPARE(notifier.show(u"Wake up!"_s, u"Again."_s, {}, NotificationUrgency::Critical, id), id);
        notifier.withdraw(id);
        QTRY_COMPARE(server_.log.size(), 5);
        QCOMPARE(server_.log,
                 (QStringList{u"notify 1 (replaces 0) Wake up!|Now.|snooze,Snooze,off,Turn off|urgency 1|timeout 0"_s,
                              u"notify 2 (replaces 0) Two|||urgency 1|timeout 0"_s,
                              u"notify 3 (replaces 0) Two, again|||urgency 1|timeout 0"_s,
                              u"notify 1 (replaces 1) Wake up!|Again.||urgency 2|timeout 0"_s, u"close 1"_s}));
    }

    // The server answers late: a withdrawal or a replacement waits for its number; nothing is shown twice.
    void answersThatComeLate()
    {
        DesktopNotifier notifier(QDBusConnection::sessionBus());
        server_.holdAnswers = true;
        const int first = notifier.show(u"One"_s, {}, {}, normal, 0);
        const int second = notifier.show(u"Two"_s, {}, {}, normal, 0);
        notifier.withdraw(first);
        QCOMPARE(notifier.show(u"Two, again"_s, {}, {}, normal, second), second);
        QTRY_COMPARE(server_.log.size(), 2);
        server_.holdAnswers = false;
        server_.answerHeld();
        QTRY_COMPARE(server_.log.size(), 4);
        QCOMPARE(server_.log.mid(2), (QStringList{u"close 1"_s, u"notify 2 (replaces 2) Two, again|||urgency 1|timeout 0"_s}));
    }

    void theSleepDelay_data()
    {
        QTest::addColumn<bool>("releaseAtOnce");  // before logind has answered
        QTest::newRow("held, then released") << false;
        QTest::newRow("released while it was taken") << true;
    }
    // The delay is asked for once, held until released, given back by closing the descriptor; sleep is heard.
    void theSleepDelay()
    {
        QFETCH(bool, releaseAtOnce);
        SleepWatch watch(QDBusConnection::systemBus());
        QList<bool> heard;
        watch.setCallback([&](bool goingToSleep) { heard.append(goingToSleep); });
        watch.takeDelay();
        watch.takeDelay();
        if (releaseAtOnce)
            watch.releaseDelay();
        else
            QTRY_VERIFY(watch.delayHeld());
        emit logind_.PrepareForSleep(true);
        emit logind_.PrepareForSleep(false);
        QTRY_COMPARE(heard, (QList<bool>{true, false}));
        // A delay released before logind answered is given back when the answer comes, which may be after sleep
        // was heard: the announcement can reach the watch before logind has even seen the request.
        QTRY_COMPARE(logind_.log.size(), releaseAtOnce ? 2 : 1);
        QCOMPARE(logind_.log.first(), u"inhibit sleep Dawnbell delay"_s);
        watch.releaseDelay();
        QTRY_COMPARE(logind_.log, (QStringList{u"inhibit sleep Dawnbell delay"_s, u"released"_s}));
        QVERIFY(!watch.delayHeld());
    }

    // Without the services, or without the buses, nothing is shown or held and nothing breaks; services that come
    // later are heard.
    void withoutTheServices()
    {
        QVERIFY(fakes(false).unregisterService(NotificationsService) && fakes(true).unregisterService(LogindService));
        DesktopNotifier notifier(QDBusConnection::sessionBus());
        SleepWatch watch(QDBusConnection::systemBus());
        QList<bool> heard;
        watch.setCallback([&](bool goingToSleep) { heard.append(goingToSleep); });
        notifier.withdraw(notifier.show(u"Lost"_s, {}, {}, normal, 0));
        watch.takeDelay();
        QTRY_VERIFY(!watch.delayPending());
        QVERIFY(!watch.delayHeld());
        SleepWatch noBus(QDBusConnection(u"none"_s));
        noBus.takeDelay();
        QVERIFY(!noBus.delayPending() && DesktopNotifier(QDBusConnection(u"none"_s)).show({}, {}, {}, normal, 0) > 0);
        // Answered after the lost notification has been turned away on the same connection.
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(NotificationsService));

        QVERIFY(Serve(fakes(false), server_, fakes(true), logind_));
        notifier.show(u"Later"_s, {}, {}, normal, 0);
        emit logind_.PrepareForSleep(true);
        watch.releaseDelay();
        watch.takeDelay();
        QTRY_VERIFY(watch.delayHeld());
        QTRY_COMPARE(heard, QList<bool>{true});
        QTRY_COMPARE(server_.log, QStringList{u"notify 1 (replaces 0) Later|||urgency 1|timeout 0"_s});
    }
};

QTEST_GUILESS_MAIN(TestDbusServices)
#include "tst_dbus_services.moc"
