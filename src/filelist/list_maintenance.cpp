#include "filelist/list_maintenance.h"

#include "base/paths.h"
#include "base/platform.h"
#include "engine/stop_token.h"

namespace tessaly {

namespace {

// A substring test with the semantics of the product's own: an empty row
// contains nothing, not even the empty text.
bool rowContains(const QString &row, const QString &lowerText)
{
    return !row.isEmpty() && row.toLower().contains(lowerText);
}

} // namespace

std::optional<QList<int>> positionsToRemove(const QStringList &rows, const QString &text, ListFilter filter,
                                            const StopToken &stop)
{
    const QString lowerText = text.toLower();
    const bool removeContaining = filter == ListFilter::RemoveContaining;
    QList<int> positions;
    for (int i = 0; i < rows.size(); ++i) {
        if (stop.stopRequested())
            return std::nullopt;
        if (rowContains(rows.at(i), lowerText) == removeContaining)
            positions.append(i + 1);
    }
    return positions;
}

bool isExpectedExtension(const QString &extension)
{
    return QStringLiteral("htm,html").contains(extension, Qt::CaseInsensitive);
}

ExtensionCheck checkListExtensions(const QStringList &rows)
{
    static const QString crlf = QStringLiteral("\r\n");
    ExtensionCheck check;
    QString report;
    for (int i = 0; i < rows.size(); ++i) {
        if (!isExpectedExtension(GetFileExtension(rows.at(i)))) {
            report += rows.at(i) + crlf;
            check.positions.append(i + 1);
        }
    }
    if (!report.isEmpty()) {
        check.question = QStringLiteral("These files: ") + crlf + crlf + report + crlf
            + QStringLiteral("do not appear to be in the expected file format because of their file extension.")
            + crlf + crlf + QStringLiteral("Would you like to remove them from list?");
    }
    return check;
}

bool ValidateListFiles(FileListModel &list, Platform &platform)
{
    if (list.count() == 0)
        return false;
    const ExtensionCheck check = checkListExtensions(list.rows());
    if (check.question.isEmpty())
        return false;
    if (!platform.askYesNo(check.question))
        return false;
    list.removePositions(check.positions);
    return true;
}

} // namespace tessaly
