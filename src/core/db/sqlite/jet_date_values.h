// Reading the arguments of the classic engine's date functions and the arithmetic they share,
// with the helpers every dialect function uses (Null arguments, texts in and out).
// A date argument is an ISO-8601 text as the files store dates, a text in a form the classic
// engine reads (US m/d/yyyy, month names, times with AM/PM), or a serial number of days since
// 1899-12-30. Failures are thrown as FunctionFailure and reported by Guarded.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/base/date_serial.h"
#include "core/db/sqlite/jet_values.h"

namespace tessel::db::sqlite {

// A function's refusal, its message already the classic engine's sentence.
struct FunctionFailure {
    std::string message;
};

// "Type mismatch: <function> cannot read <value> as <what>".
[[noreturn]] void ThrowTypeMismatch(std::string_view function, sqlite3_value* value,
                                    std::string_view what);
// "Invalid procedure call or argument: <function> <why>".
[[noreturn]] void ThrowInvalidArgument(std::string_view function, std::string_view why);

// Calls a function body, turning a FunctionFailure into the statement's error.
template <void (*Body)(sqlite3_context*, int, sqlite3_value**)>
void Guarded(sqlite3_context* context, int argc, sqlite3_value** argv) {
    try {
        Body(context, argc, argv);
    } catch (const FunctionFailure& failure) {
        sqlite3_result_error(context, failure.message.c_str(), -1);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(context);
    }
}

// The date of a text, ISO or in a form the classic engine reads; nothing when it is none.
std::optional<base::DateTime> DateOfText(std::string_view text);
// The date of a text or a serial number; nothing when the value is neither.
std::optional<base::DateTime> DateOfValue(sqlite3_value* value);
// The date of a non-Null argument, or a type mismatch naming `function`.
base::DateTime DateArgument(std::string_view function, sqlite3_value* value);
// A number argument (rounded to a whole number as the classic engine passes Integer
// arguments when `whole`), or a type mismatch naming `function`.
double NumberArgument(std::string_view function, sqlite3_value* value);
long long WholeArgument(std::string_view function, sqlite3_value* value);

// Seconds since 1899-12-30 00:00 on a straight time line: before that day too, a later
// moment has more seconds (the serial numbers do not).
long long SecondsOf(const base::DateTime& value);
// The moment of such a count of seconds; nothing outside the years 100 to 9999.
std::optional<base::DateTime> DateTimeOfSeconds(long long seconds);
// A computed date as the function's result, or an error naming `function` when it leaves the
// years 100 to 9999.
void ResultDate(sqlite3_context* context, std::string_view function,
                std::optional<base::DateTime> value);

// The day of the week, 1 to 7, counted from `firstDay` (1 Sunday ... 7 Saturday).
int WeekdayOf(const base::DateTime& value, int firstDay);
// A first-day-of-week argument (0 for the system's, which is Sunday), checked.
int FirstDayArgument(std::string_view function, int argc, sqlite3_value** argv, int index);

// A first-week-of-the-year argument (0 for the system's, which is the week of January 1).
int FirstWeekArgument(std::string_view function, int argc, sqlite3_value** argv, int index);
// The week of the year: week 1 holds January 1 (firstWeek 1), is the first with four days of
// the year (2) or the first whole week (3); days before it belong to the year before.
int WeekOfYear(const base::DateTime& value, int firstDay, int firstWeek);

}  // namespace tessel::db::sqlite
