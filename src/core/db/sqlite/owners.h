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

// Opens `path` with extended result codes and SQLite's defensive settings (no trusted schema,
// no writes to the schema table). Returns SQLite's result; on failure `connection` still holds
// what SQLite gave back (possibly null), so that its message can be read. `vfs` names SQLite's
// file layer, null for the default.
int OpenConnection(const std::string& path, int flags, Connection& connection,
                   const char* vfs = nullptr);

// Lets a read-only connection read a file shorter than its header says and a schema that does
// not parse, which the defensive setting forbids. Only for salvaging a damaged file: the
// connection must be read-only, so that nothing it runs can write.
int AllowReadingPastDamage(sqlite3* db);

// Prepares the first statement of `sql`; returns SQLite's result.
int PrepareStatement(sqlite3* db, std::string_view sql, PreparedStatement& statement);

}  // namespace tessel::db::sqlite
