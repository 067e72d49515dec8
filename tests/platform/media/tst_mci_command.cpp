// The reading of MIDI files, without any device.

#include "platform/media/MidiFile.h"
#include "tests/support/audio_fixtures.h"
#include "tests/support/files.h"

#include <QtEndian>
#include <QTemporaryDir>
#include <QTest>

class TstMciCommand : public QObject {
    Q_OBJECT

private slots:
    void midiFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("lengthUs");
        QTest::addColumn<qint64>("tickAtHalfSecond");

        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.mid"_qs);
        QVERIFY(audiofix::writeMidiFile(path, {{69, 0.0, 0.5}, {72, 0.25, 1.25}}));
        const QByteArray smf = readFile(path);

        const auto n = qToLittleEndian(uint32_t(smf.size()));
        const QByteArray rmi =
            "RIFF" + QByteArray(4, '\0') + "RMIDdata" + QByteArray(reinterpret_cast<const char*>(&n), 4) + smf;

        // A file of one track at one tick a quarter note and the slowest tempo (16.8 s a quarter), whose events
        // come `delta` ticks apart: `events` notes, the first with its status byte, the others in running status.
        const auto slowest = [](uint32_t delta, int events) {
            QByteArray track("\x00\xFF\x51\x03\xFF\xFF\xFF", 7);
            QByteArray gap;
            for (int shift = 21; shift > 0; shift -= 7) {
                if (delta >> shift)
                    gap += char(0x80 | ((delta >> shift) & 0x7F));
            }
            gap += char(delta & 0x7F);
            for (int i = 0; i < events; ++i)
                track += gap + (i == 0 ? QByteArray("\x90\x40\x40", 3) : QByteArray("\x40\x40", 2));
            track += QByteArray("\x00\xFF\x2F\x00", 4);
            const auto size = uint32_t(track.size());
            return QByteArray("MThd\0\0\0\x06\0\0\0\x01\0\x01MTrk", 18) + char(size >> 24) + char(size >> 16) +
                   char(size >> 8) + char(size) + track;
        };

        // 0.5 s at 120 beats a minute is 480 ticks; the file's last event is at 1.5 s.
        QTest::newRow("standard MIDI file") << smf << true << qint64(1'500'000) << qint64(480);
        QTest::newRow("RMI wrapper") << rmi << true << qint64(1'500'000) << qint64(480);
        QTest::newRow("cut short") << smf.left(smf.size() / 2) << false << qint64(0) << qint64(0);
        QTest::newRow("text") << QByteArray("MThd is not enough") << false << qint64(0) << qint64(0);
        // Lengths that overflowed 64 bits on the way: no sequence lasts beyond a day (the 2,100 events' file is
        // beyond it at its first event already).
        QTest::newRow("23.3 hours") << slowest(5000, 1) << true << qint64(5000) * 0xFFFFFF << qint64(0);
        QTest::newRow("2,100 long events in running status") << slowest(0x0FFFFFFF, 2100) << false << qint64(0)
                                                              << qint64(0);
    }

    void midiFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(qint64, lengthUs);
        QFETCH(qint64, tickAtHalfSecond);
        media::MidiFile midi;
        QCOMPARE(midi.read(bytes), ok);
        if (!ok)
            return;
        QCOMPARE(midi.lengthUs(), lengthUs);
        QCOMPARE(midi.tickAtUs(500'000), tickAtHalfSecond);
    }
};

QTEST_GUILESS_MAIN(TstMciCommand)
#include "tst_mci_command.moc"
