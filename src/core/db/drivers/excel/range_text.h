// The rectangle that a named range's text names: "Sheet1!$A$1:$C$9" as the zipped Excel format
// writes it, "$Sheet1.$A$1:.$C$9" as OpenDocument does, with quoted sheet names ('My sheet').
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessel::db::excel {

struct RangeText {
    std::string sheet;
    std::size_t firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;  // from 0, inclusive
};

// Nothing for a text that is not one rectangle of one sheet (a formula, several areas).
std::optional<RangeText> ParseRangeText(std::string_view text);

// A cell ("B2", "$B$2") or a rectangle ("A1:C9") without a sheet; the sheet stays empty.
std::optional<RangeText> ParseCellRange(std::string_view text);

}  // namespace tessel::db::excel
