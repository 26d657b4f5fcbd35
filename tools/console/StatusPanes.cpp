#include "ConsoleSession.h"
#include "ItemTreeModel.h"
#include "Panes.h"

#include <I_DataMediator.h>

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>

using namespace QtCharts;

namespace console {

namespace {

struct FlowData
{
    int iCode = 0;
    QMap<QString, STRCT_PassengerFlowCounts> mapCounts;
};

struct RegionRow
{
    STRCT_PassengerFlowRegionParam param;
    bool bLive = false;
    STRCT_PassengerFlowRegionRealTime state;
};

QTableWidgetItem* cell(const QString& _strText)
{
    auto* pItem = new QTableWidgetItem(_strText);
    pItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return pItem;
}

}  // namespace

// ---- passenger flow ----

FlowPane::FlowPane(ConsoleSession& _session, QWidget* _pParent) : QWidget(_pParent), m_session(_session)
{
    m_pSource = new QComboBox();
    m_pSource->addItem(tr("Channels below"), QStringList());
    m_pPeriod = new QComboBox();
    m_pPeriod->addItems(
        {tr("Day (by hour)"), tr("Week (by weekday)"), tr("Month (by day)"), tr("Year (by month)")});
    m_pDate = new QDateEdit(QDate::currentDate());
    m_pDate->setCalendarPopup(true);
    m_pDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_pChannels = new QLineEdit();
    m_pChannels->setPlaceholderText(tr("channel ids, separated by commas"));
    auto* pShow = new QPushButton(tr("Show"));
    connect(pShow, &QPushButton::clicked, this, &FlowPane::refresh);

    auto* pForm = new QFormLayout();
    pForm->addRow(tr("Region:"), m_pSource);
    pForm->addRow(tr("Channels:"), m_pChannels);
    auto* pRow = new QHBoxLayout();
    pRow->addWidget(m_pPeriod);
    pRow->addWidget(m_pDate);
    pRow->addWidget(pShow);
    pForm->addRow(tr("Period:"), pRow);

    m_pChart = new QChartView(new QChart());
    m_pChart->setMinimumHeight(260);
    m_pChart->chart()->setTitle(tr("People counted"));
    m_pRegions = new QTableWidget(0, 6);
    m_pRegions->setHorizontalHeaderLabels(
        {tr("Region"), tr("Channels"), tr("In"), tr("Out"), tr("Present"), tr("Peak")});
    m_pRegions->horizontalHeader()->setStretchLastSection(true);
    m_pRegions->verticalHeader()->hide();
    m_pResult = new QLabel();

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pForm);
    pLayout->addWidget(m_pResult);
    pLayout->addWidget(m_pChart, 3);
    pLayout->addWidget(new QLabel(tr("Live state of the regions")));
    pLayout->addWidget(m_pRegions, 1);
}

void FlowPane::load()
{
    m_session.call(
        this,
        [](I_DataMediator& _m) {
            QVector<RegionRow> vecRows;
            if (_m.InitRegionParam() != 0) {
                return vecRows;
            }
            const PassengerFlowRegionParamMap mapParams = _m.GetPassengerFlowRegionParams();
            for (const STRCT_PassengerFlowRegionParam& param : mapParams) {
                RegionRow row;
                row.param = param;
                row.bLive = _m.GetPassengerFlowRegionRealTime(param.m_qstrRegionID, row.state);
                vecRows.append(row);
            }
            return vecRows;
        },
        [this](const QVector<RegionRow>& _vecRows) {
            m_pSource->clear();
            m_pSource->addItem(tr("Channels below"), QStringList());
            m_pRegions->setRowCount(_vecRows.size());
            for (int i = 0; i < _vecRows.size(); ++i) {
                const RegionRow& row = _vecRows.at(i);
                QStringList lstChannels;
                for (const STRCT_PassengerFlowRegionChannel& channel : row.param.m_qvecChannels) {
                    lstChannels << channel.m_qstrChannelObjID;
                }
                m_pSource->addItem(row.param.m_qstrRegionName, lstChannels);
                m_pRegions->setItem(i, 0, cell(row.param.m_qstrRegionName));
                m_pRegions->setItem(i, 1, cell(QString::number(lstChannels.size())));
                const auto number = [&row](int _iValue) {
                    return row.bLive ? QString::number(_iValue) : QStringLiteral("–");
                };
                m_pRegions->setItem(i, 2, cell(number(row.state.m_iInTotal)));
                m_pRegions->setItem(i, 3, cell(number(row.state.m_iOutTotal)));
                m_pRegions->setItem(i, 4, cell(number(row.state.m_iCurrentNumber)));
                m_pRegions->setItem(i, 5, cell(number(row.state.m_iPeakNumber)));
            }
            if (_vecRows.size() > 0) {
                m_pSource->setCurrentIndex(1);
            }
            refresh();
        });
}

