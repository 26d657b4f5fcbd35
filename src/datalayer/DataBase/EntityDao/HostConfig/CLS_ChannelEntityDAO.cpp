#include "CLS_ChannelEntityDAO.h"

#include "DeviceDaoSupport.h"
#include "ObjectRemoval.h"

#include <algorithm>

using namespace DeviceDao;

namespace {

QString channelSelect()
{
    return QStringLiteral(
        "SELECT "
        "S_ID,I_NUM,S_DESCRIPTION,I_BINDINGDEVTYPE,I_LINK_TYPE_ID,I_BUF_NUM,I_DELAY_NUM,I_PROTOCOL_TYPE, "
        "I_PTZ_ADDR, I_COM_PORT, I_BAUDRATE,I_ENCRYPT_ENABLED,S_DECRYPT_CODE,"
        "I_CONTROL_TYPE,I_SPEED_X,I_SPEED_Y,I_DATA_TYPE,S_CAPTION,S_PARENT_ID,S_PROTOCOL_NAME,S_DOMAIN_ID, "
        "I_ENABLE_DEFENCE From VIEW_DEV_CHANNEL");
}

QString num(int _iValue)
{
    return CLS_BaseEntityDAO::IntToString(_iValue);
}

}  // namespace

CLS_ChannelEntityDAO* CLS_ChannelEntityDAO::GetInstance()
{
    static CLS_ChannelEntityDAO* const s_pInstance = new CLS_ChannelEntityDAO();
    return s_pInstance;
}

CLS_ChannelEntityDAO::CLS_ChannelEntityDAO()
    : m_authorityTypes(m_strDbName, QStringLiteral("SELECT I_AUTHORITY_TYPE_ID FROM TAB_OBJ_TYPE_AUTHORITY_TYPE "
                                                   "WHERE I_OBJ_TYPE_ID = 5"))
{
}

CLS_ChannelEntityDAO::~CLS_ChannelEntityDAO() = default;

QStringList CLS_ChannelEntityDAO::AuthorityTypes() const
{
    return m_authorityTypes.Held();
}

void CLS_ChannelEntityDAO::AppendInsert(const CLS_ChannelEntity& e, bool _bBatch, const QStringList& _lstTypes,
                                        QList<QString>& _lstSql, QList<QMap<QString, QVariant>>& _lstBinds)
{
    _lstSql << QStringLiteral(
                   "Insert Into TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE, "
                   "S_DOMAIN_ID) Values "
                   "(:entityID, :entityHostID, %1, :entityName, 1, :entityDomainID)")
                   .arg(num(e.I_OBJ_TYPE_ID));
    _lstBinds << Binds{{":entityID", e.S_ID},
                       {":entityHostID", e.S_PARENT_ID},
                       {":entityName", e.S_CAPTION},
                       {":entityDomainID", e.S_DOMAIN_ID}};

    _lstSql << QStringLiteral(
                   "Insert Into TAB_DEV_CAMERA(S_ID, I_NUM, S_DESCRIPTION, I_LINK_TYPE_ID, I_BUF_NUM, "
                   "I_DELAY_NUM,"
                   "I_PROTOCOL_TYPE, I_PTZ_ADDR, I_COM_PORT,I_BAUDRATE, S_PARENT_ID) Values (:entityID, %1, "
                   ":entityMemo, %2, %3, %4, %5, %6, %7, %8, :entityHostID)")
                   .arg(num(e.I_NUM), num(e.I_LINK_TYPE_ID), num(e.I_BUF_NUM), num(e.I_DELAY_NUM),
                        num(e.I_PROTOCOL_TYPE), num(e.I_PTZ_ADDR), num(e.I_COM_PORT), num(e.I_BAUDRATE));
    _lstBinds << Binds{
        {":entityID", e.S_ID}, {":entityMemo", e.S_DESCRIPTION}, {":entityHostID", e.S_PARENT_ID}};

    const QString strNumbers = QStringLiteral("%1, %2, %3, %4, %5")
                                   .arg(num(e.I_CONTROL_TYPE), num(e.I_SPEED_X), num(e.I_SPEED_Y),
                                        num(e.I_DATA_TYPE), num(e.I_ENCRYPT_ENABLED ? 1 : 0));
    if (_bBatch) {
        _lstSql << QStringLiteral(
                       "Insert Into "
                       "TAB_CHANNEL(S_ID,I_CONTROL_TYPE,I_SPEED_X,I_SPEED_Y,I_DATA_TYPE,I_ENCRYPT_ENABLED,"
                       "S_DECRYPT_CODE, S_PARENT_ID, I_ENABLE_DEFENCE) Values (:entityID, %1, "
                       ":entityDecryptCode, "
                       ":entityHostID, %2)")
                       .arg(strNumbers, num(e.I_ENABLE_DEFENCE));
    } else {
        _lstSql
            << QStringLiteral(
                   "Insert Into "
                   "TAB_CHANNEL(S_ID,I_CONTROL_TYPE,I_SPEED_X,I_SPEED_Y,I_DATA_TYPE,I_ENCRYPT_ENABLED,"
                   "S_DECRYPT_CODE, S_PARENT_ID) Values (:entityID, %1, :entityDecryptCode, :entityHostID)")
                   .arg(strNumbers);
    }
    _lstBinds << Binds{{":entityID", e.S_ID},
                       {":entityDecryptCode", e.S_DECRYPT_CODE.trimmed()},
                       {":entityHostID", e.S_PARENT_ID}};

    // A single insert replaces rights left behind for the same id; a batch inserts them.
    const QString strVerb = _bBatch ? QStringLiteral("Insert") : QStringLiteral("REPLACE");
    for (const QString& strType : _lstTypes) {
        _lstSql << QStringLiteral(
                       "%1 Into TAB_OBJ_ROLE_AUTHORITY(S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS, "
                       "S_PARENT_ID) Values (:entityID, 'admin_role', %2, 1, :entityHostID)")
                       .arg(strVerb, num(strType.toInt()));
        _lstBinds << Binds{{":entityID", e.S_ID}, {":entityHostID", e.S_PARENT_ID}};
    }
}

