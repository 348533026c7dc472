#include "core/script/recordset_sqlite.h"

#include "core/db/names.h"
#include "core/db/sqlite/error_map.h"
#include "core/session/standard_error.h"

namespace tessel::recordset_sqlite {

db::EngineError FileError(const std::string& action, const std::string& path, sqlite3* db,
                          int code) {
    const db::sqlite::SqliteFailure failure = db::sqlite::ReadFailure(db, code);
    return ProgramError(
        db::sqlite::SqliteErrorNumber(failure.code, failure.message, failure.systemError),
        "Cannot " + action + " the recordset file " + path + ": " + failure.message + ".");
}

db::sqlite::Connection Open(const std::string& path, int flags, const std::string& action,
                            const std::string& shownPath) {
    db::sqlite::Connection db;
    const int code = db::sqlite::OpenConnection(path, flags, db);
    if (code != SQLITE_OK)
        throw FileError(action, shownPath, db.get(), code);
    return db;
}

db::sqlite::PreparedStatement Prepare(sqlite3* db, const std::string& sql,
                                      const std::string& action, const std::string& shownPath) {
    db::sqlite::PreparedStatement statement;
    const int code = db::sqlite::PrepareStatement(db, sql, statement);
    if (code != SQLITE_OK)
        throw FileError(action, shownPath, db, code);
    return statement;
}

void Execute(sqlite3* db, const std::string& sql, const std::string& action,
             const std::string& shownPath) {
    const int code = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        throw FileError(action, shownPath, db, code);
}

std::string RowNumberName(const std::vector<std::string>& tableColumns) {
    for (const char* candidate : {"rowid", "_rowid_", "oid"}) {
        bool hidden = false;
        for (const auto& column : tableColumns)
            hidden = hidden || db::SameName(column, candidate);
        if (!hidden)
            return candidate;
    }
    return "";
}

}  // namespace tessel::recordset_sqlite
