// Looks at a database file before SQLite opens it, so that a person gets a clear error for a
// missing file, a directory, a file of another kind, a genuine Jet/ACE file or a truncated
// database. Reads at most the first 100 bytes; never writes.
#pragma once

#include <string>

namespace tessel::db::sqlite {

enum class FileKind { Sqlite, Jet };

// Returns the kind of a readable database file; throws EngineError otherwise. With
// `acceptDamage`, a SQLite file whose header does not match its length passes too (for repair).
FileKind ProbeDatabaseFile(const std::string& path, bool acceptDamage = false);

// Throws the error for a Jet/ACE file whose reader is not available.
[[noreturn]] void ThrowJetReaderMissing(const std::string& path);

}  // namespace tessel::db::sqlite
