// One find text and its replacement: the pair of the first tab, or one entry of
// the ordered sets of the second.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly {

struct FindReplaceSet {
    QString find;
    QString replace;
};

// The sets of two parallel lists (the window's two set lists); a find text
// without a partner is replaced by nothing.
QList<FindReplaceSet> findReplaceSets(const QStringList &findList, const QStringList &replaceList);

} // namespace tessaly
