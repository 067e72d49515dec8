// The "cdaudio" device: an audio CD in a drive, a disc image of the discs folder, or an album folder there (read
// by AlbumFolder.cpp). Everything that touches the disc happens on the device's worker: opening it, reading its
// table of contents, asking whether it changed, and extracting the audio digitally, through libcdio-paranoia from
// a drive (it corrects jitter and retries scratched sectors), straight from the .bin of an image. Commands work
// from the table of contents the worker last published. Data tracks are counted but never played.

#include "platform/cd_drives.h"
#include "platform/media/Disc.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace media {

namespace {

// A sector a drive cannot read at once is asked for again, up to this many times, before it counts as
// unreadable (paranoia's own retries for a drive; the engine's for an image). A stop request is heard between
// two attempts.
constexpr int readAttempts = 20;

using CdioHandle = std::unique_ptr<CdIo_t, decltype(&cdio_destroy)>;
struct DriveCloser {
    void operator()(cdrom_drive_t* drive) const { cdio_cddap_close_no_free_cdio(drive); }
};
using DriveHandle = std::unique_ptr<cdrom_drive_t, DriveCloser>;
using ParanoiaHandle = std::unique_ptr<cdrom_paranoia_t, decltype(&cdio_paranoia_free)>;

// libcdio's cue-sheet reader keeps state of its own between calls (strtok): the workers of two drives open
// their discs one at a time.
std::mutex& openingMutex()
{
    static std::mutex mutex;
    return mutex;
}

class CdSource;
// The source whose worker is inside a paranoia read on this thread: paranoia reads through readAudio() below,
// which has no other way to find it.
thread_local CdSource* readingSource = nullptr;

class CdSource final : public DiscSource {
public:
    CdSource(const CdDrive& drive, bool paranoiaForImages, CdTestHooks hooks)
        : source_(drive.source), isImage_(drive.isImage), useParanoia_(!drive.isImage || paranoiaForImages),
          hooks_(std::move(hooks)), cdio_(nullptr, &cdio_destroy), paranoia_(nullptr, &cdio_paranoia_free)
    {
        if (isImage_)
            bin_ = source_.chopped(4) + QStringLiteral(".bin");
    }

    ~CdSource() override
    {
        paranoia_.reset();
        drive_.reset();
        cdio_.reset();
    }

    // ---- Command thread ----
    size_t bufferFrames() const override { return size_t(useParanoia_ ? outputRate * 2 : outputRate / 2); }
    int chunkFrames() const override { return sectorsPerRead * framesPerSector; }

    // ---- Worker ----
    bool checkReady() override
    {
        if (hooks_.look && !hooks_.look())
            return gone();
        if (isImage_) {
            if (!imageIntact())
                return gone();
            // An image stays open while its files are the same (libcdio's cue reader leaks a little at every
            // opening); one whose files changed, or that comes back after it was gone, is read anew: it may be
            // another disc.
            const ImageStamp stamp = imageStamp();
            if (stamp == stamp_)
                return !workerDisc().tracks.empty();
            stamp_ = stamp;
            lost_ = false;
            return loadToc(true);
        }
        if (!cdio_ || workerDisc().tracks.empty() || lost_) {
            lost_ = false;
            return loadToc(false);
        }
        if (cdio_get_media_changed(cdio_.get()) == 1 || cdio_get_disc_last_lsn(cdio_.get()) == CDIO_INVALID_LSN)
            return loadToc(true);
        return true;
    }

