#include "core/db/sqlite/jet_strings.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "core/base/utf8.h"
#include "core/db/sqlite/jet_values.h"

namespace tessel::db::sqlite {
namespace {

// How two texts are compared; nothing when the call has failed.
std::optional<bool> TextCompare(sqlite3_context* context, sqlite3_value* value) {
    const auto mode = WholeArgument(context, value);
    if (!mode)
        return std::nullopt;
    if (*mode < 0 || *mode > 2) {
        ResultFailure(context, kInvalidArgument);
        return std::nullopt;
    }
    return *mode != 0;
}

std::u32string Characters(sqlite3_value* value, bool fold) {
    std::u32string characters = DecodeUtf8(TextOf(value));
    if (fold) {
        for (char32_t& c : characters)
            c = LowerCase(c);
    }
    return characters;
}

void ResultCharacters(sqlite3_context* context, std::u32string_view characters) {
    ResultText(context, EncodeUtf8(characters));
}

// A result longer than the connection takes as one value fails as too big.
bool FitsLimit(sqlite3_context* context, long long bytes) {
    if (bytes <= sqlite3_limit(sqlite3_context_db_handle(context), SQLITE_LIMIT_LENGTH, -1))
        return true;
    sqlite3_result_error_toobig(context);
    return false;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The digits of "&H" or "&O" at the start of `text`, as the Integer or Long they spell.
void ResultRadix(sqlite3_context* context, const std::string& digits, int base) {
    unsigned long long value = 0;
    for (char c : digits) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : 99;
        if (digit >= base)
            break;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFULL)
            return ResultFailure(context, kOverflow);
    }
    if (value <= 0xFFFF)
        return sqlite3_result_int(context, static_cast<std::int16_t>(value));
    sqlite3_result_int64(context, static_cast<std::int32_t>(value));
}

}  // namespace

void JetVal(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    std::string text;
    for (char c : TextOf(argv[0])) {
        if (!IsBlank(c))
            text += c;
    }
    if (text.size() >= 2 && text[0] == '&') {
        const char radix = static_cast<char>(text[1] | 0x20);
        if (radix == 'h' || radix == 'o')
            return ResultRadix(context, text.substr(2), radix == 'h' ? 16 : 8);
    }
    // The longest start that is a number: sign, digits, one point, an exponent with digits.
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    bool point = false;
    while (at < text.size() &&
           ((text[at] >= '0' && text[at] <= '9') || (text[at] == '.' && !point))) {
        point = point || text[at] == '.';
        ++at;
    }
    std::string number = text.substr(0, at);
    if (at < text.size() && std::string("eEdD").find(text[at]) != std::string::npos) {
        std::size_t end = at + 1;
        if (end < text.size() && (text[end] == '+' || text[end] == '-'))
            ++end;
        const std::size_t digits = end;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9')
            ++end;
        if (end > digits)
            number += "e" + text.substr(at + 1, end - at - 1);
    }
    const double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value))
        return ResultFailure(context, kOverflow);
    ResultNumber(context, value);
}

void JetStr(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    std::string text;
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        text = std::to_string(sqlite3_value_int64(argv[0]));
    } else {
        const auto number = NumberArgument(context, argv[0]);
        if (!number)
            return;
        text = NumberText(*number);
    }
    // Str writes a fraction without its leading zero: " .5", "-.5".
    const std::size_t digits = text[0] == '-' ? 1 : 0;
    if (text.compare(digits, 2, "0.") == 0)
        text.erase(digits, 1);
    ResultText(context, text[0] == '-' ? text : " " + text);
}

