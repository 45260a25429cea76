// Window backgrounds: the button-face colour (skinned look, Load Sets), and frames
// that show their window's background inside.
#pragma once

class QPalette;
class QWidget;

namespace tessaly {

// The main window's colours whatever the desktop's theme: black text on a white
// window, light button faces and white fields. A dark theme's light text would
// vanish on the design's white.
QPalette designPalette();

// Sets the background of the window and of its option buttons, check boxes,
// frames and labels to the window's own button-face colour; other controls keep theirs.
void SetFormBackColors(QWidget &window);

// Lets the window's frames show the window's own background inside, white in the
// design and the button face under a skin. Qt's Fusion style shades the inside of
// a frame a shade darker, which on the white design reads as light grey; under
// other styles the frames stay as the style draws them.
void ShowBackgroundInsideFrames(QWidget &window);

} // namespace tessaly
