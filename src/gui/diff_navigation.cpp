#include "gui/diff_navigation.h"

#include "gui/diff_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

namespace tessaly {

DiffNavigation::DiffNavigation(DiffView *view, QWidget *parent) : QWidget(parent), m_view(view)
{
    m_previous = new QPushButton(tr("Pre&vious Change"));
    m_previous->setObjectName(QStringLiteral("previousChange"));
    m_previous->setToolTip(tr("Shift+F8"));
    m_next = new QPushButton(tr("Ne&xt Change"));
    m_next->setObjectName(QStringLiteral("nextChange"));
    m_next->setToolTip(tr("F8"));
    m_position = new QLabel;
    m_position->setObjectName(QStringLiteral("changePosition"));
    // In a dialog, Enter presses the dialog's own button rather than these; Tab
    // passes them by, as F8, Shift+F8 and their Alt keys reach them from anywhere
    // (and one that takes the focus would drop it when the changes end).
    m_previous->setAutoDefault(false);
    m_next->setAutoDefault(false);
    m_previous->setFocusPolicy(Qt::NoFocus);
    m_next->setFocusPolicy(Qt::NoFocus);
    connect(m_previous, &QPushButton::clicked, view, &DiffView::previousChange);
    connect(m_next, &QPushButton::clicked, view, &DiffView::nextChange);
    connect(view, &DiffView::changesChanged, this, &DiffNavigation::showPosition);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_position, 1);
    showPosition();
}

void DiffNavigation::setFilePosition(const QString &position, bool changesBefore, bool changesAfter)
{
    m_filePosition = position;
    m_changesBefore = changesBefore;
    m_changesAfter = changesAfter;
    showPosition();
}

void DiffNavigation::showPosition()
{
    const int count = m_view->changeCount();
    const int current = m_view->currentChange();
    const QLocale locale;
    QStringList parts;
    if (count > 0 && current == 0)
        parts << (count == 1 ? tr("1 change") : tr("%1 changes").arg(locale.toString(count)));
    else if (count > 0)
        parts << tr("change %1 of %2").arg(locale.toString(current), locale.toString(count));
    if (!m_filePosition.isEmpty())
        parts << m_filePosition;
    m_position->setText(parts.join(QStringLiteral(" — ")));
    m_previous->setEnabled(current > 1 || m_changesBefore);
    m_next->setEnabled(current < count || m_changesAfter);
}

} // namespace tessaly
