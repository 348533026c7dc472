#include "core/db/sqlite/jet_conversions.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "core/db/sqlite/jet_values.h"

namespace tessel::db::sqlite {
namespace {

// The largest Currency: 922,337,203,685,477.5807.
constexpr double kCurrencyLimit = 922337203685477.5807;

template <long long Low, long long High>
void ConvertWhole(sqlite3_context* context, sqlite3_value* value) {
    if (sqlite3_value_type(value) == SQLITE_NULL)
        return sqlite3_result_null(context);
    if (const auto whole = WholeArgument(context, value, Low, High))
        sqlite3_result_int64(context, *whole);
}

bool SameWord(std::string_view text, std::string_view word) {
    if (text.size() != word.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (UpperCase(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(word[i]))
            return false;
    }
    return true;
}

}  // namespace

void JetCBool(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
        const auto text = TextOf(argv[0]);
        if (SameWord(text, "TRUE"))
            return sqlite3_result_int(context, kJetTrue);
        if (SameWord(text, "FALSE"))
            return sqlite3_result_int(context, 0);
    }
    if (const auto number = NumberArgument(context, argv[0]))
        sqlite3_result_int(context, *number != 0 ? kJetTrue : 0);
}

void JetCByte(sqlite3_context* context, int, sqlite3_value** argv) {
    ConvertWhole<0, 255>(context, argv[0]);
}

void JetCInt(sqlite3_context* context, int, sqlite3_value** argv) {
    ConvertWhole<-32768, 32767>(context, argv[0]);
}

void JetCLng(sqlite3_context* context, int, sqlite3_value** argv) {
    ConvertWhole<-2147483648LL, 2147483647LL>(context, argv[0]);
}

void JetCCur(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const auto number = NumberArgument(context, argv[0]);
    if (!number)
        return;
    const double currency = RoundHalfEven(*number, 4);
    if (std::fabs(currency) > kCurrencyLimit)
        return ResultFailure(context, kOverflow);
    ResultNumber(context, currency);
}

void JetCSng(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const auto number = NumberArgument(context, argv[0]);
    if (!number)
        return;
    if (std::fabs(*number) > FLT_MAX)
        return ResultFailure(context, kOverflow);
    // The Single's own seven digits, so that CSng(1.1) shows 1.1 and not 1.10000002384186.
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(static_cast<float>(*number)));
    ResultNumber(context, std::strtod(text, nullptr));
}

void JetCDbl(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    if (const auto number = NumberArgument(context, argv[0]))
        ResultNumber(context, *number);
}

void JetCVar(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_result_value(context, argv[0]);
}

void JetRound(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    long long digits = 0;
    if (argc == 2) {
        const auto given = WholeArgument(context, argv[1]);
        if (!given)
            return;
        if (*given < 0)
            return ResultFailure(context, kInvalidArgument);
        digits = *given;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER)
        return sqlite3_result_int64(context, sqlite3_value_int64(argv[0]));
    if (const auto number = NumberArgument(context, argv[0]))
        ResultNumber(context, RoundHalfEven(*number, static_cast<int>(std::min(digits, 30LL))));
}

void JetAbs(sqlite3_context* context, int, sqlite3_value** argv) {
    switch (sqlite3_value_type(argv[0])) {
        case SQLITE_NULL:
            return sqlite3_result_null(context);
        case SQLITE_INTEGER: {
            const sqlite3_int64 value = sqlite3_value_int64(argv[0]);
            if (value == std::numeric_limits<sqlite3_int64>::min())
                return ResultFailure(context, kOverflow);
            return sqlite3_result_int64(context, value < 0 ? -value : value);
        }
        default:
            if (const auto number = NumberArgument(context, argv[0]))
                ResultNumber(context, std::fabs(*number));
    }
}

}  // namespace tessel::db::sqlite
