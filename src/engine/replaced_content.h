// A source's content replaced whole in memory, as a file's job writes it and a
// preview shows it: the bytes no replacement touched come out as they were.
#pragma once

#include "engine/find_replace_set.h"
#include "engine/job_options.h"
#include "textio/text_encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace tessaly {

class PreparedSets;

// A content replaced whole, ready to write: its parts in order, and what it cost.
struct ReplacedContent {
    QByteArrayView mark;        // the source's UTF-8 mark, kept
    QByteArray bytes;           // single-byte or UTF-8 result
    QString utf16;              // UTF-16 result (written with the FF FE mark)
    QByteArrayView trailing;    // an incomplete last unit of a UTF-16 or UTF-32 source, kept as it was
    bool isUtf16 = false;
    qint64 replacements = 0;
    qint64 lost = 0;
    qint64 invalid = 0;

    QList<QByteArrayView> parts() const
    {
        if (!isUtf16)
            return {mark, QByteArrayView(bytes)};
        return {markBytes(ByteOrderMark::Utf16LE),
                QByteArrayView(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2), trailing};
    }
    // The parts as one (without a copy when there is only the bytes).
    QByteArray joined() const
    {
        if (!isUtf16 && mark.isEmpty())
            return bytes;
        QByteArray all;
        for (QByteArrayView part : parts())
            all += part;
        return all;
    }
};

// Replaces with the sets made ready in `prepared`. A single-byte or UTF-8 result
// may be made in `recycled`.
ReplacedContent replaceContent(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                               const JobOptions &options, PreparedSets &prepared, QByteArray recycled = {});

// The bytes a job writes for a source's content of that format: the replacement
// step alone, with no result path and no write. They are in resultFormat(format):
// the source's, except that UTF-16 and UTF-32 sources give UTF-16 little-endian.
SourceFormat resultFormat(SourceFormat format);
QByteArray replacedContent(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                           const JobOptions &options);

} // namespace tessaly
