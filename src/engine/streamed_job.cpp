#include "engine/streamed_job.h"

#include "engine/prepared_sets.h"
#include "engine/streamed_replacement.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace tessaly {

namespace {

// Each set that can change the text passes through every piece with buffers of
// its own, of about two pieces. Up to this many sets get whole pieces; more share
// the same memory in smaller pieces, and a first pass over the text tells which
// of them can change it at all.
constexpr qsizetype kFullPieceSets = 8;
// With more sets than this that can change it, the text is replaced whole, where
// one search finds which sets occur as it goes.
constexpr qsizetype kMostStreamedSets = 8 * kFullPieceSets;

// Reads until `size` bytes are in or the source ends; returns how many.
qsizetype readPiece(SourceReader &reader, char *into, qsizetype size)
{
    qsizetype got = 0;
    while (got < size) {
        const qsizetype n = reader.read(into + got, size - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

// Hands every piece of the source to `look`, then goes back to its start.
template <class Look>
void lookThrough(SourceReader &reader, qsizetype pieceSize, Look &&look)
{
    QByteArray piece(pieceSize, Qt::Uninitialized);
    while (const qsizetype n = readPiece(reader, piece.data(), pieceSize))
        look(QByteArrayView(piece).first(n));
    reader.rewind();
}

// Reads the source from where it stands in pieces of up to `pieceSize` bytes,
// each after what the replacement held back, and writes what the replacement
// gives. `arrived` sees each piece's bytes first (and may change them); an odd
// byte after the last whole unit is not fed.
template <class Buffer, class Replacement, class Arrived>
void replacePieces(SourceReader &reader, qsizetype pieceSize, Replacement &replacement,
                   const FileSystem::PieceWriter *write, Arrived &&arrived)
{
    constexpr qsizetype unit = sizeof(typename Buffer::value_type);
    const qsizetype pieceBytes = pieceSize / unit * unit;
    Buffer buffer;
    Buffer out;
    qsizetype held = 0;  // what the replacement held back, at the buffer's start
    for (bool last = false; !last;) {
        buffer.resize(held + pieceBytes / unit);
        char *piece = reinterpret_cast<char *>(buffer.data() + held);
        const qsizetype got = readPiece(reader, piece, pieceBytes);
        last = got < pieceBytes;
        arrived(piece, got);
        buffer.resize(held + got / unit);
        out.resize(0);
        held = replacement.feed(buffer, last, out);
        if (write && !out.isEmpty())
            (*write)({QByteArrayView(reinterpret_cast<const char *>(out.constData()), out.size() * unit)});
        std::memmove(buffer.data(), buffer.data() + buffer.size() - held, size_t(held * unit));
    }
}

bool allAscii(const QList<FindReplaceSet> &sets)
{
    const auto ascii = [](const QString &text) {
        return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    };
    return std::all_of(sets.begin(), sets.end(),
                       [&](const FindReplaceSet &set) { return ascii(set.find) && ascii(set.replace); });
}

SourceFormat unmarkedFormat(bool utf8)
{
    return {utf8 ? TextEncoding::Utf8 : TextEncoding::Ansi, ByteOrderMark::None};
}

// UTF-16 after its mark, read straight into the text searched (big-endian units
// turned round) and written little-endian with its mark, as a whole page is; an
// odd last byte is kept as it was.
StreamedResult replaceStreamedUtf16(SourceReader &reader, const StreamPlan &plan, const QList<FindReplaceSet> &sets,
                                    PreparedSets &prepared, const FileSystem::PieceWriter *write)
{
    const std::shared_ptr<const PreparedSubstitutions<QString>> text = prepared.text(sets);
    StreamedUtf16Replacement replacement(text->substitutions());
    char mark[2];
    readPiece(reader, mark, 2);
    if (write)
        (*write)({markBytes(ByteOrderMark::Utf16LE)});
    const bool bigEndian = plan.format.mark == ByteOrderMark::Utf16BE;
    QByteArray oddByte;
    replacePieces<QString>(reader, plan.pieceSize, replacement, write, [&](char *piece, qsizetype got) {
        if (bigEndian) {
            char16_t *units = reinterpret_cast<char16_t *>(piece);
            for (qsizetype k = 0; k < got / 2; ++k)
                units[k] = qbswap(units[k]);
        }
        if (got % 2)
            oddByte = QByteArray(piece + got - 1, 1);
    });
    if (write && !oddByte.isEmpty())
        (*write)({QByteArrayView(oddByte)});
    StreamedResult result;
    result.format = plan.format;
    for (const qint64 n : replacement.counts())
        result.replacements += n;
    return result;
}

} // namespace

std::optional<StreamPlan> planStream(SourceReader &reader, const QList<FindReplaceSet> &sets,
                                     const JobOptions &options, PreparedSets &prepared, qsizetype pieceSize)
{
    if (reader.size() <= 4 * qint64(pieceSize) || options.mode != ReplaceMode::WholeFile)
        return std::nullopt;
    char start[4];
    const qsizetype got = readPiece(reader, start, 4);
    reader.rewind();
    StreamPlan plan;
    plan.format = classifyMark(QByteArrayView(start, got));
    // UTF-16 is replaced piece by piece with up to kFullPieceSets sets; UTF-32
    // sources are decoded whole.
    if (plan.format.encoding == TextEncoding::Utf16) {
        const bool utf16 = plan.format.mark == ByteOrderMark::Utf16LE || plan.format.mark == ByteOrderMark::Utf16BE;
        if (!utf16 || sets.size() > kFullPieceSets)
            return std::nullopt;
        plan.pieceSize = std::max<qsizetype>(2, pieceSize);  // at least one unit
        return plan;
    }
    if (plan.format.mark == ByteOrderMark::None) {
        if (allAscii(sets)) {
            plan.formatFound = false;
        } else {
            Utf8Check check;
            lookThrough(reader, pieceSize, [&](QByteArrayView piece) { check.add(piece); });
            plan.format = unmarkedFormat(check.isUtf8());
        }
    }
    if (plan.formatFound && !replacesAsBytes(plan.format, sets, options.codePage))
        return std::nullopt;
    qsizetype passes = sets.size();
    if (passes > kFullPieceSets) {
        const std::shared_ptr<const PreparedBytes> bytes =
            prepared.bytes(sets, plan.format.encoding == TextEncoding::Utf8, options.codePage);
        SetsInText look(bytes->substitutions.substitutions());
        lookThrough(reader, pieceSize, [&](QByteArrayView piece) { look.add(piece); });
        plan.needed = look.needed();
        passes = std::count(plan.needed.begin(), plan.needed.end(), true);
        if (passes > kMostStreamedSets)
            return std::nullopt;
    }
    plan.pieceSize = std::max<qsizetype>(1, pieceSize * kFullPieceSets / std::max(passes, kFullPieceSets));
    return plan;
}

StreamedResult replaceStreamed(SourceReader &reader, const StreamPlan &plan, const QList<FindReplaceSet> &sets,
                               const JobOptions &options, PreparedSets &prepared,
                               const FileSystem::PieceWriter *write)
{
    if (plan.format.encoding == TextEncoding::Utf16)
        return replaceStreamedUtf16(reader, plan, sets, prepared, write);
    const std::shared_ptr<const PreparedBytes> bytes =
        prepared.bytes(sets, plan.format.encoding == TextEncoding::Utf8, options.codePage);
    StreamedReplacement replacement(bytes->substitutions.substitutions(), plan.needed);
    // The mark is kept as it is.
    char mark[4];
    const qsizetype markSize = readPiece(reader, mark, markLength(plan.format.mark));
    if (write && markSize > 0)
        (*write)({QByteArrayView(mark, markSize)});
    Utf8Check check;
    replacePieces<QByteArray>(reader, plan.pieceSize, replacement, write, [&](const char *piece, qsizetype got) {
        if (!plan.formatFound)
            check.add(QByteArrayView(piece, got));
    });
    StreamedResult result;
    result.format = plan.formatFound ? plan.format : unmarkedFormat(check.isUtf8());
    const QList<qint64> &counts = replacement.counts();
    for (qsizetype j = 0; j < counts.size(); ++j) {
        result.replacements += counts[j];
        result.lost += counts[j] * bytes->lostPerReplacement[j];
    }
    return result;
}

} // namespace tessaly
