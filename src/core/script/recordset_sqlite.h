// Private to the recordset file writer and reader: owning handles for the SQLite file that
// holds a recordset, and the error that names the file when SQLite refuses something.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "core/db/errors.h"

namespace tessel::recordset_sqlite {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using DatabaseHandle = std::unique_ptr<sqlite3, CloseDatabase>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// "Cannot <action> the recordset file <path>: <SQLite's message>."
db::EngineError FileError(const std::string& action, const std::string& path, sqlite3* db,
                          int code);

DatabaseHandle Open(const std::string& path, int flags, const std::string& action,
                    const std::string& shownPath);
StatementHandle Prepare(sqlite3* db, const std::string& sql, const std::string& action,
                        const std::string& shownPath);
void Execute(sqlite3* db, const std::string& sql, const std::string& action,
             const std::string& shownPath);

// A name for the row number that no column of the table hides ("rowid", "_rowid_" or "oid").
std::string RowNumberName(const std::vector<std::string>& tableColumns);

}  // namespace tessel::recordset_sqlite
