#include "gui/diff_view.h"

#include "engine/unified_diff_format.h"
#include "gui/background_task.h"
#include "gui/diff_line_delegate.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QScrollBar>
#include <QShortcut>

#include <algorithm>

namespace tessaly {

// The shown lines as a list model; the delegate paints them from the lines
// themselves, the text is there for copying, searching and accessibility.
class DiffView::LineModel : public QAbstractListModel {
public:
    LineModel(std::vector<ShownLine> &lines, QObject *parent) : QAbstractListModel(parent), m_lines(lines) {}

    // Returns the lines shown before.
    std::vector<ShownLine> replace(std::vector<ShownLine> lines)
    {
        beginResetModel();
        std::swap(m_lines, lines);
        endResetModel();
        return lines;
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

struct DiffView::Shown {
    std::vector<ShownLine> lines;
    std::vector<int> changeStarts;
    qsizetype columns = 0;
};

DiffView::DiffView(QWidget *parent) : QListView(parent)
{
    m_comparing = std::make_unique<BackgroundTask<NoItem, Shown>>(
        BackgroundTask<NoItem, Shown>::Handlers{{}, [this](Shown &shown) {
                                                     m_busy->hide();
                                                     setShown(std::move(shown));
                                                     land();
                                                 }});
    m_disposal = std::make_unique<BackgroundTask<NoItem, NoItem>>(BackgroundTask<NoItem, NoItem>::Handlers{});
    // Made first: laying out the view (as the settings below do) places the bar.
    m_busy = new QProgressBar(viewport());
    m_busy->setObjectName(QStringLiteral("comparing"));
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->hide();
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

    // Anywhere in the window, as the buttons that step through the changes.
    new QShortcut(QKeySequence(Qt::Key_F8), this, this, &DiffView::nextChange, Qt::WindowShortcut);
    new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8), this, this, &DiffView::previousChange, Qt::WindowShortcut);
}

// A job in progress reads files the window's owner may be about to let go: the
// tasks wait for their jobs as they go.
DiffView::~DiffView() = default;

bool DiffView::isComparing() const
{
    return m_comparing->isWorking();
}

void DiffView::updateGeometries()
{
    QListView::updateGeometries();
    // The list would step by a whole item, which here is the widest line.
    horizontalScrollBar()->setSingleStep(2 * fontMetrics().horizontalAdvance(u' '));
    const QSize busy(8 * fontMetrics().averageCharWidth(), fontMetrics().height());
    m_busy->setGeometry(QRect(QPoint(viewport()->width() - busy.width() - 4, 2), busy));
}

void DiffView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QListView::currentChanged(current, previous);
    emit changesChanged();
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

void DiffView::focusInEvent(QFocusEvent *event)
{
    // Focus alone makes no line current, as a list would: the position still
    // counts the changes, and F8 goes to the first.
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

std::vector<DiffView::ShownLine> DiffView::linesOf(const QList<DiffHunk> &hunks)
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
    return lines;
}

DiffView::Shown DiffView::shownOf(std::vector<ShownLine> lines)
{
    Shown shown;
    // A change is a run of removed and added lines; the note that a line has no
    // line end belongs to the change of its line.
    bool inChange = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ShownLine &line = lines[i];
        shown.columns = std::max(shown.columns, DiffLineDelegate::columnsOf(line.text));
        const bool changed = line.style == LineStyle::Removed || line.style == LineStyle::Added;
        if (changed && !inChange)
            shown.changeStarts.push_back(int(i));
        inChange = changed || (inChange && line.style == LineStyle::Note);
    }
    shown.lines = std::move(lines);
    return shown;
}

void DiffView::showDiff(const QList<DiffHunk> &hunks)
{
    cancelComparing();
    setLines(linesOf(hunks));
}

void DiffView::showMessage(const QString &text)
{
    cancelComparing();
    setLines({ShownLine{LineStyle::Note, text, {}}});
}

void DiffView::showDiffOf(DiffJob job, Landing landing)
{
    cancelComparing();
    m_landing = landing;
    setLines({ShownLine{LineStyle::Note, tr("Comparing…"), {}}});
    m_busy->show();
    m_comparing->start([job = std::move(job)](BackgroundTask<NoItem, Shown>::Reporter &reporter) {
        const FileDiff diff = job(reporter.stop());
        std::vector<ShownLine> lines = diff.hunks.isEmpty()
            ? std::vector<ShownLine>{ShownLine{LineStyle::Note, diff.message, {}}}
            : linesOf(diff.hunks);
        if (!diff.note.isEmpty())
            lines.insert(lines.begin(), ShownLine{LineStyle::Note, diff.note, {}});
        return shownOf(std::move(lines));
    });
}

void DiffView::cancelComparing()
{
    if (!m_comparing->isWorking())
        return;
    m_comparing->abandon();
    m_busy->hide();
}

void DiffView::setLines(std::vector<ShownLine> lines)
{
    setShown(shownOf(std::move(lines)));
}

void DiffView::setShown(Shown shown)
{
    m_delegate->setColumns(shown.columns);
    m_changeStarts = std::move(shown.changeStarts);
    // The lines of a long diff take a while to free: another thread lets them go.
    m_disposal->start([shownBefore = std::make_shared<std::vector<ShownLine>>(m_model->replace(std::move(
                           shown.lines)))](BackgroundTask<NoItem, NoItem>::Reporter &) mutable {
        shownBefore.reset();
        return NoItem{};
    });
    // Laid out now rather than later, so that the scroll bars fit the new lines.
    doItemsLayout();
    scrollToTop();
    horizontalScrollBar()->setValue(0);
    emit changesChanged();
}

int DiffView::currentChange() const
{
    const int row = currentIndex().isValid() ? currentIndex().row() : -1;
    return int(std::upper_bound(m_changeStarts.begin(), m_changeStarts.end(), row) - m_changeStarts.begin());
}

void DiffView::nextChange()
{
    const int current = currentChange();
    if (current < changeCount())
        goToChange(current);
    else
        emit passedLastChange();
}

void DiffView::previousChange()
{
    const int current = currentChange();
    if (current > 1)
        goToChange(current - 2);
    else
        emit passedFirstChange();
}

void DiffView::land()
{
    if (m_changeStarts.empty() || m_landing == Landing::Top)
        return;
    goToChange(m_landing == Landing::FirstChange ? 0 : changeCount() - 1);
}

void DiffView::goToChange(int index)
{
    const QModelIndex first = m_model->index(m_changeStarts[std::size_t(index)]);
    setCurrentIndex(first);
    scrollTo(first, QAbstractItemView::PositionAtCenter);
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
