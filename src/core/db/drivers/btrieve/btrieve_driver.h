// The Btrieve connection type. No Btrieve engine exists on this system, so a Btrieve database
// (its dictionary FILE.DDF and the data files it names) cannot be read; this driver answers
// every request with one error that says so and how to get at the data another way.
#pragma once

#include <memory>

#include "core/db/driver.h"

namespace tessel::db::btrieve {

std::unique_ptr<Driver> MakeBtrieveDriver();

}  // namespace tessel::db::btrieve
