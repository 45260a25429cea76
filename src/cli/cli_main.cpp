#include "cli/cli_main.h"

#include "cli/cli_runner.h"
#include "cli/command_line.h"
#include "cli/resolve_options.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <variant>

namespace tessaly::cli {

namespace {

// Whether everything written to the stream reached it: 0 when it did, else
// the errno of the failure (-1 when it is unknown).
int writeError(FILE *stream)
{
    errno = 0;
    if (std::fflush(stream) == 0 && !std::ferror(stream))
        return 0;
    return errno != 0 ? errno : -1;
}

// The exit status once the report streams are flushed. A report that was lost (a
// full disk) is an error, as for cat and grep; a reader that went away ends the
// program quietly, as SIGPIPE would. `outErrno` is the errno of a write to `out`
// that already failed: once a stream failed, a flush no longer tells why.
int finalStatus(int status, FILE *out, FILE *err, int outErrno = 0)
{
    if (status > 128)
        return status;  // stopped: what could not be written by then is dropped
    int outError = writeError(out);
    if (outError == -1 && outErrno > 0)
        outError = outErrno;
    const int errError = writeError(err);
    if (outError == EPIPE || errError == EPIPE)
        return 128 + SIGPIPE;
    if (outError == 0 && errError == 0)
        return status;
    const int why = outError != 0 ? outError : errError;
    if (why > 0)
        std::fprintf(err, "tessaly-cli: write error: %s\n", std::strerror(why));
    else
        std::fprintf(err, "tessaly-cli: write error\n");
    return status == 0 ? 1 : status;
}

// What the command line asks for: parsed, then its set file, folders and lists read.
std::variant<CliOptions, UsageError, InfoRequest> readCommandLine(const QStringList &arguments)
{
    auto parsed = parseCommandLine(arguments);
    if (const auto *info = std::get_if<InfoRequest>(&parsed))
        return *info;
    if (const auto *error = std::get_if<UsageError>(&parsed))
        return *error;
    auto resolved = resolveCommandLine(std::get<CommandLine>(parsed));
    if (const auto *error = std::get_if<UsageError>(&resolved))
        return *error;
    return std::get<CliOptions>(std::move(resolved));
}

} // namespace

int runCommandLine(const QStringList &arguments, FILE *out, FILE *err, bool showProgress, StopToken &stop,
                   const RunEnvironment &environment)
{
    const auto parsed = readCommandLine(arguments);
    int status = 0;
    int outErrno = 0;
    if (const auto *info = std::get_if<InfoRequest>(&parsed)) {
        errno = 0;
        if (std::fputs(info->text.toLocal8Bit().constData(), out) == EOF)
            outErrno = errno;
    } else if (const auto *error = std::get_if<UsageError>(&parsed)) {
        std::fprintf(err, "tessaly-cli: %s\nTry 'tessaly-cli --help' for more information.\n",
                     error->message.toLocal8Bit().constData());
        status = 2;
    } else {
        status = runFiles(std::get<CliOptions>(parsed), out, err, showProgress, stop, environment);
    }
    return finalStatus(status, out, err, outErrno);
}

} // namespace tessaly::cli
