#include "platform/media/MciDevice.h"

#include "platform/media/MciErrors.h"

#include <chrono>
#include <vector>

namespace media {

namespace {

// A "wait" gives up when the output has taken nothing for this long (an output that died under it).
constexpr auto stallLimit = std::chrono::seconds(10);

}  // namespace

MciDevice::MciDevice(std::unique_ptr<MediaSource> source, Bus bus, VoiceHost& host)
    : source_(std::move(source)), bus_(bus), host_(host)
{
    notReady_ = !source_->checkReady();
    position_ = source_->startFrame();
}

MciDevice::~MciDevice()
{
    endPlayback(false);
}

uint32_t MciDevice::parsePosition(const QString& text, int64_t& frame) const
{
    long long ms = 0;
    if (!mci::readNumber(text, ms))
        return mci::BadParameter;
    frame = source_->startFrame() + int64_t(ms) * outputRate / 1000;
    return mci::NoError;
}

QString MciDevice::formatPosition(int64_t frame) const
{
    return QString::number((frame - source_->startFrame()) * 1000 / outputRate);
}

uint32_t MciDevice::setTimeFormat(const QString& name)
{
    if (name.compare(QLatin1String("milliseconds"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("ms"), Qt::CaseInsensitive) == 0)
        return mci::NoError;
    return mci::BadTimeFormat;
}

uint32_t MciDevice::statusItem(mci::WordReader& words, QString& reply)
{
    if (words.take({"mode"})) {
        reply = mode();
        return mci::NoError;
    }
    if (words.take({"ready"}) || words.take({"media", "present"})) {
        reply = refresh() == mci::NoError ? QStringLiteral("true") : QStringLiteral("false");
        return mci::NoError;
    }
    if (words.take({"time", "format"})) {
        reply = timeFormat();
        return mci::NoError;
    }
    if (const uint32_t error = refresh())
        return error;
    if (words.take({"position"})) {
        reply = formatPosition(position());
        return mci::NoError;
    }
    if (words.take({"length"})) {
        reply = formatLength(source_->endFrame() - source_->startFrame());
        return mci::NoError;
    }
    if (words.take({"number", "of", "tracks"}) || words.take({"current", "track"})) {
        reply = QStringLiteral("1");
        return mci::NoError;
    }
    if (words.atEnd())
        return mci::MissingParameter;
    return mci::BadParameter;
}

uint32_t MciDevice::refresh()
{
    if (voice_) {
        if (voice_->failed.load(std::memory_order_acquire)) {
            endPlayback(true);
            state_ = State::Stopped;
            notReady_ = true;
        } else if (voice_->drained()) {
            endPlayback(false);
            position_ = playTo_;
            state_ = State::Stopped;
        }
    }
    if (state_ != State::Playing) {
        notReady_ = !source_->checkReady();
        // A disc read anew may be shorter than the position kept.
        if (!notReady_ && (position_ < source_->startFrame() || position_ > source_->endFrame()))
            position_ = source_->startFrame();
    }
    return notReady_ ? mci::NotReady : mci::NoError;
}

QString MciDevice::mode()
{
    refresh();
    if (notReady_)
        return QStringLiteral("not ready");
    switch (state_) {
    case State::Playing:
        return QStringLiteral("playing");
    case State::Paused:
        return QStringLiteral("paused");
    case State::Stopped:
        break;
    }
    return QStringLiteral("stopped");
}

int64_t MciDevice::position()
{
    refresh();
    if (voice_)
        return source_->positionAfter(playFrom_, playTo_, int64_t(voice_->mixedFrames.load(std::memory_order_acquire)));
    return position_;
}

uint32_t MciDevice::play(std::optional<int64_t> from, std::optional<int64_t> to, bool wait)
{
    if (const uint32_t error = refresh())
        return error;
    const int64_t start = source_->startFrame();
    const int64_t end = source_->endFrame();
    const int64_t first = from.value_or(voice_ ? position() : position_);
    const int64_t last = to.value_or(end);
    if (first < start || first > end || last < start || last > end || last < first)
        return mci::OutOfRange;

    endPlayback(false);
    position_ = first;
    state_ = State::Stopped;
    if (!source_->hasSound(first, last)) {
        position_ = last;
        return mci::NoError;
    }

    auto voice = std::make_unique<Voice>(source_->bufferFrames(), bus_);
    if (const uint32_t error = source_->prepare(first, last)) {
        if (error == mci::NotReady)
            notReady_ = true;
        return error;
    }
    if (const uint32_t error = host_.startVoice(*voice))
        return error;
    voice_ = std::move(voice);
    playFrom_ = first;
    playTo_ = last;
    state_ = State::Playing;
    worker_ = std::thread(&MciDevice::produce, this);

    if (!wait)
        return mci::NoError;
    uint64_t lastMixed = 0;
    auto lastProgress = std::chrono::steady_clock::now();
    while (!voice_->drained() && !voice_->failed.load(std::memory_order_acquire)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const uint64_t mixed = voice_->mixedFrames.load(std::memory_order_acquire);
        const auto now = std::chrono::steady_clock::now();
        if (mixed != lastMixed) {
            lastMixed = mixed;
            lastProgress = now;
        } else if (now - lastProgress > stallLimit) {
            endPlayback(true);
            state_ = State::Stopped;
            return mci::DeviceFailed;
        }
    }
    return refresh();
}

uint32_t MciDevice::stop()
{
    refresh();
    endPlayback(true);
    state_ = State::Stopped;
    return notReady_ ? mci::NotReady : mci::NoError;
}

uint32_t MciDevice::pause()
{
    if (const uint32_t error = refresh())
        return error;
    if (state_ == State::Playing) {
        endPlayback(true);
        state_ = State::Paused;
    }
    return mci::NoError;
}

uint32_t MciDevice::resume()
{
    if (const uint32_t error = refresh())
        return error;
    if (state_ != State::Paused)
        return mci::NoError;
    return play(position_, playTo_, false);
}

uint32_t MciDevice::seek(int64_t frame)
{
    if (const uint32_t error = refresh())
        return error;
    if (frame < source_->startFrame() || frame > source_->endFrame())
        return mci::OutOfRange;
    endPlayback(false);
    position_ = frame;
    state_ = State::Stopped;
    return mci::NoError;
}

void MciDevice::endPlayback(bool keepPosition)
{
    if (!voice_)
        return;
    voice_->requestStop();
    if (worker_.joinable())
        worker_.join();
    host_.endVoice(*voice_);
    if (keepPosition)
        position_ = source_->positionAfter(playFrom_, playTo_, int64_t(voice_->mixedFrames.load(std::memory_order_acquire)));
    voice_.reset();
}

void MciDevice::produce()
{
    Voice& voice = *voice_;
    const int chunk = source_->chunkFrames();
    std::vector<float> buffer(size_t(chunk) * 2);
    uint64_t written = 0;
    while (!voice.stopRequested.load(std::memory_order_acquire)) {
        const uint32_t seen = voice.wake.load(std::memory_order_acquire);
        if (voice.ring.space() < size_t(chunk)) {
            if (!voice.stopRequested.load(std::memory_order_acquire))
                voice.wake.wait(seen, std::memory_order_acquire);
            continue;
        }
        const int got = source_->read(buffer.data(), chunk);
        if (got < 0)
            voice.failed.store(true, std::memory_order_release);
        // The end is named before the last frames go out, so the mixer knows it when it mixes them.
        if (got <= 0 || source_->atEnd())
            voice.endFrames.store(written + uint64_t(std::max(got, 0)), std::memory_order_release);
        if (got <= 0)
            break;
        voice.ring.write(buffer.data(), size_t(got));
        written += uint64_t(got);
        if (source_->atEnd())
            break;
    }
}

}  // namespace media
