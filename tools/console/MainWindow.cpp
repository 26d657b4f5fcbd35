#include "MainWindow.h"

#include "AlarmLogModel.h"
#include "ConsoleSession.h"
#include "ItemTreeModel.h"
#include "Panes.h"

#include <I_DataMediator.h>

#include <QCoreApplication>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace console {

namespace {

QString configPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/DbServerConfig.json");
}

}  // namespace

MainWindow::MainWindow(I_DataMediator* _pMediator, QWidget* _pParent)
    : QMainWindow(_pParent),
      m_pSession(std::make_unique<ConsoleSession>(_pMediator)),
      m_bConnected(_pMediator != nullptr)
{
    setWindowTitle(tr("Tessel console"));
    m_pTabs = new QTabWidget();
    m_pTrees = new TreesPane(*m_pSession);
    m_pAlarms = new AlarmPane(*m_pSession);
    m_pFlow = new FlowPane(*m_pSession);
    m_pServer = new ServerPane(*m_pSession);
    m_pFaces = new FacesPane(*m_pSession);
    m_pMaps = new MapsPane(*m_pSession);
    m_pDatabases = new DatabasesPane(*m_pSession);
    m_pTabs->addTab(makeConnectionPane(), tr("Connection"));
    m_pTabs->addTab(m_pTrees, tr("Trees"));
    m_pTabs->addTab(m_pAlarms, tr("Alarm log"));
    m_pTabs->addTab(m_pFlow, tr("Passenger flow"));
    m_pTabs->addTab(m_pFaces, tr("Face captures"));
    m_pTabs->addTab(m_pMaps, tr("Maps"));
    m_pTabs->addTab(m_pServer, tr("Server"));
    m_pTabs->addTab(m_pDatabases, tr("Databases"));
    for (int i = 1; i < m_pTabs->count(); ++i) {
        m_pTabs->setTabEnabled(i, false);
    }
    setCentralWidget(m_pTabs);
    m_pStatus = new QLabel(m_bConnected ? statusMessage(1) : tr("Not connected"));
    statusBar()->addPermanentWidget(m_pStatus);
    resize(1100, 720);

    connect(m_pSession.get(), &ConsoleSession::databaseStatusChanged, this, &MainWindow::onDatabaseStatus);
    connect(m_pTrees, &TreesPane::loaded, this, [this](int _iCode) {
        if (m_bLoggingIn) {
            m_bLoggingIn = false;
            setBusy(false, QString());
            if (_iCode != 0) {
                const QString strMessage = tr("The trees could not be loaded (%1)").arg(_iCode);
                m_pMessage->setText(strMessage);
                emit failed(strMessage);
                return;
            }
            for (int i = 1; i < m_pTabs->count(); ++i) {
                m_pTabs->setTabEnabled(i, true);
            }
            m_pTabs->setCurrentWidget(m_pTrees);
            m_pAlarms->load();
            m_pFlow->load();
            m_pServer->load();
            m_pFaces->load();
            m_pMaps->load();
            emit ready();
        }
    });
}

MainWindow::~MainWindow()
{
    // The session goes first: its thread stops before the models it feeds are destroyed.
    m_pSession.reset();
}

QWidget* MainWindow::makeConnectionPane()
{
    m_pServerIp = new QLineEdit();
    m_pServerPort = new QSpinBox();
    m_pServerPort->setRange(1, 65535);
    auto* pSave = new QPushButton(tr("Save"));
    connect(pSave, &QPushButton::clicked, this, &MainWindow::saveServerConfig);
    auto* pServerBox = new QGroupBox(tr("Database server (%1)").arg(configPath()));
    auto* pServerForm = new QFormLayout(pServerBox);
    pServerForm->addRow(tr("Address:"), m_pServerIp);
    auto* pPortRow = new QHBoxLayout();
    pPortRow->addWidget(m_pServerPort);
    pPortRow->addWidget(pSave);
    pPortRow->addStretch();
    pServerForm->addRow(tr("Port:"), pPortRow);
    loadServerConfig();

    m_pUser = new QLineEdit();
    m_pPassword = new QLineEdit();
    m_pPassword->setEchoMode(QLineEdit::Password);
    m_pConnect = new QPushButton(m_bConnected ? tr("Log in") : tr("Connect and log in"));
    m_pConnect->setDefault(true);
    connect(m_pConnect, &QPushButton::clicked, this, &MainWindow::onConnectClicked);
    connect(m_pPassword, &QLineEdit::returnPressed, this, &MainWindow::onConnectClicked);
    auto* pLoginBox = new QGroupBox(tr("User"));
    auto* pLoginForm = new QFormLayout(pLoginBox);
    pLoginForm->addRow(tr("Name:"), m_pUser);
    pLoginForm->addRow(tr("Password:"), m_pPassword);
    pLoginForm->addRow(QString(), m_pConnect);

    m_pProgress = new QProgressBar();
    m_pProgress->setRange(0, 0);  // busy: the wait has no known length
    m_pProgress->hide();
    m_pMessage = new QLabel();
    m_pMessage->setWordWrap(true);
    m_pMessage->setObjectName(QStringLiteral("loginMessage"));

    auto* pPane = new QWidget();
    auto* pLayout = new QVBoxLayout(pPane);
    pLayout->addWidget(pServerBox);
    pLayout->addWidget(pLoginBox);
    pLayout->addWidget(m_pProgress);
    pLayout->addWidget(m_pMessage);
    pLayout->addStretch();
    if (m_bConnected) {
        pServerBox->setEnabled(false);  // the channel is already open; it is opened once per process
    }
    return pPane;
}

