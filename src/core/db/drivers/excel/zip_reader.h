// Zipped workbooks (.xlsx and .ods) through liborcus: cells with their cached formula results,
// dates by their number formats, and named ranges.
#pragma once

#include <string>

#include "core/db/drivers/excel/workbook.h"

namespace tessel::db::excel {

Workbook ReadZippedWorkbook(const std::string& path);

}  // namespace tessel::db::excel
