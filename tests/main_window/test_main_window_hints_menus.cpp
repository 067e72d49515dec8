// The main window's hover hints and highlight, its Help menu with the shell's result codes, the about and
// version boxes around an armed alarm, the sound chooser, a desktop without a notification area, the window's
// heights and what a screen reader and the keyboard reach.

#include "resources/DataFolder.h"
#include "tests/fakes/World.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QEnterEvent>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

namespace {

const QString Notice = QStringLiteral("A notice.");

// Start-up at 7:00:00 AM with a CD drive, a sound file and a MIDI file.
void Start(World& w)
{
    w.stored("Alarm/AlarmSound", QStringLiteral("/home/sleeper/Music/Alarms/Morning/chimes.wav"));
    w.stored("Alarm/MidiSound", QStringLiteral("/home/sleeper/wake.mid"));
    w.stored("Alarm/CDStartTrack", QStringLiteral("3"));
    w.startWithDisc();
    w.main().Timer1_Timer();
}

struct HintRow {
    const char* controls;  // separated by blanks: each gives the same hint
    bool shown;            // the status icons are shown
    int minutes;
    const char* text;  // nullptr: the notice, the reset text here
    int border;        // -1: unchanged
};
const char* const Same = "<unchanged>";
const HintRow HintRows[] = {
    {"FrameOptions", true, 8, nullptr, 1},
    {"cmdOnOff cmdSnooze lblOnOff SBar Label2 Label3 lblAlarm lblTimeLeft lblTimeUntil frmMain client", true, 8, nullptr, 0},
    {"lblTime", true, 8, Same, 0},
    {"cmdHideMessage txtAlarm", true, 8, nullptr, -1},
    {"Image1", true, 8, "Current time: 7:00:00 AM", 0},
    {"Image2", true, 8, "Change alarm settings", 0},
    {"imgOn imgOff", true, 8, "Alarm is off.", 0},
    {"imgSnooze", true, 1, "Snooze is enabled and set for 1 minute.", 0},
    {"imgSnooze", true, 8, "Snooze is enabled and set for 8 minutes.", 0},
    {"imgCD", true, 8, "Alarm will play CD in drive E: starting on track 3", -1},
    {"imgWave", true, 8, "Alarm will play sound file: /home/sleeper/Music/Al.../chimes.wav", -1},
    {"imgWave", true, -1, "Alarm will loop sound file: /home/sleeper/Music/Al.../chimes.wav", -1},  // -1: looping
    {"imgMIDI", true, 8, "Alarm will play MIDI file: /home/sleeper/wake.mid", -1},
    {"imgGradual", true, 1, "Gradual wake-up enabled and set to reach full volume in 1 minute", -1},
    {"imgGradual", true, 4, "Gradual wake-up enabled and set to reach full volume in 4 minutes", -1},
    {"imgSleep", true, 1, "Sleep will play the CD for 1 minute", -1},
    {"imgSleep", true, 15, "Sleep will play the CD for 15 minutes", -1},
    {"imgCD imgWave imgMIDI imgGradual imgSleep", false, 8, nullptr, -1},
};

}  // namespace

