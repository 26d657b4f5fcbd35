#include "AlarmLogModel.h"
#include "ConsoleSession.h"
#include "Panes.h"

#include <I_DataMediator.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace console {

namespace {

const char kTimeFormat[] = "yyyy-MM-dd hh:mm:ss";

// One readable line per linkage rule.
QString linkLine(const STRCT_SingleAlarmLink& _link)
{
    static const char* const kActions[] = {"", "", "sound", "record", "balloon tip", "alarm video", "email"};
    const int iAction = _link.m_iActionType;
    const QString strAction = iAction >= 2 && iAction <= 6 ? QString::fromLatin1(kActions[iAction])
                                                           : QObject::tr("action %1").arg(iAction);
    return QObject::tr("alarm %1%2 → %3%4%5")
        .arg(_link.m_iAdapterAlarmId)
        .arg(_link.m_strAlarmCaption.isEmpty() ? QString()
                                               : QStringLiteral(" (%1)").arg(_link.m_strAlarmCaption))
        .arg(strAction)
        .arg(_link.m_strDesObjId.isEmpty() ? QString() : QStringLiteral(" on %1").arg(_link.m_strDesObjId))
        .arg(_link.m_iEnable != 0 ? QString() : QObject::tr(" (off)"));
}

}  // namespace

AlarmPane::AlarmPane(ConsoleSession& _session, QWidget* _pParent) : QWidget(_pParent), m_session(_session)
{
    m_pModel = new AlarmLogModel(_session, this);
    m_pStart = new QDateTimeEdit(QDateTime(QDate::currentDate().addYears(-1), QTime(0, 0)));
    m_pEnd = new QDateTimeEdit(QDateTime(QDate::currentDate().addDays(1), QTime(0, 0)));
    for (QDateTimeEdit* pEdit : {m_pStart, m_pEnd}) {
        pEdit->setDisplayFormat(QString::fromLatin1(kTimeFormat));
        pEdit->setCalendarPopup(true);
    }
    auto* pLevels = new QHBoxLayout();
    for (int i = 0; i < 5; ++i) {
        m_pLevels[i] = new QCheckBox(QString::number(i + 1));
        m_pLevels[i]->setChecked(true);
        pLevels->addWidget(m_pLevels[i]);
    }
    m_pState = new QComboBox();
    m_pState->addItem(tr("any"), 2);
    m_pState->addItem(tr("open"), 0);
    m_pState->addItem(tr("handled"), 1);
    m_pCaption = new QLineEdit();
    m_pCaption->setPlaceholderText(tr("source name contains"));
    m_pType = new QSpinBox();
    m_pType->setRange(0, 100000);
    m_pType->setSpecialValueText(tr("any"));
    auto* pSearch = new QPushButton(tr("Search"));
    connect(pSearch, &QPushButton::clicked, this, &AlarmPane::load);

    auto* pFilters = new QFormLayout();
    auto* pRange = new QHBoxLayout();
    pRange->addWidget(m_pStart);
    pRange->addWidget(new QLabel(tr("to")));
    pRange->addWidget(m_pEnd);
    pFilters->addRow(tr("Time:"), pRange);
    pFilters->addRow(tr("Levels:"), pLevels);
    auto* pRow = new QHBoxLayout();
    pRow->addWidget(m_pState);
    pRow->addWidget(m_pCaption);
    pRow->addWidget(new QLabel(tr("Type:")));
    pRow->addWidget(m_pType);
    pRow->addWidget(pSearch);
    pFilters->addRow(tr("State:"), pRow);

    m_pView = new QTableView();
    m_pView->setModel(m_pModel);
    m_pView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pView->verticalHeader()->setDefaultSectionSize(m_pView->fontMetrics().height() + 6);
    m_pView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);  // no per-row measuring
    m_pView->horizontalHeader()->setStretchLastSection(true);
    // Fixed widths: measuring would read every row.
    const int iChar = m_pView->fontMetrics().averageCharWidth();
    m_pView->setColumnWidth(AlarmLogModel::TimeColumn, 21 * iChar);
    m_pView->setColumnWidth(AlarmLogModel::SourceColumn, 28 * iChar);
    m_pTotal = new QLabel();
    m_pLinks = new QListWidget();
    connect(m_pModel, &AlarmLogModel::counted, this, [this](int _iTotal) {
        m_pTotal->setText(_iTotal < 0 ? tr("The alarm log could not be read")
                                      : tr("%n record(s)", nullptr, _iTotal));
    });
    connect(m_pModel, &AlarmLogModel::pageLoaded, this, [this](bool _bOk) {
        if (!_bOk) {
            m_pTotal->setText(tr("The alarm log could not be read"));
        }
    });
    connect(m_pView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& _current) {
                if (_current.isValid()) {
                    showLinksOf(_current.data(AlarmLogModel::SourceIdRole).toString());
                }
            });

    auto* pLinksBox = new QWidget();
    auto* pLinksLayout = new QVBoxLayout(pLinksBox);
    pLinksLayout->setContentsMargins(0, 0, 0, 0);
    pLinksLayout->addWidget(new QLabel(tr("Linkage rules of the selected source")));
    pLinksLayout->addWidget(m_pLinks);
    auto* pSplitter = new QSplitter(Qt::Vertical);
    pSplitter->addWidget(m_pView);
    pSplitter->addWidget(pLinksBox);
    pSplitter->setStretchFactor(0, 3);
    pSplitter->setStretchFactor(1, 1);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pFilters);
    pLayout->addWidget(m_pTotal);
    pLayout->addWidget(pSplitter);
}

