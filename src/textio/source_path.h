// A source named by its absolute path: made once from the working folder and the
// name as given, then handed from the run through the job to the system calls.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace tessaly {

class SourcePath {
public:
    // The name made absolute against `workingFolder`, asked for once by a caller
    // that names many files.
    SourcePath(const QString &workingFolder, const QString &given);
    // The name made absolute against the process's working folder.
    explicit SourcePath(const QString &given);

    const QString &path() const { return m_path; }
    QStringView fileName() const { return QStringView(m_path).sliced(m_path.lastIndexOf(u'/') + 1); }
    // The bytes the system calls take; empty when the name is not valid UTF-8 (it
    // would reach the system as another file's name, so it is never opened).
    const QByteArray &bytes() const { return m_bytes; }
    bool isValid() const { return !m_bytes.isEmpty(); }

private:
    QString m_path;
    QByteArray m_bytes;
};

} // namespace tessaly
