#include "core/db/drivers/sqlite/renames.h"

#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/drivers/sqlite/object_properties.h"
#include "core/db/drivers/sqlite/schema_reader.h"
#include "core/db/drivers/sqlite/table_rebuild.h"
#include "core/db/drivers/sqlite/table_triggers.h"
#include "core/db/jetsql/ddl_parser.h"
#include "core/db/jetsql/quote.h"
#include "core/db/jetsql/type_rules.h"
#include "core/db/names.h"

namespace tessel::db::sqlite {
namespace {

using jetsql::QuoteName;

// A table or query of that name, other than `self`, already exists.
void RefuseTakenObjectName(SchemaReader& reader, const std::string& self, const std::string& to) {
    for (const char* type : {"table", "view"}) {
        const auto found = reader.Find(to, type);
        if (found && !SameName(found->name, self)) {
            const std::string kind = std::string(type) == "table" ? "Table" : "Query";
            throw EngineError(err::kObjectExists, kind + " '" + found->name + "' already exists.");
        }
    }
}

// The checks every rename starts with; returns the table when `table` is given.
void CheckRename(Handle& handle, const std::string& to) {
    if (handle.ReadOnly()) {
        throw EngineError(err::kReadOnly, "The database '" + handle.Path() +
                                              "' is opened read-only, so nothing can be "
                                              "renamed.");
    }
    CheckObjectName(to);
}

void RefuseTakenInTable(long number, const std::string& table, const char* what,
                        const std::string& existing) {
    throw EngineError(
        number, "The table '" + table + "' already has " + what + " named '" + existing + "'.");
}

// The type rules name their table and field for the messages of refused values; after a
// rename the table is made again with the rules named anew. Inside a person's transaction a
// table cannot be rebuilt, and the old names stay in the messages only.
void RenameTypeRulesOf(Handle& handle, const std::string& table) {
    if (handle.InTransaction())
        return;
    auto definition = jetsql::ParseStoredTable(SchemaReader(handle).RequireTable(table).sql);
    if (!definition)
        return;
    RebuildPlan plan{table, std::move(*definition), {}};
    if (!jetsql::RenameTypeRules(plan.definition, table))
        return;
    for (const auto& column : plan.definition.columns)
        plan.copies.emplace_back(column.name, column.name);
    RebuildTable(handle, plan, [] {});
}

}  // namespace

void RenameTable(Handle& handle, const std::string& from, const std::string& to) {
    CheckRename(handle, to);
    SchemaReader reader(handle);
    const auto table = reader.RequireTable(from);
    if (IsSystemTableName(table.name) || IsSystemTableName(to)) {
        throw EngineError(err::kInvalidName,
                          "System tables cannot be renamed, and no table can "
                          "take a system table's name ('" +
                              to + "').");
    }
    RefuseTakenObjectName(reader, table.name, to);
    if (table.name == to)
        return;
    handle.InTransaction([&] {
        handle.Exec("ALTER TABLE " + QuoteName(table.name) + " RENAME TO " + QuoteName(to));
        MetadataStore(handle).RenameTable(table.name, to);
        RebuildTableTriggers(handle, to);
    });
    RenameTypeRulesOf(handle, to);
}

void RenameQuery(Handle& handle, const std::string& from, const std::string& to) {
    CheckRename(handle, to);
    SchemaReader reader(handle);
    const auto view = reader.RequireQuery(from);
    RefuseTakenObjectName(reader, view.name, to);
    if (view.name == to)
        return;
    const std::string body = ViewSelectText(view.sql);
    handle.InTransaction([&] {
        handle.Exec("DROP VIEW " + QuoteName(view.name));
        handle.Exec("CREATE VIEW " + QuoteName(to) + " AS " + body);
        MetadataStore(handle).RenameQuery(view.name, to);
    });
}

void RenameField(Handle& handle, const std::string& table, const std::string& from,
                 const std::string& to) {
    CheckRename(handle, to);
    SchemaReader reader(handle);
    const auto found = reader.RequireTable(table);
    std::string current;
    const auto columns = reader.Columns(found.name);
    for (const auto& column : columns) {
        if (SameName(column.field.name, from))
            current = column.field.name;
    }
    if (current.empty()) {
        ThrowNotInCollection("the table '" + found.name + "' has no field named '" + from + "'");
    }
    for (const auto& column : columns) {
        if (SameName(column.field.name, to) && !SameName(current, to)) {
            RefuseTakenInTable(err::kFieldExists, found.name, "a field", column.field.name);
        }
    }
    if (current == to)
        return;
    handle.InTransaction([&] {
        handle.Exec("ALTER TABLE " + QuoteName(found.name) + " RENAME COLUMN " +
                    QuoteName(current) + " TO " + QuoteName(to));
        MetadataStore(handle).RenameColumn(found.name, current, to);
        RebuildTableTriggers(handle, found.name);
    });
    RenameTypeRulesOf(handle, found.name);
}

void RenameIndex(Handle& handle, const std::string& table, const std::string& from,
                 const std::string& to) {
    CheckRename(handle, to);
    SchemaReader reader(handle);
    const auto found = reader.RequireTable(table);
    const auto indexes = reader.Indexes(found.name);
    const IndexDetail* current = nullptr;
    for (const auto& detail : indexes) {
        if (SameName(detail.info.name, from))
            current = &detail;
    }
    if (current == nullptr) {
        ThrowNotInCollection("the table '" + found.name + "' has no index named '" + from + "'");
    }
    for (const auto& detail : indexes) {
        if (&detail != current && SameName(detail.info.name, to)) {
            RefuseTakenInTable(err::kIndexExists, found.name, "an index", detail.info.name);
        }
    }
    if (current->info.name == to)
        return;
    // The Jet name lives in the metadata only; SQLite's own index name stays.
    handle.InTransaction([&] {
        MetadataStore store(handle);
        if (current->described) {
            store.RenameIndex(found.name, current->info.name, to);
            return;
        }
        IndexMeta meta;
        meta.name = to;
        meta.physicalName = current->physicalName;
        meta.primary = current->info.primary;
        meta.unique = current->info.unique;
        meta.ignoreNulls = current->info.ignoreNulls;
        meta.foreign = current->info.foreign;
        meta.required = current->info.required;
        store.PutIndex(found.name, meta);
    });
}

}  // namespace tessel::db::sqlite
