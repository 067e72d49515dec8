// The main window's hover hints and highlight, its Help menu with the shell's result codes, the about and
// version boxes around an armed alarm, the sound chooser, "Save settings on exit", a desktop without a
// notification area, the window's heights and what a screen reader and the keyboard reach.

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
#include <QSignalSpy>
#include <QStatusBar>
#include <QtTest>

namespace {

const QString Unchanged = QStringLiteral("<unchanged>");
const QString Notice = QStringLiteral("A notice.");

enum class State { Off, Armed, Snoozing, Sounding };

// Start-up at 7:00:00 AM with a CD drive, a sound file and a MIDI file.
void Start(World& w)
{
    w.platform.cdDrives = {QStringLiteral("D:")};
    w.platform.insertDisc(8);
    w.stored("Alarm/AlarmSound", QStringLiteral("/home/sleeper/Music/Alarms/Morning/chimes.wav"));
    w.stored("Alarm/MidiSound", QStringLiteral("/home/sleeper/wake.mid"));
    w.stored("Alarm/CDStartTrack", QStringLiteral("3"));
    w.start();
    w.main().Timer1_Timer();
}

void Enter(World& w, State state)
{
    frmMain& f = w.main();
    if (state == State::Off)
        return;
    f.cmdOnOff_Click();
    if (state == State::Armed)
        return;
    w.module.SoundAlarm();
    if (state == State::Snoozing)
        f.cmdSnooze_Click();
}

}  // namespace

Q_DECLARE_METATYPE(State)

