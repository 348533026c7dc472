// Values between SQLite and a TableStore: SQLite's values as db::Value, db::Value as SQLite
// results, and the conversion a field's type applies to a written value, the same one SQLite
// applies to a column of the declared type that the adapter gives the field.
#pragma once

#include <sqlite3.h>

#include "core/db/engine.h"

namespace tessel::db::vtab {

// Null, integer, real or text; a blob's bytes become text.
Value FromSqlite(sqlite3_value* value);

// The value as a function or column result; a text of a binary field is returned as a blob.
void ResultToSqlite(sqlite3_context* context, const Value& value, int fieldType);

// The declared type that SQLite sees for a field.
std::string DeclaredType(const FieldInfo& field);

// `value` as SQLite would store it in a column declared with DeclaredType(field): texts that
// read as numbers become numbers in numeric columns, numbers become texts in text columns.
Value ForField(Value value, const FieldInfo& field);

}  // namespace tessel::db::vtab
