#include "platform/media/MciDevice.h"

#include "platform/media/MciErrors.h"

#include <vector>

namespace media {

namespace {

// A command that only glances at the media (mode, position), or asks about media known to be readable, waits
// this long for the worker's look when the worker is free; while the worker is still busy (inside a read of a
// playback just stopped, or a slow look at the disc), the last answer stands at once.
constexpr auto glancePatience = std::chrono::milliseconds(20);

}  // namespace

MciDevice::MciDevice(std::unique_ptr<MediaSource> source, Bus bus, VoiceHost& host)
    : source_(std::move(source)), bus_(bus), host_(host)
{
    position_ = source_->startFrame();
}

MciDevice::~MciDevice()
{
    retire();
    if (worker_.joinable())
        worker_.join();
}

bool MciDevice::start(std::chrono::milliseconds patience)
{
    if (!source_->mediaCanChange()) {
        notReady_ = !source_->checkReady();
        return true;
    }
    bool ready = false;
    if (!checkMedia(patience, ready))
        return false;
    source_->adopt();
    notReady_ = !ready;
    position_ = source_->startFrame();
    return true;
}

void MciDevice::retire()
{
    stopVoice(false);
    {
        const std::lock_guard guard(mutex_);
        job_.reset();
        quit_ = true;
    }
    workWanted_.notify_all();
}

bool MciDevice::finished(std::chrono::milliseconds patience)
{
    std::unique_lock lock(mutex_);
    if (!worker_.joinable())
        return true;
    if (!busy_)
        checked_.wait_for(lock, patience, [&] { return ended_ || busy_; });
    return ended_;
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
    if (words.take({"position"})) {
        if (const uint32_t error = refresh(Need::Glance))
            return error;
        reply = formatPosition(position());
        return mci::NoError;
    }
    if (const uint32_t error = refresh())
        return error;
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

uint32_t MciDevice::refresh(Need need)
{
    if (voice_) {
        if (const uint32_t error = voice_->error.load(std::memory_order_acquire)) {
            stopVoice(true);
            state_ = State::Stopped;
            failure_ = error;
            failedGeneration_ = source_->generation();
        } else if (voice_->drained()) {
            stopVoice(false);
            position_ = playTo_;
            state_ = State::Stopped;
        }
    }
    if (state_ != State::Playing) {
        bool ready = false;
        if (source_->mediaCanChange()) {
            // A question about the media waits while the media is not known to be readable (a disc just put
            // in is read); a glance takes the last answer when the worker is busy.
            const auto patience = need == Need::Media && (notReady_ || failure_) ? patience_ : glancePatience;
            checkMedia(patience, ready);
            source_->adopt();
        } else {
            ready = source_->checkReady();
        }
        if (failure_ && ready && source_->generation() != failedGeneration_)
            failure_ = 0;
        notReady_ = !ready || failure_ != 0;
        // A disc read anew may be shorter than the position kept.
        if (ready && (position_ < source_->startFrame() || position_ > source_->endFrame()))
            position_ = source_->startFrame();
    }
    if (!notReady_)
        return mci::NoError;
    return failure_ ? failure_ : source_->failureError();
}

QString MciDevice::mode()
{
    refresh(Need::Glance);
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
    refresh(Need::Glance);
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

    // A range of data tracks only would play nothing: it is an error, not a silent success. An empty range
    // (played from the end) plays nothing and is no error.
    if (first < last && !source_->hasSound(first, last))
        return mci::NoAudio;
    stopVoice(false);
    position_ = first;
    state_ = State::Stopped;
    if (first == last)
        return mci::NoError;

    // The worker starts on the first chunk before the voice reaches the output: an output that took the voice
    // while it had nothing yet would play a whole buffer of silence first (23 ms), the alarm's first sound that
    // late. A file or a sequence delivers within a moment; a disc is never waited for, since its drive may take
    // seconds and the caller is the interface thread.
    auto voice = std::make_shared<Voice>(source_->bufferFrames(), bus_);
    {
        const std::lock_guard guard(mutex_);
        startWorker();
        job_ = Job{voice, first, last};
    }
    workWanted_.notify_all();
    const auto patience = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(source_->mediaCanChange() ? 0 : 20);
    while (voice->ring.available() == 0 && voice->endFrames.load(std::memory_order_acquire) == Voice::unknownEnd &&
           std::chrono::steady_clock::now() < patience)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    if (const uint32_t error = host_.startVoice(*voice)) {
        voice->requestStop();
        return error;
    }
    voice_ = voice;
    playFrom_ = first;
    playTo_ = last;
    state_ = State::Playing;

    if (!wait)
        return mci::NoError;
    uint64_t lastMixed = 0;
    auto lastProgress = std::chrono::steady_clock::now();
    while (!voice_->drained() && voice_->error.load(std::memory_order_acquire) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const uint64_t mixed = voice_->mixedFrames.load(std::memory_order_acquire);
        const auto now = std::chrono::steady_clock::now();
        if (mixed != lastMixed) {
            lastMixed = mixed;
            lastProgress = now;
        } else if (now - lastProgress > patience_) {
            // Nothing new reached the output for too long: the media delivers nothing (a drive lost in its
            // retries), or the output takes nothing.
            const bool mediaStuck = voice_->ring.available() == 0;
            stopVoice(true);
            state_ = State::Stopped;
            return mediaStuck ? source_->failureError() : uint32_t(mci::DeviceFailed);
        }
    }
    return refresh(Need::Glance);
}

uint32_t MciDevice::stop()
{
    refresh(Need::Glance);
    stopVoice(true);
    state_ = State::Stopped;
    return notReady_ ? (failure_ ? failure_ : source_->failureError()) : uint32_t(mci::NoError);
}

uint32_t MciDevice::pause()
{
    if (const uint32_t error = refresh(Need::Glance))
        return error;
    if (state_ == State::Playing) {
        stopVoice(true);
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
    stopVoice(false);
    position_ = frame;
    state_ = State::Stopped;
    return mci::NoError;
}

uint32_t MciDevice::seekToStart()
{
    if (const uint32_t error = refresh())
        return error;
    return seek(source_->startFrame());
}

uint32_t MciDevice::seekToEnd()
{
    if (const uint32_t error = refresh())
        return error;
    return seek(source_->endFrame());
}

void MciDevice::stopVoice(bool keepPosition)
{
    if (!voice_)
        return;
    // The worker notices the request between two reads and lets go of the voice; nobody waits for it here.
    voice_->requestStop();
    host_.endVoice(*voice_);
    if (keepPosition)
        position_ = source_->positionAfter(playFrom_, playTo_, int64_t(voice_->mixedFrames.load(std::memory_order_acquire)));
    voice_.reset();
}

bool MciDevice::checkMedia(std::chrono::milliseconds patience, bool& ready)
{
    std::unique_lock lock(mutex_);
    startWorker();
    const uint64_t mine = ++checksWanted_;
    workWanted_.notify_all();
    if (busy_ && patience <= glancePatience)
        patience = std::chrono::milliseconds(0);
    checked_.wait_for(lock, patience, [&] { return checksDone_ >= mine || ended_; });
    ready = mediaReady_;
    return checksDone_ >= mine;
}

void MciDevice::startWorker()
{
    if (!worker_.joinable() && !quit_)
        worker_ = std::thread(&MciDevice::work, this);
}

void MciDevice::work()
{
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (job_) {
            Job job = std::move(*job_);
            job_.reset();
            busy_ = true;
            lock.unlock();
            if (!job.voice->stopRequested.load(std::memory_order_acquire))
                produce(*job.voice, job.from, job.to);
            job.voice.reset();
            lock.lock();
            busy_ = false;
            continue;
        }
        if (checksDone_ < checksWanted_) {
            const uint64_t serving = checksWanted_;
            busy_ = true;
            lock.unlock();
            const bool ready = source_->checkReady();
            lock.lock();
            busy_ = false;
            mediaReady_ = ready;
            checksDone_ = serving;
            checked_.notify_all();
            continue;
        }
        workWanted_.wait(lock);
    }
    // The device is closed: the drive, the file or the sound font is let go now, not when the engine next
    // comes round to destroying the device.
    lock.unlock();
    source_.reset();
    lock.lock();
    ended_ = true;
    checked_.notify_all();
}

void MciDevice::produce(Voice& voice, int64_t from, int64_t to)
{
    if (const uint32_t error = source_->prepare(from, to)) {
        voice.error.store(error, std::memory_order_release);
        voice.endFrames.store(0, std::memory_order_release);
        return;
    }
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
        const int got = source_->read(buffer.data(), chunk, voice.stopRequested);
        if (voice.stopRequested.load(std::memory_order_acquire))
            break;
        // A failure is told before the end, so whoever sees the end sees the failure too; the end is named before
        // the last frames go out, so the mixer knows it when it mixes them.
        if (got < 0)
            voice.error.store(source_->failureError(), std::memory_order_release);
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
