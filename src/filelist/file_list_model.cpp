#include "filelist/file_list_model.h"

#include "base/paths.h"

#include <algorithm>

namespace tessaly {

void FileListModel::setText(int position, const QString &text)
{
    m_rows[position - 1] = text;
    const QModelIndex changed = index(position - 1);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void FileListModel::append(const QString &path)
{
    beginInsertRows({}, count(), count());
    m_rows.append(path);
    m_scanRoots.append(QString());
    endInsertRows();
}

void FileListModel::appendAll(const QStringList &paths, const QString &scanRoot)
{
    appendAll(paths, QStringList(paths.size(), scanRoot));
}

void FileListModel::appendAll(const QStringList &paths, const QStringList &scanRoots)
{
    if (paths.isEmpty())
        return;
    beginInsertRows({}, count(), count() + int(paths.size()) - 1);
    m_rows.append(paths);
    m_scanRoots.append(scanRoots);
    endInsertRows();
}

void FileListModel::removeRow(int position)
{
    beginRemoveRows({}, position - 1, position - 1);
    m_rows.removeAt(position - 1);
    m_scanRoots.removeAt(position - 1);
    endRemoveRows();
}

void FileListModel::removePositions(QList<int> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    if (positions.isEmpty())
        return;
    // One pass that keeps the rows not named: linear however many rows go.
    beginResetModel();
    QStringList kept;
    QStringList keptRoots;
    kept.reserve(m_rows.size() - positions.size());
    keptRoots.reserve(kept.capacity());
    auto next = positions.cbegin();
    for (int i = 0; i < m_rows.size(); ++i) {
        if (next != positions.cend() && *next == i + 1) {
            ++next;
        } else {
            kept.append(m_rows.at(i));
            keptRoots.append(m_scanRoots.at(i));
        }
    }
    m_rows = std::move(kept);
    m_scanRoots = std::move(keptRoots);
    endResetModel();
}

void FileListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_scanRoots.clear();
    endResetModel();
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QStringList FileListModel::foldersBelowScanRoots() const
{
    QStringList folders;
    folders.reserve(m_rows.size());
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        folders.append(m_scanRoots.at(i).isEmpty() ? QString() : foldersBelow(m_rows.at(i), m_scanRoots.at(i)).toString());
    return folders;
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    // The whole path as tool tip: the list shortens long ones in the middle.
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole)
        return m_rows.at(index.row());
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("HTML File(s)");
    return {};
}

} // namespace tessaly
