// Controls carry their product name ("Text3", "PushButton16") as object name:
// tests and style sheets find them by it.
#pragma once

#include <QLatin1String>

namespace tessaly {

template <class Control>
Control *named(Control *control, const char *name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

} // namespace tessaly
