// Where whole-file operations write: the check that a destination can be made, and the new
// file that SQLite fills under a temporary name and that takes its final name only when whole.
#pragma once

#include <functional>
#include <string>

namespace tessel::db::sqlite {

// Throws err::kBadPath when the directory of `path` does not exist and err::kDatabaseExists
// when `path` exists.
void CheckNewFilePlace(const std::string& path);

// Creates an empty temporary file beside `path`, lets `fill` write the database into it by
// name, and gives it the name `path`, which must still be free (err::kDatabaseExists
// otherwise). Nothing is left behind on failure.
void WriteNewFile(const std::string& path, const std::function<void(const std::string&)>& fill);

// The temporary file of a whole-database rewrite; its journal goes too when it is abandoned.
void RemoveJournalOf(const std::string& temporary);

}  // namespace tessel::db::sqlite
