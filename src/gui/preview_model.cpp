#include "gui/preview_model.h"

#include "engine/run_report.h"

namespace tessaly {

namespace {

QString outcome(const FileReport &report)
{
    switch (report.status) {
    case FileReport::Status::Skipped:
        return QStringLiteral("skipped: %1").arg(report.description);
    case FileReport::Status::Failed:
        return QStringLiteral("%1: %2").arg(QLatin1String(report.dryRun ? "would fail" : "failed"),
                                            report.description);
    case FileReport::Status::Written:
        break;
    }
    return QLatin1String(report.dryRun ? "would be written" : "written");
}

// Failed files first, then skipped ones, then results.
int outcomeOrder(const FileReport &report)
{
    switch (report.status) {
    case FileReport::Status::Failed:
        return 0;
    case FileReport::Status::Skipped:
        return 1;
    case FileReport::Status::Written:
        break;
    }
    return 2;
}

} // namespace

bool PreviewModel::replacementsCounted(const FileReport &report)
{
    // A place refused before the replacing fails at the write step too, with no count.
    return report.status == FileReport::Status::Written
        || (report.status == FileReport::Status::Failed && report.failedStep == JobStep::Write
            && report.replacements > 0);
}

namespace {

qint64 replacementsOrder(const FileReport &report)
{
    return PreviewModel::replacementsCounted(report) ? report.replacements : -1;
}

} // namespace

PreviewModel::PreviewModel(QList<FileReport> reports, const OutcomeColors &colors, QObject *parent)
    : QAbstractTableModel(parent), m_reports(std::move(reports)), m_colors(colors)
{
}

void PreviewModel::setCheckable(bool checkable)
{
    beginResetModel();
    m_checked.assign(checkable ? m_reports.size() : 0, true);
    endResetModel();
}

QList<int> PreviewModel::checkedRows() const
{
    QList<int> rows;
    for (int row = 0; row < int(m_checked.size()); ++row)
        if (m_checked[row])
            rows << row;
    return rows;
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
    switch (role) {
    case Qt::TextAlignmentRole:
        return index.column() == ReplacementsColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::CheckStateRole:
        if (index.column() != SourceColumn || m_checked.empty())
            return {};
        return m_checked[index.row()] ? Qt::Checked : Qt::Unchecked;
    case Qt::BackgroundRole:
    case Qt::ForegroundRole: {
        const bool back = role == Qt::BackgroundRole;
        switch (report.status) {
        case FileReport::Status::Failed:
            return back ? m_colors.failedBack : m_colors.failedText;
        case FileReport::Status::Skipped:
            return back ? m_colors.skippedBack : m_colors.skippedText;
        case FileReport::Status::Written:
            return {};
        }
        return {};
    }
    // The tool tip shows the whole text of a cell too narrow for it.
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        break;
    default:
        return {};
    }
    switch (index.column()) {
    case SourceColumn:
        return report.source;
    case ResultColumn:
        return report.resultPath;
    case OutcomeColumn:
        return outcome(report);
    case ReplacementsColumn:
        return replacementsCounted(report) ? groupedNumber(report.replacements) : QString();
    }
    return {};
}

bool PreviewModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != SourceColumn || m_checked.empty())
        return false;
    m_checked[index.row()] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags PreviewModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == SourceColumn && !m_checked.empty())
        flags |= Qt::ItemIsUserCheckable;
    return flags;
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
    case OutcomeColumn:
        return outcomeOrder(a) < outcomeOrder(b);
    }
    return replacementsOrder(a) < replacementsOrder(b);
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    // The files with the most replacements first.
    if (role == Qt::InitialSortOrderRole && section == ReplacementsColumn)
        return Qt::DescendingOrder;
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case SourceColumn:
        return tr("Source");
    case ResultColumn:
        return tr("Result");
    case OutcomeColumn:
        return tr("Outcome");
    case ReplacementsColumn:
        return tr("Replacements");
    }
    return {};
}

} // namespace tessaly
