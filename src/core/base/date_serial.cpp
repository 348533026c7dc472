#include "core/base/date_serial.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace tessel::base {
namespace {

constexpr int kSecondsPerDay = 86400;

const std::chrono::sys_days kEpoch{std::chrono::year{1899} / 12 / 30};

// Reads exactly `width` digits at `at`.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t width) {
    if (at + width > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "HH:MM[:SS]" from `at` to the end of `text`.
bool ParseTime(std::string_view text, std::size_t at, DateTime& value) {
    const auto hour = Digits(text, at, 2);
    const auto minute = Digits(text, at + 3, 2);
    if (!hour || !minute || text[at + 2] != ':')
        return false;
    std::size_t end = at + 5;
    int second = 0;
    if (end < text.size()) {
        const auto seconds = Digits(text, end + 1, 2);
        if (text[end] != ':' || !seconds)
            return false;
        second = *seconds;
        end += 3;
    }
    if (end != text.size() || *hour > 23 || *minute > 59 || second > 59)
        return false;
    value.hour = *hour;
    value.minute = *minute;
    value.second = second;
    return true;
}

}  // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

std::optional<DateTime> ParseIsoDateTime(std::string_view text) {
    DateTime value;
    if (text.size() >= 3 && text[2] == ':')
        return ParseTime(text, 0, value) ? std::optional(value) : std::nullopt;
    const auto year = Digits(text, 0, 4);
    const auto month = Digits(text, 5, 2);
    const auto day = Digits(text, 8, 2);
    if (!year || !month || !day || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    if (*year < kFirstYear || *month < 1 || *month > 12 || *day < 1 ||
        *day > DaysInMonth(*year, *month)) {
        return std::nullopt;
    }
    value.year = *year;
    value.month = *month;
    value.day = *day;
    if (text.size() == 10)
        return value;
    if (text[10] != ' ' && text[10] != 'T')
        return std::nullopt;
    return ParseTime(text, 11, value) ? std::optional(value) : std::nullopt;
}

std::string IsoText(const DateTime& value) {
    char text[32];
    const bool midnight = value.hour == 0 && value.minute == 0 && value.second == 0;
    const bool timeOnly = value.year == 1899 && value.month == 12 && value.day == 30;
    if (midnight) {
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", value.year, value.month, value.day);
    } else if (timeOnly) {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", value.hour, value.minute, value.second);
    } else {
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", value.year, value.month,
                      value.day, value.hour, value.minute, value.second);
    }
    return text;
}

long DayNumberOf(int year, int month, int day) {
    const std::chrono::sys_days date{std::chrono::year{year} /
                                     std::chrono::month{static_cast<unsigned>(month)} /
                                     std::chrono::day{static_cast<unsigned>(day)}};
    return static_cast<long>((date - kEpoch).count());
}

DateTime DateOfDayNumber(long days) {
    const std::chrono::year_month_day date{kEpoch + std::chrono::days{days}};
    DateTime value;
    value.year = static_cast<int>(date.year());
    value.month = static_cast<int>(static_cast<unsigned>(date.month()));
    value.day = static_cast<int>(static_cast<unsigned>(date.day()));
    return value;
}

double SerialOf(const DateTime& value) {
    const long days = DayNumberOf(value.year, value.month, value.day);
    const double fraction =
        (value.hour * 3600.0 + value.minute * 60.0 + value.second) / kSecondsPerDay;
    return days < 0 ? days - fraction : days + fraction;
}

std::optional<DateTime> DateTimeOfAnySerial(double serial) {
    // Beyond about 30000 years the calendar has no year to give.
    if (!std::isfinite(serial) || std::fabs(serial) > 1.1e7)
        return std::nullopt;
    double whole = std::trunc(serial);
    long seconds = std::lround(std::fabs(serial - whole) * kSecondsPerDay);
    if (seconds >= kSecondsPerDay) {  // rounded up to the next midnight
        seconds = 0;
        whole += serial < 0 ? -1 : 1;
    }
    DateTime value = DateOfDayNumber(static_cast<long>(whole));
    value.hour = static_cast<int>(seconds / 3600);
    value.minute = static_cast<int>(seconds / 60 % 60);
    value.second = static_cast<int>(seconds % 60);
    return value;
}

std::optional<DateTime> DateTimeOfSerial(double serial) {
    if (!std::isfinite(serial))
        return std::nullopt;
    static const double kLow = DayNumberOf(kFirstYear, 1, 1) - 1.0;
    static const double kHigh = DayNumberOf(kLastYear, 12, 31) + 1.0;
    if (serial <= kLow || serial >= kHigh)
        return std::nullopt;
    auto value = DateTimeOfAnySerial(serial);
    if (!value || value->year < kFirstYear || value->year > kLastYear)
        return std::nullopt;
    return value;
}

}  // namespace tessel::base
