// The hourglass over the whole window: while the window's own pointer is the
// hourglass, every control inside it shows the hourglass too.
#pragma once

#include <QCursor>
#include <QObject>
#include <QPointer>

#include <optional>
#include <vector>

class QWidget;

namespace tessaly {

// A window is busy while its own pointer is the hourglass.
bool showsHourglass(const QWidget &window);
// The hourglass on the window, or its own pointer back.
void showHourglass(QWidget &window, bool busy);

// Controls with a pointer of their own (the text boxes' I-beam, a list's
// viewport) would show it through the window's hourglass. While the window's
// pointer is the hourglass, each control inside the window gets it as well; a
// control that sets another pointer meanwhile gets the hourglass back, and
// when the window's pointer changes again every control gets its own back.
class BusyPointer : public QObject {
public:
    explicit BusyPointer(QWidget &window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Covered {
        QPointer<QWidget> widget;
        std::optional<QCursor> own;  // nothing when it showed its parent's
    };
    bool windowShowsHourglass() const;
    void cover();
    void uncover();
    void setHourglass(QWidget *widget);

    QWidget &m_window;
    std::vector<Covered> m_covered;
    bool m_changing = false;
};

} // namespace tessaly
