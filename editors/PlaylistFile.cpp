#include "editors/PlaylistFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Closes the descriptor however the reading ends.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

}  // namespace

PlaylistFileRead ReadPlaylistFileBytes(const QString& path, qint64 maxBytes)
{
    PlaylistFileRead read;
    Descriptor file;
    // O_NONBLOCK: opening a FIFO without a writer, or a device, returns at once instead of waiting.
    file.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file.fd < 0) {
        read.reason = SystemReason(errno);
        return read;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        read.reason = SystemReason(errno);
        return read;
    }
    if (!S_ISREG(info.st_mode) || info.st_size > maxBytes) {
        read.result = PlaylistFileRead::NotAFile;
        return read;
    }
    // One byte more than allowed tells a file that grew since it was looked at.
    read.bytes.resize(static_cast<qsizetype>(maxBytes) + 1);
    qsizetype total = 0;
    while (total < read.bytes.size()) {
        const ssize_t got = ::read(file.fd, read.bytes.data() + total, static_cast<size_t>(read.bytes.size() - total));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            read.reason = SystemReason(errno);
            read.bytes.clear();
            return read;
        }
        if (got == 0)
            break;
        total += got;
    }
    if (total > maxBytes) {
        read.bytes.clear();
        read.result = PlaylistFileRead::NotAFile;
        return read;
    }
    read.bytes.truncate(total);
    read.result = PlaylistFileRead::Read;
    return read;
}
