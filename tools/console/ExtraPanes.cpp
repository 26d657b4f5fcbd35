#include "ConsoleSession.h"
#include "Panes.h"

#include <I_DataMediator.h>

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QFormLayout>
#include <QGraphicsEllipseItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace console {

namespace {

const char kTimeFormat[] = "yyyy-MM-dd hh:mm:ss";

struct FaceRow
{
    QString strTime;
    QString strChannel;
    int iGender = 0;
    int iAge = 0;
    QString strName;
    QString strBigPath;
    QImage thumbnail;
};

struct FacePage
{
    int iCode = 0;
    int iTotal = 0;
    QVector<FaceRow> vecRows;
};

// The picture from the local file when it is there, else from the storage host; a null image
// when neither has it. After one failed download the storage host is not asked again.
QImage thumbnailOf(I_DataMediator& _m, const QString& _strPath, bool& _bHostReachable)
{
    QImage image;
    if (_strPath.isEmpty()) {
        return image;
    }
    if (QFile::exists(_strPath)) {
        image.load(_strPath);
    } else if (_bHostReachable) {
        QString strBase64;
        if (_m.WebserviceDownloadFile(_strPath, strBase64) == 0) {
            image.loadFromData(QByteArray::fromBase64(strBase64.toLatin1()));
        } else {
            _bHostReachable = false;
        }
    }
    return image.isNull() ? image : image.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QTableWidgetItem* cell(const QString& _strText)
{
    auto* pItem = new QTableWidgetItem(_strText);
    pItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return pItem;
}

QString genderText(int _iGender)
{
    switch (_iGender) {
        case 0:
            return QObject::tr("female");
        case 1:
            return QObject::tr("male");
        default:
            return QObject::tr("unknown");
    }
}

}  // namespace

// ---- face captures ----

FacesPane::FacesPane(ConsoleSession& _session, QWidget* _pParent) : QWidget(_pParent), m_session(_session)
{
    m_pStart = new QDateTimeEdit(QDateTime(QDate::currentDate().addDays(-30), QTime(0, 0)));
    m_pEnd = new QDateTimeEdit(QDateTime(QDate::currentDate().addDays(1), QTime(0, 0)));
    for (QDateTimeEdit* pEdit : {m_pStart, m_pEnd}) {
        pEdit->setDisplayFormat(QString::fromLatin1(kTimeFormat));
        pEdit->setCalendarPopup(true);
    }
    auto* pSearch = new QPushButton(tr("Search"));
    connect(pSearch, &QPushButton::clicked, this, &FacesPane::load);
    auto* pPrev = new QPushButton(tr("◀"));
    auto* pNext = new QPushButton(tr("▶"));
    connect(pPrev, &QPushButton::clicked, this, [this] { showPage(std::max(1, m_iPage - 1)); });
    connect(pNext, &QPushButton::clicked, this, [this] {
        if (m_iPage * kPageSize < m_iTotal) {
            showPage(m_iPage + 1);
        }
    });
    m_pPageText = new QLabel();
    auto* pTop = new QHBoxLayout();
    pTop->addWidget(m_pStart);
    pTop->addWidget(new QLabel(tr("to")));
    pTop->addWidget(m_pEnd);
    pTop->addWidget(pSearch);
    pTop->addStretch();
    pTop->addWidget(pPrev);
    pTop->addWidget(m_pPageText);
    pTop->addWidget(pNext);

    m_pTable = new QTableWidget(0, 6);
    m_pTable->setHorizontalHeaderLabels(
        {tr("Picture"), tr("Time"), tr("Channel"), tr("Gender"), tr("Name"), tr("Path")});
    m_pTable->setIconSize(QSize(64, 64));
    m_pTable->verticalHeader()->setDefaultSectionSize(68);
    m_pTable->verticalHeader()->hide();
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(m_pTable, &QTableWidget::currentCellChanged, this, [this](int _iRow) {
        if (_iRow >= 0 && m_pTable->item(_iRow, 5) != nullptr) {
            decode(m_pTable->item(_iRow, 5)->text());
        }
    });

    m_pPath = new QLineEdit();
    m_pPath->setPlaceholderText(tr("path of a big capture picture"));
    auto* pDecode = new QPushButton(tr("Decode"));
    connect(pDecode, &QPushButton::clicked, this, [this] { decode(m_pPath->text().trimmed()); });
    m_pFields = new QLabel();
    m_pFields->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pFields->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* pPathRow = new QHBoxLayout();
    pPathRow->addWidget(m_pPath);
    pPathRow->addWidget(pDecode);

    m_pPlate = new QLineEdit();
    m_pPlate->setPlaceholderText(tr("plate starts with"));
    auto* pPassageSearch = new QPushButton(tr("Search passages"));
    connect(pPassageSearch, &QPushButton::clicked, this, &FacesPane::searchPassages);
    m_pPassageText = new QLabel();
    auto* pPassageRow = new QHBoxLayout();
    pPassageRow->addWidget(new QLabel(tr("Vehicle passages:")));
    pPassageRow->addWidget(m_pPlate);
    pPassageRow->addWidget(pPassageSearch);
    pPassageRow->addWidget(m_pPassageText, 1);
    m_pPassages = new QTableWidget(0, 4);
    m_pPassages->setHorizontalHeaderLabels({tr("Time"), tr("Plate"), tr("Colour"), tr("Terminal")});
    m_pPassages->verticalHeader()->hide();
    m_pPassages->horizontalHeader()->setStretchLastSection(true);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pTop);
    pLayout->addWidget(m_pTable, 3);
    pLayout->addLayout(pPathRow);
    pLayout->addWidget(m_pFields);
    pLayout->addLayout(pPassageRow);
    pLayout->addWidget(m_pPassages, 2);
}

