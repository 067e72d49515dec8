#include "main_window/frmMain.h"

#include "core/Module1.h"
#include "core/TextRules.h"
#include "editors/frmAbout.h"
#include "editors/FormParts.h"
#include "editors/frmDialog.h"
#include "editors/frmVersion.h"
#include "platform/units.h"
#include "resources/DataFolder.h"
#include "settings_dialog/frmOptions.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEnterEvent>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

static void InitResources() { Q_INIT_RESOURCE(dawnbell); }

namespace {

const QString AppTitle = QStringLiteral("Dawnbell");
const QString StateOff = QStringLiteral("Alarm is off.");
const QString StateOn = QStringLiteral("Alarm is on.");
const QString StateSounding = QStringLiteral("Wake up!");
const QString CaptionOn = QStringLiteral("Turn &alarm ON");
const QString CaptionOff = QStringLiteral("Turn &alarm OFF");
const QString NoAlarmTip = QStringLiteral("Dawnbell - No alarm set");

constexpr int WindowWidth = 360;
constexpr int IconSize = 18;

// A picture, with the name a screen reader reads for it: its tool tip, or what it stands for.
QLabel* Picture(QWidget* parent, const char* name, const QString& icon, int size, const QString& tip,
                const QString& accessibleName = {})
{
    QLabel* label = PictureLabel(parent, name, icon, size);
    label->setScaledContents(true);
    if (!tip.isEmpty())
        label->setToolTip(tip);
    label->setAccessibleName(accessibleName.isEmpty() ? tip : accessibleName);
    return label;
}

// The web address of each item of "Dawnbell on the Web", below the product's site.
const QString WebPageQA = QStringLiteral("/dawnbell/qa.html");
const QString WebPageAddins = QStringLiteral("/dawnbell/addins.html");
const QString WebPageUpdates = QStringLiteral("/dawnbell/updates.html");
const QString WebPageBug = QStringLiteral("/dawnbell/bug.html");
const QString WebPageSuggest = QStringLiteral("/dawnbell/suggest.html");
const QString WebPageMailing = QStringLiteral("/dawnbell/mail_list.html");
const QString WebPageHome = QStringLiteral("/dawnbell");

}  // namespace

frmMain::frmMain(Module1& module) : m(module)
{
    InitResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppTitle);
    setWindowIcon(QIcon(QStringLiteral(":/icons/dawnbell.svg")));
    BuildControls();
    BuildMenus();
    BuildTimers();
    lastActivity_.start();  // the start counts as activity
    m.platform.setNotifyIconCallback([this](int message) { NotifyIcon_MouseMessage(message); });
    m.platform.setNotificationCallback([this](int id, const QString& action) { Notification_Action(id, action); });
    m.platform.setSleepCallback([this](bool goingToSleep) {
        if (goingToSleep)
            m.PrepareForSleep();
        else
            m.WakeFromSleep();
    });
    m.MainForm = this;
    Form_Load();
}

InputWatch::InputWatch(std::function<void()> onInput, QObject* parent)
    : QObject(parent), onInput_(std::move(onInput))
{
}

bool InputWatch::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::TouchBegin: onInput_(); break;
    default: break;
    }
    return false;
}

frmMain::~frmMain()
{
    qApp->removeEventFilter(inputWatch_);
    m.platform.setNotifyIconCallback({});
    m.platform.setNotificationCallback({});
    m.platform.setSleepCallback({});
    if (m.MainForm == this)
        m.MainForm = nullptr;
}

