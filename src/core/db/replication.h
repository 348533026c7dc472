// Replication of single-file databases: design masters, replicas and the exchange of row
// changes between two members of one replica set.
//
// A file becomes replicable when its database property "Replicable" is created with the value
// "T" (Database::CreateProperty). From then on every row of its tables carries a stable
// identity and a version vector in hidden tables, kept current by triggers that every SQLite
// program fires, and checked again at each exchange for changes that bypassed them. Tables
// whose property "KeepLocal" is "T" take no part: a replica is made without them and an
// exchange leaves them alone. An exchange runs in one transaction over both files, so a crash
// leaves both as they were or both exchanged. Rows changed in both files since they last
// agreed are a conflict: the change with more edits behind it wins (on a tie, the file whose
// replica identity sorts first), and the losing row is kept in the table "NAME_Conflict" of
// each file the exchange writes.
#pragma once

#include <string>

#include "core/db/engine.h"

namespace tessel::db {

// The exchange constants of Synchronize.
namespace exchange {
inline constexpr int kSend = 1;     // the opened database's changes go to the target
inline constexpr int kReceive = 2;  // the target's changes come into the opened database
inline constexpr int kBoth = 4;
}  // namespace exchange

// Adds a user-defined property to a table of an opened single-file database. Throws
// err::kDuplicateName when the table has it, err::kItemNotFound when there is no such table,
// err::kNotSupported for other kinds of database.
void CreateTableProperty(Database& database, const std::string& table, const std::string& name,
                         int type, const Value& value);

// Writes a new replica of the replicable `database` to the file `replica`, which must not
// exist, without the tables kept local. Throws err::kNotSupported when the database is not
// replicable.
void MakeReplica(Database& database, const std::string& replica, const std::string& description);

// Exchanges the row changes between the opened `database` and the file `target` (another member
// of its replica set) in the direction `exchangeKind`. The target is opened with the password
// of the database's connect text. Returns the number of rows written and conflicts recorded.
struct SyncResult {
    long rowsWritten = 0;
    long conflicts = 0;
};
SyncResult Synchronize(Database& database, const std::string& target, int exchangeKind);

}  // namespace tessel::db
