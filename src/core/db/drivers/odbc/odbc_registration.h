// Registering a user data source for a driver. Where the driver has a setup routine and the
// person may be asked (not silent), the driver's own ConfigDSN does it through
// SQLConfigDataSource. Otherwise (the driver manager's SQLConfigDataSource fails for a driver
// whose setup library has no ConfigDSN), the data source is written
// into the user's odbc.ini directly, with the registration attributes under the keys that the
// driver reads: the SQLite drivers read the file from Database, the PostgreSQL driver reads
// Servername and Port, other drivers get Server, Database and DBQ.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tessel::db::odbc {

// `attributes` is "Key=value\0Key=value\0..." (the registration attributes).
void RegisterDataSource(const std::string& dataSourceName, const std::string& driver, bool silent,
                        const std::string& attributes);

// The keys and values written for `driverLibrary` (the driver's file, as odbcinst.ini names
// it) from the registration attributes; empty values are left out.
std::vector<std::pair<std::string, std::string>> DataSourceKeys(const std::string& driverLibrary,
                                                                const std::string& attributes);

}  // namespace tessel::db::odbc