    uint32_t prepare(int64_t from, int64_t to) override
    {
        startRange(from, to);
        sinceCheck_ = 0;
        bool jumped = false;
        if (!nextToRead(jumped))
            return mci::NoError;
        failuresInARow_ = 0;
        givingUp_ = false;
        if (useParanoia_) {
            if (!paranoia_) {
                const std::lock_guard opening(openingMutex());
                drive_.reset(cdio_cddap_identify_cdio(cdio_.get(), CDDA_MESSAGE_FORGETIT, nullptr));
                if (!drive_ || cdio_cddap_open(drive_.get()) != 0)
                    return mci::NotReady;
                // Paranoia reads through the engine, which gives each attempt one read of the drive and ends
                // the retries at once when the playback is stopped.
                drive_->read_audio = &CdSource::readAudio;
                paranoia_.reset(cdio_paranoia_init(drive_.get()));
                if (!paranoia_)
                    return mci::NotReady;
                cdio_paranoia_modeset(paranoia_.get(), PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
            }
            cdio_paranoia_seek(paranoia_.get(), int32_t(cdio_lba_to_lsn(lba_t(next_ / framesPerSector))), SEEK_SET);
        }
        return mci::NoError;
    }

    int read(float* out, int frames, const std::atomic<bool>& stop) override
    {
        // Skip what is left of a finished segment (a data track lies between).
        bool jumped = false;
        if (!nextToRead(jumped))
            return 0;
        if (jumped && useParanoia_)
            cdio_paranoia_seek(paranoia_.get(), int32_t(cdio_lba_to_lsn(lba_t(next_ / framesPerSector))), SEEK_SET);

        // Whole sectors from the sector holding next_, then the frames wanted of them.
        const int64_t sector = next_ / framesPerSector;
        const int64_t lastFrame = std::min<int64_t>(segmentEnd(), next_ + frames);
        const int sectors = int((lastFrame + framesPerSector - 1) / framesPerSector - sector);
        raw_.resize(size_t(sectors) * framesPerSector * 2);
        switch (readSectors(sector, sectors, stop)) {
        case Result::Stopped:
            return 0;
        case Result::Failed:
            lost_ = true;
            return -1;
        case Result::Read:
            break;
        }
        const int64_t skip = next_ - sector * framesPerSector;
        const int64_t count = lastFrame - next_;
        for (int64_t i = 0; i < count * 2; ++i)
            out[i] = float(raw_[size_t(skip * 2 + i)]) / 32768.0F;
        next_ = lastFrame;
        return int(count);
    }

private:
    enum class Result { Read, Failed, Stopped };

    // No disc can be read now; the next one found counts as another disc.
    bool gone()
    {
        lost_ = true;
        absent_ = true;
        stamp_ = {};
        return false;
    }

    // What tells one image from another: which files, their sizes and their times.
    struct FileStamp {
        ino_t inode = 0;
        off_t size = -1;
        int64_t modifiedNs = 0;
        bool operator==(const FileStamp&) const = default;
    };
    struct ImageStamp {
        FileStamp cue;
        FileStamp bin;
        bool operator==(const ImageStamp&) const = default;
    };
    static FileStamp fileStamp(const QString& path)
    {
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0)
            return {};
        return {info.st_ino, info.st_size, int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
    }
    ImageStamp imageStamp() const { return {fileStamp(source_), fileStamp(bin_)}; }

    // Opens the disc anew and reads its table of contents; publishes what it found (an empty disc when none).
    // The same table of contents read again after a failed read is the same disc, unless the drive said the
    // disc changed or there was none in between.
    bool loadToc(bool changed)
    {
        auto disc = std::make_shared<Disc>();
        const bool ok = readToc(*disc);
        if (!ok)
            *disc = Disc{};
        const Disc& last = workerDisc();
        const bool same = ok && !changed && !absent_ && disc->leadout == last.leadout &&
                          std::equal(disc->tracks.begin(), disc->tracks.end(), last.tracks.begin(),
                                     last.tracks.end(), [](const Track& a, const Track& b) {
                                         return a.number == b.number && a.lba == b.lba && a.audio == b.audio;
                                     });
        disc->generation = same ? last.generation : ++generation_;
        absent_ = !ok;
        imageBytes_ = ok && isImage_ ? (disc->leadout - disc->tracks.front().lba) * CDIO_CD_FRAMESIZE_RAW : 0;
        publish(std::move(disc));
        return ok;
    }

    bool readToc(Disc& disc)
    {
        if (hooks_.opened)
            hooks_.opened();
        const std::lock_guard opening(openingMutex());
        paranoia_.reset();
        drive_.reset();
        cdio_.reset(cdio_open(QFile::encodeName(source_).constData(), isImage_ ? DRIVER_BINCUE : DRIVER_DEVICE));
        if (!cdio_)
            return false;
        const track_t first = cdio_get_first_track_num(cdio_.get());
        const track_t count = cdio_get_num_tracks(cdio_.get());
        if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0)
            return false;
        const lba_t leadout = cdio_get_track_lba(cdio_.get(), CDIO_CDROM_LEADOUT_TRACK);
        if (leadout == CDIO_INVALID_LBA)
            return false;
        for (int i = 0; i < count; ++i) {
            const auto number = track_t(first + i);
            const lba_t lba = cdio_get_track_lba(cdio_.get(), number);
            if (lba == CDIO_INVALID_LBA)
                return false;
            disc.tracks.push_back({number, lba, 0, cdio_get_track_format(cdio_.get(), number) == TRACK_FORMAT_AUDIO});
        }
        for (size_t i = 0; i < disc.tracks.size(); ++i)
            disc.tracks[i].end = i + 1 < disc.tracks.size() ? disc.tracks[i + 1].lba : leadout;
        disc.leadout = leadout;
        return true;
    }

