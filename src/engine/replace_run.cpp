#include "engine/replace_run.h"

#include <optional>

namespace tessaly {

QString requestProcedure(const FileRequest &request)
{
    return request.kind == FileRequest::Kind::Sets ? QStringLiteral("ReplaceText.ReplaceTextInFileCombo")
                                                   : QStringLiteral("ReplaceText.ReplaceTextInFile");
}

RunContext::RunContext(std::shared_ptr<const RunSources> runSources)
    : sources(runSources ? std::move(runSources) : std::make_shared<const RunSources>(QStringList()))
{
}

void RunContext::bind(JobOptions &options, int listIndex) const
{
    options.runSources = sources;
    options.outputFolders = outputFolders;
    options.runResults = results;
    options.listIndex = listIndex;
}

QString doneMessage(const RunOutcome &outcome)
{
    QString message = QStringLiteral("Done.");
    if (outcome.notWritten == 1)
        message += QStringLiteral("\n1 file was not written: its result would replace a result of this run.");
    else if (outcome.notWritten > 1)
        message += QStringLiteral("\n%1 files were not written: their results would replace results of this run.")
                       .arg(outcome.notWritten);
    return message;
}

FileReport replaceInFile(const QString &path, const FileRequest &request)
{
    if (request.kind == FileRequest::Kind::Sets)
        return ReplaceTextInFileCombo(path, request.findList, request.replaceList, request.options);
    return ReplaceTextInFile(path, request.findText, request.replaceText, request.options);
}

FileReport processFile(const QString &path, const FileRequest &request)
{
    if (FileSize2(path) < 1)
        return skippedReport(path);
    return replaceInFile(path, request);
}

ReplaceRun::ReplaceRun(RunHost &host, std::shared_ptr<const RunSources> sources)
    : m_host(host), m_context(std::move(sources))
{
}

void ReplaceRun::replaceFile(int row, const QString &path, qint64 size, FileRequest request, RunOutcome &outcome)
{
    m_context.bind(request.options, row);
    const FileReport report = m_host.perform([&] { return replaceInFile(path, request); }, size);
    outcome.details << describeReport(report, request.options.codePage.name());
    outcome.reports << report;
    // A site with an index page in every folder would raise a box for each of
    // those: they are counted in the closing message instead.
    if (!report.earlierSource.isEmpty())
        ++outcome.notWritten;
    else if (report.status == FileReport::Status::Failed)
        m_host.reportFailure({sourceTag(requestProcedure(request)), report.statement, report.description});
}

RunOutcome ReplaceRun::run(ErrorTrap &trap, int rowCount)
{
    RunOutcome outcome;
    for (int row = 1; row <= rowCount; ++row) {
        // Rows are handled one after the other: each one's claim on its result
        // comes after those of the rows before it.
        const SettledFile settled(m_context.results.get(), row);
        bool goOn = true;
        trap.step(112, [&] { goOn = m_host.handOverEvents(); });
        if (!goOn) {
            outcome.ended = true;
            break;
        }
        trap.step(114, [&] { m_host.showBusy(); });
        QString path;
        trap.step(116, [&] { path = m_host.rowText(row); });
        m_host.showProgress(row, rowCount, path);

        qint64 size = 0;
        if (trap.test(118, [&] { return (size = FileSize2(path)) < 1; })) {
            outcome.reports << skippedReport(path);
            outcome.details << describeReport(outcome.reports.last(), QString());
            outcome.rowsDone = row;
            continue;
        }
        // The tab, the texts and the options are read now, for this file. (No
        // request is made up front: default options look up the system's code
        // page, which costs as much as a small file.)
        std::optional<FileRequest> request;
        if (trap.test(120, [&] {
                request = m_host.request();
                return request->kind == FileRequest::Kind::Pair;
            })) {
            trap.step(122, [&] {
                if (!request)
                    request.emplace();
                request->kind = FileRequest::Kind::Pair;
                replaceFile(row, path, size, std::move(*request), outcome);
            });
        } else if (trap.test(124, [&] { return request->kind == FileRequest::Kind::Sets; })) {
            trap.step(126, [&] { replaceFile(row, path, size, std::move(*request), outcome); });
        }
        outcome.rowsDone = row;
        if (!m_host.goesOn()) {
            outcome.ended = true;
            break;
        }
        // 128: next row
    }
    return outcome;
}

} // namespace tessaly
