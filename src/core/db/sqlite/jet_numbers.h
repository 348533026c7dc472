// The classic engine's number functions and the text functions that build text from a count,
// as SQLite functions: Int, Fix, Sgn, Sqr, Space, StrReverse. A Null argument gives Null.
#pragma once

#include <sqlite3.h>

namespace tessel::db::sqlite {

void JetInt(sqlite3_context* context, int argc, sqlite3_value** argv);         // floor
void JetFix(sqlite3_context* context, int argc, sqlite3_value** argv);         // toward zero
void JetSgn(sqlite3_context* context, int argc, sqlite3_value** argv);         // -1, 0, 1
void JetSqr(sqlite3_context* context, int argc, sqlite3_value** argv);         // square root
void JetSpace(sqlite3_context* context, int argc, sqlite3_value** argv);       // n blanks
void JetStrReverse(sqlite3_context* context, int argc, sqlite3_value** argv);  // by characters

}  // namespace tessel::db::sqlite
