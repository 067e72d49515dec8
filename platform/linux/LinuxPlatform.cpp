#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/DesktopNotifier.h"
#include "platform/linux/LinuxSettings.h"
#include "platform/linux/NotifyIconHost.h"
#include "platform/linux/SleepWatch.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QWidget>

#include <utility>

namespace {

// The error every MCI command gets when the platform was built without a media engine.
constexpr uint32_t noMediaEngine = 0xFFFF;

// How long a drive question waits for a scan that is under way. Listing the drives normally takes milliseconds;
// a drive stuck in error recovery can hold the kernel much longer, and the program must not freeze for it.
constexpr std::chrono::seconds driveScanWait{2};

}  // namespace

namespace {
bool xcbShmSetHere = false;
}

void LinuxPlatform::prepareApplication()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
        xcbShmSetHere = true;
    }
}

LinuxPlatform::LinuxPlatform(const MediaFactory& makeMedia)
{
    // The X connection has been made: the programs Dawnbell starts keep the user's own setting.
    if (std::exchange(xcbShmSetHere, false))
        qunsetenv("QT_XCB_NO_MITSHM");
    settings_ = std::make_unique<LinuxSettings>(LinuxSettings::standardFile());
    startDriveScan();
    startDesktopLookup();
    media_ = makeMedia([this] { return knownDrives(); });
    Q_ASSERT_X(media_ != nullptr, "LinuxPlatform", "built without a media engine");
}

LinuxPlatform::LinuxPlatform(std::unique_ptr<Multimedia> media)
    : LinuxPlatform([&media](const CdDriveList&) { return std::move(media); })
{
}

LinuxPlatform::~LinuxPlatform()
{
    // The engine asks the drive table: it goes first.
    media_.reset();
}

// ---- Multimedia: the media engine answers -------------------------------------------------------------------

uint32_t LinuxPlatform::mciSendString(const QString& command, QString& reply)
{
    reply.clear();
    return media_ ? media_->mciSendString(command, reply) : noMediaEngine;
}

bool LinuxPlatform::mciGetErrorString(uint32_t error, QString& text)
{
    if (media_)
        return media_->mciGetErrorString(error, text);
    text.clear();
    return false;
}

uint32_t LinuxPlatform::waveOutGetVolume(int device, uint32_t& volume)
{
    return media_ ? media_->waveOutGetVolume(device, volume) : MMSYSERR_BADDEVICEID;
}

uint32_t LinuxPlatform::waveOutSetVolume(int device, uint32_t volume)
{
    return media_ ? media_->waveOutSetVolume(device, volume) : MMSYSERR_BADDEVICEID;
}

uint32_t LinuxPlatform::auxGetVolume(int device, uint32_t& volume)
{
    return media_ ? media_->auxGetVolume(device, volume) : MMSYSERR_BADDEVICEID;
}

uint32_t LinuxPlatform::auxSetVolume(int device, uint32_t volume)
{
    return media_ ? media_->auxSetVolume(device, volume) : MMSYSERR_BADDEVICEID;
}

void LinuxPlatform::beep()
{
    if (media_)
        media_->beep();
}

// ---- Drives --------------------------------------------------------------------------------------------------

void LinuxPlatform::startDriveScan()
{
    const bool started = driveScan_.start([this] {
        QString error;
        if (!driveTable_.rescan(error))
            qWarning("Dawnbell: %s", qUtf8Printable(error));
        const std::lock_guard lock(drivesMutex_);
        drives_ = driveTable_.drives();
    });
    // While a scan is stuck, no other starts behind it: its result is the freshest there will be.
    if (started)
        driveScanDeadline_ = std::chrono::steady_clock::now() + driveScanWait;
}

std::vector<CdDrive> LinuxPlatform::knownDrives()
{
    driveScan_.waitUntil(driveScanDeadline_);
    const std::lock_guard lock(drivesMutex_);
    return drives_;
}

void LinuxPlatform::rescanDrives()
{
    startDriveScan();
    driveScan_.waitUntil(driveScanDeadline_);
}

int LinuxPlatform::getDriveType(const QString& root)
{
    return findCdDrive(knownDrives(), root) ? DRIVE_CDROM : DRIVE_NO_ROOT_DIR;
}

QString LinuxPlatform::cdDevicePath(const QString& root)
{
    const std::vector<CdDrive> drives = knownDrives();
    const CdDrive* drive = findCdDrive(drives, root);
    return drive ? drive->source : QString();
}

// ---- SettingsStore -------------------------------------------------------------------------------------------

QString LinuxPlatform::getSetting(const QString& section, const QString& key, const QString& fallback)
{
    return settings_->get(section, key, fallback);
}

