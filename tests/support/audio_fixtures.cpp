#include "tests/support/audio_fixtures.h"

#include "platform/cd_drives.h"
#include "tests/support/files.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numeric>

namespace audiofix {

namespace {

// Appends the low `bytes` bytes of `v`, the least significant first unless `bigEndian`.
void put(QByteArray& b, uint32_t v, int bytes = 2, bool bigEndian = false)
{
    for (int i = 0; i < bytes; ++i)
        b.append(char((v >> (8 * (bigEndian ? bytes - 1 - i : i))) & 0xFF));
}

void putVarLength(QByteArray& b, uint32_t v)
{
    uint8_t bytes[4];
    int n = 0;
    do {
        bytes[n++] = uint8_t(v & 0x7F);
        v >>= 7;
    } while (v != 0 && n < 4);
    for (int i = n - 1; i >= 0; --i)
        b.append(char(bytes[i] | (i > 0 ? 0x80 : 0)));
}

int16_t toS16(float v)
{
    return int16_t(std::lrint(std::clamp(v, -1.0F, 1.0F) * 32767.0F));
}

// `frames` frames of a sine on each channel, one frequency per channel, interleaved.
std::vector<float> tones(const std::vector<double>& hz, int64_t frames, int rate, double amplitude)
{
    std::vector<float> out;
    out.reserve(size_t(frames) * hz.size());
    for (int64_t i = 0; i < frames; ++i) {
        for (const double f : hz)
            out.push_back(float(amplitude * std::sin(2.0 * M_PI * f * double(i) / rate)));
    }
    return out;
}

// Writes 16-bit PCM through libsndfile in `format` (SF_FORMAT_WAV or SF_FORMAT_FLAC) from interleaved samples.
bool writeSound(const QString& path, const std::vector<float>& interleaved, int channels, int rate, int format)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format | SF_FORMAT_PCM_16;
    const std::unique_ptr<SNDFILE, decltype(&sf_close)> file(sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info),
                                                             &sf_close);
    const auto frames = sf_count_t(interleaved.size() / size_t(channels));
    return file && sf_writef_float(file.get(), interleaved.data(), frames) == frames;
}

QString msf(int64_t sectors)
{
    return QStringLiteral("%1:%2:%3")
        .arg(sectors / (75 * 60), 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}

// The length of a disc track in frames of 44100 Hz, as written.
int64_t discTrackFrames(const DiscTrack& track)
{
    return int64_t(std::ceil(track.seconds * 75.0 - 1e-9)) * 588;
}

}  // namespace

bool writeToneWav(const QString& path, double hz, double seconds, int rate, int channels, double amplitude)
{
    const std::vector<float> samples =
        tones(std::vector<double>(size_t(channels), hz), std::llround(seconds * rate), rate, amplitude);
    return writeSound(path, samples, channels, rate, SF_FORMAT_WAV);
}

bool writeStereoToneWav(const QString& path, double leftHz, double rightHz, double seconds, int rate,
                        double amplitude)
{
    return writeSound(path, tones({leftHz, rightHz}, std::llround(seconds * rate), rate, amplitude), 2, rate,
                      SF_FORMAT_WAV);
}

double keyHz(int key)
{
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

bool writeMidiFile(const QString& path, const std::vector<MidiNote>& notes, int program)
{
    constexpr int division = 480;      // ticks per quarter note
    constexpr double ticksPerSecond = division * 2.0;  // 120 beats a minute
    // By tick; note-offs before note-ons at the same tick, else in the order given.
    std::multimap<std::pair<int64_t, int>, QByteArray> events;
    for (const MidiNote& n : notes) {
        events.emplace(std::pair{std::llround(n.startSeconds * ticksPerSecond), 1},
                       QByteArray{"\x90", 1} + char(n.key) + char(n.velocity));
        events.emplace(std::pair{std::llround((n.startSeconds + n.seconds) * ticksPerSecond), 0},
                       QByteArray{"\x80", 1} + char(n.key) + char(0));
    }
    QByteArray track;
    putVarLength(track, 0);
    track.append("\xFF\x51\x03\x07\xA1\x20", 6);  // 500000 microseconds a quarter note
    putVarLength(track, 0);
    track.append(char(0xC0));
    track.append(char(program));
    int64_t tick = 0;
    for (const auto& [at, bytes] : events) {
        putVarLength(track, uint32_t(at.first - tick));
        tick = at.first;
        track.append(bytes);
    }
    putVarLength(track, 0);
    track.append("\xFF\x2F\x00", 3);

    QByteArray b;
    b.append("MThd");
    put(b, 6, 4, true);
    b.append("\x00\x00\x00\x01", 4);  // format 0, one track
    b.append(char(division >> 8));
    b.append(char(division & 0xFF));
    b.append("MTrk");
    put(b, uint32_t(track.size()), 4, true);
    b.append(track);
    return writeFile(path, b);
}

bool writeAlbumFolder(const QString& folder, const std::vector<DiscTrack>& tracks, double amplitude)
{
    int number = 1;
    for (const DiscTrack& t : tracks) {
        const QString name = QDir(folder).filePath(QStringLiteral("%1").arg(number++, 2, 10, QLatin1Char('0')));
        if (t.data) {
            if (!writeFile(name + QStringLiteral(".mp3"), QByteArray(4096, '\x55')))
                return false;
            continue;
        }
        // As long as the track of a disc image: whole sectors.
        if (!writeSound(name + QStringLiteral(".flac"), tones({t.hz, t.hz}, discTrackFrames(t), cdRate, amplitude), 2,
                        cdRate, SF_FORMAT_FLAC))
            return false;
    }
    return true;
}

QString writeDiscImage(const QString& folder, const QString& baseName, const std::vector<DiscTrack>& tracks,
                       double amplitude)
{
    QByteArray bin;
    QString cue = QStringLiteral("FILE \"%1.bin\" BINARY\n").arg(baseName);
    int64_t sector = 0;
    int number = 1;
    for (const DiscTrack& t : tracks) {
        const int64_t frames = discTrackFrames(t);
        cue += QStringLiteral("  TRACK %1 %2\n    INDEX 01 %3\n")
                   .arg(number++, 2, 10, QLatin1Char('0'))
                   .arg(t.data ? QStringLiteral("MODE1/2352") : QStringLiteral("AUDIO"))
                   .arg(msf(sector));
        if (t.data) {
            // Sync pattern, then a sector of zeros: enough for the table of contents to call it data.
            for (int64_t s = 0; s < frames / 588; ++s) {
                QByteArray raw(2352, '\0');
                for (int i = 1; i <= 10; ++i)
                    raw[i] = char(0xFF);
                bin.append(raw);
            }
        } else {
            for (const float v : tones({t.hz, t.hz}, frames, cdRate, amplitude))
                put(bin, uint16_t(toS16(v)));
        }
        sector += frames / 588;
    }
    const QString cuePath = QDir(folder).filePath(baseName + QStringLiteral(".cue"));
    if (!writeFile(QDir(folder).filePath(baseName + QStringLiteral(".bin")), bin) ||
        !writeFile(cuePath, cue.toUtf8()))
        return {};
    return cuePath;
}

QString driveOf(const QString& fileName)
{
    for (const CdDrive& drive : listCdDrives()) {
        if ((drive.isImage || drive.isFolder) && QFileInfo(drive.source).fileName() == fileName)
            return drive.name;
    }
    return {};
}

Audio fromS16(const int16_t* interleaved, size_t frames, int rate)
{
    Audio a;
    a.rate = rate;
    a.left.resize(frames);
    a.right.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        a.left[i] = float(interleaved[i * 2]) / 32768.0F;
        a.right[i] = float(interleaved[i * 2 + 1]) / 32768.0F;
    }
    return a;
}

