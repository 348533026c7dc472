// The SQLite virtual table module over a TableStore. Each store table is declared on the
// connection as `CREATE VIRTUAL TABLE "name" USING tessel_store`; the module takes the table's
// fields from the store (with declared types made from their field types, so that result
// columns report the fields' type codes), hands equality and range conditions to the store's
// scans, sends INSERT, UPDATE and DELETE to the store and joins the store to SQLite's
// transactions and savepoints.
#pragma once

#include <sqlite3.h>

#include <string>

#include "core/db/vtab/store_link.h"

namespace tessel::db::vtab {

inline constexpr const char* kStoreModule = "tessel_store";

// Registers the module on `db`; `link` must outlive the connection. Throws EngineError.
void RegisterStoreModule(sqlite3* db, StoreLink& link);
// Registers the module under the name `module` for another store (one per attached schema);
// the module keeps the link until it is dropped and its last table is gone.
void RegisterStoreModule(sqlite3* db, std::shared_ptr<StoreLink> link, const std::string& module);
void DropStoreModule(sqlite3* db, const std::string& module);

// The statement that declares the store table `table` in `schema`, read through `module`.
std::string DeclareTableSql(const std::string& table, const std::string& schema = "main",
                            const std::string& module = kStoreModule);

}  // namespace tessel::db::vtab
