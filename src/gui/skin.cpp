#include "gui/skin.h"

#include "gui/form_colors.h"
#include "base/program_files.h"
#include "base/tessaly_error.h"

#include <QFile>
#include <QWidget>

namespace tessaly {

QString skinFile(const QString &programFolder)
{
    return programFolder + QStringLiteral("/x/o.cjs");
}

void ApplySkin(QWidget &window, const QString &programFolder)
{
    const QString path = skinFile(programFolder);
    // Only a regular file counts: a folder, FIFO or device of that name is no skin.
    if (!isRegularFile(path))
        return;
    SetFormBackColors(window);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TessalyError(QStringLiteral("Skin file could not be read: ") + file.errorString());
    window.setStyleSheet(QString::fromUtf8(file.readAll()));
}

} // namespace tessaly
