// The media engine on real libraries and generated fixtures: what comes out of the mixer is recorded by a
// capture output and checked as a listener would hear it (pitch, channel, order, length, gain).

#include "platform/Platform.h"
#include "platform/cd_drives.h"
#include "platform/media/MciErrors.h"
#include "platform/media/MediaEngine.h"
#include "tests/support/CaptureOutput.h"
#include "tests/support/audio_fixtures.h"
#include "tests/support/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <condition_variable>
#include <mutex>

using namespace audiofix;

namespace {

constexpr int rate = 44100;
const QString soundFont = u"/usr/share/sounds/sf2/default-GM.sf2"_qs;

struct Reply {
    uint32_t code;
    QString text;
};

Reply send(MediaEngine& engine, const QString& command)
{
    Reply r{0, {}};
    r.code = engine.mciSendString(command, r.text);
    return r;
}

#define SEND_OK(engine, command)                                                                              \
    do {                                                                                                      \
        const Reply r_ = send(engine, command);                                                               \
        QVERIFY2(r_.code == 0, qPrintable(QStringLiteral("%1 -> %2").arg(command).arg(r_.code)));            \
    } while (false)

// An engine that plays into a capture output of its own.
std::pair<std::shared_ptr<CaptureOutput>, std::unique_ptr<MediaEngine>> rig(
    CaptureOutput::Mode mode = CaptureOutput::Mode::Free, MediaEngineOptions options = {})
{
    auto output = std::make_shared<CaptureOutput>(mode);
    options.output = output;
    return {output, std::make_unique<MediaEngine>(std::move(options))};
}

// A CD drive whose every look at the disc or read attempt is held until the test lets it go: a command that
// returns while an attempt is held did not wait for the drive.
class Gate {
public:
    explicit Gate(bool passes = true) : passes_(passes) {}
    bool pass()
    {
        std::unique_lock lock(mutex_);
        ++attempts_;
        ++inside_;
        changed_.notify_all();
        changed_.wait_for(lock, std::chrono::seconds(30), [&] { return open_; });
        --inside_;
        return passes_;
    }
    // From now on every attempt goes through at once.
    void release()
    {
        const std::lock_guard guard(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    bool waitInside()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return inside_ > 0; });
    }
    int inside()
    {
        const std::lock_guard guard(mutex_);
        return inside_;
    }
    int attempts()
    {
        const std::lock_guard guard(mutex_);
        return attempts_;
    }

private:
    const bool passes_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    int inside_ = 0;
    int attempts_ = 0;
};

// The options of an engine whose CD drives answer through `hooks`.
MediaEngineOptions withDrive(media::CdTestHooks hooks, bool paranoia,
                             std::chrono::milliseconds patience = std::chrono::seconds(5))
{
    MediaEngineOptions options;
    options.paranoiaForImages = paranoia;
    options.drivePatience = patience;
    options.cdTestHooks = std::move(hooks);
    return options;
}

}  // namespace

class TstMediaEngine : public QObject {
    Q_OBJECT

private:
    QString file(const QString& name) const { return dir_.filePath(name); }
    QString openFile(const QString& name, const QString& alias = u"Sound"_qs) const
    {
        return u"open \""_qs + file(name) + u"\" alias "_qs + alias;
    }
    static QString openCd(const QString& drive) { return u"open "_qs + drive + u" shareable type cdaudio alias cd"_qs; }
    // Opens `drive` as "cd", counting in tracks.
    static bool openDisc(MediaEngine& engine, const QString& drive)
    {
        return send(engine, openCd(drive)).code == 0 && send(engine, u"set cd time format tmsf"_qs).code == 0;
    }

