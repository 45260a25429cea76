// Times the unified diff of a generated 1 MB page against its result, for a page
// of short lines and for the same page on one line, with replacements scattered
// through it.
// Usage: tessaly-diff-bench [CHANGES]   (default 200 replaced words)
#include "engine/text_diff.h"
#include "engine/unified_diff_format.h"
#include "sample_page.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tessaly;

namespace {

void time(const char *name, const QString &source, const QString &result)
{
    std::vector<qint64> micros;
    qsizetype hunks = 0, textSize = 0;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        const auto diff = diffTextsInPlace(source, result, DiffRules());
        textSize = formatUnifiedDiff(diff, "SOURCE", "RESULT").size();
        micros.push_back(timer.nsecsElapsed() / 1000);
        hunks = diff.size();
    }
    std::sort(micros.begin(), micros.end());
    std::printf("%-28s %8.2f MB  %5lld hunks  diff %8lld bytes  median %7.2f ms  max %7.2f ms\n", name,
                source.size() / 1e6, qlonglong(hunks), qlonglong(textSize), micros[micros.size() / 2] / 1000.0,
                micros.back() / 1000.0);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int changes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200;
    std::printf("%d replaced words\n", changes);
    for (const auto &[name, lineEnd] : {std::pair{"lines (LF)", QStringLiteral("\n")},
                                        std::pair{"lines (CR LF)", QStringLiteral("\r\n")},
                                        std::pair{"one line", QStringLiteral(" ")}}) {
        const QString source = samplePage(changes, lineEnd);
        time(name, source, QString(source).replace(QLatin1String("Acme"), QLatin1String("Zenith")));
    }
    const QString source = samplePage(changes, QStringLiteral("\n"));
    time("lines, a break per change", source, QString(source).replace(QLatin1String("Acme"), QLatin1String("Zen\nith")));
    time("no change", source, source);
    time("every line changed", source, QString(source).replace(QLatin1String("<p"), QLatin1String("<div")));
    return 0;
}
