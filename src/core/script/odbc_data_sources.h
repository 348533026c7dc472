// ODBC data sources: registering a user data source for a database (dbMake under "ODBC;") and
// connecting to one (dbOpen under "ODBC;", and again after every statement while a data source
// name is set). A data source that stands for a database file makes that file the current
// database; one that stands for a server (no file of its own) is itself the current database.
#pragma once

#include <string>
#include <vector>

#include "core/session/session.h"

namespace tessel {

// The driver list of the registration dialog: the drivers of the machine's data sources, then
// the installed drivers, neighbouring equal entries reduced to one. Empty when the driver
// manager gives nothing.
std::vector<std::string> GetDSNsAndDrivers();

// The registration dialog as it opens for the given parts: the driver list, the entry whose
// text holds the database's last four characters (any case) selected, the parts in the fields.
OdbcRegistrationForm ODBCnewForm(const OdbcParts& parts);

// dbMake under "ODBC;": asks for the data source's parts and registers it; the caller's file
// name is cut to its directory.
void newODBC(Session& session, std::string& sDBFilename);

// dbOpen under "ODBC;": connects to the data source and makes its database current.
void ConnectODBC(Session& session, const std::string& dataSourceName);

}  // namespace tessel