void frmMain::BuildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    QFont big = font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    QFont bold = font();
    bold.setBold(true);

    Image1 = Picture(client, "Image1", QStringLiteral(":/icons/clock.svg"), 32, QStringLiteral("Time"));
    Image1->move(8, 6);
    Label2 = Named(new QLabel(QStringLiteral("Current time:"), client), "Label2");
    Label2->setGeometry(48, 2, 130, 16);
    lblTime = Named(new QLabel(client), "lblTime");
    lblTime->setGeometry(48, 16, 140, 26);
    lblTime->setFont(big);

    Image2 = Picture(client, "Image2", QStringLiteral(":/icons/settings.svg"), 32,
                     QStringLiteral("Click to change settings"));
    Image2->move(8, 46);
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->installEventFilter(this);  // pressed look and click
    Label3 = Named(new QLabel(QStringLiteral("Alarm set for:"), client), "Label3");
    Label3->setGeometry(48, 44, 130, 16);
    lblAlarm = Named(new QLabel(QStringLiteral("7:45:00 AM"), client), "lblAlarm");
    lblAlarm->setGeometry(48, 58, 140, 22);
    QFont alarmFont = font();
    alarmFont.setPointSizeF(alarmFont.pointSizeF() * 1.3);
    lblAlarm->setFont(alarmFont);

    imgOn = Picture(client, "imgOn", QStringLiteral(":/icons/alarm_on.svg"), 24, QStringLiteral("Alarm status"));
    imgOn->move(194, 6);
    imgOn->hide();
    imgOff = Picture(client, "imgOff", QStringLiteral(":/icons/alarm_off.svg"), 24, QStringLiteral("Alarm status"));
    imgOff->move(194, 6);
    lblOnOff = Named(new QLabel(StateOff, client), "lblOnOff");
    lblOnOff->setGeometry(224, 10, 130, 18);
    lblOnOff->setFont(bold);
    lblTimeUntil = Named(new QLabel(QStringLiteral("Time until alarm:"), client), "lblTimeUntil");
    lblTimeUntil->setGeometry(194, 44, 160, 16);
    lblTimeLeft = Named(new QLabel(QStringLiteral("Alarm not on."), client), "lblTimeLeft");
    lblTimeLeft->setGeometry(194, 58, 160, 22);
    lblTimeLeft->setFont(alarmFont);

    // The labels whose texts change keep their size: a new text repaints the label alone, and asks no layout of
    // the window (the clock and the countdown change every second).
    for (QLabel* label : {lblTime, Label3, lblAlarm, lblOnOff, lblTimeLeft})
        label->setFixedSize(label->size());

    cmdSnooze = Named(new QPushButton(QStringLiteral("S N O O Z E"), client), "cmdSnooze");
    cmdSnooze->setGeometry(8, 82, 178, 26);
    QFont arial(QStringLiteral("Arial"));
    arial.setBold(true);
    cmdSnooze->setFont(arial);
    cmdSnooze->setEnabled(false);
    cmdOnOff = Named(new QPushButton(CaptionOn, client), "cmdOnOff");
    cmdOnOff->setGeometry(194, 82, 158, 26);

    Line1 = Named(new QFrame(client), "Line1");
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(0, 109, WindowWidth, 2);

    FrameOptions = Named(new QFrame(client), "FrameOptions");
    FrameOptions->setGeometry(6, 111, 6 * (IconSize + 4) + 4, IconSize + 3);
    FrameOptions->setFrameShape(QFrame::NoFrame);
    FrameOptions->setAccessibleName(QStringLiteral("Alarm features"));
    int x = 2;
    for (auto [slot, name, icon, spoken] :
         {std::tuple{&imgCD, "imgCD", ":/icons/cd.svg", "The alarm plays a CD"},
          std::tuple{&imgMIDI, "imgMIDI", ":/icons/midi.svg", "The alarm plays a MIDI sequence"},
          std::tuple{&imgWave, "imgWave", ":/icons/wave.svg", "The alarm plays a sound file"},
          std::tuple{&imgGradual, "imgGradual", ":/icons/gradual.svg", "Gradual wake-up"},
          std::tuple{&imgSleep, "imgSleep", ":/icons/sleep.svg", "Sleep"}}) {
        *slot = Picture(FrameOptions, name, QLatin1String(icon), IconSize, QString(), QLatin1String(spoken));
        (*slot)->move(x, 1);
        (*slot)->hide();
        x += IconSize + 4;
    }
    imgSnooze = Picture(client, "imgSnooze", QStringLiteral(":/icons/snooze.svg"), IconSize, QStringLiteral("Snooze"));
    imgSnooze->move(WindowWidth - IconSize - 8, 112);
    imgSnooze->hide();

    // The message panel lies below the visible area until the alarm goes off with a message.
    txtAlarm = Named(new QPlainTextEdit(client), "txtAlarm");
    txtAlarm->setReadOnly(true);
    txtAlarm->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtAlarm->setAccessibleName(QStringLiteral("Alarm message"));
    txtAlarm->setGeometry(0, TwipsToPixels(2500), WindowWidth, 170);
    cmdHideMessage = Named(new QPushButton(QStringLiteral("Hide &message"), client), "cmdHideMessage");
    cmdHideMessage->setGeometry(WindowWidth - 118, TwipsToPixels(1665) + 176, 110, 24);
    // chk1 only takes the focus when the alarm goes off; it is never seen.
    chk1 = Named(new QCheckBox(client), "chk1");
    chk1->setGeometry(-40, -40, 16, 16);
    chk1->setFocusPolicy(Qt::NoFocus);  // out of the Tab order: the keys reach the window through it
    chk1->setAccessibleName(StateSounding);

    SBar = Named(new QStatusBar(this), "SBar");
    SBar->setSizeGripEnabled(false);
    // One line of text that stays: a status tip of a menu does not wipe it.
    SBarText = Named(new QLabel(SBar), "SBarText");
    SBar->setAccessibleName(QStringLiteral("Status"));
    SBar->addWidget(SBarText, 1);
    setStatusBar(SBar);

    connect(cmdOnOff, &QPushButton::clicked, this, [this] { cmdOnOff_Click(); });
    connect(cmdSnooze, &QPushButton::clicked, this, [this] { cmdSnooze_Click(); });
    connect(cmdHideMessage, &QPushButton::clicked, this, [this] { cmdHideMessage_Click(); });

    // Image2 is reached with Tab and opened with Enter or Space, as the menu's "&Change settings..." is.
    Image2->setFocusPolicy(Qt::TabFocus);
    Image2->setStyleSheet(QStringLiteral("QLabel#Image2:focus { border: 1px dotted palette(highlight); }"));
    Image2->setAccessibleDescription(QStringLiteral("Change alarm settings"));
    SetMessagePanelReachable(false);

    // The window sees every key before the control that has the focus.
    for (QWidget* widget :
         std::initializer_list<QWidget*>{this, cmdOnOff, cmdSnooze, cmdHideMessage, chk1, txtAlarm, Image2})
        widget->installEventFilter(this);
    // Hover hints: every control of the table, and what lies inside it, tells the window where the mouse is.
    for (QWidget* control : HoverControls()) {
        QList<QWidget*> inside = control == this || control == client ? QList<QWidget*>{}
                                                                        : control->findChildren<QWidget*>();
        inside.prepend(control);
        for (QWidget* widget : inside) {
            widget->setMouseTracking(true);
            widget->installEventFilter(this);
        }
    }
    // Any key or click anywhere in the program quickens the clock tick.
    inputWatch_ = new InputWatch([this] { NoteActivity(); }, this);
    qApp->installEventFilter(inputWatch_);
}

void frmMain::BuildMenus()
{
    const auto item = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = Named(menu->addAction(caption), name);
        return action;
    };
    // Hidden items are never shown: they belong to their menu but stand in none of its rows, and hold their
    // settings in their check marks and enabled states.
    const auto hidden = [](QMenu* menu, const char* name, const QString& caption, bool checked) {
        QAction* action = Named(new QAction(caption, menu), name);
        action->setCheckable(true);
        action->setChecked(checked);
        return action;
    };

    mnuSettings = Named(menuBar()->addMenu(QStringLiteral("&Options")), "mnuSettings");
    mnuOptions = item(mnuSettings, "mnuOptions", QStringLiteral("&Change settings..."));
    mnuOptions->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSaveNow = item(mnuSettings, "mnuSaveNow", QStringLiteral("&Save current settings"));
    mnuSaveOnExit = item(mnuSettings, "mnuSaveOnExit", QStringLiteral("Save settings on e&xit"));
    mnuSaveOnExit->setCheckable(true);
    mnuSaveOnExit->setChecked(true);
    mnuSettings->addSeparator();
    mnuOffNow = item(mnuSettings, "mnuOffNow", QStringLiteral("Turn CD off &now"));
    mnuOffNow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuOffNow->setEnabled(false);
    mnuSettings->addSeparator();
    mnuExit = item(mnuSettings, "mnuExit", QStringLiteral("&Exit"));
    mnuCDAndSound = hidden(mnuSettings, "mnuCDAndSound", QStringLiteral("&Play CD with alarm sound"), false);
    mnuAlarm = hidden(mnuSettings, "mnuAlarm", QStringLiteral("Play only &alarm sound"), false);
    mnuCD = hidden(mnuSettings, "mnuCD", QStringLiteral("Play only &CD"), true);
    mnuAlarmSound = hidden(mnuSettings, "mnuAlarmSound", QStringLiteral("Choose alarm &sound..."), false);
    mnuAlarmSound->setCheckable(false);
    mnuOff = hidden(mnuSettings, "mnuOff", QStringLiteral("Turn &off CD with alarm"), true);

    mnuHelp = Named(menuBar()->addMenu(QStringLiteral("&Help")), "mnuHelp");
    mnuAbout = item(mnuHelp, "mnuAbout", QStringLiteral("&About Dawnbell..."));
    mnuHelp->addSeparator();
    mnuHowHelp = item(mnuHelp, "mnuHowHelp", QStringLiteral("How to get &help..."));
    mnuWeb = Named(mnuHelp->addMenu(QStringLiteral("Dawnbell on the &Web")), "mnuWeb");
    mnuQA = item(mnuWeb, "mnuQA", QStringLiteral("&Questions and Answers"));
    mnuAddin = item(mnuWeb, "mnuAddin", QStringLiteral("&Sounds and Sequences"));
    mnuUpdate = item(mnuWeb, "mnuUpdate", QStringLiteral("Product &Updates and Patches"));
    mnuWeb->addSeparator();
    mnuBug = item(mnuWeb, "mnuBug", QStringLiteral("Submit a &Bug Report..."));
    mnuFeatures = item(mnuWeb, "mnuFeatures", QStringLiteral("Suggest New &Features..."));
    mnuMailing = item(mnuWeb, "mnuMailing", QStringLiteral("Find out about the &mailing list..."));
    mnuWeb->addSeparator();
    mnuHome = item(mnuWeb, "mnuHome", QStringLiteral("Dawnbell &Home Page"));
    mnuHelp->addSeparator();
    mnuVersion = item(mnuHelp, "mnuVersion", QStringLiteral("&Version information"));

    mnuPopup = Named(new QMenu(QStringLiteral("popupmenu"), this), "mnuPopup");
    mnuPopOpen = item(mnuPopup, "mnuPopOpen", QStringLiteral("&Open"));
    mnuPopExit = item(mnuPopup, "mnuPopExit", QStringLiteral("E&xit program"));
    mnuPopup->addSeparator();
    mnuCancel = item(mnuPopup, "mnuCancel", QStringLiteral("&Cancel"));

    // A check mark changes only through its item's handler: the toggle the menu made on its own is taken
    // back before the handler runs.
    const auto on = [this](QAction* action, void (frmMain::*handler)()) {
        connect(action, &QAction::triggered, this, [this, action, handler] {
            if (action->isCheckable())
                action->setChecked(!action->isChecked());
            (this->*handler)();
        });
    };
    on(mnuOptions, &frmMain::mnuOptions_Click);
    on(mnuSaveNow, &frmMain::mnuSaveNow_Click);
    on(mnuSaveOnExit, &frmMain::mnuSaveOnExit_Click);
    on(mnuOffNow, &frmMain::mnuOffNow_Click);
    on(mnuExit, &frmMain::mnuExit_Click);
    on(mnuOff, &frmMain::mnuOff_Click);
    on(mnuCD, &frmMain::mnuCD_Click);
    on(mnuAlarm, &frmMain::mnuAlarm_Click);
    on(mnuCDAndSound, &frmMain::mnuCDAndSound_Click);
    on(mnuAlarmSound, &frmMain::mnuAlarmSound_Click);
    on(mnuPopOpen, &frmMain::mnuPopOpen_Click);
    on(mnuPopExit, &frmMain::mnuPopExit_Click);
    on(mnuAbout, &frmMain::mnuAbout_Click);
    on(mnuVersion, &frmMain::mnuVersion_Click);
    on(mnuHowHelp, &frmMain::mnuHowHelp_Click);
    on(mnuQA, &frmMain::mnuQA_Click);
    on(mnuAddin, &frmMain::mnuAddin_Click);
    on(mnuUpdate, &frmMain::mnuUpdate_Click);
    on(mnuBug, &frmMain::mnuBug_Click);
    on(mnuFeatures, &frmMain::mnuFeatures_Click);
    on(mnuMailing, &frmMain::mnuMailing_Click);
    on(mnuHome, &frmMain::mnuHome_Click);
}

