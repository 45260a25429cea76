#include "gui/reports_pane.h"

#include "engine/run_report.h"
#include "gui/diff_navigation.h"
#include "gui/diff_view.h"
#include "gui/outcome_delegate.h"
#include "gui/preview_model.h"
#include "gui/window_frame.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace tessaly {

// Filters and sorts by the reports themselves rather than by their display text,
// which keeps both quick for a hundred thousand files. Qt sorts stably, so rows
// of one outcome keep the order of the run.
class ReportsProxy : public QSortFilterProxyModel {
public:
    ReportsProxy(PreviewModel *model, QObject *parent) : QSortFilterProxyModel(parent), m_model(model)
    {
        setSourceModel(model);
    }

    void setFilterText(const QString &text)
    {
        m_text = text;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &) const override
    {
        return m_text.isEmpty() || m_model->rowMatches(row, m_text);
    }
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override
    {
        return m_model->rowLess(left.column(), left.row(), right.row());
    }

private:
    PreviewModel *m_model;
    QString m_text;
};

ReportsPane::ReportsPane(QList<FileReport> reports, DiffSource diffOf, QWidget *parent)
    : QWidget(parent), m_diffOf(std::move(diffOf)),
      m_dryRun(std::any_of(reports.cbegin(), reports.cend(), [](const FileReport &report) { return report.dryRun; }))
{
    m_notice = makeNotice();
    m_totals = new QLabel;
    m_totals->setObjectName(QStringLiteral("totals"));
    m_model = new PreviewModel(std::move(reports), outcomeColors(palette()), this);
    m_proxy = new ReportsProxy(m_model, this);

    auto *filterRow = makeFilterRow();
    makeTable();
    // The whole reason of a file that is not a result, however narrow its cell.
    m_reason = new QLabel;
    m_reason->setObjectName(QStringLiteral("reason"));
    m_reason->setWordWrap(true);
    m_reason->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_reason->hide();
    m_diff = new DiffView;
    m_diff->setObjectName(QStringLiteral("changes"));
    connect(m_diff, &DiffView::passedLastChange, this, [this] { goToFileWithChanges(1); });
    connect(m_diff, &DiffView::passedFirstChange, this, [this] { goToFileWithChanges(-1); });
    m_diff->showMessage(tr("Select a file to see its changes."));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_notice);
    layout->addWidget(m_totals);
    layout->addLayout(filterRow);
    layout->addWidget(makeSplitter(), 1);
    showTotals();
}

QLabel *ReportsPane::makeNotice() const
{
    auto *notice = new QLabel;
    notice->setObjectName(QStringLiteral("notice"));
    QFont bold = notice->font();
    bold.setBold(true);
    notice->setFont(bold);
    return notice;
}

void ReportsPane::showHeadline(const RunTally &tally)
{
    // What the run will do (or did) when that is nothing, said before anyone
    // starts: no result because every file fails, or no change at all (an empty
    // find text, or sets that change nothing).
    if (tally.written == 0 && tally.failed > 0)
        m_notice->setText((m_dryRun ? tr("No file can be written: %1 would fail.")
                                    : tr("No file was written: %1 failed."))
                              .arg(groupedNumber(tally.failed)));
    else if (tally.replacements == 0)
        m_notice->setText(m_dryRun ? tr("No file would change.") : tr("No file was changed."));
    m_notice->setVisible(tally.replacements == 0);
}

QHBoxLayout *ReportsPane::makeFilterRow()
{
    m_filter = new QLineEdit;
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setPlaceholderText(tr("Filter by path or outcome"));
    m_filter->setClearButtonEnabled(true);
    m_filter->installEventFilter(this);
    auto *filterLabel = new QLabel(tr("&Filter:"));
    filterLabel->setBuddy(m_filter);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString &text) {
        // Filtering moves the current row away from each hidden one in turn: the
        // diff pane waits for where it ends up.
        m_filtering = true;
        m_proxy->setFilterText(text);
        m_filtering = false;
        followCurrentRow();
    });
    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_filter, 1);
    return filterRow;
}