void FlowPane::refresh()
{
    QStringList lstChannels = m_pSource->currentData().toStringList();
    if (lstChannels.isEmpty()) {
        for (const QString& strID : m_pChannels->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            lstChannels << strID.trimmed();
        }
    }
    showStatistics(lstChannels, m_pPeriod->currentIndex(), m_pDate->date());
}

void FlowPane::showStatistics(const QStringList& _lstChannelObjIDs, int _iPeriod, const QDate& _date)
{
    CLS_PassengerFlowStatisticConditionEntity condition;
    condition.m_qstrDate = _date.toString(QStringLiteral("yyyy-MM-dd"));
    condition.m_iPeriod = _iPeriod;
    condition.m_qlstChannelObjIDs = _lstChannelObjIDs;
    m_pResult->setText(tr("Reading…"));
    m_session.call(
        this,
        [condition](I_DataMediator& _m) {
            FlowData data;
            data.iCode = _m.GetPassengerFlowStatistics(condition, data.mapCounts);
            return data;
        },
        [this, iPeriod = qBound(0, _iPeriod, 3), _date](const FlowData& _data) {
            QChart* pChart = m_pChart->chart();
            pChart->removeAllSeries();
            for (QAbstractAxis* pAxis : pChart->axes()) {
                pChart->removeAxis(pAxis);
                delete pAxis;
            }
            m_iNonEmptyBars = 0;
            // The library answers a lost connection with no counts and success: without a
            // connection an empty answer is taken for the failure it is.
            const int iCode =
                _data.iCode == 0 && _data.mapCounts.isEmpty() && !m_session.online() ? -1 : _data.iCode;
            if (iCode != 0) {
                m_pResult->setText(tr("The statistics could not be read (%1)").arg(iCode));
                emit shown(iCode);
                return;
            }
            // Every slot of the period, empty ones too, so the axis reads as a calendar.
            QStringList lstKeys;
            const int iSlots[] = {24, 7, _date.daysInMonth(), 12};
            const int iFirst[] = {0, 0, 1, 1};
            const int iWidth[] = {2, 1, 2, 2};
            for (int i = 0; i < iSlots[iPeriod]; ++i) {
                lstKeys << QStringLiteral("%1").arg(iFirst[iPeriod] + i, iWidth[iPeriod], 10,
                                                    QLatin1Char('0'));
            }
            auto* pIn = new QBarSet(tr("In"));
            auto* pOut = new QBarSet(tr("Out"));
            qint64 i64Max = 0;
            for (const QString& strKey : qAsConst(lstKeys)) {
                const STRCT_PassengerFlowCounts counts = _data.mapCounts.value(strKey);
                *pIn << counts.m_i64In;
                *pOut << counts.m_i64Out;
                m_iNonEmptyBars += (counts.m_i64In > 0 ? 1 : 0) + (counts.m_i64Out > 0 ? 1 : 0);
                i64Max = std::max({i64Max, counts.m_i64In, counts.m_i64Out});
            }
            auto* pSeries = new QBarSeries();
            pSeries->append(pIn);
            pSeries->append(pOut);
            pChart->addSeries(pSeries);
            auto* pAxisX = new QBarCategoryAxis();
            pAxisX->append(lstKeys);
            auto* pAxisY = new QValueAxis();
            pAxisY->setRange(0, std::max<qint64>(1, i64Max));
            pAxisY->setLabelFormat(QStringLiteral("%d"));
            pChart->addAxis(pAxisX, Qt::AlignBottom);
            pChart->addAxis(pAxisY, Qt::AlignLeft);
            pSeries->attachAxis(pAxisX);
            pSeries->attachAxis(pAxisY);
            m_pResult->setText(tr("%n slot(s) with people counted", nullptr, m_iNonEmptyBars));
            emit shown(0);
        });
}

// ---- server ----

