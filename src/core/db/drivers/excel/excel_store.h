// The tables of a workbook as a TableStore, so that the adapter in vtab/ runs the whole SQL
// dialect over its sheets (joins across sheets included). Only read: every change is refused
// with the read-only error naming the file.
#pragma once

#include <memory>
#include <string>

#include "core/db/drivers/excel/sheet_table.h"
#include "core/db/table_store.h"

namespace tessel::db::excel {

// `tables` are those of the workbook at `path`, whose version is `version`.
std::shared_ptr<TableStore> MakeExcelStore(std::string path, std::string version,
                                           std::shared_ptr<const std::vector<SheetTable>> tables);

// The error for any change to a workbook (3027, naming the file).
[[noreturn]] void ThrowReadOnly(const std::string& path);

}  // namespace tessel::db::excel
