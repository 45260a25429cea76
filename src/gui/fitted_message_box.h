// A message box that never grows past the screen: a text too tall for it scrolls
// inside the box, and the buttons stay in view. A line that fits on the screen is
// never broken. (A text listing paths is shown by PathListBox instead.)
#pragma once

#include <QMessageBox>

namespace tessaly {

class FittedMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void keepLinesWhole(int widest);
    void scrollTextWithin(int height);
};

} // namespace tessaly
