// Fuzz target: the wildcard matcher of folder listings (the prepared pattern
// and the general matcher) on arbitrary names and patterns, compared with a
// plain recursive rendering of the rule.
#include "fuzz_check.h"

#include "filelist/wildcard.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

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

// "*" any run (tried from the shortest), "?" one character, any other character
// itself with letter case ignored.
bool referenceMatch(QStringView name, QStringView pattern)
{
    if (pattern.isEmpty())
        return name.isEmpty();
    if (pattern.front() == u'*') {
        for (qsizetype skip = 0; skip <= name.size(); ++skip)
            if (referenceMatch(name.mid(skip), pattern.mid(1)))
                return true;
        return false;
    }
    if (name.isEmpty())
        return false;
    if (pattern.front() != u'?' && !sameLetter(pattern.front(), name.front()))
        return false;
    return referenceMatch(name.mid(1), pattern.mid(1));
}

// A trailing ".*" also matches a name without any dot.
bool referenceWildcard(const QString &name, const QString &pattern)
{
    if (referenceMatch(name, pattern))
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
