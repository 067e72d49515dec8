#include "main_window/StartupStyle.h"

#include <QIconEngine>
#include <QMenuBar>
#include <QPainter>

namespace {

// Asks the style for the picture the first time the picture is needed.
class LateIconEngine : public QIconEngine {
public:
    LateIconEngine(const QStyle* style, QStyle::StandardPixmap which) : style_(style), which_(which) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QIconEngine* clone() const override { return new LateIconEngine(style_, which_); }

private:
    const QIcon& icon()
    {
        if (icon_.isNull())
            icon_ = style_->standardIcon(which_);
        return icon_;
    }
    const QStyle* style_;
    QStyle::StandardPixmap which_;
    QIcon icon_;
};

}  // namespace

QIcon StartupStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option, const QWidget* widget) const
{
    if (standardIcon == SP_ToolBarHorizontalExtensionButton && qobject_cast<const QMenuBar*>(widget) != nullptr)
        return QIcon(new LateIconEngine(baseStyle(), standardIcon));
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}
