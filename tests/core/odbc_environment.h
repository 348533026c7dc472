// A driver manager configuration of the tests' own: ODBCSYSINI, ODBCINI and HOME point into a
// temporary directory whose odbcinst.ini registers the installed SQLite3 and PostgreSQL
// drivers, so that no test reads or writes the user's own data sources. The driver manager
// reads where its files are only once in a process, so there is one such configuration for the
// whole test program, made before its first ODBC call; each test starts with no data sources.
#pragma once

#include <string>

#include "support/temp_dir.h"

namespace tessel::test {

inline constexpr const char* kSqliteDriver = "SQLite3";
inline constexpr const char* kPostgresDriver = "PostgreSQL Unicode";

class OdbcEnvironment {
  public:
    // The configuration, made on first use.
    static OdbcEnvironment& Get();

    // The installed driver library's path, "" when the package is not installed.
    static std::string DriverLibrary(const std::string& file);
    // Empty when both drivers are installed, else the packages to install.
    std::string Missing() const { return missing_; }

    // Removes every data source (the tests' configuration has only user data sources).
    void ForgetDataSources() const;
    // The home directory the driver manager was given.
    std::string Home() const { return dir_.File("home"); }
    // The user's odbc.ini as the driver manager writes it.
    std::string UserIni() const { return dir_.File("home/.odbc.ini"); }
    // Runs a shell command with this configuration; its standard output.
    std::string Run(const std::string& command) const;

  private:
    OdbcEnvironment();
    TempDir dir_;
    std::string missing_;
};

}  // namespace tessel::test
