#include "gui/open_paths.h"

#include "gui/file_list_controller.h"
#include "gui/main_window.h"

#include <QFileInfo>
#include <QTimer>

namespace tessaly {

void openPaths(MainWindow &window, const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    QStringList absolute;
    for (const QString &path : paths)
        absolute << QFileInfo(path).absoluteFilePath();
    QTimer::singleShot(0, &window, [&window, absolute] { window.fileListController().addDropped(absolute); });
}

} // namespace tessaly
