// Turns SQLite failures into engine errors: the number the program branches on, our own clear
// sentence that includes SQLite's message, and SQLite's diagnostics as the error list.
#pragma once

#include <sqlite3.h>

#include <string>

#include "core/db/errors.h"

namespace tessel::db::sqlite {

inline constexpr const char* kSqliteSource = "SQLite";

// What SQLite said about its last failure: the extended result code, its message and, for a
// failure of the system (a file that cannot be opened, read or written), the errno.
struct SqliteFailure {
    int code = 0;
    std::string message;
    int systemError = 0;
};
SqliteFailure ReadFailure(sqlite3* db, int rc);

// The number the program branches on, the same for every user of SQLite: the errno, when there
// is one, tells a file that cannot be opened is missing (76) or refused (70).
long SqliteErrorNumber(int rc, const std::string& message, int systemError);

// `rc` is the extended result code, `message` SQLite's text, `file` the database file.
EngineError MapSqliteError(int rc, const std::string& message, const std::string& file,
                           int systemError = 0);
// The failure of the handle's last call (`db` may be null when opening failed).
EngineError MapSqliteError(sqlite3* db, int rc, const std::string& file);

// The damaged-database error (err::kUnreadableDatabase) for damage that the program finds
// itself; `why` says what is wrong.
EngineError DamagedDatabase(const std::string& file, const std::string& why);

// Reads the error of the handle's last call.
[[noreturn]] void ThrowSqliteError(sqlite3* db, int rc, const std::string& file);

}  // namespace tessel::db::sqlite
