// What the run applies to the next file: the request read from the window's
// controls, kept up to date while a run works.
#include "gui/run_controller.h"

#include "base/paths.h"
#include "gui/sets_controller.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>

namespace tessaly {

FileRequest RunController::currentRequest() const
{
    const RequestControls &c = m_requestControls;
    FileRequest request;
    switch (c.tabs->currentIndex()) {
    case 0:
        request.kind = FileRequest::Kind::Pair;
        request.sets = {{c.findText->toPlainText(), c.replaceText->toPlainText()}};
        break;
    case 1:
        request.kind = FileRequest::Kind::Sets;
        request.sets = findReplaceSets(itemTexts(*c.setFindList), itemTexts(*c.setReplaceList));
        break;
    default:
        return request;
    }
    JobOptions &options = request.options;
    options.mode = c.viewableTextOption->isChecked() ? ReplaceMode::ViewableText : ReplaceMode::WholeFile;
    if (c.outputFolderOption->isChecked()) {
        options.save = SaveOption::OutputFolder;
        options.outputFolder = localPath(c.outputFolderText->text());
    } else if (c.besideSourceOption->isChecked()) {
        options.save = SaveOption::BesideSource;
    } else {
        options.save = SaveOption::None;
    }
    return request;
}

void RunController::refreshRequest()
{
    if (!m_run.isWorking())
        return;
    FileRequest request = currentRequest();
    request.options.dryRun = m_record.preview;
    m_request.set(std::move(request));
}

void RunController::connectRequestControls()
{
    const RequestControls &c = m_requestControls;
    // Each file takes the request as it is when the file is started: every
    // change made while a run works applies from the next file on.
    for (QRadioButton *option : {c.viewableTextOption, c.wholeFileOption, c.besideSourceOption, c.outputFolderOption})
        connect(option, &QRadioButton::toggled, this, &RunController::refreshRequest);
    connect(c.tabs, &QTabWidget::currentChanged, this, &RunController::refreshRequest);
    connect(c.findText, &QPlainTextEdit::textChanged, this, &RunController::refreshRequest);
    connect(c.replaceText, &QPlainTextEdit::textChanged, this, &RunController::refreshRequest);
    connect(c.outputFolderText, &QLineEdit::textChanged, this, &RunController::refreshRequest);

    // A set is added to or removed from one list and then the other: only when
    // both lists agree again are they the sets, so that no file pairs a find text
    // with another set's replacement. The lists as they end up after the handler
    // are taken in any case.
    const auto setsChanged = [this] {
        if (!m_run.isWorking())
            return;
        if (m_requestControls.setFindList->count() == m_requestControls.setReplaceList->count())
            refreshRequest();
        QMetaObject::invokeMethod(this, &RunController::refreshRequest, Qt::QueuedConnection);
    };
    for (QComboBox *combo : {c.setFindList, c.setReplaceList}) {
        QAbstractItemModel *model = combo->model();
        connect(model, &QAbstractItemModel::rowsInserted, this, setsChanged);
        connect(model, &QAbstractItemModel::rowsRemoved, this, setsChanged);
        connect(model, &QAbstractItemModel::rowsMoved, this, setsChanged);
        connect(model, &QAbstractItemModel::modelReset, this, setsChanged);
        connect(model, &QAbstractItemModel::dataChanged, this, setsChanged);
    }
}

} // namespace tessaly
