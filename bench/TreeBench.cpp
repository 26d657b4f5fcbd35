// Loading the resource tree of a large site through the whole stack (mediator -> libWebSocket ->
// tessel-dbserver -> SQLite), beside the same five SELECTs on an in-process SQLite connection to
// the same database file with the same item building; inserting a batch of channels into the
// loaded tree; and the memory the loaded tree takes.
//
// The site: 2,000 hosts with 32 channels, 8 alarm inputs and 4 alarm outputs each (88,000 items
// below the root), written with the rights the device tables give the administrator's role. An
// operator whose role holds only authority type 1 on the hosts sees the same tree with 2,000
// rights instead of about 310,000.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "CLS_RemoteDBHandler.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmInEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmOutEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_ChannelEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_DevDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_HostEntityDAO.h"
#include "DataBase/EntityDao/User/CLS_RoleEntityDAO.h"
#include "ItemBuilder/CLS_ItemBuilder.h"
#include "BenchSite.h"

#include <QHash>
#include <QReadWriteLock>
#include <QUuid>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int kHosts = 2000;
constexpr int kChannels = 32;
constexpr int kAlarmIns = 8;
constexpr int kAlarmOuts = 4;
constexpr int kItems = kHosts * (1 + kChannels + kAlarmIns + kAlarmOuts);
constexpr int kBatch = 64;

const char kAdmin[] = "admin";
const char kOperator[] = "operator";
const char kPassword[] = "bench pw";

sqlite3* g_pLocal = nullptr;

bool setUp()
{
    if (!benchsite::settleSysId() || !benchsite::addUsersAndSite(kAdmin, kOperator, kPassword)) {
        return false;
    }
    const QByteArray path = (benchsite::g_pServer->dataDir() + "/Tessel.db").toUtf8();
    if (sqlite3_open_v2(path.constData(), &g_pLocal, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "local: %s\n", sqlite3_errmsg(g_pLocal));
        return false;
    }
    return true;
}

// ---- the tree's items ----

size_t textOf(const STRCT_VideoItem* _pItem)
{
    size_t n = _pItem->m_strID.size() + _pItem->m_strCaption.size() + _pItem->m_strParentID.size() +
               _pItem->m_strExtra.size() + _pItem->m_strNodeID.size() + _pItem->m_strDescription.size() +
               _pItem->m_strProxyID.size();
    if (_pItem->GetType() == vitHost) {
        const auto* p = static_cast<const STRCT_VideoHost*>(_pItem);
        n += p->m_strHostTypeName.size() + p->m_strIP.size() + p->m_strUserName.size() +
             p->m_strPassword.size() + p->m_strDnsUser.size() + p->m_strDnsPassword.size() +
             p->m_strProductID.size() + p->m_strDomain.size() + p->m_strChannelCount.size() +
             p->m_strAlarmInCount.size() + p->m_strAlarmOutCount.size();
    } else if (_pItem->GetType() == vitChannel) {
        const auto* p = static_cast<const STRCT_VideoChannel*>(_pItem);
        n += p->m_strProtocolName.size() + p->m_strDecryptCode.size() + p->m_strStreamTag.size();
    }
    return n;
}

// Heap blocks of one item: the record itself and the texts too long to live inside their strings.
void blocksOf(STRCT_VideoItem* _pItem, size_t& _uiRecord, size_t& _uiTexts)
{
    _uiRecord += malloc_usable_size(_pItem);
    auto add = [&](std::string& _str) {
        if (_str.capacity() > 15) {
            _uiTexts += malloc_usable_size(&_str[0]);
        }
    };
    for (std::string* pStr :
         {&_pItem->m_strID, &_pItem->m_strCaption, &_pItem->m_strParentID, &_pItem->m_strExtra,
          &_pItem->m_strNodeID, &_pItem->m_strDescription, &_pItem->m_strProxyID}) {
        add(*pStr);
    }
    if (_pItem->GetType() == vitHost) {
        auto* p = static_cast<STRCT_VideoHost*>(_pItem);
        for (std::string* pStr :
             {&p->m_strHostTypeName, &p->m_strIP, &p->m_strUserName, &p->m_strPassword, &p->m_strDnsUser,
              &p->m_strDnsPassword, &p->m_strProductID, &p->m_strDomain}) {
            add(*pStr);
        }
        if (!p->m_vecChilds.empty()) {
            _uiRecord += malloc_usable_size(p->m_vecChilds.data());
        }
    } else if (_pItem->GetType() == vitChannel) {
        auto* p = static_cast<STRCT_VideoChannel*>(_pItem);
        for (std::string* pStr : {&p->m_strProtocolName, &p->m_strDecryptCode, &p->m_strStreamTag}) {
            add(*pStr);
        }
    }
}

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

