// The driver for the Text connection type: a directory of .csv, .txt and .tab files with an
// optional schema.ini is a database (text_store.h), opened and run through the virtual-table
// adapter. Every object opened on one directory shares one store, so that each sees what the
// others changed.
#pragma once

#include <memory>

#include "core/db/driver.h"

namespace tessel::db::text {

std::unique_ptr<Driver> MakeTextDriver();

}  // namespace tessel::db::text
