#include "textio/code_page.h"

#include "textio/code_page_tables.h"

#include <QHash>
#include <QRegularExpression>
#include <QtAlgorithms>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace tessaly {

namespace {

// The top bit of each of eight bytes: set only in bytes above ASCII.
constexpr quint64 kHighBits = 0x8080808080808080ULL;

} // namespace

CodePage::Utf8Char CodePage::utf8Char(char16_t c)
{
    if (c < 0x80)
        return {{char(c)}, 1};
    if (c < 0x800)
        return {{char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))}, 2};
    return {{char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))}, 3};
}

std::optional<CodePage> CodePage::byName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^(?:windows-?|cp-?)?(\\d+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(name.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const int number = match.captured(1).toInt();
    for (const auto &table : codepages::all()) {
        if (table.number != number)
            continue;
        auto tables = std::make_shared<Tables>();
        std::fill(std::begin(tables->fromUnicode), std::end(tables->fromUnicode), kNotHeld);
        for (int b = 0; b < 256; ++b) {
            const char16_t c = b < 128 ? char16_t(b) : table.upper[b - 128];
            tables->toUnicode[b] = c;
            tables->toUtf8[b] = utf8Char(c);
            tables->fromUnicode[c] = quint16(b);
        }
        return CodePage(number, std::move(tables));
    }
    return std::nullopt;
}

CodePage CodePage::forLocale(const QLocale &locale)
{
    static const QHash<QLocale::Language, int> pages = {
        {QLocale::Russian, 1251},  {QLocale::Ukrainian, 1251}, {QLocale::Bulgarian, 1251},
        {QLocale::Belarusian, 1251}, {QLocale::Serbian, 1251}, {QLocale::Macedonian, 1251},
        {QLocale::Kazakh, 1251},   {QLocale::Mongolian, 1251},
        {QLocale::Polish, 1250},   {QLocale::Czech, 1250},     {QLocale::Hungarian, 1250},
        {QLocale::Slovak, 1250},   {QLocale::Slovenian, 1250}, {QLocale::Croatian, 1250},
        {QLocale::Romanian, 1250}, {QLocale::Albanian, 1250},  {QLocale::Bosnian, 1250},
        {QLocale::Greek, 1253},    {QLocale::Turkish, 1254},   {QLocale::Azerbaijani, 1254},
        {QLocale::Hebrew, 1255},   {QLocale::Arabic, 1256},    {QLocale::Persian, 1256},
        {QLocale::Urdu, 1256},     {QLocale::Estonian, 1257},  {QLocale::Latvian, 1257},
        {QLocale::Lithuanian, 1257}, {QLocale::Vietnamese, 1258}, {QLocale::Thai, 874},
    };
    int number = pages.value(locale.language(), 1252);
    // Serbian and Bosnian in Latin script use the Central European page.
    if (number == 1251 && locale.script() == QLocale::LatinScript)
        number = 1250;
    return *byName(QString::number(number));
}

CodePage CodePage::system()
{
    return forLocale(QLocale::system());
}

QString CodePage::decode(QByteArrayView bytes) const
{
    // Every page keeps ASCII as it is: Latin-1's fast widening turns each byte into
    // its character, then only the bytes above ASCII are looked up, eight bytes
    // tested at a time.
    QString text = QString::fromLatin1(bytes);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    const char16_t *map = m_tables->toUnicode;
    for (qsizetype i = 0, n = bytes.size(); i < n; i += 8) {
        const qsizetype end = std::min(i + 8, n);
        if (end - i == 8) {
            quint64 word;
            std::memcpy(&word, in + i, 8);
            if ((word & kHighBits) == 0)
                continue;
        }
        for (qsizetype k = i; k < end; ++k)
            if (in[k] & 0x80)
                out[k] = map[in[k]];
    }
    return text;
}

char *CodePage::toUtf8(QByteArrayView bytes, char *out) const
{
    // ASCII, most of a page, is copied eight bytes at a time, up to the first byte
    // above it (the bytes copied after it are written over next); a character of
    // a byte above ASCII takes up to three, always copied whole (there is room).
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    const Utf8Char *map = m_tables->toUtf8;
    qsizetype i = 0;
    while (i < n) {
        if (n - i >= 8) {
            const quint64 high = qFromLittleEndian<quint64>(in + i) & kHighBits;
            const qsizetype ascii = high == 0 ? 8 : qCountTrailingZeroBits(high) / 8;
            std::memcpy(out, in + i, 8);
            out += ascii;
            i += ascii;
            if (ascii == 8)
                continue;
        }
        const Utf8Char &c = map[in[i++]];
        std::memcpy(out, c.bytes, 3);
        out += c.size;
    }
    return out;
}

QByteArray CodePage::encode(QStringView text, qint64 *lost) const
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    qsizetype o = 0;
    const quint16 *map = m_tables->fromUnicode;
    qint64 missing = 0;
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        const quint16 b = map[text[i].unicode()];
        if (b != kNotHeld) {
            out[o++] = char(b);
            continue;
        }
        ++missing;
        out[o++] = '?';
        // A surrogate pair is one character the page cannot hold: one "?".
        if (text[i].isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate())
            ++i;
    }
    bytes.truncate(o);
    if (lost)
        *lost += missing;
    return bytes;
}

bool CodePage::canEncode(QStringView text) const
{
    const quint16 *map = m_tables->fromUnicode;
    return std::all_of(text.begin(), text.end(), [map](QChar c) { return map[c.unicode()] != kNotHeld; });
}

} // namespace tessaly