std::unique_ptr<CLS_DataMediator> loggedIn(const char* _pszUser)
{
    auto pMediator = std::make_unique<CLS_DataMediator>();
    return pMediator->LoginUser(_pszUser, kPassword) == 0 ? std::move(pMediator) : nullptr;
}

// InitTreeNodeData through the whole stack; the heap the loaded tree keeps is measured on the
// last iteration.
void BM_InitTreeNodeData_WholeStack(benchmark::State& _state, const char* _pszUser)
{
    double dHeapPerItem = 0;
    double dTextPerItem = 0;
    double dRecordsPerItem = 0;
    double dTextBlocksPerItem = 0;
    for (auto _ : _state) {
        _state.PauseTiming();
        std::unique_ptr<CLS_DataMediator> pMediator = loggedIn(_pszUser);
        if (!pMediator) {
            _state.SkipWithError("login failed");
            break;
        }
        malloc_trim(0);
        const size_t uiBefore = heapInUse();
        _state.ResumeTiming();

        const int iRet = pMediator->InitTreeNodeData();

        _state.PauseTiming();
        const size_t uiAfter = heapInUse();
        const QVector<STRCT_VideoItem*> vecHosts = pMediator->GetAllHostItems();
        size_t uiItems = 1;  // the root
        size_t uiText = 0;
        size_t uiRecords = 0;
        size_t uiTextBlocks = 0;
        for (STRCT_VideoItem* pHost : vecHosts) {
            uiItems += 1 + pHost->m_vecChilds.size();
            uiText += textOf(pHost);
            blocksOf(pHost, uiRecords, uiTextBlocks);
            for (STRCT_VideoItem* pChild : pHost->m_vecChilds) {
                uiText += textOf(pChild);
                blocksOf(pChild, uiRecords, uiTextBlocks);
            }
        }
        if (iRet != 0 || uiItems != kItems + 1) {
            // No timing may resume after a skip.
            std::fprintf(stderr, "%s: InitTreeNodeData %d, %zu items\n", _pszUser, iRet, uiItems);
            _state.SkipWithError("tree not loaded");
            benchsite::freeTree(*pMediator);
            break;
        }
        dHeapPerItem = static_cast<double>(uiAfter - uiBefore) / static_cast<double>(uiItems);
        dTextPerItem = static_cast<double>(uiText) / static_cast<double>(uiItems);
        dRecordsPerItem = static_cast<double>(uiRecords) / static_cast<double>(uiItems);
        dTextBlocksPerItem = static_cast<double>(uiTextBlocks) / static_cast<double>(uiItems);
        benchsite::freeTree(*pMediator);
        pMediator.reset();
        _state.ResumeTiming();
    }
    _state.counters["items"] = kItems + 1;
    _state.counters["heap_B_per_item"] = dHeapPerItem;
    _state.counters["text_B_per_item"] = dTextPerItem;
    _state.counters["beyond_text_B_per_item"] = dHeapPerItem - dTextPerItem;
    // Where the heap goes: the item records (with the hosts' child lists), the blocks of texts
    // too long for their strings, and the rest (the map's nodes and keys, the rights).
    _state.counters["records_B_per_item"] = dRecordsPerItem;
    _state.counters["text_blocks_B_per_item"] = dTextBlocksPerItem;
    _state.counters["map_and_rest_B_per_item"] = dHeapPerItem - dRecordsPerItem - dTextBlocksPerItem;
}

