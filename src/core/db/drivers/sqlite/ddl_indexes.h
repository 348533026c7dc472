// Jet indexes on SQLite: every Jet index (from CREATE INDEX or from a PRIMARY KEY, UNIQUE or
// FOREIGN KEY constraint) is a SQLite index with a name unique in the file, and a metadata row
// that keeps the Jet name (unique per table only) and the flags.
//   PRIMARY       unique index, Primary and Required flags, Nulls refused by guard triggers
//   DISALLOW NULL index with the Required flag, Nulls refused by guard triggers
//   IGNORE NULL   partial index WHERE every field IS NOT NULL
//   foreign key   plain index on the referencing fields, Foreign flag
#pragma once

#include <string>
#include <vector>

#include "core/db/drivers/sqlite/schema_reader.h"
#include "core/db/jetsql/ddl_statement.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

struct IndexSpec {
    std::string name;
    std::vector<jetsql::IndexColumn> columns;
    bool unique = false;
    bool primary = false;
    bool required = false;
    bool ignoreNulls = false;
    bool foreign = false;
    std::string referencedTable;
    std::string referencedFields;
};

// Checks and makes the index (inside the caller's transaction); the caller rebuilds the
// table's triggers afterwards.
void MakeIndex(Handle& handle, const std::string& table, const IndexSpec& indexSpec);

// The index of that Jet name; throws err::kItemNotFound when the table has none.
IndexDetail FindIndex(SchemaReader& reader, const std::string& table, const std::string& name);

struct TableIndex {
    std::string table;
    IndexDetail index;
};

// Every index of that Jet name, in every table (Jet names are unique per table only).
std::vector<TableIndex> IndexesNamed(SchemaReader& reader, const std::string& name);

// Removes an index that is not part of a relationship (inside the caller's transaction).
void RemoveIndex(Handle& handle, const std::string& table, const IndexDetail& index);

// What a CREATE INDEX statement asks for.
IndexSpec SpecOf(const jetsql::CreateIndex& create);

}  // namespace tessel::db::sqlite