void JetInStr(sqlite3_context* context, int argc, sqlite3_value** argv) {
    const int first = argc >= 3 ? 1 : 0;  // InStr(start, s1, s2[, compare])
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    long long start = 1;
    if (argc >= 3) {
        const auto given = WholeArgument(context, argv[0]);
        if (!given)
            return;
        if (*given < 1)
            return ResultFailure(context, kInvalidArgument);
        start = *given;
    }
    bool fold = true;  // queries compare as text unless told otherwise
    if (argc == 4) {
        const auto text = TextCompare(context, argv[3]);
        if (!text)
            return;
        fold = *text;
    }
    const auto within = Characters(argv[first], fold);
    const auto sought = Characters(argv[first + 1], fold);
    const auto size = static_cast<long long>(within.size());
    if (sought.empty())
        return sqlite3_result_int64(context, start <= size + 1 ? start : 0);
    if (start > size)
        return sqlite3_result_int(context, 0);
    const auto found = within.find(sought, static_cast<std::size_t>(start - 1));
    sqlite3_result_int64(context,
                         found == std::u32string::npos ? 0 : static_cast<long long>(found) + 1);
}

void JetInStrRev(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    long long start = -1;
    if (argc >= 3) {
        const auto given = WholeArgument(context, argv[2]);
        if (!given)
            return;
        if (*given == 0 || *given < -1)
            return ResultFailure(context, kInvalidArgument);
        start = *given;
    }
    bool fold = false;
    if (argc == 4) {
        const auto text = TextCompare(context, argv[3]);
        if (!text)
            return;
        fold = *text;
    }
    const auto within = Characters(argv[0], fold);
    const auto sought = Characters(argv[1], fold);
    const auto size = static_cast<long long>(within.size());
    if (within.empty())
        return sqlite3_result_int(context, 0);
    if (start == -1)
        start = size;
    if (start > size)
        return sqlite3_result_int(context, 0);
    if (sought.empty())
        return sqlite3_result_int64(context, start);
    const auto length = static_cast<long long>(sought.size());
    if (length > start)
        return sqlite3_result_int(context, 0);
    const auto found = within.rfind(sought, static_cast<std::size_t>(start - length));
    sqlite3_result_int64(context,
                         found == std::u32string::npos ? 0 : static_cast<long long>(found) + 1);
}

void JetString(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    const auto count = WholeArgument(context, argv[0]);
    if (!count)
        return;
    if (*count < 0)
        return ResultFailure(context, kInvalidArgument);
    std::string character;
    const int type = sqlite3_value_type(argv[1]);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        const auto code = WholeArgument(context, argv[1]);
        if (!code)
            return;
        base::AppendUtf8(character, static_cast<char32_t>(((*code % 256) + 256) % 256));
    } else {
        const auto text = TextOf(argv[1]);
        if (text.empty())
            return ResultFailure(context, kInvalidArgument);
        character = text.substr(0, CharacterOffset(text, 1));
    }
    if (!FitsLimit(context, *count * static_cast<long long>(character.size())))
        return;
    std::string repeated;
    repeated.reserve(static_cast<std::size_t>(*count) * character.size());
    for (long long i = 0; i < *count; ++i)
        repeated += character;
    ResultText(context, repeated);
}

void JetReplace(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    long long start = 1;
    long long count = -1;
    bool fold = false;
    if (argc >= 4) {
        const auto given = WholeArgument(context, argv[3]);
        if (!given)
            return;
        if (*given < 1)
            return ResultFailure(context, kInvalidArgument);
        start = *given;
    }
    if (argc >= 5) {
        const auto given = WholeArgument(context, argv[4]);
        if (!given)
            return;
        if (*given < -1)
            return ResultFailure(context, kInvalidArgument);
        count = *given;
    }
    if (argc == 6) {
        const auto text = TextCompare(context, argv[5]);
        if (!text)
            return;
        fold = *text;
    }
    // The result begins at `start`, as the classic engine documents it.
    std::u32string expression = Characters(argv[0], false);
    expression.erase(0,
                     std::min<std::size_t>(expression.size(), static_cast<std::size_t>(start - 1)));
    std::u32string matched = expression;
    if (fold) {
        for (char32_t& c : matched)
            c = LowerCase(c);
    }
    const auto find = Characters(argv[1], fold);
    const auto replacement = Characters(argv[2], false);
    if (find.empty())
        return ResultCharacters(context, expression);
    std::u32string result;
    std::size_t at = 0;
    for (long long done = 0; count < 0 || done < count; ++done) {
        const auto found = matched.find(find, at);
        if (found == std::u32string::npos)
            break;
        result.append(expression, at, found - at);
        result += replacement;
        at = found + find.size();
        if (!FitsLimit(context, static_cast<long long>(result.size()) * 4))
            return;
    }
    result.append(expression, at, std::u32string::npos);
    ResultCharacters(context, result);
}

