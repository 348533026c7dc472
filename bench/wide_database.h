// A database of many tables with fields of several types and three indexes of different forms
// each: what the schema generator and the generated script are measured on.
#pragma once

#include <string>

#include "core/session/session.h"

namespace tessel::bench {

inline constexpr int kWideTables = 1000;
inline constexpr int kWideFieldsPerTable = 10;

// Makes the database at `path` (which must not exist) through the session's engine.
void MakeWideDatabase(Session& session, const std::string& path, int tables = kWideTables);

}  // namespace tessel::bench
