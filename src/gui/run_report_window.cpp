#include "gui/run_report_window.h"

#include "base/platform.h"
#include "base/tessaly_error.h"
#include "engine/replaced_content.h"
#include "engine/run_report.h"
#include "gui/preview_model.h"
#include "textio/text_decoding.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include <new>

namespace tessaly {

namespace {

bool changedSince(const FileReport &report, const FileRequest &request, const QByteArray &source,
                  const QByteArray &result)
{
    return QFileInfo(report.source).lastModified() > QFileInfo(report.resultPath).lastModified()
        || !(classifyContent(source) == report.format)
        || replacedContent(source, report.format, request.sets, request.options) != result;
}

} // namespace

FileDiff RunReportWindow::writtenChanges(const FileReport &report, const FileRequest &request,
                                         const FileSystem &fileSystem, const StopToken &stop)
{
    try {
        const QByteArray source = fileSystem.readAll(report.source);
        const QByteArray result = fileSystem.readAll(report.resultPath);
        const CodePage &codePage = request.options.codePage;
        DiffRules rules;
        rules.stop = &stop;
        FileDiff diff{diffTexts(decodeText(source, report.format, codePage),
                                decodeText(result, resultFormat(report.format), codePage), rules),
                      QString()};
        if (changedSince(report, request, source, result))
            diff.note = tr("The source changed since the run: these are the changes between the result the run "
                           "wrote and the source as it is now.");
        return diff;
    } catch (const TessalyError &error) {
        return {{}, error.description()};
    } catch (const std::bad_alloc &) {
        return {{}, tr("Not enough memory to show the changes of \"%1\".").arg(report.source)};
    }
}

RunReportWindow::RunReportWindow(QList<FileReport> reports, ReportsPane::DiffSource diffOf, QString reportText,
                                 QString outputFolder, Platform &platform, QWidget *parent)
    : QDialog(parent), m_platform(platform), m_reportText(std::move(reportText)),
      m_outputFolder(std::move(outputFolder))
{
    setWindowTitle(tr("Run Report"));
    m_pane = new ReportsPane(std::move(reports), std::move(diffOf));

    QPushButton *copy = ReportsPane::windowButton(tr("&Copy Report"), QStringLiteral("copyReport"));
    QPushButton *save = ReportsPane::windowButton(tr("&Save Report…"), QStringLiteral("saveReport"));
    QPushButton *open = ReportsPane::windowButton(tr("&Open Output Folder"), QStringLiteral("openOutputFolder"));
    QPushButton *close = ReportsPane::windowButton(tr("C&lose"), QStringLiteral("close"));
    auto *copied = new QLabel;
    copied->setObjectName(QStringLiteral("copied"));
    // The clipboard shows nothing of itself: the window says what it now holds.
    connect(copy, &QPushButton::clicked, this, [this, copied] {
        QGuiApplication::clipboard()->setText(reportFileText());
        copied->setText(tr("Report copied: %1.").arg(groupedPlural(m_reportText.count(u'\n') + 1, "line", "lines")));
    });
    connect(save, &QPushButton::clicked, this, &RunReportWindow::saveReport);
    connect(open, &QPushButton::clicked, this, [this] {
        const QString folder = folderToOpen();
        if (!folder.isEmpty())
            m_platform.openFolder(folder);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    open->setEnabled(!folderToOpen().isEmpty());

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addWidget(save);
    buttons->addWidget(open);
    buttons->addWidget(copied);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pane, 1);
    layout->addLayout(buttons);
    resize(ReportsPane::windowSize(*this));
}

QString RunReportWindow::reportFileText() const
{
    return m_reportText + u'\n';
}

void RunReportWindow::saveReport()
{
    const QString path = m_platform.saveFile(
        {tr("Save Report"), QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"), m_outputFolder});
    if (path.isEmpty())
        return;
    // Complete or absent, like every file the program writes.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(reportFileText().toUtf8()) < 0 || !file.commit())
        m_platform.message(tr("The report could not be saved: %1").arg(file.errorString()));
}

QString RunReportWindow::folderToOpen() const
{
    const PreviewModel &model = m_pane->model();
    const int current = m_pane->currentReportRow();
    if (current >= 0 && !model.report(current).resultPath.isEmpty())
        return QFileInfo(model.report(current).resultPath).absolutePath();
    if (!m_outputFolder.isEmpty())
        return m_outputFolder;
    for (const FileReport &report : model.reports())
        if (!report.resultPath.isEmpty())
            return QFileInfo(report.resultPath).absolutePath();
    return QString();
}

} // namespace tessaly
