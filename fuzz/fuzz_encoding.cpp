// Fuzz target: classifying arbitrary file content by its mark and UTF-8 validity,
// decoding it and writing it back; where the format can hold the text, the bytes
// must survive unchanged.
#include "fuzz_check.h"

#include "engine/replace_job.h"
#include "textio/code_page.h"
#include "textio/code_page_tables.h"
#include "textio/text_decoding.h"
#include "textio/text_encoding.h"

#include <cstdint>
#include <cstring>

using namespace tessaly;

namespace {

bool begins(const uint8_t *data, size_t size, const char *mark, size_t length)
{
    return size >= length && std::memcmp(data, mark, length) == 0;
}

// The mark tests in their order; the first that holds decides.
ByteOrderMark expectedMark(const uint8_t *data, size_t size)
{
    if (begins(data, size, "\xFF\xFE\x00\x00", 4)) return ByteOrderMark::Utf32LE;
    if (begins(data, size, "\x00\x00\xFE\xFF", 4)) return ByteOrderMark::Utf32BE;
    if (begins(data, size, "\xEF\xBB\xBF", 3)) return ByteOrderMark::Utf8;
    if (begins(data, size, "\xFF\xFE", 2)) return ByteOrderMark::Utf16LE;
    if (begins(data, size, "\xFE\xFF", 2)) return ByteOrderMark::Utf16BE;
    return ByteOrderMark::None;
}

// Well-formed UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool wellFormedUtf8(const uint8_t *p, size_t n)
{
    for (size_t i = 0; i < n;) {
        const uint8_t b = p[i];
        size_t length;
        uint32_t c;
        if (b < 0x80) { ++i; continue; }
        if (b >= 0xC2 && b <= 0xDF) { length = 2; c = b & 0x1F; }
        else if (b >= 0xE0 && b <= 0xEF) { length = 3; c = b & 0x0F; }
        else if (b >= 0xF0 && b <= 0xF4) { length = 4; c = b & 0x07; }
        else return false;
        if (i + length > n)
            return false;
        for (size_t k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        if ((length == 3 && c < 0x800) || (length == 4 && c < 0x10000) || c > 0x10FFFF
            || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

bool hasHighByte(const uint8_t *p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (p[i] & 0x80)
            return true;
    return false;
}

// Every high surrogate followed by a low one and no low one alone.
// Every whole four-byte unit is a character: at most U+10FFFF and no surrogate.
// More than half of the complete units are characters (or there are none).
bool holdsMostlyUtf32LECharacters(const uint8_t *p, size_t n)
{
    size_t units = 0, characters = 0;
    for (size_t i = 0; i + 4 <= n; i += 4, ++units) {
        const uint32_t value = uint32_t(p[i]) | uint32_t(p[i + 1]) << 8 | uint32_t(p[i + 2]) << 16
                               | uint32_t(p[i + 3]) << 24;
        if (value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF))
            ++characters;
    }
    return units == 0 || characters * 2 > units;
}

bool wellFormedUtf16(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1].unicode() < 0xDC00 || text[i + 1].unicode() > 0xDFFF)
                return false;
            ++i;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView content(reinterpret_cast<const char *>(data), qsizetype(size));
    const ByteOrderMark mark = expectedMark(data, size);

    const SourceFormat marked = classifyMark(content);
    FUZZ_CHECK(marked.mark == mark);
    const SourceFormat format = classifyContent(content);
    if (mark == ByteOrderMark::None) {
        const bool utf8 = hasHighByte(data, size) && wellFormedUtf8(data, size);
        FUZZ_CHECK(format.mark == ByteOrderMark::None);
        FUZZ_CHECK(format.encoding == (utf8 ? TextEncoding::Utf8 : TextEncoding::Ansi));
    } else if (mark == ByteOrderMark::Utf32LE && !holdsMostlyUtf32LECharacters(data + 4, size - 4)) {
        // FF FE 00 00 is also the UTF-16 mark followed by U+0000.
        FUZZ_CHECK(format.encoding == TextEncoding::Utf16 && format.mark == ByteOrderMark::Utf16LE);
    } else {
        FUZZ_CHECK(format == marked);
        FUZZ_CHECK(format.encoding == (mark == ByteOrderMark::Utf8 ? TextEncoding::Utf8 : TextEncoding::Utf16));
    }
    FUZZ_CHECK(markBytes(format.mark) == content.first(markLength(format.mark)));

    const size_t markSize = size_t(markLength(format.mark));
    const uint8_t *body = data + markSize;
    const size_t bodySize = size - markSize;
    static const CodePage westernPage = *CodePage::byName(QStringLiteral("1252"));
    DecodeDetails details;
    const QString text = decodeText(content, format, westernPage, &details);
    // What a job writes for the file when nothing is found in it.
    static const JobOptions options = [] {
        JobOptions whole;
        whole.mode = ReplaceMode::WholeFile;
        whole.codePage = westernPage;
        return whole;
    }();
    const QByteArray written = replacedContent(QByteArray(content.data(), content.size()), format, {}, options);

    switch (format.mark) {
    case ByteOrderMark::None:
        if (format.encoding == TextEncoding::Ansi) {
            // A code page maps every byte to its own character: every page round-trips.
            FUZZ_CHECK(written == content);
            for (const auto &table : codepages::all()) {
                const CodePage page = *CodePage::byName(QString::number(table.number));
                const QString decoded = page.decode(content);
                FUZZ_CHECK(decoded.size() == qsizetype(size));
                qint64 pageLost = 0;
                FUZZ_CHECK(page.encode(decoded, &pageLost) == content && pageLost == 0);
                FUZZ_CHECK(page.canEncode(decoded));
            }
        } else {
            FUZZ_CHECK(written == content);
        }
        break;
    case ByteOrderMark::Utf8:
        if (wellFormedUtf8(body, bodySize))
            FUZZ_CHECK(written == content);
        break;
    case ByteOrderMark::Utf16LE:
        // Little-endian UTF-16 comes back as it was, up to a stray odd byte.
        if (bodySize % 2 == 0
            && wellFormedUtf16(QStringView(reinterpret_cast<const char16_t *>(body), qsizetype(bodySize / 2)))) {
            FUZZ_CHECK(text.size() == qsizetype(bodySize / 2));
            FUZZ_CHECK(written == content);
        }
        break;
    case ByteOrderMark::Utf16BE:
    case ByteOrderMark::Utf32LE:
    case ByteOrderMark::Utf32BE:
    {
        // Written as little-endian UTF-16 with its mark: the text read back is the
        // same, and an incomplete last unit follows it unchanged.
        FUZZ_CHECK(written.startsWith("\xFF\xFE"));
        FUZZ_CHECK(written.size() == 2 + 2 * text.size() + details.trailingBytes);
        FUZZ_CHECK(written.endsWith(content.last(details.trailingBytes)));
        const SourceFormat utf16 = {TextEncoding::Utf16, ByteOrderMark::Utf16LE};
        const QByteArrayView units = QByteArrayView(written).first(written.size() - details.trailingBytes);
        FUZZ_CHECK(decodeText(units, utf16, westernPage) == text);
        // A UTF-32 value that is no character comes out as U+FFFD, never as a
        // lone surrogate.
        if (format.mark != ByteOrderMark::Utf16BE)
            FUZZ_CHECK(wellFormedUtf16(text));
        break;
    }
    }
    return 0;
}
