// Where whole-file operations write: a temporary name beside the destination, the check that a
// destination can be made, and the move into place that never replaces an existing file.
#pragma once

#include <string>

namespace tessel::db::sqlite {

// Throws err::kBadPath when the directory of `path` does not exist and err::kDatabaseExists
// when `path` exists.
void CheckNewFilePlace(const std::string& path);

// A name in the directory of `path` that no file has.
std::string TemporaryNameBeside(const std::string& path);

// Gives the finished temporary file its final name; fails (and removes the temporary file)
// when `path` exists by then.
void PublishNewFile(const std::string& temporary, const std::string& path);

// Removes a temporary file and its journal, ignoring errors.
void RemoveTemporary(const std::string& temporary);

}  // namespace tessel::db::sqlite
