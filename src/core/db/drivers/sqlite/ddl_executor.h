// Carries out a parsed Jet data definition statement on a SQLite file: the SQLite schema
// change, the metadata that describes it, and the triggers it needs, in one transaction.
#pragma once

#include "core/db/jetsql/ddl_statement.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

void ExecuteDdl(Handle& handle, const jetsql::DdlStatement& statement);

}  // namespace tessel::db::sqlite
