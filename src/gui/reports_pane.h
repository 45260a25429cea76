// A run's files with the changes of the selected one: the totals, a filter, the
// table of sources, results, outcomes and replacements (failed files first, then
// skipped ones, sortable by any column) and the diff pane. The Preview window and
// the run report window both show it.
#pragma once

#include "engine/replace_job.h"
#include "engine/run_report.h"
#include "gui/diff_view.h"

#include <QWidget>

#include <functional>
#include <vector>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTableView;

namespace tessaly {

class DiffNavigation;
class PreviewModel;
class ReportsProxy;

class ReportsPane : public QWidget {
    Q_OBJECT
public:
    // The changes of the file in row `row` of the reports, computed away from the
    // window's thread when the file is selected; `stop` asks to give up early.
    using DiffSource = std::function<FileDiff(int row, const StopToken &stop)>;

    // Reports of a dry run are worded as what a run would do.
    ReportsPane(QList<FileReport> reports, DiffSource diffOf, QWidget *parent = nullptr);

    // The size the Preview and run report windows open with on the screen of `window`.
    static QSize windowSize(const QWidget &window);
    // A button for the row below the pane, one that Enter in the filter box does
    // not press.
    static QPushButton *windowButton(const QString &text, const QString &name);

    PreviewModel &model() { return *m_model; }
    // The row of the reports that the table's current row shows; -1 when none.
    int currentReportRow() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // The parts of the pane, top to bottom: the headline when no file would be
    // written or changed, the totals, the filter, and the table above the changes.
    QLabel *makeNotice() const;
    void showHeadline(const RunTally &tally);
    QHBoxLayout *makeFilterRow();
    void makeTable();
    QSplitter *makeSplitter();
    // After a filter or sort: the diff pane follows the table's current row, which
    // is never a hidden one, and the totals count the rows shown.
    void followCurrentRow();
    void showTotals();
    void showFile(const QModelIndex &current);
    // F8 past the last change and Shift+F8 before the first go on to the next or
    // previous row of the table whose file has changes; `step` is 1 or -1.
    bool hasChanges(int tableRow) const;
    int fileWithChanges(int from, int step) const;
    // The table's rows whose files have changes, in order: found once after the
    // rows change, so that stepping through a long table looks at no other row.
    const std::vector<int> &rowsWithChanges() const;
    void goToFileWithChanges(int step);
    void showFilePosition();
    // Why a file is not a result ("This file would fail: …."); empty for a result.
    QString reasonOf(const FileReport &report) const;

    DiffSource m_diffOf;
    mutable std::vector<int> m_rowsWithChanges;
    mutable bool m_rowsWithChangesStale = true;
    bool m_dryRun;
    PreviewModel *m_model = nullptr;
    ReportsProxy *m_proxy = nullptr;
    QLabel *m_notice = nullptr;
    QLabel *m_totals = nullptr;
    QLineEdit *m_filter = nullptr;
    QLabel *m_reason = nullptr;
    QTableView *m_table = nullptr;
    DiffView *m_diff = nullptr;
    DiffNavigation *m_navigation = nullptr;
    DiffView::Landing m_landing = DiffView::Landing::Top;  // of the diff of the row made current next
    int m_shownRow = -1;
    bool m_filtering = false;
    bool m_columnsPlaced = false;
};

} // namespace tessaly