// ---- the same five SELECTs in process, and the same building ----

RecordSet* query(const char* _pszSql, const char* _pszParam = nullptr)
{
    sqlite3_stmt* pStmt = nullptr;
    if (sqlite3_prepare_v2(g_pLocal, _pszSql, -1, &pStmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "local: %s\n", sqlite3_errmsg(g_pLocal));
        return nullptr;
    }
    if (_pszParam != nullptr) {
        sqlite3_bind_text(pStmt, 1, _pszParam, -1, SQLITE_TRANSIENT);
    }
    auto* pRows = new RecordSet();
    const int iColumns = sqlite3_column_count(pStmt);
    QVector<QString> names(iColumns);
    for (int c = 0; c < iColumns; ++c) {
        names[c] = QString::fromUtf8(sqlite3_column_name(pStmt, c));
    }
    while (sqlite3_step(pStmt) == SQLITE_ROW) {
        auto* pRow = new QMap<QString, QString>();
        for (int c = 0; c < iColumns; ++c) {
            const auto* pText = reinterpret_cast<const char*>(sqlite3_column_text(pStmt, c));
            pRow->insert(names[c], pText != nullptr ? QString::fromUtf8(pText, sqlite3_column_bytes(pStmt, c))
                                                    : QString());
        }
        pRows->append(pRow);
    }
    sqlite3_finalize(pStmt);
    return pRows;
}

template <class E, class L>
QVector<E*> entities(RecordSet* _pRows, L _load)
{
    QVector<E*> vec;
    for (const QMap<QString, QString>* pRow : *_pRows) {
        vec.append(new E());
        _load(*pRow, *vec.last());
    }
    CLS_BaseEntityDAO::FreeRecordSet(_pRows);
    return vec;
}

const char kHostsOfUser[] =
    "SELECT S_ID, S_IP, I_PORT, S_USERNAME, S_PASSWORD, S_DESCRIPTION, I_VIDEO_HOST_TYPE_ID, S_DNS_IP, "
    "I_DNS_PORT, "
    "I_DNS_TYPE, I_DEVTYPE, S_PRODUCT_ID, S_DOMAIN, I_PROXY_TYPE, S_PROXY1_ID, S_PROXY1_IP, I_PROXY1_PORT, "
    "S_PROXY1_CAPTION, S_PROXY2_ID, S_PROXY2_IP, I_PROXY2_PORT, S_PROXY2_CAPTION, S_DNS_USER, "
    "S_DNS_PASSWORD, "
    "S_CAPTION, S_PARENT_ID, S_VIDEO_HOST_TYPE_ID, S_VIDEO_HOST_TYPE_NAME, S_DOMAIN_ID, I_HTTP_PORT, "
    "S_ITS_NUMBER, I_ENABLE_DEFENCE FROM VIEW_DEV_HOST WHERE S_ID IN (SELECT S_OBJ_ID FROM TAB_USER_ROLE "
    "LEFT "
    "JOIN TAB_OBJ_ROLE_AUTHORITY ON TAB_OBJ_ROLE_AUTHORITY.S_ROLE_ID = TAB_USER_ROLE.S_ROLE_ID WHERE "
    "TAB_OBJ_ROLE_AUTHORITY.I_AUTHORITY_TYPE_ID = 1 AND TAB_OBJ_ROLE_AUTHORITY.I_STATUS=1  AND "
    "TAB_USER_ROLE.S_USER_ID = ?) ORDER BY S_IP ASC";
const char kAllChannels[] =
    "SELECT S_ID,I_NUM,S_DESCRIPTION,I_BINDINGDEVTYPE,I_LINK_TYPE_ID,I_BUF_NUM,I_DELAY_NUM,I_PROTOCOL_TYPE, "
    "I_PTZ_ADDR, I_COM_PORT, I_BAUDRATE,I_ENCRYPT_ENABLED,S_DECRYPT_CODE,I_CONTROL_TYPE,I_SPEED_X,I_SPEED_Y,"
    "I_DATA_TYPE,S_CAPTION,S_PARENT_ID,S_PROTOCOL_NAME,S_DOMAIN_ID, I_ENABLE_DEFENCE From VIEW_DEV_CHANNEL "
    "ORDER BY I_NUM";
