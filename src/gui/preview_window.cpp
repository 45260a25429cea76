#include "gui/preview_window.h"

#include "engine/run_report.h"
#include "gui/diff_navigation.h"
#include "gui/preview_model.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace tessaly {

namespace {

QPushButton *button(const QString &text, const QString &name)
{
    auto *pushButton = new QPushButton(text);
    pushButton->setObjectName(name);
    // Enter in the filter box must not start a run.
    pushButton->setAutoDefault(false);
    return pushButton;
}

// Filters and sorts by the reports themselves rather than by their display text,
// which keeps both quick for a hundred thousand files.
class PreviewProxy : public QSortFilterProxyModel {
public:
    PreviewProxy(PreviewModel *model, QObject *parent) : QSortFilterProxyModel(parent), m_model(model)
    {
        setSourceModel(model);
    }

    void setFilterText(const QString &text)
    {
        m_text = text;
        invalidate();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &) const override
    {
        return m_text.isEmpty() || m_model->rowMatches(row, m_text);
    }
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override
    {
        return m_model->rowLess(left.column(), left.row(), right.row());
    }

private:
    PreviewModel *m_model;
    QString m_text;
};

} // namespace

PreviewWindow::PreviewWindow(QList<FileReport> reports, DiffSource diffOf, QWidget *parent)
    : QDialog(parent), m_diffOf(std::move(diffOf))
{
    setWindowTitle(tr("Preview"));
    RunTally tally;
    for (const FileReport &report : std::as_const(reports))
        tally.add(report);
    m_totals = new QLabel(previewTotals(tally));
    m_totals->setObjectName(QStringLiteral("totals"));

    m_model = new PreviewModel(std::move(reports), this);
    auto *proxy = new PreviewProxy(m_model, this);
    m_proxy = proxy;

    m_filter = new QLineEdit;
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setPlaceholderText(tr("Filter by path or outcome"));
    m_filter->setClearButtonEnabled(true);
    connect(m_filter, &QLineEdit::textChanged, proxy, &PreviewProxy::setFilterText);

    // Fixed row heights and column widths: nothing here looks at every row, so a
    // list of a hundred thousand files opens as fast as a short one.
    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("files"));
    m_table->setModel(m_proxy);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideMiddle);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSectionResizeMode(PreviewModel::ResultColumn, QHeaderView::Stretch);
    m_table->setColumnWidth(PreviewModel::SourceColumn, 420);
    m_table->setColumnWidth(PreviewModel::OutcomeColumn, 220);
    // In the order of the run until a column header is clicked.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->setSortingEnabled(true);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &PreviewWindow::showFile);

    m_diff = new DiffView;
    m_diff->setObjectName(QStringLiteral("changes"));
    m_diff->showMessage(tr("Select a file to see its changes."));

    auto *changes = new QWidget;
    auto *changesLayout = new QVBoxLayout(changes);
    changesLayout->setContentsMargins(0, 0, 0, 0);
    changesLayout->addWidget(new DiffNavigation(m_diff));
    changesLayout->addWidget(m_diff, 1);

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_table);
    splitter->addWidget(changes);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);

    QPushButton *start = button(tr("Start Replacing"), QStringLiteral("startReplacing"));
    QPushButton *close = button(tr("Close"), QStringLiteral("close"));
    connect(start, &QPushButton::clicked, this, [this] {
        emit startReplacingRequested();
        accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_totals);
    layout->addWidget(m_filter);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    resize(1100, 760);
}

void PreviewWindow::showFile(const QModelIndex &current)
{
    const int row = current.isValid() ? m_proxy->mapToSource(current).row() : -1;
    if (row == m_shownRow)
        return;
    m_shownRow = row;
    if (row < 0) {
        m_diff->showMessage(tr("Select a file to see its changes."));
        return;
    }
    const FileReport &report = m_model->report(row);
    switch (report.status) {
    case FileReport::Status::Skipped:
        m_diff->showMessage(tr("This file would be skipped: %1.").arg(report.description));
        return;
    case FileReport::Status::Failed:
        m_diff->showMessage(tr("This file would fail: %1.").arg(report.description));
        return;
    case FileReport::Status::Written:
        break;
    }
    if (report.replacements == 0) {
        m_diff->showMessage(tr("No replacements in this file."));
        return;
    }
    m_diff->showDiffOf([diffOf = m_diffOf, row](const StopToken &stop) {
        FileDiff diff = diffOf(row, stop);
        if (diff.hunks.isEmpty() && diff.message.isEmpty())
            diff.message = tr("No changes in this file's text.");
        return diff;
    });
}

} // namespace tessaly
