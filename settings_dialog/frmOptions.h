#pragma once
// frmOptions: the settings dialog, seven pages behind one tab strip. Some choices take effect the moment they
// are made (the alarm's sources and files, gradual wake-up, sleep on or off, the two main-window menu states);
// the rest are written by OK. Cancel puts back only the alarm CD's drive and start track, which the hidden
// playlist editor may have changed. The dialog also sounds a test alarm with the current settings.

#include <QDialog>

#include <array>
#include <cstdint>

class Module1;
class frmMain;
class frmPlaylist;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabBar;
class QTimer;

class frmOptions : public QDialog {
    Q_OBJECT
public:
    // Loads the dialog: its Form_Load runs (and loads the playlist editor hidden when it is not loaded).
    frmOptions(Module1& module, frmMain& main);
    ~frmOptions() override;

    Module1& m;
    frmMain& mainForm;

    // Values of the open dialog.
    QString CDDriveAtOpen;           // put back by Cancel
    int16_t CDStartTrackAtOpen = 1;  // put back by Cancel
    int16_t CurrentTab = 1;          // the page shown, 1 to 7
    bool VolumePreviewed = false;    // the volume slider has set the wave volume for a preview
    int16_t SettingSlider = 0;       // 1 while the load step sets the volume slider

    // The tab strip and its pages (element 0 is never shown); OK and Cancel below them.
    QTabBar* TabStrip1 = nullptr;
    std::array<QFrame*, 8> frmTab{};
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Page 1: the alarm time and Speed Set.
    QLabel* Label2 = nullptr;
    QComboBox* cmbHour = nullptr;
    QLabel* lblColon1 = nullptr;
    QComboBox* cmbMinute = nullptr;
    QLabel* lblColon2 = nullptr;
    QComboBox* cmbSecond = nullptr;
    QComboBox* cmbAMPM = nullptr;
    QPushButton* cmdHourUp = nullptr;
    QPushButton* cmdMinuteUp = nullptr;
    QPushButton* cmdSecondUp = nullptr;
    QPushButton* cmdAMPMToggle = nullptr;
    QLabel* Label1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* cmdPreset1 = nullptr;
    QPushButton* cmdPreset2 = nullptr;
    QPushButton* cmdPreset3 = nullptr;
    QLabel* lblPreset1 = nullptr;
    QLabel* lblPreset2 = nullptr;
    QLabel* lblPreset3 = nullptr;
    QPushButton* cmdEditPresets = nullptr;
    QPushButton* cmdTimer = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* cmbMin = nullptr;
    QLabel* Label7 = nullptr;

    // Page 2: snooze.
    QCheckBox* chkAllowSnooze = nullptr;
    QGroupBox* fmSnooze = nullptr;
    QLabel* lblMin = nullptr;
    QComboBox* cmbSnoozeTime = nullptr;
    QCheckBox* chkAllowMultiple = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label8 = nullptr;

    // Page 3: minimizing.
    QGroupBox* Frame2 = nullptr;
    QRadioButton* optTaskbar = nullptr;
    QRadioButton* optNotify = nullptr;
    QLabel* lblNoNotifyArea = nullptr;  // shown when the desktop has no notification area
    QCheckBox* chkShowTimeRemaining = nullptr;
    QLabel* imgTaskbar = nullptr;
    QLabel* imgNotify = nullptr;
    QLabel* imgTime = nullptr;
    QLabel* imgNoTime = nullptr;
    QLabel* Label6 = nullptr;

    // Page 4: the alarm's sources.
    QGroupBox* Frame3 = nullptr;
    QRadioButton* optCDSound = nullptr;
    QRadioButton* optCD = nullptr;
    QRadioButton* optSound = nullptr;
    QRadioButton* optMIDI = nullptr;
    QRadioButton* optMIDISound = nullptr;
    QLabel* imgCD = nullptr;
    QLabel* imgSound = nullptr;
    QLabel* imgMIDI = nullptr;
    QGroupBox* Frame6 = nullptr;
    QLabel* Label20 = nullptr;
    QLabel* lblCDInfo = nullptr;
    QPushButton* cmdEditPlaylist = nullptr;
    QLabel* lblAlarm = nullptr;  // "Alarm sound:"
    QLabel* lblSound = nullptr;
    QPushButton* cmdChangeSound = nullptr;
    QCheckBox* chkLoop = nullptr;
    QLabel* lblMID = nullptr;
    QLabel* lblMIDI = nullptr;
    QPushButton* cmdChangeMIDI = nullptr;
    QLabel* imgCDsml = nullptr;
    QLabel* imgSoundsml = nullptr;
    QLabel* imgMIDIsml = nullptr;

    // Page 5: the test alarm and gradual wake-up.
    QGroupBox* Frame4 = nullptr;
    QPushButton* cmdTest = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* imgL = nullptr;
    QLabel* imgR = nullptr;
    QCheckBox* chkGradual = nullptr;
    QGroupBox* Frame5 = nullptr;
    QLabel* Label13 = nullptr;
    QComboBox* cmbGradMinutes = nullptr;
    QLabel* Label16 = nullptr;
    QPushButton* cmdInfo = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label10 = nullptr;
    QSlider* SliderVol = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label9 = nullptr;

    // Page 6: sleep.
    QCheckBox* chkSleepEnable = nullptr;
    QLabel* Label18 = nullptr;
    QSlider* sldMin = nullptr;
    QLabel* lblLength = nullptr;
    QLabel* Label19 = nullptr;
    QGroupBox* Frame8 = nullptr;
    QLabel* Label23 = nullptr;
    QComboBox* cmbSleepDrive = nullptr;
    QPushButton* cmdSleepRescan = nullptr;
    QLabel* Label21 = nullptr;
    QLabel* lblSleepTrack = nullptr;
    QLabel* Label22 = nullptr;
    QComboBox* cmbSleepTrack = nullptr;
    QLabel* Label17 = nullptr;

