// Reading the texts that choose a driver: the connect argument of OpenDatabase ("" or
// ";pwd=..." for the single-file default, "Dbase IV;" and the like for the other types) and the
// statement runner's connection strings ("Provider=MSDASQL.1;Extended Properties=DSN=...;
// DBQ=...;" or "PROVIDER=MSDASQL.1;DSN=Shop;UID=sa;PWD=;").
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessel::db {

// The value of `key` (any case) in a ";"-separated list of key=value pairs, if present; the
// last one counts when the key repeats.
std::optional<std::string> ConnectValue(const std::string& text, const std::string& key);

struct ConnectionTarget {
    std::string dataSource;  // DSN, without a trailing ";"
    std::string file;        // DBQ (or Database)
    std::string user;
    std::string password;
    std::string driver;
};

// Reads a statement-runner connection string, including the pairs nested in
// "Extended Properties=...".
ConnectionTarget ParseConnectionString(const std::string& text);

}  // namespace tessel::db
