#include "editors/frmPlaylist.h"

#include "core/Module1.h"
#include "core/TextRules.h"
#include "editors/FormParts.h"
#include "settings_dialog/frmOptions.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QString NoCD = QStringLiteral("No CD.");
}

frmPlaylist::frmPlaylist(Module1& module, QWidget* parent) : QDialog(parent), m(module)
{
    setObjectName(QStringLiteral("frmPlaylist"));
    setWindowTitle(QStringLiteral("Edit CD playlist"));

    Label1 = Named(new QLabel(QStringLiteral("Choose one of the following modes of operation:"), this), "Label1");
    optNoPlayList = Named(
        new QRadioButton(QStringLiteral("Play the CD starting on a track and continuing until the end of the CD"), this),
        "optNoPlayList");
    optPlayList = Named(new QRadioButton(QStringLiteral("Play the CD according to a custom playlist"), this),
                        "optPlayList");
    // Playlist mode waits for the track lists it edits.
    optPlayList->setEnabled(false);

    imgCDsml = PictureLabel(this, "imgCDsml", QIcon(QStringLiteral(":/icons/cd.svg")), 24);
    lblCD3 = Named(new QLabel(QStringLiteral("Use CD-ROM Drive:"), this), "lblCD3");
    cmbDrive = Named(new QComboBox(this), "cmbDrive");
    cmbDrive->setToolTip(QStringLiteral("All CD-ROM drives on your system"));
    cmbDrive->setAccessibleName(cmbDrive->toolTip());
    lblCD3->setBuddy(cmbDrive);
    cmdRescan = Named(new QPushButton(QStringLiteral("Rescan &Drive"), this), "cmdRescan");
    cmdRescan->setToolTip(QStringLiteral("Rescan the drive to determine the number of tracks"));
    lblCD1 = Named(new QLabel(QStringLiteral("Start CD on track:"), this), "lblCD1");
    cmbTrack = Named(new QComboBox(this), "cmbTrack");
    cmbTrack->setEditable(true);
    cmbTrack->setInsertPolicy(QComboBox::NoInsert);
    cmbTrack->setCompleter(nullptr);  // a typed "1" stays 1, not the list's "10"
    cmbTrack->setToolTip(QStringLiteral("The alarm will start the CD on this track"));
    cmbTrack->setAccessibleName(cmbTrack->toolTip());
    for (int track = 1; track <= 25; ++track)
        cmbTrack->addItem(QString::number(track));
    cmbTrack->setEditText(QStringLiteral("1"));
    lblCD1->setBuddy(cmbTrack);
    lblCD2 = Named(new QLabel(QStringLiteral("Tracks on current CD:"), this), "lblCD2");
    lblTracks = Named(new QLabel(this), "lblTracks");
    framePly = Named(new QFrame(this), "framePly");
    framePly->setFrameShape(QFrame::StyledPanel);
    framePly->hide();  // shown once it holds the playlist's controls
    cmdOK = Named(new QPushButton(QStringLiteral("&OK"), this), "cmdOK");
    cmdOK->setDefault(true);

    auto* cd = new QGridLayout;
    cd->addWidget(imgCDsml, 0, 0, 3, 1, Qt::AlignTop);
    cd->addWidget(lblCD3, 0, 1);
    cd->addWidget(cmbDrive, 0, 2);
    cd->addWidget(cmdRescan, 0, 3);
    cd->addWidget(lblCD1, 1, 1);
    cd->addWidget(cmbTrack, 1, 2);
    cd->addWidget(lblCD2, 2, 1);
    cd->addWidget(lblTracks, 2, 2);
    cd->setColumnStretch(4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(optNoPlayList);
    layout->addWidget(optPlayList);
    layout->addLayout(cd);
    layout->addWidget(framePly, 1);
    layout->addLayout(buttons);

    connect(cmdRescan, &QPushButton::clicked, this, [this] { cmdRescan_Click(); });
    connect(cmbDrive, &QComboBox::activated, this, [this] { cmbDrive_Click(); });
    connect(optNoPlayList, &QRadioButton::clicked, this, [this] { optNoPlayList_Click(); });
    connect(optPlayList, &QRadioButton::clicked, this, [this] { optPlayList_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    Form_Load();
}

void frmPlaylist::Form_Load()
{
    optNoPlayList->setChecked(m.UsePlaylist != 1);
    optPlayList->setChecked(m.UsePlaylist == 1);
    ApplyMode(m.UsePlaylist == 1);
    FillDrives();
    Rescan();
}

void frmPlaylist::FillDrives()
{
    // The alarm drive stays chosen while it is listed; otherwise the first drive is, and the alarm CD moves
    // there, so that the disc shown is the one that will play.
    FillDriveList(cmbDrive, m.CdDriveNames(), m.AppSettings.CDDrive);
    if (cmbDrive->count() > 0)
        m.AppSettings.CDDrive = cmbDrive->currentText();
}

void frmPlaylist::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void frmPlaylist::Form_Activate() { cmdOK->setFocus(); }

void frmPlaylist::cmdRescan_Click()
{
    m.platform.rescanDrives();
    FillDrives();
    Rescan();
}

void frmPlaylist::cmbDrive_Click()
{
    m.AppSettings.CDDrive = cmbDrive->currentText();
    Rescan();
}

void frmPlaylist::Rescan()
{
    const int16_t startTrack = m.AppSettings.CDStartTrack;
    cmbTrack->setEditText(QString::number(startTrack));
    const int tracks = m.ProbeCdTrackCount(m.AppSettings.CDDrive);
    lblTracks->setText(tracks < 1 ? NoCD : QString::number(tracks));
    cmbTrack->clear();
    for (int track = 1; track <= (tracks < 1 ? 25 : tracks); ++track)
        cmbTrack->addItem(QString::number(track));
    if (tracks < 1)
        cmbTrack->setEditText(QStringLiteral("1"));
    else
        cmbTrack->setEditText(startTrack > tracks ? QStringLiteral("1") : QString::number(startTrack));
}

void frmPlaylist::ApplyMode(bool playlist)
{
    optPlayList->setChecked(playlist);
    optNoPlayList->setChecked(!playlist);
    for (QWidget* control : {static_cast<QWidget*>(lblCD1), static_cast<QWidget*>(cmbTrack),
                             static_cast<QWidget*>(lblTracks)})
        control->setEnabled(!playlist);
    framePly->setEnabled(playlist);
}

void frmPlaylist::optNoPlayList_Click()
{
    ApplyMode(false);
    cmdOK->setFocus();
}

void frmPlaylist::optPlayList_Click()
{
    ApplyMode(true);
    cmdOK->setFocus();
}

void frmPlaylist::cmdOK_Click()
{
    // Start-track mode keeps a committed playlist for when playlist mode is chosen again.
    if (!optPlayList->isChecked())
        m.UsePlaylist = 0;
    if (Options) {
        Options->tmrTrack_Timer();  // the start track just typed counts, not the one of the last poll
        Options->lblCDInfo->setText(CdInfoText(m.UsePlaylist, m.AppSettings.CDStartTrack));
    }
    accept();
}

void frmPlaylist::reject() { cmdOK_Click(); }
