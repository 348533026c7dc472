// The stored definition of one schema object of a file that is being repaired, checked before
// it is run: a damaged or crafted file may hold any text where SQLite keeps a definition.
#pragma once

#include <sqlite3.h>

#include <string>

#include "core/db/sqlite/owners.h"

namespace tessel::db::sqlite {

struct StoredObject {
    std::string type;  // "table", "index", "view" or "trigger", as the schema table says
    std::string name;
    std::string sql;
};

// Prepares `object.sql` on `target` when it is exactly one CREATE statement of the object's own
// kind and name; otherwise returns null and sets `refusal` to why, as a phrase such as "its
// stored definition is not a single CREATE TABLE statement".
PreparedStatement PrepareStoredDefinition(sqlite3* target, const StoredObject& object,
                                          std::string& refusal);

}  // namespace tessel::db::sqlite
