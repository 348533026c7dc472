// Dates as the classic engine counts them: a serial number of days since 1899-12-30 with the
// time of day as its fraction, and the ISO-8601 texts that SQLite files hold ("2001-02-03",
// "2001-02-03 04:05:06", or "04:05:06" for a time alone).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel::base {

// Years the classic engine accepts in a date.
inline constexpr int kFirstYear = 100;
inline constexpr int kLastYear = 9999;

struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS]" (also with "T"), or "HH:MM[:SS]" for a time of
// 1899-12-30; nothing unless it names a real day of the years 100 to 9999 and a real time.
std::optional<DateTime> ParseIsoDateTime(std::string_view text);

// The canonical text of a date: the date alone at midnight, the time alone on 1899-12-30,
// both otherwise, so that values computed from dates compare equal to literals.
std::string IsoText(const DateTime& value);

// Days since 1899-12-30, the time as the fraction. Before that day the whole part counts
// back and the fraction still counts forward, as the classic engine stores it (-1.25 is
// 1899-12-29 06:00).
double SerialOf(const DateTime& value);

// The date of a serial, to the nearest second; nothing outside the years 100 to 9999.
std::optional<DateTime> DateTimeOfSerial(double serial);
// The same for any year the calendar holds (files of other programs store dates outside the
// classic range); nothing for a serial that is not a number or too far out for any calendar.
std::optional<DateTime> DateTimeOfAnySerial(double serial);

// Whole days from 1899-12-30 to a day of the proleptic Gregorian calendar, and back.
long DayNumberOf(int year, int month, int day);
DateTime DateOfDayNumber(long days);

}  // namespace tessel::base
