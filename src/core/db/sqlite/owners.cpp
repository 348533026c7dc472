#include "core/db/sqlite/owners.h"

#include <limits>

namespace tessel::db::sqlite {

namespace {

int SetFlag(sqlite3* db, int option, int value) {
    return sqlite3_db_config(db, option, value, static_cast<int*>(nullptr));
}

}  // namespace

int OpenConnection(const std::string& path, int flags, Connection& connection, const char* vfs) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, flags, vfs);
    connection.reset(raw);
    if (raw == nullptr)
        return rc;
    sqlite3_extended_result_codes(raw, 1);
    // A file is data, never code: its views and triggers may call only functions marked
    // innocuous, and no statement may write the schema table or switch off the journal.
    if (rc == SQLITE_OK)
        rc = SetFlag(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0);
    if (rc == SQLITE_OK)
        rc = SetFlag(raw, SQLITE_DBCONFIG_DEFENSIVE, 1);
    return rc;
}

int AllowReadingPastDamage(sqlite3* db) {
    int rc = SetFlag(db, SQLITE_DBCONFIG_DEFENSIVE, 0);
    if (rc == SQLITE_OK)
        rc = SetFlag(db, SQLITE_DBCONFIG_WRITABLE_SCHEMA, 1);
    return rc;
}

int PrepareStatement(sqlite3* db, std::string_view sql, PreparedStatement& statement) {
    sqlite3_stmt* raw = nullptr;
    // A length beyond int would turn negative, and SQLite would then read up to a NUL that a
    // view need not have.
    if (sql.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        statement.reset();
        return SQLITE_TOOBIG;
    }
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
    statement.reset(raw);
    return rc;
}

}  // namespace tessel::db::sqlite