void FacesPane::searchPassages()
{
    STRCT_PassageQuery query;
    query.m_qstrStartTime = m_pStart->dateTime().toString(QString::fromLatin1(kTimeFormat));
    query.m_qstrEndTime = m_pEnd->dateTime().toString(QString::fromLatin1(kTimeFormat));
    query.m_qstrKey = m_pPlate->text().trimmed();
    query.m_bKeyPrefix = !query.m_qstrKey.isEmpty();
    query.m_iPageSize = kPageSize;
    query.m_iPageIndex = 1;
    m_pPassageText->setText(tr("reading…"));
    typedef QPair<int, QVector<CLS_CarDataRecvEntity>> Passages;
    m_session.call(
        this,
        [query](I_DataMediator& _m) {
            Passages result;
            const int iTotal = _m.GetCarRecordCount(query);
            const int iRet = iTotal < 0 ? iTotal : _m.QueryCarHistory(query, result.second);
            result.first = iRet != 0 ? (iRet < 0 ? iRet : -1) : iTotal;
            return result;
        },
        [this](const Passages& _result) {
            // Like the statistics, the passage count answers a lost connection with 0.
            const int iCode = _result.first == 0 && !m_session.online() ? -1 : _result.first;
            if (iCode < 0) {
                m_pPassageText->setText(tr("the passages could not be read (%1)").arg(iCode));
                emit passagesShown(iCode, 0);
                return;
            }
            m_pPassages->setRowCount(_result.second.size());
            for (int i = 0; i < _result.second.size(); ++i) {
                const CLS_CarDataRecvEntity& car = _result.second.at(i);
                m_pPassages->setItem(i, 0, cell(car.S_PassTime));
                m_pPassages->setItem(i, 1, cell(car.S_Vlp));
                m_pPassages->setItem(i, 2, cell(car.S_Vlpc));
                m_pPassages->setItem(i, 3,
                                     cell(car.S_TerminalName.isEmpty() ? car.S_SN : car.S_TerminalName));
            }
            m_pPassageText->setText(tr("%n passage(s)", nullptr, _result.first));
            emit passagesShown(0, _result.first);
        });
}

void FacesPane::load()
{
    showPage(1);
    searchPassages();
}

