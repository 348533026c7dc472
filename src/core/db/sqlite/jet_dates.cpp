#include "core/db/sqlite/jet_dates.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>
#include <string>
#include <utility>

#include "core/db/sqlite/jet_date_names.h"

namespace tessel::db::sqlite {
namespace {

using base::DateTime;

constexpr DateTime kDayZero{};  // 1899-12-30 00:00:00

long long FloorDivide(long long value, long long by) {
    return value / by - (value % by != 0 && value < 0 ? 1 : 0);
}

DateTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     std::min(local.tm_sec, 59)};
}

DateTime DateOnly(DateTime value) {
    value.hour = value.minute = value.second = 0;
    return value;
}

DateTime TimeOnly(const DateTime& value) {
    DateTime time = kDayZero;
    time.hour = value.hour;
    time.minute = value.minute;
    time.second = value.second;
    return time;
}

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Interval IntervalArgument(std::string_view function, sqlite3_value* value) {
    std::string text(TextOf(value));
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static constexpr std::pair<const char*, Interval> kIntervals[] = {
        {"yyyy", Interval::Year},   {"q", Interval::Quarter}, {"m", Interval::Month},
        {"y", Interval::DayOfYear}, {"d", Interval::Day},     {"w", Interval::Weekday},
        {"ww", Interval::Week},     {"h", Interval::Hour},    {"n", Interval::Minute},
        {"s", Interval::Second}};
    for (const auto& [name, interval] : kIntervals) {
        if (text == name)
            return interval;
    }
    ThrowInvalidArgument(
        function, "does not know the interval '" + text + "' (yyyy, q, m, y, d, w, ww, h, n or s)");
}

// Whole months added with the day kept, or clamped to the end of a shorter month.
std::optional<DateTime> AddMonths(DateTime value, long long months) {
    const long long total = value.year * 12LL + (value.month - 1) + months;
    const long long year = FloorDivide(total, 12);
    if (year < base::kFirstYear || year > base::kLastYear)
        return std::nullopt;
    value.year = static_cast<int>(year);
    value.month = static_cast<int>(total - year * 12) + 1;
    value.day = std::min(value.day, base::DaysInMonth(value.year, value.month));
    return value;
}

std::optional<DateTime> AddSeconds(const DateTime& value, double count, long long unit) {
    const double seconds = count * static_cast<double>(unit);
    if (std::fabs(seconds) > 1e12)  // far beyond the ten thousand years a date spans
        return std::nullopt;
    return DateTimeOfSeconds(SecondsOf(value) + static_cast<long long>(seconds));
}

long long DayNumber(const DateTime& value) {
    return base::DayNumberOf(value.year, value.month, value.day);
}

int Quarter(const DateTime& value) {
    return (value.month - 1) / 3 + 1;
}

void DateField(sqlite3_context* context, int argc, sqlite3_value** argv, std::string_view name,
               int DateTime::*field) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    sqlite3_result_int(context, DateArgument(name, argv[0]).*field);
}

}  // namespace

void JetDateSerial(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    long long year = WholeArgument("DateSerial", argv[0]);
    const long long month = WholeArgument("DateSerial", argv[1]);
    const long long day = WholeArgument("DateSerial", argv[2]);
    if (year >= 0 && year <= 29)
        year += 2000;
    else if (year >= 30 && year <= 99)
        year += 1900;
    // Months and days beyond their ranges carry into the years and months around them.
    const long long months = year * 12 + month - 1;
    const long long carried = FloorDivide(months, 12);
    if (carried < base::kFirstYear || carried > base::kLastYear)
        return ResultDate(context, "DateSerial", std::nullopt);
    const DateTime first{
        static_cast<int>(carried), static_cast<int>(months - carried * 12) + 1, 1, 0, 0, 0};
    ResultDate(context, "DateSerial", AddSeconds(first, static_cast<double>(day - 1), 86400));
}

void JetTimeSerial(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    const double seconds = WholeArgument("TimeSerial", argv[0]) * 3600.0 +
                           WholeArgument("TimeSerial", argv[1]) * 60.0 +
                           WholeArgument("TimeSerial", argv[2]);
    ResultDate(context, "TimeSerial", AddSeconds(kDayZero, seconds, 1));
}

