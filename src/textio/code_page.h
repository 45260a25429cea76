// The system's single-byte code page: one byte per character, every byte value a
// distinct character, so a text in it decodes and encodes back byte for byte.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

namespace tessaly {

class CodePage {
public:
    // "1252", "cp1252", "windows-1252" (any letter case); nullopt for an unknown page.
    static std::optional<CodePage> byName(const QString &name);
    // The Windows code page Windows would choose for the locale's language.
    static CodePage forLocale(const QLocale &locale);
    // The platform's own single-byte code page: the one of the user's locale.
    static CodePage system();

    int number() const { return m_number; }
    QString name() const { return QStringLiteral("windows-%1").arg(m_number); }

    QString decode(QByteArrayView bytes) const;
    // The bytes' characters in UTF-8, written at out, which has room for three
    // bytes a byte; returns the end of what was written. What decode and
    // QString::toUtf8 make, without the text between them.
    char *toUtf8(QByteArrayView bytes, char *out) const;
    // Characters the page cannot hold become "?"; their number is added to *lost.
    QByteArray encode(QStringView text, qint64 *lost = nullptr) const;
    bool canEncode(QChar c) const { return m_tables->fromUnicode[c.unicode()] != kNotHeld; }
    bool canEncode(QStringView text) const;

private:
    static constexpr quint16 kNotHeld = 0xFFFF;
    struct Utf8Char {
        char bytes[3];
        quint8 size;
    };
    static Utf8Char utf8Char(char16_t c);
    struct Tables {
        char16_t toUnicode[256];
        Utf8Char toUtf8[256];
        quint16 fromUnicode[65536];
    };
    CodePage(int number, std::shared_ptr<const Tables> tables) : m_number(number), m_tables(std::move(tables)) {}

    int m_number;
    std::shared_ptr<const Tables> m_tables;
};

} // namespace tessaly
