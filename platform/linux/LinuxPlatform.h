#pragma once
// The platform services on a Linux desktop: the settings store over QSettings, the drive table of
// cd_drives.h, the desktop shell through xdg-utils, Qt's dialogs, the system tray and the facts about the
// machine. Every Multimedia call goes to the media engine the platform is built with.

#include "platform/Platform.h"

#include <QString>

#include <map>
#include <memory>
#include <utility>

class NotifyIconHost;
class QSystemTrayIcon;

class LinuxPlatform final : public Platform {
public:
    // `media` carries out the MCI commands and the volumes; it must not be null.
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
    // The file that holds the store: $XDG_CONFIG_HOME/Dawnbell/Dawnbell.conf.
    QString settingsFile() const { return settingsFile_; }

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

    // SystemInfo
    QString moduleFileName() override;
    QString systemFolder() override;
    QString windowsFolder() override;
    QString homeFolder() override;
    int platformId() override;
    QString platformName() override;
    int getDeviceCaps(QWidget* window, int index) override;
    QString cdPlayerPath() override;
    bool canOpenForReading(const QString& path) override;
    QDateTime now() override;

private:
    NotifyIconHost& notifyHost();

    std::unique_ptr<Multimedia> media_;
    QString settingsFile_;
    std::map<std::pair<QString, QString>, QString> stagedSettings_;  // (section, key) -> value
    QString lastFileFolder_;  // where the user last chose a file
    std::unique_ptr<NotifyIconHost> notifyHost_;
    std::function<void(int)> notifyCallback_;
};
