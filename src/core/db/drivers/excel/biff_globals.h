// The workbook-wide records of a classic workbook's stream: its version, whether it is
// encrypted, its code page and date system, which cell styles show dates, its shared strings,
// its list of sheets and its named ranges. A bare one-sheet stream (versions 2 to 4) keeps
// these records among the sheet's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/db/drivers/excel/biff_strings.h"
#include "core/db/drivers/excel/workbook.h"

namespace tessel::db::excel {

struct SheetEntry {
    std::string name;
    std::size_t offset = 0;  // of the sheet's BOF record in the stream
    bool worksheet = true;   // charts, macro sheets and modules hold no table
};

struct BiffGlobals {
    int version = 0;  // 2, 3, 4, 5 or 8; 0 when no BOF record begins the stream
    bool encrypted = false;
    bool bare = false;  // the stream is one sheet of the formats before 5
    bool date1904 = false;
    std::uint16_t codePage = 0;
    std::vector<bool> dateStyles;  // by cell style (XF) index: its number format shows a date
    SharedStrings strings;
    std::vector<SheetEntry> sheets;
    std::vector<NamedRange> names;  // `sheet` is the index in `sheets`
};

BiffGlobals ReadGlobals(std::string_view stream);

}  // namespace tessel::db::excel
