// Turning a file's bytes into text and text into a result's bytes, by its format.
#pragma once

#include "textio/code_page.h"
#include "textio/text_encoding.h"

#include <QByteArray>
#include <QString>

namespace tessaly {

// The text of the whole content (mark excluded) in the content's format.
QString decodeText(QByteArrayView content, SourceFormat format, const CodePage &codePage);
// The bytes a result in this format is written as, mark included: UTF-8 keeps its
// mark or its absence, UTF-16 and UTF-32 sources become UTF-16 little-endian with mark.
QByteArray encodeText(QStringView text, SourceFormat format, const CodePage &codePage, qint64 *lost = nullptr);

} // namespace tessaly
