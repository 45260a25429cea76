#include "cli/json_report.h"

#include "base/paths.h"

#include <charconv>

namespace tessaly::cli {

namespace {

// An object written key by key in the order given, straight into one buffer:
// a report of many files writes one of these per file, so nothing here
// allocates but the buffer.
class JsonLine {
public:
    explicit JsonLine(const char *type)
    {
        m_text.reserve(512);
        m_text += "{\"type\":\"";
        m_text += type;
        m_text += '"';
    }

    void string(const char *key, QStringView text)
    {
        this->key(key);
        appendString(text);
    }
    // Text known to need no escape (a word of the report's own).
    void word(const char *key, const char *text)
    {
        this->key(key);
        m_text += '"';
        m_text += text;
        m_text += '"';
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
        if (name.isEmpty()) {
            null(key);
            return;
        }
        this->key(key);
        if (appendString(name))
            return;
        this->key(key, "_bytes");
        m_text += '"';
        m_text += fileNameBytes(name).toBase64().toStdString();
        m_text += '"';
    }
    void number(const char *key, qint64 n)
    {
        this->key(key);
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        m_text.append(digits, end);
    }
    void boolean(const char *key, bool value)
    {
        this->key(key);
        m_text += value ? "true" : "false";
    }
    void null(const char *key)
    {
        this->key(key);
        m_text += "null";
    }
    std::string finish() &&
    {
        m_text += "}\n";
        return std::move(m_text);
    }

private:
    void key(const char *key, const char *suffix = "")
    {
        m_text += ",\"";
        m_text += key;
        m_text += suffix;
        m_text += "\":";
    }
    // An ASCII character, escaped where JSON wants it.
    void appendAscii(char c)
    {
        static const char hex[] = "0123456789abcdef";
        if (c >= 0x20 && c != '"' && c != '\\') {
            m_text += c;
            return;
        }
        m_text += '\\';
        switch (c) {
        case '"': m_text += '"'; break;
        case '\\': m_text += '\\'; break;
        case '\n': m_text += 'n'; break;
        case '\r': m_text += 'r'; break;
        case '\t': m_text += 't'; break;
        case '\b': m_text += 'b'; break;
        case '\f': m_text += 'f'; break;
        default:
            m_text += "u00";
            m_text += hex[c >> 4];
            m_text += hex[c & 0xF];
        }
    }
    // The text in quotes, as UTF-8 with JSON's escapes; a lone surrogate becomes
    // U+FFFD. Returns false when there was one.
    bool appendString(QStringView text)
    {
        bool valid = true;
        m_text += '"';
        const char16_t *p = text.utf16();
        const char16_t *const end = p + text.size();
        for (; p < end; ++p) {
            char32_t c = *p;
            if (c < 0x80) {
                appendAscii(char(c));
                continue;
            }
            if (c < 0x800) {
                m_text += char(0xC0 | (c >> 6));
                m_text += char(0x80 | (c & 0x3F));
                continue;
            }
            if (QChar::isHighSurrogate(c) && p + 1 < end && QChar::isLowSurrogate(p[1])) {
                c = QChar::surrogateToUcs4(char16_t(c), *++p);
                m_text += char(0xF0 | (c >> 18));
                m_text += char(0x80 | ((c >> 12) & 0x3F));
                m_text += char(0x80 | ((c >> 6) & 0x3F));
                m_text += char(0x80 | (c & 0x3F));
                continue;
            }
            if (QChar::isSurrogate(c)) {
                valid = false;
                c = 0xFFFD;  // the name's bytes follow separately
            }
            m_text += char(0xE0 | (c >> 12));
            m_text += char(0x80 | ((c >> 6) & 0x3F));
            m_text += char(0x80 | (c & 0x3F));
        }
        m_text += '"';
        return valid;
    }

    std::string m_text;
};

const char *encodingName(SourceFormat format, const QString &codePageName, std::string *buffer)
{
    switch (format.mark) {
    case ByteOrderMark::Utf8: return "UTF-8 with BOM";
    case ByteOrderMark::Utf16LE: return "UTF-16LE";
    case ByteOrderMark::Utf16BE: return "UTF-16BE";
    case ByteOrderMark::Utf32LE: return "UTF-32LE";
    case ByteOrderMark::Utf32BE: return "UTF-32BE";
    case ByteOrderMark::None: break;
    }
    if (format.encoding == TextEncoding::Utf8)
        return "UTF-8";
    *buffer = codePageName.toStdString();  // "windows-1252"
    return buffer->c_str();
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

std::string jsonFileLine(const FileReport &report, const QString &codePageName)
{
    const bool written = report.status == FileReport::Status::Written;
    JsonLine line("file");
    line.name("source", report.source);
    line.name("result", report.resultPath);
    line.word("outcome", outcome(report));
    if (written)
        line.null("reason");
    else
        line.stringOrNull("reason", report.description);
    line.number("replacements", written ? report.replacements : 0);
    if (written) {
        std::string buffer;
        line.word("encoding_read", encodingName(report.format, codePageName, &buffer));
        line.word("encoding_written", encodingName(resultFormat(report.format), codePageName, &buffer));
    } else {
        line.null("encoding_read");
        line.null("encoding_written");
    }
    line.number("written_as_question_mark", written ? report.lostCharacters : 0);
    line.number("invalid_characters", written ? report.invalidCharacters : 0);
    return std::move(line).finish();
}

std::string jsonSummaryLine(const RunTally &tally, qint64 listed, bool dryRun, const QString &codePageName,
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
