#pragma once
// The platform services on a Linux desktop: the settings store of LinuxSettings.h, the drive table of
// cd_drives.h, the desktop shell through GIO, Qt's dialogs, the system tray and the facts about the machine.
// Every Multimedia call goes to the media engine the platform is built with. The drives and the desktop's programs
// are looked at on jobs of their own, started with the platform, so no question waits on a drive or another
// process; the jobs end before the platform does.

#include "platform/Platform.h"
#include "platform/cd_drives.h"
#include "platform/linux/BackgroundJob.h"

#include <QString>

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

class DesktopNotifier;
class LinuxSettings;
class NotifyIconHost;
class SleepWatch;
class QSystemTrayIcon;

class LinuxPlatform final : public Platform {
public:
    // The media engine as a function of the drive table: given the way to the platform's drives, it returns what
    // carries out the MCI commands and the volumes (makeMediaEngine of MediaEngine.h), never null. The engine goes
    // before the table it reads.
    using MediaFactory = std::function<std::unique_ptr<Multimedia>(CdDriveList drives)>;
    explicit LinuxPlatform(const MediaFactory& makeMedia);
    // Called before the QApplication is made. The main window repaints its clock and countdown every second; on an
    // X server with shared memory each repaint first waits for the server to be done with the previous one, a
    // round trip that wakes the program twice a second. Its few changed pixels go over the connection instead
    // (unless the user has chosen otherwise). Undone for the programs Dawnbell starts once the platform is made.
    static void prepareApplication();
    // `media` carries out the MCI commands and the volumes without the drive table (a stand-in of the tests); it
    // must not be null.
    explicit LinuxPlatform(std::unique_ptr<Multimedia> media);
    ~LinuxPlatform() override;
    LinuxPlatform(const LinuxPlatform&) = delete;
    LinuxPlatform& operator=(const LinuxPlatform&) = delete;

    // Multimedia
    uint32_t mciSendString(const QString& command, QString& reply) override;
    bool mciGetErrorString(uint32_t error, QString& text) override;
    uint32_t waveOutGetVolume(int device, uint32_t& volume) override;
    uint32_t waveOutSetVolume(int device, uint32_t volume) override;
    uint32_t auxGetVolume(int device, uint32_t& volume) override;
    uint32_t auxSetVolume(int device, uint32_t volume) override;
    void beep() override;

    // Drives
    int getDriveType(const QString& root) override;
    QString cdDevicePath(const QString& root) override;
    void rescanDrives() override;

    // SettingsStore
    QString getSetting(const QString& section, const QString& key, const QString& fallback) override;
    void saveSetting(const QString& section, const QString& key, const QString& value) override;
    bool commitSettings(QString& error) override;
    QString takeLoadNotice() override;
    // The file that holds the store: $XDG_CONFIG_HOME/Dawnbell/Dawnbell.conf.
    QString settingsFile() const;

    // Shell
    int32_t shellOpen(const QString& path, const QString& directory) override;
    bool runProgram(const QString& program, const QStringList& arguments) override;

    // Dialogs
    int messageBox(const QString& text, int style, const QString& title) override;
    QString getOpenFileName(QWidget* owner, const QString& title, const QStringList& filters, int filterIndex,
                            const QString& initialDir) override;
    QString getSaveFileName(QWidget* owner, const QString& title, const QStringList& filters, int filterIndex,
                            const QString& initialDir, const QString& defaultExtension) override;
    bool chooseColor(QWidget* owner, uint32_t& color, std::array<uint32_t, 16>& customColors) override;
    int showModal(QDialog& form) override;
    void showPopupMenu(QMenu& menu, QAction* defaultItem) override;
    void doEvents() override;

    // NotifyArea
    bool shellNotifyIcon(int message, const NotifyIconData& data) override;
    void setNotifyIconCallback(std::function<void(int mouseMessage)> callback) override;
    bool notifyAreaAvailable() override;
    // The tray icon behind the notification-area calls (made on first use; needs a QApplication).
    QSystemTrayIcon& notifyIcon();

    // DesktopNotifications: the desktop's notification server on the session bus, reached on first use.
    int showNotification(const QString& title, const QString& text, const std::vector<NotificationAction>& actions,
                         NotificationUrgency urgency, int replaces) override;
    void withdrawNotification(int id) override;
    void setNotificationCallback(std::function<void(int id, const QString& actionKey)> callback) override;

    // PowerEvents: logind on the system bus, listened to from the first callback on.
    void setSleepCallback(std::function<void(bool goingToSleep)> callback) override;
    void takeSleepDelay() override;
    void releaseSleepDelay() override;

    // SystemInfo
    QString moduleFileName() override;
    QString systemFolder() override;
    QString windowsFolder() override;
    QString homeFolder() override;
    int platformId() override;
    QString platformName() override;
    int getDeviceCaps(QWidget* window, int index) override;
    // Answers from the lookup started with the platform; asked before it is done, waits for it at most 1 s
    // from the platform's start and then answers empty (no CD player).
    QString cdPlayerPath() override;
    bool canOpenForReading(const QString& path) override;
    QDateTime now() override;

private:
    NotifyIconHost& notifyHost();
    void startDriveScan();
    std::vector<CdDrive> knownDrives();
    void startDesktopLookup();

    std::unique_ptr<Multimedia> media_;
    std::unique_ptr<LinuxSettings> settings_;
    QString lastFileFolder_;  // where the user last chose a file
    std::unique_ptr<NotifyIconHost> notifyHost_;
    std::function<void(int)> notifyCallback_;
    DesktopNotifier& notifier();
    std::unique_ptr<DesktopNotifier> notifier_;
    std::function<void(int, const QString&)> notificationCallback_;
    SleepWatch& sleepWatch();
    std::unique_ptr<SleepWatch> sleepWatch_;

    // The drive table: scanned on a job of its own, at start-up and on rescanDrives.
    CdDriveTable driveTable_;  // used by the scanning job only
    std::mutex drivesMutex_;
    std::vector<CdDrive> drives_;  // the last scan's result, under drivesMutex_
    std::chrono::steady_clock::time_point driveScanDeadline_;
    BackgroundJob driveScan_;  // after the members its job uses: joined before they go

    // The desktop's programs, looked up on a job of their own at start-up.
    std::mutex desktopMutex_;
    QString cdPlayer_;  // under desktopMutex_
    std::chrono::steady_clock::time_point desktopLookupDeadline_;
    BackgroundJob desktopLookup_;
};