namespace {

struct ServerFigures
{
    int iCode = 0;
    QJsonObject objStatus;
    int iNetCode = -1;
    QVector<QStringList> vecInterfaces;
};

QString uptimeText(qint64 _iSeconds)
{
    const QString strClock = QStringLiteral("%1:%2:%3")
                                 .arg(_iSeconds / 3600 % 24, 2, 10, QLatin1Char('0'))
                                 .arg(_iSeconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(_iSeconds % 60, 2, 10, QLatin1Char('0'));
    return _iSeconds >= 86400 ? QStringLiteral("%1 d %2").arg(_iSeconds / 86400).arg(strClock) : strClock;
}

QString number(const QJsonValue& _value)
{
    return QLocale().toString(static_cast<qint64>(_value.toDouble()));
}

QTableWidget* figureTable(const QStringList& _lstHeaders)
{
    auto* pTable = new QTableWidget(0, _lstHeaders.size());
    pTable->setHorizontalHeaderLabels(_lstHeaders);
    pTable->horizontalHeader()->setStretchLastSection(true);
    pTable->verticalHeader()->hide();
    pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return pTable;
}

QTableWidgetItem* numberCell(const QString& _strText)
{
    QTableWidgetItem* pItem = cell(_strText);
    pItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return pItem;
}

}  // namespace

ServerPane::ServerPane(ConsoleSession& _session, QWidget* _pParent) : QWidget(_pParent), m_session(_session)
{
    m_pSummary = new QLabel();
    m_pSummary->setWordWrap(true);
    m_pSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pCommands = figureTable({tr("Command"), tr("Served"), tr("Refused"), tr("p50 ms"), tr("p99 ms")});
    m_pDatabases = figureTable({tr("Database"), tr("File"), tr("WAL")});
    m_pInterfaces = figureTable({tr("Interface"), tr("Address"), tr("Mask"), tr("Gateway"), tr("State"),
                                 tr("CPU %"), tr("Memory %"), tr("Sample time")});
    m_pResult = new QLabel();
    m_pTimer = new QTimer(this);
    m_pTimer->setInterval(5000);
    connect(m_pTimer, &QTimer::timeout, this, &ServerPane::load);
    auto* pRefresh = new QPushButton(tr("Refresh"));
    connect(pRefresh, &QPushButton::clicked, this, &ServerPane::load);
    auto* pTop = new QHBoxLayout();
    pTop->addWidget(m_pResult, 1);
    pTop->addWidget(pRefresh);

    auto* pLower = new QHBoxLayout();
    auto* pDatabases = new QVBoxLayout();
    pDatabases->addWidget(new QLabel(tr("Database files")));
    pDatabases->addWidget(m_pDatabases);
    auto* pInterfaces = new QVBoxLayout();
    pInterfaces->addWidget(new QLabel(tr("Interfaces of the server host")));
    pInterfaces->addWidget(m_pInterfaces);
    pLower->addLayout(pDatabases, 2);
    pLower->addLayout(pInterfaces, 3);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pTop);
    pLayout->addWidget(m_pSummary);
    pLayout->addWidget(new QLabel(tr("Requests by command since the server started")));
    pLayout->addWidget(m_pCommands, 3);
    pLayout->addLayout(pLower, 2);
}

void ServerPane::load()
{
    if (m_bPending) {
        return;  // the last read is still on its way
    }
    m_bPending = true;
    m_pTimer->start();
    m_session.call(
        this,
        [](I_DataMediator& _m) {
            ServerFigures figures;
            figures.iCode = _m.GetServerStatus(figures.objStatus);
            if (figures.iCode != 0) {
                return figures;  // no second wait on a server that did not answer
            }
            QList<_NetworkInfo*> lstInfo;
            figures.iNetCode = _m.GetAllNetworkInfo(lstInfo);
            for (const _NetworkInfo* pInfo : qAsConst(lstInfo)) {
                const _SystemStatus* pLast = pInfo->lstStatus.isEmpty() ? nullptr : pInfo->lstStatus.last();
                figures.vecInterfaces.append({pInfo->strIfrName, pInfo->strIpv4Addr, pInfo->strIpv4Mask,
                                              pInfo->strIpv4Gateway, pInfo->strConnectState,
                                              pLast ? QString::number(pLast->dCpuUsage, 'f', 1) : QString(),
                                              pLast ? QString::number(pLast->dMemUsage, 'f', 1) : QString(),
                                              pLast ? pLast->strDateTime : QString()});
            }
            qDeleteAll(lstInfo);  // the records are the caller's
            return figures;
        },
        [this](const ServerFigures& _figures) {
            m_bPending = false;
            if (_figures.iCode != 0) {
                m_pResult->setText(tr("Server unreachable (%1: %2); the figures below are from %3")
                                       .arg(_figures.iCode)
                                       .arg(codeMeaning(_figures.iCode),
                                            m_strLastRead.isEmpty() ? tr("no read yet") : m_strLastRead));
                m_pResult->setStyleSheet(QStringLiteral("color: #b71c1c; font-weight: bold"));
                emit refreshed(_figures.iCode);
                return;
            }
            showStatus(_figures.objStatus);
            if (_figures.iNetCode == 0) {
                m_pInterfaces->setRowCount(_figures.vecInterfaces.size());
                for (int i = 0; i < _figures.vecInterfaces.size(); ++i) {
                    for (int j = 0; j < _figures.vecInterfaces.at(i).size(); ++j) {
                        m_pInterfaces->setItem(i, j, cell(_figures.vecInterfaces.at(i).at(j)));
                    }
                }
            }
            m_strLastRead = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
            m_pResult->setText(
                tr("Read at %1; refreshed every %2 s").arg(m_strLastRead).arg(m_pTimer->interval() / 1000));
            m_pResult->setStyleSheet(QString());
            emit refreshed(0);
        });
}

