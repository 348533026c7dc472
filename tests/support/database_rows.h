// Rows of a database file read with SQLite itself rather than through the program, so a test
// sees what reached the file.
#pragma once

#include <string>
#include <vector>

namespace tessel::test {

// The first column of every row that `sql` returns from `database` ("NULL" for a null); empty
// when the file cannot be opened or the statement fails.
std::vector<std::string> FirstColumn(const std::string& database, const std::string& sql);

// Runs `sql` on `database` as another SQLite program would; "" on success, else SQLite's message.
std::string ExecuteSql(const std::string& database, const std::string& sql);

}  // namespace tessel::test
