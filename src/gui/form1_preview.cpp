// The main window's preview: Preview… runs what Start Replacing would do without
// writing, then shows the Preview window, whose Start Replacing runs it for real.
#include "gui/form1.h"

#include "base/error_report.h"
#include "base/tessaly_error.h"
#include "engine/file_texts.h"
#include "gui/preview_window.h"

namespace tessaly {

namespace {

// The changes of one file, read and replaced again when the file is selected, so
// the window holds only the list however many files there are.
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

void Form1::startPreview()
{
    replaceOverList(QStringLiteral("Form1.Preview_Click"), true);
}

bool Form1::showPreview()
{
    // Each file's changes are those of the request the dry run did it with.
    const QList<FileReport> reports = m_record.reports;
    const QList<std::shared_ptr<const FileRequest>> requests = m_record.requests;
    const FileSystem *fileSystem = m_run.environment().fileSystem;
    PreviewWindow window(
        reports,
        [reports, requests, fileSystem](int row, const StopToken &stop) {
            const std::shared_ptr<const FileRequest> &request = requests.at(row);
            return request ? diffOfFile(reports.at(row).source, *request, *fileSystem, stop) : FileDiff();
        },
        this);
    bool startReplacing = false;
    connect(&window, &PreviewWindow::startReplacingRequested, this, [&startReplacing] { startReplacing = true; });
    m_platform.exec(window);
    return startReplacing;
}

} // namespace tessaly
