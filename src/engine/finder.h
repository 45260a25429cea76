// One find text searched for again and again in the same kind of text: bytes
// through ByteSearch, UTF-16 through Qt's own search.
#pragma once

#include "engine/byte_search.h"

#include <QByteArray>
#include <QString>

namespace tessaly {

template <class View>
class Finder;

template <>
class Finder<QByteArrayView> {
public:
    explicit Finder(QByteArrayView needle) : m_search(needle) {}
    qsizetype indexIn(QByteArrayView text, qsizetype from) { return m_search.indexIn(text, from); }
    // Appends the text from `from` on with the occurrences replaced, as far as it
    // can copy while it searches; returns where it stopped.
    qsizetype replaceCopying(QByteArrayView text, qsizetype from, QByteArrayView replace,
                             AppendBuffer<QByteArrayView, QByteArray> &out, qint64 *count,
                             ByteSearch::TagClose tagClose = nullptr)
    {
        return m_search.replaceCopying(text, from, replace, out, count, tagClose);
    }

private:
    ByteSearch m_search;
};

template <>
class Finder<QStringView> {
public:
    explicit Finder(QStringView needle) : m_needle(needle) {}
    qsizetype indexIn(QStringView text, qsizetype from) const { return text.indexOf(m_needle, from); }
    // UTF-16 text is searched and copied apart: nothing is done here.
    template <class... Ignored>
    qsizetype replaceCopying(QStringView, qsizetype from, Ignored &&...) const
    {
        return from;
    }

private:
    QStringView m_needle;
};

} // namespace tessaly
