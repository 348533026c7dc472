// Runs one Jet SQL statement on a SQLite file: DDL goes through the Jet DDL translation (with
// its metadata), other statements through the DML rewrites and then to SQLite.
#pragma once

#include <memory>
#include <string>

#include "core/platform/engine.h"
#include "core/platform/sqlite/handle.h"

namespace tessel::platform::sqlite {

std::unique_ptr<Cursor> ExecuteJetStatement(Handle& handle, const std::string& statement);

}  // namespace tessel::platform::sqlite