    // An image is there while its two files are and the .bin still holds the whole disc.
    bool imageIntact() const
    {
        if (!QFileInfo::exists(source_))
            return false;
        const QFileInfo bin(bin_);
        return bin.isFile() && (imageBytes_ == 0 || bin.size() >= imageBytes_);
    }

    // Whether the disc is still there: an image's files, a drive's table of contents. Paranoia works around
    // sectors it cannot read rather than failing on them, so a drive is asked now and then.
    bool stillThere() const
    {
        if (isImage_)
            return imageIntact();
        return cdio_get_disc_last_lsn(cdio_.get()) != CDIO_INVALID_LSN;
    }

    // One attempt to read `count` sectors from `lba` into `buffer`.
    bool attemptRead(void* buffer, int64_t lba, long count)
    {
        if (hooks_.read && !hooks_.read(lba, int(count)))
            return false;
        return cdio_read_audio_sectors(cdio_.get(), buffer, cdio_lba_to_lsn(lba_t(lba)), uint32_t(count)) ==
               DRIVER_OP_SUCCESS;
    }

    Result readSectors(int64_t lba, int count, const std::atomic<bool>& stop)
    {
        sinceCheck_ += count;
        if (sinceCheck_ >= sectorsPerCheck) {
            sinceCheck_ = 0;
            if (!stillThere())
                return Result::Failed;
        }
        if (!useParanoia_) {
            for (int attempt = 0; attempt < readAttempts; ++attempt) {
                if (stop.load(std::memory_order_acquire))
                    return Result::Stopped;
                if (attemptRead(raw_.data(), lba, count))
                    return Result::Read;
            }
            return Result::Failed;
        }
        stop_ = &stop;
        readingSource = this;
        Result result = Result::Read;
        for (int i = 0; i < count && result == Result::Read; ++i) {
            const int16_t* sector = cdio_paranoia_read_limited(paranoia_.get(), nullptr, readAttempts);
            if (stop.load(std::memory_order_acquire))
                result = Result::Stopped;
            else if (!sector || givingUp_)
                result = Result::Failed;
            else
                std::memcpy(raw_.data() + size_t(i) * framesPerSector * 2, sector, CDIO_CD_FRAMESIZE_RAW);
        }
        readingSource = nullptr;
        if (result != Result::Read) {
            // Paranoia was cut short and holds silence where the disc was not read: it starts afresh next time.
            paranoia_.reset();
            drive_.reset();
        }
        return result;
    }

