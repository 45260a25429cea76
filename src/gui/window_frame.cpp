#include "gui/window_frame.h"

#include <QStyle>
#include <QWidget>

namespace tessaly {

int boxFrameHeight(const QWidget &box)
{
    return box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box)
        + 2 * box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &box);
}

} // namespace tessaly
