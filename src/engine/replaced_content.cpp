#include "engine/replaced_content.h"

#include "engine/prepared_sets.h"
#include "engine/replacement.h"
#include "textio/text_decoding.h"

#include <numeric>
#include <utility>

namespace tessaly {

namespace {

qint64 sum(const QList<qint64> &counts)
{
    return std::accumulate(counts.begin(), counts.end(), qint64(0));
}

// Single-byte and UTF-8 sources are replaced as bytes, so bytes no replacement
// touches come out identical (invalid sequences included) and nothing is decoded.
ReplacedContent replaceAsBytes(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                               const JobOptions &options, PreparedSets &prepared, QByteArray recycled)
{
    const bool utf8 = format.encoding == TextEncoding::Utf8;
    const std::shared_ptr<const PreparedBytes> bytes = prepared.bytes(sets, utf8, options.codePage);
    const qsizetype mark = markLength(format.mark);
    QList<qint64> counts;
    ReplacedContent result;
    result.mark = QByteArrayView(content).first(mark);
    result.bytes = replaceText(QByteArrayView(content).sliced(mark), bytes->substitutions, options.mode, &counts,
                               std::move(recycled));
    result.replacements = sum(counts);
    for (qsizetype j = 0; j < counts.size(); ++j)
        result.lost += counts[j] * bytes->lostPerReplacement[j];
    return result;
}

ReplacedContent replaceAsText(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                              const JobOptions &options, PreparedSets &prepared)
{
    const std::shared_ptr<const PreparedSubstitutions<QString>> substitutions = prepared.text(sets);
    ReplacedContent result;
    QList<qint64> counts;
    if (format.mark == ByteOrderMark::Utf16LE) {
        // Little-endian UTF-16 is searched in place.
        const qsizetype units = (content.size() - 2) / 2;
        const QStringView text(reinterpret_cast<const char16_t *>(content.constData() + 2), units);
        result.utf16 = replaceText(text, *substitutions, options.mode, &counts);
        result.trailing = QByteArrayView(content).sliced(2 + units * 2);
    } else {
        DecodeDetails details;
        const QString text = decodeText(content, format, options.codePage, &details);
        result.utf16 = replaceText(QStringView(text), *substitutions, options.mode, &counts);
        result.trailing = QByteArrayView(content).last(details.trailingBytes);
        result.invalid = details.invalid;
    }
    result.replacements = sum(counts);
    if (format.encoding == TextEncoding::Utf16) {
        result.isUtf16 = true;
    } else {
        result.bytes = options.codePage.encode(result.utf16, &result.lost);
        result.utf16.clear();
    }
    return result;
}

} // namespace

ReplacedContent replaceContent(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                               const JobOptions &options, PreparedSets &prepared, QByteArray recycled)
{
    return replacesAsBytes(format, sets, options.codePage)
               ? replaceAsBytes(content, format, sets, options, prepared, std::move(recycled))
               : replaceAsText(content, format, sets, options, prepared);
}

SourceFormat resultFormat(SourceFormat format)
{
    return format.encoding == TextEncoding::Utf16 ? SourceFormat{TextEncoding::Utf16, ByteOrderMark::Utf16LE}
                                                  : format;
}

QByteArray replacedContent(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                           const JobOptions &options)
{
    PreparedSets prepared;
    return replaceContent(content, format, sets, options, prepared).joined();
}

} // namespace tessaly
