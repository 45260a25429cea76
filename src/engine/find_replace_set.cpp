#include "engine/find_replace_set.h"

namespace tessaly {

QList<FindReplaceSet> findReplaceSets(const QStringList &findList, const QStringList &replaceList)
{
    QList<FindReplaceSet> sets;
    sets.reserve(findList.size());
    for (qsizetype j = 0; j < findList.size(); ++j)
        sets.append({findList[j], replaceList.value(j)});
    return sets;
}

} // namespace tessaly
