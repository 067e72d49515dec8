// The MCI routines: the exact command strings, their order, which failures are reported, and how replies
// are read.

#include "tests/fakes/World.h"

#include <QTimer>
#include <QtTest>

namespace {

const QString ErrorPrefix = QStringLiteral("Dawnbell has encountered an error with the MCI multimedia device.  Error: ");

QStringList Strings(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list << QString::fromUtf8(text);
    return list;
}

}  // namespace

class TestMciRoutines : public QObject {
    Q_OBJECT
private slots:
    void checkedSendReportsAndReturnsTheErrorText()
    {
        World w;
        w.start();
        w.platform.answer(QStringLiteral("play midi"), FakePlatform::NotOpenError);
        const QString reply = w.module.SendMciChecked(QStringLiteral("play midi"));
        QCOMPARE(reply, QStringLiteral("No device is open under that alias."));
        QCOMPARE(w.platform.boxes.size(), size_t{1});
        QCOMPARE(w.platform.boxes[0].text, ErrorPrefix + QStringLiteral("No device is open under that alias."));
        QCOMPARE(w.platform.boxes[0].style, 0);
        QCOMPARE(w.platform.boxes[0].title, QStringLiteral("Dawnbell"));
        // A plain send of the same command stays silent and answers nothing.
        QCOMPARE(w.module.SendMci(QStringLiteral("play midi")), QString());
        QCOMPARE(w.platform.boxes.size(), size_t{1});
    }

    void repliesEndAtTheirFirstNul()
    {
        World w;
        w.start();
        w.platform.answer(QStringLiteral("status cd mode"), 0, QStringLiteral("playing") + QChar(0) + QStringLiteral("junk"));
        QCOMPARE(w.module.SendMci(QStringLiteral("status cd mode")), QStringLiteral("playing"));
        w.platform.answer(QStringLiteral("status cd length"), 0, QString(300, QLatin1Char('7')));
        QCOMPARE(w.module.SendMci(QStringLiteral("status cd length")).size(), 255);
    }

