// tessaly-cli: the replacement engine for scripts and servers, without a window.
#include "cli/cli_options.h"
#include "cli/cli_runner.h"
#include "textio/file_system.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    tessaly::ignoreFileSizeSignal();
    QCoreApplication::setApplicationName(QStringLiteral("tessaly-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));

    const auto parsed = tessaly::cli::parseCommandLine(QCoreApplication::arguments());
    if (const auto *info = std::get_if<tessaly::cli::InfoRequest>(&parsed)) {
        std::fputs(info->text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (const auto *error = std::get_if<tessaly::cli::UsageError>(&parsed)) {
        std::fprintf(stderr, "tessaly-cli: %s\nTry 'tessaly-cli --help' for more information.\n",
                     error->message.toLocal8Bit().constData());
        return 2;
    }
    return tessaly::cli::runFiles(std::get<tessaly::cli::CliOptions>(parsed), stdout, stderr, isatty(STDERR_FILENO));
}
