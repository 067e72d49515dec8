#include "platform/cd_drives.h"

#include "platform/atomic_file.h"
#include "platform/ini_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QtGlobal>

#include <cdio/cdio.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// Letters "D:" to "Z:" are handed out; "A:" to "C:" never name a CD drive.
constexpr char16_t firstLetter = u'D';
constexpr char16_t lastLetter = u'Z';

const QString lettersSection = QStringLiteral("Letters");

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

// What the discs folder holds: every "<name>.cue" with a "<name>.bin" beside it, and every folder (or link to one)
// that is not hidden. Names are compared without regard to case first, so "alpha" comes before "Beta"; names that
// differ only in case keep a fixed order by their exact text.
struct DiscEntry {
    QString path;
    bool isFolder;
};

std::vector<DiscEntry> discEntries(const QString& discs)
{
    const QDir folder(discs);
    std::vector<DiscEntry> entries;
    const QStringList cueNames = folder.entryList({QStringLiteral("*.cue")},
                                                  QDir::Files | QDir::Readable | QDir::CaseSensitive);
    for (const QString& cueName : cueNames) {
        const QString binName = cueName.chopped(4) + QStringLiteral(".bin");
        if (QFileInfo(folder.filePath(binName)).isFile())
            entries.push_back({folder.absoluteFilePath(cueName), false});
    }
    for (const QString& album : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable))
        entries.push_back({folder.absoluteFilePath(album), true});
    std::sort(entries.begin(), entries.end(), [](const DiscEntry& a, const DiscEntry& b) {
        const int folded = QString::compare(a.path, b.path, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : QString::compare(a.path, b.path, Qt::CaseSensitive) < 0;
    });
    return entries;
}

// The stable name of each device in /dev/disk/by-id (by the device it leads to): it stays when the kernel numbers
// the drives differently ("/dev/sr1" after a USB drive was plugged in first). Of several names the first in name
// order is taken, so the choice is the same every time.
std::map<QString, QString> namesById()
{
    std::map<QString, QString> names;  // device path -> by-id path
    QStringList links = QDir(QStringLiteral("/dev/disk/by-id")).entryList(QDir::System | QDir::Files, QDir::Name);
    for (const QString& link : links) {
        const QString path = QStringLiteral("/dev/disk/by-id/") + link;
        const QString device = QFileInfo(path).canonicalFilePath();
        if (!device.isEmpty())
            names.try_emplace(device, path);
    }
    return names;
}

QString letterName(QChar letter)
{
    return QString(letter) + QLatin1Char(':');
}

}  // namespace

std::vector<CdDevice> systemCdDevices()
{
    std::vector<CdDevice> devices;
    const QStringList nodes = readDeviceNodes();
    if (nodes.isEmpty())
        return devices;
    const std::map<QString, QString> byId = namesById();
    for (const QString& node : nodes) {
        QString device = QFileInfo(node).canonicalFilePath();
        if (device.isEmpty())
            device = node;
        const auto stable = byId.find(device);
        devices.push_back({node, stable != byId.end() ? stable->second : device});
    }
    return devices;
}

QString driveLettersFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Dawnbell/drives.conf");
}

CdDriveTable::CdDriveTable(QString lettersFile, QString discs, DeviceLister devices)
    : lettersFile_(std::move(lettersFile)), discs_(std::move(discs)), devices_(std::move(devices))
{
}

bool CdDriveTable::readLetters()
{
    const QSettings file(lettersFile_, QSettings::IniFormat);
    const IniSections sections = readIniTexts(file);
    const auto letters = sections.find(lettersSection);
    if (letters == sections.end())
        return false;
    for (const auto& [key, identity] : letters->second) {
        const QChar letter = key.size() == 1 ? key.at(0).toUpper() : QChar();
        if (letter >= QChar(firstLetter) && letter <= QChar(lastLetter) && !identity.isEmpty())
            letters_[letter] = identity;
    }
    return true;
}

QChar CdDriveTable::freeLetter() const
{
    for (char16_t letter = firstLetter; letter <= lastLetter; ++letter) {
        if (letters_.count(QChar(letter)) == 0)
            return QChar(letter);
    }
    // All are taken: the letter of a disc image or album folder that is gone is given again. A device (named under
    // /dev) is never forgotten, as it may only be unplugged.
    for (const auto& [letter, identity] : letters_) {
        if (identity.startsWith(QLatin1Char('/')) && !identity.startsWith(QStringLiteral("/dev/")) &&
            !QFileInfo::exists(identity))
            return letter;
    }
    return {};
}

bool CdDriveTable::rescan(QString& error)
{
    error.clear();
    struct Present {
        QString identity;
        QString source;
        bool isImage;
        bool isFolder;
    };
    std::vector<Present> present;
    for (const CdDevice& device : devices_())
        present.push_back({device.identity, device.node, false, false});
    for (const DiscEntry& entry : discEntries(discs_))
        present.push_back({entry.path, entry.path, !entry.isFolder, entry.isFolder});

    readLetters();
    std::map<QString, QChar> letterOf;  // identity -> letter
    for (const auto& [letter, identity] : letters_)
        letterOf[identity] = letter;

    bool given = false;
    drives_.clear();
    for (const Present& drive : present) {
        auto known = letterOf.find(drive.identity);
        if (known == letterOf.end()) {
            const QChar letter = freeLetter();
            if (letter.isNull()) {
                qWarning("Dawnbell: the drive letters D: to Z: are all taken; %s gets none.",
                         qUtf8Printable(drive.identity));
                continue;
            }
            letterOf.erase(letters_[letter]);
            letters_[letter] = drive.identity;
            known = letterOf.insert_or_assign(drive.identity, letter).first;
            given = true;
        }
        drives_.push_back({letterName(known->second), drive.source, drive.isImage, drive.isFolder});
    }
    std::sort(drives_.begin(), drives_.end(), [](const CdDrive& a, const CdDrive& b) { return a.name < b.name; });

    if (!given)
        return true;
    IniSections sections;
    for (const auto& [letter, identity] : letters_)
        sections[lettersSection][QString(letter)] = identity;
    if (writeFileAtomically(lettersFile_, formatIni(sections), error))
        return true;
    error = QStringLiteral("The drive letters could not be remembered: %1").arg(error);
    return false;
}

std::vector<CdDrive> listCdDrives()
{
    CdDriveTable table;
    QString error;
    if (!table.rescan(error))
        qWarning("Dawnbell: %s", qUtf8Printable(error));
    return table.drives();
}

QString discsFolder()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(dataHome + QStringLiteral("/Dawnbell/discs"));
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
