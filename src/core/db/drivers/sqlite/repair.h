// Repairing a damaged SQLite file: what can still be read (the schema, then each table's rows
// around its unreadable pages, then indexes, views and triggers) is copied into a new file,
// the damaged original is kept as NAME.bak (NAME.bak1, ... when that exists), and the new file
// takes the original's name. A sound file is left as it is.
//
// A stored definition is run only when it is a single CREATE statement of its object's kind:
// anything else in the file is left out, never run.
#pragma once

#include <string>
#include <vector>

namespace tessel::db::sqlite {

// Returns nothing for a sound file (left as it is); else, for the status text, a note per table
// ("'NAME': 95 of 100 rows saved") followed by the objects left out ("left out 'NAME' (why)").
std::vector<std::string> RepairDatabaseFile(const std::string& path);

}  // namespace tessel::db::sqlite
