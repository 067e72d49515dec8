// The MCI routines: the exact command strings, their order, which failures are reported, and how replies
// are read.

#include "tests/fakes/World.h"

#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString ErrorPrefix = u"Dawnbell has encountered an error with the MCI multimedia device.  Error: "_s;
}

class TestMciRoutines : public QObject {
    Q_OBJECT
private slots:
    void sends()
    {
        World w;
        w.start();
        // A checked send reports a failure and returns the error text in place of a reply.
        w.platform.answer(u"play midi"_s, FakePlatform::NotOpenError);
        QCOMPARE(w.module.SendMciChecked(u"play midi"_s), u"No device is open under that alias."_s);
        QCOMPARE(w.boxTexts(), QStringList{ErrorPrefix + u"No device is open under that alias."_s});
        QCOMPARE(w.platform.boxes[0].style, 0);
        QCOMPARE(w.platform.boxes[0].title, u"Dawnbell"_s);
        // A plain send of the same command stays silent and answers nothing.
        QCOMPARE(w.module.SendMci(u"play midi"_s), QString());
        QCOMPARE(w.platform.boxes.size(), size_t{1});
        // Replies end at their first NUL, and at 255 characters.
        w.platform.answer(u"status cd mode"_s, 0, u"playing"_s + QChar(0) + u"junk"_s);
        QCOMPARE(w.module.SendMci(u"status cd mode"_s), u"playing"_s);
        w.platform.answer(u"status cd length"_s, 0, QString(300, u'7'));
        QCOMPARE(w.module.SendMciChecked(u"status cd length"_s).size(), 255);
        // A device's mode is "playing" or "stopped": paused, not ready or not open count as stopped.
        w.platform.answer(u"status Sound mode"_s, 0, u"playing track 3"_s);
        QCOMPARE(w.module.GetDeviceMode(u"Sound"_s), u"playing"_s);
        w.platform.answer(u"status Sound mode"_s, 0, u"paused"_s);
        QCOMPARE(w.module.GetDeviceMode(u"Sound"_s), u"stopped"_s);
        w.platform.answer(u"status Sound mode"_s, FakePlatform::NotOpenError);
        QCOMPARE(w.module.GetDeviceMode(u"Sound"_s), u"stopped"_s);
        QCOMPARE(w.platform.boxes.size(), size_t{1});  // none of it reported
    }

    // The alarm CD's commands at the edges of the disc and without one. A start track inside the disc is heard in
    // test_end_to_end, a playlist's tracks (the disc's last one too) in test_settings_program.
    void alarmCdSequence_data()
    {
        QTest::addColumn<int>("tracks");  // -1: no disc
        QTest::addColumn<int>("startTrack");
        QTest::addColumn<QList<int>>("playlist");
        QTest::addColumn<QStringList>("commands");  // after the opening three
        QTest::addColumn<int>("errorBoxes");
        const auto seekTo = [](int track) {
            return QStringList{"set cd seek exactly on", u"seek cd to %1 wait"_s.arg(track), "play cd"};
        };
        QTest::newRow("start track is the last track") << 8 << 8 << QList<int>{} << seekTo(8) << 0;
        QTest::newRow("start track beyond the disc") << 8 << 9 << QList<int>{} << seekTo(1) << 0;
        QTest::newRow("no disc: every checked command reports") << -1 << 5 << QList<int>{} << seekTo(1) << 5;
        QTest::newRow("no disc with a playlist") << -1 << 1 << QList<int>{4} << QStringList{"play cd from 4 to 5"} << 3;
    }
    void alarmCdSequence()
    {
        QFETCH(int, tracks);
        QFETCH(int, startTrack);
        QFETCH(QList<int>, playlist);
        QFETCH(QStringList, commands);
        QFETCH(int, errorBoxes);
        World w;
        w.platform.cdDrives = {u"E:"_s};
        w.start();
        if (tracks < 0)
            w.platform.removeDisc();
        else
            w.platform.insertDisc(tracks);
        w.settings().CDStartTrack = static_cast<int16_t>(startTrack);
        // The playlist is always in use: an empty one plays from the start track.
        w.module.UsePlaylist = 1;
        w.module.PlaylistCount = static_cast<int16_t>(playlist.size());
        for (int track : playlist)
            w.module.PlaylistTracks.push_back(static_cast<int16_t>(track));
        w.module.PlaylistIndex = 5;
        w.platform.clearLog();
        w.module.PlayAlarmCD();
        QCOMPARE(w.platform.mciCommands(), QStringList({"open E: shareable type cdaudio alias cd",
                                                        "set cd time format tmsf", "status cd number of tracks"}) +
                                               commands);
        QCOMPARE(w.boxTexts(), QStringList(errorBoxes, ErrorPrefix + u"The drive holds no disc."_s));
        QCOMPARE(w.module.CDOpen, -1);
        QCOMPARE(w.form.tmrPlayList->isActive(), !playlist.isEmpty());
        QCOMPARE(w.module.PlaylistIndex, playlist.isEmpty() ? 5 : 0);
    }

