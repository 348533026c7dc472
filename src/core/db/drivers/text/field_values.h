// Values of a text file's fields: the text of a field read as the value of its column's type,
// and a value written as the text the column's type and the file's format say. A text that
// does not read as its column's type is Null, as the classic driver reads it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/db/drivers/text/table_format.h"
#include "core/db/engine.h"

namespace tessel::db::text {

// One field of a record: nothing for an empty field, which reads as Null.
using FieldText = std::optional<std::string>;

// How numbers and dates are written in a file.
struct ValueStyle {
    char decimalSymbol = '.';
    const DateFormat* dateFormat = nullptr;  // nothing: ISO dates
};

ValueStyle StyleOf(const TableFormat& format);

// The readings that type inference tries, in the file's style.
std::optional<std::int64_t> ReadWholeNumber(std::string_view text);
std::optional<double> ReadNumber(std::string_view text, char decimalSymbol);
std::optional<base::DateTime> ReadDate(std::string_view text, const ValueStyle& style);

Value ReadValue(const FieldText& text, int type, const ValueStyle& style);

// The text of `value` in a field of `column`; nothing for Null. Throws EngineError (naming the
// table and field) for a value the field cannot hold.
FieldText WriteValue(const Value& value, const FieldInfo& field, const ValueStyle& style,
                     const std::string& table);

}  // namespace tessel::db::text