Audio readRawS16(const QString& path, int rate)
{
    const QByteArray bytes = readFile(path);
    std::vector<int16_t> samples(size_t(bytes.size()) / 4 * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<qint16>(bytes.constData() + i * 2);
    return fromS16(samples.data(), samples.size() / 2, rate);
}

double rms(const std::vector<float>& x, size_t begin, size_t count)
{
    begin = std::min(begin, x.size());
    count = std::min(count, x.size() - begin);
    if (count == 0)
        return 0.0;
    const auto from = x.begin() + qsizetype(begin);
    return std::sqrt(std::inner_product(from, from + qsizetype(count), from, 0.0) / double(count));
}

double toneLevel(const std::vector<float>& x, size_t begin, size_t count, double hz, int rate)
{
    begin = std::min(begin, x.size());
    count = std::min(count, x.size() - begin);
    if (count == 0)
        return 0.0;
    const double w = 2.0 * M_PI * hz / rate;
    const double coeff = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (size_t i = begin; i < begin + count; ++i) {
        const double s0 = x[i] + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double re = s1 - s2 * std::cos(w);
    const double im = s2 * std::sin(w);
    return 2.0 * std::sqrt(re * re + im * im) / double(count);
}

double dominantTone(const std::vector<float>& x, size_t begin, size_t count, const std::vector<double>& candidates,
                    int rate)
{
    return *std::max_element(candidates.begin(), candidates.end(), [&](double a, double b) {
        return toneLevel(x, begin, count, a, rate) < toneLevel(x, begin, count, b, rate);
    });
}

std::vector<Span> toneSpans(const std::vector<float>& x, double hz, int rate, double minLevel, double windowSeconds)
{
    std::vector<Span> spans;
    const auto window = size_t(windowSeconds * rate);
    if (window == 0)
        return spans;
    for (size_t at = 0; at + window <= x.size(); at += window) {
        const double level = toneLevel(x, at, window, hz, rate);
        // A pure tone's amplitude is rms * sqrt(2); the tone must carry most of the window's energy.
        const double total = rms(x, at, window) * std::sqrt(2.0);
        if (level < minLevel || level < 0.7 * total)
            continue;
        const double start = double(at) / rate;
        const double end = double(at + window) / rate;
        if (!spans.empty() && std::abs(spans.back().end - start) < 1e-9)
            spans.back().end = end;
        else
            spans.push_back({start, end});
    }
    return spans;
}

size_t audibleFrames(const std::vector<float>& x, size_t minGap)
{
    size_t silent = 0;
    size_t run = 0;
    for (float v : x) {
        if (v == 0.0F) {
            ++run;
            continue;
        }
        if (run >= minGap)
            silent += run;
        run = 0;
    }
    if (run >= minGap)
        silent += run;
    return x.size() - silent;
}

size_t firstSound(const std::vector<float>& x, float threshold)
{
    return size_t(std::find_if(x.begin(), x.end(), [&](float v) { return std::fabs(v) > threshold; }) - x.begin());
}

size_t lastSound(const std::vector<float>& x, float threshold)
{
    return size_t(x.rend() - std::find_if(x.rbegin(), x.rend(), [&](float v) { return std::fabs(v) > threshold; }));
}

}  // namespace audiofix
