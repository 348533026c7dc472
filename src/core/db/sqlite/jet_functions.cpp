#include "core/db/sqlite/jet_functions.h"

#include "core/db/sqlite/jet_dates.h"
#include "core/db/sqlite/jet_numbers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tessel::db::sqlite {
namespace {

// Byte offset of the character at `index` (0-based) in UTF-8 text, clamped to its end.
std::size_t CharacterOffset(std::string_view text, long long index) {
    std::size_t at = 0;
    for (long long seen = 0; at < text.size() && seen < index; ++seen) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
    }
    return at;
}

long long CharacterCount(std::string_view text) {
    long long count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

// Text of a value as the classic engine joins it: whole numbers without ".0".
std::string JoinText(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_FLOAT: {
            char text[32];
            std::snprintf(text, sizeof text, "%.15g", sqlite3_value_double(value));
            return text;
        }
        default:
            return std::string(TextOf(value));
    }
}

void JetConcat(sqlite3_context* context, int argc, sqlite3_value** argv) {
    bool allNull = true;
    std::string text;
    for (int i = 0; i < argc; ++i) {
        allNull = allNull && sqlite3_value_type(argv[i]) == SQLITE_NULL;
        text += JoinText(argv[i]);
    }
    if (allNull)
        return sqlite3_result_null(context);
    ResultText(context, text);
}

void Iif(sqlite3_context* context, int, sqlite3_value** argv) {
    const bool truth =
        sqlite3_value_type(argv[0]) != SQLITE_NULL && sqlite3_value_double(argv[0]) != 0;
    sqlite3_result_value(context, argv[truth ? 1 : 2]);
}

void Nz(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL) {
        sqlite3_result_value(context, argv[0]);
    } else if (argc > 1) {
        sqlite3_result_value(context, argv[1]);
    } else {
        ResultText(context, "");
    }
}

void Len(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    sqlite3_result_int64(context, CharacterCount(TextOf(argv[0])));
}

void Left(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    const auto text = TextOf(argv[0]);
    ResultText(context, text.substr(0, CharacterOffset(text, sqlite3_value_int64(argv[1]))));
}

void Right(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    const auto text = TextOf(argv[0]);
    const long long keep = sqlite3_value_int64(argv[1]);
    const long long skip = std::max(0LL, CharacterCount(text) - std::max(0LL, keep));
    ResultText(context, text.substr(CharacterOffset(text, skip)));
}

void Mid(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    const auto text = TextOf(argv[0]);
    const long long start = std::max(1LL, sqlite3_value_int64(argv[1])) - 1;
    const std::size_t begin = CharacterOffset(text, start);
    std::size_t end = text.size();
    if (argc > 2) {
        end = begin +
              CharacterOffset(text.substr(begin), std::max(0LL, sqlite3_value_int64(argv[2])));
    }
    ResultText(context, text.substr(begin, end - begin));
}

template <int (*Convert)(int)>
void MapCase(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    std::string text(TextOf(argv[0]));
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x80)
            c = static_cast<char>(Convert(c));
    }
    ResultText(context, text);
}

void CStr(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    ResultText(context, JoinText(argv[0]));
}

// CLng and CInt round halves to even, as the classic engine does.
void CLng(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    sqlite3_result_int64(context, std::llrint(sqlite3_value_double(argv[0])));
}

void CDbl(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    sqlite3_result_double(context, sqlite3_value_double(argv[0]));
}

// Every function here only computes its result from its arguments (Now reads the clock): none
// writes, reads a file or reaches the program, so each is innocuous and a file's views and
// triggers may call it even though the file's schema is not trusted.
struct Function {
    const char* name;
    int arguments;
    void (*call)(sqlite3_context*, int, sqlite3_value**);
    bool deterministic;
};

constexpr Function kFunctions[] = {
    {"JETCONCAT", 2, JetConcat, true},
    {"IIF", 3, Iif, true},
    {"NZ", 1, Nz, true},
    {"NZ", 2, Nz, true},
    {"LEN", 1, Len, true},
    {"LEFT", 2, Left, true},
    {"RIGHT", 2, Right, true},
    {"MID", 2, Mid, true},
    {"MID", 3, Mid, true},
    {"UCASE", 1, MapCase<std::toupper>, true},
    {"LCASE", 1, MapCase<std::tolower>, true},
    {"NOW", 0, JetNow, false},
    {"DATE", 0, JetDate, false},
    {"TIME", 0, JetTime, false},
    {"YEAR", 1, Guarded<JetYear>, true},
    {"MONTH", 1, Guarded<JetMonth>, true},
    {"DAY", 1, Guarded<JetDay>, true},
    {"HOUR", 1, Guarded<JetHour>, true},
    {"MINUTE", 1, Guarded<JetMinute>, true},
    {"SECOND", 1, Guarded<JetSecond>, true},
    {"DATESERIAL", 3, Guarded<JetDateSerial>, true},
    {"TIMESERIAL", 3, Guarded<JetTimeSerial>, true},
    {"DATEVALUE", 1, Guarded<JetDateValue>, true},
    {"TIMEVALUE", 1, Guarded<JetTimeValue>, true},
    {"DATEADD", 3, Guarded<JetDateAdd>, true},
    {"DATEDIFF", 3, Guarded<JetDateDiff>, true},
    {"DATEDIFF", 4, Guarded<JetDateDiff>, true},
    {"DATEDIFF", 5, Guarded<JetDateDiff>, true},
    {"DATEPART", 2, Guarded<JetDatePart>, true},
    {"DATEPART", 3, Guarded<JetDatePart>, true},
    {"DATEPART", 4, Guarded<JetDatePart>, true},
    {"WEEKDAY", 1, Guarded<JetWeekday>, true},
    {"WEEKDAY", 2, Guarded<JetWeekday>, true},
    {"MONTHNAME", 1, Guarded<JetMonthName>, true},
    {"MONTHNAME", 2, Guarded<JetMonthName>, true},
    {"WEEKDAYNAME", 1, Guarded<JetWeekdayName>, true},
    {"WEEKDAYNAME", 2, Guarded<JetWeekdayName>, true},
    {"WEEKDAYNAME", 3, Guarded<JetWeekdayName>, true},
    {"FORMAT", 1, Guarded<JetFormat>, true},
    {"FORMAT", 2, Guarded<JetFormat>, true},
    {"CDATE", 1, Guarded<JetCDate>, true},
    {"ISDATE", 1, JetIsDate, true},
    {"CSTR", 1, CStr, true},
    {"CLNG", 1, CLng, true},
    {"CINT", 1, CLng, true},
    {"CDBL", 1, CDbl, true},
    {"INT", 1, JetInt, true},
    {"FIX", 1, JetFix, true},
    {"SGN", 1, JetSgn, true},
    {"SQR", 1, JetSqr, true},
    {"SPACE", 1, JetSpace, true},
    {"STRREVERSE", 1, JetStrReverse, true},
};

}  // namespace

int RegisterJetFunctions(sqlite3* db) {
    for (const auto& function : kFunctions) {
        const int flags =
            SQLITE_UTF8 | SQLITE_INNOCUOUS | (function.deterministic ? SQLITE_DETERMINISTIC : 0);
        const int rc = sqlite3_create_function(db, function.name, function.arguments, flags,
                                               nullptr, function.call, nullptr, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

}  // namespace tessel::db::sqlite
