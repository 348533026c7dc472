#include "core/db/sqlite/jet_date_names.h"

namespace tessel::db::sqlite {
namespace {

constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
constexpr const char* kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

std::string Shorten(const char* name, bool abbreviate) {
    std::string text(name);
    return abbreviate ? text.substr(0, 3) : text;
}

}  // namespace

std::string MonthNameOf(int month, bool abbreviate) {
    return Shorten(kMonths[month - 1], abbreviate);
}

std::string DayNameOf(int dayFromSunday, bool abbreviate) {
    return Shorten(kDays[dayFromSunday - 1], abbreviate);
}

}  // namespace tessel::db::sqlite
