// Shows one file's changes: the hunks of its unified diff, removed lines on red,
// added lines on green, the replaced parts of each line emphasised. A diff can be
// built away from the window's thread while the view says "Comparing…", and
// F8 and Shift+F8 step from change to change.
#pragma once

#include "engine/text_diff.h"

#include <QListView>

#include <functional>
#include <memory>
#include <vector>

class QProgressBar;

namespace tessaly {

class DiffLineDelegate;
class StopToken;
template <typename Item, typename End>
class BackgroundTask;
struct NoItem;

// One file's changes: its hunks, or when there are none, why.
struct FileDiff {
    QList<DiffHunk> hunks;
    QString message;    // shown instead when there are no hunks (why there are none)
    QString note = {};  // shown above the hunks or the message (what to bear in mind)
};

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
    ~DiffView() override;

    void showDiff(const QList<DiffHunk> &hunks);
    // A line of explanation instead of a diff ("No replacements in this file.").
    void showMessage(const QString &text);

    // Builds a diff on another thread, so that even a page of many megabytes never
    // holds up the window, and shows it when it is done; meanwhile the view says
    // "Comparing…" beside a busy bar. Whatever is shown next (another diff job, a
    // diff or a message) cancels the job: its token asks it to stop, and what it
    // still returns is dropped.
    using DiffJob = std::function<FileDiff(const StopToken &stop)>;
    // Where the current line is once the diff is shown: none (the top in sight),
    // or the first line of the first or the last change.
    enum class Landing { Top, FirstChange, LastChange };
    void showDiffOf(DiffJob job, Landing landing = Landing::Top);
    bool isComparing() const;

    // The changes of the shown diff (each a run of removed and added lines), and
    // the one that holds the current line or lies above it; 0 above the first.
    int changeCount() const { return int(m_changeStarts.size()); }
    int currentChange() const;
    // Makes the first line of the next or previous change the current line; past
    // the last or before the first, says so by a signal.
    void nextChange();
    void previousChange();

    const std::vector<ShownLine> &shownLines() const { return m_lines; }
    // The shown lines, one a line.
    QString shownText() const;
    // The selected lines, in order, one a line; what Copy puts on the clipboard.
    QString selectedText() const;

signals:
    // The shown lines or the current change changed.
    void changesChanged();
    // Next Change was asked for after the last change, Previous Change before the
    // first: the owner may go on in another file.
    void passedLastChange();
    void passedFirstChange();

protected:
    void updateGeometries() override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    // Lines ready to show, with what showing them needs, made on any thread.
    struct Shown;
    static Shown shownOf(std::vector<ShownLine> lines);
    static std::vector<ShownLine> linesOf(const QList<DiffHunk> &hunks);
    void setLines(std::vector<ShownLine> lines);
    void setShown(Shown shown);
    void cancelComparing();
    void goToChange(int index);
    void land();

    std::vector<ShownLine> m_lines;
    std::vector<int> m_changeStarts;   // the first line of each change
    Landing m_landing = Landing::Top;  // of the awaited diff
    // Builds the awaited diff; another lets go of the lines shown before.
    std::unique_ptr<BackgroundTask<NoItem, Shown>> m_comparing;
    std::unique_ptr<BackgroundTask<NoItem, NoItem>> m_disposal;
    QProgressBar *m_busy = nullptr;
    class LineModel;
    LineModel *m_model = nullptr;
    DiffLineDelegate *m_delegate = nullptr;
};

} // namespace tessaly