const char kAllAlarmIns[] =
    "SELECT S_ID, I_NUM, S_DESCRIPTION,S_CAPTION,S_PARENT_ID, I_ENABLE_DEFENCE FROM VIEW_DEV_ALARM_IN ORDER "
    "BY I_NUM";
const char kAllAlarmOuts[] =
    "SELECT S_ID, I_NUM, S_DESCRIPTION,S_CAPTION,S_PARENT_ID FROM VIEW_DEV_ALARM_OUT ORDER BY I_NUM";
const char kAllDevs[] = "SELECT * FROM TAB_DEV";

// The items of the tree built as the mediator builds them, into a locked map.
int buildLocalTree(QMap<QString, STRCT_VideoItem*>& _map, QReadWriteLock& _lock)
{
    QVector<CLS_HostEntity*> hosts =
        entities<CLS_HostEntity>(query(kHostsOfUser, kOperator), &CLS_HostEntityDAO::LoadHost);
    QVector<CLS_ChannelEntity*> channels =
        entities<CLS_ChannelEntity>(query(kAllChannels), &CLS_ChannelEntityDAO::LoadChannel);
    QVector<CLS_AlarmInEntity*> alarmIns =
        entities<CLS_AlarmInEntity>(query(kAllAlarmIns), &CLS_AlarmInEntityDAO::LoadAlarmIn);
    QVector<CLS_AlarmOutEntity*> alarmOuts =
        entities<CLS_AlarmOutEntity>(query(kAllAlarmOuts), &CLS_AlarmOutEntityDAO::LoadAlarmOut);
    RecordSet* pDevs = query(kAllDevs);
    CLS_BaseEntityDAO::FreeRecordSet(pDevs);

    QHash<QString, QVector<CLS_ChannelEntity*>> mapChannels;
    QHash<QString, QVector<CLS_AlarmInEntity*>> mapAlarmIns;
    QHash<QString, QVector<CLS_AlarmOutEntity*>> mapAlarmOuts;
    for (CLS_ChannelEntity* p : channels) {
        mapChannels[p->S_PARENT_ID].append(p);
    }
    for (CLS_AlarmInEntity* p : alarmIns) {
        mapAlarmIns[p->S_PARENT_ID].append(p);
    }
    for (CLS_AlarmOutEntity* p : alarmOuts) {
        mapAlarmOuts[p->S_PARENT_ID].append(p);
    }
    auto* pRoot = new STRCT_VideoGroup();
    pRoot->m_strID = pRoot->m_strNodeID = "resource_root_id";
    {
        QWriteLocker locker(&_lock);
        _map.insert("resource_root_id", pRoot);
    }
    QVector<STRCT_VideoItem*> vecBatch;
    for (int i = 0; i < hosts.size(); ++i) {
        auto* pHost = new STRCT_VideoHost();
        CLS_ItemBuilder::BuildHostItem(hosts[i], pHost);
        pHost->m_strParentID = "resource_root_id";
        pHost->m_iSortNum = i;
        vecBatch = {pHost};
        const QVector<CLS_ChannelEntity*> vecChannels = mapChannels.value(hosts[i]->S_ID);
        for (int j = 0; j < vecChannels.size(); ++j) {
            auto* p = new STRCT_VideoChannel();
            CLS_ItemBuilder::BuildChannelItem(vecChannels[j], p);
            p->m_iSortNum = j;
            pHost->m_vecChilds.push_back(p);
            vecBatch.append(p);
        }
        pHost->m_strChannelCount = std::to_string(vecChannels.size());
        const QVector<CLS_AlarmInEntity*> vecAlarmIns = mapAlarmIns.value(hosts[i]->S_ID);
        for (int j = 0; j < vecAlarmIns.size(); ++j) {
            auto* p = new STRCT_VideoAlarmIn();
            CLS_ItemBuilder::BuildAlarmInItem(vecAlarmIns[j], p);
            p->m_iSortNum = 512 + j;
            pHost->m_vecChilds.push_back(p);
            vecBatch.append(p);
        }
        pHost->m_strAlarmInCount = std::to_string(vecAlarmIns.size());
        const QVector<CLS_AlarmOutEntity*> vecAlarmOuts = mapAlarmOuts.value(hosts[i]->S_ID);
        for (int j = 0; j < vecAlarmOuts.size(); ++j) {
            auto* p = new STRCT_VideoAlarmOut();
            CLS_ItemBuilder::BuildAlarmOutItem(vecAlarmOuts[j], p);
            p->m_iSortNum = 1024 + j;
            pHost->m_vecChilds.push_back(p);
            vecBatch.append(p);
        }
        pHost->m_strAlarmOutCount = std::to_string(vecAlarmOuts.size());
        QWriteLocker locker(&_lock);
        for (STRCT_VideoItem* p : vecBatch) {
            _map.insert(QString::fromStdString(p->m_strNodeID), p);
        }
    }
    qDeleteAll(hosts);
    qDeleteAll(channels);
    qDeleteAll(alarmIns);
    qDeleteAll(alarmOuts);
    return _map.size();
}

