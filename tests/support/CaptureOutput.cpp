#include "tests/support/CaptureOutput.h"

#include <chrono>

CaptureOutput::CaptureOutput(Mode mode) : mode_(mode) {}

CaptureOutput::~CaptureOutput()
{
    close();
}

bool CaptureOutput::open(media::AudioRenderer& renderer, QString& error)
{
    if (failOpen_) {
        error = QStringLiteral("no sound device (capture set to fail)");
        return false;
    }
    if (open_)
        return true;
    {
        const std::lock_guard guard(mutex_);
        renderer_ = &renderer;
        open_ = true;
    }
    ++opens_;
    if (mode_ == Mode::Free)
        thread_ = std::thread(&CaptureOutput::run, this);
    return true;
}

void CaptureOutput::close()
{
    if (!open_)
        return;
    {
        const std::lock_guard guard(mutex_);
        open_ = false;
    }
    if (thread_.joinable())
        thread_.join();
    {
        const std::lock_guard guard(mutex_);
        renderer_ = nullptr;
    }
    ++closes_;
}

void CaptureOutput::run()
{
    constexpr int block = 1024;
    std::vector<int16_t> buffer(size_t(block) * 2);
    for (;;) {
        std::unique_lock lock(mutex_);
        if (!open_)
            return;
        if (renderer_->silent()) {
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        renderer_->render(buffer.data(), block, media::OutputClock::Manual);
        recording_.insert(recording_.end(), buffer.begin(), buffer.end());
    }
}

bool CaptureOutput::pull(int frames)
{
    const std::lock_guard guard(mutex_);
    if (!open_ || frames <= 0)
        return false;
    const size_t at = recording_.size();
    recording_.resize(at + size_t(frames) * 2);
    renderer_->render(recording_.data() + at, frames, media::OutputClock::Manual);
    return true;
}

audiofix::Audio CaptureOutput::audio() const
{
    const std::lock_guard guard(mutex_);
    return audiofix::fromS16(recording_.data(), recording_.size() / 2);
}

void CaptureOutput::clearRecording()
{
    const std::lock_guard guard(mutex_);
    recording_.clear();
}
