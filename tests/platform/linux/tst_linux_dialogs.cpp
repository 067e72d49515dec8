// Modal display on the offscreen platform: message boxes built from style numbers, the file and colour
// choosers, in whose modal loops a timer acts the way a user would; and the notification-area icon: where there is
// no notification area, and its clicks as each kind of tray reports them.

#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/NotifyIconHost.h"
#include "platform/media/MediaEngine.h"
#include "platform/units.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Runs `act` on the first modal widget of type T that shows up, from inside its event loop.
template <class T>
void whenShown(std::function<void(T*)> act)
{
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, tries, act] {
        T* found = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!found && ++*tries <= 500)
            return;
        poll->deleteLater();
        poll->stop();
        if (found) {
            act(found);
        } else {
            qWarning("no modal %s appeared", T::staticMetaObject.className());
            if (QWidget* stuck = QApplication::activeModalWidget())
                stuck->close();  // let the test go on (and fail) instead of hanging
        }
    });
    poll->start(10);
}

enum class Act { Click, Escape, Enter };
using Reason = QSystemTrayIcon::ActivationReason;
using Kind = NotifyIconHost::TrayKind;

}  // namespace

class TestLinuxDialogs : public QObject {
    Q_OBJECT

private:
    LinuxPlatform platform_{makeMediaEngine};
    QTemporaryDir files_;

private slots:
    void initTestCase()
    {
        QVERIFY(files_.isValid());
        QVERIFY(QFile(files_.filePath(u"tune.mid"_s)).open(QIODevice::WriteOnly));
    }