void frmMain::BuildTimers()
{
    const auto timer = [this](const char* name, int interval, void (frmMain::*handler)()) {
        auto* t = Named(new QTimer(this), name);
        t->setInterval(interval);
        connect(t, &QTimer::timeout, this, [this, handler] { (this->*handler)(); });
        return t;
    };
    Timer1 = timer("Timer1", 75, &frmMain::Timer1_Timer);
    Timer1->setTimerType(Qt::PreciseTimer);  // a tick due at a second's start must not come before it
    tmrVolume = timer("tmrVolume", 2000, &frmMain::tmrVolume_Timer);
    tmrSleep = timer("tmrSleep", 60000, &frmMain::tmrSleep_Timer);
    tmrPlayList = timer("tmrPlayList", 2000, &frmMain::tmrPlayList_Timer);
    SoundTimer = timer("SoundTimer", 1400, &frmMain::SoundTimer_Timer);
    tmrFlashAlarm = timer("tmrFlashAlarm", 750, &frmMain::tmrFlashAlarm_Timer);
    tmrAlarmCheck = timer("tmrAlarmCheck", 250, &frmMain::tmrAlarmCheck_Timer);
    tmrAlarmCheck->setTimerType(Qt::PreciseTimer);  // its two seconds are the user's
    Timer1->start();
}

void frmMain::StopAllTimers()
{
    for (QTimer* t : {Timer1, tmrVolume, tmrSleep, tmrPlayList, SoundTimer, tmrFlashAlarm, tmrAlarmCheck})
        t->stop();
}

// ---------------------------------------------------------------------------------------------------------
// Geometry

double frmMain::TopTwips() const { return PixelsToTwips(pos().y()); }
double frmMain::LeftTwips() const { return PixelsToTwips(pos().x()); }

void frmMain::MoveTwips(double left, double top) { move(TwipsToPixels(left), TwipsToPixels(top)); }

// The height is that of the window below its title bar: menus, controls and status bar. Title bars differ from
// one window manager to the next and are known only once the window is on the screen (and again after it was
// hidden in the notification area), so a height that counted the title bar would cut the status icons and the
// status bar off under a tall one. The window is never made so low that a control of the present height would
// not show.
void frmMain::SetHeightTwips(int twips)
{
    heightTwips_ = twips;
    const int needed = menuBar()->sizeHint().height() + ContentBottom() + SBar->sizeHint().height();
    setFixedSize(WindowWidth, std::max(TwipsToPixels(twips), needed));
}

int frmMain::ContentBottom() const
{
    if (heightTwips_ < MessageHeightTwips)
        return FrameOptions->geometry().bottom() + 3;
    return MessageTop() + MessageMinimumHeight + cmdHideMessage->height() + 10;
}

// The message panel's top: below the status icons, which stay in sight.
int frmMain::MessageTop() const { return std::max(TwipsToPixels(1665), FrameOptions->geometry().bottom() + 3); }

void frmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    SetHeightTwips(heightTwips_);
}

int frmMain::HeightTwips() const { return static_cast<int>(PixelsToTwips(height())); }

bool frmMain::IsMinimized() const { return (windowState() & Qt::WindowMinimized) != 0; }

void frmMain::Minimize() { setWindowState(windowState() | Qt::WindowMinimized); }

void frmMain::ShowWindow() { show(); }

void frmMain::BringToFront()
{
    show();
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    raise();
    activateWindow();
}

void frmMain::Alert()
{
    // The window stays up until the user acts: no time limit.
    QApplication::alert(this, 0);
}

void frmMain::SetBusy(bool busy)
{
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void frmMain::CloseAllWindows()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
}

// ---------------------------------------------------------------------------------------------------------
// The settings and texts the window's controls hold

QString frmMain::AlarmTimeText() const { return lblAlarm->text(); }
void frmMain::SetAlarmTimeText(const QString& text) { lblAlarm->setText(text); }

MainWindow::Sources frmMain::AlarmSources() const
{
    return {mnuCDAndSound->isChecked(), mnuAlarm->isChecked(), mnuCD->isChecked()};
}

void frmMain::SetAlarmSources(Sources sources)
{
    mnuCDAndSound->setChecked(sources.cdAndSound);
    mnuAlarm->setChecked(sources.alarm);
    mnuCD->setChecked(sources.cd);
}

