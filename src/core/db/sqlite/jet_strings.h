// The classic engine's text functions and the functions that choose among their arguments,
// as SQLite functions. A Null text gives Null; a wrong kind of value fails with the classic
// error texts of jet_values.h. Compare arguments: 0 binary, 1 (or 2) as text, without case.
#pragma once

#include <sqlite3.h>

namespace tessel::db::sqlite {

void JetVal(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetStr(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetInStr(sqlite3_context* context, int argc, sqlite3_value** argv);     // text by default
void JetInStrRev(sqlite3_context* context, int argc, sqlite3_value** argv);  // binary by default
void JetString(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetReplace(sqlite3_context* context, int argc, sqlite3_value** argv);  // binary by default
void JetStrComp(sqlite3_context* context, int argc, sqlite3_value** argv);  // text by default
void JetAsc(sqlite3_context* context, int argc, sqlite3_value** argv);      // a code point
void JetChr(sqlite3_context* context, int argc, sqlite3_value** argv);      // 0 to 65535
// Numbers in hexadecimal as a Long ("FF", "FFFFFFFF" for -1); texts and blobs keep SQLite's
// meaning, the hexadecimal digits of their bytes.
void JetHex(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetUCase(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetLCase(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetIsNull(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetIsNumeric(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetSwitch(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetChoose(sqlite3_context* context, int argc, sqlite3_value** argv);

}  // namespace tessel::db::sqlite
