#include "gui/file_list_view.h"

#include "gui/cursor_file.h"
#include "base/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QUrl>

namespace tessaly {

namespace {

// The shell's file list: URLs of which at least one is a local file or folder.
QStringList localPaths(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            paths.append(QDir::toNativeSeparators(url.toLocalFile()));
    }
    return paths;
}

} // namespace

FileListView::FileListView(QWidget *parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    // Uniform rows let the view place 100,000 rows without measuring each.
    setUniformRowHeights(true);
    // Long paths keep their file names in sight: the middle of the folder goes.
    setTextElideMode(Qt::ElideMiddle);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The rows never start a drag-and-drop of their own; reordering is the row drag.
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    header()->setStretchLastSection(false);
    setToolTip(QStringLiteral("Drag and drop files here. Double-click item to remove it. "
                              "Move | line to right and out of window to reveal full names."));
}

void FileListView::setFileListModel(FileListModel *model)
{
    m_model = model;
    setModel(model);
    header()->resizeSection(0, kColumnWidth);
}

QString FileListView::dragCursorPath()
{
    return programFile(QStringLiteral("drag.ico"));
}

void FileListView::setChangesAllowed(bool allowed)
{
    m_changesAllowed = allowed;
    setAcceptDrops(allowed);
    viewport()->setAcceptDrops(allowed);
    if (!allowed)
        m_draggedRow = QPersistentModelIndex();
}

bool FileListView::takesDrop(const QMimeData *data) const
{
    return m_changesAllowed && !localPaths(data).isEmpty();
}

void FileListView::removeSelectedRow()
{
    if (busy() || !m_changesAllowed || !m_model || m_model->count() == 0)
        return;
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    if (selected.isEmpty())
        return;
    m_model->removeRow(selected.first().row() + 1);
}

void FileListView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete) {
        removeSelectedRow();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    removeSelectedRow();
    event->accept();
}

void FileListView::mousePressEvent(QMouseEvent *event)
{
    m_buttonDown = true;
    QTreeView::mousePressEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        itemClicked();
}

void FileListView::itemClicked()
{
    if (!m_changesAllowed)
        return;
    // Loaded afresh on every click; without the picture another pointer shows.
    viewport()->setCursor(loadCursorFile(dragCursorPath()).value_or(QCursor(Qt::DragMoveCursor)));
    const QModelIndex current = currentIndex();
    m_draggedRow = selectionModel() && selectionModel()->isSelected(current) ? QPersistentModelIndex(current)
                                                                              : QPersistentModelIndex();
}

void FileListView::mouseMoveEvent(QMouseEvent *event)
{
    // The window's hover rule shows the arrow over the list (HoverPointer).
    if (!m_buttonDown) {
        QTreeView::mouseMoveEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    dragRowTo(indexAt(pos), pos.y());
    event->accept();
}

void FileListView::dragRowTo(const QModelIndex &target, int pointerY)
{
    if (!target.isValid() || !m_draggedRow.isValid() || !m_model || !m_changesAllowed)
        return;
    const int from = m_draggedRow.row() + 1;
    const int to = target.row() + 1;
    const QString dragged = m_model->text(from);
    if (dragged == m_model->text(to))
        return;
    m_model->setText(from, m_model->text(to));
    m_model->setText(to, dragged);
    const QModelIndex moved = m_model->index(to - 1);
    setCurrentIndex(moved);
    m_draggedRow = moved;

    // Near the list's top or bottom edge the list scrolls one row, so a drag can
    // carry a row past what is shown. The edge zones are one row high inside the
    // viewport, measured on the list itself rather than on the screen.
    const int zone = qMax(1, rowHeight(moved));
    if (pointerY < zone) {
        if (to > 1)
            scrollTo(m_model->index(to - 2));
    } else if (pointerY >= viewport()->height() - zone) {
        if (to < m_model->count())
            scrollTo(m_model->index(to));
    }
}

void FileListView::mouseReleaseEvent(QMouseEvent *event)
{
    m_buttonDown = false;
    viewport()->setCursor(Qt::ArrowCursor);
    QTreeView::mouseReleaseEvent(event);
}

void FileListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!takesDrop(event->mimeData()))
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!takesDrop(event->mimeData()))
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileListView::dropEvent(QDropEvent *event)
{
    const QStringList paths = m_changesAllowed ? localPaths(event->mimeData()) : QStringList();
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}

} // namespace tessaly
