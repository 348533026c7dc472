// The database password of older single-file databases: a gate that OpenDatabase checks
// against the connect text's ";pwd=" part (the last one counts), kept in the metadata as an
// Argon2id digest (libsodium's crypto_pwhash_str form). It does not encrypt the file; files
// given a password now are encrypted instead (page_cipher.h) and keep no digest, and these
// older files still open with theirs.
#pragma once

#include <string>

#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

// Sets the password; an empty one removes it.
void SetDatabasePassword(Handle& handle, const std::string& password);

// Throws err::kBadPassword when the database has a password and `connect` does not give it,
// and err::kReserved when the stored digest is damaged, so that no password can be checked.
// A digest of the older salted SHA-256 form is accepted and rewritten in the current form
// (unless the file is read-only).
void CheckDatabasePassword(Handle& handle, const std::string& connect);

}  // namespace tessel::db::sqlite
