#include "textio/text_encoding.h"

#include "textio/file_system.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace tessaly {

namespace {

bool startsWith(QByteArrayView content, const char *mark, qsizetype length)
{
    return content.size() >= length && std::memcmp(content.data(), mark, size_t(length)) == 0;
}

// True when some byte has its high bit set; eight bytes at a time.
bool hasHighBytes(QByteArrayView content)
{
    const char *p = content.data();
    qsizetype n = content.size();
    constexpr quint64 high = 0x8080808080808080ULL;
    for (; n >= 8; p += 8, n -= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & high)
            return true;
    }
    for (; n > 0; ++p, --n)
        if (static_cast<unsigned char>(*p) & 0x80)
            return true;
    return false;
}

// Most complete four-byte units after the mark are characters (an incomplete
// last unit is kept as bytes and counts neither way). A few bad values do not
// make UTF-32 text UTF-16; UTF-16 text read as UTF-32 gives bad values in most units.
bool isUtf32LE(QByteArrayView body)
{
    qsizetype units = 0, characters = 0;
    for (qsizetype i = 0; i + 3 < body.size(); i += 4, ++units) {
        const quint32 value = qFromLittleEndian<quint32>(body.data() + i);
        if (value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF))
            ++characters;
    }
    return 2 * characters > units || units == 0;
}

} // namespace

SourceFormat classifyMark(QByteArrayView content)
{
    if (startsWith(content, "\xFF\xFE\x00\x00", 4))
        return {TextEncoding::Utf16, ByteOrderMark::Utf32LE};
    if (startsWith(content, "\x00\x00\xFE\xFF", 4))
        return {TextEncoding::Utf16, ByteOrderMark::Utf32BE};
    if (startsWith(content, "\xEF\xBB\xBF", 3))
        return {TextEncoding::Utf8, ByteOrderMark::Utf8};
    if (startsWith(content, "\xFF\xFE", 2))
        return {TextEncoding::Utf16, ByteOrderMark::Utf16LE};
    if (startsWith(content, "\xFE\xFF", 2))
        return {TextEncoding::Utf16, ByteOrderMark::Utf16BE};
    return {TextEncoding::Ansi, ByteOrderMark::None};
}

SourceFormat classifyContent(QByteArrayView content)
{
    const SourceFormat marked = classifyMark(content);
    if (marked.mark == ByteOrderMark::None && hasHighBytes(content) && content.isValidUtf8())
        return {TextEncoding::Utf8, ByteOrderMark::None};
    // FF FE 00 00 is also a UTF-16 mark followed by U+0000.
    if (marked.mark == ByteOrderMark::Utf32LE && !isUtf32LE(content.sliced(4)))
        return {TextEncoding::Utf16, ByteOrderMark::Utf16LE};
    return marked;
}

namespace {

// The bytes a UTF-8 sequence with this first byte has (1 for anything else).
qsizetype sequenceLength(unsigned char first)
{
    return first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
}

// Where an incomplete sequence at the end of bytes starts; its size when there is none.
qsizetype incompleteTail(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype back = 1; back <= std::min<qsizetype>(4, n); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[n - back]);
        if ((byte & 0xC0) != 0x80)
            return sequenceLength(byte) > back ? n - back : n;
    }
    return n;
}

} // namespace

void Utf8Check::add(QByteArrayView piece)
{
    if (!m_valid)
        return;
    m_highBytes = m_highBytes || hasHighBytes(piece);
    if (!m_pending.isEmpty()) {
        // The sequence begun in the pieces before is completed first.
        const qsizetype missing = sequenceLength(static_cast<unsigned char>(m_pending[0])) - m_pending.size();
        const qsizetype taken = std::min(missing, piece.size());
        m_pending += piece.first(taken);
        piece = piece.sliced(taken);
        if (taken < missing)
            return;
        m_valid = QByteArrayView(m_pending).isValidUtf8();
        m_pending.clear();
    }
    const qsizetype tail = incompleteTail(piece);
    m_valid = m_valid && piece.first(tail).isValidUtf8();
    m_pending = piece.sliced(tail).toByteArray();
}

int markLength(ByteOrderMark mark)
{
    return int(markBytes(mark).size());
}

QByteArrayView markBytes(ByteOrderMark mark)
{
    switch (mark) {
    case ByteOrderMark::None: return {};
    case ByteOrderMark::Utf8: return QByteArrayView("\xEF\xBB\xBF", 3);
    case ByteOrderMark::Utf16LE: return QByteArrayView("\xFF\xFE", 2);
    case ByteOrderMark::Utf16BE: return QByteArrayView("\xFE\xFF", 2);
    case ByteOrderMark::Utf32LE: return QByteArrayView("\xFF\xFE\x00\x00", 4);
    case ByteOrderMark::Utf32BE: return QByteArrayView("\x00\x00\xFE\xFF", 4);
    }
    return {};
}

TextEncoding DetectTextEncoding(const QString &path)
{
    return classifyContent(FileSystem::real().readAll(path)).encoding;
}

QString describe(SourceFormat format)
{
    switch (format.mark) {
    case ByteOrderMark::Utf8: return QStringLiteral("UTF-8 with mark");
    case ByteOrderMark::Utf16LE: return QStringLiteral("UTF-16");
    case ByteOrderMark::Utf16BE: return QStringLiteral("UTF-16 big-endian");
    case ByteOrderMark::Utf32LE: return QStringLiteral("UTF-32");
    case ByteOrderMark::Utf32BE: return QStringLiteral("UTF-32 big-endian");
    case ByteOrderMark::None: break;
    }
    return format.encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("code page");
}

} // namespace tessaly
