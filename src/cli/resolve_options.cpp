#include "cli/resolve_options.h"

#include "base/paths.h"
#include "base/tessaly_error.h"
#include "cli/path_list.h"
#include "sets/set_file.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace tessaly::cli {

namespace {

using Check = std::optional<UsageError>;

Check readSets(const CommandLine &line, CliOptions &options)
{
    if (!line.setFile)
        return std::nullopt;
    try {
        options.sets = readSetFile(*line.setFile, line.separator, options.job.codePage);
    } catch (const TessalyError &error) {
        return UsageError{error.description()};
    }
    return std::nullopt;
}

Check findFolders(const CommandLine &line, CliOptions &options)
{
    if (line.outputFolder) {
        if (!FolderExists(*line.outputFolder))
            return UsageError{QStringLiteral("Folder does not exist. Please select another folder.")};
        options.job.outputFolder = QFileInfo(*line.outputFolder).absoluteFilePath();
    }
    if (line.baseFolder) {
        if (!FolderExists(*line.baseFolder))
            return UsageError{QStringLiteral("--base: %1: no such folder.").arg(line.baseGiven)};
        options.base = QDir::cleanPath(QFileInfo(*line.baseFolder).absoluteFilePath());
    }
    return std::nullopt;
}

Check readLists(const CommandLine &line, CliOptions &options, const StopToken &stop)
{
    for (const QString &list : line.lists) {
        try {
            readPathList(list, line.listSeparator, stop, options.paths);
        } catch (const TessalyError &error) {
            return UsageError{QStringLiteral("--files-from: %1").arg(error.description())};
        }
    }
    return std::nullopt;
}

} // namespace

std::variant<CliOptions, UsageError> resolveCommandLine(const CommandLine &commandLine, const StopToken &stop)
{
    CliOptions options = commandLine.options;
    for (const auto resolve : {readSets, findFolders}) {
        if (Check error = resolve(commandLine, options))
            return *std::move(error);
    }
    if (Check error = readLists(commandLine, options, stop))
        return *std::move(error);
    return options;
}

} // namespace tessaly::cli
