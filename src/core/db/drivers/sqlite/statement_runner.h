// Runs one Jet SQL statement on a SQLite file: DDL goes through the Jet DDL translation (with
// its metadata), other statements through the DML rewrites and then to SQLite.
#pragma once

#include <memory>
#include <string>

#include "core/db/engine.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

std::unique_ptr<Cursor> ExecuteJetStatement(Handle& handle, const std::string& statement);

}  // namespace tessel::db::sqlite
