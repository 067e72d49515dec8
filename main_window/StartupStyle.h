#pragma once
// The application's style, as the desktop chose it, with one picture loaded late: the menu bar's overflow button,
// which shows only on a window too narrow for its menus, takes its picture from a PNG, and the first PNG a Qt
// program reads loads every image plugin (about 5 ms of start-up). It is read when the button is first drawn.

#include <QProxyStyle>

class StartupStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};
