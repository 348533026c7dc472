// The reader of workbooks: classic .xls files (BIFF 2 to 8) and the zipped .xlsx and .ods. Each
// sheet is a table named "Sheet1$", each named range a table by its name. It reads only:
// statements run over the sheets through the store adapter, and every change fails with the
// read-only error naming the file.
#pragma once

#include <memory>

#include "core/db/driver.h"

namespace tessel::db::excel {

std::unique_ptr<Driver> MakeExcelDriver();

}  // namespace tessel::db::excel
