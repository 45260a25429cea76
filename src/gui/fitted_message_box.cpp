#include "gui/fitted_message_box.h"

#include "gui/window_frame.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace tessaly {

const QScreen *FittedMessageBox::shownOn() const
{
    // The box shows over its window, so it fits that window's screen (its own is
    // not yet known where the desktop has several).
    return parentWidget() ? parentWidget()->screen() : screen();
}

bool FittedMessageBox::event(QEvent *event)
{
    const bool handled = QMessageBox::event(event);
    // Qt sizes the box again, to its own cap, at each layout request (one
    // follows the showing on X11).
    if (event->type() == QEvent::LayoutRequest && isVisible())
        if (const QScreen *screen = shownOn())
            growToItsText(screen->availableGeometry());
    return handled;
}

void FittedMessageBox::showEvent(QShowEvent *event)
{
    const QScreen *shownOn = this->shownOn();
    if (shownOn)
        keepLinesWhole(shownOn->availableGeometry().width() * 9 / 10);
    QMessageBox::showEvent(event); // sizes the box to its whole text
    if (!shownOn)
        return;
    const QRect available = shownOn->availableGeometry();
    growToItsText(available);
    const int room = available.height() - boxFrameHeight(*this);
    if (height() <= room)
        return;
    scrollTextWithin(room);
    move(x(), available.top() + (available.height() - height()) / 2);
}

void FittedMessageBox::keepLinesWhole(int widest)
{
    // Qt wraps a box's text at half the screen's width, and may break a line at
    // a "/" inside an address or a path. A line that fits on the screen is shown
    // whole instead, so addresses and paths read as they are written.
    auto *label = findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (!label)
        return;
    const QFontMetrics metrics(label->font());
    int longest = 0;
    for (const QString &line : label->text().split(QLatin1Char('\n')))
        longest = std::max(longest, metrics.horizontalAdvance(line));
    label->setMinimumWidth(std::min(longest + 1, widest));
}

void FittedMessageBox::growToItsText(const QRect &available)
{
    // Qt caps a box's width well below a wide screen's (800 px on a 1280 px
    // screen), whatever width its lines were kept whole at: the text would be cut
    // off at the box's edge. The box takes its layout's width instead, within the
    // screen, and the height that width needs.
    if (!layout())
        return;
    const int needed = std::min(layout()->totalMinimumSize().width(), available.width() - kWindowFrame.width());
    if (needed <= width())
        return;
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(needed)
                                                     : layout()->totalSizeHint().height();
    setFixedSize(needed, std::max(height, this->height()));
    move(available.left() + (available.width() - needed) / 2, y());
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
