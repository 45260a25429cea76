// Turning a file's bytes into text by its format.
#pragma once

#include "textio/code_page.h"
#include "textio/text_encoding.h"

#include <QByteArray>
#include <QString>

namespace tessaly {

// What decoding could not turn into characters; nothing is dropped silently.
struct DecodeDetails {
    qsizetype trailingBytes = 0;  // an incomplete last UTF-16 or UTF-32 unit, to be kept as bytes
    qint64 invalid = 0;           // UTF-32 values that are no character, read as U+FFFD
};

// The text of the whole content (mark excluded) in the content's format. An
// incomplete last unit is left out of the text and counted in *details.
QString decodeText(QByteArrayView content, SourceFormat format, const CodePage &codePage,
                   DecodeDetails *details = nullptr);

} // namespace tessaly
