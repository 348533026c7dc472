// The hidden bookkeeping of a replicable SQLite file, in any schema of a connection ("main", or
// an attached file):
//
//   MSysReplica      (ReplicaId, ReplicaSet, DesignMaster, Description): one row; the set is
//                    the design master's identity, shared by every replica made from it.
//   MSysReplicaRows  (Guid, TableName, RowKey, Versions, Dirty): one row per row of a
//                    replicated table, ever. RowKey is the row's rowid, NULL once the row is
//                    deleted (a tombstone, so the deletion travels too). Versions is the
//                    row's version vector "REPLICA:COUNT;..." sorted by replica. Dirty marks a
//                    row changed here since the vector last counted it.
//   MSysReplica_T_i/_u/_d   triggers on each replicated table T that keep the rows current.
//
// Settle() counts the dirty rows into their vectors and finds changes that bypassed the
// triggers (rows without bookkeeping, bookkeeping without rows), so the vectors are right
// however the file was changed.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

inline constexpr const char* kReplicaTable = "MSysReplica";
inline constexpr const char* kReplicaRowsTable = "MSysReplicaRows";

using VersionVector = std::map<std::string, long long>;

VersionVector ParseVersions(const std::string& text);
std::string VersionsText(const VersionVector& versions);
// Each replica's highest count.
VersionVector MergeVersions(const VersionVector& a, const VersionVector& b);
// Every count of `a` is at least that of `b`.
bool Dominates(const VersionVector& a, const VersionVector& b);
long long EditCount(const VersionVector& versions);

struct ReplicaIdentity {
    std::string replicaId;
    std::string replicaSet;
    bool designMaster = false;
};

// A new random identity, 32 hex digits.
std::string NewReplicaGuid();

bool IsReplicable(Handle& handle, const std::string& schema);
// Throws err::kNotSupported, naming `file`, when the schema holds no replicable database.
ReplicaIdentity ReadReplicaIdentity(Handle& handle, const std::string& schema,
                                    const std::string& file);
void WriteReplicaIdentity(Handle& handle, const std::string& schema,
                          const ReplicaIdentity& identity, const std::string& description);

// Makes the main database of `handle` a design master (call inside a transaction). Throws
// err::kNotSupported for a table without rowid, whose rows have no stable key.
void MakeReplicable(Handle& handle);

// The user tables of the schema that take part in replication (not system, not kept local).
std::vector<std::string> ReplicatedTables(Handle& handle, const std::string& schema);
// True when the table's property "KeepLocal" is "T".
bool KeptLocal(Handle& handle, const std::string& schema, const std::string& table);
// Writes a table property into the schema's MSysProperties.
void PutTableProperty(Handle& handle, const std::string& schema, const std::string& table,
                      const std::string& name, const std::string& value);

// Brings the vectors of the schema's rows up to date for `replicaId` (inside a transaction).
void Settle(Handle& handle, const std::string& schema, const std::string& replicaId);

// The triggers of one replicated table.
void CreateReplicaTriggers(Handle& handle, const std::string& schema, const std::string& table);

// The column names of a table in the schema, in order.
std::vector<std::string> TableColumns(Handle& handle, const std::string& schema,
                                      const std::string& table);

}  // namespace tessel::db::sqlite
