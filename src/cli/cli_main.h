// The whole of tessaly-cli behind its main(): parse, run, report, and the exit
// status, with the report streams handed in so tests run it in-process.
#pragma once

#include "engine/replace_run.h"
#include "engine/stop_token.h"

#include <QStringList>

#include <cstdio>

namespace tessaly::cli {

// `arguments` starts with the program name. Returns the exit status: 0 when no
// file failed, 1 when one failed or the report could not be written to `out` or
// `err` (141 when one of them is a pipe whose reader went away),
// 2 for a usage error, 128 + N when signal N stopped the run through `stop`.
// `environment` is the file system and thread limit the run works with. `out`
// and `err` are made unbuffered: the report holds its lines itself.
int runCommandLine(const QStringList &arguments, FILE *out, FILE *err, bool showProgress, StopToken &stop,
                   const RunEnvironment &environment = {});

} // namespace tessaly::cli
