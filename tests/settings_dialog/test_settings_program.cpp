// The real Dawnbell, built as the program builds it (the Linux platform and the media engine, recorded by SDL's
// disk driver), driven through its settings dialog with the keyboard and the mouse: an alarm typed into the
// dialog rings at its time, the test alarm rises and goes quiet again, the sleep page reads the disc image it
// shows, and opening the dialog and pressing OK leaves the stored settings as they were.

#include "core/Module1.h"
#include "core/TextRules.h"
#include "main_window/frmMain.h"
#include "platform/cd_drives.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/media/MediaEngine.h"
#include "settings_dialog/frmOptions.h"
#include "tests/support/audio_fixtures.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QtTest>

#include <functional>

namespace {

constexpr double Hz = 440;

// Dawnbell as app/main.cpp builds it, with the settings given, recorded into `recording`.
struct Dawnbell {
    explicit Dawnbell(const QString& recording, const QMap<QString, QString>& stored)
    {
        QFile::remove(recording);
        qputenv("SDL_DISKAUDIOFILE", recording.toUtf8());
        {
            QSettings file(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Dawnbell"),
                           QStringLiteral("Dawnbell"));
            file.clear();
            file.setValue(QStringLiteral("Settings/Dialog1"), QStringLiteral("0"));
            for (auto it = stored.cbegin(); it != stored.cend(); ++it)
                file.setValue(it.key(), it.value());
        }
        platform = std::make_unique<LinuxPlatform>(std::make_unique<MediaEngine>());
        module = std::make_unique<Module1>(*platform);
        form = std::make_unique<frmMain>(*module);
        module->Main();
    }
    ~Dawnbell()
    {
        form.reset();
        module.reset();
        platform.reset();
    }

    // Opens the settings dialog with Ctrl+S and runs `act` inside it while it is shown.
    void inDialog(const std::function<void(frmOptions&)>& act)
    {
        bool ran = false;
        QTimer watch;
        watch.setInterval(20);
        QObject::connect(&watch, &QTimer::timeout, form.get(), [&] {
            auto* dialog = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible())
                return;
            watch.stop();
            // The window system makes a new dialog the active window; the offscreen one leaves that to the
            // program.
            dialog->activateWindow();
            if (!QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; }))
                return dialog->cmdCancel->click();
            ran = true;
            act(*dialog);
            if (dialog->isVisible())
                dialog->cmdCancel->click();
        });
        watch.start();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY2(ran, "Ctrl+S did not open the settings dialog");
    }

    std::unique_ptr<LinuxPlatform> platform;
    std::unique_ptr<Module1> module;
    std::unique_ptr<frmMain> form;
};

QString Home() { return QDir::homePath(); }

// Types `text` into a time field as a user would, then leaves it with Tab.
void Type(QComboBox* field, const QString& text)
{
    field->setFocus();
    field->lineEdit()->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Tab);
}

// Two disc images, "alpha" with 2 tracks and "beta" with 3; their drive names.
QStringList TwoDiscs()
{
    QDir(discsFolder()).removeRecursively();
    audiofix::writeDiscImage(discsFolder(), QStringLiteral("alpha"), {{440, 1}, {660, 1}});
    audiofix::writeDiscImage(discsFolder(), QStringLiteral("beta"), {{440, 1}, {660, 1}, {880, 1}});
    QStringList names;
    for (const CdDrive& drive : listCdDrives()) {
        if (drive.isImage)
            names << drive.name;
    }
    return names;
}

double LevelAt(const audiofix::Audio& heard, double second)
{
    return audiofix::toneLevel(heard.left, heard.at(second), heard.at(1.0) - heard.at(0.0), Hz);
}

}  // namespace

class TestSettingsProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qunsetenv("SDL_DISKAUDIODELAY");  // recorded at the pace of a real sound card
        QVERIFY(audiofix::writeToneWav(Home() + QStringLiteral("/rooster.wav"), Hz, 40.0));
    }

    void anAlarmTypedIntoTheDialogRingsAtItsTime()
    {
        QDir(discsFolder()).removeRecursively();
        const QString recording = Home() + QStringLiteral("/typed.raw");
        Dawnbell dawnbell(recording, {{"Alarm/AlarmType", "1"}, {"Alarm/AlarmSound", Home() + "/rooster.wav"}});
        if (QTime::currentTime() > QTime(23, 59, 0))
            QTest::qWait(70000);
        const QTime ahead = QTime::currentTime().addSecs(5);
        const QTime alarm(ahead.hour(), ahead.minute(), ahead.second());
        dawnbell.inDialog([&](frmOptions& d) {
            const int hour = alarm.hour() % 12 == 0 ? 12 : alarm.hour() % 12;
            Type(d.cmbHour, QString::number(hour) + QStringLiteral(".9"));
            QCOMPARE(d.cmbHour->currentText(), QString::number(hour));
            Type(d.cmbMinute, QString::number(alarm.minute()));
            QCOMPARE(d.cmbMinute->currentText(), QStringLiteral("%1").arg(alarm.minute(), 2, 10, QLatin1Char('0')));
            Type(d.cmbSecond, QString::number(alarm.second()));
            Type(d.cmbAMPM, alarm.hour() < 12 ? QStringLiteral("a.m.") : QStringLiteral("p.m."));
            QTest::keyClick(d.cmbAMPM, Qt::Key_Return);  // the default button: OK
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(dawnbell.form->lblAlarm->text(), TimeText(alarm));
        QTest::mouseClick(dawnbell.form->cmdOnOff, Qt::LeftButton);
        QCOMPARE(dawnbell.form->lblOnOff->text(), QStringLiteral("Alarm is on."));

        QTest::qWait(std::max(0, QTime::currentTime().msecsTo(alarm) - 300));
        QCOMPARE(QFileInfo(recording).size(), 0);  // nothing sounds before the alarm time
        QTRY_COMPARE_WITH_TIMEOUT(dawnbell.form->lblOnOff->text(), QStringLiteral("Wake up!"), 3000);
        QVERIFY(std::abs(QTime::currentTime().msecsTo(alarm)) < 500);
        QTest::qWait(1500);
        QTest::mouseClick(dawnbell.form->cmdOnOff, Qt::LeftButton);
        const audiofix::Audio heard = audiofix::readRawS16(recording);
        QVERIFY(heard.seconds() > 1.0);
        QVERIFY2(LevelAt(heard, 0.2) > 0.4, qPrintable(QString::number(LevelAt(heard, 0.2))));
    }

    void theTestAlarmRisesAndGoesQuietAgain()
    {
        QDir(discsFolder()).removeRecursively();
        const QString recording = Home() + QStringLiteral("/test.raw");
        Dawnbell dawnbell(recording, {{"Alarm/AlarmType", "1"},
                                      {"Alarm/AlarmSound", Home() + "/rooster.wav"},
                                      {"Alarm/GradualWakeup", "1"},
                                      {"Alarm/GradVolumeMinutes", "1"},
                                      {"Alarm/GradualVolumePeak", "65535"}});
        LinuxPlatform& platform = *dawnbell.platform;
        QCOMPARE(platform.waveOutSetVolume(0, 0xC000C000), MMSYSERR_NOERROR);
        QCOMPARE(platform.auxSetVolume(0, 0x30003000), MMSYSERR_NOERROR);
        double stoppedAt = 0;
        dawnbell.inDialog([&](frmOptions& d) {
            d.TabStrip1->setCurrentIndex(4);
            QTest::mouseClick(d.cmdTest, Qt::LeftButton);
            QElapsedTimer sounding;
            sounding.start();
            QCOMPARE(d.cmdTest->text(), QStringLiteral("&Turn off alarm"));
            QTest::qWait(8000);
            QTest::keyClick(d.cmdTest, Qt::Key_Space);  // the button keeps the focus
            stoppedAt = sounding.elapsed() / 1000.0;
            QCOMPARE(d.cmdTest->text(), QStringLiteral("&Test alarm now"));
            uint32_t wave = 0, aux = 0;
            platform.waveOutGetVolume(0, wave);
            platform.auxGetVolume(0, aux);
            QCOMPARE(wave, 0xC000C000u);
            QCOMPARE(aux, 0x30003000u);
            QTest::qWait(1500);
        });
        const audiofix::Audio heard = audiofix::readRawS16(recording);
        // From silence, a step every two seconds: 65535 over a minute is 2184 a step, of a tone of amplitude 0.5.
        const double step = 2184.0 / 65535.0 * 0.5;
        QVERIFY2(LevelAt(heard, 0.5) < 0.1 * step, qPrintable(QString::number(LevelAt(heard, 0.5))));
        for (int k = 1; k <= 3; ++k) {
            const double measured = LevelAt(heard, 2.0 * k + 0.5);
            QVERIFY2(std::abs(measured - k * step) < 0.35 * step,
                     qPrintable(QStringLiteral("step %1: %2, expected about %3").arg(k).arg(measured).arg(k * step)));
        }
        // The second press silences it at once.
        const double lastSound = double(audiofix::lastSound(heard.left)) / heard.rate;
        QVERIFY2(lastSound > stoppedAt - 0.5 && lastSound < stoppedAt + 0.3,
                 qPrintable(QStringLiteral("sound until %1 s, stopped at %2 s").arg(lastSound).arg(stoppedAt)));
    }

    // The sleep page reads the disc of the image it shows; with the saved drives holding discs that have the
    // saved start tracks, the dialog's OK changes no stored key.
    void theSleepPageAndAnOkThatChangesNothing()
    {
        const QStringList drives = TwoDiscs();
        QCOMPARE(drives.size(), 2);
        Dawnbell dawnbell(Home() + QStringLiteral("/ok.raw"), {{"Settings/CDDrive", drives[1]},
                                                               {"Alarm/CDStartTrack", "3"},
                                                               {"Settings/SleepDrive", drives[0]},
                                                               {"Settings/SleepStartTrack", "2"},
                                                               {"Alarm/AlarmTime", "6:05:00 AM"},
                                                               {"Alarm/TimerTime", "20"}});
        dawnbell.module->SaveSettings();
        const QString file = dawnbell.platform->settingsFile();
        QFile before(file);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray saved = before.readAll();
        QVERIFY(saved.contains("CDDrive=" + drives[1].toUtf8()));
        dawnbell.inDialog([&](frmOptions& d) {
            d.TabStrip1->setCurrentIndex(5);
            d.chkSleepEnable->click();
            QCOMPARE(d.cmbSleepDrive->currentText(), drives[0]);
            QCOMPARE(d.lblSleepTrack->text(), QStringLiteral("2"));
            d.cmbSleepDrive->setFocus();
            QTest::keyClick(d.cmbSleepDrive, Qt::Key_Down);
            QCOMPARE(d.lblSleepTrack->text(), QStringLiteral("3"));
            QCOMPARE(d.cmbSleepTrack->count(), 3);
            QTest::keyClick(d.cmbSleepDrive, Qt::Key_Up);
            QCOMPARE(d.lblSleepTrack->text(), QStringLiteral("2"));
            QCOMPARE(d.cmbSleepTrack->currentText(), QStringLiteral("2"));
            d.chkSleepEnable->click();
            QTest::keyClick(&d, Qt::Key_Return);
        });
        dawnbell.module->SaveSettings();
        QFile after(file);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), saved);
    }
};

QTEST_MAIN(TestSettingsProgram)
#include "test_settings_program.moc"
