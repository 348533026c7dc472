// Carries out a parsed Jet data definition statement on a SQLite file: the SQLite schema
// change, the metadata that describes it, and the triggers it needs, in one transaction.
#pragma once

#include "core/platform/jetsql/ddl_statement.h"
#include "core/platform/sqlite/handle.h"

namespace tessel::platform::sqlite {

void ExecuteDdl(Handle& handle, const jetsql::DdlStatement& statement);

}  // namespace tessel::platform::sqlite
