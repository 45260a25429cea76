// --keep-tree --base: where a file PATH's result goes below the output folder,
// or why it cannot have one.
#pragma once

#include "engine/replace_run.h"

#include <QString>

#include <optional>

namespace tessaly::cli {

class BaseFolder {
public:
    // `base` is absolute, "." and ".." taken out.
    explicit BaseFolder(const QString &base) : m_base(base) {}

    // The file with its folder below the base, or refused when it lies elsewhere.
    // The name is compared as written (made absolute, "." and ".." taken out),
    // then by the folders' real places, so a base or a list that reaches the
    // files through a link still matches.
    RunFile place(const QString &path);

private:
    static std::optional<QString> relative(const QString &path, const QString &folder);

    QString m_base;
    QString m_realBase;  // found when first needed
};

} // namespace tessaly::cli
