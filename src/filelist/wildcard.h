// Wildcard matching of file names, as the platform's directory listing does it.
#pragma once

#include <QString>

namespace tessaly {

// Letter case ignored, "*" any run, "?" one character; a trailing ".*" also
// matches names without an extension, so "*.*" matches every name. A pattern
// whose extension (after its last dot) has three characters also matches names
// whose extension is longer and begins with a match of it: "*.htm" matches
// "a.html", "*.asp" matches "a.aspx"; other lengths match exactly.
bool matchesWildcard(const QString &name, const QString &pattern);

// A pattern prepared once for many names: the usual ones ("*.htm", "*.*") are
// matched without the general matcher, with the same answers.
class WildcardPattern {
public:
    explicit WildcardPattern(const QString &pattern);
    bool matches(const QString &name) const;

private:
    enum Kind { General, Everything, Suffix } m_kind = General;
    QString m_pattern;
    QString m_suffix;
    bool m_threeLetterExtension = false;
};

} // namespace tessaly
