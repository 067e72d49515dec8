// The desktop beyond the window: the ringing alarm's notification, whose buttons do what the window's do and
// which goes when the alarm is silenced by any means; the sleep delay held while the alarm is armed; saving
// before the machine sleeps; the alarm missed while it slept.

#include "tests/fakes/World.h"

#include <QAction>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestDesktopEvents : public QObject {
    Q_OBJECT
private slots:
    // The ringing alarm's notification offers Snooze exactly when the window's snooze button is offered. A
    // button of it does what the window's button does, while the alarm it was shown for rings; the notification
    // goes when the alarm is silenced by any means.
    void buttonsAndSilencing_data()
    {
        QTest::addColumn<int>("allowSnooze");
        QTest::addColumn<int>("multiple");
        QTest::addColumn<QStringList>("steps");  // "press <key>" in the notification, "ring" again, or a window's action
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("buttons");  // of the notification still there; none: it went
        const auto press = [](const QString& key) { return u"press "_s + key; };
        const QStringList both{u"Snooze"_s, u"Turn off"_s};
        const QStringList turnOff{u"Turn off"_s};
        QTest::newRow("the one snooze used") << 1 << 0 << QStringList{u"snooze"_s, u"ring"_s} << World::IsRinging
                                             << turnOff;
        QTest::newRow("snoozes without end") << 1 << 1 << QStringList{u"snooze"_s, u"ring"_s} << World::IsRinging
                                             << both;
        QTest::newRow("press Snooze") << 1 << 0 << QStringList{press(NotificationSnooze)} << World::IsArmed
                                      << QStringList();
        QTest::newRow("press Turn off") << 1 << 0 << QStringList{press(NotificationTurnOff)} << World::IsOff
                                        << QStringList();
        QTest::newRow("press Snooze, none offered") << 0 << 0 << QStringList{press(NotificationSnooze)}
                                                    << World::IsRinging << turnOff;
        QTest::newRow("an unknown key") << 1 << 0 << QStringList{press(u"default"_s)} << World::IsRinging << both;
        QTest::newRow("snooze button, then a late Turn off")
            << 1 << 0 << QStringList{u"snooze"_s, press(NotificationTurnOff)} << World::IsArmed << QStringList();
        QTest::newRow("on/off button, the sources play on") << 1 << 0 << QStringList{u"uncheck mnuOff"_s, u"off"_s}
                                                            << World::IsOff << QStringList();
        QTest::newRow("the session ends") << 1 << 0 << QStringList{u"end"_s} << World::IsRinging << QStringList();
    }
    void buttonsAndSilencing()
    {
        QFETCH(int, allowSnooze);
        QFETCH(int, multiple);
        QFETCH(QStringList, steps);
        QFETCH(QString, state);
        QFETCH(QStringList, buttons);
        World w;
        w.start();
        w.settings().AllowSnooze = int16_t(allowSnooze);
        w.settings().AllowMultipleSnoozes = int16_t(multiple);
        QVERIFY(w.ring());
        int id = w.module.AlarmNotification;
        for (const QString& step : steps) {
            if (step.startsWith(u"press "_s)) {
                w.platform.pressNotificationButton(id, step.mid(6));
            } else if (step == u"snooze"_s) {
                w.main().cmdSnooze_Click();
                QVERIFY(w.platform.notifications.empty());
            } else if (step == u"ring"_s) {
                QVERIFY(w.ring(QTime(7, 53)));
                id = w.module.AlarmNotification;
            } else if (step == u"off"_s) {
                w.main().cmdOnOff_Click();
            } else if (step == u"uncheck mnuOff"_s) {
                w.main().mnuOff->setChecked(false);
            } else {
                w.module.ExitOnRequest();
            }
        }
        QCOMPARE(w.alarmState(), state);
        const bool shown = !buttons.isEmpty();
        QCOMPARE(w.platform.notifications.size(), size_t(shown));
        QCOMPARE(w.module.AlarmNotification, shown ? id : 0);
        if (shown) {
            const FakePlatform::Notification& notification = w.platform.notifications.at(id);
            QCOMPARE(notification.title, u"Wake up!"_s);
            QCOMPARE(notification.text, u"The alarm set for %1 is going off."_s.arg(w.module.AlarmAt));
            QCOMPARE(notification.urgency, NotificationUrgency::Normal);
            QCOMPARE(notification.actions, buttons);
        }
    }

    // Before sleep the settings are saved and only then may sleep go ahead; after it the clock catches up and an
    // alarm time that passed while the machine slept is told. Events: from the announcement of sleep on.
    void sleepAndWake_data()
    {
        QTest::addColumn<bool>("armed");
        QTest::addColumn<bool>("saveOnExit");
        QTest::addColumn<bool>("commitFails");
        QTest::addColumn<QTime>("asleep");
        QTest::addColumn<int>("days");  // later than the day of falling asleep
        QTest::addColumn<QTime>("awake");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("notice");
        const QString missed = u"Missed alarm at 7:45:00 AM"_s;
        QTest::newRow("missed") << true << true << false << QTime(7, 0) << 0 << QTime(8, 0)
                                << u"commit|release delay|show 1 Missed alarm at 7:45:00 AM|take delay"_s
                                << World::IsArmed << missed;
        QTest::newRow("woke before the alarm") << true << true << false << QTime(7, 0) << 0 << QTime(7, 44, 59)
                                               << u"commit|release delay|take delay"_s << World::IsArmed << QString();
        QTest::newRow("woke at the alarm second") << true << false << false << QTime(6, 0) << 0 << QTime(7, 45)
                                                  << u"release delay|show 1 Wake up!"_s << World::IsRinging
                                                  << QString();
        QTest::newRow("missed, overnight") << true << false << false << QTime(23, 0) << 1 << QTime(8, 0)
                                           << u"release delay|show 1 Missed alarm at 7:45:00 AM|take delay"_s
                                           << World::IsArmed << missed;
        QTest::newRow("a day less ten minutes, not passed") << true << false << false << QTime(7, 50) << 1
                                                            << QTime(7, 40) << u"release delay|take delay"_s
                                                            << World::IsArmed << QString();
        // The tick lets an alarm ring late within a minute of its previous tick: it is not missed.
        QTest::newRow("under a minute over the alarm") << true << true << false << QTime(7, 44, 50) << 0
                                                       << QTime(7, 45, 20) << u"commit|release delay|show 1 Wake up!"_s
                                                       << World::IsRinging << QString();
        QTest::newRow("off") << false << true << false << QTime(7, 0) << 0 << QTime(8, 0) << u"commit"_s
                             << World::IsOff << QString();
        QTest::newRow("the save fails") << true << true << true << QTime(7, 0) << 0 << QTime(7, 30)
                                        << u"commit|release delay|take delay"_s << World::IsArmed << QString();
    }
    void sleepAndWake()
    {
        QFETCH(bool, armed);
        QFETCH(bool, saveOnExit);
        QFETCH(bool, commitFails);
        QFETCH(QTime, asleep);
        QFETCH(int, days);
        QFETCH(QTime, awake);
        QFETCH(QString, events);
        QFETCH(QString, state);
        QFETCH(QString, notice);
        World w;
        w.start();
        w.main().mnuSaveOnExit->setChecked(saveOnExit);
        w.platform.commitFails = commitFails;
        if (armed)
            w.arm();
        w.tickAt(asleep);
        w.platform.events.clear();
        w.platform.boxes.clear();

        w.platform.sleepUntil(QDateTime(w.platform.clock.date().addDays(days), awake));
        QCOMPARE(w.platform.events.join(u'|'), events);
        QCOMPARE(w.alarmState(), state);
        QCOMPARE(w.main().StatusText(), notice);
        QCOMPARE(w.platform.sleepDelayHeld, state == World::IsArmed);
        QCOMPARE(w.boxTexts(), commitFails ? QStringList{u"Dawnbell was unable to save your settings.  The folder "
                                                         u"/home/sleeper/.config/Dawnbell is read-only.  Your previous "
                                                         u"settings have been kept."_s}
                                           : QStringList());
    }
};

QTEST_MAIN(TestDesktopEvents)
#include "test_desktop_events.moc"
