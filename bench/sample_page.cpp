#include "sample_page.h"

#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>

QString samplePage(int changes, const QString &lineEnd)
{
    QRandomGenerator random(14);
    const QStringList words{"lorem", "ipsum", "dolor", "sit", "amet", "<b>", "</b>", "&amp;", "fjord", "été"};
    QStringList lines;
    qsizetype size = 0;
    while (size < 1'000'000) {
        QString line = QStringLiteral("<p class=\"text\">");
        while (line.size() < 70)
            line += words[random.bounded(int(words.size()))] + u' ';
        line += QStringLiteral("</p>");
        size += line.size() + lineEnd.size();
        lines.append(line);
    }
    const qsizetype step = lines.size() / std::max(changes, 1);
    for (int i = 0; i < changes; ++i)
        lines[i * step + step / 2].insert(16, QStringLiteral("Acme "));
    return lines.join(lineEnd) + lineEnd;
}
