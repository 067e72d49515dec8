// When the system or the desktop session asks Dawnbell to end: the signals that end a program arrive on the
// interface thread, the settings are saved as at exit and every source stops without a question; a session
// that lets Dawnbell ask meets the window's close rules.

#include "platform/linux/ExitSignals.h"
#include "tests/fakes/World.h"

#include <QAction>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>

namespace {

enum class State { Off, Armed, Sounding };

void Enter(World& w, State state)
{
    if (state != State::Off)
        w.main().cmdOnOff_Click();
    if (state == State::Sounding)
        w.module.SoundAlarm();
}

}  // namespace

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

    void anExitOnRequestSavesStopsAndAsksNothing_data()
    {
        QTest::addColumn<bool>("saveOnExit");
        QTest::addColumn<bool>("sounding");
        QTest::newRow("off, saving") << true << false;
        QTest::newRow("off, not saving") << false << false;
        QTest::newRow("ringing with a CD, saving") << true << true;
    }
    void anExitOnRequestSavesStopsAndAsksNothing()
    {
        QFETCH(bool, saveOnExit);
        QFETCH(bool, sounding);
        World w;
        w.platform.cdDrives = {QStringLiteral("D:")};
        w.platform.insertDisc(5);
        w.platform.cdPlayer = QStringLiteral("/usr/bin/cdplayer");
        w.platform.readableFiles << w.platform.cdPlayer;
        w.platform.answer(QStringLiteral("status cd mode"), 0, QStringLiteral("playing"));
        w.start();
        w.main().mnuSaveOnExit->setChecked(saveOnExit);
        Enter(w, sounding ? State::Sounding : State::Off);
        w.platform.clearLog();
        w.platform.boxes.clear();

        w.module.ExitOnRequest();
        QVERIFY(w.module.ProgramEnded);
        QCOMPARE(w.platform.commits, saveOnExit ? 1 : 0);
        QVERIFY(w.platform.boxes.empty());
        QVERIFY(w.platform.programsRun.isEmpty());
        const QStringList commands = w.platform.mciCommands();
        for (const char* stop : {"stop midi", "close midi", "stop Sound", "close Sound", "stop cd", "close cd"})
            QVERIFY2(commands.contains(QLatin1String(stop)), stop);
    }

    void theSessionMeetsTheCloseRules_data()
    {
        QTest::addColumn<bool>("mayAsk");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("answer");  // to the question, if one is asked
        QTest::addColumn<bool>("ends");
        QTest::addColumn<QString>("box");
        const QString armedQuestion =
            QStringLiteral("If you exit Dawnbell, then the alarm you have set will not go off.  Exit anyway?");
        QTest::newRow("off") << true << int(State::Off) << 0 << true << QString();
        QTest::newRow("armed, No") << true << int(State::Armed) << 7 << false << armedQuestion;
        QTest::newRow("armed, Yes") << true << int(State::Armed) << 6 << true << armedQuestion;
        QTest::newRow("sounding") << true << int(State::Sounding) << 0 << false
                                  << QStringLiteral("You must turn off the alarm before you exit.");
        QTest::newRow("sounding, no leave to ask") << false << int(State::Sounding) << 0 << true << QString();
    }
    void theSessionMeetsTheCloseRules()
    {
        QFETCH(bool, mayAsk);
        QFETCH(int, state);
        QFETCH(int, answer);
        QFETCH(bool, ends);
        QFETCH(QString, box);
        World w;
        w.start();
        Enter(w, State(state));
        if (answer != 0)
            w.platform.boxAnswers.push_back(answer);

        QCOMPARE(w.main().Session_CommitData(mayAsk), ends);
        QCOMPARE(w.module.ProgramEnded, ends);
        QCOMPARE(w.platform.commits, ends ? 1 : 0);
        QCOMPARE(w.platform.boxes.empty() ? QString() : w.platform.boxes.front().text, box);
    }
};

QTEST_MAIN(TestExitRequests)
#include "test_exit_requests.moc"
