// The statements that delete device objects together with every row that refers to them, for
// one transaction.
#ifndef OBJECTREMOVAL_H
#define OBJECTREMOVAL_H

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace DeviceDao {

/// Appends the statements that delete the rows other domains keep for the objects _lstIDs:
/// every user's custom-tree nodes and the alarm linkage rules. A domain whose rows refer to
/// device objects adds its table here, one line each.
void AppendDependentRemoval(const QStringList& _lstIDs, QList<QString>& _lstSql,
                            QList<QMap<QString, QVariant>>& _lstBinds);

/// Appends the statements that delete the rows referring to the objects _lstIDs from outside
/// their own tables: their rights and everything AppendDependentRemoval deletes.
void AppendReferenceRemoval(const QStringList& _lstIDs, QList<QString>& _lstSql,
                            QList<QMap<QString, QVariant>>& _lstBinds);

/// Appends the statements that delete the device objects _lstIDs: their rows in every device
/// table and in TAB_OBJ, and everything AppendReferenceRemoval deletes.
void AppendDeviceObjectRemoval(const QStringList& _lstIDs, QList<QString>& _lstSql,
                               QList<QMap<QString, QVariant>>& _lstBinds);

/// One transaction deleting the device objects _lstIDs as AppendDeviceObjectRemoval lists; 0
/// for an empty list, else the remote result.
int DeleteDeviceObjects(const QString& _strDbName, const QStringList& _lstIDs);

}  // namespace DeviceDao

#endif  // OBJECTREMOVAL_H
