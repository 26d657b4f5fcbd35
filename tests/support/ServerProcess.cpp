#include "ServerProcess.h"

#include "CLS_RemoteDBHandler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTcpServer>

#include <csignal>

ServerProcess::ServerProcess(const QString& _strDataDir) : m_strDataDir(_strDataDir)
{
    if (m_strDataDir.isEmpty()) {
        m_pTempDir = std::make_unique<QTemporaryDir>();
        m_strDataDir = m_pTempDir->path();
    }
}

ServerProcess::~ServerProcess()
{
    if (m_pProcess && m_pProcess->state() != QProcess::NotRunning) {
        kill();
    }
}

QString ServerProcess::binary()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/tessel-dbserver");
}

int ServerProcess::findFreePortBlock()
{
    for (int iTry = 0; iTry < 200; ++iTry) {
        const int iBase = 20000 + static_cast<int>(QRandomGenerator::global()->bounded(40000));
        bool bFree = true;
        for (int i = 0; i < 4 && bFree; ++i) {
            QTcpServer probe;
            bFree = probe.listen(QHostAddress::LocalHost, static_cast<quint16>(iBase + i));
        }
        if (bFree) {
            return iBase;
        }
    }
    return 0;
}

bool ServerProcess::start(const QStringList& _lstExtraArgs)
{
    if (m_iPort == 0) {
        m_iPort = findFreePortBlock();
    }
    m_pProcess = std::make_unique<QProcess>();
    m_pProcess->setProcessChannelMode(QProcess::MergedChannels);
    if (m_bOwnEnvironment) {
        m_pProcess->setProcessEnvironment(m_environment);
    }
    QStringList args{"--data-dir",  m_strDataDir, "--port", QString::number(m_iPort),
                     "--log-level", "warning"};
    args << _lstExtraArgs;
    m_pProcess->start(binary(), args);
    if (!m_pProcess->waitForStarted(10000)) {
        m_strOutput = m_pProcess->errorString();
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 20000) {
        m_pProcess->waitForReadyRead(100);
        m_strOutput += QString::fromUtf8(m_pProcess->readAll());
        if (m_strOutput.contains(QLatin1String("listening"))) {
            qputenv("TESSEL_WS_CA_FILE", (m_strDataDir + "/tls/server.crt").toUtf8());
            return true;
        }
        if (m_pProcess->state() == QProcess::NotRunning) {
            return false;
        }
    }
    return false;
}

bool ServerProcess::stop()
{
    if (!m_pProcess || m_pProcess->state() == QProcess::NotRunning) {
        return true;
    }
    ::kill(static_cast<pid_t>(m_pProcess->processId()), SIGTERM);
    const bool bExited = m_pProcess->waitForFinished(20000);
    m_strOutput += QString::fromUtf8(m_pProcess->readAll());
    return bExited && m_pProcess->exitStatus() == QProcess::NormalExit && m_pProcess->exitCode() == 0;
}

void ServerProcess::kill()
{
    if (!m_pProcess) {
        return;
    }
    m_pProcess->kill();
    m_pProcess->waitForFinished(10000);
}

int connectHandlerTo(const ServerProcess& _server)
{
    if (CLS_RemoteDBHandler::InitDb(QStringLiteral("127.0.0.1"), _server.port()) != 0) {
        return -1;
    }
    return CLS_RemoteDBHandler::CreateDBConnection();
}