void LinuxPlatform::saveSetting(const QString& section, const QString& key, const QString& value)
{
    settings_->stage(section, key, value);
}

bool LinuxPlatform::commitSettings(QString& error)
{
    return settings_->commit(error);
}

QString LinuxPlatform::takeLoadNotice()
{
    return settings_->takeLoadNotice();
}

QString LinuxPlatform::settingsFile() const
{
    return settings_->file();
}

// ---- SystemInfo ----------------------------------------------------------------------------------------------

QString LinuxPlatform::moduleFileName()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString LinuxPlatform::systemFolder()
{
    return QStringLiteral("/usr/bin");
}

QString LinuxPlatform::windowsFolder()
{
    return QStringLiteral("/usr/share");
}

QString LinuxPlatform::homeFolder()
{
    return QDir::homePath();
}

int LinuxPlatform::platformId()
{
    return VER_PLATFORM_WIN32_NT;
}

QString LinuxPlatform::platformName()
{
    return QStringLiteral("Linux");
}

int LinuxPlatform::getDeviceCaps(QWidget* window, int index)
{
    switch (index) {
    case BITSPIXEL: {
        const QScreen* screen = window ? window->screen() : nullptr;
        if (!screen && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            screen = QGuiApplication::primaryScreen();
        // Without a screen to ask, a true-colour display is the safe guess.
        return screen ? screen->depth() : 24;
    }
    case PLANES:
        return 1;
    default:
        return 0;
    }
}

bool LinuxPlatform::canOpenForReading(const QString& path)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

QDateTime LinuxPlatform::now()
{
    return QDateTime::currentDateTime();
}

// ---- NotifyArea ----------------------------------------------------------------------------------------------

NotifyIconHost& LinuxPlatform::notifyHost()
{
    if (!notifyHost_) {
        notifyHost_ = std::make_unique<NotifyIconHost>();
        notifyHost_->setCallback(notifyCallback_);
    }
    return *notifyHost_;
}

QSystemTrayIcon& LinuxPlatform::notifyIcon()
{
    return notifyHost().icon();
}

bool LinuxPlatform::shellNotifyIcon(int message, const NotifyIconData& data)
{
    // The tray icon is a widget-level service: without a QApplication there is no notification area.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    // The clock tick modifies and deletes the icon every second whether there is one or not: until one has been
    // added, they fail without reaching the tray (or the session bus its kind is asked of).
    switch (message) {
    case NIM_ADD:
        return notifyHost().add(data);
    case NIM_MODIFY:
        return notifyHost_ && notifyHost_->modify(data);
    case NIM_DELETE:
        return notifyHost_ && notifyHost_->remove();
    default:
        return false;
    }
}

bool LinuxPlatform::notifyAreaAvailable()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) && QSystemTrayIcon::isSystemTrayAvailable();
}

void LinuxPlatform::setNotifyIconCallback(std::function<void(int mouseMessage)> callback)
{
    notifyCallback_ = std::move(callback);
    if (notifyHost_)
        notifyHost_->setCallback(notifyCallback_);
}


// ---- DesktopNotifications -----------------------------------------------------------------------------------

DesktopNotifier& LinuxPlatform::notifier()
{
    if (!notifier_) {
        notifier_ = std::make_unique<DesktopNotifier>(QDBusConnection::sessionBus());
        notifier_->setCallback(notificationCallback_);
    }
    return *notifier_;
}

int LinuxPlatform::showNotification(const QString& title, const QString& text,
                                    const std::vector<NotificationAction>& actions, NotificationUrgency urgency,
                                    int replaces)
{
    return notifier().show(title, text, actions, urgency, replaces);
}

void LinuxPlatform::withdrawNotification(int id)
{
    if (notifier_)
        notifier_->withdraw(id);
}

void LinuxPlatform::setNotificationCallback(std::function<void(int, const QString&)> callback)
{
    notificationCallback_ = std::move(callback);
    if (notifier_)
        notifier_->setCallback(notificationCallback_);
}

// ---- PowerEvents ---------------------------------------------------------------------------------------------

SleepWatch& LinuxPlatform::sleepWatch()
{
    if (!sleepWatch_)
        sleepWatch_ = std::make_unique<SleepWatch>(QDBusConnection::systemBus());
    return *sleepWatch_;
}

void LinuxPlatform::setSleepCallback(std::function<void(bool)> callback)
{
    if (callback || sleepWatch_)
        sleepWatch().setCallback(std::move(callback));
}

void LinuxPlatform::takeSleepDelay() { sleepWatch().takeDelay(); }

void LinuxPlatform::releaseSleepDelay()
{
    if (sleepWatch_)
        sleepWatch_->releaseDelay();
}
