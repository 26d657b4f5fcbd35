// Partitioned tables: physical tables named <base><suffix> made from the base table (the
// template), the registry of the partitions the server made, listing them, and the paged
// query over a range of partitions.
#ifndef TESSEL_SERVER_PARTITIONS_H
#define TESSEL_SERVER_PARTITIONS_H

#include "database.h"
#include "sqlexec.h"

#include <QByteArray>

#include <vector>

namespace tessel::server {

/// Name of the registry table kept in each database that has partitions.
inline constexpr char kPartitionRegistry[] = "__tessel_partitions";

struct Partition
{
    QByteArray name;    ///< the table name as stored
    QByteArray suffix;  ///< the part after the base name
};

/// Whether a table of that name exists (names compare as SQLite compares them).
bool tableExists(Connection& connection, const QByteArray& name);

/// The partitions of `base` whose suffix lies within [startSuffix, endSuffix] (an empty bound
/// is open; suffixes compare as UTF-8 byte strings), in ascending suffix order. A table counts
/// as a partition of `base` when its name is `base` followed by a non-empty suffix and either the
/// registry lists it under `base`, or the registry does not list it at all and its columns are
/// the template's columns (same names, same order). Lists are cached per connection until the
/// schema changes.
std::vector<Partition> listPartitions(Connection& connection, const QByteArray& base,
                                      const QByteArray& startSuffix, const QByteArray& endSuffix);

/// Makes the partition <base><suffix> from the template table `base` unless it exists: the
/// template's CREATE TABLE, indexes and triggers, renamed, and a registry row. Call inside a
/// write transaction. Returns whether it was created. Throws RequestError ("sql" when there is
/// no template table).
bool ensurePartition(Connection& connection, const QByteArray& base, const QByteArray& suffix);

struct PartitionQuery
{
    QByteArray sql;  ///< one SELECT naming the base table
    BindValues binds;
    QByteArray base;
    QByteArray startSuffix;
    QByteArray endSuffix;
    qint64 startNum = -1;  ///< first row over the whole range; -1: from the first
    qint64 pageSize = -1;  ///< at most this many rows; -1: no limit
    bool descending = false;
};

/// Runs the query on each partition of the range in suffix order (descending when asked),
/// rows concatenated, paged over the whole range. Partitions before the page are only counted,
/// the page is read with LIMIT/OFFSET inside the partitions it covers. Everything runs in one
/// read transaction (one snapshot). Throws RequestError.
void queryPartitions(Connection& connection, const PartitionQuery& query, RowWriter& rows);

}  // namespace tessel::server

#endif
