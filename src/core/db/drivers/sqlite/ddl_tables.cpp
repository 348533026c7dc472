#include "core/db/drivers/sqlite/ddl_tables.h"

#include "core/db/drivers/sqlite/ddl_indexes.h"
#include "core/db/drivers/sqlite/ddl_support.h"
#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/drivers/sqlite/schema_reader.h"
#include "core/db/drivers/sqlite/table_rebuild.h"
#include "core/db/drivers/sqlite/table_triggers.h"
#include "core/db/jetsql/quote.h"
#include "core/db/jetsql/type_rules.h"
#include "core/db/names.h"

namespace tessel::db::sqlite {
namespace {

using jetsql::ColumnDefinition;
using jetsql::Constraint;
using jetsql::ConstraintKind;
using jetsql::QuoteName;

std::string NameList(const std::vector<std::string>& names) {
    std::string text = "(";
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += QuoteName(names[i]);
    }
    return text + ")";
}

std::vector<std::string> ColumnNames(const Constraint& constraint) {
    std::vector<std::string> names;
    for (const auto& column : constraint.columns)
        names.push_back(column.name);
    return names;
}

std::string JoinedFields(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : ";") + name;
    return text;
}

}  // namespace

ColumnMeta ColumnMetaOf(const ColumnDefinition& column) {
    return {column.name, column.declaredType, column.type.code, column.type.size,
            jetsql::FieldAttributes(column.type.code, column.type.autoIncrement)};
}

namespace {

// The Jet name of a constraint's index: its own, or one made like the classic engine's.
std::string IndexNameFor(const Constraint& constraint, const std::string& table) {
    if (!constraint.name.empty())
        return constraint.name;
    switch (constraint.kind) {
        case ConstraintKind::PrimaryKey:
            return "PrimaryKey";
        case ConstraintKind::ForeignKey:
            return constraint.referencedTable + table;
        default:
            return constraint.columns.empty() ? "Index" : constraint.columns[0].name;
    }
}

}  // namespace

void NameConstraintIndexes(std::vector<Constraint>& constraints, const std::string& table,
                           std::vector<std::string> taken) {
    auto isTaken = [&](const std::string& name) {
        for (const auto& t : taken) {
            if (SameName(t, name))
                return true;
        }
        return false;
    };
    for (auto& constraint : constraints) {
        if (!constraint.name.empty())
            CheckObjectName(constraint.name);
        if (constraint.kind == ConstraintKind::Check ||
            constraint.kind == ConstraintKind::NotNull) {
            continue;
        }
        std::string name = IndexNameFor(constraint, table);
        if (!constraint.name.empty() && isTaken(name)) {
            throw EngineError(
                err::kIndexExists,
                "The table '" + table + "' would have two indexes named '" + name + "'.");
        }
        for (int number = 1; isTaken(name); ++number) {
            name = IndexNameFor(constraint, table) + std::to_string(number);
        }
        constraint.name = name;
        taken.push_back(name);
    }
}

namespace {

void CheckConstraintColumns(const Constraint& constraint,
                            const std::vector<ColumnDefinition>& columns,
                            const std::string& table) {
    for (const auto& wanted : constraint.columns) {
        bool found = false;
        for (const auto& column : columns)
            found = found || SameName(column.name, wanted.name);
        if (!found) {
            throw EngineError(err::kItemNotFound, "A constraint of table '" + table +
                                                      "' names the field '" + wanted.name +
                                                      "', which the table does not have.");
        }
    }
}

// The fields of a unique, non-partial index of `parent` (or of the new table's keys) equal to
// `fields` in any order.
bool HasUniqueKey(const std::vector<std::vector<std::string>>& keys,
                  const std::vector<std::string>& fields) {
    for (const auto& key : keys) {
        if (key.size() != fields.size())
            continue;
        bool all = true;
        for (const auto& field : fields) {
            bool found = false;
            for (const auto& k : key)
                found = found || SameName(k, field);
            all = all && found;
        }
        if (all)
            return true;
    }
    return false;
}

}  // namespace

IndexSpec ConstraintIndexSpec(const Constraint& constraint) {
    IndexSpec indexSpec;
    indexSpec.name = constraint.name;
    indexSpec.columns = constraint.columns;
    if (constraint.kind == ConstraintKind::ForeignKey) {
        indexSpec.foreign = true;
        indexSpec.referencedTable = constraint.referencedTable;
        indexSpec.referencedFields = JoinedFields(constraint.referencedColumns);
    } else {
        indexSpec.primary = constraint.kind == ConstraintKind::PrimaryKey;
        indexSpec.unique = true;
        indexSpec.required = indexSpec.primary;
    }
    return indexSpec;
}

