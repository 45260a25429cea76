// The file system of tessaly-cli, with a hold for tests of interrupted runs:
// with TESSALY_HOLD_RESULT=NAME the result named NAME is written whole but
// renamed into place only once a stop signal has come, so a test can signal
// while that write is certainly in flight.
#pragma once

#include "textio/file_system.h"

#include <QByteArray>

namespace tessaly::cli {

class HeldFileSystem : public FileSystem {
public:
    // The real file system unless TESSALY_HOLD_RESULT is set.
    static const FileSystem &forRun();

protected:
    int renameOver(int folderFd, const char *from, const char *to) const override;

private:
    explicit HeldFileSystem(QByteArray heldName) : m_heldName(std::move(heldName)) {}
    QByteArray m_heldName;
};

} // namespace tessaly::cli
