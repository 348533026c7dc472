#include "core/db/sqlite/jet_values.h"

#include "core/db/sqlite/decimal_digits.h"

#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>

#include "core/base/date_serial.h"
#include "core/base/utf8.h"

namespace tessel::db::sqlite {
namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Reads one character at `at` and moves past it; a byte that does not start a valid sequence
// stands for itself.
char32_t NextCharacter(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t extra = lead >= 0xF0 && lead < 0xF5   ? 3
                              : lead >= 0xE0 && lead < 0xF0 ? 2
                              : lead >= 0xC2 && lead < 0xE0 ? 1
                                                            : 0;
    if (extra == 0 || at + extra >= text.size()) {
        ++at;
        return lead;
    }
    char32_t character = lead & (0x3F >> extra);
    for (std::size_t i = 1; i <= extra; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!IsContinuation(byte)) {
            ++at;
            return lead;
        }
        character = (character << 6) | (byte & 0x3F);
    }
    at += extra + 1;
    return character;
}

locale_t Utf8Locale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return locale;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::string_view TextOf(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(value)))
                : std::string_view();
}

void ResultText(sqlite3_context* context, std::string_view text) {
    sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void ResultFailure(sqlite3_context* context, const char* error) {
    std::string message = error;
    if (const auto* name = static_cast<const char*>(sqlite3_user_data(context)))
        message += std::string(" in ") + name;
    sqlite3_result_error(context, message.c_str(), -1);
}

bool AnyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return true;
    }
    return false;
}

std::size_t CharacterOffset(std::string_view text, long long index) {
    std::size_t at = 0;
    for (long long seen = 0; at < text.size() && seen < index; ++seen)
        NextCharacter(text, at);
    return at;
}

long long CharacterCount(std::string_view text) {
    long long count = 0;
    for (std::size_t at = 0; at < text.size(); ++count)
        NextCharacter(text, at);
    return count;
}

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string characters;
    for (std::size_t at = 0; at < text.size();)
        characters += NextCharacter(text, at);
    return characters;
}

std::string EncodeUtf8(std::u32string_view characters) {
    std::string text;
    text.reserve(characters.size());
    for (char32_t c : characters)
        base::AppendUtf8(text, c);
    return text;
}

std::string MapCharacters(std::string_view text, char32_t (*map)(char32_t)) {
    std::string mapped;
    mapped.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t begin = at;
        const char32_t character = NextCharacter(text, at);
        if (character >= 0x80 && at == begin + 1) {
            mapped += text[begin];  // not UTF-8: kept as it came
        } else {
            base::AppendUtf8(mapped, map(character));
        }
    }
    return mapped;
}

char32_t UpperCase(char32_t c) {
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
    const locale_t locale = Utf8Locale();
    return locale ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale)) : c;
}

char32_t LowerCase(char32_t c) {
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
    const locale_t locale = Utf8Locale();
    return locale ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), locale)) : c;
}

std::optional<double> ParseNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (text.size() > 2 && text[0] == '&' &&
        (text[1] == 'H' || text[1] == 'h' || text[1] == 'O' || text[1] == 'o')) {
        const int base = text[1] == 'H' || text[1] == 'h' ? 16 : 8;
        const std::string digits(text.substr(2));
        char* end = nullptr;
        const unsigned long long value = std::strtoull(digits.c_str(), &end, base);
        if (*end != '\0' || digits.find_first_of("+- ") != std::string::npos)
            return std::nullopt;
        return static_cast<double>(value);
    }
    std::string number(text);
    std::size_t at = 0;
    if (at < number.size() && (number[at] == '+' || number[at] == '-'))
        ++at;
    std::size_t digits = 0;
    bool point = false;
    for (; at < number.size(); ++at) {
        if (number[at] >= '0' && number[at] <= '9') {
            ++digits;
        } else if (number[at] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (at < number.size() &&
        (number[at] == 'e' || number[at] == 'E' || number[at] == 'd' || number[at] == 'D')) {
        number[at++] = 'e';
        if (at < number.size() && (number[at] == '+' || number[at] == '-'))
            ++at;
        const std::size_t exponent = at;
        while (at < number.size() && number[at] >= '0' && number[at] <= '9')
            ++at;
        if (at == exponent)
            return std::nullopt;
    }
    if (at != number.size())
        return std::nullopt;
    const double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> NumberOf(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return sqlite3_value_double(value);
        case SQLITE_TEXT: {
            const auto text = TextOf(value);
            if (auto number = ParseNumber(text))
                return number;
            if (auto date = base::ParseIsoDateTime(text))
                return base::SerialOf(*date);
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

std::optional<double> NumberArgument(sqlite3_context* context, sqlite3_value* value) {
    auto number = NumberOf(value);
    if (!number)
        ResultFailure(context, kTypeMismatch);
    return number;
}

std::optional<long long> WholeArgument(sqlite3_context* context, sqlite3_value* value,
                                       long long low, long long high) {
    if (sqlite3_value_type(value) == SQLITE_INTEGER) {
        const sqlite3_int64 whole = sqlite3_value_int64(value);
        if (whole >= low && whole <= high)
            return whole;
        ResultFailure(context, kOverflow);
        return std::nullopt;
    }
    const auto number = NumberArgument(context, value);
    if (!number)
        return std::nullopt;
    const double rounded = std::nearbyint(*number);  // the default mode: a half to even
    if (rounded >= static_cast<double>(low) && rounded <= static_cast<double>(high))
        return static_cast<long long>(rounded);
    ResultFailure(context, kOverflow);
    return std::nullopt;
}

void ResultWhole(sqlite3_context* context, double value) {
    if (value >= -9.2e18 && value <= 9.2e18)
        return sqlite3_result_int64(context, static_cast<sqlite3_int64>(value));
    sqlite3_result_double(context, value);
}

void ResultNumber(sqlite3_context* context, double value) {
    if (value == std::trunc(value))
        return ResultWhole(context, value);
    sqlite3_result_double(context, value);
}

double RoundHalfEven(double value, int digits) {
    if (!std::isfinite(value) || value == 0)
        return value;
    const Decimal decimal = DecimalOf(value);
    if (decimal.exponent + digits >= static_cast<int>(decimal.digits.size()))
        return value;  // nothing to round away
    const double rounded = MagnitudeOf(RoundAt(decimal, digits, Halves::ToEven));
    return value < 0 ? -rounded : rounded;
}

std::string NumberText(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value);
    std::string written = text;
    const auto e = written.find('e');
    if (e == std::string::npos)
        return written;
    // "1e+20" as "1E+20", "1e-07" as "1E-07" keeps the exponent's two digits.
    written[e] = 'E';
    return written;
}

}  // namespace tessel::db::sqlite
