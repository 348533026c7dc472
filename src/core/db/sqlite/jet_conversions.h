// The classic engine's conversions and rounding, as SQLite functions: CBool, CByte, CInt,
// CLng, CCur, CSng, CDbl, CVar, Round, Abs. A Null gives Null; a value that is no number fails
// with "Type mismatch", one outside the type's range with "Overflow". Whole conversions and
// Round take a half to the even neighbour (CInt(2.5) = 2, CInt(3.5) = 4).
#pragma once

#include <sqlite3.h>

namespace tessel::db::sqlite {

void JetCBool(sqlite3_context* context, int argc, sqlite3_value** argv);  // -1 or 0
void JetCByte(sqlite3_context* context, int argc, sqlite3_value** argv);  // 0 to 255
void JetCInt(sqlite3_context* context, int argc, sqlite3_value** argv);   // 16 bits
void JetCLng(sqlite3_context* context, int argc, sqlite3_value** argv);   // 32 bits
void JetCCur(sqlite3_context* context, int argc, sqlite3_value** argv);   // four decimals
void JetCSng(sqlite3_context* context, int argc, sqlite3_value** argv);   // single precision
void JetCDbl(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetCVar(sqlite3_context* context, int argc, sqlite3_value** argv);  // the value itself
void JetRound(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetAbs(sqlite3_context* context, int argc, sqlite3_value** argv);

}  // namespace tessel::db::sqlite
