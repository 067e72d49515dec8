// Modal display on the offscreen platform: message boxes built from style numbers, the file and colour
// choosers, and the notification-area icon where there is no notification area. A timer acts inside each modal
// loop the way a user would.

#include "platform/linux/LinuxPlatform.h"
#include "platform/units.h"
#include "tests/platform/linux/StubMedia.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
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
        if (T* found = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            poll->stop();
            act(found);
        } else if (++*tries > 500) {
            poll->deleteLater();
            poll->stop();
            qWarning("no modal %s appeared", T::staticMetaObject.className());
            if (QWidget* stuck = QApplication::activeModalWidget())
                stuck->close();  // let the test go on (and fail) instead of hanging
        }
    });
    poll->start(10);
}

enum class Act { Click, Escape, Enter };

// What a user types into the chooser's file name field.
void typeFileName(QFileDialog* dialog, const QString& name)
{
    if (auto* edit = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s))
        edit->setText(name);
}

}  // namespace

class TestLinuxDialogs : public QObject {
    Q_OBJECT

private:
    LinuxPlatform platform_{std::make_unique<StubMedia>()};
    QTemporaryDir files_;

private slots:
    void initTestCase()
    {
        QVERIFY(files_.isValid());
        QVERIFY(QFile(files_.filePath(u"tune.mid"_s)).open(QIODevice::WriteOnly));
    }

    void messageBox_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<QMessageBox::StandardButtons>("buttons");
        QTest::addColumn<Act>("act");
        QTest::addColumn<QMessageBox::StandardButton>("click");
        QTest::addColumn<int>("answer");

