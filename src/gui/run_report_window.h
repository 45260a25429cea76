// The run report window that Show Details… opens over the closing box: every file
// of the run with its outcome, the changes of a selected result, the report as
// text to copy or save, and the output folder one click away.
#pragma once

#include "engine/file_request.h"
#include "gui/reports_pane.h"
#include "textio/file_system.h"

#include <QDialog>

namespace tessaly {

class Platform;

class RunReportWindow : public QDialog {
    Q_OBJECT
public:
    // `reportText`: one line per file, what Copy Report and Save Report… give;
    // `outputFolder`: the folder the run saved its results to, empty when each
    // result went beside its source.
    RunReportWindow(QList<FileReport> reports, ReportsPane::DiffSource diffOf, QString reportText, QString outputFolder,
                    Platform &platform, QWidget *parent = nullptr);

    const QString &reportText() const { return m_reportText; }

    // The changes a run made to a file: the result it wrote against the source as
    // it is now, with a note when the source changed since the run (it is newer
    // than the result, or would no longer give it).
    static FileDiff writtenChanges(const FileReport &report, const FileRequest &request,
                                   const FileSystem &fileSystem, const StopToken &stop);

private:
    // The report as Copy Report and Save Report… give it: its lines, each ended.
    QString reportFileText() const;
    void saveReport();
    // The folder of the current row's result, else the run's output folder, else
    // the folder of the first result.
    QString folderToOpen() const;

    Platform &m_platform;
    ReportsPane *m_pane = nullptr;
    QString m_reportText;
    QString m_outputFolder;
};

} // namespace tessaly
