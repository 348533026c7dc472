// The database password of a single-file database, as the classic engine has it: a gate that
// OpenDatabase checks against the connect text's ";pwd=" part (the last one counts). It is kept
// as a salted SHA-256 digest in the metadata; like the classic engine's, it does not encrypt the
// file.
#pragma once

#include <string>

#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

// Sets the password; an empty one removes it.
void SetDatabasePassword(Handle& handle, const std::string& password);

// Throws err::kBadPassword when the database has a password and `connect` does not give it.
void CheckDatabasePassword(Handle& handle, const std::string& connect);

}  // namespace tessel::db::sqlite