        using B = QMessageBox;
        QTest::newRow("stop") << 16 << B::Critical << B::StandardButtons(B::Ok) << Act::Click << B::Ok << 1;
        QTest::newRow("information") << 64 << B::Information << B::StandardButtons(B::Ok) << Act::Click << B::Ok << 1;
        QTest::newRow("unknown icon bits") << 0x70 << B::NoIcon << B::StandardButtons(B::Ok) << Act::Click << B::Ok << 1;
        QTest::newRow("OK box escaped") << 0 << B::NoIcon << B::StandardButtons(B::Ok) << Act::Escape << B::Ok << 1;
        QTest::newRow("No") << 36 << B::Question << (B::Yes | B::No) << Act::Click << B::No << 7;
        QTest::newRow("Yes/No escaped") << 4 << B::NoIcon << (B::Yes | B::No) << Act::Escape << B::Yes << 7;
        QTest::newRow("Yes is the default") << 4 << B::NoIcon << (B::Yes | B::No) << Act::Enter << B::Yes << 6;
        QTest::newRow("second button the default") << 4 + 256 << B::NoIcon << (B::Yes | B::No) << Act::Enter << B::No << 7;
        QTest::newRow("Yes/No/Cancel escaped") << 3 << B::NoIcon << (B::Yes | B::No | B::Cancel) << Act::Escape << B::Yes << 2;
        QTest::newRow("OK/Cancel") << 1 + 48 << B::Warning << (B::Ok | B::Cancel) << Act::Click << B::Cancel << 2;
        QTest::newRow("Retry/Cancel") << 5 << B::NoIcon << (B::Retry | B::Cancel) << Act::Click << B::Retry << 4;
        QTest::newRow("Abort/Retry/Ignore") << 2 << B::NoIcon << (B::Abort | B::Retry | B::Ignore) << Act::Click << B::Ignore << 5;
    }

    void messageBox()
    {
        QFETCH(int, style);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(QMessageBox::StandardButtons, buttons);
        QFETCH(Act, act);
        QFETCH(QMessageBox::StandardButton, click);
        QFETCH(int, answer);

        QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons shownButtons;
        QString title;
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            shownIcon = box->icon();
            shownButtons = box->standardButtons();
            title = box->windowTitle();
            text = box->text();
            format = box->textFormat();
            switch (act) {
            case Act::Click: box->button(click)->click(); break;
            case Act::Escape: QTest::keyClick(box, Qt::Key_Escape); break;
            case Act::Enter: QTest::keyClick(box, Qt::Key_Return); break;
            }
        });
        QCOMPARE(platform_.messageBox(u"Alarm <b>text</b>"_s, style, u"Wake up"_s), answer);
        QCOMPARE(shownIcon, icon);
        QCOMPARE(shownButtons, buttons);
        QCOMPARE(title, u"Wake up"_s);
        QCOMPARE(text, u"Alarm <b>text</b>"_s);  // shown as it stands, never as markup
        QCOMPARE(format, Qt::PlainText);
    }

    // Timers go on while a box is open: the clock must keep ticking. A box without a title is Dawnbell's.
    void timersRunWhileABoxIsOpen()
    {
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] { ++ticks; });
        tick.start(5);
        QString title;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            QTimer::singleShot(100, box, [box] { box->button(QMessageBox::Ok)->click(); });
        });
        QCOMPARE(platform_.messageBox(u"text"_s, 0, QString()), 1);
        QVERIFY(ticks >= 3);
        QCOMPARE(title, u"Dawnbell"_s);
    }

    void openFileFilters_data()
    {
        QTest::addColumn<QStringList>("pairs");
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<QStringList>("shown");  // what the user reads in the filter list
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("patterns");  // of the selected filter
        QTest::newRow("second selected, two patterns")
            << QStringList{u"Sounds (*.wav)"_s, u"*.wav"_s, u"MIDI Sequences (*.mid, *.rmi)"_s, u"*.mid;*.rmi"_s}
            << 2 << QStringList{u"Sounds (*.wav)"_s, u"MIDI Sequences (*.mid, *.rmi)"_s}
            << u"MIDI Sequences (*.mid, *.rmi)"_s << QStringList{u"*.mid"_s, u"*.rmi"_s};
        QTest::newRow("index out of range")
            << QStringList{u"Playlists"_s, u"*.dbp"_s} << 7 << QStringList{u"Playlists"_s} << u"Playlists"_s
            << QStringList{u"*.dbp"_s};
        QTest::newRow("pattern missing") << QStringList{u"All files"_s} << 1 << QStringList{u"All files"_s}
                                         << u"All files"_s << QStringList{u"*"_s};
    }

    void openFileFilters()
    {
        QFETCH(QStringList, pairs);
        QFETCH(int, filterIndex);
        QFETCH(QStringList, shown);
        QFETCH(QString, selected);
        QFETCH(QStringList, patterns);

        QStringList shownNames;
        QString selectedName;
        QStringList selectedPatterns;
        QString title;
        QString folder;
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            title = dialog->windowTitle();
            folder = dialog->directory().absolutePath();
            const auto* combo = dialog->findChild<QComboBox*>(u"fileTypeCombo"_s);
            for (int i = 0; combo && i < combo->count(); ++i)
                shownNames.append(combo->itemText(i));
            selectedName = combo ? combo->currentText() : QString();
            // The patterns the dialog lists files by.
            if (const auto* model = dialog->findChild<QFileSystemModel*>())
                selectedPatterns = model->nameFilters();
            dialog->reject();
        });
        QCOMPARE(platform_.getOpenFileName(nullptr, u"Choose an alarm sound..."_s, pairs, filterIndex, files_.path()),
                 QString());
        QCOMPARE(title, u"Choose an alarm sound..."_s);
        QCOMPARE(folder, files_.path());
        QCOMPARE(shownNames, shown);
        QCOMPARE(selectedName, selected);
        QCOMPARE(selectedPatterns, patterns);
    }

    void fileChooserReturnsTheChoice_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("open") << false << u"tune.mid"_s << u"tune.mid"_s;
        QTest::newRow("save adds the extension") << true << u"morning"_s << u"morning.dbp"_s;
    }

    void fileChooserReturnsTheChoice()
    {
        QFETCH(bool, save);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
        QFileDialog::FileMode fileMode = QFileDialog::Directory;
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            acceptMode = dialog->acceptMode();
            fileMode = dialog->fileMode();
            typeFileName(dialog, files_.filePath(typed));
            static_cast<QDialog*>(dialog)->accept();
        });
        const QStringList filters{u"Sounds"_s, u"*.mid;*.dbp"_s};
        const QString chosen = save ? platform_.getSaveFileName(nullptr, u"Save"_s, filters, 1, files_.path(), u"dbp"_s)
                                    : platform_.getOpenFileName(nullptr, u"Open"_s, filters, 1, files_.path());
        QCOMPARE(chosen, files_.filePath(expected));
        QCOMPARE(acceptMode, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QCOMPARE(fileMode, save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);

        // Without a folder of its own the next chooser opens where the user chose last.
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
        QColor startedAt;
        QList<QColor> customShown;
        whenShown<QColorDialog>([&](QColorDialog* dialog) {
            startedAt = dialog->currentColor();
            for (int i = 0; i < 16; ++i)
                customShown.append(QColorDialog::customColor(i));
            QColorDialog::setCustomColor(5, QColor(10, 20, 30));
            dialog->setCurrentColor(picked);
            accepted ? dialog->accept() : dialog->reject();
        });
        uint32_t color = start;
        QCOMPARE(platform_.chooseColor(nullptr, color, custom), accepted);
        QCOMPARE(startedAt, shown);
        QCOMPARE(color, result);
        for (int i = 0; i < 16; ++i) {
            if (i != 5)
                QCOMPARE(customShown.at(i), ColorFromBGR(static_cast<uint32_t>(i * 0x010203)));
        }
        // The user's new custom colour, as 0x00BBGGRR, kept even when the chooser was cancelled.
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
};

QTEST_MAIN(TestLinuxDialogs)
#include "tst_linux_dialogs.moc"
