#include "editors/frmPreset.h"

#include "core/Module1.h"
#include "core/TextRules.h"
#include "editors/FormParts.h"
#include "settings_dialog/frmOptions.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// What an undefined preset shows when it is chosen.
const QString NewPresetTime = QStringLiteral("7:00:00 AM");
}  // namespace

frmPreset::frmPreset(Module1& module, frmOptions* options)
    : QDialog(options), m(module), options_(options)
{
    setObjectName(QStringLiteral("frmPreset"));
    setWindowTitle(QStringLiteral("Edit preset alarm times"));
    setModal(true);

    Frame1 = Named(new QGroupBox(QStringLiteral("Choose preset to edit:"), this), "Frame1");
    opt1 = Named(new QRadioButton(QStringLiteral("1"), Frame1), "opt1");
    opt2 = Named(new QRadioButton(QStringLiteral("2"), Frame1), "opt2");
    opt3 = Named(new QRadioButton(QStringLiteral("3"), Frame1), "opt3");
    Label2 = Text(this, "Label2", QStringLiteral("Set alarm time to:"));
    cmbHour = TimeField(this, TimePart::Hour);
    lblColon1 = Text(this, "lblColon1", QStringLiteral(":"));
    cmbMinute = TimeField(this, TimePart::Minute);
    lblColon2 = Text(this, "lblColon2", QStringLiteral(":"));
    cmbSecond = TimeField(this, TimePart::Second);
    cmbAMPM = TimeField(this, TimePart::AmPm);
    Label1 = Text(this, "Label1", QStringLiteral("Description (50 characters max.):"));
    txtDesc = Named(new QPlainTextEdit(this), "txtDesc");
    txtDesc->setAccessibleName(Label1->text());
    txtDesc->setTabChangesFocus(true);
    const QMargins margins = txtDesc->contentsMargins();
    txtDesc->setFixedHeight(2 * txtDesc->fontMetrics().lineSpacing() + margins.top() + margins.bottom() +
                            2 * static_cast<int>(txtDesc->document()->documentMargin()));
    cmdOK = Named(new QPushButton(QStringLiteral("&OK"), this), "cmdOK");
    cmdOK->setDefault(true);

    auto* options_row = new QHBoxLayout(Frame1);
    for (QRadioButton* option : {opt1, opt2, opt3})
        options_row->addWidget(option);
    options_row->addStretch();
    auto* time = new QHBoxLayout;
    time->addWidget(cmbHour);
    time->addWidget(lblColon1);
    time->addWidget(cmbMinute);
    time->addWidget(lblColon2);
    time->addWidget(cmbSecond);
    time->addWidget(cmbAMPM);
    time->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Label2);
    layout->addLayout(time);
    layout->addWidget(Label1);
    layout->addWidget(txtDesc);
    layout->addLayout(buttons);
    setFixedSize(std::max(sizeHint().width(), 320), sizeHint().height());

    connect(opt1, &QRadioButton::clicked, this, [this] { opt1_Click(); });
    connect(opt2, &QRadioButton::clicked, this, [this] { opt2_Click(); });
    connect(opt3, &QRadioButton::clicked, this, [this] { opt3_Click(); });
    connect(txtDesc, &QPlainTextEdit::textChanged, this, [this] { txtDesc_Change(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    for (QWidget* watched : std::initializer_list<QWidget*>{cmbHour, cmbMinute, cmbSecond, cmbAMPM, txtDesc})
        watched->installEventFilter(this);

    Form_Load();
}

frmPreset::~frmPreset()
{
    // The fields go after this object: the focus they lose while they go must not reach its handlers.
    for (QWidget* watched : std::initializer_list<QWidget*>{cmbHour, cmbMinute, cmbSecond, cmbAMPM, txtDesc})
        watched->removeEventFilter(this);
    txtDesc->disconnect(this);
}

void frmPreset::Form_Load()
{
    txtDesc->setPlainText(m.AppSettings.Preset1Desc);
    SetTimeFields(m.AppSettings.Preset1);
}

void frmPreset::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    opt1->setFocus(Qt::TabFocusReason);
    opt1->setChecked(true);
    opt1_Click();
}

int frmPreset::SelectedPreset() const
{
    return opt1->isChecked() ? 1 : opt2->isChecked() ? 2 : opt3->isChecked() ? 3 : 0;
}

QString* frmPreset::PresetTime(int preset)
{
    Settings& s = m.AppSettings;
    return preset == 1 ? &s.Preset1 : preset == 2 ? &s.Preset2 : preset == 3 ? &s.Preset3 : nullptr;
}

QString* frmPreset::PresetDescription(int preset)
{
    Settings& s = m.AppSettings;
    return preset == 1 ? &s.Preset1Desc : preset == 2 ? &s.Preset2Desc : preset == 3 ? &s.Preset3Desc : nullptr;
}

void frmPreset::SetTimeFields(const QString& timeText)
{
    ShowTimeText(cmbHour, cmbMinute, cmbSecond, cmbAMPM, timeText);
}

void frmPreset::ShowPreset(int preset)
{
    txtDesc->setPlainText(*PresetDescription(preset));
    const QString& time = *PresetTime(preset);
    SetTimeFields(time.isEmpty() ? NewPresetTime : time);
    cmbHour->setFocus(Qt::OtherFocusReason);
}

void frmPreset::opt1_Click() { ShowPreset(1); }
void frmPreset::opt2_Click() { ShowPreset(2); }
void frmPreset::opt3_Click() { ShowPreset(3); }

void frmPreset::txtDesc_Change()
{
    const QString text = txtDesc->toPlainText();
    const auto excess = text.size() - DescriptionMaxLength;
    if (excess > 0) {
        // What went in beyond the limit, just before the cursor, comes out again (the edit runs this anew).
        QTextCursor cursor = txtDesc->textCursor();
        const auto end = cursor.position();
        const auto start = std::max<qsizetype>(0, end - excess);
        if (end - start < excess) {
            cursor.setPosition(DescriptionMaxLength);
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        } else {
            cursor.setPosition(static_cast<int>(start));
            cursor.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
        }
        cursor.removeSelectedText();
        return;
    }
    if (QString* description = PresetDescription(SelectedPreset()))
        *description = text;
}

void frmPreset::txtDesc_GotFocus() { txtDesc->selectAll(); }

void frmPreset::StoreTime()
{
    if (QString* time = PresetTime(SelectedPreset()))
        *time = JoinTimeFields({cmbHour->currentText(), cmbMinute->currentText(), cmbSecond->currentText(),
                                cmbAMPM->currentText()});
}

void frmPreset::cmbHour_LostFocus()
{
    cmbHour->setEditText(CorrectHour(cmbHour->currentText()));
    StoreTime();
}

void frmPreset::cmbMinute_LostFocus()
{
    cmbMinute->setEditText(CorrectMinuteSecond(cmbMinute->currentText()));
    StoreTime();
}

void frmPreset::cmbSecond_LostFocus()
{
    cmbSecond->setEditText(CorrectMinuteSecond(cmbSecond->currentText()));
    StoreTime();
}

void frmPreset::cmbAMPM_LostFocus()
{
    cmbAMPM->setEditText(CorrectAmPm(cmbAMPM->currentText(), AmPmEntry::Whole));
    StoreTime();
}

void frmPreset::cmdOK_Click()
{
    // Every field is checked and stored, so the time on screen is the preset's even when nothing was changed.
    cmbHour_LostFocus();
    cmbMinute_LostFocus();
    cmbSecond_LostFocus();
    cmbAMPM_LostFocus();
    if (options_)
        options_->ShowPresets();
    accept();
}

bool frmPreset::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtDesc) {
        if (event->type() == QEvent::FocusIn) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                txtDesc_GotFocus();
        } else if (event->type() == QEvent::KeyPress) {
            // Enter presses the default button; Ctrl+Enter starts a new line.
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                if (key->modifiers() & Qt::ControlModifier)
                    txtDesc->insertPlainText(QStringLiteral("\n"));
                else
                    cmdOK->click();
                return true;
            }
        }
        return false;
    }
    if (LeavesField(event)) {
        if (watched == cmbHour)
            cmbHour_LostFocus();
        else if (watched == cmbMinute)
            cmbMinute_LostFocus();
        else if (watched == cmbSecond)
            cmbSecond_LostFocus();
        else if (watched == cmbAMPM)
            cmbAMPM_LostFocus();
    }
    return false;
}
