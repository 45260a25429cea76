// The window-wide hover pointer: moving over a "hand" place shows the custom
// hand pointer, over an "arrow" place the default arrow, never while busy.
#pragma once

#include <QCursor>
#include <QObject>
#include <QSet>

#include <functional>
#include <optional>

class QWidget;

namespace tessaly {

// Watches the pointer over one window and keeps the window's own pointer (which
// every control without a pointer of its own shows too) in line with the place
// the pointer is over. A place covers its widget and the widget's unnamed inner
// parts (a list's rows, header and scroll bars); a named widget inside a place
// (another control) is a place of its own, and one that was not added leaves the
// pointer as it is. While the busy test says yes (the hourglass shows), nothing
// changes.
class HoverPointer : public QObject {
    Q_OBJECT
public:
    HoverPointer(QWidget &window, std::function<bool()> isBusy);

    // The hand's picture; without one, hand places show the platform's default.
    void setHandCursor(std::optional<QCursor> cursor) { m_hand = std::move(cursor); }
    bool hasHandCursor() const { return m_hand.has_value(); }

    void addHandPlaces(const QList<QWidget *> &widgets);
    void addArrowPlaces(const QList<QWidget *> &widgets);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Place { Hand, Arrow, Other };
    void watch(QWidget *widget);
    Place placeOf(QWidget *innermost) const;
    void pointerOver(QWidget *watched, const QPointF &position);

    QWidget &m_window;
    std::function<bool()> m_isBusy;
    std::optional<QCursor> m_hand;
    QSet<const QWidget *> m_handPlaces;
    QSet<const QWidget *> m_arrowPlaces;
};

} // namespace tessaly
