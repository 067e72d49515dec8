#include "settings_dialog/frmOptions.h"

#include "core/Autostart.h"
#include "core/Module1.h"
#include "core/TextRules.h"
#include "editors/FormParts.h"
#include "editors/frmAlarmMessage.h"
#include "editors/frmPlaylist.h"
#include "editors/frmPreset.h"
#include "main_window/frmMain.h"
#include "platform/units.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString AppTitle = QStringLiteral("Dawnbell");
const QString TestIdle = QStringLiteral("&Test alarm now");
const QString TestSounding = QStringLiteral("&Turn off alarm");
const QString NoCD = QStringLiteral("No CD.");
const QString NoFile = QStringLiteral("None");

// Where a page stands inside the dialog, in twips.
constexpr int PageLeftTwips = 160;
constexpr int PageTopTwips = 435;
constexpr int MinimumPageWidth = 470;  // pixels

QCheckBox* Check(QWidget* parent, const char* name, const QString& caption)
{
    return Named(new QCheckBox(caption, parent), name);
}

QRadioButton* Option(QWidget* parent, const char* name, const QString& caption)
{
    return Named(new QRadioButton(caption, parent), name);
}

QGroupBox* Group(QWidget* parent, const char* name, const QString& title)
{
    return Named(new QGroupBox(title, parent), name);
}

// A picture that keeps its place while hidden, so that the page does not move when it comes and goes.
QLabel* Picture(QWidget* parent, const char* name, const QIcon& icon, int size)
{
    QLabel* label = PictureLabel(parent, name, icon, size);
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    return label;
}

QIcon Icon(const char* resource) { return QIcon(QLatin1String(resource)); }

// The text of "Important Volume Information"; the last sentence only while the note comes up by itself.
QString VolumeInformation(bool firstTime)
{
    QString text = QStringLiteral(
        "Dawnbell changes only its own volume, never your system's volume controls, so the \"gradual wake-up\" "
        "feature raises the alarm from silence without touching the sound of anything else on your computer.  "
        "Your system volume and your sound output (speakers or headphones) still decide how loud Dawnbell can be "
        "at its loudest.\n\n"
        "What does this mean to you?\n"
        "Well, it's not as scary as it sounds.  Dawnbell raises the volume of its sound files, MIDI sequences and "
        "CD's to the level you choose here; if your system volume is turned down or muted, or your sound goes to "
        "a different device, the alarm will be softer than you expect.  You should use the \"Test alarm now\" "
        "button (located at the bottom of this page) to check your volume if you plan to use the gradual wake-up "
        "feature.  This will allow you to make sure that your volume is set appropriately--not too soft and not "
        "too loud.");
    if (firstTime)
        text += QStringLiteral("\n\nIf you want to see this message again in the future, press the button marked 'Info.'");
    return text;
}

}  // namespace

frmOptions::frmOptions(Module1& module, frmMain& main) : QDialog(&main), m(module), mainForm(main)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);
    BuildPages();
    Connect();
    Form_Load();
}

frmOptions::~frmOptions()
{
    // The controls go after this object: what they signal while they go (a field that loses the focus and
    // finishes its editing) must not reach its handlers any more.
    for (QObject* child : findChildren<QObject*>()) {
        child->disconnect(this);
        child->removeEventFilter(this);
    }
    // A preview may not outlive the dialog, however it goes.
    RestorePreviewedVolume();
    if (mainForm.PlaylistEditor && mainForm.PlaylistEditor->Options == this)
        mainForm.PlaylistEditor->Options = nullptr;
}

frmPlaylist& frmOptions::Playlist()
{
    if (!mainForm.PlaylistEditor)
        mainForm.PlaylistEditor = new frmPlaylist(m, &mainForm);
    mainForm.PlaylistEditor->Options = this;
    return *mainForm.PlaylistEditor;
}

// ---------------------------------------------------------------------------------------------------------
// The controls

QFrame* frmOptions::NewPage(int index)
{
    auto* page = new QFrame(this);
    page->setObjectName(QStringLiteral("frmTab%1").arg(index));
    page->setFrameShape(QFrame::StyledPanel);
    page->hide();
    frmTab[static_cast<size_t>(index)] = page;
    return page;
}

void frmOptions::BuildPages()
{
    TabStrip1 = Named(new QTabBar(this), "TabStrip1");
    TabStrip1->setAccessibleName(QStringLiteral("Settings pages"));
    TabStrip1->setDrawBase(false);
    const std::pair<const char*, const char*> tabs[] = {
        {"Alarm Time", "Change the time at which the alarm will go off"},
        {"Snooze", "Change snooze button options"},
        {"Minimize", "Choose where to minimize Dawnbell"},
        {"Alarm", "Choose CD tracks, sound files, and MIDI files"},
        {"Volume", "Change gradual wake-up settings and test volume"},
        {"Sleep", "Choose music to play while you go to sleep"},
        {"Other", "Edit a message and change other advanced settings"},
    };
    for (const auto& [caption, tip] : tabs) {
        const int index = TabStrip1->addTab(QLatin1String(caption));
        TabStrip1->setTabToolTip(index, QLatin1String(tip));
    }

    frmTab[0] = NewPage(0);
    BuildTimePage();
    BuildSnoozePage();
    BuildMinimizePage();
    BuildAlarmPage();
    BuildVolumePage();
    BuildSleepPage();
    BuildOtherPage();

    cmdOK = Button(this, "cmdOK", QStringLiteral("&OK"));
    cmdOK->setDefault(true);
    cmdCancel = Button(this, "cmdCancel", QStringLiteral("Cancel"));

    tmrTrack = Named(new QTimer(this), "tmrTrack");
    tmrTrack->setInterval(500);
    tmrBlink = Named(new QTimer(this), "tmrBlink");
    tmrBlink->setInterval(750);

    // Every page has the size of the largest one, and is as wide as the tabs.
    TabStrip1->setUsesScrollButtons(false);
    const int PageWidth = std::max(MinimumPageWidth, TabStrip1->sizeHint().width() + 4);
    int pageHeight = 0;
    for (int i = 1; i <= 7; ++i) {
        QLayout* layout = frmTab[static_cast<size_t>(i)]->layout();
        pageHeight = std::max(pageHeight, layout->hasHeightForWidth() ? layout->heightForWidth(PageWidth)
                                                                      : layout->sizeHint().height());
    }
    const QPoint pagePos(TwipsToPixels(PageLeftTwips), TwipsToPixels(PageTopTwips));
    for (QFrame* page : frmTab)
        page->setGeometry(QRect(pagePos, QSize(PageWidth, pageHeight)));
    TabStrip1->setGeometry(pagePos.x(), 2, PageWidth, pagePos.y() - 2);

    const int buttonsTop = pagePos.y() + pageHeight + 8;
    const QSize buttonSize(std::max(80, cmdCancel->sizeHint().width()), cmdOK->sizeHint().height());
    const int right = pagePos.x() + PageWidth;
    cmdCancel->setGeometry(QRect(QPoint(right - buttonSize.width(), buttonsTop), buttonSize));
    cmdOK->setGeometry(QRect(QPoint(right - 2 * buttonSize.width() - 6, buttonsTop), buttonSize));
    setFixedSize(right + pagePos.x(), buttonsTop + buttonSize.height() + 8);
}

