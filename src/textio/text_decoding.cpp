#include "textio/text_decoding.h"

#include <QStringDecoder>

namespace tessaly {

namespace {
// The mark is cut off before decoding; a U+FEFF after it is text and must stay
// (the decoders drop an initial one by default).
constexpr auto kKeepMark = QStringConverter::Flag::ConvertInitialBom;
} // namespace

QString decodeText(QByteArrayView content, SourceFormat format, const CodePage &codePage)
{
    const QByteArrayView body = content.sliced(std::min<qsizetype>(markLength(format.mark), content.size()));
    switch (format.mark) {
    case ByteOrderMark::None:
        return format.encoding == TextEncoding::Utf8 ? QStringDecoder(QStringConverter::Utf8, kKeepMark).decode(body)
                                                     : codePage.decode(body);
    case ByteOrderMark::Utf8:
        return QStringDecoder(QStringConverter::Utf8, kKeepMark).decode(body);
    case ByteOrderMark::Utf16LE:
        return QStringDecoder(QStringConverter::Utf16LE, kKeepMark).decode(body);
    case ByteOrderMark::Utf16BE:
        return QStringDecoder(QStringConverter::Utf16BE, kKeepMark).decode(body);
    case ByteOrderMark::Utf32LE:
        return QStringDecoder(QStringConverter::Utf32LE, kKeepMark).decode(body);
    case ByteOrderMark::Utf32BE:
        return QStringDecoder(QStringConverter::Utf32BE, kKeepMark).decode(body);
    }
    return {};
}

QByteArray encodeText(QStringView text, SourceFormat format, const CodePage &codePage, qint64 *lost)
{
    switch (format.encoding) {
    case TextEncoding::Ansi:
        return codePage.encode(text, lost);
    case TextEncoding::Utf8:
        return markBytes(format.mark).toByteArray() + text.toUtf8();
    case TextEncoding::Utf16:
        return markBytes(ByteOrderMark::Utf16LE).toByteArray()
               + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    }
    return {};
}

} // namespace tessaly
