// The statement runner's connection to a SQLite file.
#pragma once

#include <memory>
#include <string>

#include "core/platform/engine.h"
#include "core/platform/sqlite/handle.h"

namespace tessel::platform::sqlite {

std::unique_ptr<StatementConnection> MakeStatementConnection(std::shared_ptr<Handle> handle,
                                                             std::string connectionString);

}  // namespace tessel::platform::sqlite
