// Contrast of two colours as WCAG reckons it, from 1:1 to 21:1: readable text
// needs at least 4.5:1 against what is painted behind it.
#pragma once

#include <QColor>

#include <algorithm>
#include <cmath>

namespace testing {

inline double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &colour) {
        const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace testing
