#include "core/db/sqlite/sql_number.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace tessel::db::sqlite {

SqlNumber SqlNumberOf(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
            return {true, sqlite3_value_int64(value), 0};
        case SQLITE_FLOAT:
            return {false, 0, sqlite3_value_double(value)};
        case SQLITE_NULL:
            return {};
        default:
            break;
    }
    const auto* bytes = sqlite3_value_text(value);
    const std::string text(bytes ? reinterpret_cast<const char*>(bytes) : "",
                           static_cast<std::size_t>(sqlite3_value_bytes(value)));
    const char* start = text.c_str();
    while (std::isspace(static_cast<unsigned char>(*start)))
        ++start;
    const char* digits = start + (*start == '+' || *start == '-' ? 1 : 0);
    // strtod would also read "inf", "nan" and hexadecimal numbers, which SQLite does not.
    if (!std::isdigit(static_cast<unsigned char>(*digits)) &&
        !(*digits == '.' && std::isdigit(static_cast<unsigned char>(digits[1])))) {
        return {};
    }
    const char* wholeEnd = digits;
    while (std::isdigit(static_cast<unsigned char>(*wholeEnd)))
        ++wholeEnd;
    char* end = nullptr;
    const double real = std::strtod(start, &end);
    if (end == wholeEnd) {
        errno = 0;
        const long long integer = std::strtoll(start, nullptr, 10);
        if (errno != ERANGE)
            return {true, integer, 0};
    }
    return {false, 0, real};
}

}  // namespace tessel::db::sqlite
