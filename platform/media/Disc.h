#pragma once
// A disc as the "cdaudio" device sees it: tracks counted in sectors of 1/75 s, as its table of contents gives
// them. An audio CD in a drive and a disc image read theirs through libcdio; an album folder makes its own from
// its sound files. The device works from the table its source's worker last published.

#include "platform/media/MciDevice.h"
#include "platform/media/MciErrors.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace media {

inline constexpr int framesPerSector = 588;  // 2352 bytes of 16-bit stereo
inline constexpr int sectorsPerSecond = 75;
// The first track of a disc starts after two seconds of lead-in, as on a pressed CD.
inline constexpr int leadInSectors = 2 * sectorsPerSecond;
// How many sectors one worker step reads, and how often (in sectors read) a disc is checked for still being there.
inline constexpr int sectorsPerRead = 8;
inline constexpr int sectorsPerCheck = 75;

struct Track {
    int number;
    int64_t lba;    // first sector, absolute
    int64_t end;    // one past the last sector
    bool audio;
};

// A disc as its table of contents describes it; empty while no disc can be read.
struct Disc {
    std::vector<Track> tracks;
    int64_t leadout = 0;
    uint64_t generation = 0;  // which reading of the table of contents this is

    const Track* track(long long number) const
    {
        for (const Track& t : tracks) {
            if (t.number == number)
                return &t;
        }
        return nullptr;
    }
    const Track* trackAt(int64_t lba) const
    {
        const Track* found = tracks.empty() ? nullptr : &tracks.front();
        for (const Track& t : tracks) {
            if (t.lba <= lba)
                found = &t;
        }
        return found;
    }
    int64_t startFrame() const { return tracks.empty() ? 0 : tracks.front().lba * framesPerSector; }
    int64_t endFrame() const { return leadout * framesPerSector; }

    // The audio parts of [from, to) in frames, track by track.
    std::vector<std::pair<int64_t, int64_t>> audioSegments(int64_t from, int64_t to) const
    {
        std::vector<std::pair<int64_t, int64_t>> segments;
        for (const Track& t : tracks) {
            const int64_t first = std::max(from, t.lba * framesPerSector);
            const int64_t last = std::min(to, t.end * framesPerSector);
            if (!t.audio || first >= last)
                continue;
            if (!segments.empty() && segments.back().second == first)
                segments.back().second = last;
            else
                segments.emplace_back(first, last);
        }
        return segments;
    }
};

// The source of a "cdaudio" device: what its worker finds on the disc, handed to the commands, and the way
// through the audio parts of a range being played.
class DiscSource : public MediaSource {
public:
    // ---- Command thread ----
    const Disc& disc() const { return *disc_; }
    int64_t startFrame() const override { return disc_->startFrame(); }
    int64_t endFrame() const override { return disc_->endFrame(); }
    bool hasSound(int64_t from, int64_t to) const override { return !disc_->audioSegments(from, to).empty(); }
    int64_t positionAfter(int64_t from, int64_t to, int64_t mixed) const override
    {
        for (const auto& [first, last] : disc_->audioSegments(from, to)) {
            if (mixed < last - first)
                return first + mixed;
            mixed -= last - first;
        }
        return to;
    }
    void adopt() override
    {
        const std::lock_guard guard(publishMutex_);
        disc_ = published_;
    }
    bool mediaCanChange() const override { return true; }
    uint32_t failureError() const override { return mci::NotReady; }
    uint64_t generation() const override { return disc_->generation; }

    // ---- Worker ----
    bool atEnd() const override
    {
        return segment_ >= segments_.size() ||
               (segment_ + 1 == segments_.size() && next_ >= segments_[segment_].second);
    }

protected:
    DiscSource() : workerDisc_(std::make_shared<Disc>()), published_(workerDisc_), disc_(workerDisc_) {}

    // ---- Worker ----
    const Disc& workerDisc() const { return *workerDisc_; }
    // What the worker found is what the commands work from, once they next adopt it.
    void publish(std::shared_ptr<const Disc> disc)
    {
        workerDisc_ = disc;
        const std::lock_guard guard(publishMutex_);
        published_ = std::move(disc);
    }

    // A range to play: its audio parts, from the first.
    void startRange(int64_t from, int64_t to)
    {
        segments_ = workerDisc_->audioSegments(from, to);
        segment_ = 0;
        next_ = segments_.empty() ? from : segments_.front().first;
    }
    // Moves past an audio part read to its end (a data track lies between); false when the range is done.
    // `jumped` is set when the next frame to read is not the one after the last read.
    bool nextToRead(bool& jumped)
    {
        jumped = false;
        while (segment_ < segments_.size() && next_ >= segments_[segment_].second) {
            if (++segment_ < segments_.size()) {
                next_ = segments_[segment_].first;
                jumped = true;
            }
        }
        return segment_ < segments_.size();
    }
    // The end of the audio part being read.
    int64_t segmentEnd() const { return segments_[segment_].second; }

    int64_t next_ = 0;  // the next frame to read

private:
    std::shared_ptr<const Disc> workerDisc_;
    std::vector<std::pair<int64_t, int64_t>> segments_;
    size_t segment_ = 0;

    // From the worker to the command thread.
    std::mutex publishMutex_;
    std::shared_ptr<const Disc> published_;

    // Command thread.
    std::shared_ptr<const Disc> disc_;
};

// An album folder: its sound files in name order are the tracks; a file that cannot be decoded is a data track.
std::unique_ptr<DiscSource> openAlbumFolder(const QString& path);

}  // namespace media
