// The clock tick and the alarm's states: arming, firing (once, late ticks, suspend gaps), snooze, turning off,
// the keys, the notification area and the caption, the minimize warning and the message panel.
// The countdown and snooze arithmetic on time texts is the text rules' test; here is what the window does.

#include "tests/fakes/World.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QTimer>
#include <QStatusBar>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestAlarmStates : public QObject {
    Q_OBJECT
private slots:
    void armThenDisarm()
    {
        World w;
        w.startWithDisc();
        frmMain& f = w.form;
        const auto sourceMenusEnabled = [&](bool enabled) {
            for (QAction* source : {f.mnuCD, f.mnuCDAndSound, f.mnuAlarm, f.mnuAlarmSound})
                QCOMPARE(source->isEnabled(), enabled);
        };
        // Arming while a CD plays stops the CD first.
        w.platform.answer(u"status cd mode"_s, 0, u"playing"_s);
        w.platform.clearLog();
        w.arm();
        QCOMPARE(w.platform.mciCommands(), (QStringList{u"status cd mode"_s, u"stop cd"_s}));
        QCOMPARE(w.boxTexts(), QStringList{u"In order to properly set the alarm, Dawnbell has stopped your CD."_s});
        sourceMenusEnabled(false);
        w.tickAt(7, 44, 30);
        QVERIFY(f.imgOn->isVisibleTo(&f) && !f.imgOff->isVisibleTo(&f));

        f.cmdOnOff_Click();
        QCOMPARE(w.alarmState(), World::IsOff);
        sourceMenusEnabled(true);
        w.tickAt(7, 44, 32);
        QCOMPARE(f.lblTimeLeft->text(), u"Alarm not on."_s);
        QVERIFY(f.imgOff->isVisibleTo(&f) && !f.imgOn->isVisibleTo(&f));
    }

    void firesOnceWhateverTheTicks()
    {
        World w{{"Alarm/AlarmType", "1"}};
        w.startWithDisc();
        frmMain& f = w.form;
        w.tickAt(7, 44, 59, 950);
        w.arm();
        for (int ms = 0; ms < 1000; ms += 75)
            w.tickAt(7, 45, 0, ms);
        QCOMPARE(w.platform.mciCommands().count(u"play Sound"_s), 1);
        w.tickAt(7, 45, 10);
        QCOMPARE(f.lblTimeLeft->text(), u"00:00:00"_s);  // kept while it rings
        // The pictures flash.
        QVERIFY(f.tmrFlashAlarm->isActive());
        const bool onBefore = f.imgOn->isVisibleTo(&f);
        f.tmrFlashAlarm_Timer();
        QVERIFY(f.imgOn->isVisibleTo(&f) != onBefore && f.imgOff->isVisibleTo(&f) == onBefore);
        f.tmrFlashAlarm_Timer();
        QCOMPARE(f.imgOn->isVisibleTo(&f), onBefore);
    }

    void lateTicks_data()
    {
        QTest::addColumn<QString>("alarm");
        QTest::addColumn<QDateTime>("before");
        QTest::addColumn<QDateTime>("after");
        QTest::addColumn<QString>("left");  // after the second tick; "" when it rings
        const auto at = [](int day, int h, int m, int s, int ms = 0) {
            return QDateTime(QDate(2026, 12, day), QTime(h, m, s, ms));
        };
        QTest::newRow("a minute's stall") << "7:45:00 AM" << at(7, 7, 44, 30) << at(7, 7, 45, 30) << "";
        QTest::newRow("over midnight") << "12:00:00 AM" << at(7, 23, 59, 59, 500) << at(8, 0, 0, 2) << "";
        QTest::newRow("suspended for two minutes") << "7:45:00 AM" << at(7, 7, 44, 0) << at(7, 7, 46, 0) << "23:59:00";
        QTest::newRow("already behind both ticks") << "7:45:00 AM" << at(7, 7, 45, 1) << at(7, 7, 45, 4) << "23:59:56";
        QTest::newRow("clock set back") << "7:45:00 AM" << at(7, 7, 46, 0) << at(7, 7, 44, 0) << "00:01:00";
    }
    void lateTicks()
    {
        QFETCH(QString, alarm);
        QFETCH(QDateTime, before);
        QFETCH(QDateTime, after);
        QFETCH(QString, left);
        World w{{"Alarm/AlarmTime", alarm}};
        w.startWithDisc();
        w.platform.clock = before;
        w.arm();
        w.form.Timer1_Timer();
        QCOMPARE(w.state(), World::On);
        w.platform.clock = after;
        w.form.Timer1_Timer();
        QCOMPARE(w.state(), left.isEmpty() ? World::Ringing : World::On);
        QCOMPARE(w.form.lblTimeLeft->text(), left.isEmpty() ? u"00:00:00"_s : left);
    }

    void snooze_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("until");
        QTest::newRow("eight minutes") << 8 << "7:53:20 AM";
        QTest::newRow("zero minutes count as one") << 0 << "7:46:20 AM";
    }
    void snooze()
    {
        QFETCH(int, minutes);
        QFETCH(QString, until);
        World w{{"Alarm/AllowSnooze", "1"}, {"Alarm/SnoozeTime", QString::number(minutes)}};
        w.startWithDisc();
        frmMain& f = w.form;
        QVERIFY(w.ring());
        w.tickAt(7, 45, 20);
        f.cmdSnooze_Click();
        // Armed again `minutes` after the press, keeping its seconds. (What a snooze silences is the MIDI file's
        // and the tone's tests; whether the alarm then offers another snooze, the notification's.)
        QCOMPARE(f.lblAlarm->text(), until);
        QVERIFY(!f.cmdSnooze->isEnabled());
        QVERIFY(w.ring(ParseTimeText(until)));
        // Turning off brings back the time the user set, and a new arming offers the one snooze again.
        f.cmdOnOff_Click();
        QCOMPARE(f.lblAlarm->text(), u"7:45:00 AM"_s);
        QCOMPARE(f.Label3->text(), u"Alarm set for:"_s);
        QVERIFY(w.ring());
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
        World w{{"Settings/CDOffWithAlarm", cdOff ? "1" : "0"}};
        w.startWithDisc();
        frmMain& f = w.form;
        QVERIFY(w.ring());
        w.platform.answer(u"status cd mode"_s, 0, u"playing"_s);
        w.platform.clearLog();
        f.cmdOnOff_Click();
        QCOMPARE(w.platform.mciCommands().contains(u"close cd"_s), cdOff);
        w.tickAt(7, 45, 2);
        QCOMPARE(f.mnuOffNow->isEnabled(), !cdOff);
        QVERIFY(!f.tmrFlashAlarm->isActive());
        if (!cdOff) {
            f.mnuOffNow_Click();
            QVERIFY(w.platform.mciCommands().contains(u"close cd"_s));
            QVERIFY(!f.mnuOffNow->isEnabled());
        }
    }

    void keys()
    {
        World w{{"Alarm/AllowSnooze", "1"}, {"Alarm/AllowMultipleSnoozes", "1"}};
        w.startWithDisc();
        frmMain& f = w.form;
        // Space anywhere snoozes, and the focused button is not pressed by it as well.
        QVERIFY(w.ring());
        QTest::keyClick(f.cmdOnOff, Qt::Key_Space);
        QCOMPARE(f.Label3->text(), u"Snooze until:"_s);
        // Enter turns an armed alarm off.
        QTest::keyClick(f.txtAlarm, Qt::Key_Return);
        QCOMPARE(w.state(), World::Off);
        // Enter on the snooze button turns a ringing alarm off rather than snoozing.
        QVERIFY(w.ring());
        QTest::keyClick(f.cmdSnooze, Qt::Key_Return);
        QCOMPARE(w.state(), World::Off);
        // S on the message button snoozes.
        QVERIFY(w.ring());
        QTest::keyClick(f.cmdHideMessage, Qt::Key_S);
        QCOMPARE(f.Label3->text(), u"Snooze until:"_s);
        // With snooze unavailable, Space on the on/off button is just a press of that button.
        f.cmdOnOff_Click();
        QVERIFY(!f.cmdSnooze->isEnabled());
        QTest::keyClick(f.cmdOnOff, Qt::Key_Space);
        QCOMPARE(w.state(), World::On);
    }

    void notificationAreaAndCaption()
    {
        World w{{"Settings/ShowInNotify", "1"}, {"Settings/ShowTimeRemaining", "1"}};
        w.startWithDisc();
        frmMain& f = w.form;
        w.tickAt(7, 0, 0);
        QVERIFY(!w.platform.iconShown);
        f.setWindowState(Qt::WindowMinimized);
        w.tickAt(7, 0, 1);
        QVERIFY(!f.isVisible() && w.platform.iconShown);
        QCOMPARE(w.platform.iconTip, u"Dawnbell - No alarm set"_s);
        w.arm();
        w.tickAt(7, 0, 2);
        w.tickAt(7, 0, 3);
        QCOMPARE(w.platform.iconTip, u"Dawnbell - 00:44:58 remaining"_s);
        // A double click on the icon brings the window back and removes the icon.
        w.platform.iconCallback(WM_LBUTTONDBLCLK);
        QVERIFY(f.isVisible() && !f.IsMinimized() && !w.platform.iconShown);
        w.platform.iconCallback(WM_RBUTTONUP);
        QCOMPARE(w.platform.popups, 1);
        // Minimized to the taskbar, the caption carries the countdown; restored, it is "Dawnbell" again.
        w.settings().ShowInNotify = 0;
        f.setWindowState(Qt::WindowMinimized);
        w.tickAt(7, 0, 4);
        w.tickAt(7, 0, 5);
        QCOMPARE(f.windowTitle(), u"Dawnbell - 00:44:56"_s);
        f.setWindowState(Qt::WindowNoState);
        w.tickAt(7, 0, 6);
        QCOMPARE(f.windowTitle(), u"Dawnbell"_s);
    }

    void minimizingARingingAlarm_data()
    {
        QTest::addColumn<QString>("dialog5");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QList<int>>("notes");  // information dialogs shown after the first and second attempt
        QTest::newRow("warned each time") << "1" << false << QList<int>{1, 2};
        QTest::newRow("warned, then not again") << "1" << true << QList<int>{1, 1};
        QTest::newRow("warning switched off") << "0" << false << QList<int>{0, 0};
    }
    void minimizingARingingAlarm()
    {
        QFETCH(QString, dialog5);
        QFETCH(bool, tick);
        QFETCH(QList<int>, notes);
        World w{{"Settings/Dialog5", dialog5}};
        w.startWithDisc();
        frmMain& f = w.form;
        QVERIFY(w.ring());
        QStringList texts;
        w.platform.onModal = [&](QDialog& form) {
            texts << form.findChild<QLabel*>(u"lblText"_s)->text();
            if (tick)
                form.findChild<QAbstractButton*>(u"chkShow"_s)->click();
            return 1;
        };
        for (int attempt : {0, 1}) {
            f.setWindowState(Qt::WindowMinimized);
            QVERIFY(!f.IsMinimized());
            QCOMPARE(w.platform.modalForms, notes[attempt]);
        }
        if (!texts.isEmpty())
            QCOMPARE(texts[0],
                     u"You must turn off the alarm or activate the snooze button before minimizing Dawnbell."_s);
        // Once turned off, the window may be minimized.
        f.cmdOnOff_Click();
        f.setWindowState(Qt::WindowMinimized);
        QVERIFY(f.IsMinimized());
    }

    void alarmMessagePanel()
    {
        World w;
        w.startWithDisc();
        frmMain& f = w.form;
        f.txtAlarm->setPlainText(u"Take the cake out of the freezer."_s);
        w.module.HasAlarmMessage = 1;
        QVERIFY(w.ring());
        QCOMPARE(f.HeightTwips(), MessageHeightTwips);
        QVERIFY(f.txtAlarm->y() > f.FrameOptions->geometry().bottom());  // below the status icons, all in sight
        QVERIFY(f.cmdHideMessage->geometry().bottom() < f.SBar->y());
        for (QWidget* control : {static_cast<QWidget*>(f.txtAlarm), static_cast<QWidget*>(f.cmdHideMessage)})
            QVERIFY(f.centralWidget()->rect().contains(control->geometry()));
        QCOMPARE(f.focusWidget(), f.chk1);
        f.cmdHideMessage_Click();
        QCOMPARE(f.HeightTwips(), NormalHeightTwips);
        QCOMPARE(f.txtAlarm->y(), 166);
        // An empty message is no message.
        f.txtAlarm->clear();
        w.tickAt(7, 45, 1);
        QCOMPARE(w.module.HasAlarmMessage, 0);
    }
};

QTEST_MAIN(TestAlarmStates)
#include "test_alarm_states.moc"
