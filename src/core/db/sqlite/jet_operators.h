// The classic engine's operators that SQLite's own do not match, as SQLite functions that the
// rewrites of the Jet layer call (see jetsql/arithmetic_rewrite.h).
//   JetDateAdd(a, b), JetDateSub(a, b)  a + b and a - b where a date counts days: date ± number
//       is a date, date - date the days between; an error "Overflow" outside the years 100 to
//       9999. Without a date among them, what SQLite's + and - give.
//   JetIntDiv(a, b)  a \ b: both rounded to whole numbers (halves to even), divided, truncated
//       toward zero; Null when either is Null; "Division by zero" and "Overflow" as errors.
#pragma once

#include <sqlite3.h>

namespace tessel::db::sqlite {

void JetAddOperator(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetSubtractOperator(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetIntDiv(sqlite3_context* context, int argc, sqlite3_value** argv);

// The texts of those errors, which the error map turns into the classic numbers.
inline constexpr const char* kDateOverflowText =
    "Overflow: the sum gives a date outside the years 100 to 9999";
inline constexpr const char* kDivisionOverflowText =
    "Overflow: the integer division \\ gives a number outside the Long Integer range";
inline constexpr const char* kDivisionByZeroText = "Division by zero";

}  // namespace tessel::db::sqlite
