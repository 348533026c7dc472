// ALTER TABLE changes that SQLite cannot make in place (a field's type, relationships, checks,
// NOT NULL), carried out by rebuilding the table.
#pragma once

#include "core/db/jetsql/ddl_statement.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

void AlterColumnFromJet(Handle& handle, const jetsql::AlterColumn& alter);
// PRIMARY KEY and UNIQUE become indexes; FOREIGN KEY, CHECK and NOT NULL rebuild the table.
void AddConstraintFromJet(Handle& handle, const jetsql::AddConstraint& add);
// An index's constraint drops the index; a relationship or a check rebuilds the table.
void DropConstraintFromJet(Handle& handle, const jetsql::DropConstraint& drop);
// DROP INDEX: refuses an index that belongs to a relationship.
void DropIndexFromJet(Handle& handle, const jetsql::DropIndex& drop);
void CreateIndexFromJet(Handle& handle, const jetsql::CreateIndex& create);

}  // namespace tessel::db::sqlite
