// CREATE TABLE, DROP TABLE and ALTER TABLE of the Jet DDL layer on SQLite.
#pragma once

#include "core/platform/jetsql/ddl_statement.h"
#include "core/platform/sqlite/handle.h"

namespace tessel::platform::sqlite {

void CreateTableFromJet(Handle& handle, const jetsql::CreateTable& create);
void DropTableFromJet(Handle& handle, const jetsql::DropTable& drop);
void AddColumnFromJet(Handle& handle, const jetsql::AddColumn& add);
void DropColumnFromJet(Handle& handle, const jetsql::DropColumn& drop);

// The SQLite text of a column definition (name, declared type, NOT NULL, DEFAULT, and for the
// rowid counter PRIMARY KEY AUTOINCREMENT).
std::string ColumnSql(const jetsql::ColumnDefinition& column, bool rowidCounter);

// The SQLite text of a FOREIGN KEY clause; checks that the referenced table has a unique index
// on the referenced fields and fills them in from its primary key when the statement gave none.
std::string ForeignKeySql(Handle& handle, const std::string& table, jetsql::Constraint& constraint);

}  // namespace tessel::platform::sqlite
