#include "gui/fitted_message_box.h"

#include "gui/window_frame.h"

#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace tessaly {

void FittedMessageBox::showEvent(QShowEvent *event)
{
    const QScreen *shownOn = screen();
    if (shownOn)
        keepLinesWhole(shownOn->availableGeometry().width() * 9 / 10);
    QMessageBox::showEvent(event); // sizes the box to its whole text
    if (!shownOn)
        return;
    const QRect available = shownOn->availableGeometry();
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
