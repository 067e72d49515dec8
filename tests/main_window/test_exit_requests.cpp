// When the system or the desktop session asks Dawnbell to end: the signals that end a program arrive on the
// interface thread, the settings are saved as at exit and every source stops without a question. The close
// button, Exit and a session that lets Dawnbell ask meet the same close rules.

#include "platform/linux/ExitSignals.h"
#include "tests/fakes/World.h"

#include <QAction>
#include <QLabel>
#include <QTimer>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>

class TestExitRequests : public QObject {
    Q_OBJECT
private slots:
    void signalsArriveOnTheInterfaceThread_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void signalsArriveOnTheInterfaceThread()
    {
        QFETCH(int, number);
        ExitSignals watch;
        QSignalSpy received(&watch, &ExitSignals::received);
        QCOMPARE(::raise(number), 0);
        QVERIFY(received.wait(2000));
        QCOMPARE(received.takeFirst().at(0).toInt(), number);
    }

    // The window's close button, Exit and a session that may ask meet the same rules; a session that may not ask
    // (as the signals that end a program) ends it at once: it saves as at exit, stops every source and asks
    // nothing, not even to hand a playing CD to the CD player. `save` false: "Save settings on exit" is cleared
    // first, which saves once. The sleep delay an armed alarm holds is let go when the program ends (that it is
    // held only while the alarm is armed, not while it rings nor once the machine is going to sleep, is
    // test_desktop_events' sleep table's).
    void closeRules_data()
    {
        QTest::addColumn<QString>("via");  // "close", "session", "session, no asking"
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("save");
        QTest::addColumn<int>("answer");  // to the question, if one is asked
        QTest::addColumn<bool>("ends");
        QTest::addColumn<QStringList>("boxes");
        const QStringList ask{"If you exit Dawnbell, then the alarm you have set will not go off.  Exit anyway?"};
        const QStringList turnOff{"You must turn off the alarm before you exit."};
        QTest::newRow("off") << "close" << World::Off << true << 0 << true << QStringList();
        QTest::newRow("off, not saving") << "close" << World::Off << false << 0 << true << QStringList();
        QTest::newRow("armed, Yes") << "close" << World::On << true << 6 << true << ask;
        QTest::newRow("armed, No") << "close" << World::On << true << 7 << false << ask;
        QTest::newRow("ringing") << "close" << World::Ringing << true << 0 << false << turnOff;
        QTest::newRow("session: armed, Yes") << "session" << World::On << true << 6 << true << ask;
        QTest::newRow("session: armed, No") << "session" << World::On << true << 7 << false << ask;
        QTest::newRow("session: off, no leave to ask")
            << "session, no asking" << World::Off << true << 0 << true << QStringList();
        QTest::newRow("session: off, not saving, no leave to ask")
            << "session, no asking" << World::Off << false << 0 << true << QStringList();
        QTest::newRow("session: ringing, no leave to ask")
            << "session, no asking" << World::Ringing << true << 0 << true << QStringList();
    }
    void closeRules()
    {
        QFETCH(QString, via);
        QFETCH(QString, state);
        QFETCH(bool, save);
        QFETCH(int, answer);
        QFETCH(bool, ends);
        QFETCH(QStringList, boxes);
        World w;
        w.platform.cdPlayer = QStringLiteral("/usr/bin/cdplayer");
        w.platform.readableFiles << w.platform.cdPlayer;
        w.startWithDisc();
        if (!save) {
            w.main().mnuSaveOnExit_Click();  // saved at once, with the choice already cleared
            QCOMPARE(w.platform.store.value(QStringLiteral("Settings/SaveOnExit")), QStringLiteral("0"));
        }
        if (state == World::On) {
            w.arm();
            w.tickAt(7, 0, 1);  // the tick after arming takes the sleep delay
        }
        if (state == World::Ringing)
            QVERIFY(w.ring());
        if (answer != 0)
            w.platform.boxAnswers.push_back(answer);
        const bool asking = via != QLatin1String("session, no asking");
        if (!asking)
            w.platform.answer(QStringLiteral("status cd mode"), 0, QStringLiteral("playing"));
        w.platform.clearLog();
        if (via == QLatin1String("close"))
            w.main().close();
        else
            QCOMPARE(w.main().Session_CommitData(via == QLatin1String("session")), ends);
        QCOMPARE(w.module.ProgramEnded, ends);
        QCOMPARE(w.boxTexts(), boxes);
        QCOMPARE(w.platform.commits, save ? int(ends) : 1);
        QCOMPARE(w.state(), state);
        QCOMPARE(w.main().Timer1->isActive(), !ends);  // an ended program's windows and timers are gone
        QCOMPARE(w.main().isVisible(), !ends);
        QCOMPARE(w.platform.sleepDelayHeld, state == World::On && !ends);  // let go when the program ends
        if (!asking) {
            QVERIFY(w.platform.programsRun.isEmpty());
            const QStringList commands = w.platform.mciCommands();
            for (const char* stop : {"stop midi", "close midi", "stop Sound", "close Sound", "stop cd", "close cd"})
                QVERIFY2(commands.contains(QLatin1String(stop)), stop);
        }
    }
};

QTEST_MAIN(TestExitRequests)
#include "test_exit_requests.moc"
