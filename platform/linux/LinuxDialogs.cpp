// Modal display through Qt: message boxes built from a style number, the file and colour choosers, forms and
// popup menus. Each runs its own event loop, so the program's timers go on while it is open.

#include "platform/linux/LinuxPlatform.h"

#include "platform/units.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Answers of a message box.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct BoxButton {
    QMessageBox::StandardButton button;
    int answer;
};

struct ButtonSet {
    std::vector<BoxButton> buttons;
    int escapeAnswer;  // what closing the box (Esc, the title bar) answers; 0: it cannot be closed that way
};

// The low four bits of the style choose the buttons.
ButtonSet buttonSet(int style)
{
    switch (style & 0x0F) {
    case 1:
        return {{{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}, IDCANCEL};
    case 2:
        return {{{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}}, 0};
    case 3:
        return {{{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}}, IDCANCEL};
    case 4:
        return {{{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}, IDNO};
    case 5:
        return {{{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}, IDCANCEL};
    default:
        return {{{QMessageBox::Ok, IDOK}}, IDOK};
    }
}

// The next four bits choose the icon.
QMessageBox::Icon boxIcon(int style)
{
    switch (style & 0xF0) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QWidget* ownerOrActive(QWidget* owner)
{
    return owner ? owner : QApplication::activeWindow();
}

// Qt name filters from pairs of description and patterns ("Sounds (*.wav)", "*.wav", "Playlists", "*.dbp;*.txt").
// The patterns go into the trailing parentheses Qt reads; the dialog shows the description alone.
QStringList nameFilters(const QStringList& pairs)
{
    QStringList filters;
    for (qsizetype i = 0; i < pairs.size(); i += 2) {
        const QString patterns = i + 1 < pairs.size() ? pairs.at(i + 1) : u"*"_s;
        QStringList parts = patterns.split(u';', Qt::SkipEmptyParts);
        for (QString& part : parts)
            part = part.trimmed();
        parts.removeAll(QString());
        filters.append(pairs.at(i) + u" ("_s + (parts.isEmpty() ? u"*"_s : parts.join(u' ')) + u')');
    }
    return filters;
}

QString runFileDialog(QWidget* owner, QFileDialog::AcceptMode mode, const QString& title,
                      const QStringList& filters, int filterIndex, const QString& initialDir,
                      const QString& defaultExtension, QString& lastFolder)
{
    QFileDialog dialog(ownerOrActive(owner), title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList qtFilters = nameFilters(filters);
    if (!qtFilters.isEmpty()) {
        dialog.setNameFilters(qtFilters);
        if (filterIndex >= 1 && filterIndex <= qtFilters.size())
            dialog.selectNameFilter(qtFilters.at(filterIndex - 1));
    }
    // Without a folder of its own the chooser opens where the user chose last, at first the home folder.
    QString folder = initialDir;
    if (!QFileInfo(folder).isDir())
        folder = QFileInfo(lastFolder).isDir() ? lastFolder : QDir::homePath();
    dialog.setDirectory(folder);
    if (!defaultExtension.isEmpty())
        dialog.setDefaultSuffix(defaultExtension);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QString chosen = dialog.selectedFiles().value(0);
    if (!chosen.isEmpty())
        lastFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

}  // namespace

int LinuxPlatform::messageBox(const QString& text, int style, const QString& title)
{
    QMessageBox box(ownerOrActive(nullptr));
    box.setWindowTitle(title.isEmpty() ? u"Dawnbell"_s : title);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(boxIcon(style));

    const ButtonSet set = buttonSet(style);
    std::vector<std::pair<QPushButton*, int>> answers;
    for (const BoxButton& entry : set.buttons)
        answers.emplace_back(box.addButton(entry.button), entry.answer);
    // Bits 8 and 9 pick the default button (the first unless they say otherwise).
    const std::size_t defaultIndex = static_cast<std::size_t>((style >> 8) & 0x3);
    box.setDefaultButton(answers.at(defaultIndex < answers.size() ? defaultIndex : 0).first);
    for (const auto& [button, answer] : answers) {
        if (answer == set.escapeAnswer)
            box.setEscapeButton(button);
    }

    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, answer] : answers) {
        if (button == clicked)
            return answer;
    }
    return set.escapeAnswer != 0 ? set.escapeAnswer : answers.front().second;
}

QString LinuxPlatform::getOpenFileName(QWidget* owner, const QString& title, const QStringList& filters,
                                       int filterIndex, const QString& initialDir)
{
    return runFileDialog(owner, QFileDialog::AcceptOpen, title, filters, filterIndex, initialDir, QString(),
                         lastFileFolder_);
}

QString LinuxPlatform::getSaveFileName(QWidget* owner, const QString& title, const QStringList& filters,
                                       int filterIndex, const QString& initialDir,
                                       const QString& defaultExtension)
{
    return runFileDialog(owner, QFileDialog::AcceptSave, title, filters, filterIndex, initialDir, defaultExtension,
                         lastFileFolder_);
}

bool LinuxPlatform::chooseColor(QWidget* owner, uint32_t& color, std::array<uint32_t, 16>& customColors)
{
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, ColorFromBGR(customColors[static_cast<std::size_t>(i)]));
    QColorDialog dialog(ColorFromBGR(color), ownerOrActive(owner));
    const bool chosen = dialog.exec() == QDialog::Accepted && dialog.selectedColor().isValid();
    // The user may have changed the custom colours even when cancelling.
    for (int i = 0; i < 16; ++i)
        customColors[static_cast<std::size_t>(i)] = BGRFromColor(QColorDialog::customColor(i));
    if (chosen)
        color = BGRFromColor(dialog.selectedColor());
    return chosen;
}

int LinuxPlatform::showModal(QDialog& form)
{
    return form.exec();
}

void LinuxPlatform::showPopupMenu(QMenu& menu, QAction* defaultItem)
{
    if (defaultItem)
        menu.setDefaultAction(defaultItem);
    menu.exec(QCursor::pos());
}

void LinuxPlatform::doEvents()
{
    QCoreApplication::processEvents();
}
