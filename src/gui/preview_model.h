// The Preview window's file list: one row per file of the dry run with its source,
// its result path and its number of replacements, or why it was skipped or failed.
#pragma once

#include "engine/replace_job.h"

#include <QAbstractTableModel>
#include <QList>

namespace tessaly {

class PreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { SourceColumn, ResultColumn, OutcomeColumn, ColumnCount };

    explicit PreviewModel(QList<FileReport> reports, QObject *parent = nullptr);

    const FileReport &report(int row) const { return m_reports[row]; }
    // Whether a row's source, result or outcome contains text, in any letter case.
    bool rowMatches(int row, const QString &text) const;
    // The order of a column: by path, or by number of replacements with skipped
    // and failed files before files without any.
    bool rowLess(int column, int left, int right) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<FileReport> m_reports;
};

} // namespace tessaly
