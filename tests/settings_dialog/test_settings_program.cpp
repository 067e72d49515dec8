// The real Dawnbell, built as the program builds it (the Linux platform and the media engine, recorded by SDL's
// disk driver), driven through its settings dialog with the keyboard and the mouse: an alarm typed into the
// dialog rings at its time, a playlist built in the playlist editor plays its tracks in order, the test alarm
// rises and goes quiet again, the sleep page reads the disc image it shows, and opening the dialog and pressing
// OK leaves the stored settings as they were.

#include "core/Module1.h"
#include "core/TextRules.h"
#include "editors/frmPlaylist.h"
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
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

#include <algorithm>
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
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QVERIFY2(InModal<frmOptions>([this] { QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier); }, act),
                 "Ctrl+S did not open the settings dialog");
    }

    // Runs `act` inside the modal form that `open` shows, once it is the active window; a form still open
    // afterwards is closed as Esc would. False when no such form came up.
    template <typename Form>
    static bool InModal(const std::function<void()>& open, const std::function<void(Form&)>& act)
    {
        bool ran = false;
        QTimer watch;
        watch.setInterval(20);
        QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
            auto* shown = qobject_cast<Form*>(QApplication::activeModalWidget());
            if (shown == nullptr || !shown->isVisible())
                return;
            watch.stop();
            // The window system makes a new dialog the active window; the offscreen one leaves that to the
            // program.
            shown->activateWindow();
            if (!QTest::qWaitFor([shown] { return QApplication::activeWindow() == shown; }))
                return shown->reject();
            ran = true;
            act(*shown);
            if (shown->isVisible())
                shown->reject();
        });
        watch.start();
        open();
        return ran;
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

// Types the alarm time into the dialog's fields as a user would (the hour with a fraction its check drops).
void TypeAlarmTime(frmOptions& d, const QTime& alarm)
{
    const int hour = alarm.hour() % 12 == 0 ? 12 : alarm.hour() % 12;
    Type(d.cmbHour, QString::number(hour) + QStringLiteral(".9"));
    QCOMPARE(d.cmbHour->currentText(), QString::number(hour));
    Type(d.cmbMinute, QString::number(alarm.minute()));
    QCOMPARE(d.cmbMinute->currentText(), QStringLiteral("%1").arg(alarm.minute(), 2, 10, QLatin1Char('0')));
    Type(d.cmbSecond, QString::number(alarm.second()));
    Type(d.cmbAMPM, alarm.hour() < 12 ? QStringLiteral("a.m.") : QStringLiteral("p.m."));
}

// An alarm a few seconds ahead, with a minute's margin before midnight.
QTime AlarmAhead(int seconds)
{
    if (QTime::currentTime() > QTime(23, 58, 0))
        QTest::qWait(130000);
    const QTime ahead = QTime::currentTime().addSecs(seconds);
    return QTime(ahead.hour(), ahead.minute(), ahead.second());
}

