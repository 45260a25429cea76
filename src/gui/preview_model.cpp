#include "gui/preview_model.h"

#include <QLocale>

namespace tessaly {

namespace {

QString outcome(const FileReport &report)
{
    switch (report.status) {
    case FileReport::Status::Skipped:
        return QStringLiteral("skipped (%1)").arg(report.description);
    case FileReport::Status::Failed:
        return QStringLiteral("failed (%1)").arg(report.description);
    case FileReport::Status::Written:
        break;
    }
    return QLocale().toString(report.replacements);
}

qint64 replacementsOrder(const FileReport &report)
{
    return report.status == FileReport::Status::Written ? report.replacements : -1;
}

} // namespace

PreviewModel::PreviewModel(QList<FileReport> reports, QObject *parent)
    : QAbstractTableModel(parent), m_reports(std::move(reports))
{
}

int PreviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_reports.size());
}

int PreviewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PreviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const FileReport &report = m_reports[index.row()];
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == OutcomeColumn && report.status == FileReport::Status::Written;
        return number ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    }
    // The tool tip shows the whole text of a cell too narrow for it.
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case SourceColumn:
        return report.source;
    case ResultColumn:
        return report.resultPath;
    case OutcomeColumn:
        return outcome(report);
    }
    return {};
}

bool PreviewModel::rowMatches(int row, const QString &text) const
{
    const FileReport &report = m_reports[row];
    return report.source.contains(text, Qt::CaseInsensitive) || report.resultPath.contains(text, Qt::CaseInsensitive)
        || outcome(report).contains(text, Qt::CaseInsensitive);
}

bool PreviewModel::rowLess(int column, int left, int right) const
{
    const FileReport &a = m_reports[left], &b = m_reports[right];
    switch (column) {
    case SourceColumn:
        return a.source < b.source;
    case ResultColumn:
        return a.resultPath < b.resultPath;
    }
    return replacementsOrder(a) < replacementsOrder(b);
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    // The files with the most replacements first.
    if (role == Qt::InitialSortOrderRole && section == OutcomeColumn)
        return Qt::DescendingOrder;
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case SourceColumn:
        return tr("Source");
    case ResultColumn:
        return tr("Result");
    case OutcomeColumn:
        return tr("Replacements");
    }
    return {};
}

} // namespace tessaly
