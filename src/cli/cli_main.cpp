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

// The exit status once the report streams are written out. A report that was
// lost (a full disk) is an error, as for cat and grep; a reader that went away
// ends the program quietly, as SIGPIPE would.
int finalStatus(int status, ReportStreams &streams)
{
    streams.flush();
    if (status > 128)
        return status;  // stopped: what could not be written by then is dropped
    const int outError = streams.outError(), errError = streams.errError();
    if (outError == EPIPE || errError == EPIPE)
        return 128 + SIGPIPE;
    if (outError == 0 && errError == 0)
        return status;
    const int why = outError != 0 ? outError : errError;
    streams.print(streams.err(), why > 0 ? QStringLiteral("tessaly-cli: write error: %1\n")
                                               .arg(QString::fromLocal8Bit(std::strerror(why)))
                                         : QStringLiteral("tessaly-cli: write error\n"));
    streams.flush();
    return status == 0 ? 1 : status;
}

// What the command line asks for: parsed, then its set file, folders and lists read.
std::variant<CliOptions, UsageError, InfoRequest> readCommandLine(const QStringList &arguments, const StopToken &stop)
{
    auto parsed = parseCommandLine(arguments);
    if (const auto *info = std::get_if<InfoRequest>(&parsed))
        return *info;
    if (const auto *error = std::get_if<UsageError>(&parsed))
        return *error;
    auto resolved = resolveCommandLine(std::get<CommandLine>(parsed), stop);
    if (const auto *error = std::get_if<UsageError>(&resolved))
        return *error;
    return std::get<CliOptions>(std::move(resolved));
}

} // namespace

int runCommandLine(const QStringList &arguments, FILE *out, FILE *err, bool showProgress, StopToken &stop,
                   const RunEnvironment &environment)
{
    // The streams hold whole lines themselves (ReportStreams): stdio passes
    // them on as they come.
    std::setvbuf(out, nullptr, _IONBF, 0);
    std::setvbuf(err, nullptr, _IONBF, 0);
    ReportStreams streams(out, err, stop);
    const auto parsed = readCommandLine(arguments, stop);
    int status = 0;
    if (const auto *info = std::get_if<InfoRequest>(&parsed)) {
        streams.print(out, info->text);
    } else if (const auto *error = std::get_if<UsageError>(&parsed)) {
        streams.print(err, QStringLiteral("tessaly-cli: %1\nTry 'tessaly-cli --help' for more information.\n")
                               .arg(error->message));
        status = 2;
    } else {
        status = runFiles(std::get<CliOptions>(parsed), streams, showProgress, stop, environment);
    }
    return finalStatus(status, streams);
}

} // namespace tessaly::cli
