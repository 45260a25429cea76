// The run report window that Show Details… opens over the closing box: every file
// of the run with its outcome, the changes of a selected result, the report as
// text to copy or save, and the output folder one click away.
#pragma once

#include "gui/reports_pane.h"

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
