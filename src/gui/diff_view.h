// Shows one file's changes: the hunks of its unified diff, removed lines on red,
// added lines on green, the replaced parts of each line emphasised.
#pragma once

#include "engine/text_diff.h"

#include <QListView>

#include <vector>

namespace tessaly {

class DiffLineDelegate;

class DiffView : public QListView {
    Q_OBJECT
public:
    // How a line of the view is shown.
    enum class LineStyle { Note, HunkHeader, Context, Removed, Added };
    struct ShownLine {
        LineStyle style = LineStyle::Note;
        QString text;               // with its mark (" ", "-", "+"), without its line end
        QList<CharRange> changed;   // in text
    };

    explicit DiffView(QWidget *parent = nullptr);

    void showDiff(const QList<DiffHunk> &hunks);
    // A line of explanation instead of a diff ("No replacements in this file.").
    void showMessage(const QString &text);

    const std::vector<ShownLine> &shownLines() const { return m_lines; }
    // The shown lines, one a line.
    QString shownText() const;
    // The selected lines, in order, one a line; what Copy puts on the clipboard.
    QString selectedText() const;

protected:
    void updateGeometries() override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setLines(std::vector<ShownLine> lines);

    std::vector<ShownLine> m_lines;
    class LineModel;
    LineModel *m_model = nullptr;
    DiffLineDelegate *m_delegate = nullptr;
};

} // namespace tessaly