void JetStrComp(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    bool fold = true;
    if (argc == 3) {
        const auto text = TextCompare(context, argv[2]);
        if (!text)
            return;
        fold = *text;
    }
    const int order = Characters(argv[0], fold).compare(Characters(argv[1], fold));
    sqlite3_result_int(context, order < 0 ? -1 : order > 0 ? 1 : 0);
}

void JetAsc(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const auto text = TextOf(argv[0]);
    if (text.empty())
        return ResultFailure(context, kInvalidArgument);
    sqlite3_result_int64(context, DecodeUtf8(text.substr(0, CharacterOffset(text, 1)))[0]);
}

void JetChr(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const auto code = WholeArgument(context, argv[0]);
    if (!code)
        return;
    if (*code < 0 || *code > 0xFFFF || (*code >= 0xD800 && *code <= 0xDFFF))
        return ResultFailure(context, kInvalidArgument);
    std::string text;
    base::AppendUtf8(text, static_cast<char32_t>(*code));
    ResultText(context, text);
}

void JetHex(sqlite3_context* context, int, sqlite3_value** argv) {
    char digits[20];
    switch (sqlite3_value_type(argv[0])) {
        case SQLITE_NULL:
            return sqlite3_result_null(context);
        case SQLITE_INTEGER:
        case SQLITE_FLOAT: {
            const auto value = WholeArgument(context, argv[0]);
            if (!value)
                return;
            std::snprintf(digits, sizeof digits, "%X", static_cast<std::uint32_t>(*value));
            return ResultText(context, digits);
        }
        default: {
            const auto* bytes = static_cast<const unsigned char*>(sqlite3_value_blob(argv[0]));
            const int size = sqlite3_value_bytes(argv[0]);
            std::string text;
            text.reserve(static_cast<std::size_t>(size) * 2);
            for (int i = 0; i < size; ++i) {
                std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
                text += digits;
            }
            return ResultText(context, text);
        }
    }
}

void JetUCase(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    ResultText(context, MapCharacters(TextOf(argv[0]), UpperCase));
}

void JetLCase(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    ResultText(context, MapCharacters(TextOf(argv[0]), LowerCase));
}

void JetIsNull(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_result_int(context, sqlite3_value_type(argv[0]) == SQLITE_NULL ? kJetTrue : 0);
}

void JetIsNumeric(sqlite3_context* context, int, sqlite3_value** argv) {
    bool numeric = false;
    switch (sqlite3_value_type(argv[0])) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            numeric = true;
            break;
        case SQLITE_TEXT:
            numeric = ParseNumber(TextOf(argv[0])).has_value();
            break;
        default:
            break;
    }
    sqlite3_result_int(context, numeric ? kJetTrue : 0);
}

void JetSwitch(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (argc == 0 || argc % 2 != 0)
        return ResultFailure(context, kInvalidArgument);
    for (int i = 0; i < argc; i += 2) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            continue;
        const auto truth = NumberArgument(context, argv[i]);
        if (!truth)
            return;
        if (*truth != 0)
            return sqlite3_result_value(context, argv[i + 1]);
    }
    sqlite3_result_null(context);
}

void JetChoose(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (argc < 2)
        return ResultFailure(context, kInvalidArgument);
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const auto index = WholeArgument(context, argv[0]);
    if (!index)
        return;
    if (*index < 1 || *index >= argc)
        return sqlite3_result_null(context);
    sqlite3_result_value(context, argv[*index]);
}

}  // namespace tessel::db::sqlite