void BM_FiveSelectsAndBuild_InProcessSqlite(benchmark::State& _state)
{
    for (auto _ : _state) {
        QMap<QString, STRCT_VideoItem*> map;
        QReadWriteLock lock;
        if (buildLocalTree(map, lock) != kItems + 1) {
            _state.SkipWithError("local tree incomplete");
        }
        _state.PauseTiming();
        qDeleteAll(map);
        _state.ResumeTiming();
    }
}

// The five reads of the tree through the whole stack, without building the items.
void BM_FiveReads_WholeStack(benchmark::State& _state)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    for (auto _ : _state) {
        QVector<CLS_HostEntity*> hosts;
        QVector<CLS_ChannelEntity*> channels;
        QVector<CLS_AlarmInEntity*> alarmIns;
        QVector<CLS_AlarmOutEntity*> alarmOuts;
        QVector<Common::STRCT_DevItem> devs;
        const bool bOk = access.GetHostsOfUser(kOperator, hosts) == 0 &&
                         access.GetAllChannels(channels) == 0 && access.GetAllAlarmIns(alarmIns) == 0 &&
                         access.GetAllAlarmOuts(alarmOuts) == 0 && access.GetAllDevs(devs) == 0;
        if (!bOk || hosts.size() != kHosts || channels.size() != kHosts * kChannels) {
            _state.SkipWithError("reads failed");
        }
        _state.PauseTiming();
        qDeleteAll(hosts);
        qDeleteAll(channels);
        qDeleteAll(alarmIns);
        qDeleteAll(alarmOuts);
        _state.ResumeTiming();
    }
}

// The rights of a role as the tree reads them at load and after a channel insert.
void BM_AuthorityOfRole(benchmark::State& _state, const char* _pszRole)
{
    CLS_DataMediator mediator;
    size_t uiRights = 0;
    for (auto _ : _state) {
        AuthorityMap mapAuth;
        if (!mediator.GetAuthorityByRole(_pszRole, mapAuth)) {
            _state.SkipWithError("no rights read");
        }
        uiRights = 0;
        for (const QVector<STRCT_Authority>& vecRights : mapAuth) {
            uiRights += vecRights.size();
        }
    }
    _state.counters["rights"] = uiRights;
}

// The rights of a role as the tree holds them (the dense read of every right at load), with the
// heap they keep per item of the site.
void BM_HeldRightsOfRole(benchmark::State& _state, const char* _pszRole)
{
    CLS_DataMediator mediator;
    int iRights = 0;
    double dHeapPerItem = 0;
    for (auto _ : _state) {
        _state.PauseTiming();
        malloc_trim(0);
        const size_t uiBefore = heapInUse();
        auto pRights = std::make_unique<CLS_RoleRights>();
        _state.ResumeTiming();

        const bool bOk = CLS_RoleEntityDAO::GetInstance()->GetRightsOfRole(_pszRole, QStringList(), *pRights);

        _state.PauseTiming();
        dHeapPerItem = static_cast<double>(heapInUse() - uiBefore) / static_cast<double>(kItems + 1);
        iRights = pRights->Count();
        pRights.reset();
        if (!bOk) {
            _state.SkipWithError("no rights read");
            break;
        }
        _state.ResumeTiming();
    }
    _state.counters["rights"] = iRights;
    _state.counters["heap_B_per_item"] = dHeapPerItem;
}

