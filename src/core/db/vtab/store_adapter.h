// The adapter that shows a table-source driver's tables to SQLite.
//
// It promises that a driver which implements TableStore (list, describe, scan and change the
// rows of its tables, create and drop tables, one transaction at a time) gets the whole SQL of
// the engine over its tables: the Jet dialect, joins (also with SQLite's own tables on the same
// connection), aggregates and subqueries, with INSERT, UPDATE and DELETE reaching the store row
// by row, and every statement either done completely or not at all (a failure rolls the store
// back through its transaction). Result columns of store tables report the fields' type codes,
// and the store's own error numbers and sentences reach the person unchanged.
//
// The driver opens its Database and its statement connection through the two functions below
// and has nothing else to write.
#pragma once

#include <memory>
#include <string>

#include "core/db/engine.h"
#include "core/db/table_store.h"

namespace tessel::db::vtab {

// The structure of a store's database: tables, fields and indexes from the store; properties
// Name, Connect, Transactions, Updatable, QueryTimeout and Version; no queries; renaming
// tables through the store, other renames and new properties refused with err::kNotSupported.
std::unique_ptr<Database> OpenStoreDatabase(std::shared_ptr<TableStore> store, std::string name,
                                            std::string connect, bool readOnly);

// A statement connection over the store: one private SQLite connection with the Jet functions,
// on which every store table is a virtual table. CREATE TABLE and DROP TABLE go to the store;
// other statements are rewritten from Jet SQL and run by SQLite, their rows streamed.
std::unique_ptr<StatementConnection> ConnectStore(std::shared_ptr<TableStore> store,
                                                  std::string name, std::string connectionString);

}  // namespace tessel::db::vtab
