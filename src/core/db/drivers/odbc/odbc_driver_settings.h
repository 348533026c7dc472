// What the driver manager's configuration says of a driver and a data source, and the settings
// this program adds for a driver when it connects.
#pragma once

#include <string>

namespace tessel::db::odbc {

// A driver's entry in odbcinst.ini ("Driver", "Setup"); empty when it has none.
std::string DriverEntry(const std::string& driver, const std::string& key);

// True when the file name of `library` (a driver's shared library) contains `word`, in any case.
bool LibraryIs(const std::string& library, const std::string& word);

// The shared library of the driver that the connect text reaches (through DRIVER= or the data
// source of DSN=); empty when the configuration does not say.
std::string DriverLibraryOf(const std::string& connectText);

// `connectText` with what makes the driver hand a large result over as it is read, instead of
// holding every row of it in memory first: the PostgreSQL driver reads a whole result before it
// gives the first row unless it is told to read through a cursor. A setting that the connect
// text or the data source already makes is kept.
std::string WithRowsAsRead(const std::string& connectText);

}  // namespace tessel::db::odbc
