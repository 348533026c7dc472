// The statement runner's connection to a SQLite file.
#pragma once

#include <memory>
#include <string>

#include "core/db/engine.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

std::unique_ptr<StatementConnection> MakeStatementConnection(std::shared_ptr<Handle> handle,
                                                             std::string connectionString);

}  // namespace tessel::db::sqlite
