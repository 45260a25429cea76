// A run's find/replace sets made ready once for all its files, in the forms the
// files need: bytes of UTF-8 or of a code page, and UTF-16 text.
#pragma once

#include "engine/find_replace_set.h"
#include "engine/replacement.h"
#include "textio/code_page.h"
#include "textio/text_encoding.h"

#include <QList>

#include <memory>
#include <vector>

namespace tessaly {

// The sets as bytes, and what each replacement loses: the "?" its replace text
// gets for characters the code page lacks.
struct PreparedBytes {
    PreparedSubstitutions<QByteArray> substitutions;
    QList<qint64> lostPerReplacement;
};

// The sets as bytes. A find text with characters the page lacks cannot occur in
// the decoded text, so it finds nothing as bytes either (encoding it would turn
// them into "?" and match real question marks).
PreparedBytes prepareBytes(const QList<FindReplaceSet> &sets, bool utf8, const CodePage &codePage);
PreparedSubstitutions<QString> prepareText(const QList<FindReplaceSet> &sets);

// Whether a source of that format is replaced as bytes. A single pair can be
// applied to code-page bytes even when it holds characters the page lacks: such a
// find text cannot occur, such a replace text turns into "?" either way. Several
// sets may match what an earlier one inserted, so those go through text unless
// every character fits the page.
bool replacesAsBytes(SourceFormat format, const QList<FindReplaceSet> &sets, const CodePage &codePage);

// The forms already made, kept for the files still to come. Each thread of a run
// keeps its own: making them once more costs less than a lock and a shared count
// that every file would take on two processor cores. A request that changes during
// a run gets new ones.
class PreparedSets {
public:
    std::shared_ptr<const PreparedBytes> bytes(const QList<FindReplaceSet> &sets, bool utf8, const CodePage &codePage);
    std::shared_ptr<const PreparedSubstitutions<QString>> text(const QList<FindReplaceSet> &sets);

private:
    enum class Form { Text, Utf8, CodePage };
    struct Entry {
        QList<FindReplaceSet> sets;
        Form form;
        int codePage;  // its number, with Form::CodePage
        std::shared_ptr<const void> prepared;
    };
    std::shared_ptr<const void> find(const QList<FindReplaceSet> &sets, Form form, int codePage);
    void keep(const QList<FindReplaceSet> &sets, Form form, int codePage, std::shared_ptr<const void> prepared);

    std::vector<Entry> m_entries;  // the most recently made last
};

} // namespace tessaly
