// A workbook's Database as the store adapter makes it, with what could not be read said once:
// the property "Faults" lists the workbook's notes (formula results left Null, unreadable
// cells), so that the tree shows why some cells are empty. Everything else is the adapter's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/db/engine.h"

namespace tessel::db::excel {

std::unique_ptr<Database> WithFaults(std::unique_ptr<Database> database,
                                     std::vector<std::string> notes);

}  // namespace tessel::db::excel
