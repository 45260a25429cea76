#include "gui/fitted_message_box.h"

#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

namespace tessaly {

void FittedMessageBox::showEvent(QShowEvent *event)
{
    QMessageBox::showEvent(event); // sizes the box to its whole text
    const QScreen *shownOn = screen();
    if (!shownOn)
        return;
    const QRect available = shownOn->availableGeometry();
    // The window manager adds a title bar and borders around the box.
    const int decoration = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this)
        + 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int room = available.height() - decoration;
    if (height() <= room)
        return;
    scrollTextWithin(room);
    move(x(), available.top() + (available.height() - height()) / 2);
}

void FittedMessageBox::scrollTextWithin(int height)
{
    // The box's own text label moves into a scrolling area in the same place of
    // the layout, so the wording stays exactly as it was.
    auto *label = findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (!label || !layout())
        return;
    auto *area = new QScrollArea(this);
    area->setObjectName(QStringLiteral("BoxTextArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    delete layout()->replaceWidget(label, area);
    area->setWidget(label);
    setFixedSize(width() + area->verticalScrollBar()->sizeHint().width(), height);
}

} // namespace tessaly
