// Salvaging one table's rows out of a damaged SQLite file into a new one.
//
// Rows are read in rowid order. When a read fails (an unreadable page), the rows behind it are
// still reached where SQLite can seek to them: the smallest rowid from which reading works
// again is found by probing ever larger steps and then halving back, so that only the rows of
// the unreadable pages are lost. A table without rowids is read up to its first unreadable row.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

struct SalvagedRows {
    std::int64_t saved = 0;
    // How many rows the table had, as far as any readable path (the table or one of its
    // indexes) can still count them; nothing when none can.
    std::optional<std::int64_t> total;
};

// Copies the rows of `table` from `source` into the table of the same name in `target`. A row
// the new table refuses (it breaks a constraint) is skipped.
SalvagedRows SalvageRows(Handle& source, Handle& target, const std::string& table);

}  // namespace tessel::db::sqlite
