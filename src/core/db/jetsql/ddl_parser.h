// Parses the Jet data definition statements that the engine translates itself. Other
// statements (CREATE VIEW, CREATE TRIGGER, CREATE TEMP TABLE, CREATE TABLE ... AS SELECT, ...)
// are not claimed and go to SQLite as they are.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/db/jetsql/ddl_statement.h"
#include "core/db/jetsql/tokenizer.h"

namespace tessel::db::jetsql {

// Nothing when the statement is not one of ours; throws EngineError (err::kSyntaxError) for a
// malformed one.
std::optional<DdlStatement> ParseDdl(std::string_view text, const std::vector<Token>& tokens);

// The name of the object that a CREATE statement left to SQLite makes (CREATE VIEW, CREATE
// TRIGGER, CREATE TEMP TABLE, CREATE TABLE ... AS SELECT, CREATE INDEX IF NOT EXISTS, ...),
// without its schema; nothing for any other statement.
std::optional<std::string> CreatedObjectName(const std::vector<Token>& tokens);

// A table's definition as SQLite keeps it (sqlite_master.sql), with types and expressions as
// written; nothing when it uses what this parser does not know.
std::optional<CreateTable> ParseStoredTable(std::string_view sql);

}  // namespace tessel::db::jetsql