    // Every file the engine opens plays through the alias "Sound", whatever its name; only a file the engine
    // refuses goes to the desktop's player, with the ten beeps and, when that fails too, the message.
    void soundFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<uint>("openError");  // the engine's answer to the open
        QTest::addColumn<uint>("playError");
        QTest::addColumn<int>("shellResult");
        QTest::addColumn<bool>("errorBox");
        QTest::newRow("wave") << "/home/sleeper/ALARM.WAV" << 0u << 0u << 42 << false;
        QTest::newRow("refused, out of memory") << "/home/sleeper/alarm.wma" << 269u << 262u << 0 << true;
        QTest::newRow("refused, file not found") << "/home/sleeper/alarm.mp3" << 267u << 262u << 2 << true;
        QTest::newRow("refused, path not found") << "/gone/alarm.mp3" << 267u << 262u << 3 << true;
        QTest::newRow("refused, no associated program") << "/home/sleeper/a.wma" << 269u << 262u << 31 << true;
        QTest::newRow("refused, another low code is success") << "/home/sleeper/a.wma" << 269u << 262u << 5 << false;
        QTest::newRow("no sound output at all") << "/home/sleeper/alarm.wav" << 0u << 270u << 42 << false;
        QTest::newRow("empty path") << "" << 259u << 262u << 2 << true;
    }
    void soundFile()
    {
        QFETCH(QString, path);
        QFETCH(uint, openError);
        QFETCH(uint, playError);
        QFETCH(int, shellResult);
        QFETCH(bool, errorBox);
        World w;
        w.platform.cdDrives = {u"E:"_s};  // no note on a missing drive, no beep
        w.start();
        w.settings().AlarmSound = path;
        w.platform.answer(QStringLiteral("open .* alias Sound"), openError);
        w.platform.answer(QStringLiteral("play Sound"), playError);
        w.platform.shellOpenResult = shellResult;
        w.platform.clearLog();
        w.module.PlayAlarmSound();
        QCOMPARE(w.platform.mciCommands(), QStringList({"open " + QuoteMciName(path) + " alias Sound", "play Sound"}));
        const bool engine = playError == 0;
        QCOMPARE(w.form.SoundTimer->isActive(), engine);
        QCOMPARE(w.platform.shellOpened, engine ? QStringList() : QStringList{path});
        QCOMPARE(w.platform.shellDirectories, engine ? QStringList() : QStringList{u"/home/sleeper"_s});
        QCOMPARE(w.platform.beeps, engine ? 0 : 10);
        const QStringList launchError{"There was an error launching the MPEG3 audio player.  Make sure it is properly "
                                      "associated with .MP3 files."};
        QCOMPARE(w.boxTexts(), errorBox ? launchError : QStringList());
    }

    // The MIDI file's open and play are checked: both failures are reported (the commands themselves are
    // test_alarm_sources' MIDI rows).
    void midiIsChecked()
    {
        World w;
        w.start();
        w.settings().MidiSound = u"/home/sleeper/wake up.mid"_s;
        w.platform.answer(u".*midi.*"_s, 275);
        w.module.PlayAlarmMidi();
        QCOMPARE(w.boxTexts(), QStringList(2, ErrorPrefix + u"Error 275."_s));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(TestMciRoutines)
#include "test_mci_routines.moc"
