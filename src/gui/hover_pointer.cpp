#include "gui/hover_pointer.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>

namespace tessaly {

namespace {

// Controls carry object names ("PushButton3", "Option1"); the parts Qt builds
// inside a control have none or one beginning with "qt_".
bool isNamedControl(const QWidget *widget)
{
    const QString name = widget->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

} // namespace

HoverPointer::HoverPointer(QWidget &window, std::function<bool()> isBusy)
    : QObject(&window), m_window(window), m_isBusy(std::move(isBusy))
{
}

void HoverPointer::addHandPlaces(const QList<QWidget *> &widgets)
{
    for (QWidget *widget : widgets) {
        m_handPlaces.insert(widget);
        watch(widget);
    }
}

void HoverPointer::addArrowPlaces(const QList<QWidget *> &widgets)
{
    for (QWidget *widget : widgets) {
        m_arrowPlaces.insert(widget);
        watch(widget);
    }
}

void HoverPointer::watch(QWidget *widget)
{
    // Moves without a pressed button only reach widgets that track the mouse;
    // the inner parts are watched too, since a list's rows take its moves.
    QList<QWidget *> watched{widget};
    watched += widget->findChildren<QWidget *>();
    for (QWidget *w : watched) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

HoverPointer::Place HoverPointer::placeOf(QWidget *innermost) const
{
    for (QWidget *w = innermost; w; w = w->parentWidget()) {
        if (m_handPlaces.contains(w))
            return Place::Hand;
        if (m_arrowPlaces.contains(w))
            return Place::Arrow;
        if (isNamedControl(w) || w == &m_window)
            return Place::Other;
    }
    return Place::Other;
}

void HoverPointer::pointerOver(QWidget *watched, const QPointF &position)
{
    if (m_isBusy && m_isBusy())
        return;
    // A move can reach several watched widgets on its way up; each asks which
    // widget is really under the pointer, so all of them come to the same answer.
    QWidget *inner = watched->childAt(position.toPoint());
    switch (placeOf(inner ? inner : watched)) {
    case Place::Hand:
        if (m_hand)
            m_window.setCursor(*m_hand);
        else
            m_window.unsetCursor();
        break;
    case Place::Arrow:
        m_window.unsetCursor();
        break;
    case Place::Other:
        break;
    }
}

bool HoverPointer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (auto *widget = qobject_cast<QWidget *>(watched)) {
            const QPointF position = event->type() == QEvent::Enter ? static_cast<QEnterEvent *>(event)->position()
                                                                    : static_cast<QMouseEvent *>(event)->position();
            pointerOver(widget, position);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tessaly
