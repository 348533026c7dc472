#include "core/db/drivers/text/field_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/base/text.h"
#include "core/base/utf8.h"

namespace tessel::db::text {
namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::optional<bool> ReadBoolean(std::string_view text) {
    const std::string word = base::UpperAscii(Trimmed(text));
    for (const char* yes : {"TRUE", "YES", "ON", "-1", "1", "T", "Y"}) {
        if (word == yes)
            return true;
    }
    for (const char* no : {"FALSE", "NO", "OFF", "0", "F", "N"}) {
        if (word == no)
            return false;
    }
    return std::nullopt;
}

// What a text that does not read as its field's type is: Null.
template <typename Read>
Value OrNull(const std::optional<Read>& read) {
    if (read)
        return *read;
    return std::monostate{};
}

[[noreturn]] void Refuse(long number, const FieldInfo& field, const std::string& table,
                         const std::string& why) {
    throw EngineError(number, "The value for the field '" + table + "." + field.name + "' " + why);
}

std::string NumberText(double number, int digits, char decimalSymbol) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, number);
    std::string text = buffer;
    for (char& c : text) {
        if (c == '.')
            c = decimalSymbol;
    }
    return text;
}

std::optional<double> NumberOf(const Value& value) {
    return NumberOfValue(value);
}

FieldText WholeText(const Value& value, const FieldInfo& field, const std::string& table,
                    std::int64_t lowest, std::int64_t highest) {
    const auto number = NumberOf(value);
    if (!number)
        Refuse(err::kDataTypeMismatch, field, table, "is not a number.");
    const double rounded = std::nearbyint(*number);
    if (!(rounded >= static_cast<double>(lowest) && rounded <= static_cast<double>(highest)))
        Refuse(err::kNumericOverflow, field, table, "is out of the field's range.");
    return std::to_string(static_cast<std::int64_t>(rounded));
}

std::optional<base::DateTime> DateOf(const Value& value, const ValueStyle& style) {
    if (const auto* text = std::get_if<std::string>(&value))
        return ReadDate(*text, style);
    if (const auto number = NumberOf(value))
        return base::DateTimeOfSerial(*number);
    return std::nullopt;
}

}  // namespace

ValueStyle StyleOf(const TableFormat& format) {
    return ValueStyle{format.decimalSymbol, format.dateFormat ? &*format.dateFormat : nullptr};
}

std::optional<std::int64_t> ReadWholeNumber(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return number;
}

std::optional<double> ReadNumber(std::string_view text, char decimalSymbol) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::string plain;
    bool digit = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
            plain += c;
        } else if (c == decimalSymbol) {
            plain += '.';
        } else if (c == '-' || c == 'e' || c == 'E' || (c == '+' && !plain.empty())) {
            plain += c;
        } else {
            return std::nullopt;  // no thousands separators, no "inf", "nan" or hex
        }
    }
    double number = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), number);
    if (!digit || error != std::errc() || end != plain.data() + plain.size() ||
        !std::isfinite(number))
        return std::nullopt;
    return number;
}

std::optional<base::DateTime> ReadDate(std::string_view text, const ValueStyle& style) {
    text = Trimmed(text);
    if (style.dateFormat) {
        if (auto date = style.dateFormat->Parse(text))
            return date;
    }
    return base::ParseIsoDateTime(text);
}

Value ReadValue(const FieldText& text, int type, const ValueStyle& style) {
    if (!text)
        return std::monostate{};
    switch (type) {
        case ftype::kText:
        case ftype::kMemo:
            return *text;
        case ftype::kBoolean:
            return OrNull(ReadBoolean(*text));
        case ftype::kByte:
        case ftype::kInteger:
        case ftype::kLong:
            return OrNull(ReadWholeNumber(*text));
        case ftype::kCurrency:
        case ftype::kSingle:
        case ftype::kDouble:
            return OrNull(ReadNumber(*text, style.decimalSymbol));
        case ftype::kDate: {
            const auto date = ReadDate(*text, style);
            return OrNull(date ? std::optional<std::string>(base::IsoText(*date)) : std::nullopt);
        }
        default:
            return *text;
    }
}

FieldText WriteValue(const Value& value, const FieldInfo& field, const ValueStyle& style,
                     const std::string& table) {
    if (std::holds_alternative<std::monostate>(value))
        return std::nullopt;
    switch (field.type) {
        case ftype::kBoolean: {
            const auto number = NumberOf(value);
            const auto* text = std::get_if<std::string>(&value);
            const auto flag = number ? std::optional<bool>(*number != 0)
                                     : (text ? ReadBoolean(*text) : std::nullopt);
            if (!flag)
                Refuse(err::kDataTypeMismatch, field, table, "is neither True nor False.");
            return std::string(*flag ? "True" : "False");
        }
        case ftype::kByte:
            return WholeText(value, field, table, 0, 255);
        case ftype::kInteger:
            return WholeText(value, field, table, std::numeric_limits<std::int16_t>::min(),
                             std::numeric_limits<std::int16_t>::max());
        case ftype::kLong:
            return WholeText(value, field, table, std::numeric_limits<std::int32_t>::min(),
                             std::numeric_limits<std::int32_t>::max());
        case ftype::kCurrency:
        case ftype::kSingle:
        case ftype::kDouble: {
            const auto number = NumberOf(value);
            if (!number || !std::isfinite(*number))
                Refuse(err::kDataTypeMismatch, field, table, "is not a number.");
            const int digits = field.type == ftype::kSingle ? 7 : 15;
            return NumberText(
                field.type == ftype::kCurrency ? std::round(*number * 1e4) / 1e4 : *number, digits,
                style.decimalSymbol);
        }
        case ftype::kDate: {
            const auto date = DateOf(value, style);
            if (!date)
                Refuse(err::kDataTypeMismatch, field, table, "is not a date.");
            return style.dateFormat ? style.dateFormat->Format(*date) : base::IsoText(*date);
        }
        default: {
            std::string text = ValueToText(value);
            if (field.type == ftype::kText && field.size > 0 &&
                base::Utf8CharacterCount(text) > static_cast<std::size_t>(field.size))
                Refuse(err::kFieldTooSmall, field, table,
                       "is longer than its " + std::to_string(field.size) + " characters.");
            return text;
        }
    }
}

}  // namespace tessel::db::text
