#pragma once
// A platform for tests: it records every MCI command and volume call in order, answers MCI commands from a
// script, answers message boxes from a queue and modal forms through a test's hand, and has a clock, drives, a
// settings store and a notification area that a test sets as it needs.

#include "platform/Platform.h"

#include <QDateTime>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <utility>
#include <vector>

class FakePlatform : public Platform {
public:
    FakePlatform();

    // --- MCI ----------------------------------------------------------------------------------------------
    struct MciRule {
        QRegularExpression pattern;  // matched against the whole command, case-insensitive
        uint32_t code = 0;
        QString reply;
    };
    // Answers commands that match `pattern` (a regular expression for the whole command) with `code` and
    // `reply`; the rule added last wins.
    void answer(const QString& pattern, uint32_t code, const QString& reply = {});
    // A disc in the drive: "status cd number of tracks" answers `tracks`.
    void insertDisc(int tracks);
    // No disc: every "cd" command but "close" and "stop" fails with `NoDiscError`.
    void removeDisc();
    static constexpr uint32_t NoDiscError = 277;
    static constexpr uint32_t NotOpenError = 263;

    std::vector<QString> log;  // every MCI command and volume call, in order
    QStringList mciCommands() const;  // the MCI commands alone
    void clearLog() { log.clear(); }
    // The logged commands that match a regular expression (case-insensitive, anywhere in the command).
    QStringList commandsMatching(const QString& pattern) const;

    std::array<uint32_t, 11> waveVolumes{};
    std::array<uint32_t, 11> auxVolumes{};
    int volumeDevices = 1;  // devices 0 .. volumeDevices-1 exist
    int beeps = 0;

    uint32_t mciSendString(const QString& command, QString& reply) override;
    bool mciGetErrorString(uint32_t error, QString& text) override;
    uint32_t waveOutGetVolume(int device, uint32_t& volume) override;
    uint32_t waveOutSetVolume(int device, uint32_t volume) override;
    uint32_t auxGetVolume(int device, uint32_t& volume) override;
    uint32_t auxSetVolume(int device, uint32_t volume) override;
    void beep() override { ++beeps; }

    // --- Drives -------------------------------------------------------------------------------------------
    QStringList cdDrives;  // names such as "E:" that are CD-ROM drives
    int getDriveType(const QString& root) override;
    QString cdDevicePath(const QString& root) override;
    void rescanDrives() override {}

    // --- Settings store -----------------------------------------------------------------------------------
    QMap<QString, QString> store;  // "Section/Key" -> text, as committed
    std::vector<std::pair<QString, QString>> saved;  // every saveSetting of the last commit, in order
    bool commitFails = false;
    int commits = 0;
    QString getSetting(const QString& section, const QString& key, const QString& fallback) override;
    void saveSetting(const QString& section, const QString& key, const QString& value) override;
    bool commitSettings(QString& error) override;
    QString loadNotice;  // handed out once by takeLoadNotice
    QString takeLoadNotice() override { return std::exchange(loadNotice, QString()); }

    // --- Shell --------------------------------------------------------------------------------------------
    int32_t shellOpenResult = 42;
    QStringList shellOpened;
    QStringList shellDirectories;
    QStringList programsRun;  // program, then its arguments joined by blanks
    int32_t shellOpen(const QString& path, const QString& directory) override;
    bool runProgram(const QString& program, const QStringList& arguments) override;

    // --- Dialogs ------------------------------------------------------------------------------------------
    struct Box {
        QString text;
        int style = 0;
        QString title;
    };
    std::vector<Box> boxes;       // every message box shown
    std::deque<int> boxAnswers;   // answers to come; when empty, OK boxes answer 1 and Yes/No boxes 7 (No)
    // Acts inside a modal form, then the form's result is returned; without one the form closes at once.
    std::function<int(QDialog&)> onModal;
    int modalForms = 0;
    int popups = 0;

