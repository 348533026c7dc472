// The structure of a Jet/ACE file as the engine's Database: tables with their attributes and
// attachment texts, fields, indexes, queries with their SQL, and properties. Read-only: renames
// and new properties fail with the read-only error.
#pragma once

#include <memory>
#include <string>

#include "core/db/drivers/jet/jet_file.h"
#include "core/db/engine.h"

namespace tessel::db::jet {

std::unique_ptr<Database> MakeJetDatabase(std::shared_ptr<JetFile> file, std::string connect);

}  // namespace tessel::db::jet