    // The low four bits of the style choose the buttons, the next four the icon, bits 8 and 9 the default button.
    void messageBox_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<Act>("act");
        QTest::addColumn<QMessageBox::StandardButton>("click");
        QTest::addColumn<int>("answer");
        using B = QMessageBox;
        QTest::newRow("OK, no icon") << 0 << B::NoIcon << Act::Enter << B::Ok << 1;
        QTest::newRow("stop") << 16 << B::Critical << Act::Click << B::Ok << 1;
        QTest::newRow("question, No") << 36 << B::Question << Act::Click << B::No << 7;
        QTest::newRow("Yes/No escaped") << 4 << B::NoIcon << Act::Escape << B::Yes << 7;
        QTest::newRow("Yes is the default") << 4 << B::NoIcon << Act::Enter << B::Yes << 6;
        QTest::newRow("second button the default") << 4 + 256 << B::NoIcon << Act::Enter << B::No << 7;
        QTest::newRow("Yes/No/Cancel escaped") << 3 << B::NoIcon << Act::Escape << B::Yes << 2;
        QTest::newRow("OK/Cancel, warning") << 1 + 48 << B::Warning << Act::Click << B::Cancel << 2;
        QTest::newRow("Retry/Cancel, information") << 5 + 64 << B::Information << Act::Click << B::Retry << 4;
        QTest::newRow("Abort/Retry/Ignore, unknown icon bits") << 2 + 0x70 << B::NoIcon << Act::Click << B::Ignore << 5;
    }

    void messageBox()
    {
        QFETCH(int, style);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(Act, act);
        QFETCH(QMessageBox::StandardButton, click);
        QFETCH(int, answer);
        QStringList shown;  // icon, title, text, whether the text is plain
        whenShown<QMessageBox>([&](QMessageBox* box) {
            shown << QString::number(box->icon()) << box->windowTitle() << box->text()
                  << QString::number(box->textFormat() == Qt::PlainText);
            switch (act) {
            case Act::Click: box->button(click)->click(); break;
            case Act::Escape: QTest::keyClick(box, Qt::Key_Escape); break;
            case Act::Enter: QTest::keyClick(box, Qt::Key_Return); break;
            }
        });
        // A box without a title of its own has Dawnbell's; its text is shown as it stands, never as markup.
        const QString title = style == 0 ? QString() : u"Wake up"_s;
        QCOMPARE(platform_.messageBox(u"Alarm <b>text</b>"_s, style, title), answer);
        QCOMPARE(shown, (QStringList{QString::number(icon), style == 0 ? u"Dawnbell"_s : title, u"Alarm <b>text</b>"_s,
                                     u"1"_s}));
    }

    // The filters, given as pairs of description and patterns, show the description alone; the chooser opens in the
    // folder asked for, returns the user's choice (with the default extension when saving), and without a folder of
    // its own the next one opens where the user chose last.
    void fileChooser_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QStringList>("pairs");
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<QStringList>("shown");     // what the user reads in the filter list
        QTest::addColumn<QStringList>("patterns");  // of the selected filter, which is the last one shown here
        QTest::addColumn<QString>("typed");         // empty: cancelled
        QTest::addColumn<QString>("chosen");
        QTest::newRow("open, second filter, two patterns")
            << false << QStringList{u"Sounds (*.wav)"_s, u"*.wav"_s, u"MIDI Sequences (*.mid, *.rmi)"_s, u"*.mid;*.rmi"_s}
            << 2 << QStringList{u"Sounds (*.wav)"_s, u"MIDI Sequences (*.mid, *.rmi)"_s}
            << QStringList{u"*.mid"_s, u"*.rmi"_s} << u"tune.mid"_s << u"tune.mid"_s;
        QTest::newRow("index out of range, cancelled") << false << QStringList{u"Playlists"_s, u"*.dbp"_s} << 7
                                                       << QStringList{u"Playlists"_s} << QStringList{u"*.dbp"_s}
                                                       << QString() << QString();
        QTest::newRow("save, pattern missing, extension added")
            << true << QStringList{u"All files"_s} << 1 << QStringList{u"All files"_s} << QStringList{u"*"_s}
            << u"morning"_s << u"morning.dbp"_s;
    }

    void fileChooser()
    {
        QFETCH(bool, save);
        QFETCH(QStringList, pairs);
        QFETCH(int, filterIndex);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, patterns);
        QFETCH(QString, typed);
        QFETCH(QString, chosen);
        QStringList seen;  // title, folder, modes, then the filter names, the selected one last
        QStringList seenPatterns;
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            seen << dialog->windowTitle() << dialog->directory().absolutePath()
                 << QString::number(dialog->acceptMode()) + QString::number(dialog->fileMode());
            const auto* combo = dialog->findChild<QComboBox*>(u"fileTypeCombo"_s);
            for (int i = 0; combo && i < combo->count(); ++i)
                seen << combo->itemText(i);
            seen << (combo ? combo->currentText() : QString());
            if (const auto* model = dialog->findChild<QFileSystemModel*>())
                seenPatterns = model->nameFilters();
            if (typed.isEmpty())
                return dialog->reject();
            dialog->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(files_.filePath(typed));
            static_cast<QDialog*>(dialog)->accept();
        });
        const QString title = u"Choose an alarm sound..."_s;
        const QString result = save ? platform_.getSaveFileName(nullptr, title, pairs, filterIndex, files_.path(), u"dbp"_s)
                                    : platform_.getOpenFileName(nullptr, title, pairs, filterIndex, files_.path());
        QCOMPARE(result, chosen.isEmpty() ? QString() : files_.filePath(chosen));
        const QString modes = save ? QString::number(QFileDialog::AcceptSave) + QString::number(QFileDialog::AnyFile)
                                   : QString::number(QFileDialog::AcceptOpen) + QString::number(QFileDialog::ExistingFile);
        QCOMPARE(seen, QStringList({title, files_.path(), modes}) + shown + QStringList{shown.last()});
        QCOMPARE(seenPatterns, patterns);
        if (chosen.isEmpty())
            return;

        QString folder;
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            folder = dialog->directory().absolutePath();
            dialog->reject();
        });
        platform_.getOpenFileName(nullptr, QString(), {u"All"_s, u"*"_s}, 1, QString());
        QCOMPARE(folder, files_.path());
    }

    void chooseColor_data()
    {
        QTest::addColumn<uint>("start");      // 0x00BBGGRR
        QTest::addColumn<QColor>("shown");    // what the chooser starts at
        QTest::addColumn<QColor>("picked");   // what the user picks
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<uint>("result");
        QTest::newRow("chosen") << 0x0000FF00u << QColor(0, 255, 0) << QColor(0x12, 0x34, 0x56) << true << 0x00563412u;
        QTest::newRow("high byte ignored") << 0xFF336699u << QColor(0x99, 0x66, 0x33) << QColor(0, 0, 0) << true << 0u;
        QTest::newRow("cancelled") << 0x00E0E0E0u << QColor(224, 224, 224) << QColor(1, 2, 3) << false << 0x00E0E0E0u;
    }

    // The user's custom colours are offered and kept, as 0x00BBGGRR, even when the chooser was cancelled.
    void chooseColor()
    {
        QFETCH(uint, start);
        QFETCH(QColor, shown);
        QFETCH(QColor, picked);
        QFETCH(bool, accepted);
        QFETCH(uint, result);
        std::array<uint32_t, 16> custom{};
        for (std::size_t i = 0; i < custom.size(); ++i)
            custom[i] = static_cast<uint32_t>(i * 0x010203);
        for (int i : {0, 15})
            QColorDialog::setCustomColor(i, Qt::white);  // what an earlier chooser, or Qt's settings, left
        QList<QColor> seen;  // the start colour, then custom colours 0 and 15
        whenShown<QColorDialog>([&](QColorDialog* dialog) {
            seen << dialog->currentColor() << QColorDialog::customColor(0) << QColorDialog::customColor(15);
            QColorDialog::setCustomColor(5, QColor(10, 20, 30));
            dialog->setCurrentColor(picked);
            accepted ? dialog->accept() : dialog->reject();
        });
        uint32_t color = start;
        QCOMPARE(platform_.chooseColor(nullptr, color, custom), accepted);
        QCOMPARE(color, result);
        QCOMPARE(seen, (QList<QColor>{shown, QColor(0, 0, 0), ColorFromBGR(15 * 0x010203)}));
        QCOMPARE(custom[5], 0x001E140Au);
        QCOMPARE(custom[6], 6u * 0x010203u);
    }

    // The offscreen desktop of the tests has no notification area: nothing can be shown, so nothing can be
    // changed or removed either.
    void notifyIconWithoutANotificationArea()
    {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("this desktop has a notification area");
        NotifyIconData data;
        data.hIcon = QIcon(QPixmap(16, 16));
        data.szTip = u"7:45:00 AM"_s;
        QVERIFY(!platform_.notifyAreaAvailable());
        for (int message : {NIM_ADD, NIM_MODIFY, NIM_DELETE, 7})
            QVERIFY(!platform_.shellNotifyIcon(message, data));
        QVERIFY(!platform_.notifyIcon().isVisible());
    }

    // The clicks become the mouse messages the main window acts on: the one that restores the window, and the
    // context click that opens its popup; they reach the window once the tray's own handling is over.
    void trayClicksBecomeMessages_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QList<Reason>>("clicks");
        QTest::addColumn<QList<int>>("messages");
        // An XEmbed tray reports a press as Trigger and the second click of a double click as DoubleClick; a
        // StatusNotifier tray's Activate arrives as Trigger. The other clicks are the same for both kinds.
        QTest::newRow("XEmbed: a single click does nothing") << Kind::XEmbed << QList{Reason::Trigger} << QList<int>{};
        QTest::newRow("XEmbed: a double click restores")
            << Kind::XEmbed << QList{Reason::Trigger, Reason::DoubleClick} << QList{WM_LBUTTONDBLCLK};
        QTest::newRow("StatusNotifier: activate restores")
            << Kind::StatusNotifier << QList{Reason::Trigger} << QList{WM_LBUTTONDBLCLK};
        QTest::newRow("context") << Kind::XEmbed << QList{Reason::Context} << QList{WM_RBUTTONUP};
        QTest::newRow("middle click") << Kind::StatusNotifier << QList{Reason::MiddleClick} << QList<int>{};
    }

    void trayClicksBecomeMessages()
    {
        QFETCH(Kind, kind);
        QFETCH(QList<Reason>, clicks);
        QFETCH(QList<int>, messages);
        NotifyIconHost host(kind);
        QList<int> received;
        host.setCallback([&](int message) { received.append(message); });
        for (Reason reason : clicks)
            emit host.icon().activated(reason);
        QVERIFY(received.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(received, messages);

        host.setCallback({});
        emit host.icon().activated(Reason::Context);
        QCoreApplication::processEvents();  // no callback: nothing happens, nothing breaks
        QCOMPARE(received, messages);
    }
};

QTEST_MAIN(TestLinuxDialogs)
#include "tst_linux_dialogs.moc"
