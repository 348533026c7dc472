// Whole-file operations on SQLite databases: creating and compacting (repairing is in
// repair.h). Each one writes a new file under a temporary name beside its destination and moves
// it into place only when it is complete, so that a failure never leaves a half-written
// database.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/db/sqlite/page_cipher.h"

namespace tessel::db::sqlite {

// A new, empty database whose Version reads `version`; encrypted with a key derived from
// `password` when it is not empty. Fails when the file exists or its directory is missing.
void CreateDatabaseFile(const std::string& path, const std::string& version,
                        const std::string& password);

// Copies `source` into the new file `destination` without free space; `options` may name a
// new format (dbformat values), 0 keeps the source's version, and dbformat::kEncrypt or
// kDecrypt choose whether the copy is encrypted (see Engine::CompactDatabase).
// `password`, when given, replaces the copy's password ("" removes it). `sourceKey` is the
// key of an encrypted source (null for a plain one).
void CompactDatabaseFile(const std::string& source, const std::string& destination, int options,
                         const std::optional<std::string>& password,
                         const std::shared_ptr<const crypt::FileKey>& sourceKey);

}  // namespace tessel::db::sqlite