void FacesPane::showPage(int _iPage)
{
    CLS_IntelligentDataRecSearchEntity search;
    search.m_strStartTime = m_pStart->dateTime().toString(QString::fromLatin1(kTimeFormat));
    search.m_strEndTime = m_pEnd->dateTime().toString(QString::fromLatin1(kTimeFormat));
    search.m_iPageSize = kPageSize;
    search.m_iPageNumber = _iPage;
    m_pPageText->setText(tr("reading…"));
    m_session.call(
        this,
        [search](I_DataMediator& _m) {
            FacePage page;
            page.iTotal = _m.GetFaceCaptureCount(search);
            QVector<CLS_IntelligentDataRecEntity*> vecCaptures;
            page.iCode = page.iTotal < 0 ? page.iTotal : _m.SearchFaceCapture(search, vecCaptures);
            bool bHostReachable = true;
            for (const CLS_IntelligentDataRecEntity* pCapture : qAsConst(vecCaptures)) {
                FaceRow row;
                row.strTime = pCapture->DT_CAPTURE;
                row.strChannel =
                    pCapture->S_CHANNEL_NAME.isEmpty() ? pCapture->S_CHANNEL_ID : pCapture->S_CHANNEL_NAME;
                row.iGender = pCapture->I_GENDER_TYPE;
                row.iAge = pCapture->I_AGE_TYPE;
                row.strName = pCapture->S_NAME;
                row.strBigPath = pCapture->S_BIG_PATH;
                row.thumbnail = thumbnailOf(_m, pCapture->S_SMALL_PATH, bHostReachable);
                page.vecRows.append(row);
            }
            qDeleteAll(vecCaptures);  // the entities are the caller's
            return page;
        },
        [this, _iPage](const FacePage& _page) {
            if (_page.iCode != 0) {
                m_pPageText->setText(tr("the captures could not be read (%1)").arg(_page.iCode));
                emit shown(_page.iCode, 0);
                return;
            }
            m_iPage = _iPage;
            m_iTotal = _page.iTotal;
            const int iPages = std::max(1, (m_iTotal + kPageSize - 1) / kPageSize);
            m_pPageText->setText(
                tr("page %1 of %2 (%n capture(s))", nullptr, m_iTotal).arg(m_iPage).arg(iPages));
            m_pTable->setRowCount(_page.vecRows.size());
            int iThumbnails = 0;
            for (int i = 0; i < _page.vecRows.size(); ++i) {
                const FaceRow& row = _page.vecRows.at(i);
                auto* pPicture = cell(QString());
                if (!row.thumbnail.isNull()) {
                    pPicture->setIcon(QIcon(QPixmap::fromImage(row.thumbnail)));
                    ++iThumbnails;
                }
                m_pTable->setItem(i, 0, pPicture);
                m_pTable->setItem(i, 1, cell(row.strTime));
                m_pTable->setItem(i, 2, cell(row.strChannel));
                m_pTable->setItem(i, 3, cell(genderText(row.iGender)));
                m_pTable->setItem(i, 4, cell(row.strName));
                m_pTable->setItem(i, 5, cell(row.strBigPath));
            }
            m_pTable->resizeColumnsToContents();  // one page: cheap to measure
            emit shown(0, iThumbnails);
        });
}

void FacesPane::decode(const QString& _strPath)
{
    m_pPath->setText(_strPath);
    m_session.call(
        this,
        [_strPath](I_DataMediator& _m) {
            STRCT_FaceParseResult result;
            const bool bOk = _m.DecodeFaceCapturePathToFaceParseResult(_strPath, result);
            return qMakePair(bOk, result);
        },
        [this](const QPair<bool, STRCT_FaceParseResult>& _decoded) {
            if (!_decoded.first) {
                m_pFields->setText(
                    tr("Not a capture path this system can decode, or its picture is not readable."));
                emit decoded(false);
                return;
            }
            const STRCT_FaceParseResult& r = _decoded.second;
            m_pFields->setText(
                tr("channel %1 · captured %2 · gender %3 · age band %4 · mask %5 · glasses %6 · "
                   "temperature %7 (%8) · %9 KiB")
                    .arg(r.m_strChannelID, r.m_strCaptureTime, genderText(r.m_iGenderType))
                    .arg(r.m_iAgeType)
                    .arg(r.m_iMasksType)
                    .arg(r.m_iGlassesType)
                    .arg(r.m_strTemperatureValue)
                    .arg(r.m_iTemperatureType)
                    .arg(r.m_i64FileSize));
            emit decoded(true);
        });
}

// ---- maps ----

