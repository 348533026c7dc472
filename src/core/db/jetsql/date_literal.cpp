#include "core/db/jetsql/date_literal.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <vector>

#include "core/base/date_serial.h"

namespace tessel::db::jetsql {
namespace {

struct Piece {
    bool number = false;
    int value = 0;
    int digits = 0;
    std::string word;  // upper case
};

constexpr std::array<const char*, 12> kMonths{"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                              "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

int MonthOf(const std::string& word) {
    if (word.size() < 3)
        return 0;
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (word.compare(0, 3, kMonths[i]) == 0)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

bool ValidDate(int year, int month, int day) {
    return year >= base::kFirstYear && year <= base::kLastYear && month >= 1 && month <= 12 &&
           day >= 1 && day <= base::DaysInMonth(year, month);
}

// Two-digit years as the classic engine reads them: 00-29 are 2000-2029, 30-99 are 1930-1999.
int FullYear(const Piece& piece) {
    if (piece.digits <= 2)
        return piece.value < 30 ? 2000 + piece.value : 1900 + piece.value;
    return piece.value;
}

std::vector<Piece> Split(std::string_view text, char& separator) {
    std::vector<Piece> pieces;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isdigit(c)) {
            Piece piece{true, 0, 0, {}};
            while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
                if (piece.digits < 6)
                    piece.value = piece.value * 10 + (text[i] - '0');
                ++piece.digits;
                ++i;
            }
            pieces.push_back(piece);
        } else if (std::isalpha(c)) {
            Piece piece;
            while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
                piece.word += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
                ++i;
            }
            pieces.push_back(piece);
        } else {
            if ((c == '/' || c == '-') && separator == 0)
                separator = static_cast<char>(c);
            ++i;
        }
    }
    return pieces;
}

// Reads a date from pieces; false when they do not make one.
bool ReadDate(const std::vector<Piece>& p, int& year, int& month, int& day) {
    if (p.size() != 3)
        return false;
    if (p[0].number && p[1].number && p[2].number) {
        if (p[0].digits == 4) {  // yyyy-mm-dd
            year = p[0].value;
            month = p[1].value;
            day = p[2].value;
        } else {  // m/d/yyyy
            month = p[0].value;
            day = p[1].value;
            year = FullYear(p[2]);
        }
        return true;
    }
    if (!p[0].number && p[1].number && p[2].number) {  // Jan 5, 2001
        month = MonthOf(p[0].word);
        day = p[1].value;
        year = FullYear(p[2]);
        return month != 0;
    }
    if (p[0].number && !p[1].number && p[2].number) {  // 5-Jan-2001
        day = p[0].value;
        month = MonthOf(p[1].word);
        year = FullYear(p[2]);
        return month != 0;
    }
    return false;
}

// Reads "h:mm[:ss] [AM|PM]"; false when it is not a valid time.
bool ReadTime(std::string_view text, int& hour, int& minute, int& second) {
    char separator = 0;
    auto pieces = Split(text, separator);
    std::string meridiem;
    if (!pieces.empty() && !pieces.back().number) {
        meridiem = pieces.back().word;
        pieces.pop_back();
    }
    if (pieces.empty() || pieces.size() > 3)
        return false;
    for (const auto& piece : pieces) {
        if (!piece.number)
            return false;
    }
    hour = pieces[0].value;
    minute = pieces.size() > 1 ? pieces[1].value : 0;
    second = pieces.size() > 2 ? pieces[2].value : 0;
    if (!meridiem.empty()) {
        if ((meridiem != "AM" && meridiem != "PM") || hour < 1 || hour > 12)
            return false;
        if (meridiem == "AM" && hour == 12)
            hour = 0;
        if (meridiem == "PM" && hour != 12)
            hour += 12;
    }
    return hour <= 23 && minute <= 59 && second <= 59;
}

}  // namespace

std::optional<std::string> JetDateToIso(std::string_view literal) {
    std::string_view text = literal;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;

    // The time part starts at the piece holding the first ":".
    const auto colon = text.find(':');
    std::string_view datePart = text;
    std::string_view timePart;
    if (colon != std::string_view::npos) {
        auto start = text.find_last_of(" T", colon);
        if (start == std::string_view::npos) {
            datePart = {};
            timePart = text;
        } else {
            datePart = text.substr(0, start);
            timePart = text.substr(start + 1);
        }
    } else {
        // "5/1/2001 10 PM" has no colon; the date has three pieces, anything after is a time.
        char separator = 0;
        auto pieces = Split(text, separator);
        if (pieces.size() > 3)
            return std::nullopt;
    }

    char buffer[32];
    std::string result;
    if (!datePart.empty()) {
        char separator = 0;
        const auto pieces = Split(datePart, separator);
        int year = 0, month = 0, day = 0;
        if (!ReadDate(pieces, year, month, day) || !ValidDate(year, month, day)) {
            return std::nullopt;
        }
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
        result = buffer;
    }
    if (!timePart.empty()) {
        int hour = 0, minute = 0, second = 0;
        if (!ReadTime(timePart, hour, minute, second))
            return std::nullopt;
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", hour, minute, second);
        if (!result.empty())
            result += ' ';
        result += buffer;
    }
    return result;
}

}  // namespace tessel::db::jetsql
