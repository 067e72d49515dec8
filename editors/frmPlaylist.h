#pragma once
// frmPlaylist: the CD playlist editor. It chooses the alarm CD's drive and how the disc plays: from a start
// track to the end, or track by track through a playlist the user builds from the disc's tracks (any order, a
// track as often as wanted), saves to a file and opens again. The settings dialog loads it hidden, reads its
// drive and start-track fields while it is open, and shows it from the alarm page; its OK commits the mode and
// the playlist and hides it, and it stays loaded until the settings dialog is cancelled.

#include <QDialog>

class Module1;
class frmOptions;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

class frmPlaylist : public QDialog {
    Q_OBJECT
public:
    // Loads the editor hidden: its Form_Load runs.
    frmPlaylist(Module1& module, QWidget* parent);

    Module1& m;
    // The settings dialog that shows the editor; its CD information label shows what OK commits.
    frmOptions* Options = nullptr;

    QLabel* Label1 = nullptr;               // "Choose one of the following modes of operation:"
    QRadioButton* optNoPlayList = nullptr;  // start-track mode
    QRadioButton* optPlayList = nullptr;    // playlist mode
    QLabel* lblCD3 = nullptr;               // "Use CD-ROM Drive:"
    QComboBox* cmbDrive = nullptr;          // the CD-ROM drives
    QPushButton* cmdRescan = nullptr;
    QLabel* lblCD1 = nullptr;               // "Start CD on track:"
    QComboBox* cmbTrack = nullptr;          // the start track
    QLabel* lblCD2 = nullptr;               // "Tracks on current CD:"
    QLabel* lblTracks = nullptr;            // the track count, or "No CD."
    QFrame* framePly = nullptr;             // holds the playlist's controls
    QLabel* Label2 = nullptr;               // "Available tracks"
    QListWidget* lstAvailable = nullptr;    // the disc's tracks, "Track 1" to "Track n"
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdReset = nullptr;
    QLabel* Label3 = nullptr;               // "Selected tracks"
    QListWidget* lstSelected = nullptr;     // the playlist being edited, in play order
    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdSave = nullptr;
    QLabel* imgCDsml = nullptr;
    QPushButton* cmdOK = nullptr;

    void Form_Load();
    void Form_Activate();
    // The rescan button: reads the drive table anew, then the disc.
    void cmdRescan_Click();
    void cmbDrive_Click();
    void optNoPlayList_Click();
    void optPlayList_Click();
    void cmdAdd_Click();
    void lstAvailable_DblClick();
    void cmdRemove_Click();
    void lstSelected_DblClick();
    void cmdClear_Click();
    void cmdReset_Click();
    void cmdOK_Click();
    // The playlist files: saved through the save chooser (which asks before replacing a file) in one atomic
    // step; opened by reading the file once, checking every line, and loading what fits the disc.
    void cmdOpen_Click();
    void cmdSave_Click();
    // The disc in CDDrive: its track count, the start-track list and the available tracks (the last step of
    // loading, of choosing a drive and of the rescan button).
    void Rescan();

    // Esc and the window's close button commit like OK.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The controls of playlist mode enabled, those of start-track mode disabled, or the reverse; the file
    // buttons only when `fileButtons` says so (loading leaves them enabled).
    void ApplyMode(bool playlist, bool fileButtons);
    void FillDrives();
    void AddSelectedTracks();
    void RemoveSelectedTracks();
    // Appends every item of lstAvailable to lstSelected, up to the most a playlist holds.
    void AppendAllAvailable();
    // The path the chooser returned, as the editor uses it: blanks around it and NUL characters removed.
    QString ChosenPath(const QString& chosen) const;
};
