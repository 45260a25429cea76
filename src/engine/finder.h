// One find text searched for again and again in the same kind of text: bytes
// through ByteSearch, UTF-16 through Qt's own search.
#pragma once

#include "engine/byte_search.h"

#include <QByteArrayView>
#include <QStringView>

namespace tessaly {

template <class View>
class Finder;

template <>
class Finder<QByteArrayView> {
public:
    explicit Finder(QByteArrayView needle) : m_search(needle) {}
    qsizetype indexIn(QByteArrayView text, qsizetype from) { return m_search.indexIn(text, from); }

private:
    ByteSearch m_search;
};

template <>
class Finder<QStringView> {
public:
    explicit Finder(QStringView needle) : m_needle(needle) {}
    qsizetype indexIn(QStringView text, qsizetype from) const { return text.indexOf(m_needle, from); }

private:
    QStringView m_needle;
};

} // namespace tessaly