std::string ForeignKeySql(Handle& handle, const std::string& table, Constraint& constraint,
                          const std::vector<Constraint>& ownKeys) {
    SchemaReader reader(handle);
    std::vector<std::vector<std::string>> keys;
    std::vector<std::string> primary;
    std::string parentName;
    if (SameName(constraint.referencedTable, table)) {
        // A relationship of a new table with itself: its own keys do not exist at that point.
        parentName = table;
        for (const auto& key : ownKeys) {
            if (key.kind != ConstraintKind::PrimaryKey && key.kind != ConstraintKind::Unique)
                continue;
            std::vector<std::string> fields;
            for (const auto& column : key.columns)
                fields.push_back(column.name);
            keys.push_back(fields);
            if (key.kind == ConstraintKind::PrimaryKey)
                primary = fields;
        }
    } else {
        const auto parent = reader.Find(constraint.referencedTable, "table");
        if (!parent) {
            throw EngineError(err::kTableNotFound,
                              "The relationship '" + constraint.name + "' refers to the table '" +
                                  constraint.referencedTable + "', which does not exist.");
        }
        parentName = parent->name;
        for (const auto& index : reader.Indexes(parent->name)) {
            if (!index.info.unique || index.info.ignoreNulls)
                continue;
            keys.push_back(IndexFieldNames(index.info.fields));
            if (index.info.primary)
                primary = keys.back();
        }
    }
    constraint.referencedTable = parentName;
    if (constraint.referencedColumns.empty())
        constraint.referencedColumns = primary;
    if (constraint.referencedColumns.size() != constraint.columns.size()) {
        throw EngineError(err::kSyntaxError,
                          "The relationship '" + constraint.name + "' of table '" + table +
                              "' names " + std::to_string(constraint.columns.size()) +
                              " field(s) but refers to " +
                              std::to_string(constraint.referencedColumns.size()) + " in table '" +
                              parentName + "'.");
    }
    if (!HasUniqueKey(keys, constraint.referencedColumns)) {
        throw EngineError(err::kReserved,
                          "No unique index was found for the referenced field(s) of the primary "
                          "table '" +
                              parentName + "' of relationship '" + constraint.name + "'.");
    }
    return "CONSTRAINT " + QuoteName(constraint.name) + " FOREIGN KEY " +
           NameList(ColumnNames(constraint)) + " REFERENCES " + QuoteName(parentName) + " " +
           NameList(constraint.referencedColumns) + constraint.actions;
}

static bool NeedsTableTriggers(const std::vector<ColumnDefinition>& columns,
                               const std::vector<Constraint>& constraints,
                               const std::string& rowidCounter) {
    for (const auto& column : columns) {
        if (column.type.autoIncrement && !SameName(column.name, rowidCounter))
            return true;
    }
    for (const auto& constraint : constraints) {
        if (constraint.kind == ConstraintKind::PrimaryKey && rowidCounter.empty())
            return true;
    }
    return false;
}

