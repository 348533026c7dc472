// Classic workbooks (.xls, the record formats of versions 2 to 8) read from their records:
// the workbook-wide ones first, then each worksheet's cells.
#pragma once

#include <string>

#include "core/db/drivers/excel/workbook.h"

namespace tessel::db::excel {

// `bytes` are the file's contents, read once by the caller.
Workbook ReadXls(const std::string& path, const std::string& bytes);

}  // namespace tessel::db::excel
