// REINDEX with the name of a Jet index. SQLite knows each index by the name stored in its schema
// (the table's name joined to the Jet name, see ddl_indexes.h), so the name a script gives is
// mapped to the stored one, as DROP INDEX maps it.
#pragma once

#include <vector>

#include "core/db/jetsql/tokenizer.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

// Rebuilds the index when the statement is "REINDEX name" and the name is a Jet index's that
// SQLite does not know by that name (in every table that has one of that name); false when the
// statement is left to SQLite as written.
bool ReindexJetIndex(Handle& handle, const std::vector<jetsql::Token>& tokens);

}  // namespace tessel::db::sqlite
