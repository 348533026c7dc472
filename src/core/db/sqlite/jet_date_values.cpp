#include "core/db/sqlite/jet_date_values.h"

#include <cmath>
#include <cstdio>

#include "core/db/jetsql/date_literal.h"

namespace tessel::db::sqlite {
namespace {

constexpr long long kSecondsPerDay = 86400;

long long FloorDivide(long long value, long long by) {
    return value / by - (value % by != 0 && (value < 0) != (by < 0) ? 1 : 0);
}

// The argument as the message shows it: texts quoted, numbers as written.
std::string Shown(sqlite3_value* value) {
    if (sqlite3_value_type(value) == SQLITE_TEXT)
        return "'" + std::string(TextOf(value)) + "'";
    if (sqlite3_value_type(value) == SQLITE_BLOB)
        return "a binary value";
    return std::string(TextOf(value));
}

// An optional setting from 0 to `last`, where 0 (or none) is the system's choice, which for
// US English is 1: Sunday first, and week 1 holding January 1.
int SettingArgument(std::string_view function, int argc, sqlite3_value** argv, int index, int last,
                    std::string_view what);

}  // namespace

void ThrowTypeMismatch(std::string_view function, sqlite3_value* value, std::string_view what) {
    throw FunctionFailure{"Type mismatch: " + std::string(function) + " cannot read " +
                          Shown(value) + " as " + std::string(what)};
}

void ThrowInvalidArgument(std::string_view function, std::string_view why) {
    throw FunctionFailure{"Invalid procedure call or argument: " + std::string(function) + " " +
                          std::string(why)};
}

namespace {

int SettingArgument(std::string_view function, int argc, sqlite3_value** argv, int index, int last,
                    std::string_view what) {
    if (index >= argc || sqlite3_value_type(argv[index]) == SQLITE_NULL)
        return 1;
    const long long setting = WholeArgument(function, argv[index]);
    if (setting < 0 || setting > last) {
        ThrowInvalidArgument(function,
                             "takes a " + std::string(what) + " from 0 to " + std::to_string(last));
    }
    return setting == 0 ? 1 : static_cast<int>(setting);
}

}  // namespace

std::optional<base::DateTime> DateOfText(std::string_view text) {
    if (auto iso = base::ParseIsoDateTime(text))
        return iso;
    const auto converted = jetsql::JetDateToIso(text);
    return converted ? base::ParseIsoDateTime(*converted) : std::nullopt;
}

std::optional<base::DateTime> DateOfValue(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return base::DateTimeOfSerial(sqlite3_value_double(value));
        case SQLITE_TEXT:
            return DateOfText(TextOf(value));
        default:
            return std::nullopt;
    }
}

base::DateTime DateArgument(std::string_view function, sqlite3_value* value) {
    const auto date = DateOfValue(value);
    if (!date)
        ThrowTypeMismatch(function, value, "a date");
    return *date;
}

double NumberArgument(std::string_view function, sqlite3_value* value) {
    const int type = sqlite3_value_numeric_type(value);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT)
        ThrowTypeMismatch(function, value, "a number");
    return sqlite3_value_double(value);
}

long long WholeArgument(std::string_view function, sqlite3_value* value) {
    const double number = NumberArgument(function, value);
    // Beyond this no date or time can come out, and the cast stays defined.
    if (std::fabs(number) > 1e15)
        ThrowInvalidArgument(function, "was given a number too large for a date");
    return static_cast<long long>(std::nearbyint(number));  // halves to even
}

long long SecondsOf(const base::DateTime& value) {
    return base::DayNumberOf(value.year, value.month, value.day) * kSecondsPerDay +
           value.hour * 3600LL + value.minute * 60LL + value.second;
}

std::optional<base::DateTime> DateTimeOfSeconds(long long seconds) {
    static const long long kLow = SecondsOf({base::kFirstYear, 1, 1, 0, 0, 0});
    static const long long kHigh = SecondsOf({base::kLastYear, 12, 31, 23, 59, 59});
    if (seconds < kLow || seconds > kHigh)
        return std::nullopt;
    const long long days = FloorDivide(seconds, kSecondsPerDay);
    const long long rest = seconds - days * kSecondsPerDay;
    base::DateTime value = base::DateOfDayNumber(static_cast<long>(days));
    value.hour = static_cast<int>(rest / 3600);
    value.minute = static_cast<int>(rest / 60 % 60);
    value.second = static_cast<int>(rest % 60);
    return value;
}

void ResultDate(sqlite3_context* context, std::string_view function,
                std::optional<base::DateTime> value) {
    if (!value)
        ThrowInvalidArgument(function, "gives a date outside the years 100 to 9999");
    ResultText(context, base::IsoText(*value));
}

int WeekdayOf(const base::DateTime& value, int firstDay) {
    // 1899-12-30 was a Saturday, the seventh day counted from Sunday.
    const long days = base::DayNumberOf(value.year, value.month, value.day);
    const int fromSunday = static_cast<int>(((days % 7) + 7 + 6) % 7);  // 0 for Sunday
    return (fromSunday - (firstDay - 1) + 7) % 7 + 1;
}

int FirstDayArgument(std::string_view function, int argc, sqlite3_value** argv, int index) {
    return SettingArgument(function, argc, argv, index, 7, "first day of the week");
}

// The week of the year: 1 is the week holding January 1, the first week with four days of
// the year, or the first whole week (firstWeek 1, 2, 3); days before it belong to the last
// week of the year before.
int WeekOfYear(const base::DateTime& value, int firstDay, int firstWeek) {
    const auto weekOneStart = [&](int year) {
        const long long januaryFirst = base::DayNumberOf(year, 1, 1);
        const int offset = WeekdayOf({year, 1, 1, 0, 0, 0}, firstDay) - 1;
        if (firstWeek == 2)
            return offset <= 3 ? januaryFirst - offset : januaryFirst - offset + 7;
        if (firstWeek == 3)
            return offset == 0 ? januaryFirst : januaryFirst - offset + 7;
        return januaryFirst - offset;
    };
    const long long day = base::DayNumberOf(value.year, value.month, value.day);
    long long start = weekOneStart(value.year);
    if (day < start)
        start = weekOneStart(value.year - 1);
    return static_cast<int>((day - start) / 7 + 1);
}

int FirstWeekArgument(std::string_view function, int argc, sqlite3_value** argv, int index) {
    return SettingArgument(function, argc, argv, index, 3, "first week of the year");
}

}  // namespace tessel::db::sqlite
