#pragma once
// Small pieces the settings dialog and the editors build their controls from: a widget named after its control
// (tests, accessibility and screenshots find it by that name), a picture, and a drive list that keeps the
// chosen drive.

#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QStringList>

#include <algorithm>

template <typename T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A picture of `size` pixels square; decorative unless it has a tool tip.
inline QLabel* PictureLabel(QWidget* parent, const char* name, const QIcon& icon, int size)
{
    auto* label = Named(new QLabel(parent), name);
    label->setPixmap(icon.pixmap(size, size));
    label->setFixedSize(size, size);
    return label;
}

// Fills a drive list with `drives` and selects `chosen` when it is one of them, else the first drive.
inline void FillDriveList(QComboBox* list, const QStringList& drives, const QString& chosen)
{
    list->clear();
    list->addItems(drives);
    const qsizetype index = drives.indexOf(chosen.toUpper());
    list->setCurrentIndex(drives.isEmpty() ? -1 : static_cast<int>(std::max<qsizetype>(index, 0)));
}