bool frmMain::TurnOffCdWithAlarm() const { return mnuOff->isChecked(); }
void frmMain::SetTurnOffCdWithAlarm(bool on) { mnuOff->setChecked(on); }
void frmMain::SetTurnOffCdAvailable(bool available) { mnuOff->setEnabled(available); }
bool frmMain::SaveOnExit() const { return mnuSaveOnExit->isChecked(); }
void frmMain::SetSaveOnExit(bool on) { mnuSaveOnExit->setChecked(on); }
void frmMain::SetClockText(const QString& text) { SetText(lblTime, text); }
void frmMain::SetStateText(const QString& text) { lblOnOff->setText(text); }

void frmMain::SetCaption(const QString& text)
{
    if (windowTitle() != text)
        setWindowTitle(text);
}

// A text longer than the status bar is read whole in its tool tip.
void frmMain::SetStatusText(const QString& text)
{
    if (SBarText->text() == text)
        return;
    SBarText->setText(text);
    SBarText->setToolTip(text);
}
QString frmMain::StatusText() const { return SBarText->text(); }

void frmMain::PaintBackground(const QColor& background, const QColor& text)
{
    const auto paint = [&](QWidget* widget, bool withText) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, background);
        if (withText)
            palette.setColor(QPalette::WindowText, text);
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    };
    paint(centralWidget(), false);
    paint(FrameOptions, false);
    for (QLabel* label : {lblOnOff, lblTimeUntil, lblTimeLeft, Label3, lblAlarm, Label2, lblTime})
        paint(label, true);
}

QTimer* frmMain::TimerOf(Timer timer) const
{
    switch (timer) {
    case Timer::Volume: return tmrVolume;
    case Timer::Sleep: return tmrSleep;
    case Timer::PlayList: return tmrPlayList;
    case Timer::Sound: return SoundTimer;
    case Timer::AlarmCheck: return tmrAlarmCheck;
    }
    return nullptr;
}

void frmMain::StartTimer(Timer timer) { TimerOf(timer)->start(); }
void frmMain::StopTimer(Timer timer) { TimerOf(timer)->stop(); }

// The message fills the window from below the status icons down to its button.
void frmMain::ShowMessagePanel()
{
    SetHeightTwips(MessageHeightTwips);
    const int client = height() - menuBar()->sizeHint().height() - SBar->sizeHint().height();
    const int buttonTop = client - cmdHideMessage->height() - 5;
    txtAlarm->setGeometry(0, MessageTop(), WindowWidth, buttonTop - 5 - MessageTop());
    cmdHideMessage->move(cmdHideMessage->x(), buttonTop);
    SetMessagePanelReachable(true);
}

// The hidden message panel lies below the window's edge: Tab passes it by. Start-up and a click on cmdOnOff
// still give it the focus on purpose, for the keys.
void frmMain::SetMessagePanelReachable(bool reachable)
{
    txtAlarm->setFocusPolicy(reachable ? Qt::StrongFocus : Qt::NoFocus);
    cmdHideMessage->setFocusPolicy(reachable ? Qt::StrongFocus : Qt::NoFocus);
}

void frmMain::EnableSnooze() { cmdSnooze->setEnabled(true); }
bool frmMain::SnoozeEnabled() const { return cmdSnooze->isEnabled(); }
void frmMain::FocusMessage() { txtAlarm->setFocus(); }
void frmMain::FocusAwayFromButtons() { chk1->setFocus(); }

bool frmMain::ShowInformation(const QString& text)
{
    frmDialog dialog(m, this);
    dialog.lblText->setText(text);
    m.platform.showModal(dialog);
    return dialog.chkShow->isChecked();
}

void frmMain::SetText(QLabel* label, const QString& text)
{
    if (label->text() != text)
        label->setText(text);
}

void frmMain::SetShown(QWidget* widget, bool shown)
{
    if (widget->isVisibleTo(widget->parentWidget()) != shown)
        widget->setVisible(shown);
}

void frmMain::ModifyNotifyTip(const QString& tip)
{
    m.platform.shellNotifyIcon(NIM_MODIFY, m.MakeNotifyIconData(this, 1, 7, 512, Icon(), tip));
}

void frmMain::SetSourceMenusEnabled(bool enabled)
{
    for (QAction* action : {mnuCD, mnuCDAndSound, mnuAlarm, mnuAlarmSound})
        action->setEnabled(enabled);
}

// ---------------------------------------------------------------------------------------------------------
// Load, resize, close, keys

void frmMain::Form_Load()
{
    SetHeightTwips(NormalHeightTwips);
    m.AlarmSounding = 0;
    m.SleepStatusText.clear();
}

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::ActivationChange)
        NoteActivity();
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmMain::Form_Resize()
{
    if (m.AlarmSounding == 0 || m.MessageHidden == 1)
        return;
    // A sounding alarm keeps its window in sight. Putting the window back raises a second notification, so
    // the warning alternates with it and shows once per attempt.
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    if (m.AppSettings.Dialog5 == 1) {
        if (m.MinimizeWarned == 0) {
            m.AppSettings.Dialog5 = m.ShowInfoDialog(QStringLiteral(
                "You must turn off the alarm or activate the snooze button before minimizing Dawnbell."));
            m.MinimizeWarned = 1;
        } else {
            m.MinimizeWarned = 0;
        }
    }
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // The window never closes by itself: the program ends inside ExitProgram.
    event->ignore();
    if (!m.ProgramEnded)
        Form_QueryUnload();
}

bool frmMain::Form_QueryUnload()
{
    if (ExitAllowed())
        m.ExitProgram();
    return false;
}

bool frmMain::ExitAllowed()
{
    if (lblOnOff->text() == StateSounding) {
        m.platform.messageBox(QStringLiteral("You must turn off the alarm before you exit."), 0, AppTitle);
        return false;
    }
    if (m.AlarmOn == 1) {
        const int answer = m.platform.messageBox(
            QStringLiteral("If you exit Dawnbell, then the alarm you have set will not go off.  Exit anyway?"),
            4 + 32, AppTitle);
        if (answer != 6)
            return false;
    }
    return true;
}

