// Encoding classes of text files, found from their first bytes (and, for unmarked
// files, from whether the whole content is UTF-8).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tessaly {

enum class TextEncoding { Ansi, Utf16, Utf8 };

// The mark a file begins with; it decides how the text is decoded and how the
// result is written (UTF-8 keeps its mark or its absence, every UTF-16/UTF-32
// source is written as UTF-16 little-endian with mark).
enum class ByteOrderMark { None, Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

struct SourceFormat {
    TextEncoding encoding = TextEncoding::Ansi;
    ByteOrderMark mark = ByteOrderMark::None;
    friend bool operator==(SourceFormat a, SourceFormat b) { return a.encoding == b.encoding && a.mark == b.mark; }
};

// The class from the first four bytes and the length, in the order the marks are
// tested: FF FE 00 00, 00 00 FE FF, EF BB BF, FF FE, FE FF.
SourceFormat classifyMark(QByteArrayView content);
// classifyMark, then an unmarked content that holds a multi-byte sequence and is
// valid UTF-8 throughout counts as UTF-8 without mark, and a content marked
// FF FE 00 00 whose rest is not UTF-32 counts as UTF-16 beginning with U+0000.
SourceFormat classifyContent(QByteArrayView content);
// classifyContent's test of an unmarked content, for a content read in pieces:
// add them in order, then ask.
class Utf8Check {
public:
    void add(QByteArrayView piece);
    bool isUtf8() const { return m_highBytes && m_valid && m_pending.isEmpty(); }

private:
    QByteArray m_pending;  // an incomplete sequence at the end of the pieces so far
    bool m_highBytes = false;
    bool m_valid = true;
};

int markLength(ByteOrderMark mark);
QByteArrayView markBytes(ByteOrderMark mark);

// Reads the file's first four bytes (and, when unmarked, its content). Throws TessalyError.
TextEncoding DetectTextEncoding(const QString &path);

QString describe(SourceFormat format);

} // namespace tessaly
