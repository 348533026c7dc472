// Runs a crosstab query (jetsql/crosstab.h): reads the pivot's values, from the IN list or from
// the data, then runs the SELECT with one column per value and returns its rows.
#pragma once

#include <memory>

#include "core/db/engine.h"
#include "core/db/jetsql/crosstab.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

std::unique_ptr<Cursor> RunCrosstab(Handle& handle, const jetsql::CrosstabQuery& query);

}  // namespace tessel::db::sqlite
