// Text for a terminal or a log: a file name can hold control characters (ESC,
// BEL, CR, a line break) that would act on the terminal or forge a report line
// when printed as they are.
#pragma once

#include <QString>

namespace tessaly::cli {

// The text with each control character written as an escape: "\n", "\r", "\t",
// "\a", "\b", "\f", "\v", "\e", and "\xHH" for the others (C1 characters too).
QString escapeControls(const QString &text);

} // namespace tessaly::cli