void CreateTableFromJet(Handle& handle, const jetsql::CreateTable& create) {
    RequireWritable(handle);
    CheckObjectName(create.table);
    SchemaReader reader(handle);
    if (reader.Find(create.table, "table") || reader.Find(create.table, "view")) {
        throw EngineError(err::kObjectExists, "Table '" + create.table + "' already exists.");
    }
    if (create.columns.empty()) {
        throw EngineError(err::kSyntaxError, "Syntax error in CREATE TABLE statement: the table '" +
                                                 create.table + "' needs at least one field.");
    }
    std::vector<ColumnDefinition> columns = create.columns;
    std::vector<Constraint> constraints;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        CheckObjectName(columns[i].name);
        for (std::size_t j = 0; j < i; ++j) {
            if (SameName(columns[i].name, columns[j].name)) {
                throw EngineError(err::kFieldExists, "The field '" + columns[i].name +
                                                         "' is defined more than once in table '" +
                                                         create.table + "'.");
            }
        }
        for (const auto& constraint : columns[i].constraints)
            constraints.push_back(constraint);
    }
    for (const auto& constraint : create.constraints)
        constraints.push_back(constraint);

    const Constraint* primaryKey = nullptr;
    for (const auto& constraint : constraints) {
        CheckConstraintColumns(constraint, columns, create.table);
        if (constraint.kind == ConstraintKind::NotNull) {
            for (auto& column : columns) {
                for (const auto& wanted : constraint.columns) {
                    if (SameName(column.name, wanted.name))
                        column.notNull = true;
                }
            }
        }
        if (constraint.kind == ConstraintKind::PrimaryKey) {
            if (primaryKey != nullptr) {
                throw EngineError(err::kPrimaryKeyExists, "The table '" + create.table +
                                                              "' can have only one primary key.");
            }
            primaryKey = &constraint;
        }
    }
    NameConstraintIndexes(constraints, create.table);

    // A counter that alone is the primary key becomes SQLite's own rowid counter.
    std::string rowidCounter;
    for (const auto& constraint : constraints) {
        if (constraint.kind != ConstraintKind::PrimaryKey || constraint.columns.size() != 1 ||
            constraint.columns[0].descending) {
            continue;
        }
        for (const auto& column : columns) {
            if (SameName(column.name, constraint.columns[0].name) && column.type.autoIncrement &&
                column.type.code == ftype::kLong) {
                rowidCounter = column.name;
            }
        }
    }

    handle.InTransaction([&] {
        std::string sql = "CREATE TABLE " + QuoteName(create.table) + " (";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                sql += ", ";
            // Keys become indexes; only the rowid counter keeps its PRIMARY KEY in the table.
            ColumnDefinition physical = columns[i];
            physical.writtenType = physical.declaredType;
            physical.constraints.clear();
            const bool isRowidCounter =
                !rowidCounter.empty() && SameName(columns[i].name, rowidCounter);
            if (isRowidCounter)
                physical.constraints.push_back(
                    {ConstraintKind::PrimaryKey, {}, {}, {}, {}, {}, {}});
            physical.type.autoIncrement = isRowidCounter;
            jetsql::ApplyTypeRules(physical, create.table);
            sql += InlineColumnSql(physical);
        }
        for (auto& constraint : constraints) {
            if (constraint.kind == ConstraintKind::Check) {
                sql +=
                    ", " +
                    (constraint.name.empty() ? ""
                                             : "CONSTRAINT " + QuoteName(constraint.name) + " ") +
                    "CHECK (" + constraint.check + ")";
            } else if (constraint.kind == ConstraintKind::ForeignKey) {
                sql += ", " + ForeignKeySql(handle, create.table, constraint, constraints);
            }
        }
        handle.Exec(sql + ")");
        MetadataStore store(handle);
        std::vector<ColumnMeta> metas;
        for (const auto& column : columns)
            metas.push_back(ColumnMetaOf(column));
        store.PutColumns(create.table, metas);
        for (const auto& constraint : constraints) {
            if (constraint.kind == ConstraintKind::PrimaryKey && !rowidCounter.empty()) {
                IndexMeta meta;
                meta.name = constraint.name;
                meta.primary = meta.unique = meta.required = true;
                store.PutIndex(create.table, meta);
            } else if (constraint.kind == ConstraintKind::PrimaryKey ||
                       constraint.kind == ConstraintKind::Unique) {
                MakeIndex(handle, create.table, ConstraintIndexSpec(constraint));
            } else if (constraint.kind == ConstraintKind::ForeignKey) {
                MakeIndex(handle, create.table, ConstraintIndexSpec(constraint));
            }
        }
        // A new table has no triggers yet: they are needed only for counters besides the
        // rowid counter and for the fields of a primary key.
        if (NeedsTableTriggers(columns, constraints, rowidCounter))
            RebuildTableTriggers(handle, create.table);
        StampTable(store, create.table, true);
    });
}

void DropTableFromJet(Handle& handle, const jetsql::DropTable& drop) {
    RequireWritable(handle);
    SchemaReader reader(handle);
    const auto table = reader.Find(drop.table, "table");
    if (!table) {
        if (drop.ifExists)
            return;
        throw EngineError(err::kNoSuchTable, "Table '" + drop.table + "' does not exist.");
    }
    if (IsSystemTableName(table->name)) {
        throw EngineError(err::kInvalidName,
                          "The system table '" + table->name + "' cannot be deleted.");
    }
    for (const auto& reference : ReferencesTo(handle, table->name)) {
        if (!SameName(reference.table, table->name)) {
            throw EngineError(err::kInRelationship,
                              "The table '" + table->name + "' cannot be deleted: the table '" +
                                  reference.table + "' refers to it in a relationship.");
        }
    }
    handle.InTransaction([&] {
        handle.Exec("DROP TABLE " + QuoteName(table->name));
        MetadataStore(handle).ForgetTable(table->name);
    });
}

