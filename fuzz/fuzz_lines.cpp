// Fuzz target: splitting arbitrary text into lines and set lines into find and
// replace text, compared with a plain rendering of the rules.
#include "fuzz_check.h"

#include "sets/set_file.h"
#include "textio/text_lines.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

using namespace tessaly;

namespace {

QString wide(const std::string &bytes)
{
    // Latin-1 keeps CR, LF and every separator byte as one character each.
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

// CR LF, then each lone CR, become LF; the text is cut at every LF; a line end at
// the very end adds no empty line.
QStringList referenceLines(const QString &text)
{
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    unified.replace(u'\r', u'\n');
    QStringList lines = unified.split(u'\n');
    if (!text.isEmpty() && unified.endsWith(u'\n'))
        lines.removeLast();
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString separator = wide(input.ConsumeRandomLengthString(4));
    const QString text = wide(input.ConsumeRemainingBytesAsString());

    const QStringList lines = splitTextLines(text);
    FUZZ_CHECK(lines == referenceLines(text));
    FUZZ_CHECK(!lines.isEmpty());

    for (const QString &line : lines) {
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'));
        const std::optional<FindReplaceSet> set = splitSetLine(line, separator);
        const qsizetype first = separator.isEmpty() ? -1 : line.indexOf(separator);
        if (line.isEmpty() || first < 0) {
            FUZZ_CHECK(!set.has_value());
            continue;
        }
        FUZZ_CHECK(set.has_value());
        FUZZ_CHECK(set->find == line.left(first));
        FUZZ_CHECK(!set->find.contains(separator));
        // The replace text ends before a second separator, if there is one.
        const QString after = line.mid(first + separator.size());
        FUZZ_CHECK(after.startsWith(set->replace));
        FUZZ_CHECK(!set->replace.contains(separator));
        const QString beyond = after.mid(set->replace.size());
        FUZZ_CHECK(beyond.isEmpty() || beyond.startsWith(separator));
    }
    return 0;
}
