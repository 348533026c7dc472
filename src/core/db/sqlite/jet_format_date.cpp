#include <strings.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/db/sqlite/jet_date_names.h"
#include "core/db/sqlite/jet_date_values.h"
#include "core/db/sqlite/jet_format.h"

namespace tessel::db::sqlite {
namespace {

using base::DateTime;

struct Named {
    const char* name;
    const char* custom;  // nullptr for the General Date
};

constexpr Named kNamedDates[] = {
    {"General Date", nullptr},  {"Long Date", "dddd, mmmm d, yyyy"}, {"Medium Date", "dd-mmm-yy"},
    {"Short Date", "m/d/yyyy"}, {"Long Time", "h:nn:ss AM/PM"},      {"Medium Time", "hh:nn AM/PM"},
    {"Short Time", "hh:nn"},
};

const Named* NamedDate(std::string_view format) {
    for (const auto& named : kNamedDates) {
        if (format.size() == std::strlen(named.name) &&
            strncasecmp(format.data(), named.name, format.size()) == 0) {
            return &named;
        }
    }
    return nullptr;
}

bool IsTimeOnly(const DateTime& value) {
    return value.year == 1899 && value.month == 12 && value.day == 30;
}

bool IsMidnight(const DateTime& value) {
    return value.hour == 0 && value.minute == 0 && value.second == 0;
}

std::string Padded(int value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return text;
}

bool Matches(const std::vector<FormatChar>& chars, std::size_t at, std::string_view word) {
    if (at + word.size() > chars.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (chars[at + i].literal ||
            std::tolower(static_cast<unsigned char>(chars[at + i].c)) != word[i]) {
            return false;
        }
    }
    return true;
}

// The AM/PM marker at `at` and its length: AM/PM, am/pm, A/P, a/p or AMPM (US: AM and PM).
std::size_t Meridiem(const std::vector<FormatChar>& chars, std::size_t at, const DateTime& value,
                     std::string* out) {
    const bool pm = value.hour >= 12;
    const bool lower = std::islower(static_cast<unsigned char>(chars[at].c)) != 0;
    std::string text;
    std::size_t length = 0;
    if (Matches(chars, at, "am/pm")) {
        text = pm ? "PM" : "AM";
        length = 5;
    } else if (Matches(chars, at, "a/p")) {
        text = pm ? "P" : "A";
        length = 3;
    } else if (Matches(chars, at, "ampm")) {
        if (out)
            *out += pm ? "PM" : "AM";  // the system's markers, as they are written
        return 4;
    } else {
        return 0;
    }
    if (lower) {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (out)
        *out += text;
    return length;
}

bool HasMeridiem(const std::vector<FormatChar>& chars) {
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (!chars[i].literal && Meridiem(chars, i, {}, nullptr) != 0)
            return true;
    }
    return false;
}

std::string GeneralDate(const DateTime& value);

std::string Custom(const DateTime& value, std::string_view format) {
    const auto chars = FormatChars(format);
    const bool twelveHours = HasMeridiem(chars);
    const int hour12 = value.hour % 12 == 0 ? 12 : value.hour % 12;
    const int hour = twelveHours ? hour12 : value.hour;
    std::string out;
    bool afterHour = false;  // an "m" right after "h" or "hh" is the minute
    for (std::size_t i = 0; i < chars.size();) {
        if (chars[i].literal) {
            out += chars[i++].c;
            continue;
        }
        if (const std::size_t length = Meridiem(chars, i, value, &out)) {
            i += length;
            continue;
        }
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(chars[i].c)));
        std::size_t run = 1;
        while (i + run < chars.size() && !chars[i + run].literal &&
               std::tolower(static_cast<unsigned char>(chars[i + run].c)) == c) {
            ++run;
        }
        bool hourToken = false;
        switch (c) {
            case 'd':
                if (run <= 2)
                    out += Padded(value.day, static_cast<int>(run));
                else if (run <= 4)
                    out += DayNameOf(WeekdayOf(value, 1), run == 3);
                else
                    out += Custom(value, run == 5 ? "m/d/yyyy" : "dddd, mmmm d, yyyy");
                break;
            case 'w':
                out += std::to_string(run == 1 ? WeekdayOf(value, 1) : WeekOfYear(value, 1, 1));
                run = std::min<std::size_t>(run, 2);
                break;
            case 'm':
                if (run <= 2 && afterHour)
                    out += Padded(value.minute, static_cast<int>(run));
                else if (run <= 2)
                    out += Padded(value.month, static_cast<int>(run));
                else
                    out += MonthNameOf(value.month, run == 3);
                break;
            case 'q':
                out += std::to_string((value.month - 1) / 3 + 1);
                run = 1;
                break;
            case 'y':
                if (run == 1) {
                    out += std::to_string(base::DayNumberOf(value.year, value.month, value.day) -
                                          base::DayNumberOf(value.year, 1, 1) + 1);
                } else if (run <= 3) {
                    out += Padded(value.year % 100, 2);
                } else {
                    out += Padded(value.year, 4);
                }
                break;
            case 'h':
                out += Padded(hour, run >= 2 ? 2 : 1);
                hourToken = true;
                break;
            case 'n':
                out += Padded(value.minute, run >= 2 ? 2 : 1);
                break;
            case 's':
                out += Padded(value.second, run >= 2 ? 2 : 1);
                break;
            case 't':
                if (run == 5) {
                    out += Custom(value, "h:nn:ss AM/PM");
                    break;
                }
                out.append(run, chars[i].c);
                break;
            case 'c':
                out += GeneralDate(value);
                run = 1;
                break;
            default:
                out.append(run, chars[i].c);  // separators and other characters as written
                i += run;
                continue;
        }
        afterHour = hourToken;
        i += run;
    }
    return out;
}

std::string GeneralDate(const DateTime& value) {
    if (IsTimeOnly(value))
        return Custom(value, "h:nn:ss AM/PM");
    if (IsMidnight(value))
        return Custom(value, "m/d/yyyy");
    return Custom(value, "m/d/yyyy h:nn:ss AM/PM");
}

}  // namespace

std::vector<FormatChar> FormatChars(std::string_view format) {
    std::vector<FormatChar> chars;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '"') {
            for (++i; i < format.size() && format[i] != '"'; ++i)
                chars.push_back({format[i], true});
        } else if (format[i] == '\\' && i + 1 < format.size()) {
            chars.push_back({format[++i], true});
        } else {
            chars.push_back({format[i], false});
        }
    }
    return chars;
}

bool IsDateFormat(std::string_view format) {
    if (NamedDate(format))
        return true;
    for (const auto& piece : FormatChars(format)) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(piece.c)));
        if (!piece.literal && std::string_view("dmyhnswqct").find(c) != std::string_view::npos)
            return true;
    }
    return false;
}

std::string FormatDateTime(const DateTime& value, std::string_view format) {
    if (format.empty())
        return GeneralDate(value);
    if (const Named* named = NamedDate(format))
        return named->custom ? Custom(value, named->custom) : GeneralDate(value);
    return Custom(value, format);
}

}  // namespace tessel::db::sqlite
