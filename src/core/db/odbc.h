// What the program asks of the machine's ODBC driver manager beyond opening a data source: the
// data sources and drivers it lists, and the file that a connected data source stands for.
// Registering a data source is the engine's RegisterDatabase (engine.h). The driver manager
// reads its configuration from the files that ODBCSYSINI, ODBCINI and HOME point at.
#pragma once

#include <string>
#include <vector>

#include "core/db/engine.h"

namespace tessel::db {

struct OdbcDataSourceEntry {
    std::string name;
    std::string driver;  // the driver's description, as the data source names it
};

// Every data source, user and system, in the driver manager's order. Throws
// EngineError(err::kOdbcFailed) when there is no driver manager environment.
std::vector<OdbcDataSourceEntry> OdbcDataSources();

// The descriptions of the installed drivers ("SQLite3", "PostgreSQL Unicode"), in the order of
// the driver manager's list.
std::vector<std::string> OdbcDrivers();

// The database file that a data source connection stands for: its DBQ entry, or, for a driver
// that keeps a database in one file of its own (SQLite), its Database entry. Empty for a
// server, and for a database that is not an ODBC connection.
std::string DataSourceFile(Database& connection);

}  // namespace tessel::db
