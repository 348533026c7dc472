// Comparing and classifying object names as the engine does: SQLite compares identifiers
// without regard to ASCII case, and tables whose names begin with "MSys" or "sqlite_" are
// system objects.
#pragma once

#include <string>
#include <string_view>

namespace tessel::db {

bool SameName(std::string_view a, std::string_view b);
bool IsSystemTableName(std::string_view name);

}  // namespace tessel::db
