// Draws the Outcome column of the Preview and run report windows: a reason too
// long for its cell loses the middle of the paths it quotes, never its words.
#pragma once

#include <QStyledItemDelegate>

namespace tessaly {

class OutcomeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // `text` within `width` pixels: its quoted parts shortened in the middle, each
    // in proportion to its length; when the words alone are too wide, the quoted
    // parts become "…" and the words are cut at their end.
    static QString fitted(const QString &text, const QFontMetrics &metrics, int width);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

} // namespace tessaly
