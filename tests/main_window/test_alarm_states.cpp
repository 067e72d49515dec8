// The clock tick and the alarm's states: arming, firing (once, late ticks, suspend gaps), the countdown,
// snooze, turning off, the keys, the close rules, the notification area and the caption.

#include "tests/fakes/World.h"

#include "core/TextRules.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

namespace {

const QString Off = QStringLiteral("Alarm is off.");
const QString On = QStringLiteral("Alarm is on.");
const QString Ringing = QStringLiteral("Wake up!");

// A world at 7:00 AM, started, with a CD drive and the alarm at `alarm`.
void Prepare(World& w, const QString& alarm = QStringLiteral("7:45:00 AM"))
{
    w.platform.cdDrives = {QStringLiteral("E:")};
    w.platform.insertDisc(10);
    w.stored("Alarm/AlarmTime", alarm);
    w.start();
}

// Ticks the clock at h:m:s.ms.
void TickAt(World& w, int hour, int minute, int second, int msec = 0)
{
    w.platform.setTime(hour, minute, second, msec);
    w.main().Timer1_Timer();
}

int Count(const QStringList& list, const QString& entry) { return static_cast<int>(list.count(entry)); }

}  // namespace

class TestAlarmStates : public QObject {
    Q_OBJECT
private slots:
    void armThenDisarm()
    {
        World w;
        Prepare(w);
        frmMain& f = w.main();
        f.cmdOnOff_Click();
        QCOMPARE(f.lblOnOff->text(), On);
        QCOMPARE(w.module.AlarmOn, 1);
        QCOMPARE(w.module.AlarmSounding, 0);
        QCOMPARE(f.cmdOnOff->text(), QStringLiteral("Turn &alarm OFF"));
        QCOMPARE(f.Label3->text(), QStringLiteral("Alarm set for:"));
        QCOMPARE(f.SavedAlarmTime, QStringLiteral("7:45:00 AM"));
        for (QAction* source : {f.mnuCD, f.mnuCDAndSound, f.mnuAlarm, f.mnuAlarmSound})
            QVERIFY(!source->isEnabled());
        TickAt(w, 7, 44, 30);
        QCOMPARE(f.lblTimeLeft->text(), QStringLiteral("00:00:30"));
        QVERIFY(f.imgOn->isVisibleTo(&f));
        QVERIFY(!f.imgOff->isVisibleTo(&f));

        f.cmdOnOff_Click();
        QCOMPARE(f.lblOnOff->text(), Off);
        QCOMPARE(w.module.AlarmOn, 0);
        QCOMPARE(f.cmdOnOff->text(), QStringLiteral("Turn &alarm ON"));
        QCOMPARE(f.lblTimeLeft->text(), QStringLiteral("Alarm not on."));
        for (QAction* source : {f.mnuCD, f.mnuCDAndSound, f.mnuAlarm, f.mnuAlarmSound})
            QVERIFY(source->isEnabled());
        TickAt(w, 7, 44, 31);
        QCOMPARE(f.lblTimeLeft->text(), QStringLiteral("Alarm not on."));
        QVERIFY(f.imgOff->isVisibleTo(&f));
        QCOMPARE(w.platform.iconTip, QString());
    }

    void armingStopsAPlayingCd()
    {
        World w;
        Prepare(w);
        w.platform.answer(QStringLiteral("status cd mode"), 0, QStringLiteral("playing"));
        w.platform.clearLog();
        w.main().cmdOnOff_Click();
        QCOMPARE(w.platform.mciCommands(), (QStringList{QStringLiteral("status cd mode"), QStringLiteral("stop cd")}));
        QCOMPARE(w.platform.boxes.size(), size_t{1});
        QCOMPARE(w.platform.boxes[0].text,
                 QStringLiteral("In order to properly set the alarm, Dawnbell has stopped your CD."));
        QCOMPARE(w.main().lblOnOff->text(), On);
    }

