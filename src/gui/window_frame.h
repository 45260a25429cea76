// What a window manager adds around a window: the room the windows keep for it
// when they size themselves to a screen.
#pragma once

#include <QSize>

class QWidget;

namespace tessaly {

// Left for the title bar and borders of a main or report window.
inline constexpr QSize kWindowFrame(16, 48);

// The title bar and borders of a box, as its style reckons them.
int boxFrameHeight(const QWidget &box);

} // namespace tessaly
