#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/date_serial.h"
#include "core/db/sqlite/jet_operators.h"
#include "core/db/sqlite/sql_number.h"

namespace tessel::db::sqlite {
namespace {

// The serial number of a value that is a date: a text the files hold dates as.
std::optional<double> DateSerialOf(sqlite3_value* value) {
    if (sqlite3_value_type(value) != SQLITE_TEXT)
        return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    const auto date = base::ParseIsoDateTime(
        std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(value))));
    if (!date)
        return std::nullopt;
    return base::SerialOf(*date);
}

void ResultDate(sqlite3_context* context, double serial) {
    const auto date = base::DateTimeOfSerial(serial);
    if (!date)
        return sqlite3_result_error(context, kDateOverflowText, -1);
    const std::string text = base::IsoText(*date);
    sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// A count of days: whole when it is whole, so that it shows without a fraction.
void ResultDays(sqlite3_context* context, double days) {
    if (days == std::trunc(days) && std::fabs(days) < 9.0e15)
        return sqlite3_result_int64(context, static_cast<sqlite3_int64>(days));
    sqlite3_result_double(context, days);
}

// SQLite's own a + b or a - b, for operands none of which is a date.
void ResultPlain(sqlite3_context* context, sqlite3_value* a, sqlite3_value* b, bool subtract) {
    const SqlNumber x = SqlNumberOf(a);
    const SqlNumber y = SqlNumberOf(b);
    if (x.whole && y.whole) {
        sqlite3_int64 sum = 0;
        const bool overflow = subtract ? __builtin_sub_overflow(x.integer, y.integer, &sum)
                                       : __builtin_add_overflow(x.integer, y.integer, &sum);
        if (!overflow)
            return sqlite3_result_int64(context, sum);
    }
    sqlite3_result_double(context,
                          subtract ? x.AsDouble() - y.AsDouble() : x.AsDouble() + y.AsDouble());
}

void Arithmetic(sqlite3_context* context, sqlite3_value** argv, bool subtract) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const auto a = DateSerialOf(argv[0]);
    const auto b = DateSerialOf(argv[1]);
    if (!a && !b)
        return ResultPlain(context, argv[0], argv[1], subtract);
    const double x = a ? *a : SqlNumberOf(argv[0]).AsDouble();
    const double y = b ? *b : SqlNumberOf(argv[1]).AsDouble();
    if (subtract && a && b)
        return ResultDays(context, x - y);
    ResultDate(context, subtract ? x - y : x + y);
}

}  // namespace

void JetAddOperator(sqlite3_context* context, int, sqlite3_value** argv) {
    Arithmetic(context, argv, false);
}

void JetSubtractOperator(sqlite3_context* context, int, sqlite3_value** argv) {
    Arithmetic(context, argv, true);
}

}  // namespace tessel::db::sqlite
