// Private to the recordset file writer and reader: opening the SQLite file that holds a
// recordset, and the error that names the file when SQLite refuses something.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "core/db/errors.h"
#include "core/db/sqlite/owners.h"

namespace tessel::recordset_sqlite {

// "Cannot <action> the recordset file <path>: <SQLite's message>.", with the number every user
// of SQLite gives that failure.
db::EngineError FileError(const std::string& action, const std::string& path, sqlite3* db,
                          int code);

db::sqlite::Connection Open(const std::string& path, int flags, const std::string& action,
                            const std::string& shownPath);
db::sqlite::PreparedStatement Prepare(sqlite3* db, const std::string& sql,
                                      const std::string& action, const std::string& shownPath);
void Execute(sqlite3* db, const std::string& sql, const std::string& action,
             const std::string& shownPath);

// A name for the row number that no column of the table hides ("rowid", "_rowid_" or "oid").
std::string RowNumberName(const std::vector<std::string>& tableColumns);

}  // namespace tessel::recordset_sqlite
