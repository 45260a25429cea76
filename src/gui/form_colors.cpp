#include "gui/form_colors.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QRadioButton>
#include <QStyleOption>

namespace tessaly {

namespace {

void paintButtonFace(QWidget &widget, const QPalette &faced)
{
    widget.setPalette(faced);
    widget.setAutoFillBackground(true);
}

// Fusion with frames drawn as their outline only: the line where Fusion puts it
// (below the title, 3 pixels down from the top when there is none) and in
// Fusion's outline colour, with nothing painted inside.
class OutlineFrameStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element != PE_FrameGroupBox) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const int gap = 3;
        const auto *frame = qobject_cast<const QGroupBox *>(widget);
        const bool titled = !frame || frame->isCheckable() || !frame->title().isEmpty();
        const int top = titled
            ? qMax(pixelMetric(PM_ExclusiveIndicatorHeight, option, widget), option->fontMetrics.height()) + gap
            : gap;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(option->palette.color(QPalette::Window).darker(140));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(option->rect.adjusted(0, top, 0, 0)).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        painter->restore();
    }
};

} // namespace

QPalette designPalette()
{
    // Every role is set, so none falls back to the theme's.
    const QPalette light(QColor(0xf0, 0xf0, 0xf0), QColor(Qt::white));
    QPalette palette;
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = QPalette::ColorGroup(group);
            const auto r = QPalette::ColorRole(role);
            palette.setBrush(g, r, light.brush(g, r));
        }
    }
    return palette;
}

void SetFormBackColors(QWidget &window)
{
    // The window's own colours with the button face behind them, given to every
    // control: under a style sheet a control takes no colours from its window.
    QPalette faced = window.palette();
    faced.setColor(QPalette::Window, faced.color(QPalette::Button));
    paintButtonFace(window, faced);
    for (QWidget *child : window.findChildren<QWidget *>()) {
        if (qobject_cast<QRadioButton *>(child) || qobject_cast<QCheckBox *>(child)
            || qobject_cast<QGroupBox *>(child) || qobject_cast<QLabel *>(child))
            paintButtonFace(*child, faced);
        else
            child->setPalette(faced);
    }
}

void ShowBackgroundInsideFrames(QWidget &window)
{
    if (window.style()->name() != QLatin1String("fusion"))
        return;
    auto *style = new OutlineFrameStyle;
    style->setParent(&window);
    for (QGroupBox *frame : window.findChildren<QGroupBox *>())
        frame->setStyle(style);
}

OutcomeColors outcomeColors(const QPalette &palette)
{
    const QColor red(0xf8, 0xd7, 0xda), darkRed(0x58, 0x15, 0x1c);
    const QColor yellow(0xff, 0xf3, 0xcd), darkYellow(0x4d, 0x3a, 0x02);
    if (palette.color(QPalette::Base).lightness() < 128)
        return {darkRed, red, darkYellow, yellow};
    return {red, darkRed, yellow, darkYellow};
}

} // namespace tessaly
