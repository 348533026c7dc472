#include "core/db/vtab/store_ddl.h"

#include "core/db/jetsql/type_map.h"
#include "core/db/names.h"

namespace tessel::db::vtab {
namespace {

[[noreturn]] void Refuse(const std::string& what, const std::string& instead) {
    throw EngineError(err::kNotSupported, what + " is not supported for this database. " + instead);
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

FieldInfo FieldOf(const jetsql::ColumnDefinition& column) {
    if (column.defaultValue) {
        Refuse("A DEFAULT value (field '" + column.name + "')",
               "Give the value in each INSERT instead.");
    }
    if (column.type.autoIncrement)
        Refuse("An AutoNumber field ('" + column.name + "')", "Use a LONG field instead.");
    FieldInfo field;
    field.name = column.name;
    field.type = column.type.code;
    field.size = column.type.size;
    field.required = column.notNull;
    field.attributes = jetsql::FieldAttributes(field.type, false);
    return field;
}

IndexInfo IndexOf(const jetsql::CreateIndex& create) {
    IndexInfo index;
    index.name = create.name;
    index.fields = IndexFields(create.columns);
    index.primary = create.primary;
    index.unique = create.unique || create.primary;
    index.required = create.disallowNull || create.primary;
    index.ignoreNulls = create.ignoreNull;
    return index;
}

void AddStoreColumn(TableStore& store, const jetsql::AddColumn& add) {
    if (!add.column.constraints.empty()) {
        Refuse("A constraint on a new field ('" + add.column.name + "')",
               "Add the field first, then create an index on it.");
    }
    store.AddColumn(add.table, FieldOf(add.column));
}

// DROP INDEX without ON names the one table that holds an index of that name.
std::string TableOfIndex(TableStore& store, const jetsql::DropIndex& drop) {
    if (!drop.table.empty())
        return drop.table;
    for (const auto& table : store.Tables()) {
        for (const auto& index : store.Indexes(table)) {
            if (SameName(index.name, drop.name))
                return table;
        }
    }
    throw EngineError(err::kItemNotFound,
                      "No table of this database has an index named '" + drop.name + "'.");
}

void CreateStoreTable(TableStore& store, const jetsql::CreateTable& create) {
    std::vector<FieldInfo> fields;
    for (const auto& column : create.columns)
        fields.push_back(FieldOf(column));
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
    } else if (const auto* createIndex = std::get_if<jetsql::CreateIndex>(&statement)) {
        store.CreateIndex(createIndex->table, IndexOf(*createIndex));
    } else if (const auto* dropIndex = std::get_if<jetsql::DropIndex>(&statement)) {
        store.DropIndex(TableOfIndex(store, *dropIndex), dropIndex->name);
    } else if (const auto* addColumn = std::get_if<jetsql::AddColumn>(&statement)) {
        AddStoreColumn(store, *addColumn);
    } else if (const auto* dropColumn = std::get_if<jetsql::DropColumn>(&statement)) {
        store.DropColumn(dropColumn->table, dropColumn->column);
    } else if (const auto* rename = std::get_if<jetsql::RenameTableTo>(&statement)) {
        store.RenameTable(rename->table, rename->to);
    } else {
        Refuse("This kind of ALTER TABLE",
               "Create a new table with the wanted fields, copy the rows with INSERT INTO ... "
               "SELECT and drop the old table.");
    }
}

std::string TableWithChangedFields(const jetsql::DdlStatement& statement) {
    if (const auto* add = std::get_if<jetsql::AddColumn>(&statement))
        return add->table;
    if (const auto* drop = std::get_if<jetsql::DropColumn>(&statement))
        return drop->table;
    return {};
}

}  // namespace tessel::db::vtab
