// The windows over a run's reports: the Preview window after Preview…'s dry run,
// whose Start Replacing runs the checked files for real, and the run report
// window behind Show Details… on a closing box.
#include "gui/run_controller.h"

#include "base/error_report.h"
#include "base/tessaly_error.h"
#include "engine/file_texts.h"
#include "gui/preview_window.h"
#include "gui/run_report_window.h"

namespace tessaly {

namespace {

// The changes a file would have, read and replaced again when the file is
// selected, so the window holds only the list however many files there are.
FileDiff diffOfFile(const QString &path, const FileRequest &request, const FileSystem &fileSystem,
                    const StopToken &stop)
{
    try {
        const FileTexts texts = fileTexts(path, request, fileSystem);
        DiffRules rules;
        rules.stop = &stop;
        return {diffTexts(texts.source, texts.result, rules), QString()};
    } catch (const TessalyError &error) {
        return {{}, error.description()};
    }
}

} // namespace

ReportsPane::DiffSource RunController::recordDiffs() const
{
    const QList<FileReport> reports = m_record.reports;
    const QList<std::shared_ptr<const FileRequest>> requests = m_record.requests;
    const FileSystem *fileSystem = m_run.environment().fileSystem;
    return [reports, requests, fileSystem](int row, const StopToken &stop) {
        const std::shared_ptr<const FileRequest> &request = requests.at(row);
        const FileReport &report = reports.at(row);
        if (!request)
            return FileDiff();
        // A result of a real run is there to compare; the Preview's are made again.
        if (report.status == FileReport::Status::Written && !report.dryRun)
            return RunReportWindow::writtenChanges(report, *request, *fileSystem, stop);
        return diffOfFile(report.source, *request, *fileSystem, stop);
    };
}

QList<int> RunController::showPreview()
{
    PreviewWindow window(m_record.reports, recordDiffs(), m_platform, &m_window);
    bool startReplacing = false;
    connect(&window, &PreviewWindow::startReplacingRequested, this, [&startReplacing] { startReplacing = true; });
    m_platform.exec(window);
    return startReplacing ? window.checkedFiles() : QList<int>();
}

void RunController::showRunReport()
{
    // One line per file as tessaly-cli prints it, made only when the report is
    // asked for; and the output folder of the run's last file (none when its
    // result went beside its source).
    QStringList lines;
    lines.reserve(m_record.reports.size());
    QString outputFolder;
    for (qsizetype i = 0; i < m_record.reports.size(); ++i) {
        const std::shared_ptr<const FileRequest> &request = m_record.requests.at(i);
        lines << describeReport(m_record.reports.at(i), request ? request->options.codePage.name() : QString());
        if (request)
            outputFolder = request->options.save == SaveOption::OutputFolder ? request->options.outputFolder
                                                                             : QString();
    }
    RunReportWindow window(m_record.reports, recordDiffs(), lines.join(u'\n'), outputFolder, m_platform, &m_window);
    m_platform.exec(window);
}

} // namespace tessaly