class TestMainWindowHintsMenus : public QObject {
    Q_OBJECT
private slots:
    // Every row of the hover table: the status bar text (or none) and FrameOptions' border (or none), with the
    // status icons shown or hidden and one or many minutes. The reset text here is a notice.
    void hoverTable_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<bool>("loop");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("border");  // -1: unchanged
        QTest::newRow("FrameOptions") << "FrameOptions" << true << 8 << false << Notice << 1;
        for (const char* name : {"cmdOnOff", "cmdSnooze", "lblOnOff", "SBar", "Label2", "Label3", "lblAlarm",
                                 "lblTimeLeft", "lblTimeUntil", "frmMain", "client"})
            QTest::newRow(name) << name << true << 8 << false << Notice << 0;
        QTest::newRow("lblTime") << "lblTime" << true << 8 << false << Unchanged << 0;
        QTest::newRow("cmdHideMessage") << "cmdHideMessage" << true << 8 << false << Notice << -1;
        QTest::newRow("txtAlarm") << "txtAlarm" << true << 8 << false << Notice << -1;
        QTest::newRow("Image1") << "Image1" << true << 8 << false << "Current time: 7:00:00 AM" << 0;
        QTest::newRow("Image2") << "Image2" << true << 8 << false << "Change alarm settings" << 0;
        QTest::newRow("imgOn") << "imgOn" << true << 8 << false << "Alarm is off." << 0;
        QTest::newRow("imgOff") << "imgOff" << true << 8 << false << "Alarm is off." << 0;
        QTest::newRow("imgSnooze, 1") << "imgSnooze" << true << 1 << false
                                      << "Snooze is enabled and set for 1 minute." << 0;
        QTest::newRow("imgSnooze, 8") << "imgSnooze" << true << 8 << false
                                      << "Snooze is enabled and set for 8 minutes." << 0;
        QTest::newRow("imgCD") << "imgCD" << true << 8 << false << "Alarm will play CD in drive D: starting on track 3"
                               << -1;
        QTest::newRow("imgWave, shortened") << "imgWave" << true << 8 << false
                                            << "Alarm will play sound file: /home/sleeper/Music/Al.../chimes.wav" << -1;
        QTest::newRow("imgWave, looping") << "imgWave" << true << 8 << true
                                          << "Alarm will loop sound file: /home/sleeper/Music/Al.../chimes.wav" << -1;
        QTest::newRow("imgMIDI") << "imgMIDI" << true << 8 << false << "Alarm will play MIDI file: /home/sleeper/wake.mid"
                                 << -1;
        QTest::newRow("imgGradual, 1") << "imgGradual" << true << 1 << false
                                       << "Gradual wake-up enabled and set to reach full volume in 1 minute" << -1;
        QTest::newRow("imgGradual, 4") << "imgGradual" << true << 4 << false
                                       << "Gradual wake-up enabled and set to reach full volume in 4 minutes" << -1;
        QTest::newRow("imgSleep, 1") << "imgSleep" << true << 1 << false << "Sleep will play the CD for 1 minute" << -1;
        QTest::newRow("imgSleep, 15") << "imgSleep" << true << 15 << false << "Sleep will play the CD for 15 minutes"
                                      << -1;
        for (const char* name : {"imgCD", "imgWave", "imgMIDI", "imgGradual", "imgSleep"})
            QTest::newRow(qPrintable(QStringLiteral("%1 hidden").arg(QLatin1String(name)))) << name << false << 8
                                                                                               << false << Notice << -1;
    }
    void hoverTable()
    {
        QFETCH(QString, control);
        QFETCH(bool, shown);
        QFETCH(int, minutes);
        QFETCH(bool, loop);
        QFETCH(QString, text);
        QFETCH(int, border);
        World w;
        Start(w);
        frmMain& f = w.main();
        Settings& s = w.settings();
        s.SnoozeTime = s.GradVolumeMinutes = s.SleepTime = static_cast<int16_t>(minutes);
        s.LoopSound = loop ? -1 : 0;
        s.AllowSnooze = 1;
        s.GradualWakeup = s.SleepEnabled = s.MidiAlarm = shown ? 1 : 0;
        f.SetAlarmSources({shown, false, false});
        f.Timer1_Timer();
        w.module.GiveNotice(Notice);
        f.SetStatusText(Unchanged);
        f.FrameOptions->setFrameShape(border == 1 ? QFrame::NoFrame : QFrame::Box);

        auto* widget = control == QLatin1String("frmMain") ? &f : f.findChild<QWidget*>(control);
        QVERIFY(widget != nullptr);
        f.Control_MouseMove(widget);
        QCOMPARE(f.StatusText(), text);
        QCOMPARE(f.FrameOptions->frameShape(), border == 0 ? QFrame::NoFrame : QFrame::Box);
    }

    // The mouse reaches the table through the controls' own events, a control inside another included.
    void hoverEventsReachTheTable()
    {
        World w;
        Start(w);
        frmMain& f = w.main();
        w.settings().AllowSnooze = 1;
        f.Timer1_Timer();
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(f.imgSnooze, &enter);
        QCOMPARE(f.StatusText(), QStringLiteral("Snooze is enabled and set for 8 minutes."));
        const auto move = [](QWidget* widget, QPoint at) {
            QMouseEvent event(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(widget, &event);
        };
        move(f.imgCD, QPoint(3, 3));  // the icon ignores the move, which goes on to FrameOptions
        QCOMPARE(f.StatusText(), QStringLiteral("Alarm will play CD in drive D: starting on track 3"));
        move(f.FrameOptions, QPoint(f.FrameOptions->width() - 2, 2));  // beside the icons
        QCOMPARE(f.StatusText(), QString());
        QCOMPARE(f.FrameOptions->frameShape(), QFrame::Box);
        move(f.lblAlarm, QPoint(2, 2));
        QCOMPARE(f.FrameOptions->frameShape(), QFrame::NoFrame);
    }

    void helpAndWebItemsOpenTheirAddress_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("address");
        QTest::newRow("mnuHowHelp") << "mnuHowHelp" << "/opt/dawnbell/bin/help.txt";
        QTest::newRow("mnuQA") << "mnuQA" << "https://dawnbell.org/dawnbell/qa.html";
        QTest::newRow("mnuAddin") << "mnuAddin" << "https://dawnbell.org/dawnbell/addins.html";
        QTest::newRow("mnuUpdate") << "mnuUpdate" << "https://dawnbell.org/dawnbell/updates.html";
        QTest::newRow("mnuBug") << "mnuBug" << "https://dawnbell.org/dawnbell/bug.html";
        QTest::newRow("mnuFeatures") << "mnuFeatures" << "https://dawnbell.org/dawnbell/suggest.html";
        QTest::newRow("mnuMailing") << "mnuMailing" << "https://dawnbell.org/dawnbell/mail_list.html";
        QTest::newRow("mnuHome") << "mnuHome" << "https://dawnbell.org/dawnbell";
    }
    void helpAndWebItemsOpenTheirAddress()
    {
        QFETCH(QString, item);
        QFETCH(QString, address);
        World w;
        Start(w);
        w.main().findChild<QAction*>(item)->trigger();
        QCOMPARE(w.platform.shellOpened, QStringList{address});
        QVERIFY(w.platform.boxes.empty());
    }

    void shellResultsToMessages_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");  // empty: none
        const QString browserError = QStringLiteral(
            "An error occurred which made it impossible to launch the web browser to connect to this page.  The "
            "problem could be with your web browser, or it could be with your network.  Error =  ");
        const QString viewerError = QStringLiteral(
            "An error occurred which made it impossible for Dawnbell to launch your .TXT (Plain Text) viewer.  You "
            "can view the Questions and Answers document yourself by opening it up in your favorite word "
            "processor.  Error =  ");
        QTest::newRow("web 31") << "mnuQA" << 31
                                << "You do not have a web browser installed or your network is not connected.";
        for (int r : {2, 3})
            QTest::newRow(qPrintable(QStringLiteral("web %1").arg(r)))
                << "mnuQA" << r << "Dawnbell cannot find your web browser.  Make sure that it is properly installed.";
        QTest::newRow("web 0") << "mnuQA" << 0 << "Not enough memory to launch the web browser.";
        for (int r : {26, 30})
            QTest::newRow(qPrintable(QStringLiteral("web %1").arg(r))) << "mnuQA" << r << browserError + QString::number(r);
        for (int r : {5, 25, 32, 42})
            QTest::newRow(qPrintable(QStringLiteral("web %1").arg(r))) << "mnuHome" << r << QString();
        for (int r : {31, 2, 3, 26, 30})
            QTest::newRow(qPrintable(QStringLiteral("document %1").arg(r)))
                << "mnuHowHelp" << r << viewerError + QString::number(r);
        QTest::newRow("document 0") << "mnuHowHelp" << 0 << "Not enough memory to launch the .TXT viewer.";
        for (int r : {5, 42})
            QTest::newRow(qPrintable(QStringLiteral("document %1").arg(r))) << "mnuHowHelp" << r << QString();
    }
    void shellResultsToMessages()
    {
        QFETCH(QString, item);
        QFETCH(int, result);
        QFETCH(QString, message);
        World w;
        Start(w);
        w.platform.shellOpenResult = result;
        w.main().findChild<QAction*>(item)->trigger();
        QCOMPARE(w.platform.boxes.size(), size_t(message.isEmpty() ? 0 : 1));
        if (!message.isEmpty()) {
            QCOMPARE(w.platform.boxes[0].text, message);
            QCOMPARE(w.platform.boxes[0].style, 0);
            QCOMPARE(w.platform.boxes[0].title, QStringLiteral("Dawnbell"));
        }
    }

    // The box opens with the alarm off, and the alarm is on again afterwards at the time it was turned on with.
    void boxesAroundTheAlarm_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("box");
        QTest::addColumn<State>("state");
        for (auto [item, box] : {std::pair{"mnuAbout", "frmAbout"}, std::pair{"mnuVersion", "frmVersion"}}) {
            for (auto [name, state] : {std::pair{"off", State::Off}, std::pair{"armed", State::Armed},
                                       std::pair{"snoozing", State::Snoozing}, std::pair{"sounding", State::Sounding}})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(box), QLatin1String(name))))
                    << item << box << state;
        }
    }
    void boxesAroundTheAlarm()
    {
        QFETCH(QString, item);
        QFETCH(QString, box);
        QFETCH(State, state);
        World w;
        Start(w);
        frmMain& f = w.main();
        Enter(w, state);
        QString shown, stateInside;
        w.platform.onModal = [&](QDialog& form) {
            shown = form.objectName();
            stateInside = f.lblOnOff->text();
            return 1;
        };
        f.findChild<QAction*>(item)->trigger();
        QCOMPARE(shown, box);
        QCOMPARE(stateInside, QStringLiteral("Alarm is off."));
        QCOMPARE(w.module.AlarmSounding, int16_t{0});
        QCOMPARE(f.lblOnOff->text(), state == State::Off ? QStringLiteral("Alarm is off.") : QStringLiteral("Alarm is on."));
        QCOMPARE(w.module.AlarmOn, int16_t(state == State::Off ? 0 : 1));
        QCOMPARE(f.lblAlarm->text(), QStringLiteral("7:45:00 AM"));  // a snooze is dropped
        QCOMPARE(f.Label3->text(), QStringLiteral("Alarm set for:"));
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
        const FakePlatform::FileRequest& request = w.platform.fileRequests.at(0);
        QCOMPARE(request.title, QStringLiteral("Choose an alarm sound..."));
        QCOMPARE(request.filterIndex, 1);
        QCOMPARE(request.filters,
                 (QStringList{"Sounds (*.wav)", "*.wav", "MPEG 3 Streams (*.mp3)", "*.mp3",
                              "Other sound files (*.flac *.ogg *.oga *.aif *.aiff)", "*.flac;*.ogg;*.oga;*.aif;*.aiff"}));
        QCOMPARE(w.platform.mciCommands(), (QStringList{"status Sound mode", "close Sound",
                                                        "open \"/home/sleeper/birds.flac\" alias Sound"}));
        w.platform.clearLog();
        w.main().mnuAlarmSound_Click();  // cancelled: nothing changes
        QCOMPARE(w.settings().AlarmSound, QStringLiteral("/home/sleeper/birds.flac"));
        QVERIFY(w.platform.mciCommands().isEmpty());
    }

    // Clearing the check saves with the check cleared: the next start keeps the choice.
    void saveOnExitAfterClearing()
    {
        World w;
        Start(w);
        w.main().mnuSaveOnExit->trigger();
        QVERIFY(!w.main().mnuSaveOnExit->isChecked());
        QCOMPARE(w.platform.commits, 1);
        QCOMPARE(w.platform.store.value(QStringLiteral("Settings/SaveOnExit")), QStringLiteral("0"));
        w.main().mnuSaveOnExit->trigger();
        QVERIFY(w.main().mnuSaveOnExit->isChecked());
        QCOMPARE(w.platform.commits, 1);

        World next;
        next.platform.store = w.platform.store;
        next.start();
        QVERIFY(!next.main().mnuSaveOnExit->isChecked());
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
        for (int round = 0; round < 2; ++round) {
            f.setWindowState(Qt::WindowMinimized);
            w.platform.setTime(7, 0, 1 + 2 * round);
            f.Timer1_Timer();
            w.platform.setTime(7, 0, 2 + 2 * round);
            f.Timer1_Timer();
            QVERIFY(f.isVisible());
            QVERIFY(f.IsMinimized());
            QVERIFY(f.NoNotifyArea());
            QCOMPARE(f.windowTitle(), QStringLiteral("Dawnbell - 00:44:5%1").arg(9 - 2 * round));
            QCOMPARE(f.StatusText(), round == 0 ? QStringLiteral("No notification area: Dawnbell minimizes to the taskbar.")
                                                : QString());
            f.setWindowState(Qt::WindowNoState);
            f.Timer1_Timer();
            f.cmdOnOff_Click();  // off and on again: the notice goes, and does not come back
            f.cmdOnOff_Click();
        }
        for (const auto& [message, tip] : w.platform.iconCalls)
            QVERIFY(message != NIM_ADD);
    }

    // Every control shows inside the window at both heights, the message below the status icons.
    void everyControlInSight_data()
    {
        QTest::addColumn<bool>("message");
        QTest::newRow("2595 twips") << false;
        QTest::newRow("5700 twips") << true;
    }
    void everyControlInSight()
    {
        QFETCH(bool, message);
        World w;
        Start(w);
        frmMain& f = w.main();
        f.show();
        if (message)
            f.ShowMessagePanel();
        QCOMPARE(f.HeightTwips(), message ? MessageHeightTwips : NormalHeightTwips);
        QWidget* client = f.centralWidget();
        QList<QWidget*> controls{f.Label2, f.lblTime, f.Label3, f.lblAlarm, f.lblOnOff, f.lblTimeUntil, f.lblTimeLeft,
                                 f.cmdOnOff, f.cmdSnooze, f.Image1, f.Image2, f.FrameOptions, f.imgSnooze};
        if (message)
            controls << f.txtAlarm << f.cmdHideMessage;
        for (QWidget* control : controls)
            QVERIFY2(client->rect().contains(control->geometry()), qPrintable(control->objectName()));
        QVERIFY(f.SBar->geometry().bottom() < f.height());
        if (message)
            QVERIFY(f.txtAlarm->y() > f.FrameOptions->geometry().bottom());
        f.cmdHideMessage_Click();
        QCOMPARE(f.HeightTwips(), NormalHeightTwips);
    }

    // A screen reader reads a name for every control, the pictures included; Tab reaches Image2, and Enter
    // opens the settings from it.
    void accessibleAndKeyboard()
    {
        World w;
        Start(w);
        frmMain& f = w.main();
        for (QWidget* control : f.centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control == f.Line1)
                continue;
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(face && !face->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
        }
        for (QLabel* icon : {f.imgCD, f.imgMIDI, f.imgWave, f.imgGradual, f.imgSleep})
            QVERIFY(!icon->accessibleName().isEmpty());
        QCOMPARE(f.Image2->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
        QCOMPARE(f.chk1->focusPolicy(), Qt::NoFocus);
        QCOMPARE(f.txtAlarm->focusPolicy(), Qt::NoFocus);  // below the window's edge until the alarm rings
        QSignalSpy opened(f.mnuOptions, &QAction::triggered);
        QTest::keyClick(f.Image2, Qt::Key_Return);
        QCOMPARE(opened.count(), 1);
    }
};

QTEST_MAIN(TestMainWindowHintsMenus)
#include "test_main_window_hints_menus.moc"
