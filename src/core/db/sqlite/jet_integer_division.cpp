#include <cmath>

#include "core/db/sqlite/jet_operators.h"
#include "core/db/sqlite/sql_number.h"

namespace tessel::db::sqlite {
namespace {

// The classic engine divides Long values: each operand must round into that range.
constexpr double kLongMin = -2147483648.0;
constexpr double kLongMax = 2147483647.0;

}  // namespace

void JetIntDiv(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    // nearbyint rounds halves to even in the default rounding mode, as the classic engine does.
    const double a = std::nearbyint(SqlNumberOf(argv[0]).AsDouble());
    const double b = std::nearbyint(SqlNumberOf(argv[1]).AsDouble());
    if (!(a >= kLongMin && a <= kLongMax && b >= kLongMin && b <= kLongMax))
        return sqlite3_result_error(context, kDivisionOverflowText, -1);
    if (b == 0)
        return sqlite3_result_error(context, kDivisionByZeroText, -1);
    const auto quotient = static_cast<sqlite3_int64>(a) / static_cast<sqlite3_int64>(b);
    if (quotient > static_cast<sqlite3_int64>(kLongMax))
        return sqlite3_result_error(context, kDivisionOverflowText, -1);
    sqlite3_result_int64(context, quotient);
}

}  // namespace tessel::db::sqlite
