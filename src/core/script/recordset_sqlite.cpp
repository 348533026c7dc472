#include "core/script/recordset_sqlite.h"

#include <cerrno>

#include "core/db/names.h"
#include "core/session/standard_error.h"

namespace tessel::recordset_sqlite {

namespace {

// The number a caller can branch on: from the system's own error where SQLite reports one (a
// file that cannot be opened may be missing, refused or on a full disk).
long NumberFor(sqlite3* db, int code) {
    const int systemError = db != nullptr ? sqlite3_system_errno(db) : 0;
    if (systemError == EACCES || systemError == EPERM || systemError == EROFS) {
        return db::err::kPermissionDenied;
    }
    if (systemError == ENOENT || systemError == ENOTDIR)
        return db::err::kPathNotFound;
    switch (code & 0xff) {
        case SQLITE_FULL:
            return db::err::kDiskFull;
        case SQLITE_PERM:
        case SQLITE_READONLY:
            return db::err::kPermissionDenied;
        case SQLITE_CANTOPEN:
            return db::err::kPathNotFound;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return db::err::kUnreadableDatabase;
        default:
            return db::err::kReserved;
    }
}

}  // namespace

db::EngineError FileError(const std::string& action, const std::string& path, sqlite3* db,
                          int code) {
    const std::string cause = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    return ProgramError(NumberFor(db, code),
                        "Cannot " + action + " the recordset file " + path + ": " + cause + ".");
}

DatabaseHandle Open(const std::string& path, int flags, const std::string& action,
                    const std::string& shownPath) {
    sqlite3* raw = nullptr;
    const int code = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    DatabaseHandle db(raw);
    if (code != SQLITE_OK)
        throw FileError(action, shownPath, raw, code);
    sqlite3_extended_result_codes(raw, 1);
    return db;
}

StatementHandle Prepare(sqlite3* db, const std::string& sql, const std::string& action,
                        const std::string& shownPath) {
    sqlite3_stmt* raw = nullptr;
    const int code =
        sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
    StatementHandle statement(raw);
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