MapsPane::MapsPane(ConsoleSession& _session, QWidget* _pParent) : QWidget(_pParent), m_session(_session)
{
    m_pMaps = new QComboBox();
    m_pView = new QGraphicsView(new QGraphicsScene(this));
    m_pView->setRenderHint(QPainter::Antialiasing);
    m_pResult = new QLabel();
    connect(m_pMaps, QOverload<int>::of(&QComboBox::activated), this,
            [this](int _iIndex) { showMap(m_pMaps->itemData(_iIndex).toString()); });
    auto* pTop = new QHBoxLayout();
    pTop->addWidget(new QLabel(tr("Map:")));
    pTop->addWidget(m_pMaps, 1);
    pTop->addWidget(m_pResult);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pTop);
    pLayout->addWidget(m_pView);
}

void MapsPane::load()
{
    m_session.call(
        this,
        [](I_DataMediator& _m) {
            QPair<int, QVector<CLS_ElectronicMapEntity>> maps;
            maps.first = _m.GetAllElectronicMap(maps.second);
            return maps;
        },
        [this](const QPair<int, QVector<CLS_ElectronicMapEntity>>& _maps) {
            m_pMaps->clear();
            m_vecMaps = _maps.second;
            if (_maps.first != 0) {
                m_pResult->setText(tr("The maps could not be read (%1)").arg(_maps.first));
                emit shown(_maps.first, false);
                return;
            }
            for (const CLS_ElectronicMapEntity& map : qAsConst(m_vecMaps)) {
                m_pMaps->addItem(map.S_Caption, map.S_ID);
            }
            if (m_vecMaps.isEmpty()) {
                m_pResult->setText(tr("No maps"));
                emit shown(0, false);
                return;
            }
            showMap(m_vecMaps.first().S_ID);
        });
}

void MapsPane::showMap(const QString& _strMapID)
{
    m_session.call(
        this,
        [_strMapID](I_DataMediator& _m) {
            QPair<int, QVector<CLS_ElectronicMapNodeEntity>> nodes;
            nodes.first = _m.GetElectronicMapNode(_strMapID, nodes.second);
            return nodes;
        },
        [this, _strMapID](const QPair<int, QVector<CLS_ElectronicMapNodeEntity>>& _nodes) {
            QGraphicsScene* pScene = m_pView->scene();
            pScene->clear();
            m_iMarkers = 0;
            // The stored picture: "image/<format>;base64:<Base64 bytes>".
            QImage picture;
            for (const CLS_ElectronicMapEntity& map : qAsConst(m_vecMaps)) {
                if (map.S_ID == _strMapID) {
                    const int iAt = map.S_MapImg.indexOf(QLatin1String(";base64:"));
                    if (iAt > 0) {
                        picture.loadFromData(QByteArray::fromBase64(map.S_MapImg.mid(iAt + 8).toLatin1()));
                    }
                }
            }
            if (!picture.isNull()) {
                pScene->addPixmap(QPixmap::fromImage(picture));
            }
            if (_nodes.first != 0) {
                m_pResult->setText(tr("The placed objects could not be read (%1)").arg(_nodes.first));
                emit shown(_nodes.first, !picture.isNull());
                return;
            }
            for (const CLS_ElectronicMapNodeEntity& node : _nodes.second) {
                auto* pMarker = pScene->addEllipse(node.I_NodeX - 7, node.I_NodeY - 7, 14, 14,
                                                   QPen(Qt::white, 2), QBrush(QColor(0xd3, 0x2f, 0x2f)));
                pMarker->setToolTip(node.S_Caption);
                auto* pText = pScene->addSimpleText(node.S_Caption);
                pText->setPos(node.I_NodeX + 10, node.I_NodeY - 8);
                pText->setBrush(Qt::black);
                ++m_iMarkers;
            }
            m_pView->fitInView(pScene->itemsBoundingRect(), Qt::KeepAspectRatio);
            m_pResult->setText(picture.isNull()
                                   ? tr("%n object(s); the picture is not readable", nullptr, m_iMarkers)
                                   : tr("%n object(s)", nullptr, m_iMarkers));
            emit shown(0, !picture.isNull());
        });
}

}  // namespace console
