// The classic engine's everyday functions that SQLite lacks, registered on every connection:
// IIf, Nz, Len, UCase, LCase, Left, Right, Mid, CStr, CLng, CInt, CDbl, the date functions of
// jet_dates.h, and JetConcat, which the "&" operator becomes.
// Texts are counted in characters (UTF-8), dates are ISO-8601 texts as the engine stores them.
#pragma once

#include <sqlite3.h>

namespace tessel::db::sqlite {

// Returns SQLITE_OK or the failing result code.
int RegisterJetFunctions(sqlite3* db);

}  // namespace tessel::db::sqlite