// ---- inserting channels into the loaded tree ----

void BM_InsertChannelEx64(benchmark::State& _state, const char* _pszUser)
{
    std::unique_ptr<CLS_DataMediator> pMediator = loggedIn(_pszUser);
    if (!pMediator || pMediator->InitTreeNodeData() != 0) {
        _state.SkipWithError("tree not loaded");
        return;
    }
    STRCT_VideoHost* pHost = nullptr;
    for (STRCT_VideoItem* pItem : pMediator->GetAllHostItems()) {
        if (pItem->m_strID == "bh00000") {
            pHost = static_cast<STRCT_VideoHost*>(pItem);
        }
    }
    if (pHost == nullptr) {
        _state.SkipWithError("no host");
        return;
    }
    STRCT_VideoHost restore = *pHost;
    restore.m_vecChilds.clear();
    std::vector<STRCT_VideoChannel> vecChannels(kBatch);
    QVector<STRCT_VideoChannel*> vecBatch;
    for (STRCT_VideoChannel& channel : vecChannels) {
        vecBatch.append(&channel);
    }
    for (auto _ : _state) {
        _state.PauseTiming();
        for (int i = 0; i < kBatch; ++i) {
            vecChannels[i].m_strID = QUuid::createUuid().toString(QUuid::Id128).toStdString();
            vecChannels[i].m_strParentID = "bh00000";
            vecChannels[i].m_iChannelNo = kChannels + i;
            vecChannels[i].m_strCaption = "bench channel " + std::to_string(i);
        }
        _state.ResumeTiming();

        const int iRet = pMediator->InsertChannelEx(vecBatch);

        _state.PauseTiming();
        // Back to 32 channels: the new ones are deleted again.
        if (iRet != 0 || pMediator->UpdateHost(&restore) != 0) {
            _state.SkipWithError("insert or restore failed");
            break;
        }
        _state.ResumeTiming();
    }
    _state.SetItemsProcessed(_state.iterations() * kBatch);
    benchsite::freeTree(*pMediator);
}

void tearDown()
{
    sqlite3_close(g_pLocal);
}

// TESSEL_BENCH_QUICK=1 (scripts/bench.sh --quick): fewer iterations.
int iterations(int _iFull, int _iQuick)
{
    const char* pszQuick = std::getenv("TESSEL_BENCH_QUICK");
    return pszQuick != nullptr && std::strcmp(pszQuick, "1") == 0 ? _iQuick : _iFull;
}

}  // namespace

BENCHMARK_CAPTURE(BM_InitTreeNodeData_WholeStack, operator, kOperator)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(iterations(5, 2));
BENCHMARK_CAPTURE(BM_InitTreeNodeData_WholeStack, admin, kAdmin)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(iterations(3, 2));
BENCHMARK_CAPTURE(BM_AuthorityOfRole, r_operator, "r-operator")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_AuthorityOfRole, admin_role, "admin_role")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_HeldRightsOfRole, r_operator, "r-operator")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_HeldRightsOfRole, admin_role, "admin_role")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(iterations(5, 3));
BENCHMARK(BM_FiveReads_WholeStack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_FiveSelectsAndBuild_InProcessSqlite)->Unit(benchmark::kMillisecond)->Iterations(iterations(5, 2));
BENCHMARK_CAPTURE(BM_InsertChannelEx64, operator, kOperator)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(iterations(20, 5));
BENCHMARK_CAPTURE(BM_InsertChannelEx64, admin, kAdmin)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(iterations(20, 5));

int main(int argc, char** argv)
{
    return benchsite::runBenchmarks(argc, argv, &setUp, &tearDown);
}
