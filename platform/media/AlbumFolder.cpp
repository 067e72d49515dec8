// An album folder as a disc: a folder of the discs folder (or a link to one) whose sound files, in name order,
// are the tracks. A file libsndfile cannot decode (an MP3 where the installed libsndfile has no MP3, a damaged
// file) is a data track: counted, never played. Each track lasts its file rounded up to whole sectors; the
// worker reads the folder anew when its files change, and then it is another disc.

#include "platform/media/Disc.h"
#include "platform/media/SoundFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <sndfile.h>

namespace media {

namespace {

// Track numbers are two digits: the files after the 99th are left out.
constexpr size_t maxTracks = 99;
// A data track lasts as many raw sectors as its file has bytes.
constexpr int64_t bytesPerSector = 2352;

// The extensions of sound files: every format the installed libsndfile reads (but header-less raw data), and the
// common ones it may not read, which then count as data tracks.
QSet<QString> soundExtensions()
{
    QSet<QString> extensions{QStringLiteral("wav"),  QStringLiteral("wave"), QStringLiteral("flac"),
                             QStringLiteral("ogg"),  QStringLiteral("oga"),  QStringLiteral("opus"),
                             QStringLiteral("mp3"),  QStringLiteral("mp2"),  QStringLiteral("aif"),
                             QStringLiteral("aiff"), QStringLiteral("aifc"), QStringLiteral("m4a"),
                             QStringLiteral("aac"),  QStringLiteral("wma"),  QStringLiteral("wv"),
                             QStringLiteral("ape")};
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO format{};
        format.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &format, sizeof format) == 0 && format.extension &&
            (format.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_RAW)
            extensions.insert(QString::fromLatin1(format.extension).toLower());
    }
    return extensions;
}

// A file of the folder as it was when the folder was last read.
struct FileStamp {
    QString path;
    qint64 size = 0;
    qint64 modifiedMs = 0;
    bool operator==(const FileStamp&) const = default;
};

class FolderSource final : public DiscSource {
public:
    explicit FolderSource(QString path) : path_(std::move(path)), extensions_(soundExtensions()) {}

    int chunkFrames() const override { return sectorsPerRead * framesPerSector; }

    // ---- Worker ----
    bool checkReady() override
    {
        std::vector<FileStamp> files = soundFiles();
        // A folder whose reading failed (a file cut short or damaged, the folder taken away) stays unreadable until
        // its files change: then it is another disc.
        if (failed_ && files == failedFiles_)
            return false;
        failed_ = false;
        if (files != files_ || generation_ == 0) {
            files_ = std::move(files);
            readToc();
        }
        return !workerDisc().tracks.empty();
    }

    uint32_t prepare(int64_t from, int64_t to) override
    {
        startRange(from, to);
        sinceCheck_ = 0;
        file_.reset();
        return mci::NoError;
    }

    int read(float* out, int frames, const std::atomic<bool>& /*stop*/) override
    {
        const int got = readTrack(out, frames);
        if (got < 0) {
            failed_ = true;
            failedFiles_ = soundFiles();
            file_.reset();
        }
        return got;
    }

private:
    int readTrack(float* out, int frames)
    {
        bool jumped = false;
        if (!nextToRead(jumped))
            return 0;
        sinceCheck_ += frames;
        if (sinceCheck_ >= int64_t(sectorsPerCheck) * framesPerSector) {
            sinceCheck_ = 0;
            if (!stillThere())
                return -1;
        }
        const size_t index = trackAt(next_);
        const Track& track = workerDisc().tracks[index];
        const int64_t trackStart = track.lba * framesPerSector;
        const int64_t last = std::min({segmentEnd(), track.end * framesPerSector, next_ + frames});
        const int count = int(last - next_);
        if (!file_ || fileTrack_ != index || fileAt_ != next_) {
            // The track's file from the frame wanted; what lies past its end is the rest of its last sector.
            uint32_t error = 0;
            file_ = SoundFile::open(paths_[index], error);
            if (!file_)
                return -1;
            const int64_t offset = std::min(next_ - trackStart, file_->frames());
            if (file_->seek(offset, file_->frames() - offset) != mci::NoError)
                return -1;
            fileTrack_ = index;
        }
        int got = 0;
        if (!file_->atEnd()) {
            got = file_->read(out, count);
            if (got < 0)
                return -1;
        }
        std::fill(out + ptrdiff_t(got) * 2, out + ptrdiff_t(count) * 2, 0.0F);
        next_ = last;
        fileAt_ = last;
        return count;
    }

    // The sound files of the folder in name order (case folded first, as the discs folder's names are).
    std::vector<FileStamp> soundFiles() const
    {
        std::vector<FileStamp> files;
        const QFileInfoList entries = QDir(path_).entryInfoList(QDir::Files);
        for (const QFileInfo& entry : entries) {
            if (extensions_.contains(entry.suffix().toLower()))
                files.push_back({entry.absoluteFilePath(), entry.size(), entry.lastModified().toMSecsSinceEpoch()});
        }
        std::sort(files.begin(), files.end(), [](const FileStamp& a, const FileStamp& b) {
            const int folded = QString::compare(a.path, b.path, Qt::CaseInsensitive);
            return folded != 0 ? folded < 0 : QString::compare(a.path, b.path, Qt::CaseSensitive) < 0;
        });
        if (files.size() > maxTracks)
            files.resize(maxTracks);
        return files;
    }

    // Makes the table of contents of the files found: one track a file, audio where libsndfile decodes it.
    void readToc()
    {
        auto disc = std::make_shared<Disc>();
        paths_.clear();
        int64_t lba = leadInSectors;
        for (const FileStamp& file : files_) {
            uint32_t error = 0;
            const std::unique_ptr<SoundFile> sound = SoundFile::open(file.path, error);
            const int64_t sectors = sound ? (sound->frames() + framesPerSector - 1) / framesPerSector
                                          : (file.size + bytesPerSector - 1) / bytesPerSector;
            const int64_t end = lba + std::max<int64_t>(1, sectors);
            disc->tracks.push_back({int(disc->tracks.size()) + 1, lba, end, sound != nullptr});
            paths_.push_back(file.path);
            lba = end;
        }
        disc->leadout = disc->tracks.empty() ? 0 : lba;
        disc->generation = ++generation_;
        file_.reset();
        publish(std::move(disc));
    }

    size_t trackAt(int64_t frame) const
    {
        const std::vector<Track>& tracks = workerDisc().tracks;
        size_t index = 0;
        while (index + 1 < tracks.size() && tracks[index + 1].lba * framesPerSector <= frame)
            ++index;
        return index;
    }

    // The folder is still there, with the file being read: one taken away (a stick pulled, the album moved) ends
    // the playback as a disc taken out does.
    bool stillThere() const
    {
        return QFileInfo(path_).isDir() && (!file_ || QFileInfo::exists(paths_[fileTrack_]));
    }

    const QString path_;
    const QSet<QString> extensions_;

    // Worker.
    std::vector<FileStamp> files_;  // the files the table of contents was made of
    std::vector<QString> paths_;    // the file of each track
    uint64_t generation_ = 0;
    bool failed_ = false;
    std::vector<FileStamp> failedFiles_;  // the files when the reading failed
    int64_t sinceCheck_ = 0;
    std::unique_ptr<SoundFile> file_;
    size_t fileTrack_ = 0;
    int64_t fileAt_ = 0;
};

}  // namespace

std::unique_ptr<DiscSource> openAlbumFolder(const QString& path)
{
    return std::make_unique<FolderSource>(path);
}

}  // namespace media
