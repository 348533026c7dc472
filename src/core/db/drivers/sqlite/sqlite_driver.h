// The single-file default: databases kept as SQLite files, read and written with the full Jet
// dialect, passwords, compaction and repair.
#pragma once

#include <memory>

#include "core/db/driver.h"

namespace tessel::db::sqlite {

std::unique_ptr<Driver> MakeSqliteDriver();

}  // namespace tessel::db::sqlite
