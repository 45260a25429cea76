// Where a source's result goes: beside it as NAME_replaced.EXT, or into the output
// folder (or a folder below it) under its own name (then also _replaced when that
// folder is its own).
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include <cstddef>

namespace tessaly {

enum class SaveOption { BesideSource, OutputFolder, None };

// The result path by its text alone; "" when no save option is selected.
// `subFolder` ("A/B") is the folder below the output folder the result goes to.
QString composeResultPath(const QString &source, SaveOption save, const QString &outputFolder, QChar sep,
                          const QString &subFolder = {});
// The "_replaced" form of a result path: NAME_replaced.EXT, or NAME_replaced for a
// name without a dot.
QString replacedName(const QString &resultPath, const QString &source, QChar sep);
// A hash of the name that a result name shares with its "_replaced" forms
// (NAME.EXT for NAME.EXT, NAME_replaced.EXT, NAME_replaced_replaced.EXT): two
// results of different hashes never take the same place.
size_t sharedResultNameHash(QStringView fileName);

} // namespace tessaly
