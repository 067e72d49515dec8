#include "editors/frmPlaylist.h"

#include "core/Module1.h"
#include "core/PlaylistRules.h"
#include "core/TextRules.h"
#include "editors/FormParts.h"
#include "editors/PlaylistFile.h"
#include "platform/atomic_file.h"
#include "settings_dialog/frmOptions.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

const QString NoCD = QStringLiteral("No CD.");
const QString AppTitle = QStringLiteral("Dawnbell");
const QString LoadErrorTitle = QStringLiteral("Error loading playlist");
constexpr int NoDiscTracks = 25;  // what the lists offer when the drive holds no disc
constexpr int Exclamation = 48;
constexpr int Information = 64;

QStringList PlaylistFilters()
{
    return {QStringLiteral("Dawnbell Playlists (*.dbp)"), QStringLiteral("*.dbp"), QStringLiteral("All files (*)"),
            QStringLiteral("*")};
}

QListWidget* TrackList(QWidget* parent, const char* name, const QString& accessibleName)
{
    auto* list = Named(new QListWidget(parent), name);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setAccessibleName(accessibleName);
    list->setUniformItemSizes(true);  // long playlists lay out at once
    return list;
}

}  // namespace

frmPlaylist::frmPlaylist(Module1& module, QWidget* parent) : QDialog(parent), m(module)
{
    setObjectName(QStringLiteral("frmPlaylist"));
    setWindowTitle(QStringLiteral("Edit CD playlist"));

    Label1 = Text(this, "Label1", QStringLiteral("Choose one of the following modes of operation:"));
    optNoPlayList = Named(
        new QRadioButton(QStringLiteral("Play the CD starting on a track and continuing until the end of the CD"), this),
        "optNoPlayList");
    optPlayList = Named(new QRadioButton(QStringLiteral("Play the CD according to a custom playlist"), this),
                        "optPlayList");

    imgCDsml = PictureLabel(this, "imgCDsml", QIcon(QStringLiteral(":/icons/cd.svg")), 24);
    lblCD3 = Text(this, "lblCD3", QStringLiteral("Use CD-ROM Drive:"));
    cmbDrive = Named(new QComboBox(this), "cmbDrive");
    cmbDrive->setToolTip(QStringLiteral("All CD-ROM drives on your system"));
    cmbDrive->setAccessibleName(cmbDrive->toolTip());
    lblCD3->setBuddy(cmbDrive);
    cmdRescan = Button(this, "cmdRescan", QStringLiteral("Rescan &Drive"),
                       QStringLiteral("Rescan the drive to determine the number of tracks"));
    lblCD1 = Text(this, "lblCD1", QStringLiteral("Start CD on track:"));
    cmbTrack = Named(new QComboBox(this), "cmbTrack");
    cmbTrack->setEditable(true);
    cmbTrack->setInsertPolicy(QComboBox::NoInsert);
    cmbTrack->setCompleter(nullptr);  // a typed "1" stays 1, not the list's "10"
    cmbTrack->setToolTip(QStringLiteral("The alarm will start the CD on this track"));
    cmbTrack->setAccessibleName(cmbTrack->toolTip());
    cmbTrack->addItems(Numbers(1, NoDiscTracks));
    cmbTrack->setEditText(QStringLiteral("1"));
    lblCD1->setBuddy(cmbTrack);
    lblCD2 = Text(this, "lblCD2", QStringLiteral("Tracks on current CD:"));
    lblTracks = Named(new QLabel(this), "lblTracks");

    framePly = Named(new QFrame(this), "framePly");
    framePly->setFrameShape(QFrame::StyledPanel);
    Label2 = Text(framePly, "Label2", QStringLiteral("Available tracks"));
    lstAvailable = TrackList(framePly, "lstAvailable", Label2->text());
    cmdAdd = Button(framePly, "cmdAdd", QStringLiteral("&Add -->"), QStringLiteral("Add items to playlist"));
    cmdRemove = Button(framePly, "cmdRemove", QStringLiteral("<-- &Remove"),
                       QStringLiteral("Remove items from playlist"));
    cmdClear = Button(framePly, "cmdClear", QStringLiteral("&Clear All"), QStringLiteral("Clear the playlist"));
    cmdReset = Button(framePly, "cmdReset", QStringLiteral("Re&set"), QStringLiteral("Reset the playlist"));
    Label3 = Text(framePly, "Label3", QStringLiteral("Selected tracks"));
    lstSelected = TrackList(framePly, "lstSelected", Label3->text());
    cmdOpen = Button(framePly, "cmdOpen", QStringLiteral("&Open saved playlist"),
                     QStringLiteral("Open a playlist previously saved to disk"));
    cmdSave = Button(framePly, "cmdSave", QStringLiteral("&Save playlist"), QStringLiteral("Save this playlist to disk"));

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

    auto* edit = new QVBoxLayout;
    edit->addStretch();
    for (QPushButton* button : {cmdAdd, cmdRemove, cmdClear, cmdReset})
        edit->addWidget(button);
    edit->addStretch();
    auto* files = new QHBoxLayout;
    files->addWidget(cmdOpen);
    files->addWidget(cmdSave);
    files->addStretch();
    auto* playlist = new QGridLayout(framePly);
    playlist->addWidget(Label2, 0, 0);
    playlist->addWidget(Label3, 0, 2);
    playlist->addWidget(lstAvailable, 1, 0);
    playlist->addLayout(edit, 1, 1);
    playlist->addWidget(lstSelected, 1, 2);
    playlist->addLayout(files, 2, 0, 1, 3);
    playlist->setRowStretch(1, 1);

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
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(lstAvailable, &QListWidget::itemDoubleClicked, this, [this] { lstAvailable_DblClick(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });
    connect(lstSelected, &QListWidget::itemDoubleClicked, this, [this] { lstSelected_DblClick(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
    connect(cmdReset, &QPushButton::clicked, this, [this] { cmdReset_Click(); });
    connect(cmdOpen, &QPushButton::clicked, this, [this] { cmdOpen_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    Form_Load();
}

void frmPlaylist::Form_Load()
{
    for (int i = 0; i < m.PlaylistCount && i < static_cast<int>(m.PlaylistTracks.size()); ++i)
        lstSelected->addItem(PlaylistItemText(QString::number(m.PlaylistTracks[static_cast<size_t>(i)])));
    ApplyMode(m.UsePlaylist == 1, false);
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
    lstAvailable->clear();
    const QStringList numbers = Numbers(1, tracks < 1 ? NoDiscTracks : tracks);
    cmbTrack->addItems(numbers);
    for (const QString& number : numbers)
        lstAvailable->addItem(PlaylistItemText(number));
    if (tracks < 1)
        cmbTrack->setEditText(QStringLiteral("1"));
    // An empty playlist gets the whole disc to start from.
    if (lstSelected->count() == 0)
        AppendAllAvailable();
    if (tracks >= 1)
        cmbTrack->setEditText(startTrack > tracks ? QStringLiteral("1") : QString::number(startTrack));
}

void frmPlaylist::ApplyMode(bool playlist, bool fileButtons)
{
    optPlayList->setChecked(playlist);
    optNoPlayList->setChecked(!playlist);
    for (QWidget* control : std::initializer_list<QWidget*>{lblCD1, cmbTrack, lblTracks})
        control->setEnabled(!playlist);
    for (QWidget* control : std::initializer_list<QWidget*>{Label2, Label3, lstAvailable, lstSelected, cmdAdd,
                                                             cmdRemove, cmdClear, cmdReset})
        control->setEnabled(playlist);
    if (fileButtons) {
        cmdSave->setEnabled(playlist);
        cmdOpen->setEnabled(playlist);
    }
}

void frmPlaylist::optNoPlayList_Click()
{
    ApplyMode(false, true);
    cmdOK->setFocus();
}

void frmPlaylist::optPlayList_Click()
{
    ApplyMode(true, true);
    cmdOK->setFocus();
}

void frmPlaylist::AddSelectedTracks()
{
    // The available tracks keep their selection, so that the same tracks can be added again.
    for (int i = 0; i < lstAvailable->count() && lstSelected->count() < PlaylistMaxEntries; ++i) {
        if (lstAvailable->item(i)->isSelected())
            lstSelected->addItem(lstAvailable->item(i)->text());
    }
}

void frmPlaylist::RemoveSelectedTracks()
{
    // Every selected entry goes; the others keep their order, and the list its place.
    QStringList kept;
    for (int i = 0; i < lstSelected->count(); ++i) {
        if (!lstSelected->item(i)->isSelected())
            kept << lstSelected->item(i)->text();
    }
    if (kept.size() == lstSelected->count())
        return;
    const int scrolled = lstSelected->verticalScrollBar()->value();
    lstSelected->clear();
    lstSelected->addItems(kept);
    lstSelected->verticalScrollBar()->setValue(scrolled);
}

void frmPlaylist::AppendAllAvailable()
{
    for (int i = 0; i < lstAvailable->count() && lstSelected->count() < PlaylistMaxEntries; ++i)
        lstSelected->addItem(lstAvailable->item(i)->text());
}

void frmPlaylist::cmdAdd_Click() { AddSelectedTracks(); }
void frmPlaylist::lstAvailable_DblClick() { AddSelectedTracks(); }
void frmPlaylist::cmdRemove_Click() { RemoveSelectedTracks(); }
void frmPlaylist::lstSelected_DblClick() { RemoveSelectedTracks(); }
void frmPlaylist::cmdClear_Click() { lstSelected->clear(); }

void frmPlaylist::cmdReset_Click()
{
    lstSelected->clear();
    AppendAllAvailable();
}

void frmPlaylist::cmdOK_Click()
{
    const int count = lstSelected->count();
    if (optPlayList->isChecked()) {
        if (count == 0) {
            m.platform.messageBox(QStringLiteral("Your playlist is empty.  Please add some tracks to your playlist."),
                                  0, AppTitle);
            return;
        }
        m.UsePlaylist = 1;
        m.PlaylistTracks.assign(static_cast<size_t>(count), 0);
        for (int i = 0; i < count; ++i)
            m.PlaylistTracks[static_cast<size_t>(i)] = PlaylistItemTrack(lstSelected->item(i)->text());
        m.PlaylistCount = static_cast<int16_t>(count);
    } else {
        // Start-track mode keeps a committed playlist for when playlist mode is chosen again.
        m.UsePlaylist = 0;
    }
    if (Options) {
        Options->tmrTrack_Timer();  // the start track just typed counts, not the one of the last poll
        Options->lblCDInfo->setText(CdInfoText(m.UsePlaylist, m.AppSettings.CDStartTrack));
    }
    accept();
}

void frmPlaylist::reject() { cmdOK_Click(); }

QString frmPlaylist::ChosenPath(const QString& chosen) const
{
    QString path = chosen.trimmed();
    path.remove(QChar(0));
    return path;
}

void frmPlaylist::cmdSave_Click()
{
    const QString path = ChosenPath(m.platform.getSaveFileName(this, QStringLiteral("Save playlist as..."),
                                                               PlaylistFilters(), 1, m.platform.homeFolder(),
                                                               QString()));
    if (path.isEmpty())
        return;
    QStringList lines;
    for (int i = 0; i < lstSelected->count(); ++i)
        lines << PlaylistItemTrackText(lstSelected->item(i)->text());
    QString error;
    if (!writeFileAtomically(path, PlaylistFileContents(lines), error)) {
        m.platform.messageBox(QStringLiteral("The playlist could not be saved as ") + path + QStringLiteral(".  ") +
                                  error,
                              Exclamation, QStringLiteral("Error saving playlist"));
    }
}

void frmPlaylist::cmdOpen_Click()
{
    const QString path = ChosenPath(m.platform.getOpenFileName(this, QStringLiteral("Open playlist..."),
                                                               PlaylistFilters(), 1, m.platform.homeFolder()));
    if (path.isEmpty())
        return;
    // Read once: what is checked is what is loaded.
    const PlaylistFileRead file = ReadPlaylistFileBytes(path, PlaylistFileMaxBytes);
    if (file.result == PlaylistFileRead::Failed) {
        m.platform.messageBox(QStringLiteral("The file ") + path + QStringLiteral(" could not be opened: ") +
                                  file.reason + QStringLiteral("."),
                              Exclamation, LoadErrorTitle);
        return;
    }
    const std::optional<QStringList> lines =
        file.result == PlaylistFileRead::Read ? ReadPlaylistFile(file.bytes) : std::nullopt;
    if (!lines) {
        m.platform.messageBox(QStringLiteral("The file ") + path +
                                  QStringLiteral(" does not appear to be a valid Dawnbell playlist."),
                              Exclamation, LoadErrorTitle);
        return;
    }
    const FittedPlaylist fitted = FitPlaylistToDisc(*lines, NumericValue(lblTracks->text()));
    lstSelected->clear();
    QStringList items;
    items.reserve(fitted.lines.size());
    for (const QString& line : fitted.lines)
        items << PlaylistItemText(line);
    lstSelected->addItems(items);
    if (fitted.modified) {
        m.platform.messageBox(QStringLiteral("The currently selected CD does not have as many tracks as the playlist "
                                             "specifies.  The playlist has been modified to work with the current CD."),
                              Information, QStringLiteral("Modifying playlist"));
    }
}
