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
FileDiff diffOfFile(const QString &path, const FileRequest &request)
{
    try {
        const FileTexts texts = fileTexts(path, request);
        return {diffTexts(texts.source, texts.result), QString()};
    } catch (const TessalyError &error) {
        return {{}, error.description()};
    }
}

} // namespace

void Form1::startPreview()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form1.Preview_Click"));
    replaceOverList(trap, true);
}

bool Form1::showPreview(const QList<FileReport> &reports)
{
    // The settings cannot change while the window is open: its diffs show what its
    // Start Replacing writes.
    FileRequest request = currentRequest();
    request.options.dryRun = true;
    PreviewWindow window(reports, [reports, request](int row) { return diffOfFile(reports[row].source, request); },
                         this);
    bool startReplacing = false;
    connect(&window, &PreviewWindow::startReplacingRequested, this, [&startReplacing] { startReplacing = true; });
    m_platform.exec(window);
    return startReplacing;
}

} // namespace tessaly
