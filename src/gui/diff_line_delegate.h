// Paints one line of a DiffView: the background of its kind across the view, its
// text in the monospace font with the replaced parts emphasised. Only the columns
// in sight are drawn, so a line of a megabyte costs no more than a short one.
#pragma once

#include "gui/diff_view.h"

#include <QStyledItemDelegate>

namespace tessaly {

class DiffLineDelegate : public QStyledItemDelegate {
public:
    DiffLineDelegate(const std::vector<DiffView::ShownLine> &lines, DiffView *view);

    // The columns a text takes, a tab reaching the next multiple of eight.
    static qsizetype columnsOf(QStringView text);
    // Where the character at `position` of a line is drawn, from the left of the line.
    static int xOf(QStringView text, qsizetype position, const QFont &font);
    // Every line is as wide as the widest, whose columns these are.
    void setColumns(qsizetype columns) { m_columns = columns; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    const std::vector<DiffView::ShownLine> &m_lines;
    DiffView *m_view;
    qsizetype m_columns = 0;
};

} // namespace tessaly
