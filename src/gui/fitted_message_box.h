// A message box that shows its whole text and never grows past the screen: a
// line that fits on the screen is never broken nor cut off, a text too tall for
// the box scrolls inside it, and the buttons stay in view. (A text listing paths
// is shown by PathListBox instead.)
#pragma once

#include <QMessageBox>

class QRect;
class QScreen;

namespace tessaly {

class FittedMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    const QScreen *shownOn() const;
    void keepLinesWhole(int widest);
    void growToItsText(const QRect &available);
    void scrollTextWithin(int height);
};

} // namespace tessaly
