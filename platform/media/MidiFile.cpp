#include "platform/media/MidiFile.h"

#include <algorithm>
#include <limits>

namespace media {

namespace {

class Reader {
public:
    Reader(const QByteArray& data, qsizetype begin, qsizetype end) : data_(data), pos_(begin), end_(end) {}
    bool atEnd() const { return pos_ >= end_; }
    bool byte(int& value)
    {
        if (pos_ >= end_)
            return false;
        value = uint8_t(data_[pos_++]);
        return true;
    }
    bool skip(int64_t count)
    {
        if (count < 0 || count > end_ - pos_)
            return false;
        pos_ += qsizetype(count);
        return true;
    }
    bool varLength(int64_t& value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            int b = 0;
            if (!byte(b))
                return false;
            value = (value << 7) | (b & 0x7F);
            if ((b & 0x80) == 0)
                return true;
        }
        return false;
    }

private:
    const QByteArray& data_;
    qsizetype pos_;
    qsizetype end_;
};

uint32_t be32(const QByteArray& d, qsizetype at)
{
    return (uint32_t(uint8_t(d[at])) << 24) | (uint32_t(uint8_t(d[at + 1])) << 16) |
           (uint32_t(uint8_t(d[at + 2])) << 8) | uint32_t(uint8_t(d[at + 3]));
}

// Ticks times microseconds per quarter note reach beyond 64 bits in a file of a few thousand long delta times.
__extension__ typedef __int128 Wide;

int64_t saturated(Wide value)
{
    constexpr auto most = std::numeric_limits<int64_t>::max();
    return value > most ? most : value < -most ? -most : int64_t(value);
}

int64_t saturated(double value)
{
    constexpr auto most = double(std::numeric_limits<int64_t>::max() / 2);
    return value > most ? int64_t(most) : value < -most ? -int64_t(most) : int64_t(value);
}

uint32_t le32(const QByteArray& d, qsizetype at)
{
    return (uint32_t(uint8_t(d[at + 3])) << 24) | (uint32_t(uint8_t(d[at + 2])) << 16) |
           (uint32_t(uint8_t(d[at + 1])) << 8) | uint32_t(uint8_t(d[at]));
}

}  // namespace

bool MidiFile::read(const QByteArray& bytes)
{
    smf_.clear();
    tempo_.clear();
    lastTick_ = 0;
    // An RMI file is a RIFF "RMID" form whose "data" chunk holds the standard MIDI file.
    if (bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "RMID") {
        qsizetype at = 12;
        while (at + 8 <= bytes.size()) {
            const uint32_t size = le32(bytes, at + 4);
            if (bytes.mid(at, 4) == "data") {
                smf_ = bytes.mid(at + 8, qsizetype(size));
                break;
            }
            at += 8 + qsizetype(size) + (size & 1);
        }
    } else {
        smf_ = bytes;
    }
    if (smf_.size() < 14 || !smf_.startsWith("MThd") || be32(smf_, 4) < 6)
        return false;
    const int format = (uint8_t(smf_[8]) << 8) | uint8_t(smf_[9]);
    const int tracks = (uint8_t(smf_[10]) << 8) | uint8_t(smf_[11]);
    const int division = (uint8_t(smf_[12]) << 8) | uint8_t(smf_[13]);
    if (format > 2 || tracks < 1 || division == 0)
        return false;
    if (division & 0x8000) {
        const int framesPerSecond = -int8_t(division >> 8);
        const int ticksPerFrame = division & 0xFF;
        if (framesPerSecond <= 0 || ticksPerFrame == 0)
            return false;
        usPerSmpteTick_ = 1e6 / (framesPerSecond * ticksPerFrame);
    } else {
        division_ = division;
    }
    return readTracks(tracks);
}

bool MidiFile::readTracks(int trackCount)
{
    std::vector<std::pair<int64_t, int64_t>> changes;  // tick, microseconds per quarter note
    qsizetype at = 8 + qsizetype(be32(smf_, 4));
    int found = 0;
    while (found < trackCount && at + 8 <= smf_.size()) {
        const uint32_t size = be32(smf_, at + 4);
        const qsizetype begin = at + 8;
        const qsizetype end = begin + qsizetype(size);
        if (end > smf_.size())
            return false;
        if (smf_.mid(at, 4) == "MTrk") {
            ++found;
            Reader r(smf_, begin, end);
            int64_t tick = 0;
            int status = 0;
            while (!r.atEnd()) {
                int64_t delta = 0;
                if (!r.varLength(delta))
                    return false;
                tick += delta;
                int b = 0;
                if (!r.byte(b))
                    return false;
                if (b == 0xFF) {
                    int type = 0;
                    int64_t length = 0;
                    if (!r.byte(type) || !r.varLength(length))
                        return false;
                    if (type == 0x51 && length == 3) {
                        int t0 = 0, t1 = 0, t2 = 0;
                        r.byte(t0);
                        r.byte(t1);
                        r.byte(t2);
                        changes.emplace_back(tick, (t0 << 16) | (t1 << 8) | t2);
                    } else if (!r.skip(length)) {
                        return false;
                    }
                    if (type == 0x2F)
                        break;
                    continue;
                }
                if (b == 0xF0 || b == 0xF7) {
                    int64_t length = 0;
                    if (!r.varLength(length) || !r.skip(length))
                        return false;
                    continue;
                }
                int dataBytes = 0;
                if (b & 0x80) {
                    status = b;
                    dataBytes = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2;
                } else {
                    if (status == 0)
                        return false;
                    // Running status: `b` is already the first data byte.
                    dataBytes = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 0 : 1;
                }
                if (!r.skip(dataBytes))
                    return false;
            }
            lastTick_ = std::max(lastTick_, tick);
        }
        at = end;
    }
    if (found == 0)
        return false;

    std::stable_sort(changes.begin(), changes.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    tempo_.push_back({0, 0, 500000});
    for (const auto& [tick, usPerQuarter] : changes) {
        if (usPerQuarter <= 0)
            continue;
        const int64_t us = usAtTick(tick);
        if (tempo_.back().tick == tick)
            tempo_.back().usPerQuarter = usPerQuarter;
        else
            tempo_.push_back({tick, us, usPerQuarter});
    }
    return lengthUs() <= maxLengthUs;
}

int64_t MidiFile::usAtTick(int64_t tick) const
{
    if (usPerSmpteTick_ > 0.0)
        return saturated(double(tick) * usPerSmpteTick_);
    if (tempo_.empty())
        return saturated(Wide(tick) * 500000 / division_);
    auto it = std::upper_bound(tempo_.begin(), tempo_.end(), tick,
                               [](int64_t t, const TempoPoint& p) { return t < p.tick; });
    const TempoPoint& p = *std::prev(it);
    return saturated(Wide(p.us) + Wide(tick - p.tick) * p.usPerQuarter / division_);
}

int64_t MidiFile::tickAtUs(int64_t us) const
{
    if (usPerSmpteTick_ > 0.0)
        return saturated(double(us) / usPerSmpteTick_);
    if (tempo_.empty())
        return saturated(Wide(us) * division_ / 500000);
    auto it = std::upper_bound(tempo_.begin(), tempo_.end(), us,
                               [](int64_t t, const TempoPoint& p) { return t < p.us; });
    const TempoPoint& p = *std::prev(it);
    return saturated(Wide(p.tick) + Wide(us - p.us) * division_ / p.usPerQuarter);
}

}  // namespace media
