#pragma once
// The services Dawnbell asks of the operating system, each as a small interface with its contract.
// The rest of the program reaches the machine only through these; `LinuxPlatform` stands behind them
// in the product, `FakePlatform` in the tests.

#include <QDateTime>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class QDialog;
class QMenu;
class QAction;
class QWidget;

// Result codes of the volume calls.
inline constexpr uint32_t MMSYSERR_NOERROR = 0;
inline constexpr uint32_t MMSYSERR_BADDEVICEID = 2;

// A file name or path as one word of an MCI command string, whatever it holds: in double quotes, each double
// quote in it written twice ("open " + QuoteMciName(path) + " alias Sound").
inline QString QuoteMciName(const QString& path)
{
    QString quoted = path;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The media engine: MCI command strings and the mixer's volumes.
class Multimedia {
public:
    virtual ~Multimedia() = default;
    // Carries out one MCI command string ("open D: type cdaudio alias cd", "play Sound", ...). Returns 0 on
    // success, else an error code for mciGetErrorString. `reply` receives the answer (at most 255 characters);
    // it is empty on failure and for commands that answer nothing.
    virtual uint32_t mciSendString(const QString& command, QString& reply) = 0;
    // The text of an error code from mciSendString; false (and an empty text) for a code it does not know.
    virtual bool mciGetErrorString(uint32_t error, QString& text) = 0;
    // Volumes: low 16 bits left channel, high 16 bits right, each 0 (silent) to 65535 (full), linear.
    // Wave-output device 0 scales sound files, MIDI and the beep; auxiliary device 0 scales CD audio.
    // Devices 1 to 10 (and any other number) answer MMSYSERR_BADDEVICEID and change nothing.
    virtual uint32_t waveOutGetVolume(int device, uint32_t& volume) = 0;
    virtual uint32_t waveOutSetVolume(int device, uint32_t volume) = 0;
    virtual uint32_t auxGetVolume(int device, uint32_t& volume) = 0;
    virtual uint32_t auxSetVolume(int device, uint32_t volume) = 0;
    // A short tone at the wave-output volume; returns at once, tones of repeated calls follow each other.
    virtual void beep() = 0;
};

// Drive letters. CD-ROM drives, disc images and album folders are "D:", "E:", ..., each keeping its letter (see
// cd_drives.h).
inline constexpr int DRIVE_NO_ROOT_DIR = 1;
inline constexpr int DRIVE_CDROM = 5;
class Drives {
public:
    virtual ~Drives() = default;
    // The type of the drive named by a root such as "D:": DRIVE_CDROM for a CD-ROM drive, DRIVE_NO_ROOT_DIR for
    // every name that is not one.
    virtual int getDriveType(const QString& root) = 0;
    // What stands behind a CD drive name: the device ("/dev/sr0"), the disc image's .cue file or the album folder;
    // empty when the name is no CD drive.
    virtual QString cdDevicePath(const QString& root) = 0;
    // Looks at the CD-ROM drives and disc images anew (they come and go). Both questions above answer from the
    // last scan, without touching a drive; the platform scans once at start-up and then only when asked here.
    // Returns when the scan is done, or after at most 2 seconds when a drive does not answer (the questions then
    // get its result once it arrives). A drive keeps its letter across rescans and runs.
    virtual void rescanDrives() = 0;
};

// The per-user settings store of application "Dawnbell": sections of keys, every value a text.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text of section/key, or `fallback` when the key is missing or the store cannot be read.
    virtual QString getSetting(const QString& section, const QString& key, const QString& fallback) = 0;
    // Stages a value; nothing reaches the disk before commitSettings.
    virtual void saveSetting(const QString& section, const QString& key, const QString& value) = 0;
    // Writes every staged value at once, atomically: afterwards the store holds either all of them or the state
    // before. Returns false with a reason in `error` when it could not be written.
    virtual bool commitSettings(QString& error) = 0;
    // What went wrong when the store was read at start-up, in full sentences for the user (a file that could not
    // be parsed, and the name it is kept under before the first commit replaces it; a file that cannot be read
    // at all). Returns the text once; later calls, and a store read without trouble, give an empty text.
    virtual QString takeLoadNotice() = 0;
};

// The desktop shell.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file or web address with the desktop's associated program ("Open"), `directory` as working folder.
    // Returns the old shell codes: above 32 success; 0 out of resources; 2 file not found; 3 path not found;
    // 31 no program associated with the file type.
    virtual int32_t shellOpen(const QString& path, const QString& directory) = 0;
    // Starts a program (its path, then its arguments), minimized and without taking the focus where the desktop
    // allows it. False when it could not be started.
    virtual bool runProgram(const QString& program, const QStringList& arguments) = 0;
};

// Modal display: message boxes, choosers and forms. Everything here blocks the calling handler while window
// messages (and so the timers) go on.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Message box built from a style number: buttons 0 OK, 4 Yes/No; icon 16 stop, 32 question,
    // 48 exclamation, 64 information. Returns 1 for OK, 6 for Yes, 7 for No.
    virtual int messageBox(const QString& text, int style, const QString& title) = 0;
    // Open-file chooser. `filters` holds description and pattern in turn ("Sounds (*.wav)", "*.wav", ...);
    // `filterIndex` counts from 1. Returns the chosen path, or an empty text when the user cancelled.
    virtual QString getOpenFileName(QWidget* owner, const QString& title, const QStringList& filters,
                                    int filterIndex, const QString& initialDir) = 0;
    // Save-file chooser with the same conventions; `defaultExtension` (without the dot) is added to a name
    // that has none.
    virtual QString getSaveFileName(QWidget* owner, const QString& title, const QStringList& filters,
                                    int filterIndex, const QString& initialDir,
                                    const QString& defaultExtension) = 0;
    // Colour chooser starting at `color` (0x00BBGGRR) with sixteen custom colours that it may change.
    // Returns false when the user cancelled; `color` is then unchanged.
    virtual bool chooseColor(QWidget* owner, uint32_t& color, std::array<uint32_t, 16>& customColors) = 0;
    // Shows a form modally and returns when it has been hidden or closed; the result is QDialog's.
    virtual int showModal(QDialog& form) = 0;
    // Shows a popup menu at the mouse position with `defaultItem` in bold; returns when it closes.
    virtual void showPopupMenu(QMenu& menu, QAction* defaultItem) = 0;
    // Lets the window messages that are waiting run once.
    virtual void doEvents() = 0;
};

