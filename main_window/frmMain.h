#pragma once
// frmMain: the one main window. It shows the current time, the alarm time, the alarm's state and the time
// left; its 75 ms clock tick fires the alarm; its timers ramp the volume, count the sleep minutes down, step
// the playlist, loop the sound file and flash the alarm picture; its menus hold the alarm-source choice.

#include "core/MainWindow.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMainWindow>

#include <functional>
#include <optional>

class Module1;
class frmPlaylist;
class QAction;
class QCheckBox;
class QDialog;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QPlainTextEdit;
class QTimer;

// Window heights, in twips: normal, and with the alarm message shown.
inline constexpr int NormalHeightTwips = 2595;
inline constexpr int MessageHeightTwips = 5700;

// Sees every key press and click of the program, and says so.
class InputWatch : public QObject {
    Q_OBJECT
public:
    InputWatch(std::function<void()> onInput, QObject* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> onInput_;
};

class frmMain : public QMainWindow, public MainWindow {
    Q_OBJECT
public:
    // Loads the window hidden and hands it to `module`.
    explicit frmMain(Module1& module);
    ~frmMain() override;

    Module1& m;

    // Labels.
    QLabel* Label2 = nullptr;        // "Current time:"
    QLabel* lblTime = nullptr;       // the current time
    QLabel* Label3 = nullptr;        // "Alarm set for:" or "Snooze until:"
    QLabel* lblAlarm = nullptr;      // the alarm time in effect: the one authority for it
    QLabel* lblOnOff = nullptr;      // "Alarm is off.", "Alarm is on." or "Wake up!": the alarm's state
    QLabel* lblTimeUntil = nullptr;  // "Time until alarm:"
    QLabel* lblTimeLeft = nullptr;   // "Alarm not on." or the countdown

    // Buttons and the message panel.
    QPushButton* cmdOnOff = nullptr;
    QPushButton* cmdSnooze = nullptr;
    QPushButton* cmdHideMessage = nullptr;
    QPlainTextEdit* txtAlarm = nullptr;  // the alarm message
    QCheckBox* chk1 = nullptr;      // takes the focus when the alarm goes off, so that no button holds it

    // Pictures.
    QLabel* imgOn = nullptr;
    QLabel* imgOff = nullptr;
    QLabel* Image1 = nullptr;  // clock
    QLabel* Image2 = nullptr;  // opens the settings
    QFrame* FrameOptions = nullptr;
    QLabel* imgCD = nullptr;
    QLabel* imgMIDI = nullptr;
    QLabel* imgWave = nullptr;
    QLabel* imgGradual = nullptr;
    QLabel* imgSleep = nullptr;
    QLabel* imgSnooze = nullptr;
    QFrame* Line1 = nullptr;
    QStatusBar* SBar = nullptr;
    QLabel* SBarText = nullptr;  // the status bar's one line: hints and the sleep status

    // Timers.
    QTimer* Timer1 = nullptr;         // 75 ms clock tick, always on
    QTimer* tmrVolume = nullptr;      // 2 s gradual volume ramp
    QTimer* tmrSleep = nullptr;       // 1 min sleep countdown
    QTimer* tmrPlayList = nullptr;    // 2 s playlist stepping
    QTimer* SoundTimer = nullptr;     // 1.4 s sound-file loop
    QTimer* tmrFlashAlarm = nullptr;  // 750 ms alarm picture flashing
    QTimer* tmrAlarmCheck = nullptr;  // 250 ms watch of the ringing alarm's sources

