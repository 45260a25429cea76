#include "cli/cli_main.h"

#include "cli/cli_options.h"
#include "cli/cli_runner.h"

#include <cerrno>
#include <cstring>

namespace tessaly::cli {

namespace {

// Whether everything written to `out` reached it. A report that was lost (a full
// disk, a closed pipe) is an error, as for cat and grep.
bool reportWritten(FILE *out, FILE *err)
{
    errno = 0;
    const bool flushed = std::fflush(out) == 0;
    if (flushed && !std::ferror(out))
        return true;
    const int why = errno;
    if (why != 0)
        std::fprintf(err, "tessaly-cli: write error: %s\n", std::strerror(why));
    else
        std::fprintf(err, "tessaly-cli: write error\n");
    return false;
}

} // namespace

int runCommandLine(const QStringList &arguments, FILE *out, FILE *err, bool showProgress, const StopToken &stop,
                   const RunEnvironment &environment)
{
    const auto parsed = parseCommandLine(arguments);
    int status = 0;
    if (const auto *info = std::get_if<InfoRequest>(&parsed)) {
        std::fputs(info->text.toLocal8Bit().constData(), out);
    } else if (const auto *error = std::get_if<UsageError>(&parsed)) {
        std::fprintf(err, "tessaly-cli: %s\nTry 'tessaly-cli --help' for more information.\n",
                     error->message.toLocal8Bit().constData());
        status = 2;
    } else {
        status = runFiles(std::get<CliOptions>(parsed), out, err, showProgress, stop, environment);
    }
    if (!reportWritten(out, err) && status == 0)
        status = 1;
    return status;
}

} // namespace tessaly::cli
