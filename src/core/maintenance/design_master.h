// Tools > Make MDB Design Master and Tools > Replicate MDB DM copy: turning a database into a
// replication design master (with the tables the person keeps local), and writing a replica of
// a design master. Both work on a backup copy in the application's backup directory first and
// put the file back from it when they fail.
#pragma once

#include <string>
#include <vector>

#include "core/session/session.h"

namespace tessel {

// The property values these tools write (text type, "T").
inline constexpr const char* kReplicableProperty = "Replicable";
inline constexpr const char* kKeepLocalProperty = "KeepLocal";
inline constexpr const char* kReplicaDescription = "Replica of db";

void MakeDM(Session& session);
void ReplicateDM(Session& session);

// The tables of the current database that the keep-local dialog offers: every table that is
// not a system object, in collection order.
std::vector<std::string> TablesToOffer(db::Database& database);
// Gives each table "KeepLocal" = "T", first to last; a failure shows the standard error box and
// returns false (the tables before it keep their property).
bool KeepTablesLocal(Session& session, const std::vector<std::string>& tables);

}  // namespace tessel
