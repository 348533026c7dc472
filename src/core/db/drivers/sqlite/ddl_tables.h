// CREATE TABLE, DROP TABLE and ALTER TABLE of the Jet DDL layer on SQLite.
#pragma once

#include <string>
#include <vector>

#include "core/db/drivers/sqlite/ddl_indexes.h"
#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/jetsql/ddl_statement.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

void CreateTableFromJet(Handle& handle, const jetsql::CreateTable& create);
void DropTableFromJet(Handle& handle, const jetsql::DropTable& drop);
void AddColumnFromJet(Handle& handle, const jetsql::AddColumn& add);
void DropColumnFromJet(Handle& handle, const jetsql::DropColumn& drop);

// The SQLite text of a FOREIGN KEY clause; checks that the referenced table has a unique index
// on the referenced fields and fills them in from its primary key when the statement gave none.
// `ownKeys` are the keys of a table being made, for a relationship with itself.
std::string ForeignKeySql(Handle& handle, const std::string& table, jetsql::Constraint& constraint,
                          const std::vector<jetsql::Constraint>& ownKeys);

// Gives unnamed constraints a free Jet index name; named ones must not clash with each other or
// with `taken`.
void NameConstraintIndexes(std::vector<jetsql::Constraint>& constraints, const std::string& table,
                           std::vector<std::string> taken = {});

// The metadata of a field and the index description of a PRIMARY KEY, UNIQUE or FOREIGN KEY
// constraint.
ColumnMeta ColumnMetaOf(const jetsql::ColumnDefinition& column);
IndexSpec ConstraintIndexSpec(const jetsql::Constraint& constraint);

}  // namespace tessel::db::sqlite
