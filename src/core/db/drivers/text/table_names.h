// Names of the tables of a text directory: each .csv, .txt or .tab file is a table named by
// its file name with the dot as "#" ("orders#csv"), as the classic driver names them; the
// plain file name ("orders.csv") names it too.
#pragma once

#include <optional>
#include <string>

namespace tessel::db::text {

// True for a file name that ends in .csv, .txt or .tab (any case).
bool IsTableFileName(const std::string& fileName);

// "orders.csv" gives "orders#csv".
std::string TableNameOf(const std::string& fileName);

// The file for a table named `name` by a statement: "name#csv" or "name.csv" as they say, a
// name without such an ending with `extension` ("csv" unless given). Nothing for a name that
// cannot be a file of the directory (empty, or with "/" or a NUL character).
std::optional<std::string> FileNameForTable(const std::string& name,
                                            const std::string& extension = "csv");

// The extension of a table file name, "csv".
std::string ExtensionOf(const std::string& fileName);

}  // namespace tessel::db::text
