#include "engine/prepared_sets.h"

#include <algorithm>

namespace tessaly {

namespace {

// A request changes a few times in a run at most; these are plenty.
constexpr size_t kKept = 4;

bool sameSets(const QList<FindReplaceSet> &a, const QList<FindReplaceSet> &b)
{
    // Copies of one request share their list: then nothing is compared.
    if (a.size() != b.size())
        return false;
    if (a.constData() == b.constData())
        return true;
    return std::equal(a.begin(), a.end(), b.begin(), [](const FindReplaceSet &x, const FindReplaceSet &y) {
        return x.find == y.find && x.replace == y.replace;
    });
}

} // namespace

bool replacesAsBytes(SourceFormat format, const QList<FindReplaceSet> &sets, const CodePage &codePage)
{
    const auto encodable = [&](const FindReplaceSet &set) {
        return codePage.canEncode(set.find) && codePage.canEncode(set.replace);
    };
    return format.encoding == TextEncoding::Utf8
           || (format.encoding == TextEncoding::Ansi
               && (sets.size() <= 1 || std::all_of(sets.begin(), sets.end(), encodable)));
}

PreparedBytes prepareBytes(const QList<FindReplaceSet> &sets, bool utf8, const CodePage &codePage)
{
    QList<Substitution<QByteArray>> substitutions;
    QList<qint64> lostPerReplacement;
    substitutions.reserve(sets.size());
    lostPerReplacement.reserve(sets.size());
    for (const FindReplaceSet &set : sets) {
        qint64 lost = 0;
        QByteArray find;
        if (utf8 || codePage.canEncode(set.find))
            find = utf8 ? set.find.toUtf8() : codePage.encode(set.find);
        QByteArray replace = utf8 ? set.replace.toUtf8() : codePage.encode(set.replace, &lost);
        substitutions.append({std::move(find), std::move(replace)});
        lostPerReplacement.append(lost);
    }
    return {PreparedSubstitutions<QByteArray>(std::move(substitutions), SetSkipping::Auto),
            std::move(lostPerReplacement)};
}

PreparedSubstitutions<QString> prepareText(const QList<FindReplaceSet> &sets)
{
    QList<Substitution<QString>> substitutions;
    substitutions.reserve(sets.size());
    for (const FindReplaceSet &set : sets)
        substitutions.append({set.find, set.replace});
    return PreparedSubstitutions<QString>(std::move(substitutions), SetSkipping::Auto);
}

std::shared_ptr<const PreparedBytes> PreparedSets::bytes(const QList<FindReplaceSet> &sets, bool utf8,
                                                         const CodePage &codePage)
{
    const Form form = utf8 ? Form::Utf8 : Form::CodePage;
    const int number = utf8 ? 0 : codePage.number();
    if (auto found = find(sets, form, number))
        return std::static_pointer_cast<const PreparedBytes>(found);
    auto made = std::make_shared<const PreparedBytes>(prepareBytes(sets, utf8, codePage));
    keep(sets, form, number, made);
    return made;
}

std::shared_ptr<const PreparedSubstitutions<QString>> PreparedSets::text(const QList<FindReplaceSet> &sets)
{
    if (auto found = find(sets, Form::Text, 0))
        return std::static_pointer_cast<const PreparedSubstitutions<QString>>(found);
    auto made = std::make_shared<const PreparedSubstitutions<QString>>(prepareText(sets));
    keep(sets, Form::Text, 0, made);
    return made;
}

std::shared_ptr<const void> PreparedSets::find(const QList<FindReplaceSet> &sets, Form form, int codePage)
{
    for (const Entry &entry : m_entries) {
        if (entry.form == form && entry.codePage == codePage && sameSets(entry.sets, sets))
            return entry.prepared;
    }
    return nullptr;
}

void PreparedSets::keep(const QList<FindReplaceSet> &sets, Form form, int codePage,
                        std::shared_ptr<const void> prepared)
{
    if (m_entries.size() == kKept)
        m_entries.erase(m_entries.begin());
    m_entries.push_back({sets, form, codePage, std::move(prepared)});
}

} // namespace tessaly
