#pragma once
// A single-producer, single-consumer queue of stereo float frames: a worker writes, the output callback
// reads. Neither side blocks or allocates.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace media {

class RingBuffer {
public:
    explicit RingBuffer(size_t minFrames)
    {
        capacity_ = 1;
        while (capacity_ < minFrames)
            capacity_ <<= 1;
        data_ = std::make_unique<float[]>(capacity_ * 2);
    }

    size_t capacity() const { return capacity_; }
    size_t available() const { return write_.load(std::memory_order_acquire) - read_.load(std::memory_order_relaxed); }
    size_t space() const { return capacity_ - (write_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire)); }
    // Frames written and consumed since the start (any thread).
    size_t written() const { return write_.load(std::memory_order_acquire); }
    size_t consumed() const { return read_.load(std::memory_order_acquire); }

    // Producer side.
    size_t write(const float* frames, size_t count)
    {
        const size_t w = write_.load(std::memory_order_relaxed);
        count = std::min(count, space());
        for (size_t i = 0; i < count; ++i) {
            const size_t at = ((w + i) & (capacity_ - 1)) * 2;
            data_[at] = frames[i * 2];
            data_[at + 1] = frames[i * 2 + 1];
        }
        write_.store(w + count, std::memory_order_release);
        return count;
    }

    // Consumer side: adds up to `count` frames into `mix`; returns the frames taken.
    size_t mixInto(float* mix, size_t count)
    {
        const size_t r = read_.load(std::memory_order_relaxed);
        count = std::min(count, write_.load(std::memory_order_acquire) - r);
        for (size_t i = 0; i < count; ++i) {
            const size_t at = ((r + i) & (capacity_ - 1)) * 2;
            mix[i * 2] += data_[at];
            mix[i * 2 + 1] += data_[at + 1];
        }
        read_.store(r + count, std::memory_order_release);
        return count;
    }

private:
    size_t capacity_;
    std::unique_ptr<float[]> data_;
    std::atomic<size_t> write_{0};
    std::atomic<size_t> read_{0};
};

}  // namespace media
