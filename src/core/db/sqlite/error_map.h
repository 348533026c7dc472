// Turns SQLite failures into engine errors: the number the program branches on, our own clear
// sentence that includes SQLite's message, and SQLite's diagnostics as the error list.
#pragma once

#include <sqlite3.h>

#include <string>

#include "core/db/errors.h"

namespace tessel::db::sqlite {

inline constexpr const char* kSqliteSource = "SQLite";

// `rc` is the extended result code, `message` SQLite's text, `file` the database file.
EngineError MapSqliteError(int rc, const std::string& message, const std::string& file);

// Reads the error of the handle's last call.
[[noreturn]] void ThrowSqliteError(sqlite3* db, int rc, const std::string& file);

}  // namespace tessel::db::sqlite