    // Paranoia's reading of the drive: one attempt of the drive for each of paranoia's reads. Paranoia retries
    // a sector it cannot verify many times over, reading ahead each time; once the playback is stopped, or the
    // drive has failed a whole round of attempts in a row, its retries are ended at once: verification off and
    // silence instead of reading (never heard; the read counts as stopped or failed).
    static long readAudio(cdrom_drive_t* drive, void* buffer, lsn_t begin, long sectors)
    {
        CdSource* self = readingSource;
        if (!self)
            return cdio_read_audio_sectors(drive->p_cdio, buffer, begin, uint32_t(sectors)) == DRIVER_OP_SUCCESS ? sectors : -1;
        if (self->givingUp_ || self->stop_->load(std::memory_order_acquire)) {
            cdio_paranoia_modeset(self->paranoia_.get(), PARANOIA_MODE_DISABLE);
            std::memset(buffer, 0, size_t(sectors) * CDIO_CD_FRAMESIZE_RAW);
            return sectors;
        }
        if (!self->attemptRead(buffer, cdio_lsn_to_lba(begin), sectors)) {
            self->givingUp_ = ++self->failuresInARow_ >= readAttempts;
            return -1;
        }
        self->failuresInARow_ = 0;
        return sectors;
    }

    // Fixed.
    const QString source_;
    QString bin_;
    const bool isImage_;
    const bool useParanoia_;
    const CdTestHooks hooks_;

