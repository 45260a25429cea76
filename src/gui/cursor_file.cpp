#include "gui/cursor_file.h"

#include "base/program_files.h"

#include <QImageReader>
#include <QPixmap>

namespace tessaly {

std::optional<QCursor> loadCursorFile(const QString &path)
{
    if (!isRegularFile(path))
        return std::nullopt;
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    // Our pointer pictures put their hot spot in the top-left quarter, at the tip.
    return QCursor(QPixmap::fromImage(image), image.width() / 4, 0);
}

} // namespace tessaly
