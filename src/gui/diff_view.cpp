#include "gui/diff_view.h"

#include "engine/unified_diff_format.h"

#include <QFontDatabase>
#include <QPainter>
#include <QSyntaxHighlighter>
#include <QTextBlock>

namespace tessaly {

namespace {

using LineStyle = DiffView::LineStyle;

// Lines longer than this are shown in pieces around their changed parts, each piece
// on a line of its own: laying out one line of a megabyte (a page written on a
// single line) would take the text view seconds.
constexpr qsizetype kLongLine = 1000;
constexpr qsizetype kAround = 40;

struct Piece {
    qsizetype start, end;
};

std::vector<Piece> piecesOf(qsizetype length, const QList<CharRange> &changed)
{
    if (length <= kLongLine)
        return {{0, length}};
    if (changed.isEmpty())
        return {{0, kLongLine}};
    std::vector<Piece> pieces;
    for (const CharRange &range : changed) {
        const qsizetype start = std::max<qsizetype>(0, range.start - kAround);
        const qsizetype end = std::min(length, range.start + range.length + kAround);
        if (!pieces.empty() && start <= pieces.back().end)
            pieces.back().end = end;
        else
            pieces.push_back({start, end});
    }
    // A long changed part is cut into pieces of its own as well.
    std::vector<Piece> cut;
    for (const Piece &piece : pieces)
        for (qsizetype start = piece.start; start < piece.end; start += kLongLine)
            cut.push_back({start, std::min(piece.end, start + kLongLine)});
    return cut;
}

struct StyleColours {
    QColor line;        // the whole width of the line
    QColor changed;     // behind the replaced parts
};

StyleColours coloursOf(LineStyle style)
{
    switch (style) {
    case LineStyle::Removed:
        return {QColor(0xff, 0xeb, 0xe9), QColor(0xff, 0xb3, 0xad)};
    case LineStyle::Added:
        return {QColor(0xe6, 0xff, 0xec), QColor(0x9c, 0xeb, 0xb0)};
    case LineStyle::HunkHeader:
        return {QColor(0xdd, 0xf4, 0xff), {}};
    case LineStyle::Note:
    case LineStyle::Context:
        break;
    }
    return {};
}

// Gives each block the character formats of its line: the colours behind a
// whole line come from DiffView::paintEvent, which can fill the full width.
class DiffHighlighter : public QSyntaxHighlighter {
public:
    DiffHighlighter(QTextDocument *document, const std::vector<DiffView::ShownLine> &lines)
        : QSyntaxHighlighter(document), m_lines(lines)
    {
        m_note.setForeground(QColor(0x6e, 0x77, 0x81));
        m_note.setFontItalic(true);
        m_header.setForeground(QColor(0x1f, 0x4e, 0x8c));
        m_line.setForeground(QColor(0x1f, 0x23, 0x28));
    }

protected:
    void highlightBlock(const QString &text) override
    {
        const int number = currentBlock().blockNumber();
        if (number >= int(m_lines.size()))
            return;
        const DiffView::ShownLine &line = m_lines[number];
        switch (line.style) {
        case LineStyle::Note:
            setFormat(0, int(text.size()), m_note);
            return;
        case LineStyle::HunkHeader:
            setFormat(0, int(text.size()), m_header);
            return;
        case LineStyle::Context:
            return;
        case LineStyle::Removed:
        case LineStyle::Added:
            break;
        }
        setFormat(0, int(text.size()), m_line);
        QTextCharFormat changed = m_line;
        changed.setBackground(coloursOf(line.style).changed);
        changed.setFontWeight(QFont::Bold);
        for (const CharRange &range : line.changed)
            setFormat(int(range.start), int(range.length), changed);
    }

private:
    const std::vector<DiffView::ShownLine> &m_lines;
    QTextCharFormat m_note, m_header, m_line;
};

} // namespace

DiffView::DiffView(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    new DiffHighlighter(document(), m_lines);
}

void DiffView::showDiff(const QList<DiffHunk> &hunks)
{
    std::vector<ShownLine> lines;
    QString text;
    const auto add = [&](LineStyle style, QStringView shown, QList<CharRange> changed = {}) {
        if (!lines.empty())
            text += u'\n';
        text += shown;
        lines.push_back({style, std::move(changed)});
    };
    for (const DiffHunk &hunk : hunks) {
        add(LineStyle::HunkHeader, hunkHeader(hunk));
        for (const DiffLine &line : hunk.lines) {
            static const QChar marks[] = {u' ', u'-', u'+'};
            static const LineStyle styles[] = {LineStyle::Context, LineStyle::Removed, LineStyle::Added};
            const QStringView content = QStringView(line.text).left(line.lengthWithoutLineEnd());
            auto range = line.changed.cbegin();
            for (const Piece &piece : piecesOf(content.size(), line.changed)) {
                QString shown = marks[int(line.kind)];
                if (piece.start > 0)
                    shown += u'…';
                const qsizetype offset = shown.size() - piece.start;
                shown += content.mid(piece.start, piece.end - piece.start);
                if (piece.end < content.size())
                    shown += u'…';
                QList<CharRange> changed;
                for (; range != line.changed.cend() && range->start < piece.end; ++range) {
                    const qsizetype from = std::max(range->start, piece.start);
                    const qsizetype to = std::min(range->start + range->length, piece.end);
                    if (to > from)
                        changed.append({from + offset, to - from});
                    if (range->start + range->length > piece.end)
                        break;   // goes on in the next piece
                }
                add(styles[int(line.kind)], shown, std::move(changed));
            }
            if (!line.hasLineEnd())
                add(LineStyle::Note, u"\\ No newline at end of file");
        }
    }
    m_lines = std::move(lines);
    setPlainText(text);
}

void DiffView::showMessage(const QString &text)
{
    m_lines = {ShownLine{}};
    setPlainText(text);
}

void DiffView::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(viewport());
        const QPointF offset = contentOffset();
        for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
            const QRectF bounds = blockBoundingGeometry(block).translated(offset);
            if (bounds.top() > event->rect().bottom())
                break;
            const std::size_t number = std::size_t(block.blockNumber());
            const QColor colour = number < m_lines.size() ? coloursOf(m_lines[number].style).line : QColor();
            if (colour.isValid())
                painter.fillRect(QRectF(0, bounds.top(), viewport()->width(), bounds.height()), colour);
        }
    }
    QPlainTextEdit::paintEvent(event);
}

} // namespace tessaly
