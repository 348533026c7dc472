// ODBC data sources behind the driver seam: the connect text "ODBC;DSN=...;" opens a data
// source as a database, and a statement-runner connection string that names a data source
// that is none of the file types' own runs its statements on that data source, unchanged (the
// server speaks its own dialect).
#pragma once

#include <memory>

#include "core/db/driver.h"

namespace tessel::db::odbc {

std::unique_ptr<Driver> MakeOdbcDriver();

}  // namespace tessel::db::odbc
