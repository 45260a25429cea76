// An ssh server of the test's own on the loopback address, so that tests can
// spread work "over hosts" with real ssh on one machine. It takes keys made for
// it and nothing else, and runs as long as the object lives.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace testing {

class LocalSshServer {
public:
    // `path` is the PATH of the commands a login runs (where the programs under
    // test are "installed" on the host).
    explicit LocalSshServer(const QString &path);
    ~LocalSshServer();

    // Empty when the server runs; otherwise why it does not.
    QString failure() const { return m_failure; }
    // The ssh command line that logs in to it as "localhost" with its key, as
    // GNU parallel's --ssh (or PARALLEL_SSH) takes it.
    QString sshCommand() const;

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    int m_port = 0;
    QString m_failure;
};

} // namespace testing
