#pragma once
// Generated audio fixtures and the analysis of recorded output, shared by the engine's tests, the end-to-end
// tests and the benchmarks. Nothing here is stored in the repository: every file is written when a test needs
// it.
//
//   writeToneWav(dir + "/a.wav", 440, 1.0);                 // a sound file
//   writeMidiFile(dir + "/a.mid", {{69, 0.0, 0.5}});        // a sequence: A4 for half a second
//   writeDiscImage(discsFolder(), "disc", {{440, 1}, {660, 1}, {880, 1}});   // a CD image: one more drive,
//                                                       // after the CD-ROM drives (find it with listCdDrives())
//   writeAlbumFolder(discsFolder() + "/album", {{440, 1}, {660, 1}});       // an album folder: one more drive
//   Audio out = readRawS16(sdlDiskFile);                    // what SDL's disk driver recorded
//   toneLevel(out.left, 0, out.left.size(), 440, out.rate); // amplitude of the 440 Hz component

#include <QString>

#include <cstdint>
#include <vector>

namespace audiofix {

inline constexpr int cdRate = 44100;

// ---- Generation -------------------------------------------------------------------------------------------

// A 16-bit PCM WAV file: a tone of `hz` on every channel.
bool writeToneWav(const QString& path, double hz, double seconds, int rate = cdRate, int channels = 2,
                  double amplitude = 0.5);
// Two tones, one per side.
bool writeStereoToneWav(const QString& path, double leftHz, double rightHz, double seconds, int rate = cdRate,
                        double amplitude = 0.5);

struct MidiNote {
    int key;              // 69 = A4 = 440 Hz
    double startSeconds;
    double seconds;
    int velocity = 110;
};
// A format-0 standard MIDI file at 120 beats a minute with the notes on channel 1, played by General MIDI
// `program` (73, the flute, has a strong fundamental and few overtones).
bool writeMidiFile(const QString& path, const std::vector<MidiNote>& notes, int program = 73);
// The frequency of a MIDI key.
double keyHz(int key);

struct DiscTrack {
    double hz;            // the tone of an audio track
    double seconds;       // rounded up to whole sectors (1/75 s)
    bool data = false;    // a MODE1 data track instead
};
// Writes the album folder <folder> (made if need be): an audio track is "NN.flac", a tone of `hz` on both sides as
// long as the track of a disc image; a data track is "NN.mp3" holding no sound. Returns false on failure.
bool writeAlbumFolder(const QString& folder, const std::vector<DiscTrack>& tracks, double amplitude = 0.5);
// Writes <folder>/<baseName>.bin and .cue and returns the .cue's path (empty on failure).
QString writeDiscImage(const QString& folder, const QString& baseName, const std::vector<DiscTrack>& tracks,
                       double amplitude = 0.5);
// The drive ("E:") of the disc image or album folder named `fileName` ("disc.cue", "album") in the discs folder, as
// listCdDrives() finds it now; empty when there is none.
QString driveOf(const QString& fileName);

// ---- Analysis ---------------------------------------------------------------------------------------------

struct Audio {
    int rate = cdRate;
    std::vector<float> left;
    std::vector<float> right;
    size_t frames() const { return left.size(); }
    double seconds() const { return double(left.size()) / rate; }
    size_t at(double second) const { return size_t(second * rate); }
};

Audio fromS16(const int16_t* interleaved, size_t frames, int rate = cdRate);
// The raw signed 16-bit little-endian stereo that SDL's disk driver writes.
Audio readRawS16(const QString& path, int rate = cdRate);

double rms(const std::vector<float>& x, size_t begin, size_t count);
// Amplitude of the component at `hz` over the window (Goertzel): a full-scale sine of `hz` reads 1.0.
double toneLevel(const std::vector<float>& x, size_t begin, size_t count, double hz, int rate = cdRate);
// The one of `candidates` (not empty) that is loudest over the window.
double dominantTone(const std::vector<float>& x, size_t begin, size_t count, const std::vector<double>& candidates,
                    int rate = cdRate);

struct Span {
    double start;  // seconds
    double end;
    double length() const { return end - start; }
};
// Where the tone `hz` sounds at least at `minLevel` and makes up most of the sound, in windows of
// `windowSeconds`; neighbouring windows are joined.
std::vector<Span> toneSpans(const std::vector<float>& x, double hz, int rate = cdRate, double minLevel = 0.05,
                            double windowSeconds = 0.02);
// How many frames carry sound: all but those in runs of at least `minGap` frames of exact silence (an
// output records whole blocks, so two sounds played one after the other can have a short gap between them).
size_t audibleFrames(const std::vector<float>& x, size_t minGap = 32);
// The first frame above `threshold`, or x.size().
size_t firstSound(const std::vector<float>& x, float threshold = 1e-3F);
// One past the last frame above `threshold`, or 0.
size_t lastSound(const std::vector<float>& x, float threshold = 1e-3F);

}  // namespace audiofix
