#include "core/db/sqlite/owners.h"

namespace tessel::db::sqlite {

int OpenConnection(const std::string& path, int flags, Connection& connection) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    connection.reset(raw);
    if (raw != nullptr)
        sqlite3_extended_result_codes(raw, 1);
    return rc;
}

int PrepareStatement(sqlite3* db, std::string_view sql, PreparedStatement& statement) {
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
    statement.reset(raw);
    return rc;
}

}  // namespace tessel::db::sqlite
