#include "gui/diff_view.h"

#include "engine/unified_diff_format.h"
#include "gui/diff_line_delegate.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace tessaly {

// The shown lines as a list model; the delegate paints them from the lines
// themselves, the text is there for copying, searching and accessibility.
class DiffView::LineModel : public QAbstractListModel {
public:
    LineModel(std::vector<ShownLine> &lines, QObject *parent) : QAbstractListModel(parent), m_lines(lines) {}

    void replace(std::vector<ShownLine> lines)
    {
        beginResetModel();
        m_lines = std::move(lines);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(m_lines.size()); }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return m_lines[std::size_t(index.row())].text;
    }

private:
    std::vector<ShownLine> &m_lines;
};

DiffView::DiffView(QWidget *parent) : QListView(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Every line as high as the first and as wide as the widest: only the lines in
    // sight are ever measured or painted, however long the diff.
    setUniformItemSizes(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model = new LineModel(m_lines, this);
    m_delegate = new DiffLineDelegate(m_lines, this);
    setItemDelegate(m_delegate);
    setModel(m_model);
}

void DiffView::updateGeometries()
{
    QListView::updateGeometries();
    // The list would step by a whole item, which here is the widest line.
    horizontalScrollBar()->setSingleStep(2 * fontMetrics().horizontalAdvance(u' '));
}

void DiffView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QListView::currentChanged(current, previous);
    if (!current.isValid())
        return;
    // The changes of a long line may lie far to the right: the first comes into sight.
    const ShownLine &line = m_lines[std::size_t(current.row())];
    if (line.changed.isEmpty())
        return;
    const CharRange &first = line.changed.first();
    const int start = DiffLineDelegate::xOf(line.text, first.start, font());
    const int end = DiffLineDelegate::xOf(line.text, first.start + first.length, font());
    QScrollBar *across = horizontalScrollBar();
    if (start < across->value() || end > across->value() + viewport()->width())
        across->setValue(start - viewport()->width() / 4);
}

void DiffView::keyPressEvent(QKeyEvent *event)
{
    // All the selected lines rather than the list's usual current line alone.
    if (event->matches(QKeySequence::Copy)) {
        if (selectionModel()->hasSelection())
            QGuiApplication::clipboard()->setText(selectedText());
        event->accept();
        return;
    }
    // Left and Right scroll, as in a text view.
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        horizontalScrollBar()->triggerAction(event->key() == Qt::Key_Left ? QAbstractSlider::SliderSingleStepSub
                                                                            : QAbstractSlider::SliderSingleStepAdd);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void DiffView::showDiff(const QList<DiffHunk> &hunks)
{
    std::vector<ShownLine> lines;
    for (const DiffHunk &hunk : hunks) {
        lines.push_back({LineStyle::HunkHeader, hunkHeader(hunk), {}});
        for (const DiffLine &line : hunk.lines) {
            static const QChar marks[] = {u' ', u'-', u'+'};
            static const LineStyle styles[] = {LineStyle::Context, LineStyle::Removed, LineStyle::Added};
            QList<CharRange> changed = line.changed;
            for (CharRange &range : changed)
                ++range.start;   // after the mark
            lines.push_back({styles[int(line.kind)],
                             QString(marks[int(line.kind)]).append(QStringView(line.text).left(line.lengthWithoutLineEnd())),
                             std::move(changed)});
            if (!line.hasLineEnd())
                lines.push_back({LineStyle::Note, QStringLiteral("\\ No newline at end of file"), {}});
        }
    }
    setLines(std::move(lines));
}

void DiffView::showMessage(const QString &text)
{
    setLines({ShownLine{LineStyle::Note, text, {}}});
}

void DiffView::setLines(std::vector<ShownLine> lines)
{
    qsizetype columns = 0;
    for (const ShownLine &line : lines)
        columns = std::max(columns, DiffLineDelegate::columnsOf(line.text));
    m_delegate->setColumns(columns);
    m_model->replace(std::move(lines));
    // Laid out now rather than later, so that the scroll bars fit the new lines.
    doItemsLayout();
    scrollToTop();
    horizontalScrollBar()->setValue(0);
}

QString DiffView::shownText() const
{
    QStringList texts;
    for (const ShownLine &line : m_lines)
        texts << line.text;
    return texts.join(u'\n');
}

QString DiffView::selectedText() const
{
    QModelIndexList selected = selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList texts;
    for (const QModelIndex &index : selected)
        texts << m_lines[std::size_t(index.row())].text;
    return texts.join(u'\n');
}

} // namespace tessaly