    // Worker.
    CdioHandle cdio_;
    DriveHandle drive_;
    ParanoiaHandle paranoia_;
    uint64_t generation_ = 0;
    int64_t imageBytes_ = 0;
    int sinceCheck_ = 0;
    bool lost_ = false;    // the media failed; read the table of contents again before trusting it
    bool absent_ = false;  // no disc was found since the last table of contents
    ImageStamp stamp_;     // the image's files when they were last opened
    const std::atomic<bool>* stop_ = nullptr;
    int failuresInARow_ = 0;
    bool givingUp_ = false;
    std::vector<int16_t> raw_;
};

QString twoDigits(int64_t value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString msf(int64_t sectors)
{
    return twoDigits(sectors / (60 * sectorsPerSecond)) + QLatin1Char(':') +
           twoDigits(sectors / sectorsPerSecond % 60) + QLatin1Char(':') + twoDigits(sectors % sectorsPerSecond);
}

class CdAudioDevice final : public MciDevice {
public:
    CdAudioDevice(std::unique_ptr<DiscSource> source, VoiceHost& host)
        : MciDevice(std::move(source), Bus::Aux, host)
    {
    }

    QString deviceType() const override { return QStringLiteral("cdaudio"); }

    QString timeFormat() const override
    {
        switch (format_) {
        case Format::Tmsf:
            return QStringLiteral("tmsf");
        case Format::Msf:
            return QStringLiteral("msf");
        case Format::Milliseconds:
            break;
        }
        return QStringLiteral("milliseconds");
    }

    uint32_t setTimeFormat(const QString& name) override
    {
        if (name.compare(QLatin1String("tmsf"), Qt::CaseInsensitive) == 0)
            format_ = Format::Tmsf;
        else if (name.compare(QLatin1String("msf"), Qt::CaseInsensitive) == 0)
            format_ = Format::Msf;
        else if (MciDevice::setTimeFormat(name) == mci::NoError)
            format_ = Format::Milliseconds;
        else
            return mci::BadTimeFormat;
        return mci::NoError;
    }

    uint32_t parsePosition(const QString& text, int64_t& frame) const override
    {
        if (format_ == Format::Milliseconds) {
            long long ms = 0;
            if (!mci::readNumber(text, ms))
                return mci::BadParameter;
            frame = int64_t(ms) * outputRate / 1000;
            return mci::NoError;
        }
        std::vector<long long> parts;
        const int maxParts = format_ == Format::Tmsf ? 4 : 3;
        if (!mci::readColonNumbers(text, maxParts, parts))
            return mci::BadParameter;
        parts.resize(size_t(maxParts), 0);
        int64_t base = 0;
        size_t at = 0;
        if (format_ == Format::Tmsf) {
            const Track* t = cd().track(parts[0]);
            if (!t)
                return mci::OutOfRange;
            base = t->lba;
            at = 1;
        }
        const long long minutes = parts[at], seconds = parts[at + 1], sectors = parts[at + 2];
        if (seconds > 59 || sectors >= sectorsPerSecond)
            return mci::BadParameter;
        frame = (base + (minutes * 60 + seconds) * sectorsPerSecond + sectors) * framesPerSector;
        return mci::NoError;
    }

    QString formatPosition(int64_t frame) const override
    {
        const int64_t lba = frame / framesPerSector;
        switch (format_) {
        case Format::Tmsf: {
            const Track* t = cd().trackAt(lba);
            if (!t)
                return msf(lba);
            return twoDigits(t->number) + QLatin1Char(':') + msf(lba - t->lba);
        }
        case Format::Msf:
            return msf(lba);
        case Format::Milliseconds:
            break;
        }
        return QString::number(frame * 1000 / outputRate);
    }

    QString formatLength(int64_t frames) const override
    {
        if (format_ == Format::Milliseconds)
            return QString::number(frames * 1000 / outputRate);
        return msf(frames / framesPerSector);
    }

    uint32_t statusItem(mci::WordReader& words, QString& reply) override
    {
        const bool number = words.take({"number", "of", "tracks"});
        const bool current = !number && words.take({"current", "track"});
        const bool length = !number && !current && words.take({"length", "track"});
        const bool position = !number && !current && !length && words.take({"position", "track"});
        const bool type = !number && !current && !length && !position && words.take({"type", "track"});
        if (!number && !current && !length && !position && !type)
            return MciDevice::statusItem(words, reply);
        if (const uint32_t error = refresh())
            return error;
        if (number) {
            reply = QString::number(cd().tracks.size());
            return mci::NoError;
        }
        if (current) {
            const Track* t = cd().trackAt(MciDevice::position() / framesPerSector);
            reply = QString::number(t ? t->number : 1);
            return mci::NoError;
        }
        mci::Word word;
        long long n = 0;
        if (!words.next(word))
            return mci::MissingParameter;
        if (!mci::readNumber(word.text, n))
            return mci::BadParameter;
        const Track* t = cd().track(n);
        if (!t)
            return mci::OutOfRange;
        if (length)
            reply = formatLength((t->end - t->lba) * framesPerSector);
        else if (position)
            reply = formatPosition(t->lba * framesPerSector);
        else
            reply = t->audio ? QStringLiteral("audio") : QStringLiteral("other");
        return mci::NoError;
    }

private:
    enum class Format { Msf, Tmsf, Milliseconds };
    const Disc& cd() const { return static_cast<const DiscSource&>(source()).disc(); }
    Format format_ = Format::Msf;
};

}  // namespace

std::unique_ptr<MciDevice> openCdAudio(const CdDrive& drive, VoiceHost& host, uint32_t& error,
                                       bool paranoiaForImages, const CdTestHooks& hooks)
{
    // The image reader's remarks on pregaps and the like would only clutter stderr; errors still show.
    cdio_loglevel_default = CDIO_LOG_ERROR;
    error = mci::NoError;
    // A drive without a disc opens; its commands then answer "not ready" until a disc is in.
    if (drive.isFolder)
        return std::make_unique<CdAudioDevice>(openAlbumFolder(drive.source), host);
    return std::make_unique<CdAudioDevice>(std::make_unique<CdSource>(drive, paranoiaForImages, hooks), host);
}

}  // namespace media
