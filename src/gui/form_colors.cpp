#include "gui/form_colors.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace tessaly {

namespace {

void paintButtonFace(QWidget &widget, const QColor &face)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, face);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace

void SetFormBackColors(QWidget &window)
{
    const QColor face = QApplication::palette().color(QPalette::Button);
    paintButtonFace(window, face);
    for (QWidget *child : window.findChildren<QWidget *>()) {
        if (qobject_cast<QRadioButton *>(child) || qobject_cast<QCheckBox *>(child)
            || qobject_cast<QGroupBox *>(child) || qobject_cast<QLabel *>(child))
            paintButtonFace(*child, face);
    }
}

} // namespace tessaly