    // Menus.
    QMenu* mnuSettings = nullptr;
    QAction* mnuOptions = nullptr;
    QAction* mnuSaveNow = nullptr;
    QAction* mnuSaveOnExit = nullptr;
    QAction* mnuOffNow = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuCDAndSound = nullptr;
    QAction* mnuAlarm = nullptr;
    QAction* mnuCD = nullptr;
    QAction* mnuAlarmSound = nullptr;
    QAction* mnuOff = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuHowHelp = nullptr;
    QMenu* mnuWeb = nullptr;
    QAction* mnuQA = nullptr;
    QAction* mnuAddin = nullptr;
    QAction* mnuUpdate = nullptr;
    QAction* mnuBug = nullptr;
    QAction* mnuFeatures = nullptr;
    QAction* mnuMailing = nullptr;
    QAction* mnuHome = nullptr;
    QAction* mnuVersion = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* mnuPopOpen = nullptr;
    QAction* mnuPopExit = nullptr;
    QAction* mnuCancel = nullptr;

    // State of the window.
    QString TimeLeftText;    // the last countdown text
    QString SavedAlarmTime;  // the alarm time in effect when the alarm was last turned on
    // The CD playlist editor while it is loaded: the settings dialog loads it and it stays loaded after the
    // dialog's OK, until the dialog is cancelled.
    frmPlaylist* PlaylistEditor = nullptr;

    // Handlers.
    void Form_Load();
    void Form_Resize();
    bool Form_QueryUnload();  // true when the window may close (it never may: ExitProgram ends the program)
    // The desktop session is ending: with leave to ask, the close rules decide and the exit runs; without, the
    // program ends as on a signal. False when Dawnbell refuses to end (the session's logout is cancelled).
    bool Session_CommitData(bool interactionAllowed);
    bool Form_KeyPress(int KeyAscii);
    void Timer1_Timer() override;
    void cmdOnOff_Click() override;
    bool cmdOnOff_KeyDown(int KeyCode);
    bool cmdOnOff_KeyPress(int KeyAscii);
    void cmdOnOff_MouseUp();
    void cmdSnooze_Click();
    bool cmdSnooze_KeyDown(int KeyCode);
    bool cmdSnooze_KeyPress(int KeyAscii);
    void cmdHideMessage_Click();
    bool cmdHideMessage_KeyDown(int KeyCode);
    bool cmdHideMessage_KeyPress(int KeyAscii);
    void tmrVolume_Timer();
    void tmrSleep_Timer();
    void tmrPlayList_Timer();
    void SoundTimer_Timer();
    void tmrFlashAlarm_Timer();
    void tmrAlarmCheck_Timer();
    void NotifyIcon_MouseMessage(int message);
    // A button of the desktop's notification pressed: it does what the window's button does, while the alarm
    // the notification was shown for still rings.
    void Notification_Action(int id, const QString& action);
    void mnuOptions_Click();
    void Image2_Click();
    void Image2_MouseDown();
    void Image2_MouseUp();
    void mnuSaveNow_Click();
    void mnuSaveOnExit_Click();
    void mnuOffNow_Click();
    void mnuOff_Click();
    void mnuExit_Click();
    void mnuCD_Click();
    void mnuAlarm_Click();
    void mnuCDAndSound_Click();
    void mnuAlarmSound_Click();
    void mnuPopOpen_Click();
    void mnuPopExit_Click();
    void mnuAbout_Click();
    void mnuVersion_Click();
    void mnuHowHelp_Click();
    void mnuQA_Click();
    void mnuAddin_Click();
    void mnuUpdate_Click();
    void mnuBug_Click();
    void mnuFeatures_Click();
    void mnuMailing_Click();
    void mnuHome_Click();

    // Hover hints: what moving the mouse over a control writes into the status bar and makes of FrameOptions'
    // border (shown or not); nothing where the control leaves it unchanged.
    struct HoverHint {
        std::optional<QString> text;
        std::optional<bool> border;
    };
    HoverHint HintOf(QWidget* control) const;
    // The mouse moves over `control`: its hint is written, each part only when it differs.
    void Control_MouseMove(QWidget* control);