    void deviceMode_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<uint>("code");
        QTest::addColumn<QString>("mode");
        QTest::newRow("playing") << "playing" << 0u << "playing";
        QTest::newRow("first seven characters") << "playing track 3" << 0u << "playing";
        QTest::newRow("paused") << "paused" << 0u << "stopped";
        QTest::newRow("seeking") << "seeking" << 0u << "stopped";
        QTest::newRow("not ready") << "not ready" << 0u << "stopped";
        QTest::newRow("stopped") << "stopped" << 0u << "stopped";
        QTest::newRow("not open") << "" << uint(FakePlatform::NotOpenError) << "stopped";
        QTest::newRow("upper case") << "PLAYING" << 0u << "stopped";
    }
    void deviceMode()
    {
        QFETCH(QString, reply);
        QFETCH(uint, code);
        QFETCH(QString, mode);
        World w;
        w.start();
        w.platform.clearLog();
        w.platform.answer(QStringLiteral("status Sound mode"), code, reply);
        QCOMPARE(w.module.GetDeviceMode(QStringLiteral("Sound")), mode);
        QCOMPARE(w.platform.mciCommands(), QStringList{QStringLiteral("status Sound mode")});
        QVERIFY(w.platform.boxes.empty());
    }

    void alarmCdSequence_data()
    {
        QTest::addColumn<int>("tracks");  // -1: no disc
        QTest::addColumn<int>("startTrack");
        QTest::addColumn<QList<int>>("playlist");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<int>("errorBoxes");
        QTest::addColumn<bool>("stepping");
        const QStringList opening = Strings({"open E: shareable type cdaudio alias cd", "set cd time format tmsf",
                                             "status cd number of tracks"});
        QTest::newRow("start track on the disc")
            << 8 << 3 << QList<int>{}
            << opening + Strings({"set cd seek exactly on", "seek cd to 3 wait", "play cd"}) << 0 << false;
        QTest::newRow("start track is the last track")
            << 8 << 8 << QList<int>{}
            << opening + Strings({"set cd seek exactly on", "seek cd to 8 wait", "play cd"}) << 0 << false;
        QTest::newRow("start track beyond the disc")
            << 8 << 9 << QList<int>{}
            << opening + Strings({"set cd seek exactly on", "seek cd to 1 wait", "play cd"}) << 0 << false;
        QTest::newRow("playlist starting on the last track")
            << 8 << 1 << QList<int>{8, 2} << opening + Strings({"play cd from 8"}) << 0 << true;
        QTest::newRow("playlist starting inside the disc")
            << 8 << 1 << QList<int>{3, 8} << opening + Strings({"play cd from 3 to 4"}) << 0 << true;
        QTest::newRow("no disc: every checked command reports")
            << -1 << 5 << QList<int>{}
            << opening + Strings({"set cd seek exactly on", "seek cd to 1 wait", "play cd"}) << 5 << false;
        QTest::newRow("no disc with a playlist")
            << -1 << 1 << QList<int>{4} << opening + Strings({"play cd from 4 to 5"}) << 3 << true;
    }
    void alarmCdSequence()
    {
        QFETCH(int, tracks);
        QFETCH(int, startTrack);
        QFETCH(QList<int>, playlist);
        QFETCH(QStringList, commands);
        QFETCH(int, errorBoxes);
        QFETCH(bool, stepping);
        World w;
        w.platform.cdDrives = {QStringLiteral("E:")};
        w.start();
        if (tracks < 0)
            w.platform.removeDisc();
        else
            w.platform.insertDisc(tracks);
        w.settings().CDStartTrack = static_cast<int16_t>(startTrack);
        if (!playlist.isEmpty()) {
            w.module.UsePlaylist = 1;
            w.module.PlaylistCount = static_cast<int16_t>(playlist.size());
            for (int track : playlist)
                w.module.PlaylistTracks.push_back(static_cast<int16_t>(track));
            w.module.PlaylistIndex = 5;
        }
        w.platform.clearLog();
        w.module.PlayAlarmCD();
        QCOMPARE(w.platform.mciCommands(), commands);
        QCOMPARE(static_cast<int>(w.platform.boxes.size()), errorBoxes);
        for (const auto& box : w.platform.boxes)
            QCOMPARE(box.text, ErrorPrefix + QStringLiteral("The drive holds no disc."));
        QCOMPARE(w.module.CDOpen, -1);
        QCOMPARE(w.main().tmrPlayList->isActive(), stepping);
        if (stepping)
            QCOMPARE(w.module.PlaylistIndex, 0);
    }

    void emptyPlaylistPlaysFromTheStartTrack()
    {
        World w;
        w.platform.cdDrives = {QStringLiteral("E:")};
        w.start();
        w.platform.insertDisc(8);
        w.settings().CDStartTrack = 2;
        w.module.UsePlaylist = 1;
        w.module.PlaylistCount = 0;
        w.platform.clearLog();
        w.module.PlayAlarmCD();
        QVERIFY(w.platform.mciCommands().contains(QStringLiteral("seek cd to 2 wait")));
        QVERIFY(!w.main().tmrPlayList->isActive());
    }

    void stopCd()
    {
        World w;
        w.start();
        w.module.CDOpen = -1;
        w.main().tmrPlayList->start();
        w.platform.clearLog();
        w.module.StopCD();
        QCOMPARE(w.platform.mciCommands(), Strings({"stop cd", "close cd"}));
        QCOMPARE(w.module.CDOpen, 0);
        QVERIFY(!w.main().tmrPlayList->isActive());
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
        QTest::newRow("mp3 the engine plays") << "/home/sleeper/alarm.mp3" << 0u << 0u << 42 << false;
        QTest::newRow("flac the engine plays") << "/home/sleeper/alarm.flac" << 0u << 0u << 42 << false;
        QTest::newRow("alias open since start-up") << "/home/sleeper/alarm.ogg" << 263u << 0u << 42 << false;
        QTest::newRow("refused, the player plays it") << "/home/sleeper/alarm.wma" << 269u << 262u << 42 << false;
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
        w.start();
        w.settings().AlarmSound = path;
        w.platform.answer(QStringLiteral("open .* alias Sound"), openError);
        w.platform.answer(QStringLiteral("play Sound"), playError);
        w.platform.shellOpenResult = shellResult;
        w.platform.beeps = 0;  // the start-up note on the missing CD-ROM drive beeped once
        w.platform.clearLog();
        w.module.PlayAlarmSound();
        QCOMPARE(w.platform.mciCommands(), (QStringList{QStringLiteral("open \"") + path + QStringLiteral("\" alias Sound"),
                                                        QStringLiteral("play Sound")}));
        const bool engine = playError == 0;
        QCOMPARE(w.main().SoundTimer->isActive(), engine);
        QCOMPARE(w.platform.shellOpened, engine ? QStringList() : QStringList{path});
        QCOMPARE(w.platform.beeps, engine ? 0 : 10);
        if (!engine)
            QCOMPARE(w.platform.shellDirectories, QStringList{QStringLiteral("/home/sleeper")});
        QCOMPARE(w.platform.boxes.size(), size_t(errorBox ? 1 : 0));
        if (errorBox) {
            QCOMPARE(w.platform.boxes[0].text,
                     QStringLiteral("There was an error launching the MPEG3 audio player.  Make sure it is properly "
                                    "associated with .MP3 files."));
            QCOMPARE(w.platform.boxes[0].style, 0);
        }
    }

    void stopSoundAndMidi()
    {
        World w;
        w.start();
        w.main().SoundTimer->start();
        w.platform.clearLog();
        w.module.StopAlarmSound();
        w.module.StopMidi();
        QCOMPARE(w.platform.mciCommands(), Strings({"stop Sound", "close Sound", "stop midi", "close midi"}));
        QVERIFY(!w.main().SoundTimer->isActive());
    }

    void midiIsCheckedAndEndsWithABlank()
    {
        World w;
        w.start();
        w.settings().MidiSound = QStringLiteral("/home/sleeper/wake up.mid");
        w.platform.answer(QStringLiteral("open .* alias midi "), 275);
        w.platform.clearLog();
        w.module.PlayAlarmMidi();
        QCOMPARE(w.platform.mciCommands(),
                 Strings({"open \"/home/sleeper/wake up.mid\" alias midi ", "play midi"}));
        QCOMPARE(w.platform.boxes.size(), size_t{1});
        QCOMPARE(w.platform.boxes[0].text, ErrorPrefix + QStringLiteral("Error 275."));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void probeCountsTracks_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("count");
        QTest::newRow("ten") << "10" << 10;
        QTest::newRow("nothing") << "" << 0;
        QTest::newRow("negative") << "-3" << 0;
        QTest::newRow("text") << "no disc" << 0;
        QTest::newRow("half") << "2.5" << 2;
    }
    void probeCountsTracks()
    {
        QFETCH(QString, reply);
        QFETCH(int, count);
        World w;
        w.start();
        w.platform.answer(QStringLiteral("status cd number of tracks"), 0, reply);
        QCOMPARE(w.module.ProbeCdTrackCount(QStringLiteral("D:")), count);
    }
};

QTEST_MAIN(TestMciRoutines)
#include "test_mci_routines.moc"
