// A temporary folder of test files, removed with the object: files are named by
// their path below it ("a/b.htm", folders made as needed).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testing {

class TempTree {
public:
    // Throws when the folder cannot be made.
    TempTree();

    QString root() const { return m_dir.path(); }
    // The full path of a name below the folder.
    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }
    // Writes the file with exactly these bytes and returns its full path.
    QString write(const QString &name, const QByteArray &bytes) const;
    // Writes each file with the same bytes; their full paths, in order.
    QStringList write(const QStringList &names, const QByteArray &bytes) const;
    // The bytes of a file below the folder; empty when it cannot be read.
    QByteArray read(const QString &name) const;

private:
    QTemporaryDir m_dir;
};

} // namespace testing
