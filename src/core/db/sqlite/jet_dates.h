// The classic engine's date functions as SQLite functions. Dates come in as ISO-8601 texts,
// classic date texts or serial numbers and go out as the canonical ISO text; Null in gives
// Null out; a value that is not a date is a type mismatch naming the function. Names of
// months and days are the US English ones. Most of them throw FunctionFailure: register them
// through Guarded (jet_date_values.h).
#pragma once

#include <sqlite3.h>

#include "core/db/sqlite/jet_date_values.h"

namespace tessel::db::sqlite {

void JetDate(sqlite3_context* context, int argc, sqlite3_value** argv);  // today
void JetTime(sqlite3_context* context, int argc, sqlite3_value** argv);  // the time of day
void JetNow(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetDateSerial(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetTimeSerial(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetDateValue(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetTimeValue(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetDateAdd(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetDateDiff(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetDatePart(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetWeekday(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetYear(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetMonth(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetDay(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetHour(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetMinute(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetSecond(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetMonthName(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetWeekdayName(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetCDate(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetIsDate(sqlite3_context* context, int argc, sqlite3_value** argv);  // -1 or 0
void JetFormat(sqlite3_context* context, int argc, sqlite3_value** argv);  // jet_format.cpp

}  // namespace tessel::db::sqlite