void JetDateValue(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    ResultText(context, base::IsoText(DateOnly(DateArgument("DateValue", argv[0]))));
}

void JetTimeValue(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    ResultText(context, base::IsoText(TimeOnly(DateArgument("TimeValue", argv[0]))));
}

void JetDateAdd(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    const Interval interval = IntervalArgument("DateAdd", argv[0]);
    const double count = std::trunc(NumberArgument("DateAdd", argv[1]));
    const DateTime date = DateArgument("DateAdd", argv[2]);
    std::optional<DateTime> result;
    if (std::fabs(count) > 1e9) {
        result = std::nullopt;
    } else {
        const auto whole = static_cast<long long>(count);
        switch (interval) {
            case Interval::Year:
                result = AddMonths(date, whole * 12);
                break;
            case Interval::Quarter:
                result = AddMonths(date, whole * 3);
                break;
            case Interval::Month:
                result = AddMonths(date, whole);
                break;
            case Interval::DayOfYear:
            case Interval::Day:
            case Interval::Weekday:
                result = AddSeconds(date, count, 86400);
                break;
            case Interval::Week:
                result = AddSeconds(date, count, 7 * 86400);
                break;
            case Interval::Hour:
                result = AddSeconds(date, count, 3600);
                break;
            case Interval::Minute:
                result = AddSeconds(date, count, 60);
                break;
            case Interval::Second:
                result = AddSeconds(date, count, 1);
                break;
        }
    }
    ResultDate(context, "DateAdd", result);
}

namespace {

// The boundaries of the interval crossed from `from` to `to`, negative when `to` is earlier.
long long Difference(Interval interval, const DateTime& from, const DateTime& to, int firstDay) {
    switch (interval) {
        case Interval::Year:
            return to.year - from.year;
        case Interval::Quarter:
            return (to.year * 4LL + Quarter(to)) - (from.year * 4LL + Quarter(from));
        case Interval::Month:
            return (to.year * 12LL + to.month) - (from.year * 12LL + from.month);
        case Interval::DayOfYear:
        case Interval::Day:
            return DayNumber(to) - DayNumber(from);
        case Interval::Weekday:  // whole weeks of seven days
            return (DayNumber(to) - DayNumber(from)) / 7;
        case Interval::Week: {  // first days of the week crossed
            const long long toStart = DayNumber(to) - (WeekdayOf(to, firstDay) - 1);
            const long long fromStart = DayNumber(from) - (WeekdayOf(from, firstDay) - 1);
            return (toStart - fromStart) / 7;
        }
        case Interval::Hour:
            return FloorDivide(SecondsOf(to), 3600) - FloorDivide(SecondsOf(from), 3600);
        case Interval::Minute:
            return FloorDivide(SecondsOf(to), 60) - FloorDivide(SecondsOf(from), 60);
        case Interval::Second:
            return SecondsOf(to) - SecondsOf(from);
    }
    return 0;
}

}  // namespace

void JetDateDiff(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(std::min(argc, 3), argv))
        return sqlite3_result_null(context);
    const Interval interval = IntervalArgument("DateDiff", argv[0]);
    const DateTime from = DateArgument("DateDiff", argv[1]);
    const DateTime to = DateArgument("DateDiff", argv[2]);
    const int firstDay = FirstDayArgument("DateDiff", argc, argv, 3);
    FirstWeekArgument("DateDiff", argc, argv, 4);  // checked; it does not change a difference
    sqlite3_result_int64(context, Difference(interval, from, to, firstDay));
}

