// The desktop's notification server and logind, as Dawnbell meets them on D-Bus: each test talks to a fake of
// its own on a private bus daemon, the session bus and the system bus (DBUS_SYSTEM_BUS_ADDRESS) alike.
//
//   tst_dbus_services --serve   serves both fakes on the buses of the environment for a trial by hand: it prints
//                               every call, and reads "sleep", "wake", "invoke <id> <key>", "close <id>" from stdin.

#include "platform/linux/DesktopNotifier.h"
#include "platform/linux/SleepWatch.h"

#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A bus daemon of its own, with no services to start on demand.
class PrivateBus {
public:
    bool start(const QString& folder)
    {
        const QString config = folder + u"/bus.conf"_s;
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(uR"(<busconfig><type>session</type><listen>unix:dir=%1</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/>
<allow own="*"/></policy></busconfig>)"_s.arg(folder).toUtf8());
        file.close();
        daemon_.start(u"dbus-daemon"_s, {u"--nofork"_s, u"--print-address=1"_s, u"--config-file="_s + config});
        while (!daemon_.canReadLine() && daemon_.waitForReadyRead(10000)) {
        }
        address = QString::fromUtf8(daemon_.readLine()).trimmed();
        return !address.isEmpty();
    }
    ~PrivateBus()
    {
        daemon_.kill();
        daemon_.waitForFinished();
    }
    QString address;

private:
    QProcess daemon_;
};

}  // namespace

// org.freedesktop.Notifications: records the calls; answers Notify at once, or when the test says.
class FakeNotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        uint id = 0;  // the number it answers
        uint replaces = 0;
        QString summary, body;
        QStringList actions;
        QVariantMap hints;
        int timeout = -1;
    };
    QList<Call> notified;
    QList<uint> closed;
    bool holdAnswers = false;
    struct Held {
        QDBusConnection bus;
        QDBusMessage call;
        uint id;
    };
    QList<Held> held;
    bool print = false;

    void answerHeld()
    {
        for (Held& answer : std::exchange(held, {}))
            answer.bus.send(answer.call.createReply(answer.id));
    }

public slots:
    Q_SCRIPTABLE uint Notify(const QString&, uint replaces, const QString&, const QString& summary,
                             const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        const uint id = replaces ? replaces : ++lastId_;
        notified.append({id, replaces, summary, body, actions, hints, timeout});
        if (print)
            QTextStream(stdout) << "notify " << id << ": " << summary << " | " << body << " | " << actions.join(u',')
                                << Qt::endl;
        if (holdAnswers) {
            setDelayedReply(true);
            held.append({connection(), message(), id});
        }
        return id;
    }
    Q_SCRIPTABLE void CloseNotification(uint id)
    {
        closed.append(id);
        if (print)
            QTextStream(stdout) << "close " << id << Qt::endl;
        emit NotificationClosed(id, 3);
    }
    Q_SCRIPTABLE QStringList GetCapabilities() { return {u"actions"_s, u"body"_s}; }

signals:
    Q_SCRIPTABLE void ActionInvoked(uint id, const QString& actionKey);
    Q_SCRIPTABLE void NotificationClosed(uint id, uint reason);

private:
    uint lastId_ = 0;
};

// org.freedesktop.login1.Manager: hands out inhibitors as logind does (one end of a pipe, which it watches for
// the last copy of the other end to close) and announces sleep when the test says.
class FakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    QStringList inhibits;  // "what who mode"
    int released = 0;
    bool print = false;

public slots:
    Q_SCRIPTABLE QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                                 const QString& mode)
    {
        inhibits << u"%1 %2 %3"_s.arg(what, who, mode);
        if (print)
            QTextStream(stdout) << "inhibit " << what << ' ' << who << ' ' << mode << ": " << why << Qt::endl;
        int ends[2];
        if (::pipe(ends) != 0)
            return {};
        auto* watch = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
        connect(watch, &QSocketNotifier::activated, this, [this, watch, fd = ends[0]] {
            char byte;
            if (::read(fd, &byte, 1) > 0)
                return;
            ++released;
            if (print)
                QTextStream(stdout) << "released" << Qt::endl;
            watch->setEnabled(false);
            watch->deleteLater();
            ::close(fd);
        });
        QDBusUnixFileDescriptor handed(ends[1]);  // a copy; ours goes
        ::close(ends[1]);
        return handed;
    }

