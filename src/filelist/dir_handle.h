// An open directory stream (opendir) that closes itself, as file descriptors
// are owned elsewhere: no early return can leak it.
#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <dirent.h>

namespace tessaly {

class DirHandle {
public:
    explicit DirHandle(const char *path) : m_dir(::opendir(path)) {}
    ~DirHandle()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    DirHandle(const DirHandle &) = delete;
    DirHandle &operator=(const DirHandle &) = delete;

    explicit operator bool() const { return m_dir != nullptr; }
    DIR *get() const { return m_dir; }
    int fd() const { return ::dirfd(m_dir); }
    // The next entry, or nullptr at the end or on an error (errno tells which).
    const dirent *next() { return ::readdir(m_dir); }

private:
    DIR *m_dir;
};

} // namespace tessaly
#endif
