#pragma once
// Small pieces the settings dialog and the editors build their controls from: a widget named after its control
// (tests, accessibility and screenshots find it by that name), labels, buttons, lists of numbers, the editable
// fields with a list, a picture, and a drive list that keeps the chosen drive.

#include "core/TextRules.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

#include <algorithm>
#include <utility>

template <typename T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

inline QStringList Numbers(int from, int to)
{
    QStringList items;
    for (int n = from; n <= to; ++n)
        items << QString::number(n);
    return items;
}

inline QStringList TwoDigitNumbers(int from, int to)
{
    QStringList items;
    for (int n = from; n <= to; ++n)
        items << QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    return items;
}

inline QLabel* Text(QWidget* parent, const char* name, const QString& text, bool wrap = false)
{
    auto* label = Named(new QLabel(text, parent), name);
    label->setWordWrap(wrap);
    return label;
}

// A button that Enter does not press unless it is the form's default button.
inline QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& tip = {})
{
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    if (!tip.isEmpty())
        button->setToolTip(tip);
    return button;
}

// A combo box with its list; an editable one takes any text, which its handlers correct.
inline QComboBox* Combo(QWidget* parent, const char* name, const QStringList& items, bool editable, int width)
{
    auto* combo = Named(new QComboBox(parent), name);
    combo->setEditable(editable);
    if (editable) {
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);  // a typed "3" stays 3, not the list's "30"
    }
    combo->addItems(items);
    combo->setFixedWidth(width);
    return combo;
}

// The four alarm-time fields of the settings dialog and the preset editor: editable, with their lists, named
// cmbHour, cmbMinute, cmbSecond and cmbAMPM.
enum class TimePart { Hour, Minute, Second, AmPm };
inline QComboBox* TimeField(QWidget* parent, TimePart part)
{
    switch (part) {
    case TimePart::Hour: {
        QComboBox* field = Combo(parent, "cmbHour", Numbers(1, 12), true, 56);
        field->setAccessibleName(QStringLiteral("Hour"));
        return field;
    }
    case TimePart::Minute: {
        QComboBox* field = Combo(parent, "cmbMinute", TwoDigitNumbers(0, 59), true, 56);
        field->setAccessibleName(QStringLiteral("Minute"));
        return field;
    }
    case TimePart::Second: {
        QComboBox* field = Combo(parent, "cmbSecond", {QStringLiteral("00"), QStringLiteral("15"), QStringLiteral("30"),
                                                       QStringLiteral("45")},
                                 true, 56);
        field->setAccessibleName(QStringLiteral("Second"));
        return field;
    }
    case TimePart::AmPm:
        break;
    }
    QComboBox* field = Combo(parent, "cmbAMPM", {QStringLiteral("AM"), QStringLiteral("PM")}, true, 60);
    field->setAccessibleName(QStringLiteral("AM or PM"));
    return field;
}

// Shows a clock text such as "7:45:00 AM" in the four time fields.
inline void ShowTimeText(QComboBox* hour, QComboBox* minute, QComboBox* second, QComboBox* ampm, const QString& text)
{
    const TimeFields fields = SplitTimeText(text);
    hour->setEditText(fields.hour);
    minute->setEditText(fields.minute);
    second->setEditText(fields.second);
    ampm->setEditText(fields.ampm);
}

// A field left for another control of the same window: a list that drops down or another window in front
// takes no focus from it.
inline bool LeavesField(const QEvent* event)
{
    if (event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

// A picture that is drawn when it is first shown: a form's hidden pictures (status icons, pages not yet opened)
// cost nothing while it starts, and an SVG with text in it loads its font only when it is seen. Given a file, the
// picture is not even read before then.
class PictureLabelWidget : public QLabel {
public:
    PictureLabelWidget(QWidget* parent, QIcon icon, QString file, int size)
        : QLabel(parent), icon_(std::move(icon)), file_(std::move(file)), size_(size)
    {
        setFixedSize(size, size);
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        if (!icon_.isNull() || !file_.isEmpty()) {
            setPixmap((file_.isEmpty() ? icon_ : QIcon(file_)).pixmap(size_, size_));
            icon_ = QIcon();
            file_.clear();
        }
        QLabel::showEvent(event);
    }

private:
    QIcon icon_;
    QString file_;
    int size_;
};

// A picture of `size` pixels square, from an icon or an icon file; decorative unless it has a tool tip.
inline QLabel* PictureLabel(QWidget* parent, const char* name, const QIcon& icon, int size)
{
    return Named(new PictureLabelWidget(parent, icon, QString(), size), name);
}
inline QLabel* PictureLabel(QWidget* parent, const char* name, const QString& iconFile, int size)
{
    return Named(new PictureLabelWidget(parent, QIcon(), iconFile, size), name);
}

// Fills a drive list with `drives` and selects `chosen` when it is one of them, else the first drive.
inline void FillDriveList(QComboBox* list, const QStringList& drives, const QString& chosen)
{
    list->clear();
    list->addItems(drives);
    const qsizetype index = drives.indexOf(chosen.toUpper());
    list->setCurrentIndex(drives.isEmpty() ? -1 : static_cast<int>(std::max<qsizetype>(index, 0)));
}
