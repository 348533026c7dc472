// Cursors over SQLite statements, for every connection that runs statements on SQLite (the
// SQLite driver's files and the adapter's virtual tables alike): rows are streamed, each
// Next() steps SQLite once and Get() points into SQLite's own buffers, so a result of any size
// costs one row of memory.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "core/db/engine.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

// Lets a driver that keeps its own type facts correct the columns described from the declared
// types (type codes and sizes of the source columns).
using ColumnRefiner = std::function<void(Statement& statement, std::vector<ColumnInfo>& columns)>;

// Names, declared types, type codes and sizes of a prepared statement's result columns, from
// the declared types alone; a column without a declared type takes its type from the current
// row when `onRow`.
std::vector<ColumnInfo> DescribeDeclaredColumns(Statement& statement, bool onRow);

// Runs the prepared statement up to its first row (so that failures surface at once) and
// returns its cursor; a statement without result columns runs to its end and reports the rows
// it changed.
std::unique_ptr<Cursor> StreamRows(Statement statement, const ColumnRefiner& refine = {});

// A cursor over no rows that reports how many rows a statement changed.
std::unique_ptr<Cursor> ChangedRowsCursor(long recordsAffected);

}  // namespace tessel::db::sqlite