void CLS_ChannelEntityDAO::AppendUpdate(const CLS_ChannelEntity& e, bool _bWithBindingType,
                                        QList<QString>& _lstSql, QList<QMap<QString, QVariant>>& _lstBinds)
{
    _lstSql << QStringLiteral("Update TAB_OBJ Set S_CAPTION = :entityName Where S_ID = :entityID");
    _lstBinds << Binds{{":entityID", e.S_ID}, {":entityName", e.S_CAPTION}};

    const QString strBinding = _bWithBindingType
                                   ? QStringLiteral("I_BINDINGDEVTYPE = %1, ").arg(num(e.I_BINDINGDEVTYPE))
                                   : QString();
    _lstSql
        << QStringLiteral(
               "Update TAB_DEV_CAMERA Set I_NUM = %1, S_DESCRIPTION = :entityMemo, %2I_LINK_TYPE_ID = %3, "
               "I_BUF_NUM = %4, I_DELAY_NUM = %5, I_PROTOCOL_TYPE = %6, I_PTZ_ADDR = %7, I_COM_PORT = %8, "
               "I_BAUDRATE = %9 Where S_ID = :entityID")
               .arg(num(e.I_NUM), strBinding, num(e.I_LINK_TYPE_ID), num(e.I_BUF_NUM), num(e.I_DELAY_NUM),
                    num(e.I_PROTOCOL_TYPE), num(e.I_PTZ_ADDR), num(e.I_COM_PORT), num(e.I_BAUDRATE));
    _lstBinds << Binds{{":entityID", e.S_ID}, {":entityMemo", e.S_DESCRIPTION}};

    _lstSql << QStringLiteral(
                   "Update TAB_CHANNEL Set I_CONTROL_TYPE = %1, I_SPEED_X = %2, I_SPEED_Y = %3, I_DATA_TYPE "
                   "= %4, "
                   "I_ENCRYPT_ENABLED = %5, S_DECRYPT_CODE = :entityDecryptCode Where S_ID = :entityID")
                   .arg(num(e.I_CONTROL_TYPE), num(e.I_SPEED_X), num(e.I_SPEED_Y), num(e.I_DATA_TYPE),
                        num(e.I_ENCRYPT_ENABLED ? 1 : 0));
    _lstBinds << Binds{{":entityID", e.S_ID}, {":entityDecryptCode", e.S_DECRYPT_CODE}};
}