class TestMainWindowHintsMenus : public QObject {
    Q_OBJECT
private slots:
    // Every row of the hover table: the status bar text (or none) and FrameOptions' border (or none), with the
    // status icons shown or hidden and one or many minutes.
    void hoverTable_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(HintRows)); ++i)
            QTest::addRow("%s, %s, %d", HintRows[i].controls, HintRows[i].shown ? "shown" : "hidden", HintRows[i].minutes) << i;
    }
    void hoverTable()
    {
        QFETCH(int, row);
        const HintRow& r = HintRows[row];
        World w;
        Start(w);
        frmMain& f = w.main();
        Settings& s = w.settings();
        s.SnoozeTime = s.GradVolumeMinutes = s.SleepTime = static_cast<int16_t>(r.minutes < 0 ? 8 : r.minutes);
        s.LoopSound = r.minutes < 0 ? -1 : 0;
        s.AllowSnooze = 1;
        s.GradualWakeup = s.SleepEnabled = s.MidiAlarm = r.shown ? 1 : 0;
        f.SetAlarmSources({r.shown, false, false});
        f.Timer1_Timer();
        w.module.GiveNotice(Notice);
        for (const QString& name : QString::fromLatin1(r.controls).split(u' ')) {
            f.SetStatusText(QLatin1String(Same));
            f.FrameOptions->setFrameShape(r.border == 1 ? QFrame::NoFrame : QFrame::Box);
            f.Control_MouseMove(name == QLatin1String("frmMain") ? &f : f.findChild<QWidget*>(name));
            QVERIFY2(f.StatusText() == (r.text ? QLatin1String(r.text) : Notice), qPrintable(name + u' ' + f.StatusText()));
            QVERIFY2(f.FrameOptions->frameShape() == (r.border == 0 ? QFrame::NoFrame : QFrame::Box), qPrintable(name));
        }
    }

    // The mouse reaches the table through the controls' own events, a control inside another included.
    void hoverEventsReachTheTable()
    {
        World w;
        Start(w);
        frmMain& f = w.main();
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(f.Image2, &enter);
        QCOMPARE(f.StatusText(), QStringLiteral("Change alarm settings"));
        const auto move = [](QWidget* widget, QPoint at) {
            QMouseEvent event(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
            QCoreApplication::sendEvent(widget, &event);
        };
        move(f.imgCD, QPoint(3, 3));  // the icon ignores the move, which goes on to FrameOptions
        QCOMPARE(f.StatusText(), QStringLiteral("Alarm will play CD in drive E: starting on track 3"));
        move(f.FrameOptions, QPoint(f.FrameOptions->width() - 2, 2));  // beside the icons
        QCOMPARE(f.StatusText(), QString());
    }

    void helpItemsOpenTheirAddresses()
    {
        World w;
        Start(w);
        QStringList expected{DawnbellDataFolder() + QStringLiteral("/help.txt")};
        w.main().mnuHowHelp->trigger();
        for (auto [item, path] : {std::pair{"mnuQA", "/qa.html"}, {"mnuAddin", "/addins.html"},
                                  {"mnuUpdate", "/updates.html"}, {"mnuBug", "/bug.html"},
                                  {"mnuFeatures", "/suggest.html"}, {"mnuMailing", "/mail_list.html"}, {"mnuHome", ""}}) {
            w.main().findChild<QAction*>(QLatin1String(item))->trigger();
            expected << DawnbellWebAddress(QStringLiteral("/dawnbell") + QLatin1String(path));
        }
        QCOMPARE(w.platform.shellOpened, expected);
        QVERIFY(w.platform.boxes.empty());
    }

    void shellResultsToMessages_data()
    {
        QTest::addColumn<bool>("web");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");  // empty: none
        QTest::newRow("web 31") << true << 31 << "You do not have a web browser installed or your network is not connected.";
        QTest::newRow("web 3") << true << 3 << "Dawnbell cannot find your web browser.  Make sure that it is properly installed.";
        QTest::newRow("web 0") << true << 0 << "Not enough memory to launch the web browser.";
        QTest::newRow("web 27") << true << 27 << "An error occurred which made it impossible to launch the web browser to "
                                                 "connect to this page.  The problem could be with your web browser, or "
                                                 "it could be with your network.  Error =  27";
        QTest::newRow("web 25") << true << 25 << QString();
        for (int r : {2, 30})
            QTest::addRow("document %d", r) << false << r
                                            << "An error occurred which made it impossible for Dawnbell to launch your "
                                               ".TXT (Plain Text) viewer.  You can view the Questions and Answers "
                                               "document yourself by opening it up in your favorite word processor.  "
                                               "Error =  " + QString::number(r);
        QTest::newRow("document 0") << false << 0 << "Not enough memory to launch the .TXT viewer.";
    }
    void shellResultsToMessages()
    {
        QFETCH(bool, web);
        QFETCH(int, result);
        QFETCH(QString, message);
        World w;
        Start(w);
        w.platform.shellOpenResult = result;
        (web ? w.main().mnuBug : w.main().mnuHowHelp)->trigger();
        QCOMPARE(w.platform.boxes.size(), size_t(message.isEmpty() ? 0 : 1));
        if (!message.isEmpty()) {
            QCOMPARE(w.platform.boxes[0].text, message);
            QCOMPARE(w.platform.boxes[0].style, 0);
        }
    }

    // The box opens with the alarm off; afterwards the alarm is on again at the time it was turned on with.
    void boxesAroundTheAlarm_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("steps");  // 0 off, 1 armed, 2 sounding, 3 snoozing
        for (const char* box : {"frmAbout", "frmVersion"}) {
            for (int steps : {0, 1, 2, 3})
                QTest::addRow("%s, %s", box, std::array{"off", "armed", "sounding", "snoozing"}[steps]) << box << steps;
        }
    }
    void boxesAroundTheAlarm()
    {
        QFETCH(QString, box);
        QFETCH(int, steps);
        World w;
        Start(w);
        frmMain& f = w.main();
        if (steps >= 1)
            f.cmdOnOff_Click();
        if (steps >= 2)
            w.module.SoundAlarm();
        if (steps >= 3)
            f.cmdSnooze_Click();
        QString shown, stateInside;
        w.platform.onModal = [&](QDialog& form) {
            shown = form.objectName();
            stateInside = f.lblOnOff->text() + QString::number(w.module.AlarmSounding);
            return 1;
        };
        (box == QLatin1String("frmAbout") ? f.mnuAbout : f.mnuVersion)->trigger();
        QCOMPARE(shown, box);
        QCOMPARE(stateInside, QStringLiteral("Alarm is off.0"));
        QCOMPARE(f.lblOnOff->text(), steps == 0 ? QStringLiteral("Alarm is off.") : QStringLiteral("Alarm is on."));
        QCOMPARE(f.lblAlarm->text() + f.Label3->text(), QStringLiteral("7:45:00 AMAlarm set for:"));  // no snooze
    }

    // The chooser offers every kind of file the engine plays; a new file takes the place of the one opened at
    // start-up, so that the alarm plays the file the user chose.
    void soundChooser()
    {
        World w;
        Start(w);
        w.platform.clearLog();
        w.platform.fileAnswers = {QStringLiteral(" /home/sleeper/birds.flac ")};
        w.main().mnuAlarmSound_Click();
        QCOMPARE(w.settings().AlarmSound, QStringLiteral("/home/sleeper/birds.flac"));
        QCOMPARE(w.platform.fileRequests.at(0).filters.mid(4),
                 (QStringList{"Other sound files (*.flac *.ogg *.oga *.aif *.aiff)", "*.flac;*.ogg;*.oga;*.aif;*.aiff"}));
        QCOMPARE(w.platform.mciCommands(),
                 (QStringList{"status Sound mode", "close Sound", "open \"/home/sleeper/birds.flac\" alias Sound"}));
    }

    // Without a notification area the minimized window stays on the taskbar with the countdown in its caption,
    // and the user is told why, once.
    void noNotificationArea()
    {
        World w;
        w.platform.trayAvailable = false;
        w.stored("Settings/ShowInNotify", QStringLiteral("1"));
        w.stored("Settings/ShowTimeRemaining", QStringLiteral("1"));
        Start(w);
        frmMain& f = w.main();
        f.show();
        f.cmdOnOff_Click();
        int second = 0;
        for (const QString& notice : {QStringLiteral("No notification area: Dawnbell minimizes to the taskbar."), QString()}) {
            f.setWindowState(Qt::WindowMinimized);
            w.tickAt(7, 0, ++second);
            w.tickAt(7, 0, ++second);
            QVERIFY(f.isVisible() && f.IsMinimized());
            QVERIFY(f.windowTitle().startsWith(QLatin1String("Dawnbell - 00:44:5")));
            QCOMPARE(f.StatusText(), notice);
            f.setWindowState(Qt::WindowNoState);
            w.tickAt(7, 0, ++second);  // restored: the desktop is asked again at the next minimize
            f.cmdOnOff_Click();  // off and on again: the notice goes, and does not come back
            f.cmdOnOff_Click();
        }
    }

    // Every control shows inside the window (those of the message panel: test_alarm_states').
    void everyControlInSight()
    {
        World w;
        Start(w);
        frmMain& f = w.main();
        f.show();
        const QList<QWidget*> controls{f.lblTime, f.lblAlarm, f.lblOnOff, f.lblTimeLeft, f.cmdOnOff,
                                       f.cmdSnooze, f.Image2, f.FrameOptions, f.imgSnooze};
        for (QWidget* control : controls)
            QVERIFY2(f.centralWidget()->rect().contains(control->geometry()), qPrintable(control->objectName()));
        QVERIFY(f.SBar->geometry().bottom() < f.height());
    }

    // A screen reader reads a name for every control, the pictures included; Tab reaches Image2, and Enter
    // opens the settings from it; the hidden message panel and chk1 stay out of the Tab order.
    void accessibleAndKeyboard()
    {
        World w;
        Start(w);
        frmMain& f = w.main();
        const auto controls = f.centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly) +
                              f.FrameOptions->findChildren<QWidget*>() << f.SBar;
        for (QWidget* control : controls) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
            if (control != f.Line1)
                QVERIFY2(face && !face->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
        }
        QCOMPARE(f.Image2->focusPolicy(), Qt::TabFocus);
        for (QWidget* out : {static_cast<QWidget*>(f.chk1), static_cast<QWidget*>(f.txtAlarm)})
            QCOMPARE(out->focusPolicy(), Qt::NoFocus);
        QTest::keyClick(f.Image2, Qt::Key_Return);  // opens the settings dialog, as a click does
        QCOMPARE(w.platform.modalForms, 1);
    }
};

QTEST_MAIN(TestMainWindowHintsMenus)
#include "test_main_window_hints_menus.moc"
