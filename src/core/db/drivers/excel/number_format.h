// Whether a cell's number format shows a date or a time: the built-in formats by number, and a
// format code by its date and time letters outside quoted text and brackets.
#pragma once

#include <cstddef>
#include <string_view>

namespace tessel::db::excel {

bool IsBuiltInDateFormat(std::size_t id);
bool IsDateFormatCode(std::string_view code);

}  // namespace tessel::db::excel
