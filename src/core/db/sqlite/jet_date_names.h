// The US English names of months and days that the date functions and Format write.
#pragma once

#include <string>

namespace tessel::db::sqlite {

// month 1 to 12; the first three letters when `abbreviate`.
std::string MonthNameOf(int month, bool abbreviate);
// dayFromSunday 1 (Sunday) to 7 (Saturday).
std::string DayNameOf(int dayFromSunday, bool abbreviate);

}  // namespace tessel::db::sqlite