// The notification-area icon record, as the main window fills it.
struct NotifyIconData {
    uint32_t cbSize = 88;
    QWidget* hWnd = nullptr;
    uint32_t uID = 1;
    uint32_t uFlags = 7;              // message, icon and tip are valid
    uint32_t uCallbackMessage = 512;  // mouse messages arrive as this message
    QIcon hIcon;
    QString szTip;                    // at most 63 characters are shown
};

inline constexpr int NIM_ADD = 0;
inline constexpr int NIM_MODIFY = 1;
inline constexpr int NIM_DELETE = 2;
inline constexpr int WM_LBUTTONDBLCLK = 0x203;
inline constexpr int WM_RBUTTONUP = 0x205;

class NotifyArea {
public:
    virtual ~NotifyArea() = default;
    // Adds (NIM_ADD), changes (NIM_MODIFY) or removes (NIM_DELETE) the one icon of the program. Returns false
    // when the operation fails: adding an icon that is there, changing or removing one that is not, or no
    // notification area on this desktop.
    virtual bool shellNotifyIcon(int message, const NotifyIconData& data) = 0;
    // Where the icon's mouse messages go: WM_LBUTTONDBLCLK for the click that restores the window (a double
    // click, or the activation of a StatusNotifier tray, which knows no double click), WM_RBUTTONUP for the
    // context click.
    virtual void setNotifyIconCallback(std::function<void(int mouseMessage)> callback) = 0;
    // True when this desktop has a notification area to put the icon in (GNOME without an extension has none).
    virtual bool notifyAreaAvailable() = 0;
};

// Desktop notifications: messages the desktop shows in its own place (a bubble, its list of notifications, the
// lock screen), with buttons that act in the program, for a user who cannot see the window.
enum class NotificationUrgency { Low, Normal, Critical };
struct NotificationAction {
    QString key;    // what the callback is given when the user presses it
    QString label;  // the button's text
};
class DesktopNotifications {
public:
    virtual ~DesktopNotifications() = default;
    // Shows a notification that stays until it is withdrawn or the user closes it, and returns the program's own
    // number for it (above 0). With `replaces` the number of one shown before, this one takes its place and keeps
    // its number; with 0 it is a new one. Returns at once: the desktop is told in its own time, and without a
    // notification server nothing is shown and nothing is reported.
    virtual int showNotification(const QString& title, const QString& text,
                                 const std::vector<NotificationAction>& actions, NotificationUrgency urgency,
                                 int replaces) = 0;
    // Takes notification `id` away; nothing when it is gone already. Returns at once.
    virtual void withdrawNotification(int id) = 0;
    // Where the press of an action goes, on the interface thread: the notification's number and the action's key.
    virtual void setNotificationCallback(std::function<void(int id, const QString& actionKey)> callback) = 0;
};

// The machine's sleep (suspend, hibernate), as the system's login manager announces it.
class PowerEvents {
public:
    virtual ~PowerEvents() = default;
    // Where the announcements go, on the interface thread: true just before the machine sleeps, false once it is
    // awake again. Without a login manager none come.
    virtual void setSleepCallback(std::function<void(bool goingToSleep)> callback) = 0;
    // Asks the login manager to hold sleep back after its announcement until releaseSleepDelay (or its own limit,
    // a few seconds), so that the work before sleep gets done. Taking it while it is held, or being taken, does
    // nothing. Returns at once; without a login manager nothing happens.
    virtual void takeSleepDelay() = 0;
    // Lets sleep go ahead: the delay is given back, and one still being taken is given back as it arrives.
    // Nothing when none is held.
    virtual void releaseSleepDelay() = 0;
};

// Facts about the machine.
inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;
inline constexpr int VER_PLATFORM_WIN32_NT = 2;
class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // Full path of the running program.
    virtual QString moduleFileName() = 0;
    // Folders that stand for the old system and Windows folders, without a trailing separator.
    virtual QString systemFolder() = 0;
    virtual QString windowsFolder() = 0;
    // The user's home folder, the working folder for shell requests.
    virtual QString homeFolder() = 0;
    // Platform identifier: VER_PLATFORM_WIN32_NT on this platform.
    virtual int platformId() = 0;
    // The platform's own name, used where a text names the operating system ("Linux").
    virtual QString platformName() = 0;
    // Display capabilities: BITSPIXEL (bits per pixel) and PLANES (colour planes) of the screen of `window`.
    virtual int getDeviceCaps(QWidget* window, int index) = 0;
    // The desktop's program for audio CDs (its executable's full path), or empty when none is installed.
    virtual QString cdPlayerPath() = 0;
    // True when the file at `path` exists and can be opened for reading.
    virtual bool canOpenForReading(const QString& path) = 0;
    // The present date and time of day.
    virtual QDateTime now() = 0;
};

// Everything above, as one object that the composition root builds.
class Platform : public Multimedia,
                 public Drives,
                 public SettingsStore,
                 public Shell,
                 public Dialogs,
                 public NotifyArea,
                 public DesktopNotifications,
                 public PowerEvents,
                 public SystemInfo {};
