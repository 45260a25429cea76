// Fuzz target: the wildcard matcher of folder listings (the prepared pattern
// and the general matcher) on arbitrary names and patterns, compared with a
// plain recursive rendering of the rule.
#include "fuzz_check.h"

#include "filelist/wildcard.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

using namespace tessaly;

namespace {

QString wide(const std::string &bytes)
{
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

bool sameLetter(QChar a, QChar b)
{
    return a.toCaseFolded() == b.toCaseFolded();
}

// "*" any run, "?" one character, any other character itself with letter case
// ignored: the rule as it reads, recursing on the rest of name and pattern. The
// answers are remembered per position so runs of "*" stay cheap.
class Reference {
public:
    Reference(QStringView name, QStringView pattern)
        : m_name(name), m_pattern(pattern), m_memo(size_t((name.size() + 1) * (pattern.size() + 1)), -1)
    {
    }
    bool matches(qsizetype n = 0, qsizetype p = 0)
    {
        signed char &memo = m_memo[size_t(n * (m_pattern.size() + 1) + p)];
        if (memo < 0)
            memo = compute(n, p) ? 1 : 0;
        return memo == 1;
    }

private:
    bool compute(qsizetype n, qsizetype p)
    {
        if (p == m_pattern.size())
            return n == m_name.size();
        if (m_pattern[p] == u'*')
            return matches(n, p + 1) || (n < m_name.size() && matches(n + 1, p));
        if (n == m_name.size())
            return false;
        if (m_pattern[p] != u'?' && !sameLetter(m_pattern[p], m_name[n]))
            return false;
        return matches(n + 1, p + 1);
    }

    QStringView m_name;
    QStringView m_pattern;
    std::vector<signed char> m_memo;
};

bool referenceMatch(QStringView name, QStringView pattern)
{
    return Reference(name, pattern).matches();
}

// A trailing ".*" also matches a name without any dot. When the pattern's last
// dot is followed by exactly three characters, the name with everything after
// the third character of its own extension left off is tried too.
bool referenceWildcard(const QString &name, const QString &pattern)
{
    if (referenceMatch(name, pattern))
        return true;
    const qsizetype patternDot = pattern.lastIndexOf(u'.');
    const qsizetype nameDot = name.lastIndexOf(u'.');
    if (patternDot >= 0 && pattern.size() - patternDot == 4 && nameDot >= 0 && name.size() - nameDot > 4
        && referenceMatch(name.left(nameDot + 4), pattern))
        return true;
    return pattern.endsWith(QLatin1String(".*")) && !name.contains(u'.')
        && referenceMatch(name, QStringView(pattern).chopped(2));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    // Short patterns keep the reference's backtracking cheap; the usual shapes
    // ("*.EXT", "*.*", "*") come up often, so the prepared path is exercised.
    QString pattern = wide(provider.ConsumeRandomLengthString(24));
    switch (provider.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: pattern = QStringLiteral("*.") + pattern; break;
    case 1: pattern = QStringLiteral("*.*"); break;
    case 2: pattern = QStringLiteral("*"); break;
    default: break;
    }
    const QString name = wide(provider.ConsumeRemainingBytesAsString().substr(0, 64));
    const bool expected = referenceWildcard(name, pattern);
    FUZZ_CHECK(matchesWildcard(name, pattern) == expected);
    FUZZ_CHECK(WildcardPattern(pattern).matches(name) == expected);
    return 0;
}