void ReportsPane::makeTable()
{
    // Fixed row heights and column widths: nothing here looks at every row, so a
    // list of a hundred thousand files opens as fast as a short one.
    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("files"));
    m_table->setModel(m_proxy);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab goes on to the changes and the buttons instead of from cell to cell.
    m_table->setTabKeyNavigation(false);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideMiddle);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // The paths are cut in the middle when narrow; the outcome takes the room
    // left, and a reason too long for it loses the middle of its paths, not its words.
    m_table->horizontalHeader()->setSectionResizeMode(PreviewModel::OutcomeColumn, QHeaderView::Stretch);
    m_table->setItemDelegateForColumn(PreviewModel::OutcomeColumn, new OutcomeDelegate(m_table));
    // Failed files first, then skipped ones, each in the order of the run: the
    // one sort made on opening.
    m_table->horizontalHeader()->setSortIndicator(PreviewModel::OutcomeColumn, Qt::AscendingOrder);
    m_table->setSortingEnabled(true);
    // Room for the column's title beside the sort arrow, which the header measures too.
    const int titleWidth = m_table->horizontalHeader()->sectionSizeHint(PreviewModel::ReplacementsColumn);
    m_table->setColumnWidth(PreviewModel::ReplacementsColumn, std::max(100, titleWidth));
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &ReportsPane::showFile);
    const auto rowsChanged = [this] { m_rowsWithChangesStale = true; };
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, rowsChanged);
    connect(m_proxy, &QAbstractItemModel::modelReset, this, rowsChanged);
    connect(m_proxy, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(m_proxy, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, &ReportsPane::followCurrentRow);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &ReportsPane::showTotals);
}

QSplitter *ReportsPane::makeSplitter()
{
    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_table);
    auto *changes = new QWidget;
    auto *changesLayout = new QVBoxLayout(changes);
    changesLayout->setContentsMargins(0, 0, 0, 0);
    changesLayout->addWidget(m_reason);
    m_navigation = new DiffNavigation(m_diff);
    changesLayout->addWidget(m_navigation);
    changesLayout->addWidget(m_diff, 1);
    splitter->addWidget(changes);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    return splitter;
}

void ReportsPane::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_columnsPlaced)
        return;
    // The paths share the table's width with the outcome, on a small screen too.
    m_columnsPlaced = true;
    const int width = m_table->viewport()->width();
    m_table->setColumnWidth(PreviewModel::SourceColumn, width * 3 / 10);
    m_table->setColumnWidth(PreviewModel::ResultColumn, width / 4);
}

QSize ReportsPane::windowSize(const QWidget &window)
{
    // Less on a smaller screen, so that the buttons below stay in sight.
    constexpr QSize kDesign(1100, 760);
    const QScreen *screen = window.screen();
    return screen ? kDesign.boundedTo(screen->availableGeometry().size() - kWindowFrame) : kDesign;
}

