// The Preview window: what a run would do to every file, before anything is
// written, with the changes of the selected file; Start Replacing runs it for real.
#pragma once

#include "engine/replace_job.h"
#include "engine/text_diff.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;

namespace tessaly {

class DiffView;
class PreviewModel;

// One file's changes, computed when the file is selected.
struct FileDiff {
    QList<DiffHunk> hunks;
    QString message;    // shown instead when there are no hunks (why there are none)
};

class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    // The changes of the file in row `row` of the reports.
    using DiffSource = std::function<FileDiff(int row)>;

    PreviewWindow(QList<FileReport> reports, DiffSource diffOf, QWidget *parent = nullptr);

signals:
    // Start Replacing was pressed; the window closes.
    void startReplacingRequested();

private:
    void showFile(const QModelIndex &current);

    DiffSource m_diffOf;
    PreviewModel *m_model = nullptr;
    QSortFilterProxyModel *m_proxy = nullptr;
    QLabel *m_totals = nullptr;
    QLineEdit *m_filter = nullptr;
    QTableView *m_table = nullptr;
    DiffView *m_diff = nullptr;
    int m_shownRow = -1;
};

} // namespace tessaly
