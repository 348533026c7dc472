// The drivers that are part of the program: one entry each.
#include "core/db/driver_registry.h"
#include "core/db/drivers/btrieve/btrieve_driver.h"
#include "core/db/drivers/dbf/dbf_driver.h"
#include "core/db/drivers/excel/excel_driver.h"
#include "core/db/drivers/jet/jet_driver.h"
#include "core/db/drivers/odbc/odbc_driver.h"
#include "core/db/drivers/paradox/px_driver.h"
#include "core/db/drivers/sqlite/sqlite_driver.h"
#include "core/db/drivers/text/text_driver.h"

namespace tessel::db {

void RegisterBuiltInDrivers(DriverRegistry& registry) {
    registry.Add(sqlite::MakeSqliteDriver());
    registry.Add(dbf::MakeDbfDriver());
    registry.Add(text::MakeTextDriver());
    registry.Add(excel::MakeExcelDriver());
    registry.Add(odbc::MakeOdbcDriver());
    registry.Add(paradox::MakeParadoxDriver());
    registry.Add(btrieve::MakeBtrieveDriver());
    // Asked before the default for the files it recognises.
    registry.Add(jet::MakeJetDriver());
}

}  // namespace tessel::db
