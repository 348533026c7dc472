// The stored bytes of Jet/ACE values turned into the engine's values, read by this program
// itself rather than through libmdb's printed texts, so that every value is exact: dates of any
// year as ISO text, currency to four places from its 64-bit count of ten-thousandths, decimals
// from their 128-bit digits, GUIDs in braces. Every function checks the length it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/db/engine.h"

namespace tessel::db::jet {

// A date stored as days since 1899-12-30 with the time as the fraction, as ISO text
// ("2001-02-03", "1650-01-01 12:00:00", "10000-01-01"); Null for a value no calendar holds.
Value DateValue(double serial);

// An extended date (ACE 16 and later): 42 ASCII digits of days since 0001-01-01, seconds and
// ten-millionths; ISO text, with the fraction of a second when it is not zero.
Value ExtendedDateValue(std::string_view stored);

// Currency: a count of ten-thousandths. The number itself (exact to four places for every
// amount below a hundred billion).
Value CurrencyValue(std::int64_t tenThousandths);
// The exact decimal text of a currency amount, "-12.3400".
std::string CurrencyText(std::int64_t tenThousandths);

// A decimal (numeric) field: a sign byte and 16 bytes of digits. The number when it has at
// most 15 significant digits, else its exact text.
Value DecimalValue(std::string_view stored, int scale);
// The value a calculated decimal field keeps, which carries its own scale.
Value CalculatedDecimalValue(std::string_view stored);
// Its exact text ("-1234.5600" for scale 4); nothing for a value of the wrong length.
std::optional<std::string> DecimalText(std::string_view stored, int scale);

// A GUID: "{6B29FC40-CA47-1067-B31D-00DD010662DA}".
std::optional<std::string> GuidText(std::string_view stored);

// A single-precision number as the double that prints as its shortest text (1.1f gives 1.1).
double SingleValue(float stored);

// Little-endian integers of a stored value.
std::int64_t ReadLittleEndian(std::string_view bytes, std::size_t offset, std::size_t count);

}  // namespace tessel::db::jet
