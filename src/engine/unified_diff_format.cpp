#include "engine/unified_diff_format.h"

#include "engine/append_buffer.h"

#include <QStringEncoder>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace tessaly {

namespace {

constexpr QByteArrayView Reset("\x1b[0m");
constexpr QByteArrayView Bold("\x1b[1m");
constexpr QByteArrayView Cyan("\x1b[36m");
constexpr QByteArrayView Red("\x1b[31m");
constexpr QByteArrayView Green("\x1b[32m");
constexpr QByteArrayView Inverse("\x1b[7m");
constexpr QByteArrayView InverseOff("\x1b[27m");

// The diff's bytes as they are written: room is made before each piece, which is
// then encoded straight into it.
using DiffOutput = AppendBuffer<QByteArrayView, QByteArray>;

// Lines of UTF-16 text written as UTF-8. Each piece is encoded on its own; as in
// QString::toUtf8, a surrogate without its partner becomes U+FFFD.
class Utf16Writer {
public:
    void operator()(DiffOutput &out, QStringView text)
    {
        out.commit(m_encoder.appendToBuffer(out.room(m_encoder.requiredSpace(text.size())), text));
    }

private:
    QStringEncoder m_encoder{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
};

// Lines of a code page's bytes written as UTF-8.
class CodePageWriter {
public:
    explicit CodePageWriter(const CodePage &codePage) : m_codePage(codePage) {}
    void operator()(DiffOutput &out, QByteArrayView text)
    {
        out.commit(m_codePage.toUtf8(text, out.room(3 * text.size())));
    }

private:
    const CodePage &m_codePage;
};

void appendRange(DiffOutput &out, qsizetype start, qsizetype count)
{
    constexpr qsizetype digits = 20;  // enough for any qsizetype
    char *at = out.room(2 * digits + 1);
    at = std::to_chars(at, at + digits, start).ptr;
    if (count != 1) {
        *at++ = ',';
        at = std::to_chars(at, at + digits, count).ptr;
    }
    out.commit(at);
}

void appendHunkHeader(DiffOutput &out, const DiffHunkPlace &hunk)
{
    out.append("@@ -");
    appendRange(out, hunk.sourceStart, hunk.sourceCount);
    out.append(" +");
    appendRange(out, hunk.resultStart, hunk.resultCount);
    out.append(" @@");
}

qsizetype indexOfCr(QStringView text, qsizetype from)
{
    return text.indexOf(u'\r', from);
}

qsizetype indexOfCr(QByteArrayView text, qsizetype from)
{
    return text.indexOf('\r', from);
}

// A terminal shows a lone CR by going back to the line's start, so the rest of
// the line would overprint it: coloured output shows it as "^M".
template <class View, class Writer>
void appendShownInTerminal(DiffOutput &out, View text, Writer &write)
{
    for (qsizetype at = 0; at < text.size();) {
        qsizetype cr = indexOfCr(text, at);
        while (cr >= 0 && cr + 1 < text.size() && text[cr + 1] == u'\n')
            cr = indexOfCr(text, cr + 2);
        if (cr < 0) {
            write(out, text.sliced(at));
            return;
        }
        write(out, text.sliced(at, cr - at));
        out.append("^M");
        at = cr + 1;
    }
}

template <class View, class Writer>
void appendLine(DiffOutput &out, const DiffLineOf<View> &line, DiffColors colors, Writer &write)
{
    static constexpr char marks[] = {' ', '-', '+'};
    const char mark = marks[int(line.kind)];
    const View text = line.text;
    const qsizetype contentLength = line.lengthWithoutLineEnd();
    if (colors == DiffColors::None) {
        out.append(mark);
        write(out, text);
    } else if (line.kind == DiffLineKind::Context) {
        out.append(mark);
        appendShownInTerminal(out, text.first(contentLength), write);
        write(out, text.sliced(contentLength));
    } else {
        // The colour is reset before the line end so that it never runs on into
        // the next line of the terminal.
        out.append(line.kind == DiffLineKind::Removed ? Red : Green);
        out.append(mark);
        qsizetype at = 0;
        for (const CharRange &changed : line.changed) {
            appendShownInTerminal(out, text.sliced(at, changed.start - at), write);
            out.append(Inverse);
            appendShownInTerminal(out, text.sliced(changed.start, changed.length), write);
            out.append(InverseOff);
            at = changed.start + changed.length;
        }
        appendShownInTerminal(out, text.sliced(at, contentLength - at), write);
        out.append(Reset);
        write(out, text.sliced(contentLength));
    }
    if (!line.hasLineEnd())
        out.append("\n\\ No newline at end of file\n");
}

// A file or hunk header line, in bold or cyan when coloured.
template <class WriteHeader>
void appendHeaderLine(DiffOutput &out, DiffColors colors, QByteArrayView style, const WriteHeader &writeHeader)
{
    const bool ansi = colors == DiffColors::Ansi;
    if (ansi)
        out.append(style);
    writeHeader();
    if (ansi)
        out.append(Reset);
    out.append('\n');
}

template <class View, class Writer>
QByteArray formatHunks(const QList<DiffHunkOf<View>> &hunks, const QString &sourceLabel, const QString &resultLabel,
                       DiffColors colors, Writer &write)
{
    if (hunks.isEmpty())
        return {};
    const QByteArray source = sourceLabel.toUtf8(), result = resultLabel.toUtf8();
    // Room for the plain text of a page in ASCII up front: the diff of a large file
    // is built without moving it.
    qsizetype size = source.size() + result.size() + 8;
    for (const DiffHunkOf<View> &hunk : hunks) {
        size += 40;
        for (const DiffLineOf<View> &line : hunk.lines)
            size += line.text.size() + 1;
    }
    DiffOutput out(size);
    appendHeaderLine(out, colors, Bold, [&] {
        out.append("--- ");
        out.append(source);
    });
    appendHeaderLine(out, colors, Bold, [&] {
        out.append("+++ ");
        out.append(result);
    });
    for (const DiffHunkOf<View> &hunk : hunks) {
        appendHeaderLine(out, colors, Cyan, [&] { appendHunkHeader(out, hunk); });
        for (const DiffLineOf<View> &line : hunk.lines)
            appendLine(out, line, colors, write);
    }
    return out.take();
}

} // namespace

QString hunkHeader(const DiffHunkPlace &hunk)
{
    DiffOutput out(64);
    appendHunkHeader(out, hunk);
    return QString::fromLatin1(out.take());
}

QByteArray formatUnifiedDiff(const QList<DiffHunkOf<QStringView>> &hunks, const QString &sourceLabel,
                             const QString &resultLabel, DiffColors colors)
{
    Utf16Writer write;
    return formatHunks(hunks, sourceLabel, resultLabel, colors, write);
}

QByteArray formatUnifiedDiff(const QList<DiffHunkOf<QByteArrayView>> &hunks, const CodePage &codePage,
                             const QString &sourceLabel, const QString &resultLabel, DiffColors colors)
{
    CodePageWriter write(codePage);
    return formatHunks(hunks, sourceLabel, resultLabel, colors, write);
}

} // namespace tessaly
