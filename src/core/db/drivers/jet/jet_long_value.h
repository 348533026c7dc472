// Long values (memo and OLE fields): a 12-byte reference in the row that holds the bytes inline,
// points at one row on another page, or starts a chain of rows across pages. Read here from
// the pages themselves, with every page number, row number and length checked against the
// file, so that a damaged reference ends the value instead of the program.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/db/drivers/jet/jet_file.h"

namespace tessel::db::jet {

// The bytes of the long value whose reference (and, for an inline value, its data) is
// `stored`; nothing when the reference or a page it points at is damaged.
std::optional<std::string> ReadLongValue(const JetFile& file, std::string_view stored);

// The bytes of row `row` of `page` (a whole page as read), or nothing when the row is not one.
std::optional<std::string_view> RowOfPage(const JetFile& file, std::string_view page, unsigned row);

}  // namespace tessel::db::jet
