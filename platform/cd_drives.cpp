#include "platform/cd_drives.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QtGlobal>

#include <cdio/cdio.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// Letters "D:" to "Z:" are handed out; "A:" to "C:" never name a CD drive.
constexpr char firstLetter = 'D';
constexpr char lastLetter = 'Z';

// How long a scan waits for the drives to answer. Opening a drive node without blocking normally takes
// microseconds; a drive stuck in error recovery can hold the kernel for much longer, and the program must
// not freeze at start-up or on a rescan because of it.
constexpr std::chrono::milliseconds probeDeadline{1500};

using DeviceList = std::unique_ptr<char*, decltype(&cdio_free_device_list)>;

// The CD-ROM device nodes as libcdio's Linux driver lists them: /dev/cdrom and /dev/dvd, mounted and
// mountable drives, then /dev/hd?, /dev/scd? and /dev/sr?. libcdio probes each node with a non-blocking
// open and a capability query, so a drive without a disc is listed as well. Several names can lead to one
// drive (/dev/cdrom is usually a link to /dev/sr0): the first name listed stands for it.
//
// cdio_get_devices(DRIVER_DEVICE) would first open the default drive, which fails on some systems when the
// tray is empty (libcdio documents this), so the driver's own list is asked directly.
QStringList readDeviceNodes()
{
    QStringList nodes;
    QStringList seen;
    const DeviceList list(cdio_get_devices_linux(), &cdio_free_device_list);
    if (!list)
        return nodes;
    for (char** entry = list.get(); *entry != nullptr; ++entry) {
        const QString node = QString::fromLocal8Bit(*entry);
        QString identity = QFileInfo(node).canonicalFilePath();
        if (identity.isEmpty())
            identity = node;
        if (seen.contains(identity))
            continue;
        seen.append(identity);
        nodes.append(node);
    }
    return nodes;
}

// One scan running on its own thread; the caller waits for it at most probeDeadline.
struct Probe {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    QStringList nodes;
};

std::mutex probeMutex;
std::shared_ptr<Probe> pendingProbe;  // a scan that missed its deadline and has not returned yet
QStringList lastKnownNodes;           // the result of the last scan that finished in time

QStringList probeDeviceNodes()
{
    const std::lock_guard guard(probeMutex);
    if (pendingProbe) {
        const std::lock_guard pendingGuard(pendingProbe->mutex);
        if (!pendingProbe->done)
            return lastKnownNodes;  // still stuck: do not pile up more threads behind it
        lastKnownNodes = pendingProbe->nodes;
        pendingProbe.reset();
    }

    auto probe = std::make_shared<Probe>();
    try {
        std::thread([probe] {
            QStringList nodes = readDeviceNodes();
            const std::lock_guard probeGuard(probe->mutex);
            probe->nodes = std::move(nodes);
            probe->done = true;
            probe->finished.notify_all();
        }).detach();
    } catch (const std::system_error& error) {
        qWarning("Dawnbell: could not start the CD-ROM drive scan (%s); using the drives found before.",
                 error.what());
        return lastKnownNodes;
    }

    std::unique_lock lock(probe->mutex);
    if (!probe->finished.wait_for(lock, probeDeadline, [&] { return probe->done; })) {
        qWarning("Dawnbell: the CD-ROM drives did not answer within %lld ms; using the drives found before.",
                 static_cast<long long>(probeDeadline.count()));
        pendingProbe = probe;
        return lastKnownNodes;
    }
    lastKnownNodes = probe->nodes;
    return lastKnownNodes;
}

// The disc images of the discs folder: every "<name>.cue" with a "<name>.bin" beside it. Names are compared
// without regard to case first, so "alpha" comes before "Beta"; names that differ only in case keep a fixed
// order by their exact text.
QStringList discImages()
{
    const QDir folder(discsFolder());
    const QStringList cueNames = folder.entryList({QStringLiteral("*.cue")},
                                                  QDir::Files | QDir::Readable | QDir::CaseSensitive);
    QStringList images;
    for (const QString& cueName : cueNames) {
        const QString binName = cueName.chopped(4) + QStringLiteral(".bin");
        if (QFileInfo(folder.filePath(binName)).isFile())
            images.append(folder.absoluteFilePath(cueName));
    }
    std::sort(images.begin(), images.end(), [](const QString& a, const QString& b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
    return images;
}

}  // namespace

QString discsFolder()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(dataHome + QStringLiteral("/Dawnbell/discs"));
}

std::vector<CdDrive> listCdDrives()
{
    std::vector<CdDrive> drives;
    char letter = firstLetter;
    const auto add = [&](const QString& source, bool isImage) {
        if (letter > lastLetter)
            return false;
        drives.push_back(CdDrive{QString(QLatin1Char(letter)) + QLatin1Char(':'), source, isImage});
        ++letter;
        return true;
    };
    const QStringList nodes = probeDeviceNodes();
    for (const QString& node : nodes) {
        if (!add(node, false))
            break;
    }
    const QStringList images = discImages();
    for (const QString& image : images) {
        if (!add(image, true)) {
            qWarning("Dawnbell: only the drive letters D: to Z: exist; the disc image %s and those after it get none.",
                     qUtf8Printable(image));
            break;
        }
    }
    return drives;
}

const CdDrive* findCdDrive(const std::vector<CdDrive>& drives, const QString& name)
{
    QString wanted = name;
    if (wanted.size() == 3 && (wanted.back() == QLatin1Char('\\') || wanted.back() == QLatin1Char('/')))
        wanted.chop(1);
    if (wanted.size() != 2 || wanted.at(1) != QLatin1Char(':'))
        return nullptr;
    for (const CdDrive& drive : drives) {
        if (drive.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &drive;
    }
    return nullptr;
}
