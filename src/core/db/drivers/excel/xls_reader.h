// Classic workbooks (.xls, BIFF 2 to 8) through libfreexl, with the records that it leaves out
// (formula results, named ranges, encryption) read by biff_records.
#pragma once

#include <string>

#include "core/db/drivers/excel/workbook.h"

namespace tessel::db::excel {

// `bytes` are the file's contents, read once by the caller.
Workbook ReadXls(const std::string& path, const std::string& bytes);

}  // namespace tessel::db::excel
