// The rows of one SQLite statement, streamed: each Next() steps SQLite once and Get() points
// into SQLite's own buffers, so a result of any size costs one row of memory.
#pragma once

#include <memory>
#include <vector>

#include "core/db/engine.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

// Runs the prepared statement up to its first row (so that failures surface at once) and
// returns its cursor; a statement without result columns runs to its end.
std::unique_ptr<Cursor> RunStatement(Statement statement);

// Names, declared types, type codes and sizes of a prepared statement's result columns; a
// column without a declared type takes its type from the current row when `onRow`.
std::vector<ColumnInfo> DescribeColumns(Statement& statement, bool onRow);

// A cursor over no rows that reports how many rows a statement changed.
std::unique_ptr<Cursor> ChangedRowsCursor(long recordsAffected);

}  // namespace tessel::db::sqlite
