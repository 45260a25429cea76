#include "temp_tree.h"

#include "test_files.h"

#include <stdexcept>

namespace testing {

TempTree::TempTree()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot make a temporary folder: " + m_dir.errorString().toStdString());
}

QString TempTree::write(const QString &name, const QByteArray &bytes) const
{
    const QString full = path(name);
    writeBytes(full, bytes);
    return full;
}

QStringList TempTree::write(const QStringList &names, const QByteArray &bytes) const
{
    QStringList paths;
    for (const QString &name : names)
        paths.append(write(name, bytes));
    return paths;
}

QByteArray TempTree::read(const QString &name) const
{
    return readBytes(path(name));
}

} // namespace testing
