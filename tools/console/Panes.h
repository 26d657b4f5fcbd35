// The console's panes below the connection tab. Each takes the session, loads its data after
// the login (load()), and reports the outcome of what it did through a signal.
#ifndef TESSEL_CONSOLE_PANES_H
#define TESSEL_CONSOLE_PANES_H

#include "ItemSnapshot.h"

#include <CLS_ElectronicMapEntity.h>
#include <STRCT_Alarm.h>

#include <QDate>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDateTimeEdit;
class QGraphicsView;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class QTableWidget;
class QTimer;
class QTreeView;

namespace QtCharts {
class QChartView;
}

namespace console {

class AlarmLogModel;
class ConsoleSession;
class ItemTreeModel;

/// The resource, custom and passenger-flow trees, with the host and group operations.
class TreesPane : public QWidget
{
    Q_OBJECT
public:
    explicit TreesPane(ConsoleSession& _session, QWidget* _pParent = nullptr);

    ItemTreeModel* model(TreeKind _kind) const;
    QTreeView* view(TreeKind _kind) const;
    /// Loads the trees (InitTreeNodeData) and shows them; loaded() follows.
    void load();

    /// The operations behind the buttons; each reports through finished().
    void addHost(const QString& _strCaption, const QString& _strIp, int _iChannels);
    void renameHost(const QString& _strHostID, const QString& _strCaption);
    void deleteHost(const QString& _strHostID);
    void addGroup(const QString& _strParentKey, const QString& _strCaption);
    void renameNode(const QString& _strNodeKey, const QString& _strCaption);
    void deleteNode(const QString& _strNodeKey);

signals:
    /// The trees were read: the code of InitTreeNodeData.
    void loaded(int _iCode);
    /// One operation ended: what it was and the library's result (0 success).
    void finished(const QString& _strWhat, int _iCode);

private:
    void report(const QString& _strWhat, int _iCode);
    QString selectedKey(TreeKind _kind, quint32* _pType = nullptr) const;
    /// The key of the host or custom-tree node that rename and delete act on (kind set), or empty
    /// with the reason shown.
    QString editableSelection(TreeKind& _kind);
    void onAddHost();
    void onRename();
    void onDelete();
    void onAddGroup();

    ConsoleSession& m_session;
    ItemTreeModel* m_pModels[3] = {};
    QTreeView* m_pViews[3] = {};
    QLabel* m_pResult = nullptr;
};

/// The alarm log with its filters, paged from the server, and the linkage rules of the source
/// of the selected record.
class AlarmPane : public QWidget
{
    Q_OBJECT
public:
    explicit AlarmPane(ConsoleSession& _session, QWidget* _pParent = nullptr);

    AlarmLogModel* model() const { return m_pModel; }
    QTableView* view() const { return m_pView; }
    QListWidget* links() const { return m_pLinks; }
    /// Searches with the filters as they stand.
    void load();
    /// Shows the linkage rules of a source object; linksShown() follows.
    void showLinksOf(const QString& _strSourceID);

signals:
    void linksShown(int _iCount);

private:
    STRCT_AlarmSearchCondition condition() const;

    ConsoleSession& m_session;
    AlarmLogModel* m_pModel = nullptr;
    QTableView* m_pView = nullptr;
    QDateTimeEdit* m_pStart = nullptr;
    QDateTimeEdit* m_pEnd = nullptr;
    QCheckBox* m_pLevels[5] = {};
    QComboBox* m_pState = nullptr;
    QLineEdit* m_pCaption = nullptr;
    QSpinBox* m_pType = nullptr;
    QLabel* m_pTotal = nullptr;
    QListWidget* m_pLinks = nullptr;
};

/// Passenger-flow counts of the user's regions or a channel as a chart, and the regions' live
/// state.
class FlowPane : public QWidget
{
    Q_OBJECT
public:
    explicit FlowPane(ConsoleSession& _session, QWidget* _pParent = nullptr);

    QtCharts::QChartView* chartView() const { return m_pChart; }
    QTableWidget* regions() const { return m_pRegions; }
    /// Number of bars drawn with a value above 0.
    int nonEmptyBars() const { return m_iNonEmptyBars; }
    /// Reads the regions and draws the statistics of the chosen period; shown() follows.
    void load();
    /// Draws the statistics of the channels for the period (0 day .. 3 year) around the day.
    void showStatistics(const QStringList& _lstChannelObjIDs, int _iPeriod, const QDate& _date);

signals:
    /// The statistics were drawn (or failed: the library's code).
    void shown(int _iCode);

private:
    void refresh();

    ConsoleSession& m_session;
    QComboBox* m_pSource = nullptr;
    QComboBox* m_pPeriod = nullptr;
    QDateEdit* m_pDate = nullptr;
    QLineEdit* m_pChannels = nullptr;
    QtCharts::QChartView* m_pChart = nullptr;
    QTableWidget* m_pRegions = nullptr;
    QLabel* m_pResult = nullptr;
    int m_iNonEmptyBars = 0;
};

/// The database server's own figures (connections, requests, latency per command, database
/// sizes) and its host's interfaces, refreshed on a timer. A failed read keeps the last figures
/// on screen under a "server unreachable" line.
class ServerPane : public QWidget
{
    Q_OBJECT
public:
    explicit ServerPane(ConsoleSession& _session, QWidget* _pParent = nullptr);

    QLabel* summary() const { return m_pSummary; }
    QTableWidget* commands() const { return m_pCommands; }
    QTableWidget* databases() const { return m_pDatabases; }
    QTableWidget* interfaces() const { return m_pInterfaces; }
    /// The line above the figures: when they were read, or that the server is unreachable.
    QLabel* result() const { return m_pResult; }
    QTimer* timer() const { return m_pTimer; }
    /// Reads the figures now; refreshed() follows.
    void load();

signals:
    /// The library's code of the read (0 success).
    void refreshed(int _iCode);

private:
    void showStatus(const QJsonObject& _objStatus);

