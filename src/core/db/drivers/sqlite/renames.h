// Renaming tables, queries, fields and indexes of a SQLite file, with the metadata moved in the
// same transaction. A name already taken, or one that breaks the naming rules, fails with a
// clear error and changes nothing.
#pragma once

#include <string>

#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

void RenameTable(Handle& handle, const std::string& from, const std::string& to);
void RenameQuery(Handle& handle, const std::string& from, const std::string& to);
void RenameField(Handle& handle, const std::string& table, const std::string& from,
                 const std::string& to);
void RenameIndex(Handle& handle, const std::string& table, const std::string& from,
                 const std::string& to);

}  // namespace tessel::db::sqlite
