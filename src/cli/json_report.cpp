#include "cli/json_report.h"

#include "base/paths.h"

namespace tessaly::cli {

namespace {

// An object written key by key in the order given, straight into one buffer.
class JsonLine {
public:
    explicit JsonLine(const char *type)
    {
        m_bytes.reserve(512);
        m_bytes += "{\"type\":\"";
        m_bytes += type;
        m_bytes += '"';
    }

    void string(const char *key, QStringView text)
    {
        this->key(key);
        appendString(text);
    }
    void stringOrNull(const char *key, const QString &text)
    {
        if (text.isEmpty())
            null(key);
        else
            string(key, text);
    }
    // A file name: JSON text can hold no lone surrogate, so a name that is not
    // valid UTF-8 also gets its bytes under KEY_bytes.
    void name(const char *key, const QString &name)
    {
        stringOrNull(key, name);
        if (!name.isEmpty() && !isValidFileName(name)) {
            this->key(key, "_bytes");
            m_bytes += '"';
            m_bytes += fileNameBytes(name).toBase64();
            m_bytes += '"';
        }
    }
    void number(const char *key, qint64 n)
    {
        this->key(key);
        m_bytes += QByteArray::number(n);
    }
    void boolean(const char *key, bool value)
    {
        this->key(key);
        m_bytes += value ? "true" : "false";
    }
    void null(const char *key)
    {
        this->key(key);
        m_bytes += "null";
    }
    QByteArray finish() &&
    {
        m_bytes += "}\n";
        return std::move(m_bytes);
    }

private:
    void key(const char *key, const char *suffix = "")
    {
        m_bytes += ",\"";
        m_bytes += key;
        m_bytes += suffix;
        m_bytes += "\":";
    }
    void appendString(QStringView text)
    {
        m_bytes += '"';
        qsizetype plain = 0;  // start of the run that needs no escape
        const auto flush = [&](qsizetype end) {
            if (end > plain)
                m_bytes += text.sliced(plain, end - plain).toUtf8();
        };
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            if (c >= 0x20 && c != u'"' && c != u'\\' && !QChar::isSurrogate(c))
                continue;
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                ++i;
                continue;
            }
            flush(i);
            plain = i + 1;
            switch (c) {
            case u'"': m_bytes += "\\\""; break;
            case u'\\': m_bytes += "\\\\"; break;
            case u'\n': m_bytes += "\\n"; break;
            case u'\r': m_bytes += "\\r"; break;
            case u'\t': m_bytes += "\\t"; break;
            case u'\b': m_bytes += "\\b"; break;
            case u'\f': m_bytes += "\\f"; break;
            default:
                if (QChar::isSurrogate(c))
                    m_bytes += "\xEF\xBF\xBD";  // U+FFFD; the bytes follow separately
                else
                    m_bytes += "\\u00" + QByteArray::number(c, 16).rightJustified(2, '0');
            }
        }
        flush(text.size());
        m_bytes += '"';
    }

    QByteArray m_bytes;
};

QString encodingName(SourceFormat format, const QString &codePageName)
{
    switch (format.mark) {
    case ByteOrderMark::Utf8: return QStringLiteral("UTF-8 with BOM");
    case ByteOrderMark::Utf16LE: return QStringLiteral("UTF-16LE");
    case ByteOrderMark::Utf16BE: return QStringLiteral("UTF-16BE");
    case ByteOrderMark::Utf32LE: return QStringLiteral("UTF-32LE");
    case ByteOrderMark::Utf32BE: return QStringLiteral("UTF-32BE");
    case ByteOrderMark::None: break;
    }
    return format.encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8") : codePageName;
}

const char *outcome(const FileReport &report)
{
    switch (report.status) {
    case FileReport::Status::Written: return report.dryRun ? "would_be_written" : "written";
    case FileReport::Status::Skipped: return "skipped";
    case FileReport::Status::Failed: break;
    }
    return report.dryRun ? "would_fail" : "failed";
}

} // namespace

QByteArray jsonFileLine(const FileReport &report, const QString &codePageName)
{
    JsonLine line("file");
    line.name("source", report.source);
    line.name("result", report.resultPath);
    line.string("outcome", QString::fromLatin1(outcome(report)));
    line.stringOrNull("reason", report.status == FileReport::Status::Written ? QString() : report.description);
    const bool written = report.status == FileReport::Status::Written;
    line.number("replacements", written ? report.replacements : 0);
    if (written) {
        line.string("encoding_read", encodingName(report.format, codePageName));
        line.string("encoding_written", encodingName(resultFormat(report.format), codePageName));
    } else {
        line.null("encoding_read");
        line.null("encoding_written");
    }
    line.number("written_as_question_mark", written ? report.lostCharacters : 0);
    line.number("invalid_characters", written ? report.invalidCharacters : 0);
    return std::move(line).finish();
}

QByteArray jsonSummaryLine(const RunTally &tally, qint64 listed, bool dryRun, const QString &codePageName,
                           const QString &stopSignal)
{
    JsonLine line("summary");
    line.number("files", listed);
    line.number("written", tally.written);
    line.number("skipped", tally.skipped);
    line.number("failed", tally.failed);
    line.number("replacements", tally.replacements);
    line.number("written_as_question_mark", tally.lost);
    line.number("invalid_characters", tally.invalid);
    line.number("not_processed", listed - tally.files);
    line.boolean("dry_run", dryRun);
    line.string("code_page", codePageName);
    line.stringOrNull("interrupted_by", stopSignal);
    return std::move(line).finish();
}

} // namespace tessaly::cli
