// Data definition against a TableStore: CREATE TABLE and DROP TABLE in the Jet dialect become
// the store's own CreateTable and DropTable. What a store cannot keep (indexes made later,
// altered columns, defaults, checks, relationships) is refused with err::kNotSupported and a
// sentence that says what to do instead.
#pragma once

#include "core/db/jetsql/ddl_statement.h"
#include "core/db/table_store.h"

namespace tessel::db::vtab {

void ExecuteStoreDdl(TableStore& store, const jetsql::DdlStatement& statement);

}  // namespace tessel::db::vtab
