// A sheet (or a named range of one) as a table: the columns named by the first row when the
// connection says HDR=YES (the default), else F1, F2, ...; each column's type from its cells;
// every value converted to that type.
#pragma once

#include <string>
#include <vector>

#include "core/db/drivers/excel/workbook.h"
#include "core/db/table_store.h"

namespace tessel::db::excel {

struct SheetTable {
    std::string name;  // "Sheet1$" for a sheet, the range's own name for a named range
    std::vector<FieldInfo> columns;
    std::vector<Row> rows;
};

// The tables of a workbook: each sheet, then each named range.
std::vector<SheetTable> TablesOf(const Workbook& book, bool headerRow);

// Whether the connect text asks for the first row as column names (HDR=YES unless HDR=NO).
bool HeaderRowOf(const std::string& connect);

}  // namespace tessel::db::excel
