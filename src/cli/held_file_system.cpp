#include "cli/held_file_system.h"

#include "cli/interruption.h"

#include <QtGlobal>

#include <chrono>
#include <thread>

namespace tessaly::cli {

const FileSystem &HeldFileSystem::forRun()
{
    static const QByteArray held = qgetenv("TESSALY_HOLD_RESULT");
    if (held.isEmpty())
        return FileSystem::real();
    static const HeldFileSystem instance(held);
    return instance;
}

int HeldFileSystem::renameOver(int folderFd, const char *from, const char *to) const
{
    while (m_heldName == to && interruptingSignal() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return FileSystem::renameOver(folderFd, from, to);
}

} // namespace tessaly::cli
