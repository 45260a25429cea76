// Window backgrounds: the button-face colour (skinned look, Load Sets), and frames
// that show their window's background inside.
#pragma once

#include <QColor>

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

// The rows of a report whose file did not end as a result: background and text
// of a failed and of a skipped file. Each pair is chosen together, light on a
// light palette and dark on a dark one, so its text stays readable (contrast of
// at least 4.5:1) whatever the desktop's theme.
struct OutcomeColors {
    QColor failedBack, failedText;
    QColor skippedBack, skippedText;
};
OutcomeColors outcomeColors(const QPalette &palette);

} // namespace tessaly
