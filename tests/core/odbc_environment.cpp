#include "odbc_environment.h"

#include <odbcinst.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "core/db/odbc.h"

namespace tessel::test {

namespace fs = std::filesystem;

std::string OdbcEnvironment::DriverLibrary(const std::string& file) {
    for (const char* directory :
         {"/usr/lib/x86_64-linux-gnu/odbc/", "/usr/lib/aarch64-linux-gnu/odbc/", "/usr/lib/odbc/",
          "/usr/lib64/odbc/"}) {
        if (fs::exists(std::string(directory) + file))
            return std::string(directory) + file;
    }
    return {};
}

OdbcEnvironment& OdbcEnvironment::Get() {
    static OdbcEnvironment environment;
    return environment;
}

OdbcEnvironment::OdbcEnvironment() {
    fs::create_directories(dir_.File("home"));
    fs::create_directories(dir_.File("sys"));
    const std::string sqlite = DriverLibrary("libsqlite3odbc.so");
    const std::string postgres = DriverLibrary("psqlodbcw.so");
    if (sqlite.empty())
        missing_ += " libsqliteodbc";
    if (postgres.empty())
        missing_ += " odbc-postgresql";
    // As the packages register them: the SQLite3 driver names itself as its setup library.
    WriteBytes(
        dir_.File("sys/odbcinst.ini"),
        std::string("[") + kSqliteDriver + "]\nDescription=SQLite3 ODBC Driver\nDriver=" + sqlite +
            "\nSetup=" + sqlite + "\n\n[" + kPostgresDriver +
            "]\nDescription=PostgreSQL ODBC driver (Unicode version)\nDriver=" + postgres + "\n");
    WriteBytes(dir_.File("sys/odbc.ini"), "");
    const char* home = std::getenv("HOME");
    const std::optional<std::string> savedHome =
        home ? std::optional<std::string>(home) : std::nullopt;
    setenv("HOME", dir_.File("home").c_str(), 1);
    setenv("ODBCINI", UserIni().c_str(), 1);
    setenv("ODBCSYSINI", dir_.File("sys").c_str(), 1);
    // The driver manager learns its files now and keeps them; the rest of the program gets its
    // own home back.
    db::OdbcDataSources();
    db::OdbcDrivers();
    if (savedHome)
        setenv("HOME", savedHome->c_str(), 1);
    else
        unsetenv("HOME");
}

void OdbcEnvironment::ForgetDataSources() const {
    // Through the driver manager, which keeps what it read of its files: a file removed behind
    // its back could still be served from what it kept.
    SQLSetConfigMode(ODBC_USER_DSN);
    for (const auto& source : db::OdbcDataSources())
        SQLRemoveDSNFromIni(source.name.c_str());
    SQLSetConfigMode(ODBC_BOTH_DSN);
}

std::string OdbcEnvironment::Run(const std::string& command) const {
    std::string output;
    const std::string withHome = "HOME='" + dir_.File("home") + "' " + command;
    if (FILE* pipe = popen(withHome.c_str(), "r")) {
        char buffer[4096];
        std::size_t read = 0;
        while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, read);
        pclose(pipe);
    }
    return output;
}

}  // namespace tessel::test
