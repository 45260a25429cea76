#include "engine/replace_run.h"

#include "engine/run_sources.h"

#include <optional>

namespace tessaly {

QString requestProcedure(const FileRequest &request)
{
    return request.kind == FileRequest::Kind::Sets ? QStringLiteral("ReplaceText.ReplaceTextInFileCombo")
                                                   : QStringLiteral("ReplaceText.ReplaceTextInFile");
}

void bindRunSources(JobOptions &options, std::shared_ptr<const RunSources> sources)
{
    options.isRunSource = [sources = std::move(sources)](const QString &resultPath) {
        return sources->contains(resultPath);
    };
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
    : m_host(host), m_sources(sources ? std::move(sources) : std::make_shared<const RunSources>(QStringList()))
{
}

void ReplaceRun::replaceFile(const QString &path, qint64 size, FileRequest request, RunOutcome &outcome)
{
    bindRunSources(request.options, m_sources);
    const FileReport report = m_host.perform([&] { return replaceInFile(path, request); }, size);
    outcome.details << describeReport(report, request.options.codePage.name());
    outcome.reports << report;
    if (report.status == FileReport::Status::Failed)
        m_host.reportFailure({sourceTag(requestProcedure(request)), report.statement, report.description});
}

RunOutcome ReplaceRun::run(ErrorTrap &trap, int rowCount)
{
    RunOutcome outcome;
    for (int row = 1; row <= rowCount; ++row) {
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
                replaceFile(path, size, std::move(*request), outcome);
            });
        } else if (trap.test(124, [&] { return request->kind == FileRequest::Kind::Sets; })) {
            trap.step(126, [&] { replaceFile(path, size, std::move(*request), outcome); });
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