    ConsoleSession& m_session;
    QLabel* m_pSummary = nullptr;
    QTableWidget* m_pCommands = nullptr;
    QTableWidget* m_pDatabases = nullptr;
    QTableWidget* m_pInterfaces = nullptr;
    QTimer* m_pTimer = nullptr;
    QLabel* m_pResult = nullptr;
    QString m_strLastRead;
    bool m_bPending = false;
};

/// Backup, restore, download and upload of the server's databases. Each runs on the session's
/// thread while the pane shows a busy bar and the time taken (the library reports no fraction
/// of the work), then the result code with its meaning and the outcome per database. Restore
/// and upload replace databases and ask first.
class DatabasesPane : public QWidget
{
    Q_OBJECT
public:
    static const QStringList& databaseNames();
    explicit DatabasesPane(ConsoleSession& _session, QWidget* _pParent = nullptr);

    /// Replaces the question asked before a restore or an upload (the text; true to go on).
    void setConfirm(std::function<bool(const QString&)> _confirm) { m_confirm = std::move(_confirm); }
    /// Ticks the databases the operations act on.
    void setSelected(const QStringList& _lstNames);
    QStringList selected() const;
    QLineEdit* backupName() const { return m_pBackupName; }
    QLineEdit* folder() const { return m_pFolder; }
    QProgressBar* progress() const { return m_pProgress; }
    QLabel* elapsed() const { return m_pElapsed; }
    QLabel* result() const { return m_pResult; }
    bool busy() const { return m_bBusy; }

    /// The operations behind the buttons, with the fields as they stand. Each ends in finished(),
    /// unless it was not started (busy, nothing selected, not confirmed): the result line says why.
    void backup();
    void restore();
    void download();
    void upload();

signals:
    /// An operation ended: its name and the library's code (0 success).
    void finished(const QString& _strOperation, int _iCode);

private:
    struct Outcome
    {
        int iCode = 0;
        QStringList lstDetails;  ///< one line per database
    };
    bool start(const QString& _strOperation);
    void end(const QString& _strOperation, const Outcome& _outcome);
    template <class Work>
    void run(const QString& _strOperation, Work _work);

    ConsoleSession& m_session;
    std::function<bool(const QString&)> m_confirm;
    QList<QCheckBox*> m_lstChecks;
    QLineEdit* m_pBackupName = nullptr;
    QLineEdit* m_pFolder = nullptr;
    QList<QPushButton*> m_lstButtons;
    QProgressBar* m_pProgress = nullptr;
    QLabel* m_pElapsed = nullptr;
    QLabel* m_pResult = nullptr;
    QTimer* m_pClock = nullptr;
    QElapsedTimer m_running;
    bool m_bBusy = false;
};

/// The meaning of a result code of the library's database calls, for the result lines.
QString codeMeaning(int _iCode);

/// Face captures by time, a page at a time, with thumbnails where the pictures are reachable
/// (a local file, else the storage host), and the decoded fields of a picked path.
class FacesPane : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kPageSize = 50;
    explicit FacesPane(ConsoleSession& _session, QWidget* _pParent = nullptr);

    QTableWidget* table() const { return m_pTable; }
    QLabel* fields() const { return m_pFields; }
    /// Counts and shows the first page; shown() follows.
    void load();
    /// Shows page _iPage (from 1).
    void showPage(int _iPage);
    /// Decodes a capture path and shows its fields; decoded() follows.
    void decode(const QString& _strPath);
    QTableWidget* passages() const { return m_pPassages; }
    /// The newest vehicle passages of the time range (plate prefix when given); passagesShown() follows.
    void searchPassages();

signals:
    /// A page is shown (or failed: the library's code), with the thumbnails found.
    void shown(int _iCode, int _iThumbnails);
    void decoded(bool _bOk);
    /// Vehicle passages shown (or failed: the library's code), with the number matching.
    void passagesShown(int _iCode, int _iTotal);

private:
    ConsoleSession& m_session;
    QDateTimeEdit* m_pStart = nullptr;
    QDateTimeEdit* m_pEnd = nullptr;
    QLabel* m_pPageText = nullptr;
    QTableWidget* m_pTable = nullptr;
    QLineEdit* m_pPath = nullptr;
    QLabel* m_pFields = nullptr;
    QLineEdit* m_pPlate = nullptr;
    QLabel* m_pPassageText = nullptr;
    QTableWidget* m_pPassages = nullptr;
    int m_iPage = 1;
    int m_iTotal = 0;
};

/// An electronic map's picture with the objects placed on it as markers.
class MapsPane : public QWidget
{
    Q_OBJECT
public:
    explicit MapsPane(ConsoleSession& _session, QWidget* _pParent = nullptr);

    QComboBox* maps() const { return m_pMaps; }
    /// Markers drawn on the map shown.
    int markerCount() const { return m_iMarkers; }
    /// Reads the maps and shows the first; shown() follows.
    void load();
    /// Shows the map with that id and its nodes.
    void showMap(const QString& _strMapID);

signals:
    /// The library's code; the map's picture was readable or not.
    void shown(int _iCode, bool _bPicture);

private:
    ConsoleSession& m_session;
    QComboBox* m_pMaps = nullptr;
    QGraphicsView* m_pView = nullptr;
    QLabel* m_pResult = nullptr;
    QVector<CLS_ElectronicMapEntity> m_vecMaps;
    int m_iMarkers = 0;
};

}  // namespace console

#endif  // TESSEL_CONSOLE_PANES_H
