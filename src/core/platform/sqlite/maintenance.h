// Whole-file operations on SQLite databases: creating, compacting and repairing. Each one
// writes a new file under a temporary name beside its destination and moves it into place only
// when it is complete, so that a failure never leaves a half-written database.
#pragma once

#include <string>

namespace tessel::platform::sqlite {

// A new, empty database whose Version reads `version`. Fails when the file exists or its
// directory is missing.
void CreateDatabaseFile(const std::string& path, const std::string& version);

// Copies `source` into the new file `destination` without free space; `options` may name a
// new format (dbformat values), 0 keeps the source's version.
void CompactDatabaseFile(const std::string& source, const std::string& destination, int options);

// Rebuilds a damaged file from what can still be read, keeping the damaged original as
// NAME.bak (or NAME.bak1, ...). A sound file is left untouched.
void RepairDatabaseFile(const std::string& path);

}  // namespace tessel::platform::sqlite
