#include "gui/diff_line_delegate.h"

#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace tessaly {

namespace {

using LineStyle = DiffView::LineStyle;

constexpr int kTabWidth = 8;
constexpr int kMargin = 4;   // either side of the text

struct StyleColours {
    QColor line;        // the whole width of the line
    QColor changed;     // behind the replaced parts
    QColor text;        // invalid: the palette's
};

StyleColours coloursOf(LineStyle style)
{
    switch (style) {
    case LineStyle::Removed:
        return {QColor(0xff, 0xeb, 0xe9), QColor(0xff, 0xb3, 0xad), QColor(0x1f, 0x23, 0x28)};
    case LineStyle::Added:
        return {QColor(0xe6, 0xff, 0xec), QColor(0x9c, 0xeb, 0xb0), QColor(0x1f, 0x23, 0x28)};
    case LineStyle::HunkHeader:
        return {QColor(0xdd, 0xf4, 0xff), {}, QColor(0x1f, 0x4e, 0x8c)};
    case LineStyle::Note:
        return {{}, {}, QColor(0x6e, 0x77, 0x81)};
    case LineStyle::Context:
        break;
    }
    return {};
}

// A line laid out in columns: each tab becomes the spaces up to its stop, and the
// changed parts move with the text.
struct InColumns {
    QString text;
    QList<CharRange> changed;
};

InColumns inColumns(const DiffView::ShownLine &line)
{
    if (!line.text.contains(u'\t'))
        return {line.text, line.changed};
    InColumns laid;
    std::vector<qsizetype> columnAt(std::size_t(line.text.size()) + 1);
    for (qsizetype i = 0; i < line.text.size(); ++i) {
        columnAt[std::size_t(i)] = laid.text.size();
        if (line.text[i] == u'\t')
            laid.text += QString(kTabWidth - laid.text.size() % kTabWidth, u' ');
        else
            laid.text += line.text[i];
    }
    columnAt.back() = laid.text.size();
    for (const CharRange &range : line.changed) {
        const qsizetype start = columnAt[std::size_t(range.start)];
        laid.changed.append({start, columnAt[std::size_t(range.start + range.length)] - start});
    }
    return laid;
}

} // namespace

DiffLineDelegate::DiffLineDelegate(const std::vector<DiffView::ShownLine> &lines, DiffView *view)
    : QStyledItemDelegate(view), m_lines(lines), m_view(view)
{
}

qsizetype DiffLineDelegate::columnsOf(QStringView text)
{
    qsizetype columns = 0;
    for (const QChar c : text)
        columns += c == u'\t' ? kTabWidth - columns % kTabWidth : 1;
    return columns;
}

int DiffLineDelegate::xOf(QStringView text, qsizetype position, const QFont &font)
{
    return int(kMargin + columnsOf(text.left(position)) * QFontMetricsF(font).horizontalAdvance(u' '));
}

void DiffLineDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const DiffView::ShownLine &line = m_lines[std::size_t(index.row())];
    const StyleColours colours = coloursOf(line.style);
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    const QRect &rect = option.rect;
    const int viewWidth = m_view->viewport()->width();

    // The background reaches the right edge of the view even past the widest line.
    const QRect across(rect.left(), rect.top(), std::max(rect.width(), viewWidth - rect.left()), rect.height());
    if (selected)
        painter->fillRect(across, option.palette.brush(group, QPalette::Highlight));
    else if (colours.line.isValid())
        painter->fillRect(across, colours.line);

    const InColumns shown = inColumns(line);
    const QFontMetricsF metrics(option.font);
    const qreal advance = metrics.horizontalAdvance(u' ');
    const qreal left = rect.left() + kMargin;
    // The columns in sight, with one more either side for glyphs that overhang.
    qsizetype first = std::max<qsizetype>(0, qsizetype(-left / advance) - 1);
    qsizetype end = std::min(shown.text.size(), qsizetype((viewWidth - left) / advance) + 2);
    if (first >= end)
        return;
    if (first > 0 && shown.text[first].isLowSurrogate())
        --first;
    if (end < shown.text.size() && shown.text[end].isLowSurrogate())
        ++end;

    QFont plain = option.font;
    plain.setItalic(line.style == LineStyle::Note);
    QFont bold = plain;
    bold.setBold(true);
    const qreal baseline = rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent();
    painter->save();
    painter->setPen(selected ? option.palette.color(group, QPalette::HighlightedText)
                    : colours.text.isValid() ? colours.text
                                             : option.palette.color(group, QPalette::Text));
    const auto drawRun = [&](qsizetype from, qsizetype to, bool changed) {
        from = std::max(from, first);
        to = std::min(to, end);
        if (from >= to)
            return;
        const qreal x = left + from * advance;
        if (changed && !selected)
            painter->fillRect(QRectF(x, rect.top(), (to - from) * advance, rect.height()), colours.changed);
        painter->setFont(changed ? bold : plain);
        painter->drawText(QPointF(x, baseline), shown.text.mid(from, to - from));
    };
    qsizetype at = first;
    for (const CharRange &range : shown.changed) {
        drawRun(at, range.start, false);
        drawRun(range.start, range.start + range.length, true);
        at = std::max(at, range.start + range.length);
    }
    drawRun(at, end, false);
    painter->restore();
}

QSize DiffLineDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const QFontMetricsF metrics(option.font);
    return {int(std::ceil(2 * kMargin + m_columns * metrics.horizontalAdvance(u' '))),
            int(std::ceil(metrics.lineSpacing()))};
}

} // namespace tessaly
