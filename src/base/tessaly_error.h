// The error type that core functions throw: a readable description for the report.
#pragma once

#include <QString>
#include <exception>

namespace tessaly {

class TessalyError : public std::exception {
public:
    explicit TessalyError(QString description) : m_description(std::move(description)), m_utf8(m_description.toUtf8()) {}
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_description;
    QByteArray m_utf8;
};

} // namespace tessaly