// Turns the alarm on with the mouse; nothing sounds before the alarm time, and it rings at that time.
void ArmAndWaitForTheAlarm(Dawnbell& dawnbell, const QString& recording, const QTime& alarm)
{
    QTest::mouseClick(dawnbell.form->cmdOnOff, Qt::LeftButton);
    QCOMPARE(dawnbell.form->lblOnOff->text(), QStringLiteral("Alarm is on."));
    QTest::qWait(std::max(0, QTime::currentTime().msecsTo(alarm) - 300));
    QCOMPARE(QFileInfo(recording).size(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(dawnbell.form->lblOnOff->text(), QStringLiteral("Wake up!"), 3000);
    QVERIFY(std::abs(QTime::currentTime().msecsTo(alarm)) < 500);
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
        const QTime alarm = AlarmAhead(5);
        dawnbell.inDialog([&](frmOptions& d) {
            TypeAlarmTime(d, alarm);
            QTest::keyClick(d.cmbAMPM, Qt::Key_Return);  // the default button: OK
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(dawnbell.form->lblAlarm->text(), TimeText(alarm));
        ArmAndWaitForTheAlarm(dawnbell, recording, alarm);
        QTest::qWait(1500);
        QTest::mouseClick(dawnbell.form->cmdOnOff, Qt::LeftButton);
        const audiofix::Audio heard = audiofix::readRawS16(recording);
        QVERIFY(heard.seconds() > 1.0);
        QVERIFY2(LevelAt(heard, 0.2) > 0.4, qPrintable(QString::number(LevelAt(heard, 0.2))));
    }

    // Playlist mode chosen in the editor with tracks 3, 1 and 3 of a four-track disc: the alarm plays exactly
    // those tracks, whole and in that order, and then stops the CD.
    void aPlaylistPlaysItsTracksInOrder()
    {
        QDir(discsFolder()).removeRecursively();
        const double tones[] = {300, 500, 700, 900};
        QVERIFY(!audiofix::writeDiscImage(discsFolder(), QStringLiteral("four"),
                                          {{tones[0], 1.5}, {tones[1], 1.5}, {tones[2], 1.5}, {tones[3], 1.5}})
                     .isEmpty());
        const std::vector<CdDrive> drives = listCdDrives();
        QCOMPARE(drives.size(), size_t(1));
        const QString recording = Home() + QStringLiteral("/playlist.raw");
        Dawnbell dawnbell(recording, {{"Alarm/AlarmType", "2"}, {"Settings/CDDrive", drives[0].name}});
        const QTime alarm = AlarmAhead(8);
        dawnbell.inDialog([&](frmOptions& d) {
            TypeAlarmTime(d, alarm);
            d.TabStrip1->setCurrentIndex(3);
            const bool edited = Dawnbell::InModal<frmPlaylist>(
                [&] { QTest::mouseClick(d.cmdEditPlaylist, Qt::LeftButton); },
                [](frmPlaylist& p) {
                    QTest::mouseClick(p.optPlayList, Qt::LeftButton);
                    QTest::mouseClick(p.cmdClear, Qt::LeftButton);
                    for (int track : {3, 1, 3}) {
                        QListWidget* list = p.lstAvailable;
                        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                          list->visualItemRect(list->item(track - 1)).center());
                        QTest::mouseClick(p.cmdAdd, Qt::LeftButton);
                    }
                    QCOMPARE(p.lstSelected->count(), 3);
                    QTest::mouseClick(p.cmdOK, Qt::LeftButton);
                    QVERIFY(!p.isVisible());
                });
            QVERIFY(edited);
            QCOMPARE(d.lblCDInfo->text(), QStringLiteral("Using custom playlist."));
            QTest::mouseClick(d.cmdOK, Qt::LeftButton);
        });
        ArmAndWaitForTheAlarm(dawnbell, recording, alarm);
        // Three tracks of 1.5 s, each followed within the 2 s of the stepping timer; then the CD stops.
        QTRY_COMPARE_WITH_TIMEOUT(dawnbell.module->CDOpen, int16_t(0), 12000);
        const QString state = dawnbell.form->lblOnOff->text();
        QTest::mouseClick(dawnbell.form->cmdOnOff, Qt::LeftButton);
        QCOMPARE(state, QStringLiteral("Wake up!"));

        const audiofix::Audio heard = audiofix::readRawS16(recording);
        std::vector<std::pair<double, int>> played;  // start of each track heard, and the track
        for (int track = 1; track <= 4; ++track) {
            for (const audiofix::Span& span : audiofix::toneSpans(heard.left, tones[track - 1])) {
                QVERIFY2(span.length() > 1.4 && span.length() < 1.6,
                         qPrintable(QStringLiteral("track %1 heard for %2 s").arg(track).arg(span.length())));
                played.emplace_back(span.start, track);
            }
        }
        std::sort(played.begin(), played.end());
        QStringList order;
        for (const auto& [start, track] : played)
            order << QString::number(track);
        QCOMPARE(order.join(u' '), QStringLiteral("3 1 3"));
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
        // Where the recording stood when something happened: the recorder keeps its own pace, so the steps and
        // the stop are found by how much had been recorded at that moment, not by the wall clock.
        const auto recorded = [&] { return double(QFileInfo(recording).size()) / 4 / audiofix::cdRate; };
        std::vector<double> steps;
        QObject::connect(dawnbell.form->tmrVolume, &QTimer::timeout, dawnbell.form.get(),
                         [&] { steps.push_back(recorded()); });
        double stoppedAt = 0;
        dawnbell.inDialog([&](frmOptions& d) {
            d.TabStrip1->setCurrentIndex(4);
            QTest::mouseClick(d.cmdTest, Qt::LeftButton);
            QCOMPARE(d.cmdTest->text(), QStringLiteral("&Turn off alarm"));
            QVERIFY(QTest::qWaitFor([&] { return steps.size() >= 4; }, 20000));
            QTest::keyClick(d.cmdTest, Qt::Key_Space);  // the button keeps the focus
            stoppedAt = recorded();
            QCOMPARE(d.cmdTest->text(), QStringLiteral("&Test alarm now"));
            uint32_t wave = 0, aux = 0;
            platform.waveOutGetVolume(0, wave);
            platform.auxGetVolume(0, aux);
            QCOMPARE(wave, 0xC000C000u);
            QCOMPARE(aux, 0x30003000u);
            QTest::qWait(1500);
        });
        const audiofix::Audio heard = audiofix::readRawS16(recording);
        const auto levelBetween = [&](double from, double to) {
            return audiofix::toneLevel(heard.left, heard.at(from), heard.at(to) - heard.at(from), Hz);
        };
        // From silence, one step at each tick of the ramp: 65535 over a minute is 2184 a step, of a tone of
        // amplitude 0.5.
        const double step = 2184.0 / 65535.0 * 0.5;
        QVERIFY2(levelBetween(0.05, steps[0] - 0.1) < 0.1 * step, qPrintable(QString::number(steps[0])));
        for (size_t k = 1; k < steps.size(); ++k) {
            const double measured = levelBetween(steps[k - 1] + 0.25, std::min(steps[k - 1] + 1.0, steps[k] - 0.05));
            QVERIFY2(std::abs(measured - double(k) * step) < 0.35 * step,
                     qPrintable(QStringLiteral("step %1: %2, expected about %3").arg(k).arg(measured).arg(double(k) * step)));
        }
        // The second press silences it at once.
        const double lastSound = double(audiofix::lastSound(heard.left)) / heard.rate;
        QVERIFY2(lastSound > stoppedAt - 0.5 && lastSound < stoppedAt + 0.35,
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
