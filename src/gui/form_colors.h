// Window backgrounds in the system's button-face colour (skinned look, Load Sets).
#pragma once

class QWidget;

namespace tessaly {

// Sets the background of the window and of its option buttons, check boxes,
// frames and labels to the button-face colour; other controls keep theirs.
void SetFormBackColors(QWidget &window);

} // namespace tessaly
