// The Preview window: what a run would do to every file, before anything is
// written, with the changes of the selected file; Start Replacing runs the files
// whose boxes are checked for real.
#pragma once

#include "gui/reports_pane.h"

#include <QDialog>

class QPushButton;

namespace tessaly {

class Platform;

class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    using DiffSource = ReportsPane::DiffSource;

    PreviewWindow(QList<FileReport> reports, DiffSource diffOf, Platform &platform, QWidget *parent = nullptr);

    // The positions in the run (from 0) of the files whose boxes are checked, in run order.
    QList<int> checkedFiles() const;

signals:
    // Start Replacing was pressed (and, when checked files would fail, confirmed);
    // the window closes.
    void startReplacingRequested();

private:
    void startReplacing();

    Platform &m_platform;
    ReportsPane *m_pane = nullptr;
    QPushButton *m_start = nullptr;
};

} // namespace tessaly
