#include "support/database_rows.h"

#include <sqlite3.h>

namespace tessel::test {

std::vector<std::string> FirstColumn(const std::string& database, const std::string& sql) {
    std::vector<std::string> values;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
                values.push_back(text == nullptr ? "NULL" : text);
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return values;
}

std::string ExecuteSql(const std::string& database, const std::string& sql) {
    sqlite3* raw = nullptr;
    if (sqlite3_open(database.c_str(), &raw) != SQLITE_OK) {
        sqlite3_close(raw);
        return "cannot open " + database;
    }
    char* message = nullptr;
    const int rc = sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, &message);
    std::string text = rc == SQLITE_OK ? "" : (message ? message : "failed");
    sqlite3_free(message);
    sqlite3_close(raw);
    return text;
}

}  // namespace tessel::test
