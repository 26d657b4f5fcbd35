// The console's window: connection and login, the three trees, the alarm log, passenger flow,
// face captures, maps, the server's figures and the databases' backup and transfer, each a tab.
// Every library call goes through the session.
#ifndef TESSEL_CONSOLE_MAINWINDOW_H
#define TESSEL_CONSOLE_MAINWINDOW_H

#include <QMainWindow>

#include <memory>

class I_DataMediator;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace console {

class AlarmPane;
class ConsoleSession;
class DatabasesPane;
class FacesPane;
class FlowPane;
class MapsPane;
class ItemTreeModel;
class ServerPane;
class TreesPane;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    /// With _pMediator the window works with a mediator that is already connected (the caller
    /// keeps it); without, it makes its own and connects on request.
    explicit MainWindow(I_DataMediator* _pMediator = nullptr, QWidget* _pParent = nullptr);
    ~MainWindow() override;

    /// Connects (unless the mediator came connected) and logs in; ready() or failed() follows.
    void connectAndLogin(const QString& _strUser, const QString& _strPassword);
    /// Presets the login fields.
    void setCredentials(const QString& _strUser, const QString& _strPassword);

    ConsoleSession& session() { return *m_pSession; }
    QTabWidget* tabs() { return m_pTabs; }
    TreesPane* treesPane() { return m_pTrees; }
    AlarmPane* alarmPane() { return m_pAlarms; }
    FlowPane* flowPane() { return m_pFlow; }
    ServerPane* serverPane() { return m_pServer; }
    FacesPane* facesPane() { return m_pFaces; }
    MapsPane* mapsPane() { return m_pMaps; }
    DatabasesPane* databasesPane() { return m_pDatabases; }
    QString statusText() const;

    /// The text shown for a login result.
    static QString loginMessage(int _iCode);
    /// The text shown for a database status event (1 opened, 2 lost, anything else an error).
    static QString statusMessage(int _iStatus);

signals:
    /// Logged in and the trees loaded.
    void ready();
    /// Connecting, logging in or loading failed; the text says which and why.
    void failed(const QString& _strMessage);

private:
    QWidget* makeConnectionPane();
    void loadServerConfig();
    void saveServerConfig();
    void onConnectClicked();
    void login(const QString& _strUser, const QString& _strPassword);
    void setBusy(bool _bBusy, const QString& _strText);
    void onDatabaseStatus(int _iStatus);

    std::unique_ptr<ConsoleSession> m_pSession;
    bool m_bConnected = false;
    bool m_bLoggingIn = false;  // the next tree load finishes a login
    QTabWidget* m_pTabs = nullptr;
    QLineEdit* m_pServerIp = nullptr;
    QSpinBox* m_pServerPort = nullptr;
    QLineEdit* m_pUser = nullptr;
    QLineEdit* m_pPassword = nullptr;
    QPushButton* m_pConnect = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QLabel* m_pStatus = nullptr;
    QLabel* m_pMessage = nullptr;
    TreesPane* m_pTrees = nullptr;
    AlarmPane* m_pAlarms = nullptr;
    FlowPane* m_pFlow = nullptr;
    ServerPane* m_pServer = nullptr;
    FacesPane* m_pFaces = nullptr;
    MapsPane* m_pMaps = nullptr;
    DatabasesPane* m_pDatabases = nullptr;
};

}  // namespace console

#endif  // TESSEL_CONSOLE_MAINWINDOW_H
