#include "cli/cli_runner.h"

#include "cli/diff_printer.h"
#include "cli/json_printer.h"
#include "cli/line_printer.h"
#include "cli/path_expansion.h"

#include <memory>

namespace tessaly::cli {

namespace {

std::unique_ptr<CliPrinter> printerFor(const CliOptions &options, const PrintTarget &target)
{
    if (options.json)
        return std::make_unique<JsonPrinter>(options, target);
    if (options.diff)
        return std::make_unique<DiffPrinter>(options, target);
    return std::make_unique<LinePrinter>(options, target);
}

} // namespace

int runFiles(const CliOptions &options, ReportStreams &streams, bool showProgress, StopToken &stop,
             const RunEnvironment &environment)
{
    // Folders turn into their files first, so the run's sources include them.
    const ExpandedPaths expanded = PathExpansion(options, streams.err(), environment.threadLimit).expand();
    FixedRequest request({options.usesSetFile ? FileRequest::Kind::Sets : FileRequest::Kind::Pair, options.sets,
                          options.job});
    const std::unique_ptr<CliPrinter> printer =
        printerFor(options, {streams, showProgress, expanded.files.size(), stop});
    return printer->finish(
        ReplaceRun(environment).run(expanded.files, request, *printer, stop, options.jobs, &expanded.sources));
}

} // namespace tessaly::cli