    void countdown_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("left");
        QTest::newRow("half a minute before") << QTime(7, 44, 30) << "00:00:30";
        QTest::newRow("just missed") << QTime(7, 45, 1) << "23:59:59";
        QTest::newRow("the evening before") << QTime(22, 15, 0) << "09:30:00";
        QTest::newRow("one second before") << QTime(7, 44, 59, 900) << "00:00:01";
    }
    void countdown()
    {
        QFETCH(QTime, now);
        QFETCH(QString, left);
        World w;
        Prepare(w);
        w.platform.setTime(now.hour(), now.minute(), now.second(), now.msec());
        w.main().Timer1_Timer();  // a first tick while off, so the arming tick has no tick before it
        w.main().cmdOnOff_Click();
        w.main().Timer1_Timer();
        QCOMPARE(w.main().lblTimeLeft->text(), left);
        QCOMPARE(w.main().lblOnOff->text(), On);
        // The tip shows the countdown of the tick before.
        w.main().Timer1_Timer();
        QCOMPARE(w.platform.iconCalls.back(),
                 std::make_pair(NIM_MODIFY, QStringLiteral("Dawnbell - ") + left + QStringLiteral(" remaining")));
    }

    void firesOnceWhateverTheTicks()
    {
        World w;
        w.stored("Alarm/AlarmType", QStringLiteral("1"));
        w.stored("Alarm/AlarmSound", QStringLiteral("/home/sleeper/rooster.wav"));
        Prepare(w);
        frmMain& f = w.main();
        TickAt(w, 7, 44, 59, 950);
        f.cmdOnOff_Click();
        for (int ms = 0; ms < 1000; ms += 75)
            TickAt(w, 7, 45, 0, ms);
        QCOMPARE(Count(w.platform.mciCommands(), QStringLiteral("play Sound")), 1);
        QCOMPARE(f.lblOnOff->text(), Ringing);
        QCOMPARE(w.module.AlarmOn, 0);
        QCOMPARE(w.module.AlarmSounding, -1);
        QCOMPARE(f.lblTimeLeft->text(), QStringLiteral("00:00:00"));
        QVERIFY(f.tmrFlashAlarm->isActive());
        QCOMPARE(w.platform.iconTip, QString());  // no icon to modify while the window is shown
        TickAt(w, 7, 45, 10);
        QCOMPARE(f.lblTimeLeft->text(), QStringLiteral("00:00:00"));
    }

    void twentyFourHourClock()
    {
        World w;
        Prepare(w, QStringLiteral("5:05:09 PM"));
        TickAt(w, 17, 5, 8, 990);
        QCOMPARE(w.main().lblTime->text(), QStringLiteral("5:05:08 PM"));
        w.main().cmdOnOff_Click();
        TickAt(w, 17, 5, 9, 40);
        QCOMPARE(w.main().lblTime->text(), QStringLiteral("5:05:09 PM"));
        QCOMPARE(w.main().lblOnOff->text(), Ringing);
        TickAt(w, 0, 30, 0);
        QCOMPARE(w.main().lblTime->text(), QStringLiteral("12:30:00 AM"));
    }

    void lateTicks_data()
    {
        QTest::addColumn<QString>("alarm");
        QTest::addColumn<QDateTime>("before");
        QTest::addColumn<QDateTime>("after");
        QTest::addColumn<bool>("fires");
        QTest::addColumn<QString>("left");
        const QDate day(2026, 12, 7);
        const QDate next(2026, 12, 8);
        QTest::newRow("busy for three seconds")
            << "7:45:00 AM" << QDateTime(day, QTime(7, 44, 59, 900)) << QDateTime(day, QTime(7, 45, 3)) << true
            << "00:00:00";
        QTest::newRow("a minute's stall")
            << "7:45:00 AM" << QDateTime(day, QTime(7, 44, 30)) << QDateTime(day, QTime(7, 45, 30)) << true
            << "00:00:00";
        QTest::newRow("over midnight")
            << "12:00:00 AM" << QDateTime(day, QTime(23, 59, 59, 500)) << QDateTime(next, QTime(0, 0, 2)) << true
            << "00:00:00";
        QTest::newRow("suspended for two minutes")
            << "7:45:00 AM" << QDateTime(day, QTime(7, 44, 0)) << QDateTime(day, QTime(7, 46, 0)) << false
            << "23:59:00";
        QTest::newRow("suspended overnight")
            << "7:45:00 AM" << QDateTime(day, QTime(23, 0, 0)) << QDateTime(next, QTime(9, 0, 0)) << false
            << "22:45:00";
        QTest::newRow("alarm time already behind both ticks")
            << "7:45:00 AM" << QDateTime(day, QTime(7, 45, 1)) << QDateTime(day, QTime(7, 45, 4)) << false
            << "23:59:56";
        QTest::newRow("not yet")
            << "7:45:00 AM" << QDateTime(day, QTime(7, 44, 50)) << QDateTime(day, QTime(7, 44, 55)) << false
            << "00:00:05";
        QTest::newRow("clock set back")
            << "7:45:00 AM" << QDateTime(day, QTime(7, 46, 0)) << QDateTime(day, QTime(7, 44, 0)) << false
            << "00:01:00";
    }
    void lateTicks()
    {
        QFETCH(QString, alarm);
        QFETCH(QDateTime, before);
        QFETCH(QDateTime, after);
        QFETCH(bool, fires);
        QFETCH(QString, left);
        World w;
        Prepare(w, alarm);
        w.platform.clock = before;
        w.main().cmdOnOff_Click();
        w.main().Timer1_Timer();
        QCOMPARE(w.main().lblOnOff->text(), On);
        w.platform.clock = after;
        w.main().Timer1_Timer();
        QCOMPARE(w.main().lblOnOff->text(), fires ? Ringing : On);
        QCOMPARE(w.main().lblTimeLeft->text(), left);
    }

    void snooze_data()
    {
        QTest::addColumn<QTime>("pressed");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("until");
        QTest::newRow("morning") << QTime(7, 45, 23) << 8 << "7:53:23 AM";
        QTest::newRow("over midnight") << QTime(23, 55, 10) << 8 << "12:03:10 AM";
        QTest::newRow("into one o'clock") << QTime(12, 58, 0) << 5 << "1:03:00 PM";
        QTest::newRow("into noon") << QTime(11, 57, 0) << 5 << "12:02:00 PM";
        QTest::newRow("sixty") << QTime(7, 10, 0) << 60 << "8:10:00 AM";
        QTest::newRow("ninety carries an hour and a half") << QTime(7, 10, 0) << 90 << "8:40:00 AM";
        QTest::newRow("zero counts as one") << QTime(7, 10, 0) << 0 << "7:11:00 AM";
    }
    void snooze()
    {
        QFETCH(QTime, pressed);
        QFETCH(int, minutes);
        QFETCH(QString, until);
        World w;
        w.stored("Alarm/AllowSnooze", QStringLiteral("1"));
        w.stored("Alarm/SnoozeTime", QString::number(minutes));
        Prepare(w, TimeText(pressed));
        frmMain& f = w.main();
        TickAt(w, pressed.hour(), pressed.minute(), pressed.second());
        f.cmdOnOff_Click();
        TickAt(w, pressed.hour(), pressed.minute(), pressed.second(), 100);
        QCOMPARE(f.lblOnOff->text(), Ringing);
        QVERIFY(f.cmdSnooze->isEnabled());
        w.platform.clearLog();
        f.cmdSnooze_Click();
        QCOMPARE(f.lblAlarm->text(), until);
        QCOMPARE(w.module.AlarmAt, until);
        QCOMPARE(f.Label3->text(), QStringLiteral("Snooze until:"));
        QCOMPARE(f.lblOnOff->text(), On);
        QCOMPARE(f.cmdOnOff->text(), QStringLiteral("Turn &alarm OFF"));
        QCOMPARE(w.module.AlarmOn, 1);
        QCOMPARE(w.module.AlarmSounding, 0);
        QVERIFY(!f.cmdSnooze->isEnabled());
        QVERIFY(w.platform.mciCommands().contains(QStringLiteral("close cd")));  // silenced
        // Turning off after a snooze brings back the time the user set.
        f.cmdOnOff_Click();
        QCOMPARE(f.lblAlarm->text(), TimeText(pressed));
        QCOMPARE(f.Label3->text(), QStringLiteral("Alarm set for:"));
    }

    void snoozeRingsAgainAndTheSingleSnoozeRule_data()
    {
        QTest::addColumn<int>("multiple");
        QTest::addColumn<bool>("secondOffer");
        QTest::newRow("one snooze") << 0 << false;
        QTest::newRow("many snoozes") << 1 << true;
    }
    void snoozeRingsAgainAndTheSingleSnoozeRule()
    {
        QFETCH(int, multiple);
        QFETCH(bool, secondOffer);
        World w;
        w.stored("Alarm/AllowSnooze", QStringLiteral("1"));
        w.stored("Alarm/AllowMultipleSnoozes", QString::number(multiple));
        Prepare(w);
        frmMain& f = w.main();
        TickAt(w, 7, 44, 59, 960);
        f.cmdOnOff_Click();
        TickAt(w, 7, 45, 0, 10);
        QVERIFY(f.cmdSnooze->isEnabled());
        TickAt(w, 7, 45, 20);
        f.cmdSnooze_Click();
        QCOMPARE(f.lblAlarm->text(), QStringLiteral("7:53:20 AM"));
        TickAt(w, 7, 53, 19, 950);
        TickAt(w, 7, 53, 20, 20);
        QCOMPARE(f.lblOnOff->text(), Ringing);
        QCOMPARE(f.cmdSnooze->isEnabled(), secondOffer);
        // A new arming offers the one snooze again.
        f.cmdOnOff_Click();
        f.cmdOnOff_Click();
        TickAt(w, 7, 44, 59, 960);
        TickAt(w, 7, 45, 0, 20);
        QCOMPARE(f.lblOnOff->text(), Ringing);
        QVERIFY(f.cmdSnooze->isEnabled());
    }

    void turningARingingAlarmOff_data()
    {
        QTest::addColumn<bool>("cdOff");
        QTest::newRow("sources silenced") << true;
        QTest::newRow("sources play on") << false;
    }
    void turningARingingAlarmOff()
    {
        QFETCH(bool, cdOff);
        World w;
        w.stored("Settings/CDOffWithAlarm", cdOff ? QStringLiteral("1") : QStringLiteral("0"));
        Prepare(w);
        frmMain& f = w.main();
        TickAt(w, 7, 44, 59, 960);
        f.cmdOnOff_Click();
        TickAt(w, 7, 45, 0, 10);
        QCOMPARE(f.lblOnOff->text(), Ringing);
        w.platform.answer(QStringLiteral("status cd mode"), 0, QStringLiteral("playing"));
        w.platform.clearLog();
        f.cmdOnOff_Click();
        QCOMPARE(f.lblOnOff->text(), Off);
        QCOMPARE(w.module.AlarmSounding, 0);
        QCOMPARE(w.module.AlarmOn, 0);
        QCOMPARE(f.lblAlarm->text(), QStringLiteral("7:45:00 AM"));
        QVERIFY(!f.cmdSnooze->isEnabled());
        QCOMPARE(w.platform.mciCommands().contains(QStringLiteral("close cd")), cdOff);
        QCOMPARE(w.module.CDOpen, cdOff ? 0 : -1);
        TickAt(w, 7, 45, 2);
        QCOMPARE(f.mnuOffNow->isEnabled(), !cdOff);
        QVERIFY(!f.tmrFlashAlarm->isActive());
        if (!cdOff) {
            f.mnuOffNow_Click();
            QVERIFY(w.platform.mciCommands().contains(QStringLiteral("close cd")));
            QVERIFY(!f.mnuOffNow->isEnabled());
        }
    }

    void keys()
    {
        World w;
        w.stored("Alarm/AllowSnooze", QStringLiteral("1"));
        w.stored("Alarm/AllowMultipleSnoozes", QStringLiteral("1"));
        Prepare(w);
        frmMain& f = w.main();
        const auto ring = [&] {
            f.lblAlarm->setText(QStringLiteral("7:45:00 AM"));
            if (f.lblOnOff->text() == Off)
                f.cmdOnOff_Click();
            TickAt(w, 7, 44, 59, 960);
            TickAt(w, 7, 45, 0, 10);
            QCOMPARE(f.lblOnOff->text(), Ringing);
        };
        // Space anywhere snoozes, and the focused button is not pressed by it as well.
        ring();
        QTest::keyClick(f.cmdOnOff, Qt::Key_Space);
        QCOMPARE(f.Label3->text(), QStringLiteral("Snooze until:"));
        QCOMPARE(f.lblOnOff->text(), On);
        // Enter turns an armed alarm off.
        QTest::keyClick(f.txtAlarm, Qt::Key_Return);
        QCOMPARE(f.lblOnOff->text(), Off);
        // Enter on the snooze button turns a ringing alarm off rather than snoozing.
        ring();
        QTest::keyClick(f.cmdSnooze, Qt::Key_Return);
        QCOMPARE(f.lblOnOff->text(), Off);
        // S on the message button snoozes.
        ring();
        QTest::keyClick(f.cmdHideMessage, Qt::Key_S);
        QCOMPARE(f.Label3->text(), QStringLiteral("Snooze until:"));
        // With snooze unavailable, Space on the on/off button is just a press of that button.
        f.cmdOnOff_Click();
        QVERIFY(!f.cmdSnooze->isEnabled());
        QTest::keyClick(f.cmdOnOff, Qt::Key_Space);
        QCOMPARE(f.lblOnOff->text(), On);
    }

    void closing_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<QString>("box");
        QTest::newRow("off") << Off << 0 << true << "";
        QTest::newRow("armed, Yes") << On << 6 << true
                                    << "If you exit Dawnbell, then the alarm you have set will not go off.  Exit anyway?";
        QTest::newRow("armed, No") << On << 7 << false
                                   << "If you exit Dawnbell, then the alarm you have set will not go off.  Exit anyway?";
        QTest::newRow("ringing") << Ringing << 0 << false << "You must turn off the alarm before you exit.";
    }
    void closing()
    {
        QFETCH(QString, state);
        QFETCH(int, answer);
        QFETCH(bool, ends);
        QFETCH(QString, box);
        World w;
        Prepare(w);
        frmMain& f = w.main();
        if (state != Off) {
            TickAt(w, 7, 44, 59, 960);
            f.cmdOnOff_Click();
        }
        if (state == Ringing)
            TickAt(w, 7, 45, 0, 10);
        if (answer)
            w.platform.boxAnswers.push_back(answer);
        f.close();
        QCOMPARE(w.module.ProgramEnded, ends);
        if (box.isEmpty()) {
            QVERIFY(w.platform.boxes.empty());
        } else {
            QCOMPARE(w.platform.boxes.size(), size_t{1});
            QCOMPARE(w.platform.boxes[0].text, box);
        }
        QCOMPARE(f.lblOnOff->text(), state);
        QCOMPARE(f.Timer1->isActive(), !ends);
    }

    void notificationAreaAndCaption()
    {
        World w;
        w.stored("Settings/ShowInNotify", QStringLiteral("1"));
        w.stored("Settings/ShowTimeRemaining", QStringLiteral("1"));
        Prepare(w);
        frmMain& f = w.main();
        TickAt(w, 7, 0, 0);
        QVERIFY(!w.platform.iconShown);
        f.setWindowState(Qt::WindowMinimized);
        TickAt(w, 7, 0, 1);
        QVERIFY(!f.isVisible());
        QVERIFY(w.platform.iconShown);
        QCOMPARE(w.platform.iconTip, QStringLiteral("Dawnbell - No alarm set"));
        f.cmdOnOff_Click();
        TickAt(w, 7, 0, 2);
        TickAt(w, 7, 0, 3);
        QCOMPARE(w.platform.iconTip, QStringLiteral("Dawnbell - 00:44:58 remaining"));
        // A double click on the icon brings the window back and removes the icon.
        w.platform.iconCallback(WM_LBUTTONDBLCLK);
        QVERIFY(f.isVisible());
        QVERIFY(!f.IsMinimized());
        QVERIFY(!w.platform.iconShown);
        w.platform.iconCallback(WM_RBUTTONUP);
        QCOMPARE(w.platform.popups, 1);

        // Minimized to the taskbar, the caption carries the countdown; restored, it is "Dawnbell" again.
        w.settings().ShowInNotify = 0;
        f.setWindowState(Qt::WindowMinimized);
        TickAt(w, 7, 0, 4);
        TickAt(w, 7, 0, 5);
        QCOMPARE(f.windowTitle(), QStringLiteral("Dawnbell - 00:44:56"));
        f.setWindowState(Qt::WindowNoState);
        TickAt(w, 7, 0, 6);
        QCOMPARE(f.windowTitle(), QStringLiteral("Dawnbell"));
    }

    void statusIcons_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("flags");  // AllowSnooze, GradualWakeup, SleepEnabled
        QTest::addColumn<QString>("shown");  // letters: C cd, M midi, W wave, Z snooze, G gradual, S sleep
        QTest::newRow("CD only, nothing else") << "2" << "000" << "C";
        QTest::newRow("CD and sound") << "0" << "100" << "CWZ";
        QTest::newRow("MIDI only") << "3" << "010" << "MG";
        QTest::newRow("MIDI and sound") << "4" << "001" << "MWS";
    }
    void statusIcons()
    {
        QFETCH(QString, type);
        QFETCH(QString, flags);
        QFETCH(QString, shown);
        World w;
        w.stored("Alarm/AlarmType", type);
        w.stored("Alarm/AllowSnooze", flags.mid(0, 1));
        w.stored("Alarm/GradualWakeup", flags.mid(1, 1));
        w.stored("Settings/SleepEnabled", flags.mid(2, 1));
        Prepare(w);
        frmMain& f = w.main();
        TickAt(w, 7, 0, 0);
        const std::pair<QLabel*, QChar> icons[] = {{f.imgCD, u'C'},      {f.imgMIDI, u'M'},    {f.imgWave, u'W'},
                                                   {f.imgSnooze, u'Z'},  {f.imgGradual, u'G'}, {f.imgSleep, u'S'}};
        for (const auto& [icon, letter] : icons)
            QCOMPARE(icon->isVisibleTo(&f), shown.contains(letter));
    }

    void minimizingARingingAlarm_data()
    {
        QTest::addColumn<QString>("dialog5");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<int>("notes");
        QTest::newRow("warned") << "1" << false << 1;
        QTest::newRow("warned, then not again") << "1" << true << 1;
        QTest::newRow("warning switched off") << "0" << false << 0;
    }
    void minimizingARingingAlarm()
    {
        QFETCH(QString, dialog5);
        QFETCH(bool, tick);
        QFETCH(int, notes);
        World w;
        w.stored("Settings/Dialog5", dialog5);
        Prepare(w);
        frmMain& f = w.main();
        TickAt(w, 7, 44, 59, 960);
        f.cmdOnOff_Click();
        TickAt(w, 7, 45, 0, 10);
        QString text;
        w.platform.onModal = [&](QDialog& form) {
            text = form.findChild<QLabel*>(QStringLiteral("lblText"))->text();
            if (tick)
                form.findChild<QAbstractButton*>(QStringLiteral("chkShow"))->click();
            return 1;
        };
        f.setWindowState(Qt::WindowMinimized);
        QVERIFY(!f.IsMinimized());
        QCOMPARE(w.platform.modalForms, notes);
        if (notes)
            QCOMPARE(text, QStringLiteral("You must turn off the alarm or activate the snooze button before "
                                          "minimizing Dawnbell."));
        f.setWindowState(Qt::WindowMinimized);
        QVERIFY(!f.IsMinimized());
        QCOMPARE(w.platform.modalForms, notes == 0 ? 0 : (tick ? 1 : 2));
        // Once turned off, the window may be minimized.
        f.cmdOnOff_Click();
        f.setWindowState(Qt::WindowMinimized);
        QVERIFY(f.IsMinimized());
    }

    void alarmMessagePanel()
    {
        World w;
        Prepare(w);
        frmMain& f = w.main();
        f.txtAlarm->setPlainText(QStringLiteral("Take the cake out of the freezer."));
        w.module.HasAlarmMessage = 1;
        TickAt(w, 7, 44, 59, 960);
        f.cmdOnOff_Click();
        TickAt(w, 7, 45, 0, 10);
        QCOMPARE(f.HeightTwips(), MessageHeightTwips);
        QCOMPARE(f.txtAlarm->pos(), QPoint(0, 111));
        QVERIFY(f.chk1->hasFocus() || f.focusWidget() == f.chk1);
        f.cmdHideMessage_Click();
        QCOMPARE(f.HeightTwips(), NormalHeightTwips);
        QCOMPARE(f.txtAlarm->y(), 166);
        QCOMPARE(f.lblOnOff->text(), Ringing);  // hiding the message is no resize by the user
        QCOMPARE(w.platform.modalForms, 0);
        // An empty message is no message.
        f.txtAlarm->clear();
        TickAt(w, 7, 45, 1);
        QCOMPARE(w.module.HasAlarmMessage, 0);
    }
};

QTEST_MAIN(TestAlarmStates)
#include "test_alarm_states.moc"