void JetDatePart(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(std::min(argc, 2), argv))
        return sqlite3_result_null(context);
    const Interval interval = IntervalArgument("DatePart", argv[0]);
    const DateTime date = DateArgument("DatePart", argv[1]);
    const int firstDay = FirstDayArgument("DatePart", argc, argv, 2);
    const int firstWeek = FirstWeekArgument("DatePart", argc, argv, 3);
    long long part = 0;
    switch (interval) {
        case Interval::Year:
            part = date.year;
            break;
        case Interval::Quarter:
            part = Quarter(date);
            break;
        case Interval::Month:
            part = date.month;
            break;
        case Interval::DayOfYear:
            part = DayNumber(date) - base::DayNumberOf(date.year, 1, 1) + 1;
            break;
        case Interval::Day:
            part = date.day;
            break;
        case Interval::Weekday:
            part = WeekdayOf(date, firstDay);
            break;
        case Interval::Week:
            part = WeekOfYear(date, firstDay, firstWeek);
            break;
        case Interval::Hour:
            part = date.hour;
            break;
        case Interval::Minute:
            part = date.minute;
            break;
        case Interval::Second:
            part = date.second;
            break;
    }
    sqlite3_result_int64(context, part);
}

void JetWeekday(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const DateTime date = DateArgument("Weekday", argv[0]);
    sqlite3_result_int(context, WeekdayOf(date, FirstDayArgument("Weekday", argc, argv, 1)));
}

namespace {

bool Abbreviate(std::string_view function, int argc, sqlite3_value** argv, int index) {
    return index < argc && sqlite3_value_type(argv[index]) != SQLITE_NULL &&
           NumberArgument(function, argv[index]) != 0;
}

}  // namespace

void JetMonthName(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const long long month = WholeArgument("MonthName", argv[0]);
    if (month < 1 || month > 12)
        ThrowInvalidArgument("MonthName", "takes a month from 1 to 12");
    ResultText(context,
               MonthNameOf(static_cast<int>(month), Abbreviate("MonthName", argc, argv, 1)));
}

void JetWeekdayName(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const long long day = WholeArgument("WeekdayName", argv[0]);
    if (day < 1 || day > 7)
        ThrowInvalidArgument("WeekdayName", "takes a day of the week from 1 to 7");
    const int firstDay = FirstDayArgument("WeekdayName", argc, argv, 2);
    const int fromSunday = static_cast<int>((day - 1 + firstDay - 1) % 7) + 1;
    ResultText(context, DayNameOf(fromSunday, Abbreviate("WeekdayName", argc, argv, 1)));
}

void JetCDate(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    const int type = sqlite3_value_type(argv[0]);
    if ((type == SQLITE_INTEGER || type == SQLITE_FLOAT) && !DateOfValue(argv[0])) {
        throw FunctionFailure{"Overflow: CDate cannot make a date of " +
                              std::string(TextOf(argv[0])) +
                              ", which lies outside the years 100 to 9999"};
    }
    ResultText(context, base::IsoText(DateArgument("CDate", argv[0])));
}

void JetDate(sqlite3_context* context, int, sqlite3_value**) {
    ResultText(context, base::IsoText(DateOnly(LocalNow())));
}

void JetTime(sqlite3_context* context, int, sqlite3_value**) {
    ResultText(context, base::IsoText(TimeOnly(LocalNow())));
}

void JetNow(sqlite3_context* context, int, sqlite3_value**) {
    ResultText(context, base::IsoText(LocalNow()));
}

void JetYear(sqlite3_context* c, int n, sqlite3_value** v) {
    DateField(c, n, v, "Year", &DateTime::year);
}

void JetMonth(sqlite3_context* c, int n, sqlite3_value** v) {
    DateField(c, n, v, "Month", &DateTime::month);
}

void JetDay(sqlite3_context* c, int n, sqlite3_value** v) {
    DateField(c, n, v, "Day", &DateTime::day);
}

void JetHour(sqlite3_context* c, int n, sqlite3_value** v) {
    DateField(c, n, v, "Hour", &DateTime::hour);
}

void JetMinute(sqlite3_context* c, int n, sqlite3_value** v) {
    DateField(c, n, v, "Minute", &DateTime::minute);
}

void JetSecond(sqlite3_context* c, int n, sqlite3_value** v) {
    DateField(c, n, v, "Second", &DateTime::second);
}

void JetIsDate(sqlite3_context* context, int, sqlite3_value** argv) {
    // Only texts are dates here; a number is a number, as the classic engine answers.
    const bool date = sqlite3_value_type(argv[0]) == SQLITE_TEXT && DateOfText(TextOf(argv[0]));
    sqlite3_result_int(context, date ? -1 : 0);
}

}  // namespace tessel::db::sqlite
