#include "gui/preview_window.h"

#include "base/platform.h"
#include "engine/run_report.h"
#include "gui/preview_model.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

PreviewWindow::PreviewWindow(QList<FileReport> reports, DiffSource diffOf, Platform &platform, QWidget *parent)
    : QDialog(parent), m_platform(platform)
{
    setWindowTitle(tr("Preview"));
    m_pane = new ReportsPane(std::move(reports), std::move(diffOf));
    PreviewModel &model = m_pane->model();
    model.setCheckable(true);

    m_start = ReportsPane::windowButton(tr("&Start Replacing"), QStringLiteral("startReplacing"));
    QPushButton *close = ReportsPane::windowButton(tr("C&lose"), QStringLiteral("close"));
    connect(m_start, &QPushButton::clicked, this, &PreviewWindow::startReplacing);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    // Nothing to run while no box is checked.
    connect(&model, &QAbstractItemModel::dataChanged, this,
            [this, &model] { m_start->setEnabled(!model.checkedRows().isEmpty()); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_start);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pane, 1);
    layout->addLayout(buttons);
    resize(ReportsPane::windowSize(*this));
}

QList<int> PreviewWindow::checkedFiles() const
{
    return m_pane->model().checkedRows();
}

void PreviewWindow::startReplacing()
{
    qint64 failing = 0;
    for (int row : m_pane->model().checkedRows())
        failing += m_pane->model().report(row).status == FileReport::Status::Failed;
    if (failing > 0
        && !m_platform.askYesNoDefaultNo(tr("%1 would fail. Start Replacing anyway?")
                                    .arg(groupedPlural(failing, "file", "files"))))
        return;
    emit startReplacingRequested();
    accept();
}

} // namespace tessaly