signals:
    Q_SCRIPTABLE void PrepareForSleep(bool start);
};

namespace {

// Puts `object` on its own connection to `address` under `service`.
QDBusConnection Serve(const QString& address, const QString& name, QObject* object, const QString& service,
                      const QString& path)
{
    QDBusConnection bus = QDBusConnection::connectToBus(address, name);
    bus.registerObject(path, object, QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals);
    bus.registerService(service);
    return bus;
}

const QString NotificationsService = u"org.freedesktop.Notifications"_s;
const QString NotificationsPath = u"/org/freedesktop/Notifications"_s;
const QString LogindService = u"org.freedesktop.login1"_s;
const QString LogindPath = u"/org/freedesktop/login1"_s;

}  // namespace

class TestDbusServices : public QObject {
    Q_OBJECT
    QTemporaryDir folder_;
    PrivateBus session_, system_;
    FakeNotificationServer server_;
    FakeLogind logind_;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty())
            QSKIP("dbus-daemon is not installed");
        QVERIFY(QDir().mkpath(folder_.filePath(u"session"_s)) && QDir().mkpath(folder_.filePath(u"system"_s)));
        QVERIFY(session_.start(folder_.filePath(u"session"_s)));
        QVERIFY(system_.start(folder_.filePath(u"system"_s)));
        qputenv("DBUS_SESSION_BUS_ADDRESS", session_.address.toUtf8());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", system_.address.toUtf8());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QVERIFY(QDBusConnection::systemBus().isConnected());
        Serve(session_.address, u"fake-notifications"_s, &server_, NotificationsService, NotificationsPath);
        Serve(system_.address, u"fake-logind"_s, &logind_, LogindService, LogindPath);
    }
    void init()
    {
        server_.notified.clear();
        server_.closed.clear();
        server_.holdAnswers = false;
        logind_.inhibits.clear();
        logind_.released = 0;
    }

    void notifications_data()
    {
        QTest::addColumn<NotificationUrgency>("urgency");
        QTest::addColumn<uchar>("urgencyByte");
        QTest::newRow("normal") << NotificationUrgency::Normal << uchar(1);
        QTest::newRow("critical") << NotificationUrgency::Critical << uchar(2);
    }
    // Shown, replaced, pressed and withdrawn, each by the server's number.
    void notifications()
    {
        QFETCH(NotificationUrgency, urgency);
        QFETCH(uchar, urgencyByte);
        DesktopNotifier notifier(QDBusConnection::sessionBus());
        QList<QPair<int, QString>> pressed;
        notifier.setCallback([&](int id, const QString& key) { pressed.append({id, key}); });

        const int id = notifier.show(u"Wake up!"_s, u"Now."_s, {{u"snooze"_s, u"Snooze"_s}, {u"off"_s, u"Turn off"_s}},
                                     urgency, 0);
        QVERIFY(id > 0);
        QTRY_COMPARE(server_.notified.size(), 1);
        const FakeNotificationServer::Call call = server_.notified.first();
        QCOMPARE(call.replaces, 0u);
        QCOMPARE(call.summary, u"Wake up!"_s);
        QCOMPARE(call.body, u"Now."_s);
        QCOMPARE(call.actions, (QStringList{u"snooze"_s, u"Snooze"_s, u"off"_s, u"Turn off"_s}));
        QCOMPARE(call.hints.value(u"urgency"_s).value<uchar>(), urgencyByte);
        QCOMPARE(call.timeout, 0);  // stays until withdrawn

        // The server's numbers are its own; only ours are handed on.
        const uint serverId = call.id;
        emit server_.ActionInvoked(serverId + 100, u"off"_s);
        emit server_.ActionInvoked(serverId, u"snooze"_s);
        QTRY_COMPARE(pressed.size(), 1);
        QCOMPARE(pressed.first(), qMakePair(id, u"snooze"_s));

        QCOMPARE(notifier.show(u"Wake up!"_s, u"Again."_s, {}, urgency, id), id);
        QTRY_COMPARE(server_.notified.size(), 2);
        QCOMPARE(server_.notified.last().replaces, serverId);
        notifier.withdraw(id);
        QTRY_COMPARE(server_.closed, QList<uint>{serverId});
    }

    // The server answers late: a withdrawal or a replacement waits for its number, and nothing is shown twice.
    void answersThatComeLate()
    {
        DesktopNotifier notifier(QDBusConnection::sessionBus());
        server_.holdAnswers = true;
        const int first = notifier.show(u"One"_s, {}, {}, NotificationUrgency::Normal, 0);
        const int second = notifier.show(u"Two"_s, {}, {}, NotificationUrgency::Normal, 0);
        notifier.withdraw(first);
        QCOMPARE(notifier.show(u"Two, again"_s, {}, {}, NotificationUrgency::Normal, second), second);
        QTRY_COMPARE(server_.held.size(), 2);
        server_.holdAnswers = false;
        server_.answerHeld();
        QTRY_COMPARE(server_.notified.size(), 3);
        QTRY_COMPARE(server_.closed.size(), 1);
        QCOMPARE(server_.notified.last().summary, u"Two, again"_s);
        QCOMPARE(server_.notified.last().replaces, server_.notified.at(1).id);
        QCOMPARE(server_.closed, QList<uint>{server_.notified.at(0).id});
    }

    // Closed by the user, a notification shown again with its number is a new one.
    void closedByTheUser()
    {
        DesktopNotifier notifier(QDBusConnection::sessionBus());
        int pressed = 0;
        notifier.setCallback([&](int, const QString&) { ++pressed; });
        const int id = notifier.show(u"Wake up!"_s, {}, {}, NotificationUrgency::Normal, 0);
        notifier.show(u"Other"_s, {}, {}, NotificationUrgency::Normal, 0);
        QTRY_COMPARE(server_.notified.size(), 2);
        emit server_.NotificationClosed(server_.notified.at(0).id, 2);
        emit server_.ActionInvoked(server_.notified.at(1).id, u"off"_s);  // heard after the closing
        QTRY_COMPARE(pressed, 1);
        notifier.show(u"Wake up!"_s, {}, {}, NotificationUrgency::Normal, id);
        QTRY_COMPARE(server_.notified.size(), 3);
        QCOMPARE(server_.notified.last().replaces, 0u);
        QVERIFY(server_.closed.isEmpty());
    }

    // No server, or no bus: nothing is shown, nothing is reported, nothing breaks.
    void withoutAServer()
    {
        QDBusConnection::connectToBus(session_.address, u"fake-notifications"_s).unregisterService(NotificationsService);
        DesktopNotifier notifier(QDBusConnection::sessionBus());
        int called = 0;
        notifier.setCallback([&](int, const QString&) { ++called; });
        const int id = notifier.show(u"Wake up!"_s, {}, {}, NotificationUrgency::Normal, 0);
        QVERIFY(id > 0);
        notifier.withdraw(id);
        DesktopNotifier unconnected(QDBusConnection(u"none"_s));
        QVERIFY(unconnected.show(u"Wake up!"_s, {}, {}, NotificationUrgency::Normal, 0) > 0);
        // The server comes: from then on it is heard.
        QVERIFY(QDBusConnection::connectToBus(session_.address, u"fake-notifications"_s)
                    .registerService(NotificationsService));
        notifier.show(u"Later"_s, {}, {}, NotificationUrgency::Normal, 0);
        QTRY_COMPARE(server_.notified.size(), 1);
        QCOMPARE(server_.notified.first().summary, u"Later"_s);
        QCOMPARE(called, 0);
    }

    // The delay is asked for as logind wants it, held, and given back by closing the descriptor.
    void theSleepDelay_data()
    {
        QTest::addColumn<bool>("releaseAtOnce");  // before logind has answered
        QTest::newRow("held, then released") << false;
        QTest::newRow("released while it was taken") << true;
    }
    void theSleepDelay()
    {
        QFETCH(bool, releaseAtOnce);
        SleepWatch watch(QDBusConnection::systemBus());
        watch.takeDelay();
        watch.takeDelay();  // once is enough
        if (releaseAtOnce)
            watch.releaseDelay();
        else
            QTRY_VERIFY(watch.delayHeld());
        QCOMPARE(logind_.released, 0);
        watch.releaseDelay();
        QTRY_COMPARE(logind_.released, 1);
        QVERIFY(!watch.delayHeld());
        QCOMPARE(logind_.inhibits, QStringList{u"sleep Dawnbell delay"_s});
    }

    void sleepIsAnnounced()
    {
        SleepWatch watch(QDBusConnection::systemBus());
        QList<bool> heard;
        watch.setCallback([&](bool goingToSleep) { heard.append(goingToSleep); });
        emit logind_.PrepareForSleep(true);
        emit logind_.PrepareForSleep(false);
        QTRY_COMPARE(heard, (QList<bool>{true, false}));
    }

    // Without logind the delay is simply not held; logind that comes later is heard.
    void withoutLogind()
    {
        QDBusConnection fake = QDBusConnection::connectToBus(system_.address, u"fake-logind"_s);
        fake.unregisterService(LogindService);
        SleepWatch watch(QDBusConnection::systemBus());
        QList<bool> heard;
        watch.setCallback([&](bool goingToSleep) { heard.append(goingToSleep); });
        watch.takeDelay();
        QTRY_VERIFY(!watch.delayPending());
        QVERIFY(!watch.delayHeld());
        SleepWatch unconnected(QDBusConnection(u"none"_s));
        unconnected.takeDelay();
        QVERIFY(!unconnected.delayPending() && !unconnected.delayHeld());

        QVERIFY(fake.registerService(LogindService));
        emit logind_.PrepareForSleep(true);
        QTRY_COMPARE(heard, QList<bool>{true});
        watch.releaseDelay();
        watch.takeDelay();
        QTRY_VERIFY(watch.delayHeld());
    }
};

