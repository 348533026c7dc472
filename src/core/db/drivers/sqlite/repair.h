// Repairing a damaged SQLite file: what can still be read (the schema, then each table's rows
// up to the first unreadable one, then indexes, views and triggers) is copied into a new file,
// the damaged original is kept as NAME.bak (NAME.bak1, ... when that exists), and the new file
// takes the original's name. A sound file is left as it is.
#pragma once

#include <string>

namespace tessel::db::sqlite {

void RepairDatabaseFile(const std::string& path);

}  // namespace tessel::db::sqlite
