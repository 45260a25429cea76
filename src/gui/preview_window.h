// The Preview window: what a run would do to every file, before anything is
// written, with the changes of the selected file; Start Replacing runs it for real.
#pragma once

#include "engine/replace_job.h"
#include "gui/diff_view.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;

namespace tessaly {

class PreviewModel;

class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    // The changes of the file in row `row` of the reports, computed away from the
    // window's thread when the file is selected; `stop` asks to give up early.
    using DiffSource = std::function<FileDiff(int row, const StopToken &stop)>;

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