int CLS_ChannelEntityDAO::InsertChannel(const CLS_ChannelEntity& _channelEntity)
{
    return Guarded("CLS_ChannelEntityDAO::InsertChannel", -1, [&] {
        const QStringList lstTypes = m_authorityTypes.Get("CLS_ChannelEntityDAO::InsertChannel");
        if (lstTypes.isEmpty()) {
            return -1;
        }
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        AppendInsert(_channelEntity, false, lstTypes, lstSql, lstBinds);
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_ChannelEntityDAO::InsertChannels(const QVector<CLS_ChannelEntity*>& _vecChannels)
{
    return Guarded("CLS_ChannelEntityDAO::InsertChannels", -1, [&] {
        if (std::all_of(_vecChannels.cbegin(), _vecChannels.cend(),
                        [](const CLS_ChannelEntity* _p) { return _p == nullptr; })) {
            return 0;
        }
        const QStringList lstTypes = m_authorityTypes.Get("CLS_ChannelEntityDAO::InsertChannels");
        if (lstTypes.isEmpty()) {
            return -1;
        }
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        for (const CLS_ChannelEntity* pChannel : _vecChannels) {
            if (pChannel != nullptr) {
                AppendInsert(*pChannel, true, lstTypes, lstSql, lstBinds);
            }
        }
        return lstSql.isEmpty() ? 0 : ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_ChannelEntityDAO::UpdateChannel(const CLS_ChannelEntity& _channelEntity)
{
    return Guarded("CLS_ChannelEntityDAO::UpdateChannel", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        AppendUpdate(_channelEntity, true, lstSql, lstBinds);
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_ChannelEntityDAO::UpdateChannels(const QVector<CLS_ChannelEntity*>& _vecChannels)
{
    return Guarded("CLS_ChannelEntityDAO::UpdateChannels", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        for (const CLS_ChannelEntity* pChannel : _vecChannels) {
            if (pChannel != nullptr) {
                AppendUpdate(*pChannel, false, lstSql, lstBinds);
            }
        }
        return lstSql.isEmpty() ? 0 : ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_ChannelEntityDAO::DeleteChannel(const QString& _strChannelID)
{
    return DeleteChannels(QStringList{_strChannelID});
}

int CLS_ChannelEntityDAO::DeleteChannelsOfHost(const QString& _strHostID)
{
    return Guarded("CLS_ChannelEntityDAO::DeleteChannelsOfHost", -1, [&] {
        // Every child object of the host goes, with the rows referring to it; channel rows
        // naming the host as parent go too. The host id is bound rather than spliced.
        QStringList lstIDs;
        if (Column(ExecuteQueryEx(m_strDbName, QStringLiteral("SELECT S_ID FROM TAB_OBJ WHERE S_PARENT_ID=:hostID"),
                                  Binds{{":hostID", _strHostID}}),
                   "S_ID", lstIDs) != 0) {
            return -1;
        }
        const Binds binds{{":hostID", _strHostID}};
        QList<QString> lstSql{QStringLiteral("Delete From TAB_CHANNEL Where S_PARENT_ID=:hostID"),
                              QStringLiteral("Delete From TAB_DEV_CAMERA Where S_PARENT_ID=:hostID")};
        QList<Binds> lstBinds{binds, binds};
        AppendDeviceObjectRemoval(lstIDs, lstSql, lstBinds);
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_ChannelEntityDAO::DeleteChannels(const QStringList& _lstChannelIDs)
{
    return Guarded("CLS_ChannelEntityDAO::DeleteChannels", -1, [&] {
        // The ids are bound; the rights go with the channels, so the same id can come back.
        return DeleteDeviceObjects(m_strDbName, _lstChannelIDs);
    });
}

int CLS_ChannelEntityDAO::SetChannelDefenceState(const QString& _strChannelID, int _iState)
{
    return Guarded("CLS_ChannelEntityDAO::SetChannelDefenceState", -1, [&] {
        return ExecuteEx(
            m_strDbName,
            QStringLiteral("UPDATE TAB_CHANNEL SET I_ENABLE_DEFENCE=:newStates WHERE S_ID=:channelId"),
            Binds{{":newStates", _iState}, {":channelId", _strChannelID}});
    });
}

int CLS_ChannelEntityDAO::SetObjectCaption(const QString& _strObjID, const QString& _strCaption)
{
    return Guarded("CLS_ChannelEntityDAO::SetObjectCaption", -1, [&] {
        return ExecuteEx(m_strDbName,
                         QStringLiteral("UPDATE TAB_OBJ SET S_CAPTION=:newCaption WHERE S_ID=:objId"),
                         Binds{{":newCaption", _strCaption}, {":objId", _strObjID}});
    });
}

int CLS_ChannelEntityDAO::SetObjectCaptions(const QMap<QString, QString>& _mapCaptions)
{
    return Guarded("CLS_ChannelEntityDAO::SetObjectCaptions", -1, [&] {
        if (_mapCaptions.isEmpty()) {
            return 0;
        }
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        for (auto it = _mapCaptions.cbegin(); it != _mapCaptions.cend(); ++it) {
            lstSql << QStringLiteral("UPDATE TAB_OBJ SET S_CAPTION=:newCaption WHERE S_ID=:objId");
            lstBinds << Binds{{":newCaption", it.value()}, {":objId", it.key()}};
        }
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

void CLS_ChannelEntityDAO::LoadChannel(const QMap<QString, QString>& _row, CLS_ChannelEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.I_NUM = Int(_row, "I_NUM");
    e.S_DESCRIPTION = Text(_row, "S_DESCRIPTION");
    e.I_BINDINGDEVTYPE = Int(_row, "I_BINDINGDEVTYPE");
    e.I_LINK_TYPE_ID = Int(_row, "I_LINK_TYPE_ID");
    e.I_BUF_NUM = Int(_row, "I_BUF_NUM");
    e.I_DELAY_NUM = Int(_row, "I_DELAY_NUM");
    e.I_PROTOCOL_TYPE = Int(_row, "I_PROTOCOL_TYPE");
    e.I_PTZ_ADDR = Int(_row, "I_PTZ_ADDR");
    e.I_COM_PORT = Int(_row, "I_COM_PORT");
    e.I_BAUDRATE = Int(_row, "I_BAUDRATE");
    e.I_ENCRYPT_ENABLED = Int(_row, "I_ENCRYPT_ENABLED") != 0;
    e.S_DECRYPT_CODE = Text(_row, "S_DECRYPT_CODE");
    e.I_CONTROL_TYPE = Int(_row, "I_CONTROL_TYPE");
    e.I_SPEED_X = Int(_row, "I_SPEED_X");
    e.I_SPEED_Y = Int(_row, "I_SPEED_Y");
    e.I_DATA_TYPE = Int(_row, "I_DATA_TYPE");
    e.S_CAPTION = Text(_row, "S_CAPTION");
    e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
    e.S_PROTOCOL_NAME = Text(_row, "S_PROTOCOL_NAME");
    e.S_DOMAIN_ID = Text(_row, "S_DOMAIN_ID");
    e.I_ENABLE_DEFENCE = Int(_row, "I_ENABLE_DEFENCE");
}

int CLS_ChannelEntityDAO::GetAllChannels(QVector<CLS_ChannelEntity*>& _vecChannels)
{
    return Guarded("CLS_ChannelEntityDAO::GetAllChannels", -1, [&] {
        return ReadEntities(ExecuteQuery(m_strDbName, channelSelect() + QStringLiteral(" ORDER BY I_NUM")),
                            _vecChannels, &CLS_ChannelEntityDAO::LoadChannel);
    });
}

int CLS_ChannelEntityDAO::GetChannelById(const QString& _strChannelID, CLS_ChannelEntity& _channelEntity)
{
    return Guarded("CLS_ChannelEntityDAO::GetChannelById", -1, [&] {
        const Rows rows(ExecuteQueryEx(m_strDbName, channelSelect() + QStringLiteral(" Where S_ID = :chid"),
                                       Binds{{":chid", _strChannelID}}));
        if (rows.First() == nullptr) {
            return -1;
        }
        LoadChannel(*rows.First(), _channelEntity);
        return 0;
    });
}

int CLS_ChannelEntityDAO::GetChannelByNum(const QString& _strHostID, int _iNum,
                                          CLS_ChannelEntity& _channelEntity)
{
    return Guarded("CLS_ChannelEntityDAO::GetChannelByNum", -1, [&] {
        // The host id is bound rather than spliced between quotes.
        const Rows rows(ExecuteQueryEx(
            m_strDbName,
            channelSelect() + QStringLiteral(" WHERE S_PARENT_ID = :hostID AND I_NUM = %1").arg(num(_iNum)),
            Binds{{":hostID", _strHostID.trimmed()}}));
        if (rows.First() == nullptr) {
            return -1;
        }
        LoadChannel(*rows.First(), _channelEntity);
        return 0;
    });
}

int CLS_ChannelEntityDAO::GetChannelCountOfHost(const QString& _strHostID)
{
    return Guarded("CLS_ChannelEntityDAO::GetChannelCountOfHost", -1, [&] {
        return Count(
            m_strDbName,
            QStringLiteral("SELECT COUNT(*) FROM VIEW_DEV_CHANNEL Where S_ID in (Select S_ID From TAB_OBJ "
                           "Where S_PARENT_ID =:hid)"),
            Binds{{":hid", _strHostID}});
    });
}

int CLS_ChannelEntityDAO::GetChannelCounts(QMap<QString, int>& _mapCounts)
{
    return Guarded("CLS_ChannelEntityDAO::GetChannelCounts", -1, [&] {
        return ParentCounts(
            m_strDbName,
            QStringLiteral("SELECT S_PARENT_ID, COUNT(*) S_COUNT FROM VIEW_DEV_CHANNEL GROUP BY S_PARENT_ID"),
            _mapCounts);
    });
}

int CLS_ChannelEntityDAO::GetCameraCount(const QString& _strUserID)
{
    return Guarded("CLS_ChannelEntityDAO::GetCameraCount", -1, [&] {
        if (_strUserID.isEmpty()) {
            return Count(m_strDbName, QStringLiteral("SELECT COUNT(*) FROM TAB_DEV_CAMERA"), Binds());
        }
        return Count(m_strDbName,
                     QStringLiteral("SELECT COUNT(*) FROM VIEW_VIEWCAMERA  Where S_USER_ID =:uid"),
                     Binds{{":uid", _strUserID}});
    });
}
