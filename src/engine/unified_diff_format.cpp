#include "engine/unified_diff_format.h"

namespace tessaly {

namespace {

const QLatin1String Reset("\x1b[0m");
const QLatin1String Bold("\x1b[1m");
const QLatin1String Cyan("\x1b[36m");
const QLatin1String Red("\x1b[31m");
const QLatin1String Green("\x1b[32m");
const QLatin1String Inverse("\x1b[7m");
const QLatin1String InverseOff("\x1b[27m");

QString range(qsizetype start, qsizetype count)
{
    return count == 1 ? QString::number(start) : QStringLiteral("%1,%2").arg(start).arg(count);
}

// A terminal shows a lone CR by going back to the line's start, so the rest of
// the line would overprint it: coloured output shows it as "^M".
void appendShown(QString &out, QStringView text, DiffColors colors)
{
    if (colors == DiffColors::None) {
        out += text;
        return;
    }
    for (qsizetype at = 0; at < text.size();) {
        qsizetype cr = text.indexOf(u'\r', at);
        while (cr >= 0 && cr + 1 < text.size() && text[cr + 1] == u'\n')
            cr = text.indexOf(u'\r', cr + 2);
        if (cr < 0) {
            out += text.mid(at);
            return;
        }
        out += text.mid(at, cr - at);
        out += QLatin1String("^M");
        at = cr + 1;
    }
}

void appendLine(QString &out, const DiffLine &line, DiffColors colors)
{
    static const QChar marks[] = {u' ', u'-', u'+'};
    const QChar mark = marks[int(line.kind)];
    const qsizetype contentLength = line.lengthWithoutLineEnd();
    const QStringView text(line.text);
    if (colors == DiffColors::None || line.kind == DiffLine::Kind::Context) {
        out += mark;
        appendShown(out, text.first(contentLength), colors);
        out += text.mid(contentLength);
    } else {
        // The colour is reset before the line end so that it never runs on into
        // the next line of the terminal.
        out += line.kind == DiffLine::Kind::Removed ? Red : Green;
        out += mark;
        qsizetype at = 0;
        for (const CharRange &changed : line.changed) {
            appendShown(out, text.mid(at, changed.start - at), colors);
            out += Inverse;
            appendShown(out, text.mid(changed.start, changed.length), colors);
            out += InverseOff;
            at = changed.start + changed.length;
        }
        appendShown(out, text.mid(at, contentLength - at), colors);
        out += Reset;
        out += text.mid(contentLength);
    }
    if (!line.hasLineEnd())
        out += QLatin1String("\n\\ No newline at end of file\n");
}

} // namespace

QString hunkHeader(const DiffHunk &hunk)
{
    return QStringLiteral("@@ -%1 +%2 @@")
        .arg(range(hunk.sourceStart, hunk.sourceCount), range(hunk.resultStart, hunk.resultCount));
}

QString formatUnifiedDiff(const QList<DiffHunk> &hunks, const QString &sourceLabel, const QString &resultLabel,
                          DiffColors colors)
{
    if (hunks.isEmpty())
        return {};
    const bool ansi = colors == DiffColors::Ansi;
    const auto styled = [ansi](QLatin1String style, const QString &text) {
        return ansi ? style + text + Reset : text;
    };
    // Room for the plain text up front: the diff of a large file is built without moving it.
    qsizetype size = sourceLabel.size() + resultLabel.size() + 8;
    for (const DiffHunk &hunk : hunks) {
        size += 40;
        for (const DiffLine &line : hunk.lines)
            size += line.text.size() + 1;
    }
    QString out;
    out.reserve(size);
    out += styled(Bold, QLatin1String("--- ") + sourceLabel) + u'\n' + styled(Bold, QLatin1String("+++ ") + resultLabel)
           + u'\n';
    for (const DiffHunk &hunk : hunks) {
        out += styled(Cyan, hunkHeader(hunk)) + u'\n';
        for (const DiffLine &line : hunk.lines)
            appendLine(out, line, colors);
    }
    return out;
}

} // namespace tessaly
