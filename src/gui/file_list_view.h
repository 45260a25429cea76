// ListView1: the file list on screen. Removes rows by Delete and double-click,
// reorders them by dragging, and takes file drops from the file manager.
#pragma once

#include "filelist/file_list_model.h"

#include <QPersistentModelIndex>
#include <QTreeView>

#include <functional>

class QMimeData;

namespace tessaly {

class FileListView : public QTreeView {
    Q_OBJECT
public:
    // 7000 twips at 1440 twips to the inch and 96 pixels to the inch.
    static constexpr int kColumnWidth = 467;

    explicit FileListView(QWidget *parent = nullptr);

    void setFileListModel(FileListModel *model);
    FileListModel *fileListModel() const { return m_model; }

    // Whether the window is busy (its pointer is the hourglass); Delete and
    // double-click do nothing then.
    void setBusyTest(std::function<bool()> isBusy) { m_isBusy = std::move(isBusy); }
    // Whether Delete, double-click, the row drag and drops may change the list
    // (not while a run works on it). The list still scrolls and selects.
    void setChangesAllowed(bool allowed);
    bool changesAllowed() const { return m_changesAllowed; }

    // The row drag's pointer picture, beside the program.
    static QString dragCursorPath();

signals:
    // Files and folders dropped from the file manager, as local paths in drop order.
    void filesDropped(const QStringList &paths);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool busy() const { return m_isBusy && m_isBusy(); }
    bool takesDrop(const QMimeData *data) const;
    void removeSelectedRow();
    void itemClicked();
    void dragRowTo(const QModelIndex &target, int pointerY);

    FileListModel *m_model = nullptr;
    std::function<bool()> m_isBusy;
    bool m_changesAllowed = true;
    bool m_buttonDown = false;
    // The dragged row by identity: it follows the row through removals above it
    // and turns invalid when the row goes.
    QPersistentModelIndex m_draggedRow;
};

} // namespace tessaly
