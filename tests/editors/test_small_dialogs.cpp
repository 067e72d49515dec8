// The small dialogs: the information dialog's result, the alarm message editor's erase and undo, and the about
// and version boxes with what they show and how they close.

#include "editors/frmAbout.h"
#include "editors/frmAlarmMessage.h"
#include "editors/frmDialog.h"
#include "editors/frmVersion.h"
#include "platform/units.h"
#include "tests/fakes/World.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

class TestSmallDialogs : public QObject {
    Q_OBJECT
private slots:
    void infoDialogResult_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<int>("result");
        QTest::newRow("shown again") << false << 1;
        QTest::newRow("do not show again") << true << 0;
    }
    void infoDialogResult()
    {
        QFETCH(bool, ticked);
        QFETCH(int, result);
        World w;
        QString text;
        bool tickedAtFirst = true;
        w.platform.onModal = [&](QDialog& form) {
            auto& dialog = dynamic_cast<frmDialog&>(form);
            text = dialog.lblText->text();
            tickedAtFirst = dialog.chkShow->isChecked();
            dialog.chkShow->setChecked(ticked);
            dialog.cmdOK->click();
            return dialog.result();
        };
        QCOMPARE(w.module.ShowInfoDialog(QStringLiteral("Read me.")), int16_t(result));
        QCOMPARE(text, QStringLiteral("Read me."));
        QVERIFY(!tickedAtFirst);
        QCOMPARE(w.platform.beeps, 1);
    }

    // Steps on the editor: e erase (or undo), t type a letter, a the Alt key alone, s save, c cancel.
    void eraseAndUndo_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("text");     // the editor's text after the steps
        QTest::addColumn<QString>("caption");  // cmdErase's
        QTest::addColumn<QString>("stored");   // the main window's message afterwards
        QTest::addColumn<int>("hasMessage");
        const QString first = QStringLiteral("Get up!\nThe bus leaves at 8.");
        QTest::newRow("opens with the main window's message") << "" << first << "&Erase message" << first << 0;
        QTest::newRow("erase") << "e" << "" << "&Undo erase" << first << 0;
        QTest::newRow("erase, undo: line breaks kept") << "ee" << first << "&Erase message" << first << 0;
        QTest::newRow("erase, type, erase, undo: the new text") << "etee" << "x" << "&Erase message" << first << 0;
        QTest::newRow("erase, type: no undo left") << "et" << "x" << "&Erase message" << first << 0;
        QTest::newRow("erase, Alt: the undo stays") << "ea" << "" << "&Undo erase" << first << 0;
        QTest::newRow("erase, save: an empty message") << "es" << "" << "&Undo erase" << "" << 1;
        QTest::newRow("type, save") << "ts" << first + QLatin1Char('x') << "&Erase message" << first + QLatin1Char('x')
                                    << 1;
        QTest::newRow("erase, cancel: nothing stored") << "ec" << "" << "&Undo erase" << first << 0;
    }
    void eraseAndUndo()
    {
        QFETCH(QString, steps);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QFETCH(QString, stored);
        QFETCH(int, hasMessage);
        World w;
        w.main().txtAlarm->setPlainText(QStringLiteral("Get up!\nThe bus leaves at 8."));
        frmAlarmMessage editor(w.module, w.main(), &w.main());
        QCOMPARE(editor.windowTitle(), QStringLiteral("Edit alarm message"));
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
        QCOMPARE(editor.txtMessage->toPlainText(), text);
        QCOMPARE(editor.cmdErase->text(), caption);
        QCOMPARE(w.main().txtAlarm->toPlainText(), stored);
        QCOMPARE(w.module.HasAlarmMessage, int16_t(hasMessage));
        QCOMPARE(editor.result(), steps.endsWith(QLatin1Char('s')) ? int(QDialog::Accepted) : int(QDialog::Rejected));
    }

    // OK closes the box and brings the main window back.
    void aboutBox()
    {
        World w;
        frmAbout box(w.module, &w.main());
        QCOMPARE(box.windowTitle(), QStringLiteral("About Dawnbell..."));
        QCOMPARE(box.Label1->text(), QStringLiteral("Dawnbell 2.2"));
        QCOMPARE(box.lblPlatform->text().section(QLatin1Char('\n'), 0, 0), QStringLiteral("for Linux"));
        QVERIFY(!w.main().isVisible());
        box.cmdOK->click();
        QCOMPARE(box.result(), int(QDialog::Accepted));
        QVERIFY(w.main().isVisible());
    }

    // Credits uncovers the acknowledgements once; OK closes the window and brings the main window back.
    void versionWindow()
    {
        World w;
        frmVersion box(w.module, &w.main());
        QCOMPARE(box.windowTitle(), QStringLiteral("Version information"));
        QCOMPARE(box.Label1->text(), QStringLiteral("Dawnbell for Linux"));
        QCOMPARE(box.Label2->text(), QStringLiteral("Version 2.2"));
        QVERIFY(box.Label3->text().startsWith(QLatin1String("Compiled ")));
        QCOMPARE(frmVersion::CompiledText(QStringLiteral("1997-08-28")), QStringLiteral("Thursday, August 28, 1997"));
        QVERIFY(box.Command1->isDefault());
        box.show();
        QVERIFY(!box.txtCredits->isVisible());
        QVERIFY(box.height() < TwipsToPixels(CreditsHeightTwips));
        box.Command2->click();
        QVERIFY(box.txtCredits->isVisible());
        QVERIFY(!box.Command2->isEnabled());
        QCOMPARE(box.height(), TwipsToPixels(CreditsHeightTwips));
        const QString credits = box.txtCredits->toPlainText();
        for (const char* name : {"Qt", "libcdio", "libcdio-paranoia", "libsndfile", "FluidSynth", "SDL2", "FluidR3",
                                 "LGPL-3.0", "GPL-3.0+", "LGPL-2.1+", "zlib", "MIT"})
            QVERIFY2(credits.contains(QLatin1String(name)), name);
        box.Command1->click();
        QCOMPARE(box.result(), int(QDialog::Accepted));
        QVERIFY(!box.isVisible());
        QVERIFY(w.main().isVisible());
    }
};

QTEST_MAIN(TestSmallDialogs)
#include "test_small_dialogs.moc"
