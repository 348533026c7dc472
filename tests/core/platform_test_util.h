// Helpers of the engine's tests: running statements and reading rows as text.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "core/db/engine.h"
#include "support/temp_dir.h"

namespace tessel::test::platform_tests {

using Rows = std::vector<std::vector<std::string>>;

// A new database file in `dir`, created through the engine.
std::string NewDatabase(db::Engine& engine, const TempDir& dir,
                        const std::string& name = "test.mdb", int options = 32);

// The connection string the script engine uses for a single-file database.
std::string AccessConnection(const std::string& file);

// Runs statements one after the other through a fresh connection each.
void RunAll(db::Engine& engine, const std::string& file,
            const std::vector<std::string>& statements);

// All rows of a statement, each value as text ("<null>" for Null).
Rows Query(db::Engine& engine, const std::string& file, const std::string& statement);

// The remaining rows of a cursor, each value as text as Query gives it.
Rows ReadRows(db::Cursor& cursor);

// The names of a database's tables that are not system tables, in the engine's order.
std::vector<std::string> UserTables(db::Database& database);

// The number of the EngineError that `action` throws, 0 when it throws none.
template <typename Action>
long ErrorNumber(Action&& action, std::string* description = nullptr) {
    try {
        action();
    } catch (const db::EngineError& error) {
        if (description)
            *description = error.Description();
        return error.Number();
    }
    return 0;
}

}  // namespace tessel::test::platform_tests
