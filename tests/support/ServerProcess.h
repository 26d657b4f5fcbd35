// Starts a real tessel-dbserver on free loopback ports with a temporary data folder, and points
// the client library at its certificate.
#ifndef TESSEL_TESTS_SERVERPROCESS_H
#define TESSEL_TESTS_SERVERPROCESS_H

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class ServerProcess
{
public:
    /// _strDataDir empty: a fresh temporary folder.
    explicit ServerProcess(const QString& _strDataDir = QString());
    ~ServerProcess();

    /// Starts the server (on the same ports and folder as before when restarted) and waits for
    /// its "listening" line. Also sets TESSEL_WS_CA_FILE to its certificate. False on failure.
    bool start(const QStringList& _lstExtraArgs = {});
    /// SIGTERM and wait; true when it exited with 0.
    bool stop();
    /// SIGKILL and wait.
    void kill();
    /// Environment of the server process from the next start on (default: the test's own).
    void setEnvironment(const QProcessEnvironment& _environment)
    {
        m_environment = _environment;
        m_bOwnEnvironment = true;
    }

    /// Process id while it runs, else 0.
    qint64 pid() const { return m_pProcess ? m_pProcess->processId() : 0; }
    bool isRunning() const { return m_pProcess && m_pProcess->state() != QProcess::NotRunning; }
    int port() const { return m_iPort; }
    QString dataDir() const { return m_strDataDir; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_iPort); }
    QString output() const { return m_strOutput; }
    static QString binary();

private:
    static int findFreePortBlock();
    std::unique_ptr<QTemporaryDir> m_pTempDir;
    QString m_strDataDir;
    int m_iPort = 0;
    std::unique_ptr<QProcess> m_pProcess;
    QString m_strOutput;
    QProcessEnvironment m_environment;
    bool m_bOwnEnvironment = false;
};

/// Client start-up through the static interface against _server: InitDb once per process,
/// then CreateDBConnection. Returns the status.
int connectHandlerTo(const ServerProcess& _server);

#endif
