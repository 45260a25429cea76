#include "textio/text_decoding.h"

#include <QStringDecoder>
#include <QtEndian>

namespace tessaly {

namespace {

// The mark is cut off before decoding; a U+FEFF after it is text and must stay
// (the decoder drops an initial one by default).
constexpr auto kKeepMark = QStringConverter::Flag::ConvertInitialBom;

QString decodeUtf16(QByteArrayView body, bool bigEndian)
{
    QString text(body.size() / 2, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i + 1 < body.size(); i += 2)
        *out++ = bigEndian ? qFromBigEndian<quint16>(body.data() + i) : qFromLittleEndian<quint16>(body.data() + i);
    return text;
}

// Every value that is a character becomes one or two UTF-16 units; a value above
// U+10FFFF or in the surrogate range becomes U+FFFD, so no unpaired surrogate
// ever reaches a result.
QString decodeUtf32(QByteArrayView body, bool bigEndian, qint64 *invalid)
{
    QString text;
    text.reserve(body.size() / 4);
    for (qsizetype i = 0; i + 3 < body.size(); i += 4) {
        const char32_t value = bigEndian ? qFromBigEndian<quint32>(body.data() + i)
                                         : qFromLittleEndian<quint32>(body.data() + i);
        if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            text += QChar::ReplacementCharacter;
            ++*invalid;
        } else if (value >= 0x10000) {
            text += QChar(QChar::highSurrogate(value));
            text += QChar(QChar::lowSurrogate(value));
        } else {
            text += QChar(char16_t(value));
        }
    }
    return text;
}

} // namespace

QString decodeText(QByteArrayView content, SourceFormat format, const CodePage &codePage, DecodeDetails *details)
{
    const QByteArrayView body = content.sliced(std::min<qsizetype>(markLength(format.mark), content.size()));
    DecodeDetails found;
    QString text;
    switch (format.mark) {
    case ByteOrderMark::None:
        text = format.encoding == TextEncoding::Utf8 ? QStringDecoder(QStringConverter::Utf8, kKeepMark).decode(body)
                                                     : codePage.decode(body);
        break;
    case ByteOrderMark::Utf8:
        text = QStringDecoder(QStringConverter::Utf8, kKeepMark).decode(body);
        break;
    case ByteOrderMark::Utf16LE:
    case ByteOrderMark::Utf16BE:
        text = decodeUtf16(body, format.mark == ByteOrderMark::Utf16BE);
        found.trailingBytes = body.size() % 2;
        break;
    case ByteOrderMark::Utf32LE:
    case ByteOrderMark::Utf32BE:
        text = decodeUtf32(body, format.mark == ByteOrderMark::Utf32BE, &found.invalid);
        found.trailingBytes = body.size() % 4;
        break;
    }
    if (details)
        *details = found;
    return text;
}

} // namespace tessaly
