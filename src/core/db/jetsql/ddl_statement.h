// Jet data definition statements, parsed: CREATE TABLE, DROP TABLE, ALTER TABLE, CREATE INDEX
// and DROP INDEX with the Jet type names, sizes, constraints and index options.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/db/jetsql/type_map.h"

namespace tessel::db::jetsql {

struct IndexColumn {
    std::string name;
    bool descending = false;
};

enum class ConstraintKind { PrimaryKey, Unique, NotNull, ForeignKey, Check };

struct Constraint {
    ConstraintKind kind = ConstraintKind::PrimaryKey;
    std::string name;  // empty when the statement gave none
    std::vector<IndexColumn> columns;
    std::string referencedTable;
    std::vector<std::string> referencedColumns;  // empty: the referenced table's primary key
    std::string actions;                         // "ON DELETE CASCADE ..." as SQLite takes it
    std::string check;                           // CHECK expression, rewritten for SQLite
};

struct ColumnDefinition {
    std::string name;
    JetType type;
    std::string declaredType;  // as SQLite will keep it
    std::string writtenType;   // as the statement wrote it (type name and arguments)
    std::string collation;     // "NOCASE" for text; empty: SQLite's own
    bool notNull = false;
    std::optional<std::string> defaultValue;  // expression, rewritten for SQLite
    std::vector<Constraint> constraints;      // column constraints, naming this column
};

struct CreateTable {
    std::string table;
    std::vector<ColumnDefinition> columns;
    std::vector<Constraint> constraints;
};

struct DropTable {
    std::string table;
    bool ifExists = false;
};

struct CreateIndex {
    std::string name;
    std::string table;
    std::vector<IndexColumn> columns;
    bool unique = false;
    bool primary = false;
    bool disallowNull = false;
    bool ignoreNull = false;
};

struct DropIndex {
    std::string name;
    std::string table;  // empty: the one table that has an index of that name
};

struct AddColumn {
    std::string table;
    ColumnDefinition column;
};

struct DropColumn {
    std::string table;
    std::string column;
};

struct AddConstraint {
    std::string table;
    Constraint constraint;
};

struct DropConstraint {
    std::string table;
    std::string name;
};

struct AlterColumn {
    std::string table;
    ColumnDefinition column;
};

struct RenameTableTo {
    std::string table;
    std::string to;
};

struct RenameColumnTo {
    std::string table;
    std::string column;
    std::string to;
};

using DdlStatement =
    std::variant<CreateTable, DropTable, CreateIndex, DropIndex, AddColumn, DropColumn,
                 AddConstraint, DropConstraint, AlterColumn, RenameTableTo, RenameColumnTo>;

}  // namespace tessel::db::jetsql
