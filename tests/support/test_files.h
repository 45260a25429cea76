// Small file helpers for tests: exact bytes in, exact bytes out.
#pragma once

#include <QByteArray>
#include <QString>

namespace testing {

void writeBytes(const QString &path, const QByteArray &bytes);
QByteArray readBytes(const QString &path);
// A string of raw bytes from a QtTest table, e.g. bytes("\xFF\xFE", 2).
inline QByteArray bytes(const char *data, int size) { return QByteArray(data, size); }

} // namespace testing