QPushButton *ReportsPane::windowButton(const QString &text, const QString &name)
{
    auto *button = new QPushButton(text);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

int ReportsPane::currentReportRow() const
{
    const QModelIndex current = m_table->currentIndex();
    return current.isValid() ? m_proxy->mapToSource(current).row() : -1;
}

bool ReportsPane::eventFilter(QObject *watched, QEvent *event)
{
    // Esc in a filled filter box clears it; only in an empty one does it close the window.
    if (watched == m_filter && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !m_filter->text().isEmpty()) {
        m_filter->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ReportsPane::followCurrentRow()
{
    // The current row is the one shown and selected, in sight.
    const QModelIndex current = m_table->currentIndex();
    showFile(current);
    if (current.isValid()) {
        if (!m_table->selectionModel()->isRowSelected(current.row()))
            m_table->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect
                                                           | QItemSelectionModel::Rows);
        m_table->scrollTo(current);
    }
    showFilePosition();
    showTotals();
}

void ReportsPane::showTotals()
{
    // Over the rows a run would take: in the Preview, the checked ones.
    RunTally checked;
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (m_model->isChecked(row))
            checked.add(m_model->report(row));
    showHeadline(checked);
    RunTally shown = checked;
    qint64 unchecked = m_model->rowCount() - checked.files;
    if (!m_filter->text().isEmpty()) {
        shown = {};
        unchecked = 0;
        for (int row = 0; row < m_proxy->rowCount(); ++row) {
            const int reportRow = m_proxy->mapToSource(m_proxy->index(row, 0)).row();
            if (m_model->isChecked(reportRow))
                shown.add(m_model->report(reportRow));
            else
                ++unchecked;
        }
    }
    shown.files += unchecked;
    QString totals = reportTotals(shown, m_model->rowCount(), m_dryRun);
    if (unchecked > 0)
        totals.insert(totals.indexOf(u':'), tr(", %1 unchecked").arg(groupedNumber(unchecked)));
    m_totals->setText(totals);
}

QString ReportsPane::reasonOf(const FileReport &report) const
{
    switch (report.status) {
    case FileReport::Status::Skipped:
        return (m_dryRun ? tr("This file would be skipped: %1.") : tr("This file was skipped: %1."))
            .arg(report.description);
    case FileReport::Status::Failed:
        return (m_dryRun ? tr("This file would fail: %1.") : tr("This file failed: %1.")).arg(report.description);
    case FileReport::Status::Written:
        break;
    }
    return QString();
}

void ReportsPane::showFile(const QModelIndex &current)
{
    if (m_filtering)
        return;
    const int row = current.isValid() ? m_proxy->mapToSource(current).row() : -1;
    if (row == m_shownRow)
        return;
    m_shownRow = row;
    showFilePosition();
    const QString reason = row < 0 ? QString() : reasonOf(m_model->report(row));
    m_reason->setText(reason);
    m_reason->setVisible(!reason.isEmpty());
    if (row < 0) {
        m_diff->showMessage(tr("Select a file to see its changes."));
        return;
    }
    // A file refused only at the write has its changes all the same.
    const FileReport &report = m_model->report(row);
    if (!PreviewModel::replacementsCounted(report)) {
        m_diff->showMessage(reason);
        return;
    }
    if (report.replacements == 0) {
        m_diff->showMessage(tr("No replacements in this file."));
        return;
    }
    m_diff->showDiffOf([diffOf = m_diffOf, row](const StopToken &stop) {
        FileDiff diff = diffOf(row, stop);
        if (diff.hunks.isEmpty() && diff.message.isEmpty())
            diff.message = tr("No changes in this file's text.");
        return diff;
    }, std::exchange(m_landing, DiffView::Landing::Top));
}

bool ReportsPane::hasChanges(int tableRow) const
{
    const FileReport &report = m_model->report(m_proxy->mapToSource(m_proxy->index(tableRow, 0)).row());
    return PreviewModel::replacementsCounted(report) && report.replacements > 0;
}

const std::vector<int> &ReportsPane::rowsWithChanges() const
{
    if (m_rowsWithChangesStale) {
        m_rowsWithChanges.clear();
        for (int row = 0; row < m_proxy->rowCount(); ++row)
            if (hasChanges(row))
                m_rowsWithChanges.push_back(row);
        m_rowsWithChangesStale = false;
    }
    return m_rowsWithChanges;
}

int ReportsPane::fileWithChanges(int from, int step) const
{
    const std::vector<int> &rows = rowsWithChanges();
    if (step > 0) {
        const auto next = std::upper_bound(rows.begin(), rows.end(), from);
        return next == rows.end() ? -1 : *next;
    }
    const auto at = std::lower_bound(rows.begin(), rows.end(), from);
    return at == rows.begin() ? -1 : *std::prev(at);
}

void ReportsPane::goToFileWithChanges(int step)
{
    const QModelIndex current = m_table->currentIndex();
    const int from = current.isValid() ? current.row() : (step > 0 ? -1 : m_proxy->rowCount());
    const int row = fileWithChanges(from, step);
    if (row < 0)
        return;
    // Its diff comes later, from another thread: the change to land on is kept till then.
    m_landing = step > 0 ? DiffView::Landing::FirstChange : DiffView::Landing::LastChange;
    m_table->setCurrentIndex(m_proxy->index(row, 0));
    m_table->scrollTo(m_table->currentIndex());
    m_landing = DiffView::Landing::Top;
}

void ReportsPane::showFilePosition()
{
    const QModelIndex current = m_table->currentIndex();
    const int rows = m_proxy->rowCount();
    const int row = current.isValid() ? current.row() : -1;
    const QString position = row < 0 || rows < 2
        ? QString()
        : tr("file %1 of %2").arg(groupedNumber(row + 1), groupedNumber(rows));
    // With no file chosen the buttons wait for one; F8 takes the first with changes.
    m_navigation->setFilePosition(position, row >= 0 && fileWithChanges(row, -1) >= 0,
                                  row >= 0 && fileWithChanges(row, 1) >= 0);
}

} // namespace tessaly