    int messageBox(const QString& text, int style, const QString& title) override;
    // The file choosers answer from a queue (an empty text, or none left, is a cancel) and remember what was asked;
    // the colour chooser answers `colorChosen` when `colorAnswer` is set, else it is cancelled.
    struct FileRequest {
        QString title;
        QStringList filters;
        int filterIndex = 0;
        QString initialDir;
        bool save = false;  // the save chooser, which asks before replacing a file
    };
    std::vector<FileRequest> fileRequests;
    std::deque<QString> fileAnswers;
    bool colorAnswer = false;
    uint32_t colorChosen = 0;
    QString getOpenFileName(QWidget*, const QString& title, const QStringList& filters, int filterIndex,
                            const QString& initialDir) override;
    QString getSaveFileName(QWidget* owner, const QString& title, const QStringList& filters, int filterIndex,
                            const QString& initialDir, const QString&) override
    {
        const QString chosen = getOpenFileName(owner, title, filters, filterIndex, initialDir);
        fileRequests.back().save = true;
        return chosen;
    }
    bool chooseColor(QWidget*, uint32_t& color, std::array<uint32_t, 16>&) override
    {
        if (colorAnswer)
            color = colorChosen;
        return colorAnswer;
    }
    int showModal(QDialog& form) override;
    void showPopupMenu(QMenu&, QAction*) override { ++popups; }
    void doEvents() override {}

    // --- Notification area --------------------------------------------------------------------------------
    bool trayAvailable = true;
    bool iconShown = false;
    QString iconTip;
    std::function<void(int)> iconCallback;
    bool shellNotifyIcon(int message, const NotifyIconData& data) override;
    void setNotifyIconCallback(std::function<void(int)> callback) override { iconCallback = std::move(callback); }
    bool notifyAreaAvailable() override { return trayAvailable; }

    // --- Desktop notifications and sleep ------------------------------------------------------------------
    struct Notification {
        QString title, text;
        QStringList actions;  // the buttons' labels
        NotificationUrgency urgency = NotificationUrgency::Normal;
    };
    std::map<int, Notification> notifications;  // those on the desktop now, by number
    // The notification, sleep-delay and commit calls in order: "show 1 Wake up!", "withdraw 1", "take delay",
    // "release delay", "commit".
    QStringList events;
    std::function<void(int, const QString&)> notificationCallback;
    std::function<void(bool)> sleepCallback;
    bool sleepDelayHeld = false;
    int showNotification(const QString& title, const QString& text, const std::vector<NotificationAction>& actions,
                         NotificationUrgency urgency, int replaces) override;
    void withdrawNotification(int id) override;
    void setNotificationCallback(std::function<void(int, const QString&)> callback) override
    {
        notificationCallback = std::move(callback);
    }
    void setSleepCallback(std::function<void(bool)> callback) override { sleepCallback = std::move(callback); }
    void takeSleepDelay() override;
    void releaseSleepDelay() override;
    // The user presses the button `key` of notification `id`.
    void pressNotificationButton(int id, const QString& key);
    // The machine sleeps from the clock's time until `wakeAt`: announced before, the clock moved, announced after.
    void sleepUntil(const QDateTime& wakeAt);

    // --- System information and clock --------------------------------------------------------------------
    QString cdPlayer;  // empty: no CD player installed
    QStringList readableFiles;
    int bitsPerPixel = 24;
    QDateTime clock = QDateTime(QDate(2026, 12, 7), QTime(7, 0, 0));

    QString moduleFileName() override { return QStringLiteral("/opt/dawnbell/bin/dawnbell"); }
    QString systemFolder() override { return QStringLiteral("/usr/bin"); }
    QString windowsFolder() override { return QStringLiteral("/usr/share"); }
    QString homeFolder() override { return QStringLiteral("/home/sleeper"); }
    int platformId() override { return VER_PLATFORM_WIN32_NT; }
    QString platformName() override { return QStringLiteral("Linux"); }
    int getDeviceCaps(QWidget* window, int index) override;
    QString cdPlayerPath() override { return cdPlayer; }
    bool canOpenForReading(const QString& path) override { return readableFiles.contains(path); }
    QDateTime now() override { return clock; }

private:
    // A volume call on `levels`: logged, refused for a device that does not exist.
    uint32_t volumeCall(const char* name, std::array<uint32_t, 11>& levels, int device, uint32_t* get, uint32_t set);
    std::vector<MciRule> rules_;
    int lastNotification_ = 0;
};