void ServerPane::showStatus(const QJsonObject& _objStatus)
{
    QStringList lstChannels;
    for (const QJsonValue& channel : _objStatus.value(QStringLiteral("channels")).toArray()) {
        const QJsonObject obj = channel.toObject();
        lstChannels << tr("%1: %2")
                           .arg(obj.value(QStringLiteral("channel")).toInt())
                           .arg(obj.value(QStringLiteral("connections")).toInt());
    }
    QStringList lstLines;
    lstLines << tr("tessel-dbserver %1, up %2")
                    .arg(_objStatus.value(QStringLiteral("version")).toString(),
                         uptimeText(
                             static_cast<qint64>(_objStatus.value(QStringLiteral("uptimeS")).toDouble())));
    lstLines << tr("Connections open per channel: %1 (%2 accepted since start)")
                    .arg(lstChannels.join(QStringLiteral(", ")),
                         number(_objStatus.value(QStringLiteral("connectionsAccepted"))));
    lstLines << tr("Requests served %1, refused %2 (%3 before dispatch)")
                    .arg(number(_objStatus.value(QStringLiteral("served"))),
                         number(_objStatus.value(QStringLiteral("refused"))),
                         number(_objStatus.value(QStringLiteral("refusedBeforeDispatch"))));
    const QJsonObject certificate = _objStatus.value(QStringLiteral("certificate")).toObject();
    if (!certificate.isEmpty()) {
        QString strLine =
            tr("Certificate valid until %1 (%2 days)")
                .arg(certificate.value(QStringLiteral("notAfter")).toString())
                .arg(static_cast<qint64>(certificate.value(QStringLiteral("daysLeft")).toDouble()));
        const QString strWarning = certificate.value(QStringLiteral("warning")).toString();
        if (!strWarning.isEmpty()) {
            strLine += QStringLiteral(": ") + strWarning;
        }
        lstLines << strLine;
    }
    m_pSummary->setText(lstLines.join(QLatin1Char('\n')));

    const QJsonArray commands = _objStatus.value(QStringLiteral("commands")).toArray();
    m_pCommands->setRowCount(commands.size());
    for (int i = 0; i < commands.size(); ++i) {
        const QJsonObject obj = commands.at(i).toObject();
        m_pCommands->setItem(i, 0, cell(obj.value(QStringLiteral("command")).toString()));
        m_pCommands->setItem(i, 1, numberCell(number(obj.value(QStringLiteral("served")))));
        m_pCommands->setItem(i, 2, numberCell(number(obj.value(QStringLiteral("refused")))));
        m_pCommands->setItem(
            i, 3, numberCell(QString::number(obj.value(QStringLiteral("p50Ms")).toDouble(), 'f', 3)));
        m_pCommands->setItem(
            i, 4, numberCell(QString::number(obj.value(QStringLiteral("p99Ms")).toDouble(), 'f', 3)));
    }
    m_pCommands->resizeColumnToContents(0);

    const QJsonArray databases = _objStatus.value(QStringLiteral("databases")).toArray();
    m_pDatabases->setRowCount(databases.size());
    for (int i = 0; i < databases.size(); ++i) {
        const QJsonObject obj = databases.at(i).toObject();
        const bool bExists = obj.value(QStringLiteral("exists")).toBool();
        m_pDatabases->setItem(i, 0, cell(obj.value(QStringLiteral("name")).toString()));
        m_pDatabases->setItem(i, 1,
                              numberCell(bExists ? QLocale().formattedDataSize(static_cast<qint64>(
                                                       obj.value(QStringLiteral("bytes")).toDouble()))
                                                 : tr("(none)")));
        m_pDatabases->setItem(i, 2,
                              numberCell(QLocale().formattedDataSize(
                                  static_cast<qint64>(obj.value(QStringLiteral("walBytes")).toDouble()))));
    }
    m_pDatabases->resizeColumnToContents(0);
}

}  // namespace console
