// Comparing, classifying and checking object names as the engine does: SQLite compares
// identifiers without regard to ASCII case, tables whose names begin with "MSys" or "sqlite_" are
// system objects, and a name the engine makes or renames follows the classic naming rules.
#pragma once

#include <string>
#include <string_view>

namespace tessel::db {

bool SameName(std::string_view a, std::string_view b);
bool IsSystemTableName(std::string_view name);

// The classic naming rules: 1 to 64 characters (UTF-8 characters, not bytes), no leading blank,
// no control character (below 0x20) and none of . ! ` [ ].
bool IsValidObjectName(std::string_view name);
// Throws EngineError err::kInvalidName, with the classic engine's text, for a name that breaks
// the rules.
void CheckObjectName(std::string_view name);

}  // namespace tessel::db
