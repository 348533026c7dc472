// The driver for directories of dBase and FoxPro tables (the Dbase and FoxPro families). Every
// database object and statement connection on one directory shares one store, so that each sees
// the others' changes at once and one transaction at a time reaches the files.
#pragma once

#include <memory>

#include "core/db/driver.h"

namespace tessel::db::dbf {

std::unique_ptr<Driver> MakeDbfDriver();

}  // namespace tessel::db::dbf
