// Data definition against a TableStore: CREATE and DROP of tables and indexes and ALTER TABLE
// ADD and DROP COLUMN in the Jet dialect become the store's own calls, which a store may refuse.
// What no store keeps (defaults, checks, relationships, AutoNumber fields, other ALTERs) is
// refused with err::kNotSupported and a sentence that says what to do instead.
#pragma once

#include "core/db/jetsql/ddl_statement.h"
#include "core/db/table_store.h"

namespace tessel::db::vtab {

void ExecuteStoreDdl(TableStore& store, const jetsql::DdlStatement& statement);

// The table whose fields the statement changed, for the connection to declare it again; empty
// when the statement changed no table's fields.
std::string TableWithChangedFields(const jetsql::DdlStatement& statement);

}  // namespace tessel::db::vtab
