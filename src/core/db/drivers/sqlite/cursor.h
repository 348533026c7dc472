// Cursors over statements on a SQLite file: the generic streaming cursor (sqlite/row_cursor.h)
// with the type codes and sizes that the file's metadata keeps for its columns.
#pragma once

#include <memory>
#include <vector>

#include "core/db/engine.h"
#include "core/db/sqlite/handle.h"
#include "core/db/sqlite/row_cursor.h"

namespace tessel::db::sqlite {

// Runs the prepared statement up to its first row (so that failures surface at once) and
// returns its cursor; a statement without result columns runs to its end.
std::unique_ptr<Cursor> RunStatement(Statement statement);

// Names, declared types, type codes and sizes of a prepared statement's result columns; a
// column without a declared type takes its type from the current row when `onRow`.
std::vector<ColumnInfo> DescribeColumns(Statement& statement, bool onRow);

}  // namespace tessel::db::sqlite
