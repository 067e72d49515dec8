#include "editors/frmAlarmMessage.h"

#include "core/Module1.h"
#include "main_window/frmMain.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString EraseCaption = QStringLiteral("&Erase message");
const QString UndoCaption = QStringLiteral("&Undo erase");
}  // namespace

frmAlarmMessage::frmAlarmMessage(Module1& module, frmMain& mainForm, QWidget* parent)
    : QDialog(parent), m(module), main_(mainForm)
{
    setObjectName(QStringLiteral("frmAlarmMessage"));
    setWindowTitle(QStringLiteral("Edit alarm message"));
    setModal(true);

    txtMessage = new QPlainTextEdit(this);
    txtMessage->setObjectName(QStringLiteral("txtMessage"));
    txtMessage->setAccessibleName(QStringLiteral("Alarm message"));
    txtMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtMessage->setTabChangesFocus(true);  // Tab leaves the text for the buttons
    txtMessage->setMinimumSize(320, 140);
    txtMessage->installEventFilter(this);

    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);  // Enter in the text starts a new line
        return b;
    };
    cmdSave = button("cmdSave", QStringLiteral("&Save message"));
    cmdErase = button("cmdErase", EraseCaption);
    cmdCancel = button("cmdCancel", QStringLiteral("&Cancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdErase);
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtMessage, 1);
    layout->addLayout(buttons);

    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdErase, &QPushButton::clicked, this, [this] { cmdErase_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    Form_Load();
}

void frmAlarmMessage::Form_Load() { txtMessage->setPlainText(main_.txtAlarm->toPlainText()); }

void frmAlarmMessage::cmdSave_Click()
{
    main_.txtAlarm->setPlainText(txtMessage->toPlainText());
    m.HasAlarmMessage = 1;
    accept();
}

void frmAlarmMessage::cmdCancel_Click() { reject(); }

void frmAlarmMessage::cmdErase_Click()
{
    if (cmdErase->text() == EraseCaption) {
        ErasedMessage = txtMessage->toPlainText();
        txtMessage->clear();
        cmdErase->setText(UndoCaption);
    } else {
        txtMessage->setPlainText(ErasedMessage);
        cmdErase->setText(EraseCaption);
    }
}

void frmAlarmMessage::txtMessage_KeyDown()
{
    if (cmdErase->text() != EraseCaption)
        cmdErase->setText(EraseCaption);
}

// A key typed into the message ends the chance to undo an erase. Modifier keys alone and the keys that move
// the focus type nothing: Alt on its way to "&Undo erase" (Alt+U) must not take the undo away.
bool frmAlarmMessage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtMessage && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Tab:
        case Qt::Key_Backtab: break;
        default: txtMessage_KeyDown(); break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