bool frmMain::Session_CommitData(bool interactionAllowed)
{
    if (m.ProgramEnded)
        return true;
    if (!interactionAllowed) {
        m.ExitOnRequest();
        return true;
    }
    if (!ExitAllowed())
        return false;
    m.ExitProgram();
    return true;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Enter || type == QEvent::MouseMove) {
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            const QPointF position = type == QEvent::Enter ? static_cast<QEnterEvent*>(event)->position()
                                                           : static_cast<QMouseEvent*>(event)->position();
            HoverAt(widget, position.toPoint());
        }
        return false;
    }
    if (watched == Image2 && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress) {
            Image2_MouseDown();
        } else {
            Image2_MouseUp();
            if (mouse->button() == Qt::LeftButton && Image2->rect().contains(mouse->position().toPoint()))
                Image2_Click();
        }
        return true;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::MouseButtonRelease)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this || !widget->isWidgetType())
        return false;

    if (type == QEvent::MouseButtonRelease) {
        if (watched == cmdOnOff)
            cmdOnOff_MouseUp();
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (type == QEvent::KeyRelease) {
        // A key that snoozed or switched the alarm must not also press the focused button on its release.
        if (key->key() == swallowedKey_ && !key->isAutoRepeat()) {
            swallowedKey_ = 0;
            return true;
        }
        return false;
    }

    int keyCode = 0;
    switch (key->key()) {
    case Qt::Key_Space: keyCode = 32; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: keyCode = 13; break;
    default:
        if (key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z)
            keyCode = key->key();  // the letters' key codes are their capitals
        break;
    }
    int keyAscii = keyCode == 13 ? 13 : (key->text().isEmpty() ? 0 : key->text().at(0).unicode());

    bool used = false;
    if (watched == cmdOnOff)
        used = cmdOnOff_KeyDown(keyCode);
    else if (watched == cmdSnooze)
        used = cmdSnooze_KeyDown(keyCode);
    else if (watched == cmdHideMessage)
        used = cmdHideMessage_KeyDown(keyCode);
    if (!used)
        used = Form_KeyPress(keyAscii);
    if (!used) {
        if (watched == cmdOnOff)
            used = cmdOnOff_KeyPress(keyAscii);
        else if (watched == cmdSnooze)
            used = cmdSnooze_KeyPress(keyAscii);
        else if (watched == cmdHideMessage)
            used = cmdHideMessage_KeyPress(keyAscii);
    }
    // Enter or Space on Image2 does what its click does.
    if (!used && watched == Image2 && (keyCode == 13 || keyCode == 32)) {
        Image2_Click();
        used = true;
    }
    if (used)
        swallowedKey_ = key->key();
    return used;
}

