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
    const int ellipsis = metrics.horizontalAdvance(QStringLiteral("…"));
    const int room = width - wordsWidth;
    if (quotedWidth == 0 || room < ellipsis * int(parts.size() / 2))
        return metrics.elidedText(text, Qt::ElideRight, width);
    QString shown;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString part = parts[i].toString();
        if (i % 2 == 0) {
            shown += part;
            continue;
        }
        const int share = int(qint64(room) * metrics.horizontalAdvance(part) / quotedWidth);
        shown += metrics.elidedText(part, Qt::ElideMiddle, std::max(share, ellipsis));
    }
    return shown;
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
