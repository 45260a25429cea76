// The file list of the Preview and run report windows: one row per file of a run
// with its source, its result path, its outcome (with the reason of a skipped or
// failed file) and its number of replacements; in the Preview each row has a
// check box that chooses whether Start Replacing runs that file.
#pragma once

#include "engine/replace_job.h"
#include "gui/form_colors.h"

#include <QAbstractTableModel>
#include <QList>

#include <vector>

namespace tessaly {

class PreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { SourceColumn, ResultColumn, OutcomeColumn, ReplacementsColumn, ColumnCount };

    PreviewModel(QList<FileReport> reports, const OutcomeColors &colors, QObject *parent = nullptr);

    const FileReport &report(int row) const { return m_reports[row]; }
    // Whether the run counted the file's replacements: a result, or a file that
    // failed (or would fail) only at the write, after its text was replaced.
    static bool replacementsCounted(const FileReport &report);
    const QList<FileReport> &reports() const { return m_reports; }
    // Whether a row's source, result or outcome contains text, in any letter case.
    bool rowMatches(int row, const QString &text) const;
    // The order of a column: by path; by outcome, failed files first, then skipped
    // ones, then results; or by number of replacements with skipped and failed
    // files before files without any.
    bool rowLess(int column, int left, int right) const;

    // Gives every row a check box, checked.
    void setCheckable(bool checkable);
    // Whether a run would take the row: its box is checked, or it has none.
    bool isChecked(int row) const { return m_checked.empty() || m_checked[row]; }
    // The rows whose box is checked, in the order of the reports.
    QList<int> checkedRows() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<FileReport> m_reports;
    OutcomeColors m_colors;
    std::vector<bool> m_checked;  // empty without check boxes
};

} // namespace tessaly
