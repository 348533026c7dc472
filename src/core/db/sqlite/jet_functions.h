// The classic engine's everyday functions that SQLite lacks, registered on every connection:
// IIf, Nz, Len, Left, Right, Mid, CStr, JetConcat (which the "&" operator becomes), and those
// of jet_numbers.h, jet_strings.h, jet_conversions.h, jet_aggregates.h, jet_dates.h and
// jet_operators.h.
// Texts are counted in characters (UTF-8), dates are ISO-8601 texts as the engine stores them.
#pragma once

#include <sqlite3.h>

namespace tessel::db::sqlite {

// Returns SQLITE_OK or the failing result code.
int RegisterJetFunctions(sqlite3* db);

}  // namespace tessel::db::sqlite
