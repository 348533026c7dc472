// The drivers that are part of the program: one entry each.
#include "core/db/driver_registry.h"
#include "core/db/drivers/odbc/odbc_driver.h"
#include "core/db/drivers/sqlite/sqlite_driver.h"

namespace tessel::db {

void RegisterBuiltInDrivers(DriverRegistry& registry) {
    registry.Add(sqlite::MakeSqliteDriver());
    registry.Add(odbc::MakeOdbcDriver());
}

}  // namespace tessel::db
