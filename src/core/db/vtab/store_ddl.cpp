#include "core/db/vtab/store_ddl.h"

#include "core/db/jetsql/type_map.h"
#include "core/db/names.h"

namespace tessel::db::vtab {
namespace {

[[noreturn]] void Refuse(const std::string& what, const std::string& instead) {
    throw EngineError(err::kNotSupported,
                      what +
                          " is not supported for this database: its driver creates and drops "
                          "whole tables only. " +
                          instead);
}

std::string IndexFields(const std::vector<jetsql::IndexColumn>& columns) {
    std::string fields;
    for (const auto& column : columns) {
        if (!fields.empty())
            fields += ";";
        fields += (column.descending ? "-" : "+") + column.name;
    }
    return fields;
}

// A primary key or unique constraint as the index the store keeps; other constraints are
// refused, NOT NULL marks its fields required.
void AddConstraint(const jetsql::Constraint& constraint, const std::string& table,
                   std::vector<FieldInfo>& fields, std::vector<IndexInfo>& indexes) {
    const auto markRequired = [&](const std::string& name) {
        for (auto& field : fields) {
            if (SameName(field.name, name))
                field.required = true;
        }
    };
    switch (constraint.kind) {
        case jetsql::ConstraintKind::NotNull:
            for (const auto& column : constraint.columns)
                markRequired(column.name);
            return;
        case jetsql::ConstraintKind::PrimaryKey:
        case jetsql::ConstraintKind::Unique: {
            IndexInfo index;
            index.primary = constraint.kind == jetsql::ConstraintKind::PrimaryKey;
            index.unique = true;
            index.required = index.primary;
            index.name = !constraint.name.empty()
                             ? constraint.name
                             : (index.primary ? std::string("PrimaryKey")
                                              : table + "_" + std::to_string(indexes.size() + 1));
            index.fields = IndexFields(constraint.columns);
            if (index.primary) {
                for (const auto& column : constraint.columns)
                    markRequired(column.name);
            }
            indexes.push_back(std::move(index));
            return;
        }
        case jetsql::ConstraintKind::ForeignKey:
            Refuse("A relationship (REFERENCES)",
                   "Check related rows with a query before changing them.");
        case jetsql::ConstraintKind::Check:
            Refuse("A CHECK constraint", "Check the values with a query before writing them.");
    }
}

void CreateStoreTable(TableStore& store, const jetsql::CreateTable& create) {
    std::vector<FieldInfo> fields;
    for (const auto& column : create.columns) {
        if (column.defaultValue) {
            Refuse("A DEFAULT value (field '" + column.name + "')",
                   "Give the value in each INSERT instead.");
        }
        FieldInfo field;
        field.name = column.name;
        field.type = column.type.code;
        field.size = column.type.size;
        field.required = column.notNull;
        field.attributes = jetsql::FieldAttributes(field.type, false);
        if (column.type.autoIncrement)
            Refuse("An AutoNumber field ('" + column.name + "')", "Use a LONG field instead.");
        fields.push_back(std::move(field));
    }
    std::vector<IndexInfo> indexes;
    for (const auto& column : create.columns) {
        for (const auto& constraint : column.constraints)
            AddConstraint(constraint, create.table, fields, indexes);
    }
    for (const auto& constraint : create.constraints)
        AddConstraint(constraint, create.table, fields, indexes);
    store.CreateTable(create.table, fields, indexes);
}

bool Holds(TableStore& store, const std::string& table) {
    for (const auto& name : store.Tables()) {
        if (SameName(name, table))
            return true;
    }
    return false;
}

}  // namespace

void ExecuteStoreDdl(TableStore& store, const jetsql::DdlStatement& statement) {
    if (const auto* create = std::get_if<jetsql::CreateTable>(&statement)) {
        CreateStoreTable(store, *create);
    } else if (const auto* drop = std::get_if<jetsql::DropTable>(&statement)) {
        if (!drop->ifExists || Holds(store, drop->table))
            store.DropTable(drop->table);
    } else if (std::holds_alternative<jetsql::CreateIndex>(statement) ||
               std::holds_alternative<jetsql::DropIndex>(statement)) {
        Refuse("CREATE INDEX and DROP INDEX",
               "Declare the table's PRIMARY KEY and UNIQUE constraints in its CREATE TABLE.");
    } else if (const auto* rename = std::get_if<jetsql::RenameTableTo>(&statement)) {
        store.RenameTable(rename->table, rename->to);
    } else {
        Refuse("ALTER TABLE",
               "Create a new table with the wanted fields, copy the rows with INSERT INTO ... "
               "SELECT and drop the old table.");
    }
}

}  // namespace tessel::db::vtab
