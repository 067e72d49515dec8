// The small dialogs: the alarm message editor's erase and undo, and the about and version boxes with what they
// show and how they close. (The information dialog's beep is counted in test_settings_dialog's test alarm.)

#include "editors/frmAbout.h"
#include "editors/frmAlarmMessage.h"
#include "editors/frmVersion.h"
#include "tests/fakes/World.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

class TestSmallDialogs : public QObject {
    Q_OBJECT
private slots:
    // Steps on the alarm message editor: e erase (or undo), t type a letter, a the Alt key alone, s save, c cancel.
    // Afterwards: the editor's text, cmdErase's caption, the main window's message and HasAlarmMessage.
    void eraseAndUndo_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("after");
        const QString first = QStringLiteral("Get up!\nThe bus leaves at 8.");
        QTest::newRow("erase, undo: line breaks kept") << "ee" << first + "|&Erase message|" + first + "|0";
        QTest::newRow("erase, type, erase, undo: the new text") << "etee" << "x|&Erase message|" + first + "|0";
        QTest::newRow("erase, Alt: the undo stays") << "ea" << "|&Undo erase|" + first + "|0";
        QTest::newRow("type, save") << "ts" << first + "x|&Erase message|" + first + "x|1";
        QTest::newRow("erase, cancel: nothing stored") << "ec" << "|&Undo erase|" + first + "|0";
    }
    void eraseAndUndo()
    {
        QFETCH(QString, steps);
        QFETCH(QString, after);
        World w;
        w.main().txtAlarm->setPlainText(QStringLiteral("Get up!\nThe bus leaves at 8."));
        frmAlarmMessage editor(w.module, w.main(), &w.main());
        editor.txtMessage->moveCursor(QTextCursor::End);
        for (QChar step : steps) {
            switch (step.unicode()) {
            case 'e': editor.cmdErase->click(); break;
            case 't': QTest::keyClick(editor.txtMessage, Qt::Key_X); break;
            case 'a': QTest::keyClick(editor.txtMessage, Qt::Key_Alt, Qt::AltModifier); break;
            case 's': editor.cmdSave->click(); break;
            case 'c': editor.cmdCancel->click(); break;
            }
        }
        const QStringList shown = {editor.txtMessage->toPlainText(), editor.cmdErase->text(),
                                   w.main().txtAlarm->toPlainText(), QString::number(w.module.HasAlarmMessage)};
        QCOMPARE(shown.join(u'|'), after);
        QCOMPARE(editor.result(), steps.endsWith(QLatin1Char('s')) ? int(QDialog::Accepted) : int(QDialog::Rejected));
    }

    // OK closes each box and brings the main window back; Credits uncovers the acknowledgements, once.
    void aboutAndVersionBoxes()
    {
        World w;
        frmAbout about(w.module, &w.main());
        about.cmdOK->click();
        QVERIFY(about.result() == QDialog::Accepted && w.main().isVisible());

        w.main().hide();
        frmVersion version(w.module, &w.main());
        version.show();
        QVERIFY(!version.txtCredits->isVisible());
        version.Command2->click();
        QVERIFY(version.txtCredits->isVisible() && !version.Command2->isEnabled());
        QVERIFY(version.txtCredits->toPlainText().contains(QLatin1String("FluidR3")));
        version.Command1->click();
        QVERIFY(version.result() == QDialog::Accepted && !version.isVisible() && w.main().isVisible());
    }
};

QTEST_MAIN(TestSmallDialogs)
#include "test_small_dialogs.moc"