bool frmMain::Form_KeyPress(int KeyAscii)
{
    if (KeyAscii == 32 && cmdSnooze->isEnabled()) {
        cmdSnooze_Click();
        return true;
    }
    if (KeyAscii == 13 && cmdOnOff->text() == CaptionOff) {
        cmdOnOff_Click();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------------
// The clock tick

// The clock tick runs every 75 ms while something can change between two seconds: the user is at the
// keyboard or mouse (a click changes the state the tick shows), the CD is open (its end enables "Turn CD off
// now"), the alarm sounds, or the window has just changed its state. Otherwise nothing the tick shows or fires
// can change before the next second (the clock and the alarm are texts of whole seconds), and it ticks once a
// second, just after each second begins; a machine that idles for days wakes once a second, not 13 times.
void frmMain::ScheduleNextTick(const QDateTime& now)
{
    const bool busy = m.CDOpen != 0 || m.AlarmSounding != 0 || lblOnOff->text() == StateSounding ||
                      lastActivity_.elapsed() < 2000;
    const int interval = busy ? 75 : 1000 - now.time().msec() + 2;
    if (Timer1->interval() != interval && Timer1->isActive())
        Timer1->start(interval);
}

void frmMain::NoteActivity()
{
    lastActivity_.start();
    if (Timer1->isActive() && Timer1->interval() != 75 && Timer1->remainingTime() > 75)
        Timer1->start(75);
}

void frmMain::Timer1_Timer()
{
    if (m.ProgramEnded)
        return;
    Tick();
    ScheduleNextTick(lastTick_);
}

void frmMain::Tick()
{
    const Settings& s = m.AppSettings;

    // Status icons.
    SetShown(imgCD, m.PlaysCD());
    SetShown(imgMIDI, s.MidiAlarm == 1);
    SetShown(imgWave, m.PlaysSoundFile());
    SetShown(imgSnooze, s.AllowSnooze == 1);
    SetShown(imgGradual, s.GradualWakeup == 1);
    SetShown(imgSleep, s.SleepEnabled == 1);

    if (m.SleepActive == 0 && !m.SleepStatusText.isEmpty())
        m.SleepStatusText.clear();

    // State pictures.
    const QString state = lblOnOff->text();
    if (state == StateOff) {
        SetShown(imgOff, true);
        SetShown(imgOn, false);
        tmrFlashAlarm->stop();
    } else if (state == StateOn) {
        SetShown(imgOff, false);
        SetShown(imgOn, true);
        tmrFlashAlarm->stop();
    } else if (state == StateSounding) {
        if (!tmrFlashAlarm->isActive())
            tmrFlashAlarm->start();
    }

    // "Turn CD off now" while the CD plays. Only an open "cd" can play, so a closed one is not asked.
    const bool cdPlaying = m.CDOpen != 0 && m.GetDeviceMode(QStringLiteral("cd")) == QLatin1String("playing");
    if (mnuOffNow->isEnabled() != cdPlaying)
        mnuOffNow->setEnabled(cdPlaying);

    m.AlarmAt = lblAlarm->text();

    // The clock text changes once a second; the ticks in between reuse it.
    const QDateTime now = m.platform.now();
    const bool newSecond = !lastTick_.isValid() || now.date() != lastTick_.date() ||
                           now.time().msecsSinceStartOfDay() / 1000 != lastTick_.time().msecsSinceStartOfDay() / 1000;
    if (newSecond) {
        clockText_ = TimeText(now.time());
        SetText(lblTime, clockText_);
    }
    const QString& clock = clockText_;

    if (txtAlarm->document()->isEmpty())
        m.HasAlarmMessage = 0;

    KeepNotifyIcon();

    const QDateTime previousTick = lastTick_;
    lastTick_ = now;
    m.KeepSleepDelay();
    m.KeepMidiReady();
    if (m.AlarmOn != 1)
        return;

    // Caption and tip while armed, from the countdown of the previous tick.
    const QString remaining = lblTimeLeft->text();
    if (!IsMinimized() || s.ShowTimeRemaining != 1) {
        SetCaption(AppTitle);
        ModifyNotifyTip(QStringLiteral("Dawnbell - ") + remaining + QStringLiteral(" remaining"));
    } else if (s.ShowInNotify != 0 && !noNotifyArea_) {
        ModifyNotifyTip(QStringLiteral("Dawnbell - ") + remaining + QStringLiteral(" remaining"));
    } else {
        SetCaption(QStringLiteral("Dawnbell - ") + remaining);
    }

    // Firing. The alarm goes off when the clock shows its time, and also on the first tick after its time
    // when the tick before came less than a minute earlier: a busy moment must not cost a day. An alarm
    // time falls on a whole second, so only a tick in a new second can have passed it.
    const bool due = m.AlarmAt == clock || (newSecond && AlarmTimePassedSince(previousTick, now, m.AlarmAt));
    if (due)
        m.SoundAlarm();

    // The countdown changes only with the clock text or the alarm time.
    if (due) {
        TimeLeftText = QStringLiteral("00:00:00");
    } else if (newSecond || countdownAlarm_ != m.AlarmAt || lblTimeLeft->text() != TimeLeftText) {
        TimeLeftText = ::TimeLeftText(clock, m.AlarmAt);
        countdownAlarm_ = m.AlarmAt;
    }
    SetText(lblTimeLeft, TimeLeftText);
}

// A window minimized to the notification area is hidden behind its icon; a normal window has none. A desktop
// without a notification area keeps the minimized window on the taskbar, where its caption shows the time left:
// hidden, it could not be reached again until the alarm rang. The desktop is asked once each time the window is
// minimized, and the user is told once why the window stays on the taskbar.
void frmMain::KeepNotifyIcon()
{
    if (IsMinimized() && m.AppSettings.ShowInNotify == 1) {
        if (!notifyAreaAsked_) {
            notifyAreaAsked_ = true;
            noNotifyArea_ = !m.platform.notifyAreaAvailable();
            if (noNotifyArea_ && !noNotifyAreaSaid_) {
                noNotifyAreaSaid_ = true;
                m.GiveNotice(QStringLiteral("No notification area: Dawnbell minimizes to the taskbar."));
            }
        }
        if (noNotifyArea_)
            return;
        if (isVisible())
            hide();
        m.platform.shellNotifyIcon(NIM_ADD, m.MakeNotifyIconData(this, 1, 7, 512, Icon(), NoAlarmTip));
    } else if ((windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) == 0) {
        notifyAreaAsked_ = false;
        noNotifyArea_ = false;
        m.platform.shellNotifyIcon(NIM_DELETE, m.MakeNotifyIconData(this, 1, 7, 512, Icon(), QString()));
    }
}

bool frmMain::AlarmTimePassedSince(const QDateTime& previous, const QDateTime& now, const QString& alarm)
{
    const QTime alarmTime = ParseTimeText(alarm);
    if (!previous.isValid() || !alarmTime.isValid())
        return false;
    // Milliseconds from the start of today (the day of `now`), on the local clock.
    constexpr qint64 Day = 24 * 3600 * 1000;
    const qint64 nowMs = now.time().msecsSinceStartOfDay();
    const qint64 previousMs = previous.time().msecsSinceStartOfDay() - previous.date().daysTo(now.date()) * Day;
    if (previousMs >= nowMs || nowMs - previousMs > 60 * 1000)
        return false;
    // The latest moment at or before `now` whose time of day is the alarm time.
    qint64 moment = alarmTime.msecsSinceStartOfDay();
    if (moment > nowMs)
        moment -= Day;
    return previousMs < moment && moment <= nowMs;
}

// ---------------------------------------------------------------------------------------------------------
// On/off, snooze, message panel

void frmMain::cmdOnOff_Click()
{
    const QString state = lblOnOff->text();
    // What went wrong with a ringing alarm stays said after it is turned off.
    if (state != StateSounding)
        m.ClearNotice();
    Label3->setText(QStringLiteral("Alarm set for:"));
    if (state == StateSounding) {
        m.EndAlarmWatch();  // the tone stops, whether the sources play on or not
        SetSourceMenusEnabled(true);
        m.AlarmAt = SavedAlarmTime;
        lblAlarm->setText(SavedAlarmTime);
        lblOnOff->setText(StateOff);
        ModifyNotifyTip(NoAlarmTip);
        cmdOnOff->setText(CaptionOn);
        cmdSnooze->setEnabled(false);
        lblTimeLeft->setText(QStringLiteral("Alarm not on."));
        if (mnuOff->isChecked())
            m.SilenceAlarm();
        else
            m.AlarmSounding = 0;  // the sources play on, but the window may be minimized again
        m.WithdrawAlarmNotification();
        m.AlarmOn = 0;
    } else if (state != StateOff) {
        m.AlarmAt = SavedAlarmTime;
        lblAlarm->setText(SavedAlarmTime);
        if (m.SleepActive == 1)
            m.StopSleep();
        lblOnOff->setText(StateOff);
        ModifyNotifyTip(NoAlarmTip);
        SetSourceMenusEnabled(true);
        cmdOnOff->setText(CaptionOn);
        m.AlarmOn = 0;
        lblTimeLeft->setText(QStringLiteral("Alarm not on."));
    } else {
        if (m.GetDeviceMode(QStringLiteral("cd")) == QLatin1String("playing")) {
            m.SendMci(QStringLiteral("stop cd"));
            m.platform.messageBox(QStringLiteral("In order to properly set the alarm, Dawnbell has stopped your CD."),
                                  0, AppTitle);
        }
        m.SnoozeOffered = 0;
        SavedAlarmTime = m.AlarmAt;
        SetSourceMenusEnabled(false);
        lblOnOff->setText(StateOn);
        cmdOnOff->setText(CaptionOff);
        m.AlarmOn = 1;
        if (m.AppSettings.SleepEnabled == 1)
            m.StartSleep();
    }
}

bool frmMain::cmdOnOff_KeyDown(int KeyCode)
{
    if (KeyCode == 32 && cmdSnooze->isEnabled()) {
        cmdSnooze_Click();
        return true;
    }
    return false;
}

bool frmMain::cmdOnOff_KeyPress(int KeyAscii) { return cmdOnOff_KeyDown(KeyAscii); }

void frmMain::cmdOnOff_MouseUp() { cmdHideMessage->setFocus(); }

void frmMain::cmdSnooze_Click()
{
    m.SnoozeOffered = m.AppSettings.AllowMultipleSnoozes == 0 ? 1 : 0;
    m.SilenceAlarm();
    // A snooze of less than a minute (a hand-edited setting) counts as one.
    const QString until = SnoozeTimeText(lblTime->text(), std::max<int>(1, m.AppSettings.SnoozeTime));
    m.AlarmAt = until;
    lblAlarm->setText(until);
    Label3->setText(QStringLiteral("Snooze until:"));
    lblOnOff->setText(StateOn);
    cmdOnOff->setText(CaptionOff);
    m.AlarmOn = 1;
    cmdSnooze->setEnabled(false);
}

bool frmMain::cmdSnooze_KeyDown(int KeyCode)
{
    if (KeyCode == 13) {
        cmdOnOff_Click();
        return true;
    }
    return false;
}

bool frmMain::cmdSnooze_KeyPress(int KeyAscii) { return cmdSnooze_KeyDown(KeyAscii); }

void frmMain::cmdHideMessage_Click()
{
    m.MessageHidden = 1;
    SetHeightTwips(NormalHeightTwips);
    txtAlarm->move(0, TwipsToPixels(2500));
    SetMessagePanelReachable(false);
    m.MessageHidden = 0;
}

bool frmMain::cmdHideMessage_KeyDown(int KeyCode)
{
    if (KeyCode == 83 && cmdSnooze->isEnabled()) {
        cmdSnooze_Click();
        return true;
    }
    return false;
}

bool frmMain::cmdHideMessage_KeyPress(int KeyAscii)
{
    if ((KeyAscii == 115 || KeyAscii == 83) && cmdSnooze->isEnabled()) {
        cmdSnooze_Click();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------------
// The other timers

void frmMain::tmrVolume_Timer()
{
    if (m.GradualVolume < 32767)  // held at the peak long before the counter could run over
        ++m.GradualVolume;
    int64_t level = static_cast<int64_t>(m.GradualVolume) * m.GradualStep;
    level = std::min<int64_t>(level, 65535);
    level = std::min<int64_t>(level, m.AppSettings.GradualVolumePeak);
    level = std::max<int64_t>(level, 0);
    const auto both = static_cast<uint32_t>(level) | (static_cast<uint32_t>(level) << 16);
    for (int n = 0; n < VolumeDeviceCount; ++n) {
        m.platform.waveOutSetVolume(n, both);
        m.platform.auxSetVolume(n, both);
    }
}

void frmMain::tmrSleep_Timer()
{
    // The minute that ended was the last one (a length below one minute ends at the first tick too).
    const bool last = m.SleepMinutesLeft <= 1;
    --m.SleepMinutesLeft;
    if (last)
        m.StopSleep();
    m.SleepStatusText = Module1::SleepText(m.SleepMinutesLeft);
    SetStatusText(m.StatusResetText());
}

void frmMain::tmrPlayList_Timer()
{
    if (m.PlaylistIndex < m.PlaylistCount) {
        if (m.GetDeviceMode(QStringLiteral("cd")) == QLatin1String("playing"))
            return;
        ++m.PlaylistIndex;
        if (m.PlaylistIndex == m.PlaylistCount ||
            m.PlaylistIndex >= static_cast<int>(m.PlaylistTracks.size()))
            return;
        const Module1::SourceCommands commands(m, AlarmSource::CD);  // a disc taken out is a failure
        const double trackCount = NumericValue(m.SendMciChecked(QStringLiteral("status cd number of tracks")));
        m.PlayPlaylistTrack(m.PlaylistTracks[static_cast<size_t>(m.PlaylistIndex)], trackCount);
    } else {
        m.StopCD();
    }
}

void frmMain::SoundTimer_Timer()
{
    if (m.GetDeviceMode(QStringLiteral("Sound")) == QLatin1String("playing"))
        return;
    if (m.AppSettings.LoopSound == -1) {
        m.SendMci(QStringLiteral("Close Sound"));
        const Module1::SourceCommands commands(m, AlarmSource::Sound);  // a file gone since is a failure
        m.OpenAlarmSound();
        m.SendMci(QStringLiteral("play Sound"));
    } else {
        m.SendMci(QStringLiteral("Close Sound"));
        SoundTimer->stop();
    }
}

void frmMain::tmrAlarmCheck_Timer() { m.CheckAlarmSources(); }

void frmMain::tmrFlashAlarm_Timer()
{
    const bool onShown = imgOn->isVisibleTo(imgOn->parentWidget());
    imgOff->setVisible(onShown);
    imgOn->setVisible(!onShown);
}

// ---------------------------------------------------------------------------------------------------------
// Notification icon and menus

void frmMain::NotifyIcon_MouseMessage(int message)
{
    if (message == WM_LBUTTONDBLCLK) {
        mnuPopOpen_Click();
    } else if (message == WM_RBUTTONUP) {
        m.platform.showPopupMenu(*mnuPopup, mnuPopOpen);
    }
}

void frmMain::Notification_Action(int id, const QString& action)
{
    if (id == 0 || id != m.AlarmNotification || lblOnOff->text() != StateSounding)
        return;
    if (action == NotificationSnooze && cmdSnooze->isEnabled())
        cmdSnooze_Click();
    else if (action == NotificationTurnOff)
        cmdOnOff_Click();
}

void frmMain::mnuPopOpen_Click()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    activateWindow();
    m.platform.shellNotifyIcon(NIM_DELETE, m.MakeNotifyIconData(this, 1, 7, 512, Icon(), QString()));
}

void frmMain::mnuPopExit_Click() { mnuExit_Click(); }

void frmMain::mnuOptions_Click()
{
    const QString state = lblOnOff->text();
    const QString refusal = QStringLiteral("Settings cannot be changed until you turn off the alarm.");
    if (state == StateSounding) {
        m.platform.messageBox(QStringLiteral("The alarm is going off!  You need to turn the alarm off before you "
                                             "can change settings."),
                              64, AppTitle);
        return;
    }
    if (m.SleepActive == 1) {
        m.platform.messageBox(refusal, 64, AppTitle);
        return;
    }
    SetBusy(true);
    if (state != StateOff) {
        m.platform.messageBox(refusal, 64, AppTitle);
        SetBusy(false);
        return;
    }
    m.platform.doEvents();
    frmOptions dialog(m, *this);
    SetBusy(false);  // loaded; the window is not busy while the user works in the dialog
    m.platform.showModal(dialog);
}

void frmMain::Image2_Click() { mnuOptions_Click(); }
void frmMain::Image2_MouseDown() { Image2->setFrameShape(QFrame::Box); }
void frmMain::Image2_MouseUp() { Image2->setFrameShape(QFrame::NoFrame); }

void frmMain::mnuSaveNow_Click() { m.SaveSettings(); }

// Clearing the check saves at once, with the check cleared, so that the next start keeps the user's choice.
void frmMain::mnuSaveOnExit_Click()
{
    if (mnuSaveOnExit->isChecked()) {
        mnuSaveOnExit->setChecked(false);
        m.SaveSettings();
    } else {
        mnuSaveOnExit->setChecked(true);
    }
}

void frmMain::mnuOffNow_Click()
{
    m.StopCD();
    mnuOffNow->setEnabled(false);
}

void frmMain::mnuOff_Click() { mnuOff->setChecked(!mnuOff->isChecked()); }

void frmMain::mnuExit_Click() { Form_QueryUnload(); }

void frmMain::mnuCD_Click()
{
    if (!mnuCD->isChecked()) {
        mnuCD->setChecked(true);
        mnuCDAndSound->setChecked(false);
        mnuAlarm->setChecked(false);
    }
}

void frmMain::mnuAlarm_Click()
{
    if (m.AppSettings.AlarmSound.isEmpty())
        mnuAlarmSound_Click();
    if (!m.AppSettings.AlarmSound.isEmpty() && !mnuAlarm->isChecked()) {
        mnuAlarm->setChecked(true);
        mnuCD->setChecked(false);
        mnuCDAndSound->setChecked(false);
    }
}

void frmMain::mnuCDAndSound_Click()
{
    if (m.AppSettings.AlarmSound.isEmpty())
        mnuAlarmSound_Click();
    if (!m.AppSettings.AlarmSound.isEmpty() && !mnuCDAndSound->isChecked()) {
        mnuCDAndSound->setChecked(true);
        mnuCD->setChecked(false);
        mnuAlarm->setChecked(false);
    }
}

void frmMain::mnuAlarmSound_Click()
{
    const QString chosen = m.platform.getOpenFileName(
        this, QStringLiteral("Choose an alarm sound..."),
        {QStringLiteral("Sounds (*.wav)"), QStringLiteral("*.wav"), QStringLiteral("MPEG 3 Streams (*.mp3)"),
         QStringLiteral("*.mp3"), QStringLiteral("Other sound files (*.flac *.ogg *.oga *.aif *.aiff)"),
         QStringLiteral("*.flac;*.ogg;*.oga;*.aif;*.aiff")},
        1, QString());
    const QString before = m.AppSettings.AlarmSound;
    if (!chosen.isEmpty())
        m.AppSettings.AlarmSound = chosen.trimmed();
    m.AppSettings.AlarmSound.remove(QChar(0));
    // The alias opened at start-up still holds the file chosen before, and the alarm would play that one: the
    // new file takes its place, unless the sound plays right now.
    if (m.AppSettings.AlarmSound != before && m.GetDeviceMode(QStringLiteral("Sound")) != QLatin1String("playing")) {
        m.SendMci(QStringLiteral("close Sound"));
        m.OpenAlarmSound();
    }
}

// ---------------------------------------------------------------------------------------------------------
// Help menu

void frmMain::mnuAbout_Click()
{
    frmAbout box(m, this);
    ShowBoxAlarmOff(box);
}

void frmMain::mnuVersion_Click()
{
    frmVersion box(m, this);
    ShowBoxAlarmOff(box);
}

// A ringing or armed alarm is turned off while the box is open, and on again afterwards at the alarm time it
// was turned on with (a snooze is dropped).
void frmMain::ShowBoxAlarmOff(QDialog& box)
{
    const bool wasOn = lblOnOff->text() != StateOff;
    if (wasOn)
        cmdOnOff_Click();
    m.platform.showModal(box);
    if (wasOn)
        cmdOnOff_Click();
}

void frmMain::mnuHowHelp_Click() { ReportDocumentResult(m.ShellOpen(DawnbellDataFolder() + QStringLiteral("/help.txt"))); }

void frmMain::mnuQA_Click() { OpenWebPage(WebPageQA); }
void frmMain::mnuAddin_Click() { OpenWebPage(WebPageAddins); }
void frmMain::mnuUpdate_Click() { OpenWebPage(WebPageUpdates); }
void frmMain::mnuBug_Click() { OpenWebPage(WebPageBug); }
void frmMain::mnuFeatures_Click() { OpenWebPage(WebPageSuggest); }
void frmMain::mnuMailing_Click() { OpenWebPage(WebPageMailing); }
void frmMain::mnuHome_Click() { OpenWebPage(WebPageHome); }

void frmMain::OpenWebPage(const QString& path) { ReportWebResult(m.ShellOpen(DawnbellWebAddress(path))); }

// The shell's result codes, in the user's words; a result above 32 is success, and so is any code not named.
void frmMain::ReportDocumentResult(int32_t result)
{
    QString text;
    if (result == 31 || result == 2 || result == 3 || (result >= 26 && result <= 30)) {
        text = QStringLiteral("An error occurred which made it impossible for Dawnbell to launch your .TXT (Plain "
                              "Text) viewer.  You can view the Questions and Answers document yourself by opening "
                              "it up in your favorite word processor.  Error = ") +
               QLatin1Char(' ') + QString::number(result);
    } else if (result == 0) {
        text = QStringLiteral("Not enough memory to launch the .TXT viewer.");
    }
    if (!text.isEmpty())
        m.platform.messageBox(text, 0, AppTitle);
}

void frmMain::ReportWebResult(int32_t result)
{
    QString text;
    if (result == 31) {
        text = QStringLiteral("You do not have a web browser installed or your network is not connected.");
    } else if (result == 2 || result == 3) {
        text = QStringLiteral("Dawnbell cannot find your web browser.  Make sure that it is properly installed.");
    } else if (result == 0) {
        text = QStringLiteral("Not enough memory to launch the web browser.");
    } else if (result >= 26 && result <= 30) {
        text = QStringLiteral("An error occurred which made it impossible to launch the web browser to connect to "
                              "this page.  The problem could be with your web browser, or it could be with your "
                              "network.  Error = ") +
               QLatin1Char(' ') + QString::number(result);
    }
    if (!text.isEmpty())
        m.platform.messageBox(text, 0, AppTitle);
}

// ---------------------------------------------------------------------------------------------------------
// Hover hints

QList<QWidget*> frmMain::HoverControls() const
{
    return {const_cast<frmMain*>(this), centralWidget(), FrameOptions, cmdOnOff, cmdSnooze, lblOnOff, SBar, Label2,
            Label3, lblAlarm, lblTimeLeft, lblTimeUntil, lblTime, cmdHideMessage, txtAlarm, Image1, Image2, imgOn,
            imgOff, imgSnooze, imgCD, imgWave, imgMIDI, imgGradual, imgSleep};
}

frmMain::HoverHint frmMain::HintOf(QWidget* control) const
{
    const Settings& s = m.AppSettings;
    const QString reset = m.StatusResetText();
    // The status icons in FrameOptions tell what they stand for only while they are shown.
    const auto shown = [&](QLabel* icon, const QString& hint) {
        return HoverHint{icon->isVisibleTo(icon->parentWidget()) ? hint : reset, std::nullopt};
    };
    const auto path = [](const QString& file) { return ShortenPath(file, HintWholeBelow, HintTooLongText()); };

    if (control == FrameOptions)
        return {reset, true};
    if (control == lblTime)
        return {std::nullopt, false};
    if (control == cmdHideMessage || control == txtAlarm)
        return {reset, std::nullopt};
    if (control == Image1)
        return {QStringLiteral("Current time: ") + lblTime->text(), false};
    if (control == Image2)
        return {QStringLiteral("Change alarm settings"), false};
    if (control == imgOn || control == imgOff)
        return {lblOnOff->text(), false};
    if (control == imgSnooze) {
        return {QStringLiteral("Snooze is enabled and set for ") + QString::number(s.SnoozeTime) +
                    (s.SnoozeTime == 1 ? QStringLiteral(" minute.") : QStringLiteral(" minutes.")),
                false};
    }
    if (control == imgCD) {
        return shown(imgCD, QStringLiteral("Alarm will play CD in drive ") + s.CDDrive +
                                QStringLiteral(" starting on track ") + QString::number(s.CDStartTrack));
    }
    if (control == imgWave) {
        return shown(imgWave, (s.LoopSound != 0 ? QStringLiteral("Alarm will loop sound file: ")
                                                : QStringLiteral("Alarm will play sound file: ")) +
                                  path(s.AlarmSound));
    }
    if (control == imgMIDI)
        return shown(imgMIDI, QStringLiteral("Alarm will play MIDI file: ") + path(s.MidiSound));
    if (control == imgGradual) {
        return shown(imgGradual, QStringLiteral("Gradual wake-up enabled and set to reach full volume in ") +
                                     QString::number(s.GradVolumeMinutes) +
                                     (s.GradVolumeMinutes > 1 ? QStringLiteral(" minutes") : QStringLiteral(" minute")));
    }
    if (control == imgSleep) {
        return shown(imgSleep, s.SleepTime > 1 ? QStringLiteral("Sleep will play the CD for ") +
                                                     QString::number(s.SleepTime) + QStringLiteral(" minutes")
                                               : QStringLiteral("Sleep will play the CD for 1 minute"));
    }
    // The buttons, the labels, the status bar and the window itself.
    return {reset, false};
}

void frmMain::Control_MouseMove(QWidget* control)
{
    const HoverHint hint = HintOf(control);
    if (hint.text)
        SetStatusText(*hint.text);
    if (hint.border)
        SetFrameBorder(*hint.border);
}

void frmMain::SetFrameBorder(bool shown)
{
    const QFrame::Shape shape = shown ? QFrame::Box : QFrame::NoFrame;
    if (FrameOptions->frameShape() != shape)
        FrameOptions->setFrameShape(shape);
}

// The mouse entered or moved at `position` of `watched`: the innermost control of the table there gives the
// hint. The event may reach a control and then its parent; both find the same control.
void frmMain::HoverAt(QWidget* watched, const QPoint& position)
{
    QWidget* control = watched->childAt(position);
    if (control == nullptr)
        control = watched;
    const QList<QWidget*> controls = HoverControls();
    while (control != nullptr && !controls.contains(control))
        control = control->parentWidget();
    if (control != nullptr)
        Control_MouseMove(control);
}
