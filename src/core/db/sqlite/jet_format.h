// Format as the classic engine writes values, in US English: named formats ("Long Date",
// "Currency", ...) and custom ones, for dates, numbers and texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/base/date_serial.h"

namespace tessel::db::sqlite {

// Whether a format is a date format: a named one, or a custom one with date or time
// placeholders (d, m, y, h, n, s, w, q, c, ttttt, AM/PM) outside literal text.
bool IsDateFormat(std::string_view format);

// A date with a named or custom date format; an empty format gives the General Date.
std::string FormatDateTime(const base::DateTime& value, std::string_view format);

// A number with a named or custom number format of up to four sections
// (positive;negative;zero;null); an empty format gives the General Number.
std::string FormatNumber(double value, std::string_view format);

// Whether a format is one of the named number formats ("Currency", "Yes/No", ...).
bool IsNamedNumberFormat(std::string_view format);

// The text a Null takes from the fourth section of a number format, if it has one.
bool NullSection(std::string_view format, std::string& text);

// A text with "@" placeholders, ">" (upper case), "<" (lower case) and "!" (fill from the
// left); whether a format is one.
bool IsTextFormat(std::string_view format);
std::string FormatText(std::string_view text, std::string_view format);

// One character of a custom format; literal when it came from "quoted text" or after \.
struct FormatChar {
    char c;
    bool literal;
};
std::vector<FormatChar> FormatChars(std::string_view format);

}  // namespace tessel::db::sqlite
