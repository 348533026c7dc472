// Small pieces shared by the DDL translation: checks, names, dates and references.
#pragma once

#include <string>
#include <vector>

#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/drivers/sqlite/schema_reader.h"
#include "core/db/jetsql/ddl_statement.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

// Throws err::kReadOnly for a read-only handle.
void RequireWritable(Handle& handle);

// The current local time as ISO text, for DateCreated and LastUpdated.
std::string LocalTimeText();

// Sets the table's LastUpdated (and DateCreated when `created`).
void StampTable(MetadataStore& store, const std::string& table, bool created);

// `base`, or `base` with a number, so that no table, index, view or trigger has that name.
std::string FreeSchemaName(Handle& handle, const std::string& base);

// A SQLite index name for a Jet index of a table, unique in the file.
std::string NewPhysicalIndexName(Handle& handle, const std::string& table,
                                 const std::string& jetName);

// "+A;-B" for index columns.
std::string FieldsText(const std::vector<jetsql::IndexColumn>& columns);

// The field names of a "+A;-B" text, without their signs.
std::vector<std::string> IndexFieldNames(const std::string& fields);

// ("A" DESC, "B") for CREATE INDEX.
std::string IndexColumnList(const std::vector<jetsql::IndexColumn>& columns);

// A foreign key of another table that points at `table`.
struct Reference {
    std::string table;   // the referencing table
    std::string parent;  // `table`
    std::vector<std::string> from;
    std::vector<std::string> to;
};

// The foreign keys of every table that point at `table` (its own included).
std::vector<Reference> ReferencesTo(Handle& handle, const std::string& table);

// The table named in a DDL statement; throws err::kTableNotFound naming it when missing.
SchemaObject RequireDdlTable(SchemaReader& reader, const std::string& table);

}  // namespace tessel::db::sqlite