void frmOptions::BuildTimePage()
{
    QFrame* page = NewPage(1);
    Image[1] = Picture(page, "Image1", Icon(":/icons/clock.svg"), 32);
    Label2 = Text(page, "Label2", QStringLiteral("Set alarm time to:"));

    const auto stepButton = [page](const char* name, const QString& accessibleName, QStyle::StandardPixmap icon) {
        QPushButton* button = Button(page, name, QString());
        button->setIcon(page->style()->standardIcon(icon));
        button->setFixedSize(20, 24);
        button->setAccessibleName(accessibleName);
        return button;
    };
    cmbHour = TimeField(page, TimePart::Hour);
    cmdHourUp = stepButton("cmdHourUp", QStringLiteral("Hour up"), QStyle::SP_ArrowUp);
    lblColon1 = Text(page, "lblColon1", QStringLiteral(":"));
    cmbMinute = TimeField(page, TimePart::Minute);
    cmdMinuteUp = stepButton("cmdMinuteUp", QStringLiteral("Minute up"), QStyle::SP_ArrowUp);
    lblColon2 = Text(page, "lblColon2", QStringLiteral(":"));
    cmbSecond = TimeField(page, TimePart::Second);
    cmdSecondUp = stepButton("cmdSecondUp", QStringLiteral("Second up"), QStyle::SP_ArrowUp);
    cmbAMPM = TimeField(page, TimePart::AmPm);
    cmdAMPMToggle = stepButton("cmdAMPMToggle", QStringLiteral("Switch AM and PM"), QStyle::SP_BrowserReload);
    Label1 = Text(page, "Label1",
                  QStringLiteral("The alarm time is the time that the alarm will go off.  Alarms can be set up to 24 "
                                 "hours ahead of time."),
                  true);

    Frame1 = Group(page, "Frame1", QStringLiteral("Speed Set"));
    Image[9] = Picture(Frame1, "Image9", Icon(":/icons/alarm_on.svg"), 24);
    cmdPreset1 = Button(Frame1, "cmdPreset1", QStringLiteral("Preset &1"));
    lblPreset1 = Text(Frame1, "lblPreset1", QString());
    cmdPreset2 = Button(Frame1, "cmdPreset2", QStringLiteral("Preset &2"));
    lblPreset2 = Text(Frame1, "lblPreset2", QString());
    cmdPreset3 = Button(Frame1, "cmdPreset3", QStringLiteral("Preset &3"));
    lblPreset3 = Text(Frame1, "lblPreset3", QString());
    cmdEditPresets = Button(Frame1, "cmdEditPresets", QStringLiteral("&Edit presets..."));
    cmdTimer = Button(Frame1, "cmdTimer", QStringLiteral("&Timer"));
    Label5 = Text(Frame1, "Label5", QStringLiteral("Set alarm to go off in"));
    cmbMin = Combo(Frame1, "cmbMin",
                   Numbers(1, 20) + QStringList{QStringLiteral("30"), QStringLiteral("40"), QStringLiteral("45"),
                                                QStringLiteral("50"), QStringLiteral("60")},
                   true, 56);
    cmbMin->setAccessibleName(QStringLiteral("Set alarm to go off in, minute(s)"));
    Label7 = Text(Frame1, "Label7", QStringLiteral("minute(s)"));

    auto* fields = new QHBoxLayout;
    fields->setSpacing(2);
    for (QWidget* w : std::initializer_list<QWidget*>{cmbHour, cmdHourUp, lblColon1, cmbMinute, cmdMinuteUp, lblColon2,
                                                      cmbSecond, cmdSecondUp})
        fields->addWidget(w);
    fields->addSpacing(8);
    fields->addWidget(cmbAMPM);
    fields->addWidget(cmdAMPMToggle);
    fields->addStretch();
    auto* time = new QGridLayout;
    time->addWidget(Image[1], 0, 0, 2, 1, Qt::AlignTop);
    time->addWidget(Label2, 0, 1);
    time->addLayout(fields, 1, 1);

    auto* speed = new QGridLayout(Frame1);
    speed->addWidget(Image[9], 0, 0, 3, 1, Qt::AlignTop);
    speed->addWidget(cmdPreset1, 0, 1);
    speed->addWidget(lblPreset1, 0, 2, 1, 3);
    speed->addWidget(cmdPreset2, 1, 1);
    speed->addWidget(lblPreset2, 1, 2, 1, 3);
    speed->addWidget(cmdPreset3, 2, 1);
    speed->addWidget(lblPreset3, 2, 2, 1, 3);
    speed->addWidget(cmdEditPresets, 3, 1);
    speed->addWidget(cmdTimer, 4, 1);
    speed->addWidget(Label5, 4, 2);
    speed->addWidget(cmbMin, 4, 3);
    speed->addWidget(Label7, 4, 4);
    speed->setColumnStretch(4, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(time);
    layout->addWidget(Label1);
    layout->addWidget(Frame1);
    layout->addStretch();
}

void frmOptions::BuildSnoozePage()
{
    QFrame* page = NewPage(2);
    Image[2] = Picture(page, "Image2", Icon(":/icons/snooze.svg"), 32);
    chkAllowSnooze = Check(page, "chkAllowSnooze", QStringLiteral("Allow snoo&ze"));
    fmSnooze = Group(page, "fmSnooze", QStringLiteral("Snooze options"));
    lblMin = Text(fmSnooze, "lblMin", QStringLiteral("Number of minutes to snooze:"));
    QStringList snoozeMinutes = Numbers(1, 20);
    for (int n = 25; n <= 60; n += 5)
        snoozeMinutes << QString::number(n);
    cmbSnoozeTime = Combo(fmSnooze, "cmbSnoozeTime", snoozeMinutes, true, 56);
    lblMin->setBuddy(cmbSnoozeTime);
    chkAllowMultiple = Check(fmSnooze, "chkAllowMultiple", QStringLiteral("Allow &multiple presses of the snooze button"));
    Label4 = Text(page, "Label4",
                  QStringLiteral("Snooze lets you turn off the alarm temporarily so that you can get more Z's before "
                                 "actually getting up."),
                  true);
    Label8 = Text(page, "Label8", QStringLiteral("Hint: You can press Space Bar to activate the snooze button."), true);

    auto* options = new QGridLayout(fmSnooze);
    options->addWidget(lblMin, 0, 0);
    options->addWidget(cmbSnoozeTime, 0, 1);
    options->addWidget(chkAllowMultiple, 1, 0, 1, 3);
    options->setColumnStretch(2, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(Image[2]);
    top->addWidget(chkAllowSnooze, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(fmSnooze);
    layout->addWidget(Label4);
    layout->addWidget(Label8);
    layout->addStretch();
}

void frmOptions::BuildMinimizePage()
{
    QFrame* page = NewPage(3);
    Frame2 = Group(page, "Frame2", QStringLiteral("Minimize options"));
    imgTaskbar = Picture(Frame2, "imgTaskbar", style()->standardIcon(QStyle::SP_TitleBarMinButton), 32);
    imgNotify = Picture(Frame2, "imgNotify", Icon(":/icons/dawnbell.svg"), 32);
    optTaskbar = Option(Frame2, "optTaskbar", QStringLiteral("Minimize to the &taskbar"));
    optNotify = Option(Frame2, "optNotify", QStringLiteral("Minimize to the &notification area"));
    lblNoNotifyArea = Text(Frame2, "lblNoNotifyArea",
                           QStringLiteral("This desktop has no notification area at the moment, so Dawnbell will "
                                          "minimize to the taskbar instead."),
                           true);
    lblNoNotifyArea->setIndent(22);
    imgTime = Picture(Frame2, "imgTime", Icon(":/icons/clock.svg"), 24);
    imgNoTime = Picture(Frame2, "imgNoTime", QIcon(Icon(":/icons/clock.svg").pixmap(24, 24, QIcon::Disabled)), 24);
    chkShowTimeRemaining = Check(Frame2, "chkShowTimeRemaining", QStringLiteral("&Show time remaining in taskbar"));
    Image[3] = Picture(page, "Image3", style()->standardIcon(QStyle::SP_DesktopIcon), 32);
    Label6 = Text(page, "Label6",
                  QStringLiteral("You can choose to minimize Dawnbell to the taskbar, where most programs go, or to the "
                                 "notification area next to the clock in the corner of the screen."),
                  true);

    auto* options = new QGridLayout(Frame2);
    options->addWidget(imgTaskbar, 0, 0, 2, 1);
    options->addWidget(imgNotify, 0, 0, 2, 1);
    options->addWidget(optTaskbar, 0, 1);
    options->addWidget(optNotify, 1, 1);
    options->addWidget(lblNoNotifyArea, 2, 1);
    options->addWidget(imgTime, 3, 0);
    options->addWidget(imgNoTime, 3, 0);
    options->addWidget(chkShowTimeRemaining, 3, 1);
    options->setColumnStretch(1, 1);
    auto* note = new QHBoxLayout;
    note->addWidget(Image[3], 0, Qt::AlignTop);
    note->addWidget(Label6, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Frame2);
    layout->addLayout(note);
    layout->addStretch();
}

void frmOptions::BuildAlarmPage()
{
    QFrame* page = NewPage(4);
    Frame3 = Group(page, "Frame3", QStringLiteral("Alarm options"));
    optCDSound = Option(Frame3, "optCDSound", QStringLiteral("&Play CD and alarm sound"));
    optCD = Option(Frame3, "optCD", QStringLiteral("Play only &CD"));
    optSound = Option(Frame3, "optSound", QStringLiteral("Play only &alarm sound"));
    optMIDI = Option(Frame3, "optMIDI", QStringLiteral("Play only &MIDI sequence"));
    optMIDISound = Option(Frame3, "optMIDISound", QStringLiteral("Play MIDI &sequence and alarm sound"));
    imgCD = Picture(Frame3, "imgCD", Icon(":/icons/cd.svg"), 32);
    imgSound = Picture(Frame3, "imgSound", Icon(":/icons/wave.svg"), 32);
    imgMIDI = Picture(Frame3, "imgMIDI", Icon(":/icons/midi.svg"), 32);

    Frame6 = Group(page, "Frame6", QString());
    imgCDsml = Picture(Frame6, "imgCDsml", Icon(":/icons/cd.svg"), 16);
    Label20 = Text(Frame6, "Label20", QStringLiteral("CD information:"));
    lblCDInfo = Text(Frame6, "lblCDInfo", QString());
    cmdEditPlaylist = Button(Frame6, "cmdEditPlaylist", QStringLiteral("Change"));
    cmdEditPlaylist->setAccessibleName(QStringLiteral("Change the CD options"));
    imgSoundsml = Picture(Frame6, "imgSoundsml", Icon(":/icons/wave.svg"), 16);
    lblAlarm = Text(Frame6, "lblAlarm", QStringLiteral("Alarm sound:"));
    lblSound = Text(Frame6, "lblSound", NoFile);
    lblSound->setMinimumWidth(lblSound->fontMetrics().averageCharWidth() * 36);
    cmdChangeSound = Button(Frame6, "cmdChangeSound", QStringLiteral("Change"), QStringLiteral("Change the alarm sound"));
    cmdChangeSound->setAccessibleName(cmdChangeSound->toolTip());
    chkLoop = Check(Frame6, "chkLoop", QStringLiteral("&Loop alarm sound"));
    imgMIDIsml = Picture(Frame6, "imgMIDIsml", Icon(":/icons/midi.svg"), 16);
    lblMID = Text(Frame6, "lblMID", QStringLiteral("MIDI sequence:"));
    lblMIDI = Text(Frame6, "lblMIDI", NoFile);
    cmdChangeMIDI = Button(Frame6, "cmdChangeMIDI", QStringLiteral("Change"), QStringLiteral("Change the MIDI sequence"));
    cmdChangeMIDI->setAccessibleName(cmdChangeMIDI->toolTip());
    Image[4] = Picture(page, "Image4", Icon(":/icons/alarm_on.svg"), 32);

    auto* options = new QGridLayout(Frame3);
    int row = 0;
    for (QRadioButton* option : {optCDSound, optCD, optSound, optMIDI, optMIDISound})
        options->addWidget(option, row++, 0);
    auto* pictures = new QVBoxLayout;
    pictures->addWidget(imgCD);
    pictures->addWidget(imgSound);
    pictures->addWidget(imgMIDI);
    options->addLayout(pictures, 0, 1, 5, 1);
    options->setColumnStretch(0, 1);

    auto* sources = new QGridLayout(Frame6);
    sources->addWidget(imgCDsml, 0, 0);
    sources->addWidget(Label20, 0, 1);
    sources->addWidget(lblCDInfo, 0, 2);
    sources->addWidget(cmdEditPlaylist, 0, 3);
    sources->addWidget(imgSoundsml, 1, 0);
    sources->addWidget(lblAlarm, 1, 1);
    sources->addWidget(lblSound, 1, 2);
    sources->addWidget(cmdChangeSound, 1, 3);
    sources->addWidget(chkLoop, 2, 2);
    sources->addWidget(imgMIDIsml, 3, 0);
    sources->addWidget(lblMID, 3, 1);
    sources->addWidget(lblMIDI, 3, 2);
    sources->addWidget(cmdChangeMIDI, 3, 3);
    sources->setColumnStretch(2, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(Image[4], 0, Qt::AlignTop);
    top->addWidget(Frame3, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(Frame6);
    layout->addStretch();
}

void frmOptions::BuildVolumePage()
{
    QFrame* page = NewPage(5);
    chkGradual = Check(page, "chkGradual", QStringLiteral("Start the alarm silently, and &gradually increase the volume"));
    Frame5 = Group(page, "Frame5", QStringLiteral("Gradual wake-up settings"));
    Image[5] = Picture(Frame5, "Image5", Icon(":/icons/gradual.svg"), 32);
    Label13 = Text(Frame5, "Label13", QStringLiteral("Reach full volume in"));
    cmbGradMinutes = Combo(Frame5, "cmbGradMinutes", Numbers(1, 30), true, 56);
    Label13->setBuddy(cmbGradMinutes);
    Label16 = Text(Frame5, "Label16", QStringLiteral("minute(s)."));
    cmdInfo = Button(Frame5, "cmdInfo", QStringLiteral("Info"));
    Label12 = Text(Frame5, "Label12", QStringLiteral("Increase volume until the alarm is this loud:"));
    Label10 = Text(Frame5, "Label10", QStringLiteral("Soft"));
    SliderVol = Named(new QSlider(Qt::Horizontal, Frame5), "SliderVol");
    SliderVol->setRange(0, 65535);
    SliderVol->setSingleStep(1000);
    SliderVol->setPageStep(6553);
    SliderVol->setValue(40000);
    SliderVol->setTracking(false);  // a drag changes the volume once, where it ends
    SliderVol->setAccessibleName(Label12->text());
    Label11 = Text(Frame5, "Label11", QStringLiteral("Loud"));
    Label9 = Text(page, "Label9",
                  QStringLiteral("The volume of the alarm can be set to start silently and gradually increase.  Note "
                                 "that on some systems, this may only affect sound file and CD playback."),
                  true);
    Frame4 = Group(page, "Frame4", QStringLiteral("Test for appropriate volume"));
    imgL = Picture(Frame4, "imgL", style()->standardIcon(QStyle::SP_MediaVolume), 24);
    cmdTest = Button(Frame4, "cmdTest", TestIdle);
    imgR = Picture(Frame4, "imgR", style()->standardIcon(QStyle::SP_MediaVolume), 24);
    imgL->hide();
    imgR->hide();
    Label3 = Text(Frame4, "Label3", QStringLiteral("This option sounds the alarm using your current settings."), true);
    Image[6] = Picture(page, "Image6", style()->standardIcon(QStyle::SP_MediaVolume), 32);

    auto* gradual = new QGridLayout(Frame5);
    gradual->addWidget(Image[5], 0, 0, 3, 1, Qt::AlignTop);
    auto* minutes = new QHBoxLayout;
    minutes->addWidget(Label13);
    minutes->addWidget(cmbGradMinutes);
    minutes->addWidget(Label16);
    minutes->addStretch();
    minutes->addWidget(cmdInfo);
    gradual->addLayout(minutes, 0, 1);
    gradual->addWidget(Label12, 1, 1);
    auto* loudness = new QHBoxLayout;
    loudness->addWidget(Label10);
    loudness->addWidget(SliderVol, 1);
    loudness->addWidget(Label11);
    gradual->addLayout(loudness, 2, 1);

    auto* test = new QGridLayout(Frame4);
    test->addWidget(imgL, 0, 0);
    test->addWidget(cmdTest, 0, 1);
    test->addWidget(imgR, 0, 2);
    test->addWidget(Label3, 0, 3);
    test->setColumnStretch(3, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(Image[6], 0, Qt::AlignTop);
    top->addWidget(chkGradual, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(Frame5);
    layout->addWidget(Label9);
    layout->addWidget(Frame4);
    layout->addStretch();
}

void frmOptions::BuildSleepPage()
{
    QFrame* page = NewPage(6);
    Image[7] = Picture(page, "Image7", Icon(":/icons/sleep.svg"), 32);
    chkSleepEnable = Check(page, "chkSleepEnable", QStringLiteral("Enable Sleep"));
    Label18 = Text(page, "Label18", QStringLiteral("Length of time to play:"));
    sldMin = Named(new QSlider(Qt::Horizontal, page), "sldMin");
    sldMin->setRange(1, 72);
    sldMin->setValue(15);
    sldMin->setAccessibleName(Label18->text());
    lblLength = Text(page, "lblLength", QStringLiteral(" 15 minutes"));
    lblLength->setMinimumWidth(lblLength->fontMetrics().horizontalAdvance(QStringLiteral(" 72 minutes ")));
    Label19 = Text(page, "Label19",
                   QStringLiteral("NOTE: Once the last track of the CD plays, the CD will stop, even if there is time "
                                  "remaining."),
                   true);
    Frame8 = Group(page, "Frame8", QStringLiteral("CD Options"));
    Label23 = Text(Frame8, "Label23", QStringLiteral("Use CD-ROM Drive:"));
    cmbSleepDrive = Combo(Frame8, "cmbSleepDrive", {}, false, 70);
    Label23->setBuddy(cmbSleepDrive);
    cmdSleepRescan = Button(Frame8, "cmdSleepRescan", QStringLiteral("Rescan &Drive"));
    Label21 = Text(Frame8, "Label21", QStringLiteral("Tracks on current CD:"));
    lblSleepTrack = Text(Frame8, "lblSleepTrack", QString());
    Label22 = Text(Frame8, "Label22", QStringLiteral("Start CD on track:"));
    cmbSleepTrack = Combo(Frame8, "cmbSleepTrack", Numbers(1, 25), true, 56);
    Label22->setBuddy(cmbSleepTrack);
    Label17 = Text(page, "Label17",
                   QStringLiteral("The Sleep feature lets you fall asleep to the music of your choice.  The CD track you "
                                  "choose to fall asleep to can be different from the one you wake up to.  Sleep will "
                                  "activate when you turn on the alarm."),
                   true);

    auto* cd = new QGridLayout(Frame8);
    cd->addWidget(Label23, 0, 0);
    cd->addWidget(cmbSleepDrive, 0, 1);
    cd->addWidget(cmdSleepRescan, 0, 2);
    cd->addWidget(Label21, 1, 0);
    cd->addWidget(lblSleepTrack, 1, 1);
    cd->addWidget(Label22, 2, 0);
    cd->addWidget(cmbSleepTrack, 2, 1);
    cd->setColumnStretch(3, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(Image[7]);
    top->addWidget(chkSleepEnable, 1);
    auto* length = new QHBoxLayout;
    length->addWidget(Label18);
    length->addWidget(sldMin, 1);
    length->addWidget(lblLength);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addLayout(length);
    layout->addWidget(Label19);
    layout->addWidget(Frame8);
    layout->addWidget(Label17);
    layout->addStretch();
}

void frmOptions::BuildOtherPage()
{
    QFrame* page = NewPage(7);
    Image[8] = Picture(page, "Image8", Icon(":/icons/settings.svg"), 32);
    Label14 = Text(page, "Label14", QStringLiteral("Other Dawnbell settings you can modify."));
    Label24 = Text(page, "Label24", QStringLiteral("Background color:"));
    Color = Named(new QLabel(page), "Color");
    Color->setFixedSize(48, 22);
    Color->setFrameShape(QFrame::Box);
    Color->setAutoFillBackground(true);
    Color->setToolTip(QStringLiteral("This is the current background color"));
    Color->setAccessibleName(Color->toolTip());
    cmdChangeColor = Button(page, "cmdChangeColor", QStringLiteral("&Change..."), QStringLiteral("Change the background color"));
    cmdResetColor = Button(page, "cmdResetColor", QStringLiteral("&Reset"), QStringLiteral("Reset the color to the default setting"));
    chkShowMessage = Check(page, "chkShowMessage", QStringLiteral("Show a &message with the alarm"));
    cmdEditMessage = Button(page, "cmdEditMessage", QStringLiteral("&Edit message..."));
    cmdEditMessage->setEnabled(false);
    chkSaveOnExit = Check(page, "chkSaveOnExit", QStringLiteral("&Save your settings when you exit Dawnbell"));
    chkTurnOffWithAlarm = Check(page, "chkTurnOffWithAlarm", QStringLiteral("Turn off the CD when you turn off the alarm"));
    Frame7 = Group(page, "Frame7", QStringLiteral("Startup settings"));
    Image[10] = Picture(Frame7, "Image10", Icon(":/icons/dawnbell.svg"), 24);
    chkStartOn = Check(Frame7, "chkStartOn", QStringLiteral("Start &with the alarm on"));
    chkStartMini = Check(Frame7, "chkStartMini", QStringLiteral("Start minimized"));
    chkStartAtLogin = Check(Frame7, "chkStartAtLogin", QStringLiteral("Start Dawnbell when you &log in"));
    Label15 = Text(Frame7, "Label15",
                   QStringLiteral("* These features are especially useful if you also tick \"Start Dawnbell when you "
                                  "log in\".  Dawnbell will be ready to go off as soon as you log in."),
                   true);

    auto* color = new QHBoxLayout;
    color->addWidget(Label24);
    color->addWidget(Color);
    color->addWidget(cmdChangeColor);
    color->addWidget(cmdResetColor);
    color->addStretch();
    auto* message = new QHBoxLayout;
    message->addWidget(chkShowMessage);
    message->addWidget(cmdEditMessage);
    message->addStretch();
    auto* startup = new QGridLayout(Frame7);
    startup->addWidget(Image[10], 0, 0, 3, 1, Qt::AlignTop);
    startup->addWidget(chkStartOn, 0, 1);
    startup->addWidget(chkStartMini, 1, 1);
    startup->addWidget(chkStartAtLogin, 2, 1);
    startup->addWidget(Label15, 3, 1);
    startup->setColumnStretch(1, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(Image[8]);
    top->addWidget(Label14, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addLayout(color);
    layout->addLayout(message);
    layout->addWidget(chkSaveOnExit);
    layout->addWidget(chkTurnOffWithAlarm);
    layout->addWidget(Frame7);
    layout->addStretch();
}

void frmOptions::Connect()
{
    const auto click = [this](QAbstractButton* button, void (frmOptions::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    connect(TabStrip1, &QTabBar::currentChanged, this, [this] { TabStrip1_Click(); });
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages, as in every tabbed dialog.
    const auto turn = [this](const QKeySequence& keys, int step) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this, step] {
            TabStrip1->setCurrentIndex((TabStrip1->currentIndex() + step + TabStrip1->count()) % TabStrip1->count());
        });
    };
    turn(QKeySequence::NextChild, 1);
    turn(QKeySequence::PreviousChild, -1);

    click(cmdOK, &frmOptions::cmdOK_Click);
    click(cmdCancel, &frmOptions::cmdCancel_Click);
    connect(tmrTrack, &QTimer::timeout, this, [this] { tmrTrack_Timer(); });
    connect(tmrBlink, &QTimer::timeout, this, [this] { tmrBlink_Timer(); });

    click(cmdHourUp, &frmOptions::cmdHourUp_Click);
    click(cmdMinuteUp, &frmOptions::cmdMinuteUp_Click);
    click(cmdSecondUp, &frmOptions::cmdSecondUp_Click);
    click(cmdAMPMToggle, &frmOptions::cmdAMPMToggle_Click);
    click(cmdPreset1, &frmOptions::cmdPreset1_Click);
    click(cmdPreset2, &frmOptions::cmdPreset2_Click);
    click(cmdPreset3, &frmOptions::cmdPreset3_Click);
    click(cmdEditPresets, &frmOptions::cmdEditPresets_Click);
    click(cmdTimer, &frmOptions::cmdTimer_Click);

    click(chkAllowSnooze, &frmOptions::chkAllowSnooze_Click);
    click(optTaskbar, &frmOptions::optTaskbar_Click);
    click(optNotify, &frmOptions::optNotify_Click);
    click(chkShowTimeRemaining, &frmOptions::chkShowTimeRemaining_Click);

    click(optCD, &frmOptions::optCD_Click);
    click(optCDSound, &frmOptions::optCDSound_Click);
    click(optSound, &frmOptions::optSound_Click);
    click(optMIDI, &frmOptions::optMIDI_Click);
    click(optMIDISound, &frmOptions::optMIDISound_Click);
    click(cmdChangeSound, &frmOptions::cmdChangeSound_Click);
    click(cmdChangeMIDI, &frmOptions::cmdChangeMIDI_Click);
    click(chkLoop, &frmOptions::chkLoop_Click);
    click(cmdEditPlaylist, &frmOptions::cmdEditPlaylist_Click);

    click(cmdTest, &frmOptions::cmdTest_Click);
    click(chkGradual, &frmOptions::chkGradual_Click);
    click(cmdInfo, &frmOptions::cmdInfo_Click);
    connect(cmbGradMinutes, &QComboBox::activated, this, [this] { cmbGradMinutes_Click(); });
    connect(SliderVol, &QSlider::valueChanged, this, [this] { SliderVol_Change(); });

    click(chkSleepEnable, &frmOptions::chkSleepEnable_Click);
    connect(sldMin, &QSlider::valueChanged, this, [this] { sldMin_Change(); });
    click(cmdSleepRescan, &frmOptions::cmdSleepRescan_Click);
    connect(cmbSleepDrive, &QComboBox::activated, this, [this] { cmbSleepDrive_Click(); });

    click(cmdChangeColor, &frmOptions::cmdChangeColor_Click);
    click(cmdResetColor, &frmOptions::cmdResetColor_Click);
    click(chkShowMessage, &frmOptions::chkShowMessage_Click);
    click(cmdEditMessage, &frmOptions::cmdEditMessage_Click);
    click(chkSaveOnExit, &frmOptions::chkSaveOnExit_Click);
    click(chkTurnOffWithAlarm, &frmOptions::chkTurnOffWithAlarm_Click);

    // Leaving a field corrects it; the step buttons step down on a right click; the volume slider previews.
    for (QWidget* watched : std::initializer_list<QWidget*>{cmbHour, cmbMinute, cmbSecond, cmbAMPM, cmbGradMinutes,
                                                            SliderVol, cmdHourUp, cmdMinuteUp, cmdSecondUp,
                                                            cmdAMPMToggle})
        watched->installEventFilter(this);
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
        // A list that drops down or another window in front takes no focus from the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            return false;
        if (type == QEvent::FocusIn) {
            if (watched == SliderVol)
                SliderVol_GotFocus();
        } else if (watched == cmbHour) {
            cmbHour_LostFocus();
        } else if (watched == cmbMinute) {
            cmbMinute_LostFocus();
        } else if (watched == cmbSecond) {
            cmbSecond_LostFocus();
        } else if (watched == cmbAMPM) {
            cmbAMPM_LostFocus();
        } else if (watched == cmbGradMinutes) {
            cmbGradMinutes_LostFocus();
        } else if (watched == SliderVol) {
            SliderVol_LostFocus();
        }
    } else if (type == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* button = qobject_cast<QWidget*>(watched);
        if (button && button->isEnabled() && button->rect().contains(mouse->position().toPoint())) {
            if (watched == cmdHourUp)
                cmdHourUp_MouseUp(mouse->button());
            else if (watched == cmdMinuteUp)
                cmdMinuteUp_MouseUp(mouse->button());
            else if (watched == cmdSecondUp)
                cmdSecondUp_MouseUp(mouse->button());
            else if (watched == cmdAMPMToggle)
                cmdAMPMToggle_MouseUp(mouse->button());
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------------
// Load, pages, OK and Cancel

void frmOptions::Form_Load()
{
    Settings& s = m.AppSettings;
    Playlist();  // loaded hidden; its loading reads the alarm disc

    CDDriveAtOpen = s.CDDrive;
    CDStartTrackAtOpen = s.CDStartTrack;
    CurrentTab = 1;
    frmTab[1]->show();

    QPalette palette = Color->palette();
    palette.setColor(QPalette::Window, ColorFromBGR(static_cast<uint32_t>(s.BGColor) & 0xFFFFFFu));
    Color->setPalette(palette);

    if (s.TimerTime > 60 || s.TimerTime < 1)
        s.TimerTime = 5;
    cmbMin->setEditText(QString::number(s.TimerTime));

    SetTimeFields(mainForm.lblAlarm->text());
    ShowPresets();

    // Sleep.
    lblLength->setText(SleepLengthText(s.SleepTime));
    {
        const QSignalBlocker quiet(sldMin);
        sldMin->setValue(s.SleepTime);
    }
    chkSleepEnable->setChecked(s.SleepEnabled == 1);
    SetSleepControlsEnabled(s.SleepEnabled == 1);
    FillDriveList(cmbSleepDrive, m.CdDriveNames(), s.SleepDrive);
    RescanSleepDisc();

    // Snooze.
    chkAllowSnooze->setChecked(s.AllowSnooze == 1);
    for (QWidget* control : std::initializer_list<QWidget*>{fmSnooze, chkAllowMultiple, cmbSnoozeTime, lblMin})
        control->setEnabled(s.AllowSnooze == 1);
    cmbSnoozeTime->setEditText(QString::number(s.SnoozeTime));
    chkAllowMultiple->setChecked(s.AllowMultipleSnoozes == 1);
    chkShowTimeRemaining->setChecked(s.ShowTimeRemaining == 1);

    // Minimizing.
    (s.ShowInNotify == 0 ? optTaskbar : optNotify)->setChecked(true);
    ShowMinimizeChoice();
    ShowTimeRemainingPicture();
    lblNoNotifyArea->setVisible(!m.platform.notifyAreaAvailable());

    // The alarm's sources.
    lblCDInfo->setText(CdInfoText(m.UsePlaylist, s.CDStartTrack));
    ShowSoundPath();
    lblSound->setText(ShortenPath(lblSound->text(), ChosenFileWholeBelow, LabelTooLongText()));
    ShowMidiPath();
    SelectAlarmTypeOption();
    UpdateAlarmTypeControls();
    chkLoop->setChecked(s.LoopSound != 0);

    // Gradual wake-up.
    if (s.GradVolumeMinutes > 30 || s.GradVolumeMinutes < 1)
        s.GradVolumeMinutes = 4;
    cmbGradMinutes->setEditText(QString::number(s.GradVolumeMinutes));
    chkGradual->setChecked(s.GradualWakeup == 1);
    SettingSlider = 1;
    SliderVol->setValue(static_cast<int>(std::clamp<int32_t>(s.GradualVolumePeak, 0, 65535)));
    SettingSlider = 0;
    SetGradualControlsEnabled(s.GradualWakeup == 1);

    // Other settings.
    chkStartOn->setChecked(s.StartOn == 1);
    chkTurnOffWithAlarm->setChecked(mainForm.mnuOff->isChecked());
    chkSaveOnExit->setChecked(mainForm.mnuSaveOnExit->isChecked());
    chkStartMini->setChecked(s.StartMinimized == 1);
    chkShowMessage->setChecked(m.HasAlarmMessage == 1);
    cmdEditMessage->setEnabled(m.HasAlarmMessage == 1);
    startAtLoginAtOpen_ = AutostartEnabled();
    chkStartAtLogin->setChecked(startAtLoginAtOpen_);

    tmrTrack->start();
}

void frmOptions::TabStrip1_Click()
{
    const int i = TabStrip1->currentIndex() + 1;
    if (i == CurrentTab || i < 1 || i > 7)
        return;
    QFrame* page = frmTab[static_cast<size_t>(i)];
    page->move(TwipsToPixels(PageLeftTwips), TwipsToPixels(PageTopTwips));
    page->show();
    frmTab[static_cast<size_t>(CurrentTab)]->hide();
    CurrentTab = static_cast<int16_t>(i);
}

void frmOptions::cmdOK_Click()
{
    Settings& s = m.AppSettings;
    s.BGColor = static_cast<int32_t>(BGRFromColor(Color->palette().color(QPalette::Window)));
    m.ApplyBackgroundColor();

    cmbAMPM_LostFocus();
    cmbMinute_LostFocus();
    cmbSecond_LostFocus();
    cmbHour_LostFocus();
    cmbGradMinutes_LostFocus();  // a ramp length typed and confirmed with Enter never left its field
    RestorePreviewedVolume();
    m.ShowMidiGradualNote();

    mainForm.SetAlarmTimeText(JoinTimeFields(
        {cmbHour->currentText(), cmbMinute->currentText(), cmbSecond->currentText(), cmbAMPM->currentText()}));
    s.TimerTime = WholeNumber16(cmbMin->currentText());
    s.AllowSnooze = chkAllowSnooze->isChecked() ? 1 : 0;
    s.SnoozeTime = WholeNumber16(cmbSnoozeTime->currentText());
    s.AllowMultipleSnoozes = chkAllowMultiple->isChecked() ? 1 : 0;
    s.SleepTime = static_cast<int16_t>(sldMin->value());
    // A start track is a track: text that is no number, or a number below 1, starts the disc at its beginning.
    s.SleepStartTrack = std::max<int16_t>(1, WholeNumber16(cmbSleepTrack->currentText()));
    s.SleepDrive = cmbSleepDrive->currentText();
    s.ShowTimeRemaining = chkShowTimeRemaining->isChecked() ? 1 : 0;
    s.ShowInNotify = optTaskbar->isChecked() ? 0 : 1;
    tmrTrack_Timer();
    s.CDDrive = Playlist().cmbDrive->currentText();
    s.StartOn = chkStartOn->isChecked() ? 1 : 0;
    s.StartMinimized = chkStartMini->isChecked() ? 1 : 0;
    CommitStartAtLogin();
    mainForm.mnuOff->setChecked(chkTurnOffWithAlarm->isChecked());
    m.HasAlarmMessage = chkShowMessage->isChecked() ? 1 : 0;
    tmrTrack->stop();
    done(QDialog::Accepted);  // the playlist editor stays loaded
}

void frmOptions::cmdCancel_Click()
{
    m.AppSettings.CDDrive = CDDriveAtOpen;
    m.AppSettings.CDStartTrack = CDStartTrackAtOpen;
    RestorePreviewedVolume();
    tmrTrack->stop();
    delete mainForm.PlaylistEditor;
    mainForm.PlaylistEditor = nullptr;
    done(QDialog::Rejected);
}

void frmOptions::reject()
{
    // While the test alarm sounds the dialog cannot be closed.
    if (cmdCancel->isEnabled())
        cmdCancel_Click();
}

void frmOptions::tmrTrack_Timer()
{
    m.AppSettings.CDStartTrack = std::max<int16_t>(1, WholeNumber16(Playlist().cmbTrack->currentText()));
}

void frmOptions::CommitStartAtLogin()
{
    const bool wanted = chkStartAtLogin->isChecked();
    if (wanted == startAtLoginAtOpen_)
        return;
    QString error;
    if (wanted && !WriteAutostartEntry(m.platform.moduleFileName(), error)) {
        m.platform.messageBox(QStringLiteral("Dawnbell could not set itself to start when you log in.  ") + error,
                              48, AppTitle);
    } else if (!wanted && !RemoveAutostartEntry(error)) {
        m.platform.messageBox(
            QStringLiteral("Dawnbell could not stop itself from starting when you log in.  ") + error, 48, AppTitle);
    }
}

// ---------------------------------------------------------------------------------------------------------
// The alarm time and Speed Set

void frmOptions::SetTimeFields(const QString& timeText)
{
    ShowTimeText(cmbHour, cmbMinute, cmbSecond, cmbAMPM, timeText);
}

void frmOptions::cmbHour_LostFocus() { cmbHour->setEditText(CorrectHour(cmbHour->currentText())); }
void frmOptions::cmbMinute_LostFocus() { cmbMinute->setEditText(CorrectMinuteSecond(cmbMinute->currentText())); }
void frmOptions::cmbSecond_LostFocus() { cmbSecond->setEditText(CorrectMinuteSecond(cmbSecond->currentText())); }

void frmOptions::cmbAMPM_LostFocus()
{
    cmbAMPM->setEditText(CorrectAmPm(cmbAMPM->currentText(), AmPmEntry::CutToTwo));
}

void frmOptions::cmdHourUp_Click() { cmbHour->setEditText(StepHour(cmbHour->currentText(), 1)); }

void frmOptions::cmdHourUp_MouseUp(Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        cmbHour->setEditText(StepHour(cmbHour->currentText(), -1));
}

void frmOptions::cmdMinuteUp_Click() { cmbMinute->setEditText(StepMinuteSecond(cmbMinute->currentText(), 1)); }

void frmOptions::cmdMinuteUp_MouseUp(Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        cmbMinute->setEditText(StepMinuteSecond(cmbMinute->currentText(), -1));
}

void frmOptions::cmdSecondUp_Click() { cmbSecond->setEditText(StepMinuteSecond(cmbSecond->currentText(), 1)); }

void frmOptions::cmdSecondUp_MouseUp(Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        cmbSecond->setEditText(StepMinuteSecond(cmbSecond->currentText(), -1));
}

void frmOptions::cmdAMPMToggle_Click() { cmbAMPM->setEditText(ToggleAmPm(cmbAMPM->currentText())); }

void frmOptions::cmdAMPMToggle_MouseUp(Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        cmdAMPMToggle_Click();
}

void frmOptions::ApplyPreset(const QString& preset)
{
    if (!preset.isEmpty())
        SetTimeFields(preset);
}

void frmOptions::cmdPreset1_Click() { ApplyPreset(m.AppSettings.Preset1); }
void frmOptions::cmdPreset2_Click() { ApplyPreset(m.AppSettings.Preset2); }
void frmOptions::cmdPreset3_Click() { ApplyPreset(m.AppSettings.Preset3); }

void frmOptions::ShowPresets()
{
    const Settings& s = m.AppSettings;
    const std::tuple<const QString&, const QString&, QLabel*, QPushButton*> presets[] = {
        {s.Preset1, s.Preset1Desc, lblPreset1, cmdPreset1},
        {s.Preset2, s.Preset2Desc, lblPreset2, cmdPreset2},
        {s.Preset3, s.Preset3Desc, lblPreset3, cmdPreset3},
    };
    for (const auto& [time, description, label, button] : presets) {
        label->setText(time.isEmpty() ? QStringLiteral("No preset defined") : time + QStringLiteral(" - ") + description);
        button->setEnabled(!time.isEmpty());
    }
}

void frmOptions::cmdEditPresets_Click()
{
    frmPreset editor(m, this);
    m.platform.showModal(editor);
    // The labels show what the presets hold now, however the editor was closed; a preset button can be used
    // exactly when its preset is defined.
    ShowPresets();
}

void frmOptions::cmdTimer_Click()
{
    const QString minutes = CorrectTimerMinutes(cmbMin->currentText());
    if (minutes != cmbMin->currentText())
        cmbMin->setEditText(minutes);
    SetTimeFields(TimerTimeText(mainForm.lblTime->text(), static_cast<int>(WholeNumber(minutes))));
}

// ---------------------------------------------------------------------------------------------------------
// Snooze and minimizing

void frmOptions::chkAllowSnooze_Click()
{
    const bool on = chkAllowSnooze->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{fmSnooze, chkAllowMultiple, cmbSnoozeTime, lblMin})
        control->setEnabled(on);
}

void frmOptions::ShowMinimizeChoice()
{
    const bool taskbar = optTaskbar->isChecked();
    chkShowTimeRemaining->setEnabled(taskbar);
    imgTaskbar->setVisible(taskbar);
    imgNotify->setVisible(!taskbar);
}

void frmOptions::optTaskbar_Click() { ShowMinimizeChoice(); }
void frmOptions::optNotify_Click() { ShowMinimizeChoice(); }

void frmOptions::ShowTimeRemainingPicture()
{
    imgTime->setVisible(chkShowTimeRemaining->isChecked());
    imgNoTime->setVisible(!chkShowTimeRemaining->isChecked());
}

void frmOptions::chkShowTimeRemaining_Click() { ShowTimeRemainingPicture(); }

// ---------------------------------------------------------------------------------------------------------
// The alarm's sources

void frmOptions::ShowSoundPath()
{
    const QString& path = m.AppSettings.AlarmSound;
    lblSound->setText(path.isEmpty() ? NoFile : path);
    lblSound->setToolTip(path);
}

void frmOptions::ShowMidiPath()
{
    const QString& path = m.AppSettings.MidiSound;
    lblMIDI->setText(ShortenPath(path.isEmpty() ? NoFile : path, ChosenFileWholeBelow, LabelTooLongText()));
    lblMIDI->setToolTip(path);
}

void frmOptions::SelectAlarmTypeOption()
{
    const MainWindow::Sources sources = mainForm.AlarmSources();
    const bool midi = m.AppSettings.MidiAlarm == 1;
    QRadioButton* selected = nullptr;
    if (sources.alarm && !midi)
        selected = optSound;
    else if (sources.cd)
        selected = optCD;
    else if (sources.cdAndSound)
        selected = optCDSound;
    else if (sources.alarm && midi)
        selected = optMIDISound;
    else if (midi)
        selected = optMIDI;
    for (QRadioButton* option : {optCD, optSound, optMIDI, optCDSound, optMIDISound}) {
        option->setAutoExclusive(false);
        option->setChecked(option == selected);
        option->setAutoExclusive(true);
    }
}

void frmOptions::UpdateAlarmTypeControls()
{
    struct Row {
        QRadioButton* option;
        bool cd, sound, midi;
    };
    const Row rows[] = {
        {optCD, true, false, false},     {optSound, false, true, false},  {optMIDI, false, false, true},
        {optCDSound, true, true, false}, {optMIDISound, false, true, true},
    };
    for (const Row& row : rows) {
        if (!row.option->isChecked())
            continue;
        const auto group = [](std::initializer_list<QWidget*> pictures, std::initializer_list<QWidget*> controls,
                              bool on) {
            for (QWidget* picture : pictures)
                picture->setVisible(on);
            for (QWidget* control : controls)
                control->setEnabled(on);
        };
        group({imgCD, imgCDsml}, {Label20, lblCDInfo, cmdEditPlaylist}, row.cd);
        group({imgSound, imgSoundsml}, {lblAlarm, lblSound, cmdChangeSound, chkLoop}, row.sound);
        group({imgMIDI, imgMIDIsml}, {lblMID, lblMIDI, cmdChangeMIDI}, row.midi);
        break;
    }
    lblSound->setText(ShortenPath(lblSound->text(), SourcePanelWholeBelow, LabelTooLongText()));
}

// An alarm type changes only when what it plays is there: a file choice that is cancelled leaves the type in
// force, and its option button is selected again, so that the page never shows a type that would not sound.

void frmOptions::optCD_Click()
{
    mainForm.mnuCD_Click();
    m.AppSettings.MidiAlarm = 0;
    SelectAlarmTypeOption();
    UpdateAlarmTypeControls();
}

void frmOptions::optCDSound_Click()
{
    mainForm.mnuCDAndSound_Click();
    if (mainForm.mnuCDAndSound->isChecked())
        m.AppSettings.MidiAlarm = 0;
    ShowSoundPath();
    SelectAlarmTypeOption();
    UpdateAlarmTypeControls();
}

void frmOptions::optSound_Click()
{
    mainForm.mnuAlarm_Click();
    if (mainForm.mnuAlarm->isChecked())
        m.AppSettings.MidiAlarm = 0;
    ShowSoundPath();
    SelectAlarmTypeOption();
    UpdateAlarmTypeControls();
}

void frmOptions::optMIDI_Click()
{
    if (m.AppSettings.MidiSound.isEmpty())
        cmdChangeMIDI_Click();
    if (!m.AppSettings.MidiSound.isEmpty()) {
        m.AppSettings.MidiAlarm = 1;
        mainForm.mnuCD->setChecked(false);
        mainForm.mnuCDAndSound->setChecked(false);
        mainForm.mnuAlarm->setChecked(false);
    }
    SelectAlarmTypeOption();
    UpdateAlarmTypeControls();
}

void frmOptions::optMIDISound_Click()
{
    const MainWindow::Sources before = mainForm.AlarmSources();
    mainForm.mnuAlarm_Click();
    if (mainForm.mnuAlarm->isChecked()) {
        if (m.AppSettings.MidiSound.isEmpty())
            cmdChangeMIDI_Click();
        if (!m.AppSettings.MidiSound.isEmpty())
            m.AppSettings.MidiAlarm = 1;
        else
            mainForm.SetAlarmSources(before);
    }
    ShowSoundPath();
    SelectAlarmTypeOption();
    UpdateAlarmTypeControls();
}

void frmOptions::cmdChangeSound_Click()
{
    mainForm.mnuAlarmSound_Click();
    ShowSoundPath();
    lblSound->setText(ShortenPath(lblSound->text(), ChosenFileWholeBelow, LabelTooLongText()));
}

void frmOptions::cmdChangeMIDI_Click()
{
    m.ChooseMidiFile();
    ShowMidiPath();
}

void frmOptions::chkLoop_Click() { m.AppSettings.LoopSound = chkLoop->isChecked() ? -1 : 0; }

void frmOptions::cmdEditPlaylist_Click() { m.platform.showModal(Playlist()); }

// ---------------------------------------------------------------------------------------------------------
// The test alarm

void frmOptions::cmdTest_Click()
{
    if (cmdTest->text() != TestIdle) {
        EndTest(true);
        return;
    }
    Settings& s = m.AppSettings;
    tmrBlink->start();
    for (QWidget* control : std::initializer_list<QWidget*>{cmdOK, cmdCancel, optCD, optSound, optCDSound, optMIDI,
                                                            optMIDISound, chkGradual})
        control->setEnabled(false);
    SetGradualControlsEnabled(false);
    cmdTest->setText(TestSounding);

    m.ShowMidiGradualNote();
    if (s.GradualWakeup == 1)
        m.StartVolumeRamp();
    if (m.PlaysCD()) {
        Playlist().cmbTrack->setEditText(QString::number(s.CDStartTrack));
        if (m.ProbeCdTrackCount(s.CDDrive) < 1) {
            m.platform.messageBox(QStringLiteral("There is no audio CD in drive ") + s.CDDrive +
                                      QStringLiteral(" or there is a problem with the drive.  Put a CD in the drive "
                                                     "and try again, or change the alarm so that it includes only "
                                                     "sound and MIDI files."),
                                  0, AppTitle);
            EndTest(false);
            return;
        }
        m.PlayAlarmCD();
    }
    if (s.MidiAlarm == 1)
        m.PlayAlarmMidi();
    if (m.PlaysSoundFile())
        m.PlayAlarmSound();
    m.platform.doEvents();
}

void frmOptions::EndTest(bool stopSources)
{
    const Settings& s = m.AppSettings;
    cmdOK->setEnabled(true);
    cmdCancel->setEnabled(true);
    cmdTest->setText(TestIdle);
    chkGradual->setEnabled(true);
    if (s.GradualWakeup == 1)
        SetGradualControlsEnabled(true);
    m.MainForm->StopTimer(MainWindow::Timer::Volume);
    if (stopSources) {
        if (s.MidiAlarm == 1)
            m.StopMidi();
        if (m.PlaysCD())
            m.StopCD();
        m.StopAlarmSound();
    }
    for (QWidget* option : std::initializer_list<QWidget*>{optCD, optSound, optCDSound})
        option->setEnabled(true);
    if (s.GradualWakeup == 1)
        m.RestoreVolumes();
    optMIDI->setEnabled(true);
    optMIDISound->setEnabled(true);
    tmrBlink->stop();
    imgL->hide();
    imgR->hide();
}

void frmOptions::tmrBlink_Timer()
{
    const bool shown = imgL->isVisibleTo(imgL->parentWidget());
    imgL->setVisible(!shown);
    imgR->setVisible(!shown);
}

// ---------------------------------------------------------------------------------------------------------
// Gradual wake-up and the volume preview

void frmOptions::SetGradualControlsEnabled(bool enabled)
{
    for (QWidget* control : std::initializer_list<QWidget*>{Frame5, Label13, cmbGradMinutes, Label16, Label12, Label10,
                                                            SliderVol, Label11, cmdInfo})
        control->setEnabled(enabled);
    Image[5]->setVisible(enabled);
}

void frmOptions::chkGradual_Click()
{
    Settings& s = m.AppSettings;
    const bool on = chkGradual->isChecked();
    SetGradualControlsEnabled(on);
    if (on && s.Dialog3 == 1) {
        cmdInfo_Click();
        s.Dialog3 = 0;
    }
    s.GradualWakeup = on ? 1 : 0;
}

void frmOptions::cmdInfo_Click()
{
    m.platform.messageBox(VolumeInformation(m.AppSettings.Dialog3 == 1), 0,
                          QStringLiteral("Important Volume Information"));
}

void frmOptions::cmbGradMinutes_Click()
{
    m.AppSettings.GradVolumeMinutes = WholeNumber16(cmbGradMinutes->currentText());
}

void frmOptions::cmbGradMinutes_LostFocus() { cmbGradMinutes_Click(); }

void frmOptions::SliderVol_GotFocus()
{
    for (int n = 0; n < VolumeDeviceCount; ++n)
        m.platform.waveOutGetVolume(n, m.SavedWaveVolumes[static_cast<size_t>(n)]);
    waveSavedForPreview_ = true;
}

void frmOptions::SliderVol_Change()
{
    m.AppSettings.GradualVolumePeak = SliderVol->value();
    if (SettingSlider == 1)
        return;
    // A slider turned without the focus (the mouse wheel) saves the volume it changes all the same.
    if (!waveSavedForPreview_)
        SliderVol_GotFocus();
    const auto level = static_cast<uint32_t>(SliderVol->value());
    for (int n = 0; n < VolumeDeviceCount; ++n)
        m.platform.waveOutSetVolume(n, level | (level << 16));
    m.platform.beep();
    m.platform.doEvents();
    VolumePreviewed = true;
}

void frmOptions::SliderVol_LostFocus()
{
    if (!waveSavedForPreview_)
        return;
    for (int n = 0; n < VolumeDeviceCount; ++n)
        m.platform.waveOutSetVolume(n, m.SavedWaveVolumes[static_cast<size_t>(n)]);
    waveSavedForPreview_ = false;
}

void frmOptions::RestorePreviewedVolume()
{
    if (VolumePreviewed)
        SliderVol_LostFocus();
    VolumePreviewed = false;
}

// ---------------------------------------------------------------------------------------------------------
// Sleep

void frmOptions::SetSleepControlsEnabled(bool enabled)
{
    for (QWidget* control : std::initializer_list<QWidget*>{Label18, lblLength, sldMin, Label19, Frame8, Label23,
                                                            cmbSleepDrive, cmdSleepRescan, Label22, cmbSleepTrack,
                                                            Label21, lblSleepTrack})
        control->setEnabled(enabled);
    Image[7]->setVisible(enabled);
}

void frmOptions::chkSleepEnable_Click()
{
    m.AppSettings.SleepEnabled = chkSleepEnable->isChecked() ? 1 : 0;
    SetSleepControlsEnabled(m.AppSettings.SleepEnabled == 1);
}

void frmOptions::sldMin_Change() { lblLength->setText(SleepLengthText(sldMin->value())); }

void frmOptions::cmdSleepRescan_Click()
{
    m.platform.rescanDrives();
    const QString chosen = cmbSleepDrive->currentText();
    FillDriveList(cmbSleepDrive, m.CdDriveNames(), chosen.isEmpty() ? m.AppSettings.SleepDrive : chosen);
    RescanSleepDisc();
}

void frmOptions::cmbSleepDrive_Click() { RescanSleepDisc(); }

void frmOptions::RescanSleepDisc()
{
    const int16_t startTrack = m.AppSettings.SleepStartTrack;
    cmbSleepTrack->setEditText(QString::number(startTrack));
    const int tracks = m.ProbeCdTrackCount(cmbSleepDrive->currentText());
    lblSleepTrack->setText(tracks < 1 ? NoCD : QString::number(tracks));
    cmbSleepTrack->clear();
    cmbSleepTrack->addItems(Numbers(1, tracks < 1 ? 25 : tracks));
    cmbSleepTrack->setEditText(QStringLiteral("1"));
    if (tracks >= 1 && startTrack <= tracks)
        cmbSleepTrack->setEditText(QString::number(startTrack));
}

// ---------------------------------------------------------------------------------------------------------
// Other settings

void frmOptions::cmdChangeColor_Click()
{
    uint32_t color = 0;
    std::array<uint32_t, 16> customColors = m.CustomColors;
    if (!m.platform.chooseColor(this, color, customColors))
        return;
    QPalette palette = Color->palette();
    palette.setColor(QPalette::Window, ColorFromBGR(color));
    Color->setPalette(palette);
    m.CustomColors = customColors;
}

void frmOptions::cmdResetColor_Click()
{
    // The colour a first run starts with on this display.
    QPalette palette = Color->palette();
    palette.setColor(QPalette::Window, ColorFromBGR(static_cast<uint32_t>(m.DefaultBackgroundColor())));
    Color->setPalette(palette);
}

void frmOptions::chkShowMessage_Click() { cmdEditMessage->setEnabled(chkShowMessage->isChecked()); }

void frmOptions::cmdEditMessage_Click()
{
    frmAlarmMessage editor(m, mainForm, this);
    m.platform.showModal(editor);
}

void frmOptions::chkSaveOnExit_Click() { mainForm.mnuSaveOnExit_Click(); }

void frmOptions::chkTurnOffWithAlarm_Click() { mainForm.mnuOff_Click(); }
