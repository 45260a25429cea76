#include "cli_run.h"

#include "cli/cli_main.h"

#include <QDir>
#include <QProcess>

#include <cstdio>

namespace testing {

namespace {

QString readAll(FILE *file)
{
    std::fflush(file);
    std::rewind(file);
    QByteArray bytes;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, qsizetype(n));
    return QString::fromLocal8Bit(bytes);
}

} // namespace

QString CliRun::describe() const
{
    QStringList quoted;
    for (const QString &argument : arguments)
        quoted << (argument.isEmpty() || argument.contains(u' ') ? u'"' + argument + u'"' : argument);
    return QStringLiteral("tessaly-cli %1\n  in %2\n  exit %3%4\n--- stdout:\n%5--- stderr:\n%6---")
        .arg(quoted.join(u' '), folder)
        .arg(exitCode)
        .arg(crashed ? QStringLiteral(" (crashed)") : QString(), out, err);
}

QString cliProgram()
{
    return QStringLiteral(TESSALY_CLI_PATH);
}

CliRun runCli(const QStringList &arguments, const QString &folder, const tessaly::RunEnvironment &environment,
              tessaly::StopToken *stop)
{
    tessaly::StopToken unused;
    CliRun run{arguments, folder, -1, false, {}, {}};
    FILE *out = std::tmpfile();
    FILE *err = std::tmpfile();
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder);
    run.exitCode = tessaly::cli::runCommandLine(QStringList{QStringLiteral("tessaly-cli")} + arguments, out, err, false,
                                                stop ? *stop : unused, environment);
    QDir::setCurrent(before);
    run.out = readAll(out);
    run.err = readAll(err);
    std::fclose(out);
    std::fclose(err);
    return run;
}

namespace {

// Waits for the process and takes its exit status and output into the run.
CliRun finished(QProcess &process, CliRun run)
{
    process.waitForFinished(60000);
    run.exitCode = process.exitCode();
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

CliRun runCliProcess(const QStringList &arguments, const QString &folder, const QString &stdoutFile,
                     const QStringList &environment)
{
    CliRun run{arguments, folder, -1, false, {}, {}};
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setEnvironment(QProcess::systemEnvironment() + environment);
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile, QIODevice::Append);
    process.start(cliProgram(), arguments);
    return finished(process, std::move(run));
}

CliRun runShell(const QString &script, const QString &folder, const QStringList &environment)
{
    CliRun run{{QStringLiteral("bash"), QStringLiteral("-c"), script}, folder, -1, false, {}, {}};
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setEnvironment(QProcess::systemEnvironment() + environment << QStringLiteral("CLI=") + cliProgram());
    process.start(QStringLiteral("bash"), {QStringLiteral("-c"), script});
    return finished(process, std::move(run));
}

} // namespace testing
