#include "core/db/sqlite/jet_numbers.h"

#include <cmath>
#include <string>

#include "core/db/sqlite/jet_values.h"

namespace tessel::db::sqlite {
namespace {

template <double (*Round)(double)>
void RoundWith(sqlite3_context* context, sqlite3_value* value) {
    switch (sqlite3_value_numeric_type(value)) {
        case SQLITE_NULL:
            return sqlite3_result_null(context);
        case SQLITE_INTEGER:
            return sqlite3_result_int64(context, sqlite3_value_int64(value));
        case SQLITE_FLOAT:
            return ResultWhole(context, Round(sqlite3_value_double(value)));
        default:
            return ResultFailure(context, kTypeMismatch);
    }
}

}  // namespace

void JetInt(sqlite3_context* context, int, sqlite3_value** argv) {
    RoundWith<std::floor>(context, argv[0]);
}

void JetFix(sqlite3_context* context, int, sqlite3_value** argv) {
    RoundWith<std::trunc>(context, argv[0]);
}

void JetSgn(sqlite3_context* context, int, sqlite3_value** argv) {
    switch (sqlite3_value_numeric_type(argv[0])) {
        case SQLITE_NULL:
            return sqlite3_result_null(context);
        case SQLITE_INTEGER: {
            const sqlite3_int64 value = sqlite3_value_int64(argv[0]);
            return sqlite3_result_int(context, value > 0 ? 1 : (value < 0 ? -1 : 0));
        }
        case SQLITE_FLOAT: {
            const double value = sqlite3_value_double(argv[0]);
            return sqlite3_result_int(context, value > 0 ? 1 : (value < 0 ? -1 : 0));
        }
        default:
            return ResultFailure(context, kTypeMismatch);
    }
}

void JetSqr(sqlite3_context* context, int, sqlite3_value** argv) {
    const int type = sqlite3_value_numeric_type(argv[0]);
    if (type == SQLITE_NULL)
        return sqlite3_result_null(context);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT)
        return ResultFailure(context, kTypeMismatch);
    const double value = sqlite3_value_double(argv[0]);
    if (value < 0)
        return ResultFailure(context, kInvalidArgument);
    sqlite3_result_double(context, std::sqrt(value));
}

void JetSpace(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const sqlite3_int64 count = sqlite3_value_int64(argv[0]);
    if (count < 0)
        return ResultFailure(context, kInvalidArgument);
    // Never more than the connection takes as one value.
    if (count > sqlite3_limit(sqlite3_context_db_handle(context), SQLITE_LIMIT_LENGTH, -1))
        return sqlite3_result_error_toobig(context);
    const std::string blanks(static_cast<std::size_t>(count), ' ');
    sqlite3_result_text(context, blanks.data(), static_cast<int>(blanks.size()), SQLITE_TRANSIENT);
}

void JetStrReverse(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const auto size = static_cast<std::size_t>(sqlite3_value_bytes(argv[0]));
    std::string reversed;
    reversed.reserve(size);
    // Character by character: the bytes of a UTF-8 character keep their order.
    std::size_t end = size;
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && (static_cast<unsigned char>(text[begin]) & 0xC0) == 0x80)
            --begin;
        reversed.append(text + begin, end - begin);
        end = begin;
    }
    sqlite3_result_text(context, reversed.data(), static_cast<int>(reversed.size()),
                        SQLITE_TRANSIENT);
}

}  // namespace tessel::db::sqlite
