// tessaly-cli: the replacement engine for scripts and servers, without a window.
#include "cli/cli_main.h"
#include "cli/command_line.h"
#include "cli/signal_stop.h"
#include "textio/file_system.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Before anything else, so that a stop signal at any moment, even while Qt
    // starts, ends the run with its summary and 128 + N.
    static tessaly::StopToken stop;
    tessaly::cli::stopOnSignals(stop);
    // A run allocates and frees a page's buffers (its content, its result, a
    // diff's text) for every file. Above the allocator's own limits each would be
    // mapped afresh and handed back, and every page of it touched anew: a sixth
    // of the CPU time of a run with --diff went to such page faults. Kept, they are
    // reused by the next file.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    QCoreApplication app(argc, argv);
    tessaly::ignoreFileSizeSignal();
    QCoreApplication::setApplicationName(QStringLiteral("tessaly-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));
    // The progress line rewrites itself with a carriage return and an erase
    // sequence, which only a terminal that is not "dumb" understands.
    const bool showProgress = isatty(STDERR_FILENO) && qstrcmp(std::getenv("TERM"), "dumb") != 0;
    return tessaly::cli::runCommandLine(tessaly::cli::commandLineArguments(argc, argv), stdout, stderr,
                                        showProgress, stop);
}
