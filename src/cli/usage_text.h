// The text of tessaly-cli --help.
#pragma once

namespace tessaly::cli {

const char *usageText();

} // namespace tessaly::cli