STRCT_AlarmSearchCondition AlarmPane::condition() const
{
    STRCT_AlarmSearchCondition cond;
    cond.m_strStartTime = m_pStart->dateTime().toString(QString::fromLatin1(kTimeFormat));
    cond.m_strEndTime = m_pEnd->dateTime().toString(QString::fromLatin1(kTimeFormat));
    cond.m_strCameraCaption = m_pCaption->text().trimmed();
    cond.m_iDealState = m_pState->currentData().toInt();
    cond.m_bLevel1 = m_pLevels[0]->isChecked();
    cond.m_bLevel2 = m_pLevels[1]->isChecked();
    cond.m_bLevel3 = m_pLevels[2]->isChecked();
    cond.m_bLevel4 = m_pLevels[3]->isChecked();
    cond.m_bLevel5 = m_pLevels[4]->isChecked();
    cond.m_iAlarmType = m_pType->value();
    return cond;
}

void AlarmPane::load()
{
    m_pTotal->setText(tr("Counting…"));
    m_pLinks->clear();
    m_pModel->search(condition());
}

void AlarmPane::showLinksOf(const QString& _strSourceID)
{
    m_pLinks->clear();
    m_session.call(
        this,
        [_strSourceID](I_DataMediator& _m) {
            // The rules are read into the mediator's cache; the lines are copied out of it here.
            QStringList lstLines;
            _m.GetAllAdapterAlarmInfo(QStringLiteral("EN"));  // rules of unknown types are dropped
            const int iRet = _m.StartGetAlarmLinkInfo();
            if (iRet != 0) {
                return qMakePair(iRet, lstLines);
            }
            const AlarmLinkMap& cache = _m.GetAlarmLinkCache();
            const auto itSource = cache.constFind(_strSourceID);
            if (itSource != cache.constEnd()) {
                for (const QVector<STRCT_SingleAlarmLink*>& vecLinks : itSource.value()) {
                    for (const STRCT_SingleAlarmLink* pLink : vecLinks) {
                        lstLines << linkLine(*pLink);
                    }
                }
            }
            return qMakePair(0, lstLines);
        },
        [this](const QPair<int, QStringList>& _result) {
            if (_result.first != 0) {
                m_pLinks->addItem(
                    tr("No linkage rules stored, or they could not be read (%1)").arg(_result.first));
                emit linksShown(0);
                return;
            }
            m_pLinks->addItems(_result.second);
            if (_result.second.isEmpty()) {
                m_pLinks->addItem(tr("No linkage rules"));
            }
            emit linksShown(_result.second.size());
        });
}

}  // namespace console
