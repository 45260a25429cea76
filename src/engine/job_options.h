// What the user chose for a file's job: how to replace and where the result goes.
#pragma once

#include "engine/replacement.h"
#include "engine/result_path.h"
#include "textio/code_page.h"

#include <QChar>
#include <QDir>
#include <QString>

namespace tessaly {

struct JobOptions {
    ReplaceMode mode = ReplaceMode::ViewableText;
    SaveOption save = SaveOption::BesideSource;
    QString outputFolder;       // used with SaveOption::OutputFolder
    CodePage codePage = CodePage::system();
    bool dryRun = false;        // everything but the write
    QChar separator = QDir::separator();
};

} // namespace tessaly
