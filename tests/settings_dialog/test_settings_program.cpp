// The real Dawnbell, built as the program builds it (the Linux platform and the media engine, recorded by SDL's
// disk driver), driven through its settings dialog with the keyboard and the mouse: a playlist built in the
// playlist editor plays exactly the tracks chosen, in their order; the test alarm rises step by step and goes
// quiet again at once. (The real program ringing at its time is test_end_to_end's.)

#include "editors/frmPlaylist.h"
#include "settings_dialog/frmOptions.h"
#include "tests/support/RealDawnbell.h"
#include "tests/support/TestHome.h"
#include "tests/support/audio_fixtures.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <map>

namespace {

constexpr double Hz = 440;

// Runs `act` inside the modal form that `open` shows, once it is the active window; a form still open
// afterwards is closed as Esc would. False when no such form came up.
template <typename Form>
bool InModal(const std::function<void()>& open, const std::function<void(Form&)>& act)
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

// Opens the settings dialog of `dawnbell` with Ctrl+S and runs `act` inside it while it is shown.
void InDialog(Dawnbell& dawnbell, const std::function<void(frmOptions&)>& act)
{
    QVERIFY(QTest::qWaitForWindowActive(dawnbell.form.get()));
    QVERIFY2(InModal<frmOptions>([&] { QTest::keyClick(dawnbell.form.get(), Qt::Key_S, Qt::ControlModifier); }, act),
             "Ctrl+S did not open the settings dialog");
}

}  // namespace

class TestSettingsProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SKIP_OUTSIDE_TEST_HOME();
        qunsetenv("SDL_DISKAUDIODELAY");  // recorded at the pace of a real sound card
        QVERIFY(audiofix::writeToneWav(Home() + QStringLiteral("/rooster.wav"), Hz, 40.0));
    }

    // Playlist mode chosen in the editor with tracks 4, 1 and 4 of a four-track disc: the alarm plays exactly
    // those tracks, whole and in that order (the disc's last track too, which has no next track to stop at), and
    // then stops the CD. The tracks last longer than the 2 s of the main window's playlist-stepping timer, so a
    // track cut off at a tick is heard short.
    void aPlaylistPlaysItsTracksInOrder()
    {
        QDir(discsFolder()).removeRecursively();
        const double tones[] = {300, 500, 700, 900};
        QVERIFY(!audiofix::writeDiscImage(discsFolder(), QStringLiteral("four"),
                                          {{tones[0], 2.5}, {tones[1], 2.5}, {tones[2], 2.5}, {tones[3], 2.5}})
                     .isEmpty());
        const QString drive = audiofix::driveOf(QStringLiteral("four.cue"));
        QVERIFY(!drive.isEmpty());
        const QString recording = Home() + QStringLiteral("/playlist.raw");
        Dawnbell dawnbell(recording, {{"Alarm/AlarmType", "2"}, {"Settings/CDDrive", drive}});
        InDialog(dawnbell, [&](frmOptions& d) {
            d.TabStrip1->setCurrentIndex(3);
            const bool edited = InModal<frmPlaylist>(
                [&] { QTest::mouseClick(d.cmdEditPlaylist, Qt::LeftButton); },
                [](frmPlaylist& p) {
                    QTest::mouseClick(p.optPlayList, Qt::LeftButton);
                    QTest::mouseClick(p.cmdClear, Qt::LeftButton);
                    for (int track : {4, 1, 4}) {
                        QListWidget* list = p.lstAvailable;
                        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                          list->visualItemRect(list->item(track - 1)).center());
                        QTest::mouseClick(p.cmdAdd, Qt::LeftButton);
                    }
                    QTest::mouseClick(p.cmdOK, Qt::LeftButton);
                });
            QVERIFY(edited);
            QCOMPARE(d.lblCDInfo->text(), QStringLiteral("Using custom playlist."));
            QTest::keyClick(&d, Qt::Key_Return);
        });
        dawnbell.module->SoundAlarm();
        // Three tracks of 2.5 s, each followed within the 2 s of the stepping timer; then the CD stops.
        QTRY_COMPARE_WITH_TIMEOUT(dawnbell.module->CDOpen, int16_t(0), 20000);
        QCOMPARE(dawnbell.form->lblOnOff->text(), QStringLiteral("Wake up!"));  // the alarm rings on
        QTest::mouseClick(dawnbell.form->cmdOnOff, Qt::LeftButton);

        const audiofix::Audio heard = audiofix::readRawS16(recording);
        std::map<double, int> played;  // the track heard, by the time it started
        for (int track = 1; track <= 4; ++track) {
            for (const audiofix::Span& span : audiofix::toneSpans(heard.left, tones[track - 1])) {
                QVERIFY2(span.length() > 2.4 && span.length() < 2.6,
                         qPrintable(QStringLiteral("track %1 heard for %2 s").arg(track).arg(span.length())));
                played[span.start] = track;
            }
        }
        QString order;
        for (const auto& [start, track] : played)
            order += QString::number(track);
        QCOMPARE(order, QStringLiteral("414"));
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
        // Where the recording stood when something happened: the recorder keeps its own pace, so the steps and
        // the stop are found by how much had been recorded at that moment, not by the wall clock.
        const auto recorded = [&] { return double(QFileInfo(recording).size()) / 4 / audiofix::cdRate; };
        std::vector<double> steps;
        QObject::connect(dawnbell.form->tmrVolume, &QTimer::timeout, dawnbell.form.get(),
                         [&] { steps.push_back(recorded()); });
        double stoppedAt = 0;
        InDialog(dawnbell, [&](frmOptions& d) {
            d.TabStrip1->setCurrentIndex(4);
            QTest::mouseClick(d.cmdTest, Qt::LeftButton);
            QVERIFY(QTest::qWaitFor([&] { return steps.size() >= 4; }, 20000));
            QTest::keyClick(d.cmdTest, Qt::Key_Space);  // the button keeps the focus
            stoppedAt = recorded();
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
};

QTEST_MAIN(TestSettingsProgram)
#include "test_settings_program.moc"
