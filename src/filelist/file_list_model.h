// The file list: ordered rows of path texts, positions from 1, duplicates allowed.
// Row order is processing order. Shown in one column headed "HTML File(s)". A row
// found by a folder scan also remembers the folder the scan began at.
#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace tessaly {

class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Positions count from 1, as the list's operations do.
    int count() const { return int(m_rows.size()); }
    QString text(int position) const { return m_rows.at(position - 1); }
    void setText(int position, const QString &text);
    void append(const QString &path);
    // `scanRoot`: the folder the user picked when a scan found these paths.
    void appendAll(const QStringList &paths, const QString &scanRoot = QString());
    // `scanRoots`: one per path.
    void appendAll(const QStringList &paths, const QStringList &scanRoots);
    void removeRow(int position);
    // Removes the given positions (any order, duplicates ignored) in one reset.
    void removePositions(QList<int> positions);
    void clear();
    const QStringList &rows() const { return m_rows; }
    // The folder whose scan added the row; "" for a row added on its own.
    QString scanRoot(int position) const { return m_scanRoots.at(position - 1); }
    // For each row, the folders between its scan's folder and the file ("a/b/"),
    // "" for a row added on its own: where Keep folder tree puts its result.
    QStringList foldersBelowScanRoots() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_rows;
    QStringList m_scanRoots;  // in step with m_rows
};

} // namespace tessaly
