// Changing what SQLite's ALTER TABLE cannot (a field's type, relationships, checks, NOT NULL):
// the table is made again under a temporary name from its new definition, its rows copied, the
// old table dropped and the new one renamed, and its indexes and triggers made again, in one
// transaction. Foreign keys are off for the swap and checked for the table afterwards.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/db/jetsql/ddl_statement.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

// The table's current definition as SQLite keeps it; throws err::kNotSupported when it uses
// what the engine cannot rewrite.
jetsql::CreateTable StoredDefinition(Handle& handle, const std::string& table);

// SQLite text of a field definition with its constraints written inline.
std::string InlineColumnSql(const jetsql::ColumnDefinition& column);

// SQLite text of a table definition with every constraint written inline.
std::string InlineTableSql(const std::string& name, const jetsql::CreateTable& definition);

struct RebuildPlan {
    std::string table;
    jetsql::CreateTable definition;
    // New field <- old field, for the fields whose rows are copied.
    std::vector<std::pair<std::string, std::string>> copies;
};

// Must run outside any transaction. `inside` runs in the same transaction after the swap.
void RebuildTable(Handle& handle, const RebuildPlan& plan, const std::function<void()>& inside);

}  // namespace tessel::db::sqlite
