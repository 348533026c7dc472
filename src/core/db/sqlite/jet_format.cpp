#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/db/sqlite/jet_date_values.h"
#include "core/db/sqlite/jet_dates.h"
#include "core/db/sqlite/jet_format.h"

namespace tessel::db::sqlite {
namespace {

bool ShowsDate(std::string_view format) {
    return !IsNamedNumberFormat(format) && IsDateFormat(format);
}

// The characters of a UTF-8 text, each as its bytes.
std::vector<std::string> Characters(std::string_view text) {
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 || characters.empty())
            characters.emplace_back();
        characters.back() += text[i];
    }
    return characters;
}

// A whole text that reads as a number, as Format takes "12.5".
std::optional<double> NumberOfText(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    const double number = std::strtod(copy.c_str(), &end);
    while (end && *end == ' ')
        ++end;
    if (copy.empty() || end == copy.c_str() || *end != '\0' || !std::isfinite(number))
        return std::nullopt;
    return number;
}

}  // namespace

void JetFormat(sqlite3_context* context, int argc, sqlite3_value** argv) {
    std::string_view format;
    if (argc > 1 && sqlite3_value_type(argv[1]) != SQLITE_NULL)
        format = TextOf(argv[1]);
    sqlite3_value* value = argv[0];
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL: {
            std::string text;
            if (NullSection(format, text))
                return ResultText(context, text);
            return sqlite3_result_null(context);
        }
        case SQLITE_INTEGER:
        case SQLITE_FLOAT: {
            const double number = sqlite3_value_double(value);
            if (IsTextFormat(format))
                return ResultText(context, FormatText(FormatNumber(number, ""), format));
            if (!ShowsDate(format))
                return ResultText(context, FormatNumber(number, format));
            const auto date = base::DateTimeOfSerial(number);
            if (!date)
                ThrowInvalidArgument("Format", "cannot show " + FormatNumber(number, "") +
                                                   " as a date outside the years 100 to 9999");
            return ResultText(context, FormatDateTime(*date, format));
        }
        case SQLITE_TEXT: {
            const auto text = TextOf(value);
            if (IsTextFormat(format))
                return ResultText(context, FormatText(text, format));
            if (const auto date = DateOfText(text)) {
                if (format.empty() || ShowsDate(format))
                    return ResultText(context, FormatDateTime(*date, format));
                return ResultText(context, FormatNumber(base::SerialOf(*date), format));
            }
            if (const auto number = NumberOfText(text); number && !format.empty()) {
                if (ShowsDate(format)) {
                    if (const auto date = base::DateTimeOfSerial(*number))
                        return ResultText(context, FormatDateTime(*date, format));
                }
                return ResultText(context, FormatNumber(*number, format));
            }
            return ResultText(context, text);  // a text no format applies to stays as it is
        }
        default:
            return sqlite3_result_value(context, value);
    }
}

bool IsTextFormat(std::string_view format) {
    bool casing = false;
    for (const auto& c : FormatChars(format)) {
        if (c.literal)
            continue;
        if (c.c == '@')
            return true;
        if (c.c == '<' || c.c == '>')
            casing = true;
        else if (c.c != '!')
            return false;
    }
    return casing;
}

std::string FormatText(std::string_view text, std::string_view format) {
    const auto chars = FormatChars(format);
    std::string cased(text);
    for (const auto& c : chars) {
        if (c.literal || (c.c != '<' && c.c != '>'))
            continue;
        for (char& letter : cased) {
            if (static_cast<unsigned char>(letter) < 0x80) {
                letter =
                    static_cast<char>(c.c == '>' ? std::toupper(letter) : std::tolower(letter));
            }
        }
    }
    const auto characters = Characters(cased);
    long placeholders = 0;
    bool fromLeft = false;
    for (const auto& c : chars) {
        placeholders += !c.literal && c.c == '@' ? 1 : 0;
        fromLeft = fromLeft || (!c.literal && c.c == '!');
    }
    if (placeholders == 0)
        return cased;
    const long count = static_cast<long>(characters.size());
    // Filled from the right unless "!": the first placeholder takes what is left over.
    const long offset = fromLeft ? 0 : count - placeholders;
    std::string out;
    long seen = 0;
    for (const auto& c : chars) {
        if (c.literal || (c.c != '@' && c.c != '!' && c.c != '<' && c.c != '>')) {
            out += c.c;
            continue;
        }
        if (c.c != '@')
            continue;
        const long at = seen + offset;
        if (seen == 0 && !fromLeft) {
            for (long i = 0; i < offset; ++i)
                out += characters[static_cast<std::size_t>(i)];
        }
        out += at >= 0 && at < count ? characters[static_cast<std::size_t>(at)] : " ";
        if (++seen == placeholders && fromLeft) {
            for (long i = at + 1; i < count; ++i)
                out += characters[static_cast<std::size_t>(i)];
        }
    }
    return out;
}

}  // namespace tessel::db::sqlite
