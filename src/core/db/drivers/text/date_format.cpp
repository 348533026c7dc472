#include "core/db/drivers/text/date_format.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tessel::db::text {
namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Two-digit years as the classic engine reads them: 00 to 29 in the 2000s, 30 to 99 in the
// 1900s.
int FullYear(int year, int digits) {
    if (digits > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

}  // namespace

int& DateFormat::FieldOf(base::DateTime& value, Part part) {
    switch (part) {
        case Part::Year:
            return value.year;
        case Part::Month:
            return value.month;
        case Part::Day:
            return value.day;
        case Part::Hour:
            return value.hour;
        case Part::Minute:
            return value.minute;
        default:
            return value.second;
    }
}

std::optional<DateFormat> DateFormat::Compile(std::string_view pattern) {
    // The letters of the parts, in the order of Part after Literal.
    constexpr std::string_view kPartLetters = "ymdhns";
    DateFormat format;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char letter = Lower(pattern[i]);
        std::size_t run = 1;
        while (i + run < pattern.size() && Lower(pattern[i + run]) == letter)
            ++run;
        Piece piece;
        piece.letters = static_cast<int>(run);
        const std::size_t part = kPartLetters.find(letter);
        if (part == std::string_view::npos)
            piece.literal = std::string(pattern.substr(i, run));
        else
            piece.part = static_cast<Part>(part + 1);
        if ((piece.part == Part::Year && run != 2 && run != 4) ||
            (piece.part != Part::Literal && piece.part != Part::Year && run > 2))
            return std::nullopt;
        format.pieces_.push_back(std::move(piece));
        i += run;
    }
    // "mm" next to an hour or a second is minutes.
    auto& pieces = format.pieces_;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        if (pieces[k].part != Part::Month)
            continue;
        const auto neighbour = [&](std::size_t from, int step) {
            for (auto j = static_cast<long>(from) + step;
                 j >= 0 && j < static_cast<long>(pieces.size()); j += step) {
                if (pieces[static_cast<std::size_t>(j)].part != Part::Literal)
                    return pieces[static_cast<std::size_t>(j)].part;
            }
            return Part::Literal;
        };
        if (neighbour(k, -1) == Part::Hour || neighbour(k, 1) == Part::Second)
            pieces[k].part = Part::Minute;
    }
    const auto has = [&](Part part) {
        return std::any_of(pieces.begin(), pieces.end(),
                           [&](const Piece& piece) { return piece.part == part; });
    };
    if (!has(Part::Year) || !has(Part::Month) || !has(Part::Day))
        return std::nullopt;
    return format;
}

std::optional<base::DateTime> DateFormat::Parse(std::string_view text) const {
    base::DateTime value;
    value.hour = value.minute = value.second = 0;
    std::size_t at = 0;
    for (const Piece& piece : pieces_) {
        if (piece.part == Part::Literal) {
            if (text.substr(at, piece.literal.size()) != piece.literal)
                return std::nullopt;
            at += piece.literal.size();
            continue;
        }
        const std::size_t most =
            piece.part == Part::Year ? static_cast<std::size_t>(piece.letters) : 2;
        std::size_t digits = 0;
        int number = 0;
        while (at < text.size() && digits < most && IsDigit(text[at])) {
            number = number * 10 + (text[at] - '0');
            ++at;
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        FieldOf(value, piece.part) =
            piece.part == Part::Year ? FullYear(number, static_cast<int>(digits)) : number;
    }
    if (at != text.size() || value.year < base::kFirstYear || value.year > base::kLastYear ||
        value.month < 1 || value.month > 12 || value.day < 1 ||
        value.day > base::DaysInMonth(value.year, value.month) || value.hour > 23 ||
        value.minute > 59 || value.second > 59)
        return std::nullopt;
    return value;
}

std::string DateFormat::Format(const base::DateTime& value) const {
    std::string text;
    char digits[16];
    base::DateTime parts = value;
    for (const Piece& piece : pieces_) {
        if (piece.part == Part::Literal) {
            text += piece.literal;
            continue;
        }
        int number = FieldOf(parts, piece.part);
        if (piece.part == Part::Year && piece.letters == 2)
            number %= 100;
        std::snprintf(digits, sizeof digits, "%0*d", piece.letters, number);
        text += digits;
    }
    return text;
}

}  // namespace tessel::db::text
