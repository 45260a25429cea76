#include "cli/terminal_text.h"

#include <algorithm>

namespace tessaly::cli {

namespace {

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
}

} // namespace

QString escapeControls(const QString &text)
{
    if (std::none_of(text.begin(), text.end(), isControl))
        return text;
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (!isControl(c)) {
            escaped += c;
            continue;
        }
        switch (c.unicode()) {
        case u'\n': escaped += QLatin1String("\\n"); break;
        case u'\r': escaped += QLatin1String("\\r"); break;
        case u'\t': escaped += QLatin1String("\\t"); break;
        case u'\a': escaped += QLatin1String("\\a"); break;
        case u'\b': escaped += QLatin1String("\\b"); break;
        case u'\f': escaped += QLatin1String("\\f"); break;
        case u'\v': escaped += QLatin1String("\\v"); break;
        case 0x1B: escaped += QLatin1String("\\e"); break;
        default:
            escaped += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        }
    }
    return escaped;
}

} // namespace tessaly::cli
