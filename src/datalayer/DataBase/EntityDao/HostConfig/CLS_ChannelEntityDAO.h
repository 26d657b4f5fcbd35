// Channels of video hosts: TAB_OBJ, TAB_DEV_CAMERA and TAB_CHANNEL, read through
// VIEW_DEV_CHANNEL.
#ifndef CLS_CHANNELENTITYDAO_H
#define CLS_CHANNELENTITYDAO_H

#include "CLS_ChannelEntity.h"
#include "AuthorityTypeList.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_ChannelEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_ChannelEntityDAO* GetInstance();

    /// Loads the authority types of channels (object type 5) once; normally reached through
    /// GetInstance().
    CLS_ChannelEntityDAO();
    virtual ~CLS_ChannelEntityDAO();

    /// Authority type ids that a new channel receives for 'admin_role', in record order.
    QStringList AuthorityTypes() const;

    // ---- writes: the remote result (0 success, negative failure) ----
    /// One transaction: TAB_OBJ, TAB_DEV_CAMERA, TAB_CHANNEL (the defence state keeps the table
    /// default) and the rights of 'admin_role', replacing rights that exist already.
    int InsertChannel(const CLS_ChannelEntity& _channelEntity);
    /// All channels in one transaction; also stores the defence state, and inserts the rights
    /// (an existing right fails the whole batch). 0 for an empty list; null entries are skipped.
    int InsertChannels(const QVector<CLS_ChannelEntity*>& _vecChannels);
    /// One transaction; also writes the bound device type.
    int UpdateChannel(const CLS_ChannelEntity& _channelEntity);
    /// One transaction for the list; leaves the bound device type as stored.
    int UpdateChannels(const QVector<CLS_ChannelEntity*>& _vecChannels);
    int DeleteChannel(const QString& _strChannelID);
    /// Every child object of the host (found by its parent column) with its rows and rights,
    /// in one transaction; -1 when the children cannot be read.
    int DeleteChannelsOfHost(const QString& _strHostID);
    /// One transaction for every id, rights included; 0 for an empty list.
    int DeleteChannels(const QStringList& _lstChannelIDs);
    int SetChannelDefenceState(const QString& _strChannelID, int _iState);
    /// Caption of any object of TAB_OBJ.
    int SetObjectCaption(const QString& _strObjID, const QString& _strCaption);
    /// Captions of several objects of TAB_OBJ (id -> caption) in one transaction; 0 for none.
    int SetObjectCaptions(const QMap<QString, QString>& _mapCaptions);

    // ---- reads: 0, or -1 when the server gave no record set ----
    /// Appends every channel, by number. The new entities belong to the caller.
    int GetAllChannels(QVector<CLS_ChannelEntity*>& _vecChannels);
    /// Fills _channelEntity; -1 also when there is no such channel.
    int GetChannelById(const QString& _strChannelID, CLS_ChannelEntity& _channelEntity);
    /// Fills _channelEntity with channel _iNum of the host; -1 also when there is none.
    int GetChannelByNum(const QString& _strHostID, int _iNum, CLS_ChannelEntity& _channelEntity);
    /// The count, or -1 for no answer.
    int GetChannelCountOfHost(const QString& _strHostID);
    /// Host id -> number of channels (added to the map).
    int GetChannelCounts(QMap<QString, int>& _mapCounts);
    /// Channels the user may view, or all channels for an empty user; -1 for no answer.
    int GetCameraCount(const QString& _strUserID);

    static void LoadChannel(const QMap<QString, QString>& _row, CLS_ChannelEntity& _channelEntity);

private:
    /// Appends the statements and bind maps of one new channel.
    static void AppendInsert(const CLS_ChannelEntity& _channelEntity, bool _bBatch, const QStringList& _lstTypes,
                             QList<QString>& _lstSql, QList<QMap<QString, QVariant>>& _lstBinds);
    static void AppendUpdate(const CLS_ChannelEntity& _channelEntity, bool _bWithBindingType,
                             QList<QString>& _lstSql, QList<QMap<QString, QVariant>>& _lstBinds);

    AuthorityTypeList m_authorityTypes;
};

#endif  // CLS_CHANNELENTITYDAO_H
