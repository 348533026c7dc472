// What the Excel driver reads from a classic workbook's records itself, beside the cell reader
// library: whether the workbook is encrypted, the cached results of formula cells (which the
// library leaves empty), and the named ranges. Every record is checked against the stream's
// end, so any bytes give facts or nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/db/drivers/excel/workbook.h"

namespace tessel::db::excel {

struct FormulaResult {
    std::uint32_t row = 0;
    std::uint32_t column = 0;
    Value value;  // Null for an error result
};

struct BiffFacts {
    int biffVersion = 0;  // 2, 3, 4, 5 or 8; 0 when no BOF record begins the stream
    bool encrypted = false;
    // Per sheet in the order of the workbook's sheet list (one for a bare one-sheet stream).
    std::vector<std::vector<FormulaResult>> formulas;
    std::size_t sheetCount = 0;  // entries of the sheet list, worksheets or not
    struct Name {
        std::string name;
        std::size_t sheet = 0;  // index in the sheet list
        std::size_t firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
    };
    std::vector<Name> names;  // named ranges of one sheet's rectangle
};

BiffFacts ScanBiff(const std::string& stream);

}  // namespace tessel::db::excel
