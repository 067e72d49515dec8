// The "sequencer" device: a standard MIDI file played by FluidSynth from the General MIDI sound font. The
// engine renders the synthesiser itself on the device's worker; FluidSynth runs no audio driver or timer of
// its own, the player advances with the samples rendered.

#include "platform/media/MciDevice.h"
#include "platform/media/MciErrors.h"
#include "platform/media/MidiFile.h"

#include <QFile>

#include <fluidsynth.h>
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

namespace media {

namespace {

using SettingsHandle = std::unique_ptr<fluid_settings_t, decltype(&delete_fluid_settings)>;
using SynthHandle = std::unique_ptr<fluid_synth_t, decltype(&delete_fluid_synth)>;
using PlayerHandle = std::unique_ptr<fluid_player_t, decltype(&delete_fluid_player)>;

// After the last event, the sequence sounds on until its notes have died away, at most this long.
constexpr int64_t maxTailFrames = int64_t(outputRate) * 5;
// A rendered block quieter than this counts as silence once no voice sounds.
constexpr float silenceLevel = 1e-4F;

void quietLibrary()
{
    // Failures reach the user as the command's error; the library's own messages would only clutter stderr.
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

class MidiSource final : public MediaSource {
public:
    MidiSource(MidiFile file, SettingsHandle settings, SynthHandle synth)
        : file_(std::move(file)), settings_(std::move(settings)), synth_(std::move(synth)),
          player_(nullptr, &delete_fluid_player)
    {
        end_ = file_.lengthUs() * outputRate / 1'000'000;
    }

    ~MidiSource() override
    {
        player_.reset();
        synth_.reset();
        settings_.reset();
        // The sound font's samples are many small blocks; hand the freed memory back to the system.
        malloc_trim(0);
    }

    int64_t endFrame() const override { return end_; }
    uint32_t failureError() const override { return mci::DeviceFailed; }
    int chunkFrames() const override { return 1024; }

    uint32_t prepare(int64_t from, int64_t to) override
    {
        player_.reset();
        // A synthesiser just made is in its reset state: the alarm's first play does not wait for a reset.
        if (!std::exchange(fresh_, false))
            fluid_synth_system_reset(synth_.get());
        PlayerHandle player(new_fluid_player(synth_.get()), &delete_fluid_player);
        if (!player || fluid_player_add_mem(player.get(), file_.smf().constData(), size_t(file_.smf().size())) != FLUID_OK)
            return mci::DeviceFailed;
        if (fluid_player_play(player.get()) != FLUID_OK)
            return mci::DeviceFailed;
        if (from > 0)
            fluid_player_seek(player.get(), int(std::min<int64_t>(file_.tickAtUs(from * 1'000'000 / outputRate),
                                                                  std::numeric_limits<int>::max())));
        player_ = std::move(player);
        remaining_ = to - from;
        toEnd_ = to == end_;
        tail_ = 0;
        finished_ = false;
        return mci::NoError;
    }

    int read(float* out, int frames, const std::atomic<bool>& /*stop*/) override
    {
        if (finished_)
            return 0;
        if (remaining_ > 0) {
            const int n = int(std::min<int64_t>(frames, remaining_));
            render(out, n);
            remaining_ -= n;
            if (remaining_ == 0 && !toEnd_)
                finished_ = true;  // a range that ends inside the sequence stops there
            return n;
        }
        // Past the last event: the notes ring out until they have died away.
        fluid_player_stop(player_.get());
        const int n = int(std::min<int64_t>(frames, maxTailFrames - tail_));
        if (n <= 0)
            return 0;
        render(out, n);
        tail_ += n;
        float peak = 0.0F;
        for (int i = 0; i < n * 2; ++i)
            peak = std::max(peak, std::fabs(out[i]));
        if (fluid_synth_get_active_voice_count(synth_.get()) == 0 && peak < silenceLevel)
            finished_ = true;
        return n;
    }

    bool atEnd() const override { return finished_ || (remaining_ == 0 && tail_ >= maxTailFrames); }

private:
    void render(float* out, int frames)
    {
        // Interleaved stereo straight from the synthesiser: left at even, right at odd places.
        fluid_synth_write_float(synth_.get(), frames, out, 0, 2, out, 1, 2);
    }

    MidiFile file_;
    SettingsHandle settings_;
    SynthHandle synth_;
    PlayerHandle player_;
    int64_t end_ = 0;
    int64_t remaining_ = 0;
    int64_t tail_ = 0;
    bool toEnd_ = true;
    bool finished_ = false;
    bool fresh_ = true;  // nothing has been played yet
};

class SequencerDevice final : public MciDevice {
public:
    using MciDevice::MciDevice;
    QString deviceType() const override { return QStringLiteral("sequencer"); }
};

}  // namespace

std::unique_ptr<MciDevice> openSequencer(const QString& path, const QString& soundFont, VoiceHost& host,
                                         uint32_t& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = mci::FileUnreadable;
        return nullptr;
    }
    // MIDI files are small; anything beyond this is not one.
    constexpr qint64 maxSize = 16 * 1024 * 1024;
    if (file.size() > maxSize) {
        error = mci::UnsupportedFile;
        return nullptr;
    }
    MidiFile midi;
    if (!midi.read(file.readAll())) {
        error = mci::UnsupportedFile;
        return nullptr;
    }

    quietLibrary();
    // A sound font is a RIFF file of form "sfbk" (SoundFont 2 and 3) or "DLS "; anything else would only make
    // the library complain before it fails.
    QFile font(soundFont);
    const QByteArray head = font.open(QIODevice::ReadOnly) ? font.read(12) : QByteArray();
    if (head.size() < 12 || !head.startsWith("RIFF") || (head.mid(8) != "sfbk" && head.mid(8) != "DLS ")) {
        error = mci::NoSoundFont;
        return nullptr;
    }
    font.close();
    SettingsHandle settings(new_fluid_settings(), &delete_fluid_settings);
    if (!settings) {
        error = mci::DeviceFailed;
        return nullptr;
    }
    fluid_settings_setnum(settings.get(), "synth.sample-rate", double(outputRate));
    fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
    // Only the instruments a sequence selects are read from the sound font, not all of its samples.
    fluid_settings_setint(settings.get(), "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings.get(), "synth.lock-memory", 0);
    fluid_settings_setint(settings.get(), "synth.cpu-cores", 1);
    // Louder than the library's cautious default, so that a sequence wakes as well as a CD does.
    fluid_settings_setnum(settings.get(), "synth.gain", 0.5);
    SynthHandle synth(new_fluid_synth(settings.get()), &delete_fluid_synth);
    if (!synth) {
        error = mci::DeviceFailed;
        return nullptr;
    }
    if (fluid_synth_sfload(synth.get(), QFile::encodeName(soundFont).constData(), 1) == FLUID_FAILED) {
        error = mci::NoSoundFont;
        return nullptr;
    }
    error = mci::NoError;
    return std::make_unique<SequencerDevice>(
        std::make_unique<MidiSource>(std::move(midi), std::move(settings), std::move(synth)), Bus::Wave, host);
}

}  // namespace media