void MainWindow::loadServerConfig()
{
    // The library reads the same file when it starts; its defaults apply when it is missing.
    QString strIp = QStringLiteral("127.0.0.1");
    int iPort = 9562;
    QFile file(configPath());
    if (file.open(QIODevice::ReadOnly)) {
        const QJsonObject obj = QJsonDocument::fromJson(file.readAll()).object();
        if (!obj.value(QStringLiteral("server_ip")).toString().isEmpty()) {
            strIp = obj.value(QStringLiteral("server_ip")).toString();
        }
        const int iRead = obj.value(QStringLiteral("server_port")).toInt();
        if (iRead >= 1 && iRead <= 65535) {
            iPort = iRead;
        }
    }
    m_pServerIp->setText(strIp);
    m_pServerPort->setValue(iPort);
}

void MainWindow::saveServerConfig()
{
    QJsonObject obj;
    QFile in(configPath());
    if (in.open(QIODevice::ReadOnly)) {
        obj = QJsonDocument::fromJson(in.readAll()).object();
    }
    obj.insert(QStringLiteral("server_ip"), m_pServerIp->text().trimmed());
    obj.insert(QStringLiteral("server_port"), m_pServerPort->value());
    QSaveFile out(configPath());
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(obj).toJson()) < 0 || !out.commit()) {
        m_pMessage->setText(tr("%1 could not be written: %2").arg(configPath(), out.errorString()));
        return;
    }
    m_pMessage->setText(tr("Saved to %1").arg(configPath()));
}

void MainWindow::setCredentials(const QString& _strUser, const QString& _strPassword)
{
    m_pUser->setText(_strUser);
    m_pPassword->setText(_strPassword);
}

void MainWindow::setBusy(bool _bBusy, const QString& _strText)
{
    m_pConnect->setEnabled(!_bBusy);
    m_pProgress->setVisible(_bBusy);
    if (!_strText.isEmpty()) {
        m_pMessage->setText(_strText);
    }
}

void MainWindow::onConnectClicked()
{
    connectAndLogin(m_pUser->text(), m_pPassword->text());
}

void MainWindow::connectAndLogin(const QString& _strUser, const QString& _strPassword)
{
    setCredentials(_strUser, _strPassword);
    if (m_bConnected) {
        login(_strUser, _strPassword);
        return;
    }
    saveServerConfig();
    setBusy(true, tr("Connecting to %1:%2…").arg(m_pServerIp->text()).arg(m_pServerPort->value()));
    m_pSession->call(
        this,
        [](I_DataMediator& _m) {
            _m.InitData();
            return _m.CreateDBConnection();
        },
        [this, _strUser, _strPassword](int _iStatus) {
            if (_iStatus != 1) {
                setBusy(false, QString());
                const QString strMessage =
                    tr("No connection to the database server (status %1)").arg(_iStatus);
                m_pMessage->setText(strMessage);
                m_pStatus->setText(strMessage);
                emit failed(strMessage);
                return;
            }
            m_bConnected = true;
            m_pStatus->setText(statusMessage(1));
            m_pConnect->setText(tr("Log in"));
            login(_strUser, _strPassword);
        });
}

void MainWindow::login(const QString& _strUser, const QString& _strPassword)
{
    setBusy(true, tr("Logging in as %1…").arg(_strUser));
    m_pSession->call(
        this, [_strUser, _strPassword](I_DataMediator& _m) { return _m.LoginUser(_strUser, _strPassword); },
        [this, _strUser](int _iCode) {
            if (_iCode != 0) {
                setBusy(false, QString());
                m_pMessage->setText(loginMessage(_iCode));
                emit failed(loginMessage(_iCode));
                return;
            }
            setWindowTitle(tr("Tessel console — %1").arg(_strUser));
            m_pMessage->setText(tr("Logged in as %1; loading the trees…").arg(_strUser));
            m_bLoggingIn = true;
            m_pTrees->load();  // ready() follows when the trees are shown
        });
}

QString MainWindow::loginMessage(int _iCode)
{
    switch (_iCode) {
        case 0:
            return tr("Logged in");
        case -11:
            return tr("Login failed: no such user, or the account has expired (-11)");
        case -12:
            return tr("Login failed: wrong password (-12)");
        case -1:
            return tr(
                "Login failed: enter a name and a password; with both given, the server did not answer (-1)");
        default:
            return tr("Login failed (%1)").arg(_iCode);
    }
}

QString MainWindow::statusMessage(int _iStatus)
{
    switch (_iStatus) {
        case 1:
            return tr("Connected");
        case 2:
            return tr("Connection lost: requests fail until the server is back");
        default:
            return tr("Connection error (%1)").arg(_iStatus);
    }
}

void MainWindow::onDatabaseStatus(int _iStatus)
{
    m_pStatus->setText(statusMessage(_iStatus));
    m_pStatus->setStyleSheet(_iStatus == 1 ? QString() : QStringLiteral("color: #b71c1c; font-weight: bold"));
}

QString MainWindow::statusText() const
{
    return m_pStatus->text();
}

}  // namespace console
