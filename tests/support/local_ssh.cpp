#include "local_ssh.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sys/stat.h>
#include <unistd.h>

namespace testing {

namespace {

const QString kServer = QStringLiteral("/usr/sbin/sshd");

bool makeKey(const QString &file, QString *failure)
{
    QProcess keygen;
    keygen.start(QStringLiteral("ssh-keygen"), {"-q", "-t", "ed25519", "-N", "", "-C", "tessaly-test", "-f", file});
    if (!keygen.waitForFinished(30000) || keygen.exitCode() != 0) {
        *failure = QStringLiteral("ssh-keygen failed: ") + QString::fromLocal8Bit(keygen.readAllStandardError())
                   + keygen.errorString();
        return false;
    }
    return true;
}

} // namespace

LocalSshServer::LocalSshServer(const QString &path)
{
    if (!QFileInfo(kServer).isExecutable()) {
        m_failure = kServer + QStringLiteral(" is missing (Debian's openssh-server; scripts/setup installs it)");
        return;
    }
    // sshd started by root insists on its privilege separation folder, which the
    // package's service would make at boot.
    if (::geteuid() == 0 && !QFileInfo::exists(QStringLiteral("/run/sshd")) && ::mkdir("/run/sshd", 0755) != 0) {
        m_failure = QStringLiteral("cannot make /run/sshd");
        return;
    }
    const QString hostKey = m_dir.filePath("host_key");
    const QString userKey = m_dir.filePath("user_key");
    if (!makeKey(hostKey, &m_failure) || !makeKey(userKey, &m_failure))
        return;
    QFile::copy(userKey + ".pub", m_dir.filePath("authorized_keys"));
    // A few free ports are tried: another program may hold the first.
    for (int attempt = 0; attempt < 8; ++attempt) {
        m_port = 20000 + int(QRandomGenerator::global()->bounded(40000));
        const QStringList options{"Port=" + QString::number(m_port),
                                  "ListenAddress=127.0.0.1",
                                  "HostKey=" + hostKey,
                                  "AuthorizedKeysFile=" + m_dir.filePath("authorized_keys"),
                                  "PasswordAuthentication=no",
                                  "KbdInteractiveAuthentication=no",
                                  "PermitRootLogin=prohibit-password",
                                  "UsePAM=no",
                                  "StrictModes=no",
                                  "PidFile=none",
                                  "SetEnv=PATH=" + path};
        QStringList arguments{"-D", "-e", "-f", "/dev/null"};
        for (const QString &option : options)
            arguments << "-o" << option;
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(kServer, arguments);
        QByteArray log;
        while (m_server.waitForReadyRead(10000)) {
            log += m_server.readAll();
            if (log.contains("Server listening on"))
                return;
        }
        log += m_server.readAll();
        m_server.kill();
        m_server.waitForFinished();
        m_failure = QStringLiteral("sshd did not start: ") + QString::fromLocal8Bit(log);
        if (!log.contains("Address already in use"))
            return;
    }
}

LocalSshServer::~LocalSshServer()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
        m_server.waitForFinished();
    }
}

QString LocalSshServer::sshCommand() const
{
    return QStringLiteral("ssh -F /dev/null -p %1 -i %2 -o IdentitiesOnly=yes -o BatchMode=yes"
                          " -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null -o LogLevel=ERROR")
        .arg(m_port)
        .arg(m_dir.filePath("user_key"));
}

} // namespace testing
