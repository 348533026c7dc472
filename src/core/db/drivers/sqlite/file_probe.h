// Looks at a database file before SQLite opens it, so that a person gets a clear error for a
// missing file, a directory, a file of another kind, a genuine Jet/ACE file or a truncated
// database. Reads at most the first 100 bytes; never writes. An encrypted file shows only its
// page size and salt: the rest waits for its key.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "core/db/sqlite/page_cipher.h"

namespace tessel::db::sqlite {

// Encrypted: a SQLite database of this program sealed with a password (page_cipher.h).
enum class FileKind { Sqlite, Encrypted, Jet };

// Which file a name stood for when it was probed.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    std::optional<crypt::Salt> salt;  // an encrypted file's
};

// Returns the kind of a readable database file; throws EngineError otherwise. With
// `acceptDamage`, a SQLite file whose header does not match its length passes too (for repair).
// `identity`, when given, receives the file's identity from the same look, so that callers need
// not ask the system again.
FileKind ProbeDatabaseFile(const std::string& path, bool acceptDamage = false,
                           FileIdentity* identity = nullptr);

// Whether a SQLite file's first 100 bytes agree with its length, as the probe requires of a
// file it lets pass (page size, whole pages, no truncation).
bool SqliteHeaderFitsLength(const unsigned char* header, long long size);

// Throws the error for a Jet/ACE file whose reader is not available.
[[noreturn]] void ThrowJetReaderMissing(const std::string& path);

}  // namespace tessel::db::sqlite
