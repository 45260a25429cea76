#include "gui/outcome_delegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>

#include <algorithm>

namespace tessaly {

namespace {

// The text in turns outside and inside double quotes, starting outside; an
// unpaired quote leaves the rest outside.
QList<QStringView> quoteParts(QStringView text)
{
    QList<QStringView> parts;
    qsizetype from = 0, next = 0;
    for (;;) {
        const qsizetype open = text.indexOf(u'"', next);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'"', open + 1);
        if (close < 0) {
            parts << text.sliced(from);
            return parts;
        }
        parts << text.sliced(from, open + 1 - from) << text.sliced(open + 1, close - open - 1);
        from = close;  // the closing quote goes with the words after it
        next = close + 1;
    }
}

} // namespace

QString OutcomeDelegate::fitted(const QString &text, const QFontMetrics &metrics, int width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QList<QStringView> parts = quoteParts(text);
    int wordsWidth = 0, quotedWidth = 0;
    for (qsizetype i = 0; i < parts.size(); ++i)
        (i % 2 ? quotedWidth : wordsWidth) += metrics.horizontalAdvance(parts[i].toString());
    const QString ellipsis = QStringLiteral("…");
    const int ellipsisWidth = metrics.horizontalAdvance(ellipsis);
    const int room = width - wordsWidth;
    // Too narrow for the words with even the least of each path: the paths go
    // first, then the words from the end.
    const bool pathsOut = room < ellipsisWidth * int(parts.size() / 2);
    QString shown;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString part = parts[i].toString();
        if (i % 2 == 0)
            shown += part;
        else if (pathsOut)
            shown += ellipsis;
        else
            shown += metrics.elidedText(part, Qt::ElideMiddle,
                                        std::max(int(qint64(room) * metrics.horizontalAdvance(part) / quotedWidth),
                                                 ellipsisWidth));
    }
    return pathsOut ? metrics.elidedText(shown, Qt::ElideRight, width) : shown;
}

void OutcomeDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // The room the style leaves for the text: the cell less a margin on each side.
    const QWidget *widget = option->widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    option->text = fitted(option->text, option->fontMetrics, option->rect.width() - 2 * margin);
}

} // namespace tessaly
