#include "core/db/drivers/sqlite/ddl_alter.h"

#include "core/db/drivers/sqlite/ddl_indexes.h"
#include "core/db/drivers/sqlite/ddl_support.h"
#include "core/db/drivers/sqlite/ddl_tables.h"
#include "core/db/drivers/sqlite/table_rebuild.h"
#include "core/db/drivers/sqlite/table_triggers.h"
#include "core/db/jetsql/type_rules.h"
#include "core/db/names.h"

namespace tessel::db::sqlite {
namespace {

using jetsql::ColumnDefinition;
using jetsql::Constraint;
using jetsql::ConstraintKind;

// Work done after a change: the table's triggers follow the metadata, LastUpdated is set.
void Finish(Handle& handle, const std::string& table) {
    RebuildTableTriggers(handle, table);
    MetadataStore store(handle);
    StampTable(store, table, false);
}

RebuildPlan PlanFor(Handle& handle, const std::string& table) {
    RebuildPlan plan{table, StoredDefinition(handle, table), {}};
    for (const auto& column : plan.definition.columns)
        plan.copies.emplace_back(column.name, column.name);
    return plan;
}

ColumnDefinition* FindColumn(jetsql::CreateTable& definition, const std::string& table,
                             const std::string& name) {
    for (auto& column : definition.columns) {
        if (SameName(column.name, name))
            return &column;
    }
    ThrowNotInCollection("the table '" + table + "' has no field named '" + name + "'");
}

// Removes the constraints of that name from the definition; false when there was none.
bool RemoveConstraint(jetsql::CreateTable& definition, const std::string& name) {
    bool removed = false;
    auto named = [&](const Constraint& constraint) {
        const bool match = !constraint.name.empty() && SameName(constraint.name, name);
        removed = removed || match;
        return match;
    };
    std::erase_if(definition.constraints, named);
    for (auto& column : definition.columns)
        std::erase_if(column.constraints, named);
    return removed;
}

void RemoveIndexOf(Handle& handle, const std::string& table, const std::string& name,
                   bool asConstraint) {
    SchemaReader reader(handle);
    const IndexDetail index = FindIndex(reader, table, name);
    if (!index.info.foreign) {
        handle.InTransaction([&] {
            RemoveIndex(handle, table, index);
            Finish(handle, table);
        });
        return;
    }
    if (!asConstraint) {
        throw EngineError(err::kInRelationship,
                          "The index '" + index.info.name + "' of table '" + table +
                              "' belongs to a relationship; remove it with ALTER TABLE " + table +
                              " DROP CONSTRAINT " + index.info.name + ".");
    }
    RebuildPlan plan = PlanFor(handle, table);
    if (!RemoveConstraint(plan.definition, index.info.name)) {
        throw EngineError(err::kNotSupported, "The relationship '" + index.info.name +
                                                  "' is not part of the definition of table '" +
                                                  table + "', so it cannot be removed here.");
    }
    RebuildTable(handle, plan, [&] {
        RemoveIndex(handle, table, index);
        Finish(handle, table);
    });
}

// The one table with an index of that Jet name, for DROP INDEX without ON.
std::string TableOfIndex(Handle& handle, const std::string& index) {
    SchemaReader reader(handle);
    const auto tables = IndexesNamed(reader, index);
    if (tables.empty())
        ThrowNotInCollection("no table has an index named '" + index + "'");
    if (tables.size() > 1) {
        throw EngineError(err::kSyntaxError, "More than one table has an index named '" + index +
                                                 "'; name the table with DROP INDEX " + index +
                                                 " ON table.");
    }
    return tables.front().table;
}

std::string WritableTable(Handle& handle, const std::string& name) {
    RequireWritable(handle);
    SchemaReader reader(handle);
    return RequireDdlTable(reader, name).name;
}

}  // namespace

void CreateIndexFromJet(Handle& handle, const jetsql::CreateIndex& create) {
    const std::string table = WritableTable(handle, create.table);
    CheckObjectName(create.name);
    const IndexSpec wanted = SpecOf(create);
    handle.InTransaction([&] {
        MakeIndex(handle, table, wanted);
        // Guard triggers follow the required indexes alone: any other index leaves them as they
        // are, and rebuilding them reads the whole table's structure.
        if (wanted.required)
            RebuildTableTriggers(handle, table);
        MetadataStore store(handle);
        StampTable(store, table, false);
    });
}

void DropIndexFromJet(Handle& handle, const jetsql::DropIndex& drop) {
    const std::string name = drop.table.empty() ? TableOfIndex(handle, drop.name) : drop.table;
    RemoveIndexOf(handle, WritableTable(handle, name), drop.name, false);
}

void AlterColumnFromJet(Handle& handle, const jetsql::AlterColumn& alter) {
    const std::string table = WritableTable(handle, alter.table);
    if (!alter.column.constraints.empty()) {
        throw EngineError(err::kNotSupported,
                          "Constraints cannot be given in ALTER COLUMN; add them with ALTER "
                          "TABLE " +
                              table + " ADD CONSTRAINT.");
    }
    RebuildPlan plan = PlanFor(handle, table);
    ColumnDefinition* column = FindColumn(plan.definition, table, alter.column.name);
    if (SameName(SchemaReader(handle).RowidKey(table), column->name)) {
        throw EngineError(err::kNotSupported, "The field '" + column->name + "' of table '" +
                                                  table +
                                                  "' is its row number (a counter key); its type "
                                                  "cannot be changed.");
    }
    ColumnDefinition replacement = alter.column;
    replacement.name = column->name;
    replacement.writtenType = replacement.declaredType;
    replacement.constraints = column->constraints;
    // The other fields keep their rules as stored; this one takes its new type's.
    jetsql::ApplyTypeRules(replacement, table);
    *column = replacement;
    RebuildTable(handle, plan, [&] {
        MetadataStore(handle).PutColumn(table, ColumnMetaOf(replacement));
        Finish(handle, table);
    });
}

void AddConstraintFromJet(Handle& handle, const jetsql::AddConstraint& add) {
    const std::string table = WritableTable(handle, add.table);
    Constraint constraint = add.constraint;
    if (constraint.kind == ConstraintKind::PrimaryKey ||
        constraint.kind == ConstraintKind::Unique) {
        jetsql::CreateIndex create;
        create.table = table;
        create.columns = constraint.columns;
        create.primary = constraint.kind == ConstraintKind::PrimaryKey;
        create.unique = true;
        create.name = !constraint.name.empty() ? constraint.name
                      : create.primary         ? std::string("PrimaryKey")
                                               : constraint.columns.front().name;
        CreateIndexFromJet(handle, create);
        return;
    }
    RebuildPlan plan = PlanFor(handle, table);
    for (const auto& wanted : constraint.columns)
        FindColumn(plan.definition, table, wanted.name);
    if (constraint.kind == ConstraintKind::NotNull) {
        for (const auto& wanted : constraint.columns)
            FindColumn(plan.definition, table, wanted.name)->notNull = true;
        RebuildTable(handle, plan, [&] { Finish(handle, table); });
        return;
    }
    std::vector<std::string> taken;
    for (const auto& index : SchemaReader(handle).Indexes(table))
        taken.push_back(index.info.name);
    std::vector<Constraint> named{constraint};
    NameConstraintIndexes(named, table, taken);
    constraint = named.front();
    if (constraint.kind == ConstraintKind::ForeignKey)
        ForeignKeySql(handle, table, constraint, {});
    plan.definition.constraints.push_back(constraint);
    RebuildTable(handle, plan, [&] {
        if (constraint.kind == ConstraintKind::ForeignKey)
            MakeIndex(handle, table, ConstraintIndexSpec(constraint));
        Finish(handle, table);
    });
}

void DropConstraintFromJet(Handle& handle, const jetsql::DropConstraint& drop) {
    const std::string table = WritableTable(handle, drop.table);
    for (const auto& index : SchemaReader(handle).Indexes(table)) {
        if (SameName(index.info.name, drop.name)) {
            RemoveIndexOf(handle, table, drop.name, true);
            return;
        }
    }
    RebuildPlan plan = PlanFor(handle, table);
    if (!RemoveConstraint(plan.definition, drop.name)) {
        ThrowNotInCollection("the table '" + table + "' has no constraint named '" + drop.name +
                             "'");
    }
    RebuildTable(handle, plan, [&] { Finish(handle, table); });
}

}  // namespace tessel::db::sqlite
