#include "textio/text_lines.h"

#include "textio/file_system.h"
#include "textio/text_decoding.h"

namespace tessaly {

QStringList splitTextLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n || lines.isEmpty())
        lines.append(text.mid(start));
    return lines;
}

QStringList ReadTextLines(const QString &path, const CodePage &codePage)
{
    const QByteArray content = FileSystem::real().readAll(path);
    return splitTextLines(decodeText(content, classifyContent(content), codePage));
}

} // namespace tessaly
