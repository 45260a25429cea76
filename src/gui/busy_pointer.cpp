#include "gui/busy_pointer.h"

#include <QEvent>
#include <QWidget>

namespace tessaly {

BusyPointer::BusyPointer(QWidget &window) : QObject(&window), m_window(window)
{
    m_window.installEventFilter(this);
}

bool showsHourglass(const QWidget &window)
{
    return window.testAttribute(Qt::WA_SetCursor) && window.cursor().shape() == Qt::WaitCursor;
}

void showHourglass(QWidget &window, bool busy)
{
    if (busy)
        window.setCursor(Qt::WaitCursor);
    else
        window.unsetCursor();
}

bool BusyPointer::windowShowsHourglass() const
{
    return showsHourglass(m_window);
}

void BusyPointer::setHourglass(QWidget *widget)
{
    m_changing = true;
    widget->setCursor(Qt::WaitCursor);
    m_changing = false;
}

void BusyPointer::cover()
{
    // Windows of their own (boxes, the Preview window) keep their pointers.
    for (QWidget *widget : m_window.findChildren<QWidget *>()) {
        if (widget->isWindow() || widget->window() != &m_window)
            continue;
        std::optional<QCursor> own;
        if (widget->testAttribute(Qt::WA_SetCursor))
            own = widget->cursor();
        m_covered.push_back({widget, own});
        widget->installEventFilter(this);
        setHourglass(widget);
    }
}

void BusyPointer::uncover()
{
    m_changing = true;
    for (const Covered &covered : m_covered) {
        if (!covered.widget)
            continue;
        covered.widget->removeEventFilter(this);
        if (covered.own)
            covered.widget->setCursor(*covered.own);
        else
            covered.widget->unsetCursor();
    }
    m_changing = false;
    m_covered.clear();
}

bool BusyPointer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::CursorChange || m_changing)
        return QObject::eventFilter(watched, event);
    if (watched == &m_window) {
        const bool busy = windowShowsHourglass();
        if (busy && m_covered.empty())
            cover();
        else if (!busy && !m_covered.empty())
            uncover();
    } else if (auto *widget = qobject_cast<QWidget *>(watched); widget && !m_covered.empty()) {
        // A control changed its pointer while busy: that is its own now.
        for (Covered &covered : m_covered) {
            if (covered.widget == widget) {
                covered.own = widget->testAttribute(Qt::WA_SetCursor) ? std::optional<QCursor>(widget->cursor())
                                                                        : std::nullopt;
                break;
            }
        }
        setHourglass(widget);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tessaly
