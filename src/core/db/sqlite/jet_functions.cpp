#include "core/db/sqlite/jet_functions.h"

#include "core/db/sqlite/jet_aggregates.h"
#include "core/db/sqlite/jet_conversions.h"
#include "core/db/sqlite/jet_dates.h"
#include "core/db/sqlite/jet_numbers.h"
#include "core/db/sqlite/jet_operators.h"
#include "core/db/sqlite/jet_strings.h"
#include "core/db/sqlite/jet_values.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tessel::db::sqlite {
namespace {

// Text of a value as the classic engine joins it: whole numbers without ".0".
std::string JoinText(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_FLOAT:
            return NumberText(sqlite3_value_double(value));
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
    // A negative length, like a Mid start before the first character, is the classic error 5.
    if (sqlite3_value_int64(argv[1]) < 0)
        return ResultFailure(context, kInvalidArgument);
    const auto text = TextOf(argv[0]);
    ResultText(context, text.substr(0, CharacterOffset(text, sqlite3_value_int64(argv[1]))));
}

void Right(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    if (sqlite3_value_int64(argv[1]) < 0)
        return ResultFailure(context, kInvalidArgument);
    const auto text = TextOf(argv[0]);
    const long long keep = sqlite3_value_int64(argv[1]);
    const long long skip = std::max(0LL, CharacterCount(text) - std::max(0LL, keep));
    ResultText(context, text.substr(CharacterOffset(text, skip)));
}

void Mid(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    if (sqlite3_value_int64(argv[1]) < 1 || (argc > 2 && sqlite3_value_int64(argv[2]) < 0))
        return ResultFailure(context, kInvalidArgument);
    const auto text = TextOf(argv[0]);
    const long long start = sqlite3_value_int64(argv[1]) - 1;
    const std::size_t begin = CharacterOffset(text, start);
    std::size_t end = text.size();
    if (argc > 2) {
        end = begin +
              CharacterOffset(text.substr(begin), std::max(0LL, sqlite3_value_int64(argv[2])));
    }
    ResultText(context, text.substr(begin, end - begin));
}

void CStr(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    ResultText(context, JoinText(argv[0]));
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
    {"Left", 2, Left, true},
    {"Right", 2, Right, true},
    {"Mid", 2, Mid, true},
    {"Mid", 3, Mid, true},
    {"UCase", 1, JetUCase, true},
    {"LCase", 1, JetLCase, true},
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
    {"Int", 1, JetInt, true},
    {"Fix", 1, JetFix, true},
    {"Sgn", 1, JetSgn, true},
    {"Sqr", 1, JetSqr, true},
    {"Space", 1, JetSpace, true},
    {"StrReverse", 1, JetStrReverse, true},
    // Round, Abs, Hex, InStr and Replace take the place of SQLite's own. Round takes a half to
    // even; Abs refuses a text that is no number; Hex of a number is the classic one, of a text
    // or blob SQLite's; InStr with two texts ignores case; Replace of three is SQLite's.
    {"Round", 1, JetRound, true},
    {"Round", 2, JetRound, true},
    {"Abs", 1, JetAbs, true},
    {"Val", 1, JetVal, true},
    {"Str", 1, JetStr, true},
    {"InStr", 2, JetInStr, true},
    {"InStr", 3, JetInStr, true},
    {"InStr", 4, JetInStr, true},
    {"InStrRev", 2, JetInStrRev, true},
    {"InStrRev", 3, JetInStrRev, true},
    {"InStrRev", 4, JetInStrRev, true},
    {"String", 2, JetString, true},
    {"Replace", 3, JetReplace, true},
    {"Replace", 4, JetReplace, true},
    {"Replace", 5, JetReplace, true},
    {"Replace", 6, JetReplace, true},
    {"StrComp", 2, JetStrComp, true},
    {"StrComp", 3, JetStrComp, true},
    {"Asc", 1, JetAsc, true},
    {"Chr", 1, JetChr, true},
    {"Hex", 1, JetHex, true},
    {"IsNull", 1, JetIsNull, true},
    {"IsNumeric", 1, JetIsNumeric, true},
    {"Switch", -1, JetSwitch, true},
    {"Choose", -1, JetChoose, true},
    {"CBool", 1, JetCBool, true},
    {"CByte", 1, JetCByte, true},
    {"CInt", 1, JetCInt, true},
    {"CLng", 1, JetCLng, true},
    {"CCur", 1, JetCCur, true},
    {"CSng", 1, JetCSng, true},
    {"CDbl", 1, JetCDbl, true},
    {"CVar", 1, JetCVar, true},
    {"JetDateAdd", 2, JetAddOperator, true},
    {"JetDateSub", 2, JetSubtractOperator, true},
    {"JetIntDiv", 2, JetIntDiv, true},
};

struct Aggregate {
    const char* name;
    void (*step)(sqlite3_context*, int, sqlite3_value**);
    void (*final)(sqlite3_context*);
};

constexpr Aggregate kAggregates[] = {
    {"First", JetFirstStep, JetKeptValueFinal},  {"Last", JetLastStep, JetKeptValueFinal},
    {"StDev", JetStatisticsStep, JetStDevFinal}, {"StDevP", JetStatisticsStep, JetStDevPFinal},
    {"Var", JetStatisticsStep, JetVarFinal},     {"VarP", JetStatisticsStep, JetVarPFinal},
};

}  // namespace

int RegisterJetFunctions(sqlite3* db) {
    // Each function gets its own name as user data, for its error messages.
    for (const auto& function : kFunctions) {
        const int flags =
            SQLITE_UTF8 | SQLITE_INNOCUOUS | (function.deterministic ? SQLITE_DETERMINISTIC : 0);
        const int rc = sqlite3_create_function(db, function.name, function.arguments, flags,
                                               const_cast<char*>(function.name), function.call,
                                               nullptr, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    for (const auto& aggregate : kAggregates) {
        const int rc = sqlite3_create_function(
            db, aggregate.name, 1, SQLITE_UTF8 | SQLITE_INNOCUOUS,
            const_cast<char*>(aggregate.name), nullptr, aggregate.step, aggregate.final);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

}  // namespace tessel::db::sqlite