// Both fakes on the buses of the environment, for a trial by hand.
int Serve()
{
    FakeNotificationServer server;
    FakeLogind logind;
    server.print = logind.print = true;
    QDBusConnection session = QDBusConnection::sessionBus();
    QDBusConnection system = QDBusConnection::systemBus();
    session.registerObject(NotificationsPath, &server,
                           QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals);
    system.registerObject(LogindPath, &logind,
                          QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals);
    // A desktop's own notification server is left in its place.
    const bool notifications = session.registerService(NotificationsService);
    const bool login = system.registerService(LogindService);
    QTextStream(stdout) << "serving" << (notifications ? " notifications" : "") << (login ? " logind" : "")
                        << Qt::endl;
    if (!notifications && !login)
        return 1;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QTextStream in(stdin);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        const QStringList words = in.readLine().split(u' ', Qt::SkipEmptyParts);
        if (in.atEnd() && words.isEmpty())
            QCoreApplication::quit();
        else if (words.value(0) == u"sleep"_s || words.value(0) == u"wake"_s)
            emit logind.PrepareForSleep(words.value(0) == u"sleep"_s);
        else if (words.value(0) == u"invoke"_s)
            emit server.ActionInvoked(words.value(1).toUInt(), words.value(2));
        else if (words.value(0) == u"close"_s)
            emit server.NotificationClosed(words.value(1).toUInt(), 2);
    });
    return QCoreApplication::exec();
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--serve") == 0)
        return Serve();
    TestDbusServices test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dbus_services.moc"
