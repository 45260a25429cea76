// tessaly-cli for tests: run in this process (output captured through FILE*) or
// as a process, with a failure message that shows the whole run.
#pragma once

#include "engine/replace_run.h"
#include "engine/stop_token.h"

#include <QString>
#include <QStringList>

namespace testing {

struct CliRun {
    QStringList arguments;
    QString folder;       // the working folder: relative PATHs are taken from it
    int exitCode = -1;
    bool crashed = false; // a process that ended by a signal
    QString out;
    QString err;

    // The arguments, folder, exit code, standard output and standard error.
    QString describe() const;
};

// The program under test (the built tessaly-cli).
QString cliProgram();

// The command line through runCommandLine in this process, from `folder`, with
// the run's file system and thread limit from `environment`, stopped by `stop`
// when one is given.
CliRun runCli(const QStringList &arguments, const QString &folder, const tessaly::RunEnvironment &environment = {},
              tessaly::StopToken *stop = nullptr);
// tessaly-cli as a process started in `folder`; `stdoutFile` (e.g. /dev/full)
// takes its standard output when given; `environment` adds NAME=VALUE entries.
CliRun runCliProcess(const QStringList &arguments, const QString &folder, const QString &stdoutFile = QString(),
                     const QStringList &environment = {});
// A bash command line in `folder` in which "$CLI" is the program under test
// (for pipes, limits and redirections); its exit status and output.
// `environment` adds NAME=VALUE entries.
CliRun runShell(const QString &script, const QString &folder, const QStringList &environment = {});

} // namespace testing

// A check on a CLI run whose failure prints the whole run.
#define CLI_VERIFY(run, condition) QVERIFY2((condition), qPrintable((run).describe()))
#define CLI_EXIT(run, code) CLI_VERIFY(run, (run).exitCode == (code))