void AddColumnFromJet(Handle& handle, const jetsql::AddColumn& add) {
    RequireWritable(handle);
    SchemaReader reader(handle);
    const std::string table = RequireDdlTable(reader, add.table).name;
    ColumnDefinition column = add.column;
    CheckObjectName(column.name);
    for (const auto& existing : reader.Columns(table)) {
        if (SameName(existing.field.name, column.name)) {
            throw EngineError(err::kFieldExists, "The table '" + table +
                                                     "' already has a field named '" +
                                                     existing.field.name + "'.");
        }
    }
    std::vector<std::string> taken;
    for (const auto& index : reader.Indexes(table))
        taken.push_back(index.info.name);
    std::vector<Constraint> constraints = column.constraints;
    NameConstraintIndexes(constraints, table, taken);
    // Checks and relationships stay in the field's definition; keys become indexes.
    ColumnDefinition physical = column;
    physical.writtenType = physical.declaredType;
    physical.constraints.clear();
    for (auto& constraint : constraints) {
        if (constraint.kind == ConstraintKind::ForeignKey)
            ForeignKeySql(handle, table, constraint, {});
        if (constraint.kind == ConstraintKind::ForeignKey ||
            constraint.kind == ConstraintKind::Check) {
            physical.constraints.push_back(constraint);
        }
    }
    jetsql::ApplyTypeRules(physical, table);
    auto describe = [&] {
        MetadataStore store(handle);
        store.PutColumn(table, ColumnMetaOf(column));
        if (column.type.autoIncrement) {
            handle.Exec("UPDATE " + QuoteName(table) + " SET " + QuoteName(column.name) +
                        " = rowid");
        }
        for (const auto& constraint : constraints) {
            if (constraint.kind == ConstraintKind::PrimaryKey ||
                constraint.kind == ConstraintKind::Unique ||
                constraint.kind == ConstraintKind::ForeignKey) {
                MakeIndex(handle, table, ConstraintIndexSpec(constraint));
            }
        }
        RebuildTableTriggers(handle, table);
        StampTable(store, table, false);
    };
    if (!column.notNull || column.defaultValue) {
        handle.InTransaction([&] {
            handle.Exec("ALTER TABLE " + QuoteName(table) + " ADD COLUMN " +
                        InlineColumnSql(physical));
            describe();
        });
        return;
    }
    // SQLite adds no NOT NULL field without a default; an empty table is made again instead.
    auto rows = handle.Prepare("SELECT 1 FROM " + QuoteName(table) + " LIMIT 1");
    if (rows.Step()) {
        throw EngineError(err::kNullNotAllowed,
                          "The field '" + column.name +
                              "' cannot be added as NOT NULL: the table '" + table +
                              "' has rows, which would hold Null in it. Give it a "
                              "DEFAULT value.");
    }
    rows = Statement();
    RebuildPlan plan{table, StoredDefinition(handle, table), {}};
    for (const auto& existing : plan.definition.columns)
        plan.copies.emplace_back(existing.name, existing.name);
    plan.definition.columns.push_back(physical);
    RebuildTable(handle, plan, describe);
}

void DropColumnFromJet(Handle& handle, const jetsql::DropColumn& drop) {
    RequireWritable(handle);
    SchemaReader reader(handle);
    const std::string table = RequireDdlTable(reader, drop.table).name;
    std::string column;
    for (const auto& existing : reader.Columns(table)) {
        if (SameName(existing.field.name, drop.column))
            column = existing.field.name;
    }
    if (column.empty()) {
        ThrowNotInCollection("the table '" + table + "' has no field named '" + drop.column + "'");
    }
    for (const auto& index : reader.Indexes(table)) {
        for (const auto& field : IndexFieldNames(index.info.fields)) {
            if (SameName(field, column)) {
                throw EngineError(err::kFieldInIndex, "The field '" + column +
                                                          "' cannot be deleted: it is part of "
                                                          "the index '" +
                                                          index.info.name + "' of table '" + table +
                                                          "'.");
            }
        }
    }
    handle.InTransaction([&] {
        DropTableTriggers(handle, table);
        handle.Exec("ALTER TABLE " + QuoteName(table) + " DROP COLUMN " + QuoteName(column));
        MetadataStore store(handle);
        store.DeleteColumn(table, column);
        RebuildTableTriggers(handle, table);
        StampTable(store, table, false);
    });
}

}  // namespace tessel::db::sqlite