    // Page 7: other settings.
    QLabel* Label14 = nullptr;
    QLabel* Label24 = nullptr;
    QLabel* Color = nullptr;  // shows the background colour
    QPushButton* cmdChangeColor = nullptr;
    QPushButton* cmdResetColor = nullptr;
    QCheckBox* chkShowMessage = nullptr;
    QPushButton* cmdEditMessage = nullptr;
    QCheckBox* chkSaveOnExit = nullptr;
    QCheckBox* chkTurnOffWithAlarm = nullptr;
    QGroupBox* Frame7 = nullptr;
    QCheckBox* chkStartOn = nullptr;
    QCheckBox* chkStartMini = nullptr;
    QCheckBox* chkStartAtLogin = nullptr;  // the desktop's autostart entry
    QLabel* Label15 = nullptr;

    // Decorative pictures.
    std::array<QLabel*, 11> Image{};  // Image[1] to Image[10]; Image[5] goes with gradual wake-up, Image[7] with sleep

    QTimer* tmrTrack = nullptr;  // 500 ms: keeps CDStartTrack in step with the playlist editor's track field
    QTimer* tmrBlink = nullptr;  // 750 ms: blinks the speakers while the test alarm sounds

    // The playlist editor, loaded hidden with the dialog.
    frmPlaylist& Playlist();

    // Handlers.
    void Form_Load();
    void TabStrip1_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void tmrTrack_Timer();
    void tmrBlink_Timer();

    void cmbHour_LostFocus();
    void cmbMinute_LostFocus();
    void cmbSecond_LostFocus();
    void cmbAMPM_LostFocus();
    void cmdHourUp_Click();
    void cmdHourUp_MouseUp(Qt::MouseButton button);
    void cmdMinuteUp_Click();
    void cmdMinuteUp_MouseUp(Qt::MouseButton button);
    void cmdSecondUp_Click();
    void cmdSecondUp_MouseUp(Qt::MouseButton button);
    void cmdAMPMToggle_Click();
    void cmdAMPMToggle_MouseUp(Qt::MouseButton button);

    void cmdPreset1_Click();
    void cmdPreset2_Click();
    void cmdPreset3_Click();
    void cmdEditPresets_Click();
    // The preset labels ("6:05:00 AM - Weekdays", or "No preset defined") and the preset buttons, enabled
    // exactly for the presets that are defined.
    void ShowPresets();
    void cmdTimer_Click();

    void chkAllowSnooze_Click();
    void optTaskbar_Click();
    void optNotify_Click();
    void chkShowTimeRemaining_Click();

    void optCD_Click();
    void optCDSound_Click();
    void optSound_Click();
    void optMIDI_Click();
    void optMIDISound_Click();
    // Shows, enables and disables the source rows for the selected alarm type and fits the sound file's path.
    void UpdateAlarmTypeControls();
    void cmdChangeSound_Click();
    void cmdChangeMIDI_Click();
    void chkLoop_Click();
    void cmdEditPlaylist_Click();

    void cmdTest_Click();
    void chkGradual_Click();
    void cmdInfo_Click();
    void cmbGradMinutes_Click();
    void cmbGradMinutes_LostFocus();
    void SliderVol_GotFocus();
    void SliderVol_Change();
    void SliderVol_LostFocus();

    void chkSleepEnable_Click();
    void sldMin_Change();
    // Reads the drive table anew, then the disc in the chosen sleep drive.
    void cmdSleepRescan_Click();
    void cmbSleepDrive_Click();

    void cmdChangeColor_Click();
    void cmdResetColor_Click();
    void chkShowMessage_Click();
    void cmdEditMessage_Click();
    void chkSaveOnExit_Click();
    void chkTurnOffWithAlarm_Click();

    // Esc and the window's close button cancel, while Cancel can be used.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPages();
    void BuildTimePage();
    void BuildSnoozePage();
    void BuildMinimizePage();
    void BuildAlarmPage();
    void BuildVolumePage();
    void BuildSleepPage();
    void BuildOtherPage();
    void Connect();
    QFrame* NewPage(int index);

    void SetTimeFields(const QString& timeText);
    void ApplyPreset(const QString& preset);
    // The sound file's whole path in lblSound, "None" when there is none; its tool tip holds the path.
    void ShowSoundPath();
    // The MIDI file's path in lblMIDI, fitted as after a file choice; its tool tip holds the path.
    void ShowMidiPath();
    // The option button of the alarm type in force (the main window's source menus and MidiAlarm).
    void SelectAlarmTypeOption();
    void SetGradualControlsEnabled(bool enabled);
    void SetSleepControlsEnabled(bool enabled);
    void ShowMinimizeChoice();
    void ShowTimeRemainingPicture();
    // The disc in the drive cmbSleepDrive shows: its track count and the start-track list.
    void RescanSleepDisc();
    // Ends the test alarm: the controls come back, the ramp stops and the volumes are restored; with
    // `stopSources` the sources are stopped too.
    void EndTest(bool stopSources);
    void RestorePreviewedVolume();
    // Writes or removes the autostart entry as chkStartAtLogin asks; a failure is reported.
    void CommitStartAtLogin();

    bool startAtLoginAtOpen_ = false;
    bool waveSavedForPreview_ = false;
};
