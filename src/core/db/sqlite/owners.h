// The owners of SQLite's raw objects, which every user of SQLite builds on: a connection closes
// and a prepared statement is finalized when its owner goes.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>

namespace tessel::db::sqlite {

struct CloseConnection {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, CloseConnection>;
using PreparedStatement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// Opens `path` with extended result codes. Returns SQLite's result; on failure `connection`
// still holds what SQLite gave back (possibly null), so that its message can be read.
int OpenConnection(const std::string& path, int flags, Connection& connection);

// Prepares the first statement of `sql`; returns SQLite's result.
int PrepareStatement(sqlite3* db, std::string_view sql, PreparedStatement& statement);

}  // namespace tessel::db::sqlite
