// Pointers drawn from cursor and icon files beside the program.
#pragma once

#include <QCursor>
#include <QString>

#include <optional>

namespace tessaly {

// The pointer pictured by a .cur or .ico file; nullopt when it is missing,
// unreadable or not a regular file.
std::optional<QCursor> loadCursorFile(const QString &path);

} // namespace tessaly
