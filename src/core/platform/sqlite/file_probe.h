// Looks at a database file before SQLite opens it, so that a person gets a clear error for a
// missing file, a directory, a file of another kind, a genuine Jet/ACE file or a truncated
// database. Reads at most the first 100 bytes; never writes.
#pragma once

#include <string>

namespace tessel::platform::sqlite {

enum class FileKind { Sqlite, Jet };

// Returns the kind of a readable database file; throws EngineError otherwise.
FileKind ProbeDatabaseFile(const std::string& path);

// Throws the error for a Jet/ACE file whose reader is not available.
[[noreturn]] void ThrowJetReaderMissing(const std::string& path);

}  // namespace tessel::platform::sqlite
