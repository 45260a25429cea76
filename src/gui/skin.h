// The optional skin: a Qt style sheet in "x/o.cjs" beside the program that gives
// the window its look; without the file the window keeps its white design.
#pragma once

#include <QString>

class QWidget;

namespace tessaly {

// programFolder + "/x/o.cjs".
QString skinFile(const QString &programFolder);

// Does nothing when no skin file lies beside the program. Otherwise gives the
// window and its option buttons, check boxes, frames and labels the button-face
// background and applies the file's style sheet to the window. A skin file that
// cannot be read throws TessalyError (after the backgrounds changed).
void ApplySkin(QWidget &window, const QString &programFolder);

} // namespace tessaly
