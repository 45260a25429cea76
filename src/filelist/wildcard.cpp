#include "filelist/wildcard.h"

namespace tessaly {

namespace {

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

bool matchPlain(QStringView name, QStringView pattern)
{
    // Greedy matching with one backtrack point: the last "*" seen.
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool hasThreeLetterExtension(QStringView pattern)
{
    const qsizetype dot = pattern.lastIndexOf(u'.');
    return dot >= 0 && pattern.size() - dot - 1 == 3;
}

// The name with its extension cut to three characters, as the short names of
// the original platform's file systems hold it; empty when it has no longer one.
QStringView shortExtensionName(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || name.size() - dot - 1 <= 3)
        return {};
    return name.first(dot + 4);
}

} // namespace

bool matchesWildcard(const QString &name, const QString &pattern)
{
    if (matchPlain(name, pattern))
        return true;
    if (hasThreeLetterExtension(pattern)) {
        const QStringView shortName = shortExtensionName(name);
        if (!shortName.isEmpty() && matchPlain(shortName, pattern))
            return true;
    }
    return pattern.endsWith(QLatin1String(".*")) && !name.contains(u'.')
        && matchPlain(name, QStringView(pattern).chopped(2));
}

WildcardPattern::WildcardPattern(const QString &pattern)
    : m_pattern(pattern), m_threeLetterExtension(hasThreeLetterExtension(pattern))
{
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) {
        m_kind = Everything;
    } else if (pattern.startsWith(QLatin1String("*.")) && !pattern.mid(1).contains(u'*')
               && !pattern.contains(u'?')) {
        m_kind = Suffix;
        m_suffix = pattern.mid(1);
    }
}

bool WildcardPattern::matches(const QString &name) const
{
    switch (m_kind) {
    case Everything:
        return true;
    case Suffix: {
        if (name.endsWith(m_suffix, Qt::CaseInsensitive))
            return true;
        const QStringView shortName = m_threeLetterExtension ? shortExtensionName(name) : QStringView();
        return !shortName.isEmpty() && shortName.endsWith(m_suffix, Qt::CaseInsensitive);
    }
    case General:
        break;
    }
    return matchesWildcard(name, m_pattern);
}

} // namespace tessaly
