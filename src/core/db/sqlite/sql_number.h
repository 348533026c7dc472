// A value as SQLite's arithmetic reads it: integers and reals as they are, a text (or blob) by
// its longest numeric prefix, whole when that prefix is a whole number that fits ('12abc' is
// 12, '1.5x' is 1.5, 'abc' is 0).
#pragma once

#include <sqlite3.h>

namespace tessel::db::sqlite {

struct SqlNumber {
    bool whole = true;
    sqlite3_int64 integer = 0;
    double real = 0;

    double AsDouble() const { return whole ? static_cast<double>(integer) : real; }
};

SqlNumber SqlNumberOf(sqlite3_value* value);

}  // namespace tessel::db::sqlite
