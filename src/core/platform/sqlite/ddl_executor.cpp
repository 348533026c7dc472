#include "core/platform/sqlite/ddl_executor.h"

#include "core/platform/sqlite/ddl_indexes.h"
#include "core/platform/sqlite/ddl_support.h"
#include "core/platform/sqlite/ddl_tables.h"
#include "core/platform/sqlite/renames.h"
#include "core/platform/sqlite/table_triggers.h"

namespace tessel::platform::sqlite {
namespace {

using namespace jetsql;

void Run(Handle& handle, const CreateIndex& create) {
    RequireWritable(handle);
    SchemaReader reader(handle);
    const std::string table = RequireDdlTable(reader, create.table).name;
    CheckObjectName(create.name);
    handle.InTransaction([&] {
        MakeIndex(handle, table, SpecOf(create));
        RebuildTableTriggers(handle, table);
        MetadataStore store(handle);
        StampTable(store, table, false);
    });
}

// The one table with an index of that Jet name, for DROP INDEX without ON.
std::string TableOfIndex(Handle& handle, const std::string& index) {
    SchemaReader reader(handle);
    std::vector<std::string> tables;
    for (const auto& table : reader.Objects("table")) {
        for (const auto& detail : reader.Indexes(table.name)) {
            if (SameName(detail.info.name, index))
                tables.push_back(table.name);
        }
    }
    if (tables.empty())
        ThrowNotInCollection("no table has an index named '" + index + "'");
    if (tables.size() > 1) {
        throw EngineError(err::kSyntaxError, "More than one table has an index named '" + index +
                                                 "'; name the table with DROP INDEX " + index +
                                                 " ON table.");
    }
    return tables.front();
}

void RemoveNamedIndex(Handle& handle, const std::string& tableName, const std::string& name,
                      bool asConstraint) {
    RequireWritable(handle);
    SchemaReader reader(handle);
    const std::string table = RequireDdlTable(reader, tableName).name;
    const IndexDetail index = FindIndex(reader, table, name);
    if (index.info.foreign) {
        throw EngineError(asConstraint ? err::kNotSupported : err::kInRelationship,
                          asConstraint ? "Removing the relationship '" + index.info.name +
                                             "' of table '" + table + "' is not supported yet."
                                       : "The index '" + index.info.name + "' of table '" + table +
                                             "' belongs to a relationship; remove it with ALTER "
                                             "TABLE " +
                                             table + " DROP CONSTRAINT " + index.info.name + ".");
    }
    handle.InTransaction([&] {
        RemoveIndex(handle, table, index);
        RebuildTableTriggers(handle, table);
        MetadataStore store(handle);
        StampTable(store, table, false);
    });
}

void Run(Handle& handle, const DropIndex& drop) {
    const std::string table = drop.table.empty() ? TableOfIndex(handle, drop.name) : drop.table;
    RemoveNamedIndex(handle, table, drop.name, false);
}

void Run(Handle& handle, const AddConstraint& add) {
    const Constraint& constraint = add.constraint;
    if (constraint.kind != ConstraintKind::PrimaryKey &&
        constraint.kind != ConstraintKind::Unique) {
        throw EngineError(err::kNotSupported,
                          "Adding a relationship, a NOT NULL or a CHECK constraint to the existing "
                          "table '" +
                              add.table + "' is not supported yet.");
    }
    CreateIndex create;
    create.table = add.table;
    create.columns = constraint.columns;
    create.primary = constraint.kind == ConstraintKind::PrimaryKey;
    create.unique = true;
    create.name = !constraint.name.empty() ? constraint.name
                  : create.primary         ? std::string("PrimaryKey")
                                           : constraint.columns.front().name;
    Run(handle, create);
}

}  // namespace

void ExecuteDdl(Handle& handle, const DdlStatement& statement) {
    std::visit(
        [&](const auto& ddl) {
            using T = std::decay_t<decltype(ddl)>;
            if constexpr (std::is_same_v<T, CreateTable>) {
                CreateTableFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, DropTable>) {
                DropTableFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, AddColumn>) {
                AddColumnFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, DropColumn>) {
                DropColumnFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, DropConstraint>) {
                RemoveNamedIndex(handle, ddl.table, ddl.name, true);
            } else if constexpr (std::is_same_v<T, AlterColumn>) {
                throw EngineError(err::kNotSupported, "Changing the type of field '" +
                                                          ddl.column.name + "' of table '" +
                                                          ddl.table +
                                                          "' (ALTER COLUMN) is not supported yet.");
            } else if constexpr (std::is_same_v<T, RenameTableTo>) {
                RenameTable(handle, ddl.table, ddl.to);
            } else if constexpr (std::is_same_v<T, RenameColumnTo>) {
                RenameField(handle, ddl.table, ddl.column, ddl.to);
            } else {
                Run(handle, ddl);
            }
        },
        statement);
}

}  // namespace tessel::platform::sqlite
