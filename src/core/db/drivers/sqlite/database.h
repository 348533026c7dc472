// The Database object of the single-file default driver: a SQLite file seen at the Jet level.
// Opening it is cheap: it borrows a pooled handle and reads structure only when asked.
#pragma once

#include <memory>
#include <string>

#include "core/db/engine.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

std::unique_ptr<Database> MakeDatabase(std::shared_ptr<Handle> handle, std::string name,
                                       std::string connect);

// "1.1", "2.0" or "3.0" for a dbformat option; throws for other values.
std::string VersionForFormat(int options);

// Writes the Version property of a new file.
void WriteVersion(Handle& handle, const std::string& version);

}  // namespace tessel::db::sqlite