    // What Module1 asks of the window.
    QWidget* OwnerWidget() override { return this; }
    QIcon Icon() const override { return windowIcon(); }
    QString AlarmTimeText() const override;
    void SetAlarmTimeText(const QString& text) override;
    Sources AlarmSources() const override;
    void SetAlarmSources(Sources sources) override;
    bool TurnOffCdWithAlarm() const override;
    void SetTurnOffCdWithAlarm(bool on) override;
    void SetTurnOffCdAvailable(bool available) override;
    bool SaveOnExit() const override;
    void SetSaveOnExit(bool on) override;
    void SetClockText(const QString& text) override;
    void SetStateText(const QString& text) override;
    void SetCaption(const QString& text) override;
    void SetStatusText(const QString& text) override;
    QString StatusText() const;
    void PaintBackground(const QColor& background, const QColor& text) override;
    void StartTimer(Timer timer) override;
    void StopTimer(Timer timer) override;
    void StopAllTimers() override;
    double TopTwips() const override;
    double LeftTwips() const override;
    void MoveTwips(double left, double top) override;
    void Minimize() override;
    void ShowWindow() override;
    void BringToFront() override;
    void Alert() override;
    void SetBusy(bool busy) override;
    void ShowMessagePanel() override;
    void EnableSnooze() override;
    bool SnoozeEnabled() const override;
    void FocusMessage() override;
    void FocusAwayFromButtons() override;
    bool ShowInformation(const QString& text) override;
    void CloseAllWindows() override;

    // Window height in twips, measured on the outer frame.
    void SetHeightTwips(int twips);
    int HeightTwips() const;
    // The window is minimized.
    bool IsMinimized() const;
    // The window minimizes to the taskbar although ShowInNotify asks for the notification area: this desktop has
    // none.
    bool NoNotifyArea() const { return noNotifyArea_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void BuildTimers();
    void SetSourceMenusEnabled(bool enabled);
    // The close rules: a sounding alarm refuses, an armed one asks. True when the exit may go ahead.
    bool ExitAllowed();
    void SetText(QLabel* label, const QString& text);
    void SetShown(QWidget* widget, bool shown);
    QTimer* TimerOf(Timer timer) const;
    void ModifyNotifyTip(const QString& tip);
    // True when the alarm's time of day lies after `previous` and at or before `now`, the two ticks being at
    // most a minute apart.
    static bool AlarmTimePassedSince(const QDateTime& previous, const QDateTime& now, const QString& alarm);
    void Tick();
    void ScheduleNextTick(const QDateTime& now);
    void NoteActivity();
    // The notification area, as the tick keeps it: a window minimized there hides behind its icon.
    void KeepNotifyIcon();
    // Help menu: the about and version boxes with the alarm turned off around them, a web page, the result of a
    // document or a web page handed to the shell.
    void ShowBoxAlarmOff(QDialog& box);
    void OpenWebPage(const QString& path);
    void ReportDocumentResult(int32_t result);
    void ReportWebResult(int32_t result);
    // The hover hints and the keyboard's way to the controls.
    QList<QWidget*> HoverControls() const;
    void HoverAt(QWidget* watched, const QPoint& position);
    void SetFrameBorder(bool shown);
    void SetMessagePanelReachable(bool reachable);
    // The lowest pixel (in the client area) that a control needs at the present height.
    int ContentBottom() const;
    int MessageTop() const;
    static constexpr int MessageMinimumHeight = 80;

    InputWatch* inputWatch_ = nullptr;
    QElapsedTimer lastActivity_;  // since the last key press, click or window change

    int heightTwips_ = NormalHeightTwips;
    QDateTime lastTick_;    // when the clock ticked last
    QString clockText_;     // the time text of lastTick_
    QString countdownAlarm_;  // the alarm time TimeLeftText was counted to
    int swallowedKey_ = 0;  // a key whose press was used: its release is not passed on
    bool notifyAreaAsked_ = false;  // this minimize has asked the desktop for its notification area
    bool noNotifyArea_ = false;  // and found none
    bool noNotifyAreaSaid_ = false;  // the user has been told why the window stays on the taskbar
};
