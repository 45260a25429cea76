// Generated pages for the diff benchmarks: about 1 MB of HTML-like text in which
// a number of lines, spread evenly, carry the word "Acme".
#pragma once

#include <QString>

QString samplePage(int changes, const QString &lineEnd);
