// Draws the Outcome column of the Preview and run report windows: a reason too
// long for its cell loses the middle of the paths it quotes, never its words.
#pragma once

#include <QStyledItemDelegate>

namespace tessaly {

class OutcomeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // `text` within `width` pixels: its quoted parts shortened in the middle, each
    // in proportion to its length; a text with nothing quoted, or whose words
    // alone are too wide, is cut at its end.
    static QString fitted(const QString &text, const QFontMetrics &metrics, int width);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

} // namespace tessaly
