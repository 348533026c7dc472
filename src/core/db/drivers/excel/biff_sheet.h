// The cells of one sheet of a classic workbook, read in one pass over its substream: numbers
// (dates where the cell's style shows one), texts, shared strings, booleans and the cached
// results of formulas. Error values and blank cells stay empty.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/db/drivers/excel/biff_globals.h"
#include "core/db/drivers/excel/biff_text.h"
#include "core/db/drivers/excel/workbook.h"

namespace tessel::db::excel {

struct SheetCells {
    bool begun = false;    // a BOF record is where the sheet list says the sheet begins
    bool damaged = false;  // a cell could not be read, or the sheet ends without its EOF
    // What the DIMENSION record claims, rows and columns, when more than a sheet can hold.
    std::size_t claimedRows = 0, claimedColumns = 0;
};

// Fills `sheet.rows` from the substream that begins at `offset`. `budget` is how many more
// bytes of records the sheets of the workbook may read in all: a damaged sheet list whose
// sheets overlap would otherwise read the stream again for every sheet. A sheet that meets the
// end of the budget is damaged.
SheetCells ReadSheetCells(std::string_view stream, std::size_t offset, const BiffGlobals& globals,
                          ByteText& text, Sheet& sheet, std::size_t& budget);

// A cell of a number whose style shows a date: the date's ISO text, counted in the workbook's
// date system; a serial under 1 is a time of day. A serial no calendar date matches stays a
// number.
Cell DateCell(double serial, bool date1904);

}  // namespace tessel::db::excel
