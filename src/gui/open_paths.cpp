#include "gui/open_paths.h"

#include "gui/form1.h"

#include <QFileInfo>
#include <QTimer>

namespace tessaly {

void openPaths(Form1 &window, const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    QStringList absolute;
    for (const QString &path : paths)
        absolute << QFileInfo(path).absoluteFilePath();
    QTimer::singleShot(0, &window, [&window, absolute] { window.ListView1_OLEDragDrop(absolute); });
}

} // namespace tessaly
