// The values of a Paradox record's fields as the engine sees them, and the engine's field
// description of each Paradox field type. Numbers are stored big-endian with the sign bit
// flipped so that the bytes sort as the values do; a field of zero bytes is Null.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/db/drivers/paradox/px_header.h"
#include "core/db/engine.h"

namespace tessel::db::paradox {

FieldInfo FieldInfoOf(const PxField& field);

// The value of a field that is not a memo or blob; `text` decodes Alpha fields.
Value DecodeFixed(const PxField& field, const unsigned char* bytes,
                  const std::function<std::string(std::string_view)>& text);

// Text of a BCD field: "-1.23"; trailing zeros after the point are dropped.
std::string BcdText(const unsigned char* bytes, int decimals);

// Days of a Paradox date (day 1 is 0001-01-01) as the ISO text; Null outside the years the
// program's dates hold.
Value DateOfDays(long days, long milliseconds);

}  // namespace tessel::db::paradox
