// Reading the texts that choose a driver: the connect argument of OpenDatabase ("" or
// ";pwd=..." for the single-file default, "Dbase IV;" and the like for the other types) and the
// statement runner's connection strings ("Provider=MSDASQL.1;Extended Properties=DSN=...;
// DBQ=...;" or "PROVIDER=MSDASQL.1;DSN=Shop;UID=sa;PWD=;").
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessel::db {

struct ConnectPair {
    std::string key;        // without surrounding blanks
    std::string value;      // without its quotes or braces
    std::size_t begin = 0;  // where the piece starts in the text
    std::size_t end = 0;    // just past the piece and its ";"
};

// Splits a ";"-separated list of key=value pairs at ";" outside quotes and braces (a value in
// "..." or '...' or {...} keeps its ";" and its blanks; "}}" in braces is one "}"), each piece
// at its first "="; pieces without "=" are left out. The unquoted value of the key `runsToEnd` (any
// case) runs to the end of the text, as it holds pairs of its own.
std::vector<ConnectPair> SplitConnectPairs(const std::string& text,
                                           const std::string& runsToEnd = "");

// `value` as written into a connection text so that SplitConnectPairs gives it back exactly:
// in braces when it holds blanks at either end, quotes, braces or ";", as it is otherwise.
std::string ConnectTextValue(const std::string& value);

// The value of `key` (any case) in a ";"-separated list of key=value pairs, if present; the
// last one counts when the key repeats.
std::optional<std::string> ConnectValue(const std::string& text, const std::string& key);

// The text without its password pairs ("pwd=...", "Password=...", any case), everything else
// as written, for texts that are shown or written to files.
std::string WithoutPasswords(const std::string& text);

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
