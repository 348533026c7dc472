// The reader of Paradox tables (3.0 to 7.0): a directory of .db files is the database. It reads
// only; statements run over its tables through the store adapter and every change is refused
// with the read-only error. Encrypted tables open with their password from the connect text
// (";pwd=..."; every such part counts, so that tables with different passwords can be read).
#pragma once

#include <memory>

#include "core/db/driver.h"

namespace tessel::db::paradox {

std::unique_ptr<Driver> MakeParadoxDriver();

}  // namespace tessel::db::paradox
