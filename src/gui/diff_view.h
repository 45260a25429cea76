// Shows one file's changes: the hunks of its unified diff, removed lines on red,
// added lines on green, the replaced parts of each line emphasised.
#pragma once

#include "engine/text_diff.h"

#include <QPlainTextEdit>

#include <vector>

namespace tessaly {

class DiffView : public QPlainTextEdit {
    Q_OBJECT
public:
    // How a line of the view is shown; one per text block.
    enum class LineStyle { Note, HunkHeader, Context, Removed, Added };
    struct ShownLine {
        LineStyle style = LineStyle::Note;
        QList<CharRange> changed;   // in the block's text
    };

    explicit DiffView(QWidget *parent = nullptr);

    void showDiff(const QList<DiffHunk> &hunks);
    // A line of explanation instead of a diff ("No replacements in this file.").
    void showMessage(const QString &text);

    const std::vector<ShownLine> &shownLines() const { return m_lines; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<ShownLine> m_lines;
};

} // namespace tessaly