    QTemporaryDir dir_;
    QString disc_;   // 440 Hz 1.0 s, 660 Hz 1.2 s, 880 Hz 0.8 s
    QString mixed_;  // 440 Hz 0.5 s, data 0.5 s, 880 Hz 0.5 s
    QString data_;   // one data track
    QString album_;       // an album folder of the same three tones as disc_
    QString albumMixed_;  // an album folder as mixed_: the file between is no sound file it can decode
    bool haveFont_ = false;

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(writeToneWav(file(u"a440.wav"_qs), 440, 1.0));
        QVERIFY(writeToneWav(file(u"b880.wav"_qs), 880, 0.3));
        QVERIFY(writeToneWav(file(u"short440.wav"_qs), 440, 0.3));
        QVERIFY(writeToneWav(file(u"mono22k.wav"_qs), 660, 0.5, 22050, 1));
        QVERIFY(writeStereoToneWav(file(u"lr48k.wav"_qs), 440, 880, 0.5, 48000));
        QVERIFY(writeFile(file(u"notes.wav"_qs), "These are notes, not sound.\n"));
        QVERIFY(QFile::copy(file(u"notes.wav"_qs), file(u"notes.mid"_qs)));
        // Names the command reader must give back whole: blanks, quotes, a quote at each end.
        QVERIFY(QFile::copy(file(u"a440.wav"_qs), file(u"say \"hi\" (live) .wav"_qs)));
        QVERIFY(QDir(dir_.path()).mkdir(u"\"q\""_qs));
        // A5 (880 Hz) for half a second.
        QVERIFY(writeMidiFile(file(u"a880.mid"_qs), {{81, 0.0, 0.5}}));
        QVERIFY(!writeDiscImage(discsFolder(), u"disc"_qs, {{440, 1.0}, {660, 1.2}, {880, 0.8}}).isEmpty());
        QVERIFY(!writeDiscImage(discsFolder(), u"mixed"_qs, {{440, 0.5}, {0, 0.5, true}, {880, 0.5}}).isEmpty());
        QVERIFY(!writeDiscImage(discsFolder(), u"data"_qs, {{0, 0.5, true}}).isEmpty());
        QVERIFY(writeAlbumFolder(discsFolder() + u"/album"_qs, {{440, 1.0}, {660, 1.2}, {880, 0.8}}));
        QVERIFY(writeAlbumFolder(discsFolder() + u"/album mixed"_qs, {{440, 0.5}, {0, 0.5, true}, {880, 0.5}}));
        album_ = driveOf(u"album"_qs);
        albumMixed_ = driveOf(u"album mixed"_qs);
        disc_ = driveOf(u"disc.cue"_qs);
        mixed_ = driveOf(u"mixed.cue"_qs);
        data_ = driveOf(u"data.cue"_qs);
        for (const QString* drive : {&disc_, &mixed_, &data_, &album_, &albumMixed_})
            QVERIFY(!drive->isEmpty());
        haveFont_ = QFileInfo(soundFont).isReadable();
    }

    // What a command answers when nothing is to be heard: the error of a bad command, a disc's table of contents.
    void replies_data()
    {
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<QString>("command");
        QTest::addColumn<uint32_t>("error");
        QTest::addColumn<QString>("reply");
        const QStringList none;
        const QStringList cd{u"open "_qs + disc_ + u" type cdaudio alias cd"_qs, u"set cd time format tmsf"_qs};
        const QStringList sound{openFile(u"a440.wav"_qs)};
        const auto fails = [](const char* name, const QStringList& setup, const QString& command, uint32_t error) {
            QTest::newRow(name) << setup << command << error << QString();
        };
        fails("missing file", none, openFile(u"gone.wav"_qs), mci::FileNotFound);
        fails("not a sound file", none, openFile(u"notes.wav"_qs), mci::UnsupportedFile);
        fails("not a MIDI file", none, openFile(u"notes.mid"_qs, u"midi "_qs), mci::UnsupportedFile);
        fails("no sound file set", none, u"open \"\" alias Sound"_qs, mci::MissingDeviceName);
        // A folder is no file to play (its name here with a quote at each end, which the reader gives back whole).
        fails("a folder whose name is quoted", none, u"open "_qs + QuoteMciName(file(u"\"q\""_qs)) + u" alias Sound"_qs,
              mci::FileUnreadable);
        fails("a quote not closed", none, u"open \"x.wav alias Sound"_qs, mci::ParseError);
        fails("a quote written twice, not closed", none, u"open \"x\"\" alias Sound"_qs, mci::ParseError);
        fails("nothing", none, u"   "_qs, mci::UnknownCommand);
        fails("unknown command", none, u"rewind Sound"_qs, mci::UnknownCommand);
        fails("close an alias not open", none, u"close cd"_qs, mci::NotOpen);
        fails("unknown type", none, u"open D: type videodisc alias cd"_qs, mci::UnknownDeviceType);
        fails("no such drive", none, u"open Q: shareable type cdaudio alias cd"_qs, mci::NoSuchDrive);
        fails("no drive remembered", none, u"open  shareable type cdaudio alias cd"_qs, mci::NoSuchDrive);
        fails("type without value", none, u"open D: type"_qs, mci::MissingParameter);
        fails("track the disc lacks", cd, u"play cd from 9"_qs, mci::OutOfRange);
        fails("range backwards", cd, u"play cd from 3 to 2"_qs, mci::OutOfRange);
        fails("a disc of data only", {openCd(data_)}, u"play cd"_qs, mci::NoAudio);
        fails("an empty part", cd, u"seek cd to 3::1"_qs, mci::BadParameter);
        fails("a sign", cd, u"play cd from -3"_qs, mci::BadParameter);
        fails("an empty position", cd, u"seek cd to \"\""_qs, mci::BadParameter);
        fails("four parts counted in minutes", {cd[0], u"set cd time format msf"_qs}, u"seek cd to 1:2:3:4"_qs,
              mci::BadParameter);
        // A name as QuoteMciName writes it (each quote twice, as a user types it), and words apart by blanks and tabs.
        const QString length{u"status Sound length"_qs};
        QTest::newRow("a name written by QuoteMciName")
            << QStringList{u"open "_qs + QuoteMciName(file(u"say \"hi\" (live) .wav"_qs)) + u" alias Sound"_qs} << length
            << 0U << u"1000"_qs;
        QTest::newRow("blanks and tabs between the words")
            << QStringList{u"\topen  \""_qs + file(u"a440.wav"_qs) + u"\"\t alias  Sound "_qs} << length << 0U << u"1000"_qs;
        QTest::newRow("a position of four parts")
            << cd + QStringList{u"seek cd to 02:00:01:05"_qs} << u"status cd position"_qs << 0U << u"02:00:01:05"_qs;
        fails("seek without position", cd, u"seek cd to"_qs, mci::MissingParameter);
        fails("unknown time format", cd, u"set cd time format furlongs"_qs, mci::BadTimeFormat);
        fails("unknown status item", cd, u"status cd colour"_qs, mci::BadParameter);
        fails("status without item", cd, u"status cd"_qs, mci::MissingParameter);
        fails("stray word", cd, u"stop cd now"_qs, mci::BadParameter);
        fails("a quoted word is a name, never a keyword", cd, u"stop cd \"wait\""_qs, mci::BadParameter);
        fails("a keyword cut short", cd, u"status cd number of track"_qs, mci::BadParameter);
        fails("track-time format on a sound file", sound, u"set Sound time format tmsf"_qs, mci::BadTimeFormat);
        fails("past the end of a sound file", sound, u"play Sound from 1001"_qs, mci::OutOfRange);

        // A disc image and an album folder of the same tracks answer alike, named by a letter in either case.
        const QList<std::pair<QString, QString>> contents{
            {u"Number OF tracks"_qs, u"3"_qs},        {u"current track"_qs, u"1"_qs}, {u"length"_qs, u"00:03:00"_qs},
            {u"length track 2"_qs, u"00:01:15"_qs},   {u"type track 1"_qs, u"audio"_qs}, {u"mode"_qs, u"stopped"_qs},
            {u"position track 3"_qs, u"03:00:00:00"_qs}, {u"media present"_qs, u"true"_qs}};
        for (const auto& [kind, drive] : {std::pair{"disc image", disc_}, std::pair{"album folder", album_}}) {
            const QStringList tmsf{openCd(drive.toLower()), u"set cd time format tmsf"_qs};
            for (const auto& [item, reply] : contents)
                QTest::addRow("%s: %s", kind, qPrintable(item)) << tmsf << u"status cd "_qs + item << 0U << reply;
            // Track 1 begins two seconds into the disc, after the lead-in gap.
            const QStringList msf{openCd(drive), u"set cd time format msf"_qs};
            QTest::addRow("%s: after the lead-in", kind)
                << msf << u"status cd position track 1"_qs << 0U << u"00:02:00"_qs;
            QTest::addRow("%s: time format", kind) << msf << u"status cd time format"_qs << 0U << u"msf"_qs;
        }
        // A data track of an image, a file an album folder cannot decode: a track of its own, of another type, and a
        // range that is all data says it would play nothing.
        for (const auto& [kind, drive] : {std::pair{"disc image", mixed_}, std::pair{"album folder", albumMixed_}}) {
            const QStringList open{openCd(drive), u"set cd time format tmsf"_qs};
            QTest::addRow("%s with data: tracks", kind) << open << u"status cd number of tracks"_qs << 0U << u"3"_qs;
            QTest::addRow("%s with data: type", kind) << open << u"status cd type track 2"_qs << 0U << u"other"_qs;
            QTest::addRow("%s with data: play it", kind)
                << open << u"play cd from 2 to 3 wait"_qs << uint32_t(mci::NoAudio) << QString();
        }
    }

    void replies()
    {
        QFETCH(QStringList, setup);
        QFETCH(QString, command);
        QFETCH(uint32_t, error);
        QFETCH(QString, reply);
        auto [output, engine] = rig();
        for (const QString& c : setup)
            SEND_OK(*engine, c);
        const Reply r = send(*engine, command);
        QCOMPARE(r.code, error);
        QCOMPARE(r.text, reply);
        // Nothing was started; the probe of a disc finds no CD where there is none.
        QCOMPARE(output->opens(), 0);
    }

    void errorTexts()
    {
        MediaEngine engine;
        QStringList texts;
        for (uint32_t code = mci::firstError; code <= mci::lastError; ++code) {
            QString text;
            QVERIFY2(engine.mciGetErrorString(code, text), qPrintable(QString::number(code)));
            QVERIFY(!text.isEmpty() && !text.at(0).isDigit());
            QVERIFY(!texts.contains(text));
            texts.append(text);
        }
        QString text = u"stale"_qs;
        QVERIFY(!engine.mciGetErrorString(9999, text));
        QVERIFY(text.isEmpty());
    }

    void soundFilesConverted_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("leftHz");
        QTest::addColumn<double>("rightHz");
        QTest::addColumn<double>("seconds");
        QTest::newRow("22050 Hz mono on both sides") << u"mono22k.wav"_qs << 660.0 << 660.0 << 0.5;
        QTest::newRow("48000 Hz, one tone a side") << u"lr48k.wav"_qs << 440.0 << 880.0 << 0.5;
    }

    void soundFilesConverted()
    {
        QFETCH(QString, name);
        QFETCH(double, leftHz);
        QFETCH(double, rightHz);
        QFETCH(double, seconds);
        auto [output, engine] = rig();
        SEND_OK(*engine, openFile(name));
        QCOMPARE(send(*engine, u"status Sound length"_qs).text, QString::number(qRound(seconds * 1000)));
        SEND_OK(*engine, u"play Sound wait"_qs);
        const Audio a = output->audio();
        // The whole file, no more; a converted rate may lose a fraction of a millisecond.
        const size_t frames = audibleFrames(a.left);
        QVERIFY2(std::abs(double(frames) / rate - seconds) < 0.001, qPrintable(QString::number(frames)));
        const size_t mid = a.at(seconds / 4);
        const size_t window = a.at(seconds / 2);
        const std::vector<double> candidates{440, 660, 880};
        QCOMPARE(dominantTone(a.left, mid, window, candidates), leftHz);
        QCOMPARE(dominantTone(a.right, mid, window, candidates), rightHz);
        // A converted rate may shift the pitch by a hair, which lowers the level the narrow filter reads a little.
        QVERIFY(std::abs(toneLevel(a.left, mid, window, leftHz) - 0.5) < 0.05);
        QVERIFY(std::abs(toneLevel(a.right, mid, window, rightHz) - 0.5) < 0.05);
    }

    void modeIsPlayingUntilTheLastSampleIsMixed()
    {
        auto [output, engine] = rig(CaptureOutput::Mode::Manual);
        SEND_OK(*engine, openFile(u"a440.wav"_qs));
        SEND_OK(*engine, u"play Sound"_qs);
        QCOMPARE(send(*engine, u"status Sound mode"_qs).text, u"playing"_qs);
        QVERIFY(output->pull(rate / 2));
        QCOMPARE(send(*engine, u"status Sound position"_qs).text, u"500"_qs);
        QVERIFY(output->pull(rate / 2 - 1));
        QCOMPARE(send(*engine, u"status Sound mode"_qs).text, u"playing"_qs);
        QVERIFY(output->pull(1));
        QCOMPARE(send(*engine, u"status Sound mode"_qs).text, u"stopped"_qs);
        QCOMPARE(send(*engine, u"status Sound position"_qs).text, u"1000"_qs);
        // Playing again without a position starts where the last one ended: at the end, so nothing sounds. (After a
        // seek to the start it sounds again: outputClosesWhenIdle hears it twice.)
        SEND_OK(*engine, u"play Sound"_qs);
        QCOMPARE(send(*engine, u"status Sound mode"_qs).text, u"stopped"_qs);
    }

    // The wave volume scales the sound file, the auxiliary volume the CD, each channel by its own half of the
    // volume word (the low word is the left channel). A volume set while they sound takes over within a few
    // hundred frames: the gradual wake-up steps it so. (Levels between silence and full: the first sample's volume
    // below, the gradual wake-up's steps in test_settings_program, the auxiliary halves through SDL in tst_mcish.)
    void busesAndChannelGains_data()
    {
        QTest::addColumn<uint32_t>("wave");
        QTest::addColumn<uint32_t>("aux");
        QTest::addColumn<QList<double>>("gains");  // sound file left, right; CD left, right
        QTest::newRow("wave: left only; aux silent") << 0x0000FFFFU << 0U << QList<double>{1, 0, 0, 0};
        QTest::newRow("wave silent: the CD still plays") << 0U << 0xFFFFFFFFU << QList<double>{0, 0, 1, 1};
    }

    void busesAndChannelGains()
    {
        QFETCH(uint32_t, wave);
        QFETCH(uint32_t, aux);
        QFETCH(QList<double>, gains);
        auto [output, engine] = rig(CaptureOutput::Mode::Manual);
        // Track 3 (880 Hz) of the disc and the 440 Hz sound file at once, at full volume first. Nothing pulls from
        // the output yet: a play that waited for its sound would never return.
        QVERIFY(openDisc(*engine, disc_));
        SEND_OK(*engine, u"play cd from 3"_qs);
        SEND_OK(*engine, openFile(u"a440.wav"_qs));
        SEND_OK(*engine, u"play Sound"_qs);
        QVERIFY(output->pull(rate / 10));
        QCOMPARE(engine->waveOutSetVolume(0, wave), MMSYSERR_NOERROR);
        QCOMPARE(engine->auxSetVolume(0, aux), MMSYSERR_NOERROR);
        output->clearRecording();
        QVERIFY(output->pull(rate / 2));
        const Audio a = output->audio();
        const size_t from = a.at(0.05);
        const size_t n = a.at(0.4);
        QVERIFY(std::abs(toneLevel(a.left, from, n, 440) - 0.5 * gains[0]) < 0.005);
        QVERIFY(std::abs(toneLevel(a.right, from, n, 440) - 0.5 * gains[1]) < 0.005);
        QVERIFY(std::abs(toneLevel(a.left, from, n, 880) - 0.5 * gains[2]) < 0.005);
        QVERIFY(std::abs(toneLevel(a.right, from, n, 880) - 0.5 * gains[3]) < 0.005);
        // Stopping one device leaves the other playing.
        SEND_OK(*engine, u"stop Sound"_qs);
        QCOMPARE(send(*engine, u"status Sound mode"_qs).text, u"stopped"_qs);
        QCOMPARE(send(*engine, u"status cd mode"_qs).text, u"playing"_qs);
    }

    void cdPlaysWhatIsAsked_data()
    {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QList<double>>("tones");    // in the order heard
        QTest::addColumn<QList<double>>("seconds");  // how long each
        QTest::addColumn<bool>("paranoia");          // read as a drive is read
        QTest::addColumn<QString>("drive");
        QTest::newRow("from 2 to 3 plays track 2 exactly")
            << QStringList{u"play cd from 2 to 3 wait"_qs} << QList<double>{660} << QList<double>{1.2} << false << disc_;
        QTest::newRow("seek to 2, play: to the end of the disc")
            << QStringList{u"set cd seek exactly on"_qs, u"seek cd to 2 wait"_qs, u"play cd wait"_qs}
            << QList<double>{660, 880} << QList<double>{1.2, 0.8} << false << disc_;
        QTest::newRow("the whole disc") << QStringList{u"play cd wait"_qs} << QList<double>{440, 660, 880}
                                        << QList<double>{1.0, 1.2, 0.8} << false << disc_;
        QTest::newRow("from a time within track 2 to one within track 3")
            << QStringList{u"play cd from 2:00:00:50 to 3:00:00:15 wait"_qs} << QList<double>{660, 880}
            << QList<double>{40.0 / 75, 15.0 / 75} << false << disc_;
        QTest::newRow("through paranoia: from 2 to 3") << QStringList{u"play cd from 2 to 3 wait"_qs}
                                                       << QList<double>{660} << QList<double>{1.2} << true << disc_;
        QTest::newRow("album folder: a playlist: 3, 1, 3")
            << QStringList{u"play cd from 3 wait"_qs, u"play cd from 1 to 2 wait"_qs, u"play cd from 3 wait"_qs}
            << QList<double>{880, 440, 880} << QList<double>{0.8, 1.0, 0.8} << false << album_;
        QTest::newRow("album folder: from a time within track 2 to one within track 3")
            << QStringList{u"play cd from 2:00:00:50 to 3:00:00:15 wait"_qs} << QList<double>{660, 880}
            << QList<double>{40.0 / 75, 15.0 / 75} << false << album_;
        // Not one frame of a data track, nor of a file an album folder cannot decode. Half a second of sound fills
        // 38 whole sectors of 1/75 s.
        const QList<double> halves{38.0 / 75, 38.0 / 75};
        QTest::newRow("a data track skipped")
            << QStringList{u"play cd from 1 wait"_qs} << QList<double>{440, 880} << halves << false << mixed_;
        QTest::newRow("album folder: a file it cannot decode skipped")
            << QStringList{u"play cd from 1 wait"_qs} << QList<double>{440, 880} << halves << false << albumMixed_;
    }

    void cdPlaysWhatIsAsked()
    {
        QFETCH(QStringList, commands);
        QFETCH(QList<double>, tones);
        QFETCH(QList<double>, seconds);
        QFETCH(bool, paranoia);
        QFETCH(QString, drive);
        auto [output, engine] = rig(CaptureOutput::Mode::Free, withDrive({}, paranoia));
        QVERIFY(openDisc(*engine, drive));
        for (const QString& c : commands)
            SEND_OK(*engine, c);
        QCOMPARE(send(*engine, u"status cd mode"_qs).text, u"stopped"_qs);
        const Audio a = output->audio();
        // One after the other, each tone for as long as asked, with at most one output block between them.
        double at = 0.0;
        for (qsizetype i = 0; i < tones.size(); ++i) {
            const std::vector<Span> spans = toneSpans(a.left, tones[i]);
            const Span* next = nullptr;
            for (const Span& s : spans) {
                if (s.start > at - 0.021 && (!next || s.start < next->start))
                    next = &s;
            }
            QVERIFY2(next, qPrintable(QStringLiteral("%1 Hz after %2 s").arg(tones[i]).arg(at)));
            QVERIFY2(next->start - at < 0.05, qPrintable(QStringLiteral("%1 Hz at %2 s").arg(tones[i]).arg(next->start)));
            QVERIFY2(std::abs(next->length() - seconds[i]) < 0.041,
                     qPrintable(QStringLiteral("%1 Hz for %2 s").arg(tones[i]).arg(next->length())));
            at = next->end;
        }
        double total = 0.0;
        for (double s : seconds)
            total += s;
        QVERIFY(std::abs(double(audibleFrames(a.left)) / rate - total) < 0.002);
    }

    void cdPositionWhilePlaying()
    {
        auto [output, engine] = rig(CaptureOutput::Mode::Manual);
        QVERIFY(openDisc(*engine, disc_));
        SEND_OK(*engine, u"play cd from 1"_qs);
        QVERIFY(output->pull(int(rate * 1.5)));
        QCOMPARE(send(*engine, u"status cd mode"_qs).text, u"playing"_qs);
        QCOMPARE(send(*engine, u"status cd current track"_qs).text, u"2"_qs);
        QCOMPARE(send(*engine, u"status cd position"_qs).text, u"02:00:00:37"_qs);
        SEND_OK(*engine, u"stop cd"_qs);
        QCOMPARE(send(*engine, u"status cd position"_qs).text, u"02:00:00:37"_qs);
        SEND_OK(*engine, u"pause cd"_qs);
        SEND_OK(*engine, u"play cd"_qs);
        QVERIFY(output->pull(rate / 10));
        QCOMPARE(send(*engine, u"status cd current track"_qs).text, u"2"_qs);
        SEND_OK(*engine, u"pause cd"_qs);  // "paused": cdCommandsDoNotWaitForTheDrive asks
        SEND_OK(*engine, u"resume cd"_qs);
        QCOMPARE(send(*engine, u"status cd mode"_qs).text, u"playing"_qs);
    }

    // The media goes, or can no longer be read, while the device is open: the device turns "not ready" and every
    // command that needs the media says why, a disc as "not ready", a sound file as "the device failed".
    void mediaLost_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("whilePlaying");
        QTest::addColumn<bool>("paranoia");
        QTest::addColumn<QString>("media");  // "image", "sound file", "album"
        const QString image = u"image"_qs;
        QTest::newRow("image cut short while playing") << u"truncate"_qs << true << false << image;
        QTest::newRow("image deleted while playing") << u"delete"_qs << true << false << image;
        QTest::newRow("image deleted while stopped") << u"delete"_qs << false << false << image;
        QTest::newRow("through paranoia: cut short while playing") << u"truncate"_qs << true << true << image;
        QTest::newRow("drive reads nothing") << u"fail reads"_qs << true << false << image;
        QTest::newRow("through paranoia: drive reads nothing") << u"fail reads"_qs << true << true << image;
        QTest::newRow("sound file cut short while playing") << u"truncate"_qs << true << false << u"sound file"_qs;
        QTest::newRow("album file cut short while playing") << u"truncate"_qs << true << false << u"album"_qs;
        QTest::newRow("album folder taken away while playing") << u"delete"_qs << true << false << u"album"_qs;
        QTest::newRow("album folder taken away while stopped") << u"delete"_qs << false << false << u"album"_qs;
    }

    void mediaLost()
    {
        QFETCH(QString, how);
        QFETCH(bool, whilePlaying);
        QFETCH(bool, paranoia);
        QFETCH(QString, media);
        const bool soundFile = media == u"sound file"_qs;
        // Media of their own, ten seconds long, so that most of it is still to be read when it goes.
        QString cue = file(u"lost.wav"_qs);
        QString bin = cue;
        QString open = openFile(u"lost.wav"_qs, u"x"_qs);
        const QString album = discsFolder() + u"/zz_album"_qs;
        if (soundFile) {
            QVERIFY(writeToneWav(bin, 440, 10.0));
        } else if (media == u"album"_qs) {
            QVERIFY(writeAlbumFolder(album, {{440, 10.0}}));
            cue = album;
            bin = album + u"/01.flac"_qs;
            open = openCd(driveOf(u"zz_album"_qs)).replace(u"alias cd"_qs, u"alias x"_qs);
        } else {
            cue = writeDiscImage(discsFolder(), u"zz_removable"_qs, {{440, 5.0}, {660, 5.0}});
            bin = cue.chopped(4) + u".bin"_qs;
            open = openCd(driveOf(u"zz_removable.cue"_qs)).replace(u"alias cd"_qs, u"alias x"_qs);
        }
        const uint32_t error = soundFile ? mci::DeviceFailed : mci::NotReady;

        const bool readsFail = how == u"fail reads"_qs;
        auto [output, engine] =
            rig(CaptureOutput::Mode::Manual, withDrive({{}, [&](int64_t, int) { return !readsFail; }, {}}, paranoia));
        SEND_OK(*engine, open);
        if (whilePlaying) {
            SEND_OK(*engine, u"play x"_qs);
            QVERIFY(output->pull(rate / 5));
        }
        if (how == u"truncate"_qs) {
            QFile f(bin);
            QVERIFY(f.resize(f.size() / 10));
        } else if (how == u"delete"_qs) {
            QVERIFY(QFile::remove(bin));
            QVERIFY(QFile::remove(cue) || QDir(album).removeRecursively());
        }
        if (whilePlaying) {
            // The worker finds out within a second of sound; the device then says so.
            for (int i = 0; i < 40 && send(*engine, u"status x mode"_qs).text == u"playing"_qs; ++i)
                QVERIFY(output->pull(rate / 10));
        }
        // A glance at the mode takes the worker's last look when the worker is slow to answer (a busy machine).
        QTRY_COMPARE(send(*engine, u"status x mode"_qs).text, u"not ready"_qs);
        QCOMPARE(send(*engine, u"status x length"_qs).code, error);
        QCOMPARE(send(*engine, u"play x"_qs).code, error);
        QCOMPARE(send(*engine, u"seek x to 1"_qs).code, error);
        QCOMPARE(send(*engine, u"status x media present"_qs).text, u"false"_qs);
        SEND_OK(*engine, u"close x"_qs);
        QFile::remove(bin);
        QFile::remove(cue);
        QDir(album).removeRecursively();
    }

    // A sound starts at the volume set before it, from its first sample: the gradual wake-up sets 0 before the
    // alarm sounds, and the output must not first play a few milliseconds at the volume of an earlier sound.
    void volumeSetBeforeASoundAppliesFromItsFirstSample_data()
    {
        QTest::addColumn<bool>("cd");
        QTest::addColumn<uint32_t>("volume");
        QTest::addColumn<QString>("range");
        QTest::newRow("sound file at 0") << false << 0U << u"from 0 to 100"_qs;
        QTest::newRow("sound file at a quarter") << false << 0x40004000U << u"from 0 to 100"_qs;
        QTest::newRow("CD at 0") << true << 0U << u"from 00:02:00 to 00:02:10"_qs;
    }

    void volumeSetBeforeASoundAppliesFromItsFirstSample()
    {
        QFETCH(bool, cd);
        QFETCH(uint32_t, volume);
        QFETCH(QString, range);
        auto [output, engine] = rig(CaptureOutput::Mode::Manual);
        const QString alias = cd ? u"cd"_qs : u"Sound"_qs;
        SEND_OK(*engine, cd ? openCd(disc_) : openFile(u"a440.wav"_qs));
        // A first sound at full volume, then the volume for the next one.
        SEND_OK(*engine, u"play "_qs + alias + u" "_qs + range);
        QVERIFY(output->pull(rate / 5));
        QVERIFY(cd ? engine->auxSetVolume(0, volume) == 0 : engine->waveOutSetVolume(0, volume) == 0);
        output->clearRecording();
        SEND_OK(*engine, u"play "_qs + alias + u" "_qs + range);
        QVERIFY(output->pull(rate / 100));
        const Audio a = output->audio();
        const double expected = 0.5 * (volume & 0xFFFF) / 65535.0;
        float peak = 0.0F;
        for (size_t i = 0; i < a.frames(); ++i)
            peak = std::max(peak, std::fabs(a.left[i]));
        QVERIFY2(std::abs(peak - expected) < 0.01, qPrintable(QString::number(peak)));
    }

    // Stop, pause, play, close and the status questions answer while the drive is inside a read (a slow one, or
    // one it retries), and the worker stops reading at the next attempt.
    void cdCommandsDoNotWaitForTheDrive_data()
    {
        QTest::addColumn<bool>("paranoia");
        QTest::addColumn<bool>("readsFail");
        QTest::newRow("image, a slow read") << false << false;
        QTest::newRow("image, a read retried") << false << true;
        QTest::newRow("through paranoia, a slow read") << true << false;
        QTest::newRow("through paranoia, a read retried") << true << true;
    }

    void cdCommandsDoNotWaitForTheDrive()
    {
        QFETCH(bool, paranoia);
        QFETCH(bool, readsFail);
        Gate gate(!readsFail);
        auto [output, engine] =
            rig(CaptureOutput::Mode::Manual, withDrive({{}, [&](int64_t, int) { return gate.pass(); }, {}}, paranoia));
        QVERIFY(openDisc(*engine, disc_));
        SEND_OK(*engine, u"play cd from 2"_qs);
        QVERIFY(gate.waitInside());
        QCOMPARE(send(*engine, u"status cd mode"_qs).text, u"playing"_qs);
        QCOMPARE(send(*engine, u"status cd position"_qs).text, u"02:00:00:00"_qs);
        SEND_OK(*engine, u"pause cd"_qs);
        QCOMPARE(send(*engine, u"status cd mode"_qs).text, u"paused"_qs);
        SEND_OK(*engine, u"play cd from 3"_qs);
        SEND_OK(*engine, u"stop cd"_qs);
        QCOMPARE(send(*engine, u"status cd mode"_qs).text, u"stopped"_qs);
        QCOMPARE(send(*engine, u"status cd number of tracks"_qs).text, u"3"_qs);
        SEND_OK(*engine, u"close cd"_qs);
        QCOMPARE(gate.inside(), 1);
        const int attempts = gate.attempts();
        gate.release();
        engine.reset();
        QCOMPARE(gate.attempts(), attempts);
    }

    // Only open, a question about a disc not yet known, and a waiting play wait for the drive, and no longer
    // than the patience; then they answer "not ready".
    void cdWaitsAtMostThePatience()
    {
        Gate looking;
        Gate reading;
        std::atomic<int> looks{0};
        const auto look = [&] {
            // The first look finds the drive empty, the second is held: a drive that takes its time.
            const int n = ++looks;
            return n > 1 && looking.pass();
        };
        auto [output, engine] = rig(CaptureOutput::Mode::Manual,
                                    withDrive({look, [&](int64_t, int) { return reading.pass(); }, {}}, false,
                                              std::chrono::milliseconds(100)));
        SEND_OK(*engine, openCd(disc_));
        QCOMPARE(send(*engine, u"status cd mode"_qs).text, u"not ready"_qs);
        QCOMPARE(send(*engine, u"status cd number of tracks"_qs).code, uint32_t(mci::NotReady));
        QCOMPARE(send(*engine, u"open "_qs + mixed_ + u" alias second"_qs).code, uint32_t(mci::NotReady));
        QCOMPARE(send(*engine, u"status second mode"_qs).code, uint32_t(mci::NotOpen));
        looking.release();
        // The disc is read at the next question.
        QTRY_COMPARE(send(*engine, u"status cd number of tracks"_qs).text, u"3"_qs);
        QCOMPARE(send(*engine, u"play cd wait"_qs).code, uint32_t(mci::NotReady));
        QCOMPARE(send(*engine, u"status cd mode"_qs).text, u"stopped"_qs);
        reading.release();
    }

    // A disc image is opened once while its alias is open, also one whose cue sheet lists no track (libcdio
    // leaks a little at every opening); it is read anew when its files change.
    void discOpenedOnceWhileItsAliasIsOpen()
    {
        const QString cue = writeDiscImage(discsFolder(), u"zz_empty"_qs, {});
        const QString drive = driveOf(u"zz_empty.cue"_qs);
        QVERIFY(!drive.isEmpty());
        std::atomic<int> openings{0};
        auto [output, engine] = rig(CaptureOutput::Mode::Free, withDrive({{}, {}, [&] { ++openings; }}, false));
        SEND_OK(*engine, openCd(drive));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(send(*engine, u"status cd mode"_qs).text, u"not ready"_qs);
            QCOMPARE(send(*engine, u"status cd number of tracks"_qs).code, uint32_t(mci::NotReady));
        }
        QCOMPARE(openings.load(), 1);
        QVERIFY(!writeDiscImage(discsFolder(), u"zz_empty"_qs, {{440, 0.2}}).isEmpty());
        QCOMPARE(send(*engine, u"status cd number of tracks"_qs).text, u"1"_qs);
        SEND_OK(*engine, u"play cd wait"_qs);
        QCOMPARE(openings.load(), 2);
        SEND_OK(*engine, u"close cd"_qs);
        QFile::remove(cue);
        QFile::remove(cue.chopped(4) + u".bin"_qs);
    }

    // The loop timer's close, open and play, with command words and aliases in any case ("Close Sound" is how it
    // writes them). A second open of the same alias fails and leaves the first file in place.
    void loopThroughCloseOpenPlay()
    {
        auto [output, engine] = rig();
        const QString open = u"OPEN \""_qs + file(u"short440.wav"_qs) + u"\" ALIAS Sound"_qs;
        SEND_OK(*engine, open);
        QCOMPARE(send(*engine, openFile(u"b880.wav"_qs, u"sound"_qs)).code, uint32_t(mci::AliasInUse));
        SEND_OK(*engine, u"play sound wait"_qs);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(send(*engine, u"Status SOUND Mode"_qs).text, u"stopped"_qs);
            SEND_OK(*engine, u"Close Sound"_qs);
            QCOMPARE(send(*engine, u"status Sound mode"_qs).code, uint32_t(mci::NotOpen));
            SEND_OK(*engine, open);
            SEND_OK(*engine, u"play Sound wait"_qs);
        }
        const Audio a = output->audio();
        // Three times the whole file, back to back.
        QVERIFY(std::abs(double(audibleFrames(a.left)) / rate - 0.9) < 0.002);
        QCOMPARE(dominantTone(a.left, 0, a.frames(), {440, 880}), 440.0);
    }

    void beepsFollowEachOther()
    {
        auto [output, engine] = rig();
        engine->waveOutSetVolume(0, 0x80008000);
        for (int i = 0; i < 3; ++i)
            engine->beep();
        QTRY_VERIFY_WITH_TIMEOUT(output->audio().seconds() >= 0.75, 5000);
        const Audio a = output->audio();
        const std::vector<Span> spans = toneSpans(a.left, 880, rate, 0.05, 0.01);
        QCOMPARE(spans.size(), size_t(3));
        for (const Span& s : spans) {
            QVERIFY(std::abs(s.length() - 0.15) < 0.021);
            QVERIFY(std::abs(toneLevel(a.left, a.at(s.start + 0.02), a.at(0.1), 880) - 0.25) < 0.01);
        }
    }

    // The built-in alarm tone needs no file: beeps of 0.1 s in fours, a cycle every 1.3 s, at the wave volume, until
    // it is stopped.
    void alarmToneBeepsUntilStopped()
    {
        auto [output, engine] = rig(CaptureOutput::Mode::Manual);
        engine->waveOutSetVolume(0, 0x80008000);
        SEND_OK(*engine, u"open alarmtone alias tone"_qs);
        QCOMPARE(send(*engine, u"status tone length"_qs).text, u"86400000"_qs);
        SEND_OK(*engine, u"play tone"_qs);
        QVERIFY(output->pull(int(rate * 2.5)));
        QCOMPARE(send(*engine, u"status tone mode"_qs).text, u"playing"_qs);
        const Audio a = output->audio();
        const std::vector<Span> beeps = toneSpans(a.left, media::alarmToneHz, rate, 0.05, 0.01);
        QCOMPARE(beeps.size(), size_t(8));
        for (size_t i = 0; i < beeps.size(); ++i) {
            QVERIFY2(std::abs(beeps[i].start - double(i / 4) * 1.3 - double(i % 4) * 0.2) < 0.011,
                     qPrintable(QString::number(beeps[i].start)));
            QVERIFY(std::abs(toneLevel(a.left, a.at(beeps[i].start + 0.02), a.at(0.06), media::alarmToneHz) - 0.3) < 0.01);
        }
        SEND_OK(*engine, u"stop tone"_qs);
        QCOMPARE(send(*engine, u"status tone mode"_qs).text, u"stopped"_qs);
        SEND_OK(*engine, u"close tone"_qs);
    }

    // The sequence plays its notes, and goes on until the release of the last one has died away.
    void sequencerPlaysTheNotes()
    {
        if (!haveFont_)
            QSKIP("The General MIDI sound font is not installed (package fluid-soundfont-gm).");
        auto [output, engine] = rig(CaptureOutput::Mode::Manual);
        SEND_OK(*engine, openFile(u"a880.mid"_qs, u"midi "_qs));
        QCOMPARE(send(*engine, u"status midi length"_qs).text, u"500"_qs);
        SEND_OK(*engine, u"play midi"_qs);
        QVERIFY(output->pull(rate / 2));
        QCOMPARE(send(*engine, u"status midi mode"_qs).text, u"playing"_qs);
        QCOMPARE(send(*engine, u"status midi position"_qs).text, u"500"_qs);
        int pulls = 0;
        while (send(*engine, u"status midi mode"_qs).text == u"playing"_qs && pulls++ < 100)
            QVERIFY(output->pull(rate / 100));
        QCOMPARE(send(*engine, u"status midi mode"_qs).text, u"stopped"_qs);

        const Audio a = output->audio();
        const size_t first = firstSound(a.left, 0.01F);
        QVERIFY(first < a.at(0.05));
        // A5, not its neighbours, nor the octave below.
        const std::vector<double> candidates{keyHz(79), keyHz(80), keyHz(81), keyHz(82), keyHz(83), keyHz(69)};
        QCOMPARE(dominantTone(a.left, first + a.at(0.1), a.at(0.3), candidates), keyHz(81));
        QCOMPARE(dominantTone(a.right, first + a.at(0.1), a.at(0.3), candidates), keyHz(81));
        QVERIFY(rms(a.left, first + a.at(0.1), a.at(0.3)) > 0.01);
        QVERIFY(lastSound(a.left, 1e-3F) > a.at(0.5));
        QVERIFY(rms(a.left, a.frames() - a.at(0.01), a.at(0.01)) < 1e-3);
    }

    void noSoundFont()
    {
        MediaEngineOptions options;
        options.soundFont = file(u"missing.sf2"_qs);
        const auto engine = rig(CaptureOutput::Mode::Free, options).second;
        QCOMPARE(send(*engine, openFile(u"a880.mid"_qs, u"midi "_qs)).code, uint32_t(mci::NoSoundFont));
        QCOMPARE(send(*engine, u"play midi"_qs).code, uint32_t(mci::NotOpen));
        // A file that is no sound font is as good as none.
        options.soundFont = file(u"notes.wav"_qs);
        QCOMPARE(send(*rig({}, options).second, openFile(u"a880.mid"_qs, u"midi "_qs)).code,
                 uint32_t(mci::NoSoundFont));
        // That the engine still sounds afterwards is heard in test_alarm_program, where the alarm tone stands in.
    }

    // An output that cannot open: every play says so and nothing plays. (SDL without a usable driver is the same
    // failure, heard through the real program in test_alarm_program.)
    void noAudioOutput()
    {
        auto [capture, engine] = rig();
        capture->setFailOpen(true);
        SEND_OK(*engine, openFile(u"a440.wav"_qs));
        QVERIFY(openDisc(*engine, disc_));
        QCOMPARE(send(*engine, u"play Sound"_qs).code, uint32_t(mci::NoAudioOutput));
        QCOMPARE(send(*engine, u"play Sound wait"_qs).code, uint32_t(mci::NoAudioOutput));
        QCOMPARE(send(*engine, u"play cd from 1"_qs).code, uint32_t(mci::NoAudioOutput));
        QCOMPARE(send(*engine, u"status Sound mode"_qs).text, u"stopped"_qs);
        QCOMPARE(send(*engine, u"status cd mode"_qs).text, u"stopped"_qs);
        engine->beep();
        QVERIFY(!engine->lastOutputError().isEmpty());
        SEND_OK(*engine, u"close Sound"_qs);
        SEND_OK(*engine, u"close cd"_qs);
    }

    void outputClosesWhenIdle()
    {
        MediaEngineOptions options;
        options.idleClose = std::chrono::milliseconds(50);
        auto [output, engine] = rig(CaptureOutput::Mode::Free, options);
        // Opening a device does not open the output; only sound does.
        SEND_OK(*engine, openFile(u"short440.wav"_qs));
        QCOMPARE(output->opens(), 0);
        SEND_OK(*engine, u"play Sound wait"_qs);
        QCOMPARE(output->opens(), 1);
        // Silent (the device still open, but stopped): the output closes.
        QTRY_COMPARE_WITH_TIMEOUT(output->closes(), 1, 5000);
        QVERIFY(!engine->outputOpen());
        SEND_OK(*engine, u"seek Sound to start"_qs);
        SEND_OK(*engine, u"play Sound wait"_qs);
        QCOMPARE(output->opens(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(output->closes(), 2, 5000);
        QVERIFY(std::abs(double(audibleFrames(output->audio().left)) / rate - 0.6) < 0.002);
    }
};

QTEST_GUILESS_MAIN(TstMediaEngine)
#include "tst_media_engine.moc"
